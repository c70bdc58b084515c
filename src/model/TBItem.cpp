#include "TBItem.h"

#include "platform/JsonRead.h"

using namespace JsonRead;

Json TBItem::toJson() const {
    Json json = Json::object();
    json["id"] = toUtf8(id);
    json["listID"] = toUtf8(listID);
    json["text"] = toUtf8(text);
    json["done"] = done;
    json["order"] = order;
    json["pinned"] = pinned;
    if (completedAt)
        json["completedAt"] = fromDate(*completedAt);
    json["notes"] = toUtf8(notes);
    return json;
}

TBItem TBItem::fromJson(const Json& element) {
    const Json& object = requireObject(element, "item");
    TBItem item;
    item.id = requiredString(object, "id");
    item.listID = requiredString(object, "listID");
    item.text = requiredString(object, "text");
    item.done = boolean(object, "done", false);
    item.order = number(object, "order", 0);
    item.pinned = boolean(object, "pinned", false);
    item.completedAt = optionalDate(object, "completedAt");
    item.notes = string(object, "notes", QString());
    return item;
}
