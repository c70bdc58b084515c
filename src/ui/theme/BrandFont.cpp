// Finding and registering the brand font, with the system font as the fallback.
#include "BrandFont.h"

#include <QFontDatabase>
#include <QStandardPaths>

namespace {
bool attempted = false;
std::optional<QString> registeredFamily;
} // namespace

namespace BrandFont {

QStringList candidatePaths() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return {QStringLiteral(":/fonts/") + fileName,
            cache + QStringLiteral("/tallybird-build/fonts/") + fileName};
}

std::optional<QString> registerFirst(const QStringList& paths) {
    for (const QString& path : paths) {
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0)
            continue;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            return families.front();
    }
    return std::nullopt;
}

void ensureRegistered() {
    if (attempted)
        return;
    attempted = true;
    registeredFamily = registerFirst(candidatePaths());
}

std::optional<QString> family() {
    ensureRegistered();
    return registeredFamily;
}

} // namespace BrandFont
