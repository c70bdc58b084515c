#pragma once

#include <QString>

#include <optional>

namespace cloud {

// Which of a user's two databases: their own data, or the zones others shared with them.
enum class DatabaseScope { privateScope, sharedScope };

inline QString rawValue(DatabaseScope scope) {
    return scope == DatabaseScope::sharedScope ? QStringLiteral("shared")
                                               : QStringLiteral("private");
}

inline std::optional<DatabaseScope> databaseScopeFromRaw(const QString& raw) {
    if (raw == QLatin1String("private"))
        return DatabaseScope::privateScope;
    if (raw == QLatin1String("shared"))
        return DatabaseScope::sharedScope;
    return std::nullopt;
}

} // namespace cloud
