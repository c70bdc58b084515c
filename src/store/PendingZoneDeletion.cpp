#include "PendingZoneDeletion.h"

#include "platform/JsonRead.h"

Json PendingZoneDeletion::toJson() const {
    Json element = Json::object();
    element["listID"] = JsonRead::toUtf8(listID);
    if (zoneOwnerName)
        element["zoneOwnerName"] = JsonRead::toUtf8(*zoneOwnerName);
    element["isShared"] = isShared;
    return element;
}

PendingZoneDeletion PendingZoneDeletion::fromJson(const Json& element) {
    JsonRead::requireObject(element, "pending zone deletion");
    return PendingZoneDeletion{JsonRead::requiredString(element, "listID"),
                               JsonRead::optionalString(element, "zoneOwnerName"),
                               JsonRead::requiredBool(element, "isShared")};
}
