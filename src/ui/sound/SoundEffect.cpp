// The sound effects' names and default sounds.
#include "SoundEffect.h"

namespace SoundEffects {

const QList<SoundEffect>& allEffects() {
    static const QList<SoundEffect> effects{SoundEffect::itemAdded, SoundEffect::itemCompleted,
                                            SoundEffect::unhappy, SoundEffect::micStopped,
                                            SoundEffect::modeChanged};
    return effects;
}

QString rawValue(SoundEffect effect) {
    switch (effect) {
    case SoundEffect::itemAdded:
        return QStringLiteral("itemAdded");
    case SoundEffect::itemCompleted:
        return QStringLiteral("itemCompleted");
    case SoundEffect::unhappy:
        return QStringLiteral("unhappy");
    case SoundEffect::micStopped:
        return QStringLiteral("micStopped");
    case SoundEffect::modeChanged:
        break;
    }
    return QStringLiteral("modeChanged");
}

std::optional<SoundEffect> effectFromRaw(const QString& raw) {
    for (SoundEffect effect : allEffects()) {
        if (rawValue(effect) == raw)
            return effect;
    }
    return std::nullopt;
}

QString defaultSoundID(SoundEffect effect) {
    switch (effect) {
    case SoundEffect::itemAdded:
        return QStringLiteral("tick");
    case SoundEffect::itemCompleted:
        return QStringLiteral("ding");
    case SoundEffect::unhappy:
        return QStringLiteral("swoosh");
    case SoundEffect::micStopped:
        return QStringLiteral("done");
    case SoundEffect::modeChanged:
        break;
    }
    return QStringLiteral("chime");
}

} // namespace SoundEffects
