#pragma once

#include "PersonAlias.h"

#include <QByteArray>
#include <QString>

#include <optional>

// How the author of a note is shown: a name, the initials for a round badge, and a picture.
namespace PersonDisplay {

// Where the shown name comes from.
enum class Source { alias, storedName, unknown };

struct Resolved {
    std::optional<QString> name;
    std::optional<QString> initials;
    std::optional<QByteArray> photo;
    Source source = Source::unknown;

    bool operator==(const Resolved&) const = default;
};

// The first characters of the first two space-separated words, upper-cased; "?" for none.
QString initials(const QString& name);

// Prefers this device's alias for the person, then the name stored with the note.
Resolved resolve(const QString& authorName, const std::optional<PersonAlias>& alias);

} // namespace PersonDisplay
