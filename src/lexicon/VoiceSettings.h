#pragma once

#include <QList>
#include <QString>

#include <optional>

// The voice choices the settings screen offers. Each is stored and read as its raw text; a text
// that names no case gives nothing.

enum class VoiceActivation { off, tapToTalk, whenAppOpens };
enum class PauseLength { quick, normal, relaxed };

namespace VoiceEngineChoice {
enum class Engine { system, dictation, transcriber };
}

const QList<VoiceActivation>& allVoiceActivations();
QString rawValue(VoiceActivation activation);
std::optional<VoiceActivation> voiceActivationFromRaw(const QString& raw);

const QList<PauseLength>& allPauseLengths();
QString rawValue(PauseLength pause);
std::optional<PauseLength> pauseLengthFromRaw(const QString& raw);

namespace VoiceEngineChoice {
const QList<Engine>& allEngines();
std::optional<Engine> engineFromRaw(const QString& raw);
} // namespace VoiceEngineChoice
QString rawValue(VoiceEngineChoice::Engine engine);
