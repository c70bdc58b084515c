// Synthesises the program's sounds, one short WAV file per sound name, so that no sound of
// another program is ever copied. Usage: tallybird-sound-maker FOLDER
//
// Each sound is a few sine partials or filtered noise under an envelope; the output is the
// same on every run (the noise comes from a fixed-seed generator).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int sampleRate = 44100;
constexpr double pi = 3.14159265358979323846;

using Samples = std::vector<double>;

Samples silence(double seconds) {
    return Samples(std::size_t(seconds * sampleRate), 0.0);
}

// A partial that starts at `start`, rises in `attack` seconds and decays with time constant
// `decay`.
void addPartial(Samples& out, double start, double frequency, double amplitude, double attack,
                double decay) {
    const std::size_t first = std::size_t(start * sampleRate);
    for (std::size_t i = first; i < out.size(); ++i) {
        const double t = double(i - first) / sampleRate;
        const double rise = attack > 0 ? std::min(1.0, t / attack) : 1.0;
        out[i] += amplitude * rise * std::exp(-t / decay) * std::sin(2 * pi * frequency * t);
    }
}

// A sine whose pitch glides from `from` to `to` over the sound.
void addGlide(Samples& out, double from, double to, double amplitude, double decay) {
    double phase = 0;
    const double length = double(out.size()) / sampleRate;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / sampleRate;
        const double frequency = from + (to - from) * std::min(1.0, t / length);
        phase += 2 * pi * frequency / sampleRate;
        const double rise = std::min(1.0, t / 0.002);
        out[i] += amplitude * rise * std::exp(-t / decay) * std::sin(phase);
    }
}

// Noise through a low-pass filter whose cutoff sweeps up and down, under a rise-and-fall
// envelope: a soft whoosh.
void addSwoosh(Samples& out, double amplitude) {
    std::uint32_t state = 0x2545F491u;
    double low = 0;
    double lower = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const double noise = double(state) / 4294967295.0 * 2 - 1;
        const double along = double(i) / double(out.size());
        const double shape = std::sin(pi * along);
        const double cutoff = 300 + 2500 * shape;
        const double alpha = 1 - std::exp(-2 * pi * cutoff / sampleRate);
        low += alpha * (noise - low);
        lower += alpha * (low - lower);
        out[i] += amplitude * shape * shape * lower;
    }
}

Samples tink() {
    Samples out = silence(0.12);
    addPartial(out, 0, 2637, 0.8, 0.001, 0.025);
    addPartial(out, 0, 5274, 0.25, 0.001, 0.012);
    return out;
}

Samples pop() {
    Samples out = silence(0.09);
    addGlide(out, 880, 260, 1.0, 0.025);
    return out;
}

Samples morse() {
    Samples out = silence(0.16);
    for (double start : {0.0, 0.08}) {
        addPartial(out, start, 1200, 0.7, 0.001, 0.012);
        addPartial(out, start, 3600, 0.15, 0.001, 0.006);
    }
    return out;
}

Samples glass() {
    Samples out = silence(1.0);
    addPartial(out, 0, 1568, 0.6, 0.002, 0.35);
    addPartial(out, 0, 1568 * 2.76, 0.25, 0.002, 0.14);
    addPartial(out, 0, 1568 * 5.40, 0.12, 0.002, 0.06);
    return out;
}

Samples ping() {
    Samples out = silence(0.7);
    addPartial(out, 0, 1319, 0.7, 0.003, 0.22);
    addPartial(out, 0, 2637, 0.2, 0.003, 0.1);
    return out;
}

Samples blow() {
    Samples out = silence(0.45);
    addSwoosh(out, 3.0);
    return out;
}

Samples hero() {
    Samples out = silence(1.1);
    const double notes[] = {523.25, 659.25, 783.99, 1046.5};
    for (int n = 0; n < 4; ++n) {
        addPartial(out, n * 0.09, notes[n], 0.45, 0.004, n == 3 ? 0.35 : 0.18);
        addPartial(out, n * 0.09, notes[n] * 2, 0.12, 0.004, 0.08);
    }
    return out;
}

// Scales to a comfortable peak and fades the last 10 ms, so the sound never ends in a click.
void finish(Samples& samples) {
    double peak = 0;
    for (double s : samples)
        peak = std::max(peak, std::abs(s));
    const double gain = peak > 0 ? 0.7 / peak : 0;
    const std::size_t fade = std::min(samples.size(), std::size_t(0.01 * sampleRate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] *= gain;
        const std::size_t fromEnd = samples.size() - i;
        if (fromEnd <= fade)
            samples[i] *= double(fromEnd - 1) / double(fade);
    }
}

void put16(std::FILE* file, std::uint16_t value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value & 0xFF),
                                    static_cast<unsigned char>(value >> 8)};
    std::fwrite(bytes, 1, 2, file);
}

void put32(std::FILE* file, std::uint32_t value) {
    put16(file, std::uint16_t(value & 0xFFFF));
    put16(file, std::uint16_t(value >> 16));
}

// 16-bit mono PCM.
bool writeWav(const std::string& path, const Samples& samples) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, file);
    put32(file, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, file);
    put32(file, 16);
    put16(file, 1); // PCM
    put16(file, 1); // mono
    put32(file, sampleRate);
    put32(file, sampleRate * 2);
    put16(file, 2);
    put16(file, 16);
    std::fwrite("data", 1, 4, file);
    put32(file, dataBytes);
    for (double s : samples) {
        const long value = std::lround(std::clamp(s, -1.0, 1.0) * 32767.0);
        put16(file, std::uint16_t(std::int16_t(value)));
    }
    const bool written = std::ferror(file) == 0;
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tallybird-sound-maker FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::pair<const char*, std::function<Samples()>> sounds[] = {
        {"Tink", tink}, {"Pop", pop},   {"Morse", morse}, {"Glass", glass},
        {"Ping", ping}, {"Blow", blow}, {"Hero", hero}};
    for (const auto& [name, make] : sounds) {
        Samples samples = make();
        finish(samples);
        const std::string path = folder + "/" + name + ".wav";
        if (!writeWav(path, samples)) {
            std::fprintf(stderr, "tallybird-sound-maker: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
