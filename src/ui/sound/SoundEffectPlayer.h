#pragma once

#include "MonotonicClock.h"
#include "SoundEffect.h"
#include "SoundOption.h"
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
    // Plays one option as a sample of it, from the start: neither the sound switch nor the
    // pause between additions applies. An option without a sound plays nothing.
    void preview(const SoundOption& option);

    // The player SoundEffects::play uses: the installation's while one lives, else the one
    // given to setShared(), else one that plays nothing (a program that installs none, a tool
    // or a benchmark, stays silent). Setting nullptr brings the silent one back. A player given
    // to setShared() lives until the process ends, so it must hold no Qt object.
    static SoundEffectPlayer& shared();
    static void setShared(std::unique_ptr<SoundEffectPlayer> player);

    // Installs the program's player, the steady clock and Qt's sound output, while it lives.
    // Qt's sound objects must be gone before the application object, so its owner ends first
    // (the program's application object holds it). The installation owns the player: when the
    // process ends without it ending, the player is never destroyed, rather than destroyed
    // among the statics after Qt's own.
    class Installation {
    public:
        Installation();
        ~Installation();
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;

    private:
        std::unique_ptr<SoundEffectPlayer> player_;
    };

private:
    std::shared_ptr<const MonotonicClock> clock_;
    std::shared_ptr<SoundOutput> output_;
    std::optional<double> lastAddAt_;
};
