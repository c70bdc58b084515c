#include "ListCloudMapping.h"

namespace ListCloudMapping {

using cloud::Record;
using cloud::RecordID;
using cloud::ZoneID;

namespace {

ZoneID listZone(const QString& listID, const std::optional<QString>& owner) {
    return ZoneID{listZonePrefix + listID, owner.value_or(cloud::currentUserDefaultName)};
}

qint64 flag(bool value) {
    return value ? 1 : 0;
}

bool readFlag(const Record& record, const QString& key) {
    return record.integer(key) == 1;
}

template <typename T>
void setOrRemove(Record& record, const QString& key, const std::optional<T>& v) {
    if (v)
        record.set(key, *v);
    else
        record.remove(key);
}

} // namespace

std::optional<QString> listID(const ZoneID& zone) {
    if (!zone.zoneName.startsWith(listZonePrefix))
        return std::nullopt;
    return zone.zoneName.mid(listZonePrefix.size());
}

Record record(const TBList& list, std::optional<Record> base) {
    Record out = base ? std::move(*base)
                      : Record(listRecordType,
                               RecordID{listRecordName, listZone(list.id, list.zoneOwnerName)});
    out.set(QStringLiteral("name"), list.name);
    out.set(QStringLiteral("pinned"), flag(list.pinned));
    out.set(QStringLiteral("order"), list.order);
    out.set(QStringLiteral("icon"), list.icon);
    out.set(QStringLiteral("colour"), list.colourID);
    out.set(QStringLiteral("kind"), rawValue(list.kind));
    out.set(QStringLiteral("createdAt"), list.createdAt);
    setOrRemove(out, QStringLiteral("dueDate"), list.dueDate);
    setOrRemove(out, QStringLiteral("completedRetention"), list.completedRetentionRaw);
    // Groups travel only as filing records; an old copy may still carry this field.
    out.remove(QStringLiteral("groupName"));
    return out;
}

Record record(const TBItem& item, std::optional<Record> base, const std::optional<QString>& owner) {
    Record out = base ? std::move(*base)
                      : Record(itemRecordType, RecordID{item.id, listZone(item.listID, owner)});
    out.set(QStringLiteral("text"), item.text);
    out.set(QStringLiteral("done"), flag(item.done));
    out.set(QStringLiteral("order"), item.order);
    out.set(QStringLiteral("pinned"), flag(item.pinned));
    setOrRemove(out, QStringLiteral("completedAt"), item.completedAt);
    setOrRemove(out, QStringLiteral("notes"),
                item.notes.isEmpty() ? std::nullopt : std::optional(item.notes));
    return out;
}

Record record(const QString& listID, const QString& collection, std::optional<Record> base) {
    Record out =
        base ? std::move(*base)
             : Record(filingRecordType,
                      RecordID{listID, ZoneID{metaZoneName, cloud::currentUserDefaultName}});
    out.set(QStringLiteral("collection"), collection);
    return out;
}

Record tombstoneRecord(const QString& itemID, const QString& listID,
                       const std::optional<QString>& owner, Date deletedAt) {
    Record out(tombstoneRecordType, RecordID{tombstonePrefix + itemID, listZone(listID, owner)});
    out.set(QStringLiteral("deletedAt"), deletedAt);
    return out;
}

std::optional<TBList> list(const Record& record, Date now) {
    const auto id = listID(record.recordID().zoneID);
    if (record.recordType() != listRecordType || !id)
        return std::nullopt;
    TBList out;
    out.id = *id;
    out.name = record.string(QStringLiteral("name")).value_or(QString());
    out.pinned = readFlag(record, QStringLiteral("pinned"));
    out.order = record.doubleValue(QStringLiteral("order")).value_or(0);
    out.icon = record.string(QStringLiteral("icon")).value_or(QStringLiteral("checklist"));
    out.colourID = record.string(QStringLiteral("colour")).value_or(QStringLiteral("blue"));
    out.kind = record.string(QStringLiteral("kind")) == QStringLiteral("ongoing")
                   ? TBListKind::ongoing
                   : TBListKind::oneOff;
    out.createdAt = record.date(QStringLiteral("createdAt")).value_or(now);
    out.dueDate = record.date(QStringLiteral("dueDate"));
    out.completedRetentionRaw = record.string(QStringLiteral("completedRetention"));
    const QString& owner = record.recordID().zoneID.ownerName;
    if (owner != cloud::currentUserDefaultName)
        out.zoneOwnerName = owner;
    return out;
}

std::optional<TBItem> item(const Record& record) {
    const auto id = listID(record.recordID().zoneID);
    if (record.recordType() != itemRecordType || !id)
        return std::nullopt;
    TBItem out;
    out.id = record.recordID().recordName;
    out.listID = *id;
    out.text = record.string(QStringLiteral("text")).value_or(QString());
    out.done = readFlag(record, QStringLiteral("done"));
    out.order = record.doubleValue(QStringLiteral("order")).value_or(0);
    out.pinned = readFlag(record, QStringLiteral("pinned"));
    out.completedAt = record.date(QStringLiteral("completedAt"));
    out.notes = record.string(QStringLiteral("notes")).value_or(QString());
    return out;
}

std::optional<std::pair<QString, QString>> filing(const Record& record) {
    if (record.recordType() != filingRecordType ||
        record.recordID().zoneID.zoneName != metaZoneName)
        return std::nullopt;
    const auto collection = record.string(QStringLiteral("collection"));
    if (!collection || collection->isEmpty())
        return std::nullopt;
    return std::pair(record.recordID().recordName, *collection);
}

std::optional<std::pair<QString, Date>> tombstone(const Record& record) {
    const QString& name = record.recordID().recordName;
    if (record.recordType() != tombstoneRecordType || !listID(record.recordID().zoneID) ||
        !name.startsWith(tombstonePrefix))
        return std::nullopt;
    return std::pair(name.mid(tombstonePrefix.size()),
                     record.date(QStringLiteral("deletedAt")).value_or(distantPast));
}

} // namespace ListCloudMapping
