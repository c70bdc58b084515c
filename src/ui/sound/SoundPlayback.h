#pragma once

#include "SoundOption.h"

#include <QString>

#include <optional>

// Which of the program's own sounds plays an option. The names are those of the sound files
// the build makes (resources/sounds, ":/sounds/<name>.wav").
namespace SoundPlayback {

// "tick" Tink, "tap" Pop, "click" Morse, "ding" Glass, "chime" Ping, "swoosh" Blow, "done"
// Hero; none for "none" and for an id that is not in the table.
std::optional<QString> soundName(const SoundOption& option);
// Every sound name above, once.
QStringList allSoundNames();
// The resource of a sound name.
QString resourcePath(const QString& soundName);

} // namespace SoundPlayback
