// The sound table and its lookups.
#include "SoundEffects.h"

#include "SoundEffectPlayer.h"
#include "platform/Defaults.h"

namespace SoundEffects {

QString choiceKey(SoundEffect effect) {
    return QStringLiteral("soundChoice.") + rawValue(effect);
}

const QList<SoundOption>& options() {
    static const QList<SoundOption> table = {
        {QStringLiteral("none"), QStringLiteral("None"), std::nullopt},
        {QStringLiteral("tick"), QStringLiteral("Tick"), 1103},
        {QStringLiteral("tap"), QStringLiteral("Tap"), 1104},
        {QStringLiteral("click"), QStringLiteral("Click"), 1057},
        {QStringLiteral("ding"), QStringLiteral("Ding"), 1000},
        {QStringLiteral("chime"), QStringLiteral("Chime"), 1007},
        {QStringLiteral("swoosh"), QStringLiteral("Swoosh"), 1001},
        {QStringLiteral("done"), QStringLiteral("Done"), 1334},
    };
    return table;
}

namespace {
const SoundOption* find(const QString& id) {
    for (const SoundOption& candidate : options()) {
        if (candidate.id == id)
            return &candidate;
    }
    return nullptr;
}
} // namespace

const SoundOption& option(const QString& id) {
    const SoundOption* found = find(id);
    return found ? *found : options().front();
}

const SoundOption& option(const QString& id, SoundEffect effect) {
    const SoundOption* found = find(id);
    return found ? *found : option(defaultSoundID(effect));
}

bool isEnabled(const Defaults& defaults) {
    return defaults.boolValue(enabledKey).value_or(true);
}

const SoundOption& chosen(const Defaults& defaults, SoundEffect effect) {
    const std::optional<QString> stored = defaults.string(choiceKey(effect));
    return stored ? option(*stored, effect) : option(defaultSoundID(effect));
}

void play(SoundEffect effect) {
    SoundEffectPlayer::shared().play(effect);
}

} // namespace SoundEffects
