#include "Tombstone.h"

#include "platform/JsonRead.h"

Json Tombstone::toJson() const {
    Json element = Json::object();
    element["listID"] = JsonRead::toUtf8(listID);
    element["deletedAt"] = JsonRead::fromDate(deletedAt);
    return element;
}

Tombstone Tombstone::fromJson(const Json& element) {
    JsonRead::requireObject(element, "tombstone");
    return Tombstone{JsonRead::requiredString(element, "listID"),
                     JsonRead::requiredDate(element, "deletedAt")};
}
