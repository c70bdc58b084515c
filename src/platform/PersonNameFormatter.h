#pragma once

#include <QString>

// The parts of a person's name as a contact card or an account gives them.
struct PersonNameComponents {
    QString namePrefix;
    QString givenName;
    QString middleName;
    QString familyName;
    QString nameSuffix;
    QString nickname;
    bool operator==(const PersonNameComponents&) const = default;
};

namespace PersonNameFormatter {
// The default style: the given name, then the family name, separated by one space, trimmed.
// Empty when both are empty.
QString format(const PersonNameComponents& components);
} // namespace PersonNameFormatter
