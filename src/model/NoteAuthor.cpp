#include "NoteAuthor.h"

#include "platform/Defaults.h"
#include "platform/Unicode.h"

namespace NoteAuthor {

QString preferredName(const Defaults& defaults) {
    return Unicode::trimWhitespaceAndNewlines(
        defaults.string(preferredNameKey).value_or(QString()));
}

void setPreferredName(Defaults& defaults, const QString& name) {
    defaults.setString(preferredNameKey, Unicode::trimWhitespaceAndNewlines(name));
}

std::optional<QString> formatted(const std::optional<PersonNameComponents>& components) {
    if (!components)
        return std::nullopt;
    const QString name =
        Unicode::trimWhitespaceAndNewlines(PersonNameFormatter::format(*components));
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

} // namespace NoteAuthor
