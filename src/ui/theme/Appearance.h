#pragma once

#include <QString>

#include <optional>

class Defaults;

// The appearance the user chose in the settings: follow the system, or always light or dark.
enum class Appearance { system, light, dark };

namespace AppearanceSetting {

inline const QString key = QStringLiteral("appearance");

QString rawValue(Appearance appearance); // "system", "light", "dark"
std::optional<Appearance> fromRaw(const QString& raw);
// The stored choice; system when the key is missing or names no case.
Appearance stored(const Defaults& defaults);
void store(Defaults& defaults, Appearance appearance);
// Whether the screens are dark under a choice, given whether the system prefers dark.
bool isDark(Appearance appearance, bool systemPrefersDark);

} // namespace AppearanceSetting
