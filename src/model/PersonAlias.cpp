#include "PersonAlias.h"

#include "platform/JsonRead.h"

#include "platform/Base64.h"
#include "platform/Unicode.h"

using namespace JsonRead;

bool PersonAlias::isEmpty() const {
    if (alias && !Unicode::trimWhitespaceAndNewlines(*alias).isEmpty())
        return false;
    // A photo or a linked name was set on purpose, even when it is empty.
    if (photo || linkedName)
        return false;
    return handles.isEmpty();
}

Json PersonAlias::toJson() const {
    Json json = Json::object();
    json["personID"] = toUtf8(personID);
    if (alias)
        json["alias"] = toUtf8(*alias);
    if (photo)
        json["photo"] = toUtf8(Base64::encode(*photo));
    if (linkedName)
        json["linkedName"] = toUtf8(*linkedName);
    json["handles"] = fromStringList(handles);
    return json;
}

PersonAlias PersonAlias::fromJson(const Json& element) {
    const Json& object = requireObject(element, "alias");
    PersonAlias result;
    result.personID = requiredString(object, "personID");
    result.alias = optionalString(object, "alias");
    if (const auto text = optionalString(object, "photo")) {
        result.photo = Base64::decode(*text);
        if (!result.photo)
            throw DecodeError("alias: \"photo\" is not Base64");
    }
    result.linkedName = optionalString(object, "linkedName");
    result.handles = stringArray(object, "handles", {});
    return result;
}
