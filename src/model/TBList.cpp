#include "TBList.h"

#include "platform/JsonRead.h"

#include "platform/Clock.h"

using namespace JsonRead;

QString rawValue(TBListKind kind) {
    switch (kind) {
    case TBListKind::oneOff:
        return QStringLiteral("oneOff");
    case TBListKind::ongoing:
        return QStringLiteral("ongoing");
    }
    return QStringLiteral("oneOff");
}

QString rawValue(TBSharePermission permission) {
    switch (permission) {
    case TBSharePermission::readWrite:
        return QStringLiteral("readWrite");
    case TBSharePermission::readOnly:
        return QStringLiteral("readOnly");
    }
    return QStringLiteral("readWrite");
}

std::optional<TBListKind> listKindFromRaw(const QString& raw) {
    if (raw == QLatin1String("oneOff"))
        return TBListKind::oneOff;
    if (raw == QLatin1String("ongoing"))
        return TBListKind::ongoing;
    return std::nullopt;
}

std::optional<TBSharePermission> sharePermissionFromRaw(const QString& raw) {
    if (raw == QLatin1String("readWrite"))
        return TBSharePermission::readWrite;
    if (raw == QLatin1String("readOnly"))
        return TBSharePermission::readOnly;
    return std::nullopt;
}

ListUrgency TBList::urgency(Date now) const {
    const std::optional<Date> due = kind == TBListKind::ongoing ? std::nullopt : dueDate;
    return listUrgencyOf(due, createdAt, now);
}

ListUrgency TBList::urgency() const {
    return urgency(Clock::shared().now());
}

Json TBList::toJson() const {
    Json json = Json::object();
    json["id"] = toUtf8(id);
    json["name"] = toUtf8(name);
    json["pinned"] = pinned;
    json["order"] = order;
    if (zoneOwnerName)
        json["zoneOwnerName"] = toUtf8(*zoneOwnerName);
    if (sharePermission)
        json["sharePermission"] = toUtf8(rawValue(*sharePermission));
    json["hasShare"] = hasShare;
    json["icon"] = toUtf8(icon);
    json["colourID"] = toUtf8(colourID);
    json["kind"] = toUtf8(rawValue(kind));
    if (dueDate)
        json["dueDate"] = fromDate(*dueDate);
    json["createdAt"] = fromDate(createdAt);
    if (completedRetentionRaw)
        json["completedRetentionRaw"] = toUtf8(*completedRetentionRaw);
    return json;
}

TBList TBList::fromJson(const Json& element, Date now) {
    const Json& object = requireObject(element, "list");
    TBList list;
    list.id = requiredString(object, "id");
    list.name = requiredString(object, "name");
    list.pinned = boolean(object, "pinned", false);
    list.order = number(object, "order", 0);
    list.zoneOwnerName = optionalString(object, "zoneOwnerName");
    if (const auto raw = optionalString(object, "sharePermission")) {
        list.sharePermission = sharePermissionFromRaw(*raw);
        if (!list.sharePermission)
            throw DecodeError("list: unknown sharePermission \"" + toUtf8(*raw) + "\"");
    }
    list.hasShare = boolean(object, "hasShare", false);
    list.icon = string(object, "icon", QStringLiteral("checklist"));
    list.colourID = string(object, "colourID", QStringLiteral("blue"));
    if (const auto raw = optionalString(object, "kind")) {
        const auto kind = listKindFromRaw(*raw);
        if (!kind)
            throw DecodeError("list: unknown kind \"" + toUtf8(*raw) + "\"");
        list.kind = *kind;
    }
    list.dueDate = optionalDate(object, "dueDate");
    list.createdAt = date(object, "createdAt", now);
    list.completedRetentionRaw = optionalString(object, "completedRetentionRaw");
    return list;
}
