#pragma once

#include "SoundEffect.h"
#include "SoundOption.h"

#include <QList>

class Defaults;

// The table of sounds, the stored sound settings and their lookups, and playing an effect.
// Main thread only.
namespace SoundEffects {

// All sounds on or off (Boolean; missing means on).
inline const QString enabledKey = QStringLiteral("soundEffects");
// The chosen sound of an effect: "soundChoice." followed by the effect's raw value.
QString choiceKey(SoundEffect effect);

// The eight sounds, in the order the settings list them: none, tick, tap, click, ding, chime,
// swoosh, done.
const QList<SoundOption>& options();
// The option with that id; the "none" option for an id that is not in the table.
const SoundOption& option(const QString& id);
// The option with that id; the effect's default option for an id that is not in the table.
const SoundOption& option(const QString& id, SoundEffect effect);
// False only when a Boolean false is stored under "soundEffects"; a missing value or a value
// of another type means on.
bool isEnabled(const Defaults& defaults);
// The sound chosen for an effect: the stored choice, the effect's default for a stored id that
// names no option, the effect's default sound when nothing is stored.
const SoundOption& chosen(const Defaults& defaults, SoundEffect effect);

// Plays the sound chosen for an effect through the shared player (SoundEffectPlayer). Never
// fails; an added item within 1.5 seconds of the previous one stays silent.
void play(SoundEffect effect);

} // namespace SoundEffects
