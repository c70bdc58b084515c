// Change marks: what is not yet confirmed sent, and queuing it on the sync engines. A store that
// takes no change (editRefusal()) marks and queues nothing: it never syncs.
#include "ListStore.h"
#include "platform/Defaults.h"

#include "CloudLayout.h"
#include "MarkScan.h"
#include "RecordQueue.h"

#include <algorithm>

namespace {
constexpr double tombstoneLifetime = 2'592'000; // 30 days, in seconds
} // namespace

bool ListStore::isShared(const QString& listID) const {
    const qsizetype index = indexOfList(listID);
    return index >= 0 && lists_[index].zoneOwnerName.has_value();
}

bool ListStore::isOwnList(const QString& listID) const {
    const qsizetype index = indexOfList(listID);
    return index >= 0 && !lists_[index].zoneOwnerName.has_value();
}

ZoneRef ListStore::zoneID(const QString& listID) const {
    const qsizetype index = indexOfList(listID);
    const QString owner = index >= 0 && lists_[index].zoneOwnerName ? *lists_[index].zoneOwnerName
                                                                    : currentUserOwnerName;
    return ZoneRef{CloudLayout::listZoneName(listID), owner};
}

RecordRef ListStore::itemRecordID(const TBItem& item) const {
    return RecordRef{item.id, zoneID(item.listID)};
}

RecordRef ListStore::tombstoneRecordID(const QString& itemID) const {
    const auto it = tombstones_.find(itemID);
    const QString listID = it != tombstones_.end() ? it->listID : QString();
    return RecordRef{CloudLayout::tombstoneRecordName(itemID), zoneID(listID)};
}

EngineQueue* ListStore::engineFor(const QString& listID) const {
    return isShared(listID) ? sharedEngine_.get() : privateEngine_.get();
}

void ListStore::queueMetaZone() {
    if (frozen())
        return;
    if (privateEngine_)
        privateEngine_->saveZone(ZoneRef{CloudLayout::metaZoneName, currentUserOwnerName});
}

void ListStore::queueListRecord(const QString& listID) {
    if (!isShared(listID) && privateEngine_)
        privateEngine_->saveZone(zoneID(listID));
    if (EngineQueue* engine = engineFor(listID))
        engine->saveRecord(RecordRef{CloudLayout::listRecordName, zoneID(listID)});
}

void ListStore::queueItemRecord(const TBItem& item) {
    if (!isShared(item.listID) && privateEngine_)
        privateEngine_->saveZone(zoneID(item.listID));
    if (EngineQueue* engine = engineFor(item.listID))
        engine->saveRecord(itemRecordID(item));
}

// A filing record is saved while the list is in a group and deleted once it left it.
void ListStore::queueFilingRecord(const QString& listID) {
    if (!privateEngine_)
        return;
    const RecordRef record{listID, ZoneRef{CloudLayout::metaZoneName, currentUserOwnerName}};
    if (filings_.contains(listID))
        privateEngine_->saveRecord(record);
    else
        privateEngine_->deleteRecord(record);
}

void ListStore::queueItemDeletion(const QString& itemID, const QString& listID) {
    if (EngineQueue* engine = engineFor(listID))
        engine->deleteRecord(RecordRef{itemID, zoneID(listID)});
}

void ListStore::markListDirty(const QString& listID, const FieldSet& fields) {
    if (frozen())
        return;
    // A mark for a list that is not there could never be sent, and would make every start
    // recreate that list's zone.
    if (indexOfList(listID) < 0)
        return;
    dirtyLists_[listID].unite(fields);
    queueListRecord(listID);
    persist();
    noteMarked();
}

void ListStore::markItemDirty(const TBItem& item, const FieldSet& fields) {
    if (frozen())
        return;
    dirtyItems_[item.id].unite(fields);
    queueItemRecord(item);
    persist();
    noteMarked();
}

void ListStore::markFilingDirty(const QString& listID) {
    if (frozen())
        return;
    dirtyFilings_.insert(listID);
    queueMetaZone();
    queueFilingRecord(listID);
    persist();
    noteMarked();
}

// Linear in the marks. A store that never synced has every item marked, all of which are
// queued when the engines start: the items are looked through by the engines as they take them
// in, away from this thread (see MarkScan), and what is queued after them comes after them.
void ListStore::requeueDirty() {
    if (frozen())
        return;
    RecordQueue queue(*this);
    for (auto it = dirtyLists_.cbegin(); it != dirtyLists_.cend(); ++it) {
        if (!it.value().isEmpty() && indexOfList(it.key()) >= 0)
            queue.saveList(it.key());
    }
    markScan_.reset();
    if (!dirtyItems_.isEmpty() && (privateEngine_ || sharedEngine_)) {
        markScan_ = std::make_shared<MarkScan>(dirtyItems_, allItems_);
        queue.saveMarkedItems(markScan_, lists_);
    }
    queue.flush();
    if (!dirtyFilings_.isEmpty()) {
        queueMetaZone();
        for (const QString& listID : dirtyFilings_)
            queueFilingRecord(listID);
    }
    for (const PendingZoneDeletion& pending : pendingZoneDeletions_) {
        EngineQueue* engine = pending.isShared ? sharedEngine_.get() : privateEngine_.get();
        if (engine)
            engine->deleteZone(ZoneRef{CloudLayout::listZoneName(pending.listID),
                                       pending.zoneOwnerName.value_or(currentUserOwnerName)});
    }
    for (const QString& itemID : dirtyTombstones_) {
        const auto tombstone = tombstones_.find(itemID);
        if (tombstone == tombstones_.end())
            continue;
        if (EngineQueue* engine = engineFor(tombstone->listID))
            engine->saveRecord(tombstoneRecordID(itemID));
    }
    // An item deleted while the engines were away must lose its server record too, or it
    // would come back to every device once its tombstone is pruned. The tombstone names the
    // item's list, and so its zone.
    for (const QString& itemID : pendingItemDeletions_) {
        const auto tombstone = tombstones_.find(itemID);
        if (tombstone != tombstones_.end())
            queueItemDeletion(itemID, tombstone->listID);
    }
}

// As requeueDirty() queues them: a mark of a list or item that is not here queues nothing. A
// record of a view-only list would only be refused.
bool ListStore::owesCloud() const {
    if (frozen())
        return false;
    if (!dirtyFilings_.isEmpty() || !pendingZoneDeletions_.isEmpty())
        return true;
    const auto mayChange = [this](const QString& listID) {
        const qsizetype index = indexOfList(listID);
        return index < 0 || !lists_[index].isViewOnly();
    };
    for (auto it = dirtyLists_.cbegin(); it != dirtyLists_.cend(); ++it) {
        if (!it.value().isEmpty() && indexOfList(it.key()) >= 0 && mayChange(it.key()))
            return true;
    }
    for (auto it = dirtyItems_.cbegin(); it != dirtyItems_.cend(); ++it) {
        const qsizetype index = it.value().isEmpty() ? -1 : indexOfItem(it.key());
        if (index >= 0 && mayChange(allItems_[index].listID))
            return true;
    }
    const auto deletionOwed = [&](const QString& itemID) {
        const auto tombstone = tombstones_.constFind(itemID);
        return tombstone != tombstones_.cend() && mayChange(tombstone->listID);
    };
    return std::ranges::any_of(dirtyTombstones_, deletionOwed) ||
           std::ranges::any_of(pendingItemDeletions_, deletionOwed);
}

void ListStore::releaseMarkScan() {
    if (markScan_)
        markScan_->release();
    markScan_.reset();
}

void ListStore::startEngines() {
    privateEngine_ = engineFactory_ ? engineFactory_->makeEngine(EngineScope::privateDatabase,
                                                                 engineStateData_, automaticSync_)
                                    : nullptr;
    sharedEngine_ = engineFactory_
                        ? engineFactory_->makeEngine(EngineScope::sharedDatabase,
                                                     sharedEngineStateData_, automaticSync_)
                        : nullptr;
    requeueDirty();
}

void ListStore::startEnginesIfAllowed() {
    if (frozen())
        return;
    if (cloudSync_ && syncEnabled() && !enginesStarted_) {
        enginesStarted_ = true;
        startEngines();
    }
}

void ListStore::start() {
    // A store that takes no change neither syncs nor prunes.
    if (frozen())
        return;
    startEnginesIfAllowed();
    pruneTombstones(clock_.now());
    if (shareFlagRefresh_)
        shareFlagRefresh_();
}

bool ListStore::syncEnabled() const {
    return defaults_.boolValue(QStringLiteral("cloudSyncEnabled")).value_or(true);
}

void ListStore::setSyncEnabled(bool on) {
    defaults_.setBool(QStringLiteral("cloudSyncEnabled"), on);
    if (!on) {
        privateEngine_.reset();
        sharedEngine_.reset();
        enginesStarted_ = false;
    } else {
        startEnginesIfAllowed();
    }
    noteSyncSwitch();
}

void ListStore::pruneTombstones(Date now) {
    if (frozen())
        return;
    QStringList expired;
    for (auto it = tombstones_.begin(); it != tombstones_.end(); ++it) {
        if (now.secondsSince(it->deletedAt) > tombstoneLifetime)
            expired.append(it.key());
    }
    if (expired.isEmpty())
        return;
    for (const QString& itemID : expired) {
        if (EngineQueue* engine = engineFor(tombstones_[itemID].listID))
            engine->deleteRecord(tombstoneRecordID(itemID));
        tombstones_.remove(itemID);
        dirtyTombstones_.remove(itemID);
    }
    persist();
}
