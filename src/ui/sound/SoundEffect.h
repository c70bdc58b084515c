#pragma once

#include <QList>
#include <QString>

#include <optional>

// The events that make a sound. Stored by their raw value, the case name.
enum class SoundEffect { itemAdded, itemCompleted, unhappy, micStopped, modeChanged };

namespace SoundEffects {

// Every effect, in the order the settings list them.
const QList<SoundEffect>& allEffects();
QString rawValue(SoundEffect effect);
std::optional<SoundEffect> effectFromRaw(const QString& raw);
// The id of the sound an effect makes until the user chooses another: "tick" for itemAdded,
// "ding" for itemCompleted, "swoosh" for unhappy, "done" for micStopped, "chime" for
// modeChanged.
QString defaultSoundID(SoundEffect effect);

} // namespace SoundEffects
