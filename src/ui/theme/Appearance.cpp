// The stored appearance setting and what it means for light or dark.
#include "Appearance.h"

#include "platform/Defaults.h"

namespace AppearanceSetting {

QString rawValue(Appearance appearance) {
    switch (appearance) {
    case Appearance::system:
        return QStringLiteral("system");
    case Appearance::light:
        return QStringLiteral("light");
    case Appearance::dark:
        break;
    }
    return QStringLiteral("dark");
}

std::optional<Appearance> fromRaw(const QString& raw) {
    for (Appearance appearance : {Appearance::system, Appearance::light, Appearance::dark}) {
        if (rawValue(appearance) == raw)
            return appearance;
    }
    return std::nullopt;
}

Appearance stored(const Defaults& defaults) {
    const std::optional<QString> raw = defaults.string(key);
    if (!raw)
        return Appearance::system;
    return fromRaw(*raw).value_or(Appearance::system);
}

void store(Defaults& defaults, Appearance appearance) {
    defaults.setString(key, rawValue(appearance));
}

bool isDark(Appearance appearance, bool systemPrefersDark) {
    switch (appearance) {
    case Appearance::system:
        return systemPrefersDark;
    case Appearance::light:
        return false;
    case Appearance::dark:
        break;
    }
    return true;
}

} // namespace AppearanceSetting
