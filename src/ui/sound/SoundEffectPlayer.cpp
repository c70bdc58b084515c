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

// Holds no Qt object, whatever is installed: an installation removes its player when it ends.
std::unique_ptr<SoundEffectPlayer> sharedPlayer;

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
    if (!sharedPlayer) {
        sharedPlayer = std::make_unique<SoundEffectPlayer>(std::make_shared<SteadyClock>(),
                                                           std::make_shared<NoSound>());
    }
    return *sharedPlayer;
}

void SoundEffectPlayer::setShared(std::unique_ptr<SoundEffectPlayer> player) {
    sharedPlayer = std::move(player);
}

SoundEffectPlayer::Installation::Installation() {
    setShared(std::make_unique<SoundEffectPlayer>(std::make_shared<SteadyClock>(),
                                                  std::make_shared<QtSoundOutput>()));
}

SoundEffectPlayer::Installation::~Installation() {
    setShared(nullptr);
}
