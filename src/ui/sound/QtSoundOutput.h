#pragma once

#include "SoundOutput.h"

#include <QHash>

class QSoundEffect;

// Plays the program's sounds with QSoundEffect, one effect per sound, loaded on first use.
// Without a sound device it stays silent. Main thread only.
class QtSoundOutput final : public SoundOutput {
public:
    QtSoundOutput();
    ~QtSoundOutput() override;
    void play(const QString& soundName) override;

private:
    QHash<QString, QSoundEffect*> effects_;
};
