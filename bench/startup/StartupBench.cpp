// How long the program takes from its process start to the first painted frame of its window,
// offscreen, with a store of 1,000 lists and 10,000 items, beside an empty Qt Widgets program
// doing the same. The difference is what our own start-up costs.
#include "MonotonicNow.h"
#include "store/DiskV2.h"
#include "support/SampleStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int listCount = 1'000;
constexpr int itemsPerList = 10;

QByteArray archivedRecord(const QString& id) {
    QByteArray record = "{\"type\":\"TB_Item\",\"id\":\"" + id.toUtf8() + "\",\"tag\":\"3f\",";
    while (record.size() < 900)
        record += "\"field\":\"some realistic value of a record field\",";
    return record + "}";
}

// A synced user's store: every list and item with its archived record, some notes and ticks.
QByteArray storeFile() {
    DiskV2 disk;
    for (int l = 0; l < listCount; ++l) {
        TBList list = SampleStore::list(l);
        list.pinned = l % 50 == 0;
        disk.lists.append(list);
        disk.archivedRecords.insert("L#" + list.id, archivedRecord(list.id).toBase64());
        for (int i = 0; i < itemsPerList; ++i) {
            const TBItem item = SampleStore::item(list, l, i);
            disk.items.append(item);
            disk.archivedRecords.insert("I#" + item.id, archivedRecord(item.id).toBase64());
        }
    }
    SampleStore::completeFile(disk);
    return disk.encode();
}

// A profile holding the store, and a runtime folder of its own, made once.
struct Sandbox {
    QTemporaryDir dir;
    QString profile = dir.filePath("profile");
    Sandbox() {
        QDir().mkpath(profile);
        QDir().mkpath(dir.filePath("run"));
        QFile::setPermissions(dir.filePath("run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // The same store before every start: the program's launch may rewrite it (a new cloud
    // account marks everything to send).
    void seed() {
        static const QByteArray bytes = storeFile();
        QFile file(profile + "/store.json");
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        QFile::remove(dir.filePath("cloud.sqlite"));
    }
};

Sandbox& sandbox() {
    static Sandbox box;
    return box;
}

std::vector<double> windowMs;
std::vector<double> emptyMs;

// Starts `program` and returns the time from just before its start to its first frame.
double firstFrameMs(const QString& program, const QStringList& arguments, benchmark::State& state) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_RUNTIME_DIR", sandbox().dir.filePath("run"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const long long start = monotonicNowNs();
    process.start(program, arguments);
    if (!process.waitForFinished(30'000) || process.exitCode() != 0) {
        state.SkipWithError("the probe did not paint and end");
        return 0;
    }
    const long long painted = process.readAllStandardOutput().trimmed().toLongLong();
    return double(painted - start) / 1e6;
}

void windowStart(benchmark::State& state) {
    const QStringList arguments{"--profile", sandbox().profile, "--cloud",
                                sandbox().dir.filePath("cloud.sqlite")};
    for (auto _ : state) {
        sandbox().seed();
        const double ms = firstFrameMs(STARTUP_PROBE, arguments, state);
        windowMs.push_back(ms);
        state.SetIterationTime(ms / 1000);
    }
}
BENCHMARK(windowStart)
    ->Name("window to first frame, 1,000 lists and 10,000 items")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);

void emptyStart(benchmark::State& state) {
    for (auto _ : state) {
        const double ms = firstFrameMs(EMPTY_WIDGETS_PROBE, {}, state);
        emptyMs.push_back(ms);
        state.SetIterationTime(ms / 1000);
    }
}
BENCHMARK(emptyStart)
    ->Name("empty Qt Widgets program to first frame")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    // `startup_bench --write-store FILE` only writes the store, for profiling the probe by hand.
    if (argc == 3 && QByteArray(argv[1]) == "--write-store") {
        QFile file(QString::fromLocal8Bit(argv[2]));
        return file.open(QIODevice::WriteOnly) && file.write(storeFile()) > 0 ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double ours = median(windowMs);
    const double empty = median(emptyMs);
    if (ours > 0 && empty > 0) {
        std::printf("\nmedian to first frame: Tallybird %.1f ms, empty Qt Widgets program %.1f "
                    "ms (%.1fx); ours alone %.1f ms; target under 200 ms\n",
                    ours, empty, ours / empty, ours - empty);
    }
    return 0;
}
