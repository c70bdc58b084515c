// Writing and reading the four record types, field by field from the tables of synced fields.
#include "ListCloudMapping.h"

#include "store/RecordField.h"

#include <array>

namespace ListCloudMapping {

using cloud::Record;
using cloud::RecordID;
using cloud::ZoneID;
using namespace CloudLayout;

namespace {

const QString collectionField = QStringLiteral("collection");
const QString deletedAtField = QStringLiteral("deletedAt");
// Groups once travelled on the list record under this field; it is removed on every write.
const QString retiredGroupField = QStringLiteral("groupName");

ZoneID listZone(const QString& listID, const std::optional<QString>& owner) {
    return ZoneID{listZoneName(listID), owner.value_or(cloud::currentUserDefaultName)};
}

qint64 flag(bool value) {
    return value ? 1 : 0;
}

// True only for the integer 1.
bool readFlag(const Record& record, const QString& key) {
    return record.integer(key) == 1;
}

template <typename T>
void setOrRemove(Record& record, const QString& key, const std::optional<T>& value) {
    if (value)
        record.set(key, *value);
    else
        record.remove(key);
}

// How one synced field is written into a record and read back; `key` is the field's name.
template <typename Model, typename Id> struct FieldCoding {
    Id id;
    void (*write)(Record& record, const QString& key, const Model& model);
    void (*read)(Model& model, const Record& record, const QString& key, Date now);
};

// One row per synced field, in the order of the field tables (checked below), so a field added
// there without its coding here does not compile.
constexpr std::array<FieldCoding<TBList, ListField>, RecordFields::list.size()> listCoding{{
    {ListField::name, [](Record& r, const QString& k, const TBList& l) { r.set(k, l.name); },
     [](TBList& l, const Record& r, const QString& k, Date) {
         l.name = r.string(k).value_or(QString());
     }},
    {ListField::pinned,
     [](Record& r, const QString& k, const TBList& l) { r.set(k, flag(l.pinned)); },
     [](TBList& l, const Record& r, const QString& k, Date) { l.pinned = readFlag(r, k); }},
    {ListField::order, [](Record& r, const QString& k, const TBList& l) { r.set(k, l.order); },
     [](TBList& l, const Record& r, const QString& k, Date) {
         l.order = r.doubleValue(k).value_or(0);
     }},
    {ListField::icon, [](Record& r, const QString& k, const TBList& l) { r.set(k, l.icon); },
     [](TBList& l, const Record& r, const QString& k, Date) {
         l.icon = r.string(k).value_or(QStringLiteral("checklist"));
     }},
    {ListField::colour, [](Record& r, const QString& k, const TBList& l) { r.set(k, l.colourID); },
     [](TBList& l, const Record& r, const QString& k, Date) {
         l.colourID = r.string(k).value_or(QStringLiteral("blue"));
     }},
    {ListField::kind,
     [](Record& r, const QString& k, const TBList& l) { r.set(k, rawValue(l.kind)); },
     [](TBList& l, const Record& r, const QString& k, Date) {
         // Only the exact text names an ongoing list.
         l.kind =
             r.string(k) == QStringLiteral("ongoing") ? TBListKind::ongoing : TBListKind::oneOff;
     }},
    {ListField::createdAt,
     [](Record& r, const QString& k, const TBList& l) { r.set(k, l.createdAt); },
     [](TBList& l, const Record& r, const QString& k, Date now) {
         l.createdAt = r.date(k).value_or(now);
     }},
    {ListField::dueDate,
     [](Record& r, const QString& k, const TBList& l) { setOrRemove(r, k, l.dueDate); },
     [](TBList& l, const Record& r, const QString& k, Date) { l.dueDate = r.date(k); }},
    {ListField::completedRetention,
     [](Record& r, const QString& k, const TBList& l) {
         setOrRemove(r, k, l.completedRetentionRaw);
     },
     [](TBList& l, const Record& r, const QString& k, Date) {
         l.completedRetentionRaw = r.string(k);
     }},
}};

constexpr std::array<FieldCoding<TBItem, ItemField>, RecordFields::item.size()> itemCoding{{
    {ItemField::text, [](Record& r, const QString& k, const TBItem& i) { r.set(k, i.text); },
     [](TBItem& i, const Record& r, const QString& k, Date) {
         i.text = r.string(k).value_or(QString());
     }},
    {ItemField::done, [](Record& r, const QString& k, const TBItem& i) { r.set(k, flag(i.done)); },
     [](TBItem& i, const Record& r, const QString& k, Date) { i.done = readFlag(r, k); }},
    {ItemField::order, [](Record& r, const QString& k, const TBItem& i) { r.set(k, i.order); },
     [](TBItem& i, const Record& r, const QString& k, Date) {
         i.order = r.doubleValue(k).value_or(0);
     }},
    {ItemField::pinned,
     [](Record& r, const QString& k, const TBItem& i) { r.set(k, flag(i.pinned)); },
     [](TBItem& i, const Record& r, const QString& k, Date) { i.pinned = readFlag(r, k); }},
    {ItemField::completedAt,
     [](Record& r, const QString& k, const TBItem& i) { setOrRemove(r, k, i.completedAt); },
     [](TBItem& i, const Record& r, const QString& k, Date) { i.completedAt = r.date(k); }},
    {ItemField::notes,
     [](Record& r, const QString& k, const TBItem& i) {
         setOrRemove(r, k, i.notes.isEmpty() ? std::nullopt : std::optional(i.notes));
     },
     [](TBItem& i, const Record& r, const QString& k, Date) {
         i.notes = r.string(k).value_or(QString());
     }},
}};

template <typename Coding, typename Table>
constexpr bool matches(const Coding& coding, const Table& table) {
    for (size_t i = 0; i < coding.size(); ++i) {
        if (coding[i].id != table[i].id)
            return false;
    }
    return true;
}
static_assert(matches(listCoding, RecordFields::list) && matches(itemCoding, RecordFields::item));

template <typename Model, typename Coding>
void writeFields(Record& record, const Model& model, const Coding& coding) {
    for (const auto& field : coding)
        field.write(record, RecordFields::name(field.id), model);
}

template <typename Model, typename Coding>
void readFields(Model& model, const Record& record, const Coding& coding, Date now) {
    for (const auto& field : coding)
        field.read(model, record, RecordFields::name(field.id), now);
}

} // namespace

std::optional<QString> listID(const ZoneID& zone) {
    return listIDOfZone(zone.zoneName);
}

Record record(const TBList& list, std::optional<Record> base) {
    Record out = base ? std::move(*base)
                      : Record(listRecordType,
                               RecordID{listRecordName, listZone(list.id, list.zoneOwnerName)});
    writeFields(out, list, listCoding);
    out.remove(retiredGroupField);
    return out;
}

Record record(const TBItem& item, std::optional<Record> base, const std::optional<QString>& owner) {
    Record out = base ? std::move(*base)
                      : Record(itemRecordType, RecordID{item.id, listZone(item.listID, owner)});
    writeFields(out, item, itemCoding);
    return out;
}

Record record(const QString& listID, const QString& collection, std::optional<Record> base) {
    Record out =
        base ? std::move(*base)
             : Record(filingRecordType,
                      RecordID{listID, ZoneID{metaZoneName, cloud::currentUserDefaultName}});
    out.set(collectionField, collection);
    return out;
}

Record tombstoneRecord(const QString& itemID, const QString& listID,
                       const std::optional<QString>& owner, Date deletedAt) {
    Record out(tombstoneRecordType, RecordID{tombstoneRecordName(itemID), listZone(listID, owner)});
    out.set(deletedAtField, deletedAt);
    return out;
}

std::optional<TBList> list(const Record& record, Date now) {
    const auto id = listID(record.recordID().zoneID);
    if (record.recordType() != listRecordType || !id)
        return std::nullopt;
    TBList out;
    out.id = *id;
    readFields(out, record, listCoding, now);
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
    readFields(out, record, itemCoding, Date());
    return out;
}

std::optional<std::pair<QString, QString>> filing(const Record& record) {
    if (record.recordType() != filingRecordType ||
        record.recordID().zoneID.zoneName != metaZoneName)
        return std::nullopt;
    const auto group = record.string(collectionField);
    if (!group || group->isEmpty())
        return std::nullopt;
    return std::pair(record.recordID().recordName, *group);
}

QString collection(const Record& record) {
    return record.string(collectionField).value_or(QString());
}

std::optional<std::pair<QString, Date>> tombstone(const Record& record) {
    const auto itemID = itemIDOfTombstone(record.recordID().recordName);
    if (record.recordType() != tombstoneRecordType || !listID(record.recordID().zoneID) || !itemID)
        return std::nullopt;
    return std::pair(*itemID, record.date(deletedAtField).value_or(distantPast));
}

} // namespace ListCloudMapping
