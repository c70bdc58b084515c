#pragma once

#include "ui/sound/SoundOutput.h"

#include <QStringList>

// A sound output that only notes the names it was asked to play; no sound device involved.
class RecordingSoundOutput final : public SoundOutput {
public:
    void play(const QString& soundName) override { played << soundName; }
    QStringList played;
};
