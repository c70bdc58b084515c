#include "PersonDisplay.h"

#include "platform/Unicode.h"

namespace PersonDisplay {

QString initials(const QString& name) {
    // Only the space character separates words here; a tab stays inside a word.
    const QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QStringLiteral("?");
    QString joined;
    for (qsizetype i = 0; i < words.size() && i < 2; ++i)
        joined += Unicode::graphemes(words[i]).value(0);
    return Unicode::toUpper(joined);
}

Resolved resolve(const QString& authorName, const std::optional<PersonAlias>& alias) {
    const std::optional<QByteArray> photo = alias ? alias->photo : std::nullopt;
    if (alias && alias->alias) {
        const QString shown = Unicode::trimWhitespaceAndNewlines(*alias->alias);
        if (!shown.isEmpty())
            return {shown, initials(shown), photo, Source::alias};
    }
    const QString stored = Unicode::trimWhitespaceAndNewlines(authorName);
    if (!stored.isEmpty())
        return {stored, initials(stored), photo, Source::storedName};
    return {std::nullopt, std::nullopt, photo, Source::unknown};
}

} // namespace PersonDisplay
