#include "TBPerson.h"

#include "platform/JsonRead.h"

#include "platform/Unicode.h"

using namespace JsonRead;

namespace {
// Fewer kept characters than this cannot be a phone number worth keeping.
constexpr int minimumPhoneCharacters = 5;
} // namespace

std::optional<TBPerson> TBPerson::make(const QString& id, const QString& name,
                                       const QString& handle) {
    const QString trimmed = Unicode::trimWhitespaceAndNewlines(handle);
    if (trimmed.isEmpty())
        return std::nullopt;

    TBPerson person;
    person.id = id;
    person.name = Unicode::trimWhitespaceAndNewlines(name);
    if (trimmed.contains(QLatin1Char('@'))) {
        person.emailAddress = Unicode::toLower(trimmed);
        return person;
    }

    // Whole characters are kept, so a digit with a combining mark stays one character.
    QString number;
    int kept = 0;
    for (const QString& character : Unicode::graphemes(trimmed)) {
        if (character == QLatin1String("+") ||
            Unicode::isNumeric(Unicode::firstCodePoint(character))) {
            number += character;
            ++kept;
        }
    }
    if (kept < minimumPhoneCharacters)
        return std::nullopt;
    person.phoneNumber = number;
    return person;
}

QString TBPerson::displayName() const {
    if (!name.isEmpty())
        return name;
    if (emailAddress)
        return *emailAddress;
    if (phoneNumber)
        return *phoneNumber;
    return QString();
}

Json TBPerson::toJson() const {
    Json json = Json::object();
    json["id"] = toUtf8(id);
    json["name"] = toUtf8(name);
    if (emailAddress)
        json["emailAddress"] = toUtf8(*emailAddress);
    if (phoneNumber)
        json["phoneNumber"] = toUtf8(*phoneNumber);
    return json;
}

TBPerson TBPerson::fromJson(const Json& element) {
    const Json& object = requireObject(element, "person");
    TBPerson person;
    person.id = requiredString(object, "id");
    person.name = requiredString(object, "name");
    person.emailAddress = optionalString(object, "emailAddress");
    person.phoneNumber = optionalString(object, "phoneNumber");
    return person;
}
