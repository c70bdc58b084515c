#pragma once

#include <QString>

// Where sounds go: plays one of the program's sounds by name, from the start, stopping it
// first if it is still playing (a quick repeat restarts it instead of overlapping). A name it
// does not know plays nothing. Tests record the names instead.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    virtual void play(const QString& soundName) = 0;
};
