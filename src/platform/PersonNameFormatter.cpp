#include "PersonNameFormatter.h"

#include "Unicode.h"

QString PersonNameFormatter::format(const PersonNameComponents& components) {
    const QString given = Unicode::trimWhitespaceAndNewlines(components.givenName);
    const QString family = Unicode::trimWhitespaceAndNewlines(components.familyName);
    if (given.isEmpty() || family.isEmpty()) {
        return given.isEmpty() ? family : given;
    }
    return given + QLatin1Char(' ') + family;
}
