// Building the records the engines send, and taking in the records they fetch.
#include "CloudSync.h"

#include "CloudIds.h"
#include "ListCloudMapping.h"
#include "cloud/RecordCoding.h"

using namespace cloud;
namespace Mapping = ListCloudMapping;

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
        return Mapping::record(name, *filing, unarchive(CloudLayout::filingArchiveKey(name)));
    }
    const auto listID = Mapping::listID(id.zoneID);
    if (!listID)
        return std::nullopt;
    const TBList* list = store_.findList(*listID);
    const std::optional<QString> owner = list ? list->zoneOwnerName : std::nullopt;
    if (name == CloudLayout::listRecordName) {
        if (!list)
            return std::nullopt;
        return Mapping::record(*list, unarchive(CloudLayout::listArchiveKey(*listID)));
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
    return Mapping::record(*item, unarchive(CloudLayout::itemArchiveKey(name)), owner);
}

void CloudSync::applyShare(const Record& share) {
    const auto listID = Mapping::listID(share.recordID().zoneID);
    if (!listID)
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
    store_.applyServerDeletion(CloudIds::fromCloud(id));
}
