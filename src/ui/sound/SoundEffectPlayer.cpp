// Choosing and playing an effect's sound.
#include "SoundEffectPlayer.h"

#include "QtSoundOutput.h"
#include "SoundEffects.h"
#include "SoundPlayback.h"
#include "platform/Defaults.h"

#include <QCoreApplication>

namespace {

class NoSound final : public SoundOutput {
public:
    void play(const QString&) override {}
};

// The player given to setShared() (a test's, playing into a recording), else a silent one made
// on first use. Neither holds a Qt object: these are destroyed with the process's statics, when
// Qt's own may be gone already.
std::unique_ptr<SoundEffectPlayer> sharedPlayer;
// The installed player, which plays through Qt's sound objects. Owned by its installation, never
// by a static: a process that ends by exit() before the installation ends (Qt's X11 plugin does
// when the display goes away) must not destroy Qt's sound objects among the statics.
SoundEffectPlayer* installedPlayer = nullptr;

} // namespace

SoundEffectPlayer::SoundEffectPlayer(std::shared_ptr<const MonotonicClock> clock,
                                     std::shared_ptr<SoundOutput> output)
    : clock_(std::move(clock)), output_(std::move(output)) {}

void SoundEffectPlayer::play(SoundEffect effect) {
    if (effect == SoundEffect::itemAdded) {
        const double now = clock_->seconds();
        const std::optional<double> previous = lastAddAt_;
        lastAddAt_ = now;
        if (previous && now - *previous <= repeatAddPause)
            return;
    }
    const Defaults& defaults = Defaults::standard();
    if (!SoundEffects::isEnabled(defaults))
        return;
    preview(SoundEffects::chosen(defaults, effect));
}

void SoundEffectPlayer::preview(const SoundOption& option) {
    if (const std::optional<QString> name = SoundPlayback::soundName(option))
        output_->play(*name);
}

SoundEffectPlayer& SoundEffectPlayer::shared() {
    if (installedPlayer)
        return *installedPlayer;
    if (!sharedPlayer) {
        sharedPlayer = std::make_unique<SoundEffectPlayer>(std::make_shared<SteadyClock>(),
                                                           std::make_shared<NoSound>());
    }
    return *sharedPlayer;
}

void SoundEffectPlayer::setShared(std::unique_ptr<SoundEffectPlayer> player) {
    sharedPlayer = std::move(player);
}

SoundEffectPlayer::Installation::Installation()
    : player_(std::make_unique<SoundEffectPlayer>(std::make_shared<SteadyClock>(),
                                                  std::make_shared<QtSoundOutput>())) {
    installedPlayer = player_.get();
}

SoundEffectPlayer::Installation::~Installation() {
    if (installedPlayer == player_.get())
        installedPlayer = nullptr;
}
