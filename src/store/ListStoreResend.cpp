// Sending again what the cloud no longer holds: a container made anew (or an older copy put in
// its place) knows none of this device's zones, so the server copies kept of its records are
// let go and everything of the user's own that a fetch does not bring back is sent in full, as
// a sign-in with a new account sends everything.
#include "ListStore.h"

#include "CloudLayout.h"
#include "RecordQueue.h"

namespace {

// The list of an archive key's record ("L#" list, "I#" item), when the key names one.
std::optional<QString> listOfKey(const QString& key, const ListStore& store) {
    if (key.startsWith(CloudLayout::listArchiveKey(QString())))
        return key.mid(CloudLayout::listArchiveKey(QString()).size());
    if (key.startsWith(CloudLayout::itemArchiveKey(QString()))) {
        const TBItem* item = store.findItem(key.mid(CloudLayout::itemArchiveKey(QString()).size()));
        return item ? item->listID : QString();
    }
    return std::nullopt;
}

} // namespace

void ListStore::serverCopiesLost(EngineScope scope) {
    if (frozen())
        return;
    const bool shared = scope == EngineScope::sharedDatabase;
    // What lies in the other database, and the share permissions waiting for their lists, stay.
    QList<std::pair<QString, QByteArray>> kept;
    for (const QString& key : archivedRecords_.keys()) {
        const std::optional<QString> listID = listOfKey(key, *this);
        const bool filing = key.startsWith(CloudLayout::filingArchiveKey(QString()));
        const bool lost = listID ? isShared(*listID) == shared : filing && !shared;
        if (!lost)
            kept.append({key, archivedRecords_.value(key).value_or(QByteArray())});
    }
    if (kept.size() == archivedRecords_.size())
        return;
    archivedRecords_.clear();
    for (const auto& [key, text] : kept)
        archivedRecords_.insert(key, text);
}

bool ListStore::resendWhatTheServerLacks(EngineScope scope) {
    // Someone else's zone is theirs to fill again; this device only keeps no copy of it.
    if (frozen() || scope == EngineScope::sharedDatabase)
        return false;
    const ChangeScope changes(*this);
    const auto lacks = [this](const QString& key) { return !archivedRecords_.contains(key); };
    RecordQueue queue(*this);
    bool any = false;
    for (const TBList& list : std::as_const(lists_)) {
        if (list.zoneOwnerName || !lacks(CloudLayout::listArchiveKey(list.id)))
            continue;
        dirtyLists_[list.id] = allListFields();
        queue.saveList(list.id);
        any = true;
    }
    for (const TBItem& item : std::as_const(allItems_)) {
        if (isShared(item.listID) || !lacks(CloudLayout::itemArchiveKey(item.id)))
            continue;
        dirtyItems_[item.id] = allItemFields();
        queue.saveItem(item);
        any = true;
    }
    queue.flush();
    QStringList filed;
    for (auto it = filings_.keyBegin(); it != filings_.keyEnd(); ++it) {
        if (lacks(CloudLayout::filingArchiveKey(*it)))
            filed.append(*it);
    }
    if (!filed.isEmpty()) {
        queueMetaZone();
        for (const QString& listID : filed) {
            dirtyFilings_.insert(listID);
            queueFilingRecord(listID);
        }
        any = true;
    }
    // Deletions this device knows of reach the devices that send the deleted items again.
    for (auto it = tombstones_.cbegin(); it != tombstones_.cend(); ++it) {
        if (isShared(it->listID))
            continue;
        dirtyTombstones_.insert(it.key());
        if (privateEngine_)
            privateEngine_->saveRecord(tombstoneRecordID(it.key()));
        any = true;
    }
    if (any) {
        persist();
        noteMarked();
    }
    return any;
}
