#pragma once

#include "MonotonicClock.h"
#include "SoundEffect.h"
#include "SoundOutput.h"

#include <memory>
#include <optional>

// Decides whether and what an effect plays, and plays it. The settings are read from the
// standard settings at each request. Item additions that follow each other within 1.5 seconds
// are heard once: every itemAdded request renews the time stamp, sound or not, so a run stays
// silent until a pause longer than that. The pause is measured on a monotonic clock, so setting
// the wall clock back cannot silence the next addition. Main thread only.
class SoundEffectPlayer {
public:
    static constexpr double repeatAddPause = 1.5;

    SoundEffectPlayer(std::shared_ptr<const MonotonicClock> clock,
                      std::shared_ptr<SoundOutput> output);

    void play(SoundEffect effect);

    // The player SoundEffects::play uses: the steady clock and Qt's sound output unless one
    // was installed. Installing nullptr brings those back.
    static SoundEffectPlayer& shared();
    static void setShared(std::unique_ptr<SoundEffectPlayer> player);

private:
    std::shared_ptr<const MonotonicClock> clock_;
    std::shared_ptr<SoundOutput> output_;
    std::optional<double> lastAddAt_;
};
