#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// One sound the user can choose for an effect. `systemSoundID` is the number of the matching
// sound on the phone builds, kept so that the table reads the same everywhere; this program
// plays its own sound of the option (SoundPlayback::soundName).
struct SoundOption {
    QString id;
    QString label;
    std::optional<quint32> systemSoundID;

    bool operator==(const SoundOption&) const = default;
};
