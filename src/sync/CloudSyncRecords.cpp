// Building the records the engines send, and taking in the records they fetch.
#include "CloudSync.h"

#include "CloudIds.h"
#include "ListCloudMapping.h"
#include "cloud/RecordCoding.h"
#include "store/RecordField.h"

#include <QDebug>

using namespace cloud;
namespace Mapping = ListCloudMapping;

namespace {

// What sync leaves alone is said in the program's log; quoted, so that a name someone else chose
// cannot make lines of its own there.
bool refused(const std::optional<QString>& why) {
    if (why)
        qWarning().nospace() << "Sync: " << *why;
    return why.has_value();
}

// A server copy kept under the key is the base of the record `id` only when it is that record:
// one of another zone (kept by an older program, which took in records by name alone) would
// send the local values there.
std::optional<Record> baseFor(std::optional<Record> kept, const RecordID& id) {
    if (kept && kept->recordID() != id)
        return std::nullopt;
    return kept;
}

// Fields held for another account (ListStore::heldMarks()) are that account's to send: a record
// sent now carries the cloud's value of them. A list or item the cloud does not have yet, some
// of whose fields are someone else's change, is not sent at all.
template <typename Model, typename Table>
std::optional<Model> withoutHeld(Model local, const FieldSet& held,
                                 const std::optional<Model>& server, const Table& fields) {
    if (held.isEmpty())
        return local;
    if (!server)
        return std::nullopt;
    for (const auto& field : fields) {
        if (held.contains(field.latin1Name()))
            field.copy(local, *server);
    }
    return local;
}

} // namespace

QByteArray CloudSync::archive(const Record& record) {
    return RecordCoding::encode(record);
}

std::optional<Record> CloudSync::unarchive(const QString& key) const {
    const auto data = store_.archivedRecord(key);
    if (!data || data->isEmpty())
        return std::nullopt;
    return RecordCoding::decode(*data);
}

std::optional<Record> CloudSync::recordFor(const RecordID& id) const {
    const QString& name = id.recordName;
    if (id.zoneID.zoneName == CloudLayout::metaZoneName) {
        const auto filing = store_.filings().find(name);
        if (filing == store_.filings().end())
            return std::nullopt;
        return Mapping::record(name, *filing,
                               baseFor(unarchive(CloudLayout::filingArchiveKey(name)), id));
    }
    const auto listID = Mapping::listID(id.zoneID);
    if (!listID)
        return std::nullopt;
    const TBList* list = store_.findList(*listID);
    const std::optional<QString> owner = list ? list->zoneOwnerName : std::nullopt;
    if (name == CloudLayout::listRecordName) {
        if (!list)
            return std::nullopt;
        auto base = baseFor(unarchive(CloudLayout::listArchiveKey(*listID)), id);
        const auto sent = withoutHeld(
            *list, store_.heldListFields(*listID),
            base ? Mapping::list(*base, store_.clock().now()) : std::nullopt, RecordFields::list);
        if (!sent)
            return std::nullopt;
        return Mapping::record(*sent, std::move(base));
    }
    if (const auto itemID = CloudLayout::itemIDOfTombstone(name)) {
        const auto tombstone = store_.tombstones().find(*itemID);
        if (tombstone == store_.tombstones().end())
            return std::nullopt;
        const TBList* itsList = store_.findList(tombstone->listID);
        return Mapping::tombstoneRecord(*itemID, tombstone->listID,
                                        itsList ? itsList->zoneOwnerName : std::nullopt,
                                        tombstone->deletedAt);
    }
    const TBItem* item = store_.findItem(name);
    if (!item || item->listID != *listID)
        return std::nullopt;
    auto base = baseFor(unarchive(CloudLayout::itemArchiveKey(name)), id);
    const auto sent = withoutHeld(*item, store_.heldItemFields(name),
                                  base ? Mapping::item(*base) : std::nullopt, RecordFields::item);
    if (!sent)
        return std::nullopt;
    return Mapping::record(*sent, std::move(base), owner);
}

void CloudSync::applyShare(const Record& share) {
    const auto listID = Mapping::listID(share.recordID().zoneID);
    if (!listID || refused(store_.foreignZone(CloudIds::fromCloud(share.recordID().zoneID))))
        return;
    const ShareParticipant* me = share.share() ? share.share()->currentUserParticipant() : nullptr;
    const TBSharePermission permission = me && me->permission == ParticipantPermission::readOnly
                                             ? TBSharePermission::readOnly
                                             : TBSharePermission::readWrite;
    store_.applySharePermission(*listID, permission);
}

void CloudSync::applyServerRecord(const Record& record) {
    if (record.isShare()) {
        applyShare(record);
        return;
    }
    if (refused(store_.foreignRecord(CloudIds::fromCloud(record.recordID()))))
        return;
    if (const auto tombstone = Mapping::tombstone(record)) {
        store_.applyServerTombstone(tombstone->first, *Mapping::listID(record.recordID().zoneID),
                                    tombstone->second);
    } else if (const auto filing = Mapping::filing(record)) {
        store_.applyServerFiling(filing->first, filing->second, archive(record));
    } else if (const auto list = Mapping::list(record, store_.clock().now())) {
        store_.applyServerList(*list, archive(record));
    } else if (const auto item = Mapping::item(record)) {
        store_.applyServerItem(*item, archive(record));
    }
}

void CloudSync::applyServerDeletion(const RecordID& id) {
    const RecordRef record = CloudIds::fromCloud(id);
    if (!refused(store_.foreignRecord(record)))
        store_.applyServerDeletion(record);
}

void CloudSync::applyZoneDeletion(const ZoneID& zone) {
    const auto listID = Mapping::listID(zone);
    if (listID && !refused(store_.foreignZone(CloudIds::fromCloud(zone))))
        store_.removeListLocally(*listID);
}
