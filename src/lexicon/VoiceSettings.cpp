#include "lexicon/VoiceSettings.h"

namespace {

template <typename T> std::optional<T> fromRaw(const QList<T>& all, const QString& raw) {
    for (const T value : all) {
        if (rawValue(value) == raw) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace

const QList<VoiceActivation>& allVoiceActivations() {
    static const QList<VoiceActivation> all{VoiceActivation::off, VoiceActivation::tapToTalk,
                                            VoiceActivation::whenAppOpens};
    return all;
}

QString rawValue(VoiceActivation activation) {
    switch (activation) {
    case VoiceActivation::off:
        return QStringLiteral("off");
    case VoiceActivation::tapToTalk:
        return QStringLiteral("tapToTalk");
    case VoiceActivation::whenAppOpens:
        return QStringLiteral("whenAppOpens");
    }
    return QString();
}

std::optional<VoiceActivation> voiceActivationFromRaw(const QString& raw) {
    return fromRaw(allVoiceActivations(), raw);
}

const QList<PauseLength>& allPauseLengths() {
    static const QList<PauseLength> all{PauseLength::quick, PauseLength::normal,
                                        PauseLength::relaxed};
    return all;
}

QString rawValue(PauseLength pause) {
    switch (pause) {
    case PauseLength::quick:
        return QStringLiteral("quick");
    case PauseLength::normal:
        return QStringLiteral("normal");
    case PauseLength::relaxed:
        return QStringLiteral("relaxed");
    }
    return QString();
}

std::optional<PauseLength> pauseLengthFromRaw(const QString& raw) {
    return fromRaw(allPauseLengths(), raw);
}

QString rawValue(VoiceEngineChoice::Engine engine) {
    using VoiceEngineChoice::Engine;
    switch (engine) {
    case Engine::system:
        return QStringLiteral("system");
    case Engine::dictation:
        return QStringLiteral("dictation");
    case Engine::transcriber:
        return QStringLiteral("transcriber");
    }
    return QString();
}

namespace VoiceEngineChoice {

const QList<Engine>& allEngines() {
    static const QList<Engine> all{Engine::system, Engine::dictation, Engine::transcriber};
    return all;
}

std::optional<Engine> engineFromRaw(const QString& raw) {
    return fromRaw(allEngines(), raw);
}

} // namespace VoiceEngineChoice
