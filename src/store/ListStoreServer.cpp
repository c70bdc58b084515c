// Taking in what the cloud answers: fetched records and deletions, confirmed saves and
// deletions, engine states and account changes. The merge rule is per field: a field keeps the
// local value while it is marked here, and takes the server's value otherwise. A store that
// takes no change (editRefusal()) takes nothing from the cloud either.
#include "ListStore.h"

#include "CloudLayout.h"
#include "MarkScan.h"
#include "RecordField.h"
#include "RecordQueue.h"

#include "model/ItemNotes.h"
#include "platform/Base64.h"

#include <algorithm>

namespace {

using CloudLayout::filingArchiveKey;
using CloudLayout::itemArchiveKey;
using CloudLayout::listArchiveKey;
using CloudLayout::waitingShareKey;

// Drops the marks of fields whose local value is still the value that was sent. A mark of a name
// no record holds cannot be sent at all and is dropped too.
template <typename Model, typename Table>
void dropSentMarks(FieldSet& marks, const Model& local, const Model& sent, const Table& fields) {
    for (auto it = marks.begin(); it != marks.end();) {
        const auto field = std::find_if(fields.begin(), fields.end(), [&](const auto& candidate) {
            return *it == candidate.latin1Name();
        });
        if (field == fields.end() || field->same(local, sent))
            it = marks.erase(it);
        else
            ++it;
    }
}

// A field marked here whose value the server's copy already holds has nothing left to send: a
// batch the cloud committed whose answer never came back, or the same change made elsewhere.
// Left marked, it would be sent again over whatever changes there later.
template <typename Model, typename Table>
void dropMarksTheServerHolds(QMap<QString, FieldSet>& dirty, const QString& id, const Model& local,
                             const Model& server, const Table& fields) {
    const auto marks = dirty.find(id);
    if (marks == dirty.end())
        return;
    dropSentMarks(*marks, local, server, fields);
    if (marks->isEmpty())
        dirty.erase(marks);
}

} // namespace

void ListStore::setArchive(const QString& key, const QByteArray& data) {
    if (frozen())
        return;
    const QByteArray text = data.isEmpty() ? QByteArray() : Base64::encode(data).toUtf8();
    // A fetch brings back every record this device has just sent: the copy kept is the same,
    // and keeping it again would only make the records fold anew.
    if (archivedRecords_.value(key) == text)
        return;
    archivedRecords_.insert(key, text);
}

void ListStore::removeArchive(const QString& key) {
    if (frozen())
        return;
    archivedRecords_.remove(key);
}

void ListStore::setEngineStateData(EngineScope scope, const std::optional<QByteArray>& data) {
    if (frozen())
        return;
    (scope == EngineScope::sharedDatabase ? sharedEngineStateData_ : engineStateData_) = data;
}

void ListStore::applyServerList(const TBList& server, const QByteArray& archive) {
    if (frozen())
        return;
    if (pendingZoneDeletions_.contains(server.id))
        return;
    FieldSet marks = dirtyLists_.value(server.id);
    marks.unite(heldListFields(server.id));
    const qsizetype index = indexOfList(server.id);
    if (index >= 0) {
        TBList& local = lists_[index];
        const TBList before = local;
        for (const auto& field : RecordFields::list) {
            if (!marks.contains(field.latin1Name()))
                field.copy(local, server);
        }
        local.zoneOwnerName = server.zoneOwnerName;
        dropMarksTheServerHolds(dirtyLists_, server.id, local, server, RecordFields::list);
        if (!(local == before)) {
            listsChanged();
            noteListChanged(before, local);
        }
    } else {
        TBList added = server;
        // A share of this list may have come first; its permission waited for the list.
        if (const auto waiting = archivedRecord(waitingShareKey(server.id))) {
            added.sharePermission = sharePermissionFromRaw(QString::fromUtf8(*waiting));
            added.hasShare = true;
            archivedRecords_.remove(waitingShareKey(server.id));
        }
        appendList(added);
        listsChanged();
        noteListAdded(added.id);
    }
    setArchive(listArchiveKey(server.id), archive);
}

void ListStore::applyServerItem(const TBItem& server, const QByteArray& archive) {
    if (frozen())
        return;
    if (pendingItemDeletions_.contains(server.id) || pendingZoneDeletions_.contains(server.listID))
        return;
    if (tombstones_.contains(server.id)) {
        // Deleted here: another device saved it before it learned of the deletion.
        queueItemDeletion(server.id, server.listID);
        return;
    }
    FieldSet marks = dirtyItems_.value(server.id);
    marks.unite(heldItemFields(server.id));
    const qsizetype index = indexOfItem(server.id);
    if (index >= 0) {
        TBItem& local = allItems_[index];
        const TBItem before = local;
        for (const auto& field : RecordFields::item) {
            // Notes written on both sides end as the lines of both, whatever the marks say.
            if (field.id == ItemField::notes)
                local.notes = ItemNotes::merged(local.notes, server.notes);
            else if (!marks.contains(field.latin1Name()))
                field.copy(local, server);
        }
        dropMarksTheServerHolds(dirtyItems_, server.id, local, server, RecordFields::item);
        if (!(local == before)) {
            itemsChanged(before.listID);
            itemsChanged(local.listID);
            noteItemChanged(before, local);
        }
    } else {
        appendItem(server);
        itemsChanged(server.listID);
        noteItemAdded(server);
    }
    setArchive(itemArchiveKey(server.id), archive);
}

void ListStore::applyServerTombstone(const QString& itemID, const QString& listID, Date deletedAt) {
    if (frozen())
        return;
    tombstones_.insert(itemID, Tombstone{listID, deletedAt});
    dirtyTombstones_.remove(itemID);
    dropItem(itemID);
    dirtyItems_.remove(itemID);
    archivedRecords_.remove(itemArchiveKey(itemID));
    pendingItemDeletions_.remove(itemID);
}

void ListStore::applyServerFiling(const QString& listID, const QString& collection,
                                  const QByteArray& archive) {
    if (frozen())
        return;
    if (!dirtyFilings_.contains(listID) && filings_.value(listID) != collection) {
        filings_.insert(listID, collection);
        noteFiling(listID);
    }
    setArchive(filingArchiveKey(listID), archive);
}

bool ListStore::applySharePermission(const QString& listID, TBSharePermission permission) {
    if (frozen())
        return false;
    const qsizetype index = indexOfList(listID);
    if (index < 0) {
        archivedRecords_.insert(waitingShareKey(listID),
                                Base64::encode(rawValue(permission).toUtf8()).toUtf8());
        return false;
    }
    const TBList before = lists_[index];
    lists_[index].sharePermission = permission;
    lists_[index].hasShare = true;
    listsChanged();
    noteListChanged(before, lists_[index]);
    return true;
}

bool ListStore::setHasShare(const QString& listID) {
    if (frozen())
        return false;
    const qsizetype index = indexOfList(listID);
    if (index < 0)
        return false;
    if (!lists_[index].hasShare) {
        const TBList before = lists_[index];
        lists_[index].hasShare = true;
        listsChanged();
        noteListChanged(before, lists_[index]);
    }
    return true;
}

void ListStore::applyServerDeletion(const RecordRef& record) {
    if (frozen())
        return;
    const QString& name = record.recordName;
    if (record.zone.zoneName == CloudLayout::metaZoneName) {
        if (!dirtyFilings_.contains(name) && filings_.remove(name) > 0)
            noteFiling(name);
        archivedRecords_.remove(filingArchiveKey(name));
        return;
    }
    if (name == CloudLayout::listRecordName)
        return; // a list goes only with its zone
    if (const auto itemID = CloudLayout::itemIDOfTombstone(name)) {
        tombstones_.remove(*itemID);
        dirtyTombstones_.remove(*itemID);
        return;
    }
    dropItem(name);
    dirtyItems_.remove(name);
    archivedRecords_.remove(itemArchiveKey(name));
    pendingItemDeletions_.remove(name);
}

void ListStore::removeListLocally(const QString& listID) {
    if (frozen())
        return;
    const ChangeScope scope(*this);
    if (lists_.removeIf([&](const TBList& list) { return list.id == listID; }) > 0) {
        listsChanged();
        noteListRemoved(listID);
    }
    QStringList itemIDs;
    for (const TBItem& item : allItems_) {
        if (item.listID == listID)
            itemIDs.append(item.id);
    }
    if (!itemIDs.isEmpty()) {
        allItems_.removeIf([&](const TBItem& item) { return item.listID == listID; });
        itemsChanged(listID);
        noteListRemoved(listID);
    }
    dirtyLists_.remove(listID);
    archivedRecords_.remove(listArchiveKey(listID));
    archivedRecords_.remove(waitingShareKey(listID));
    if (filings_.remove(listID) > 0)
        noteFiling(listID);
    archivedRecords_.remove(filingArchiveKey(listID));
    for (const QString& itemID : itemIDs) {
        dirtyItems_.remove(itemID);
        archivedRecords_.remove(itemArchiveKey(itemID));
    }
    forgetTombstones(listID);
    pendingZoneDeletions_.remove(listID);
}

void ListStore::confirmListSaved(const TBList& sent, const QByteArray& archive) {
    if (frozen())
        return;
    const qsizetype index = indexOfList(sent.id);
    if (index < 0) {
        dirtyLists_.remove(sent.id);
        return; // deleted meanwhile: its zone deletion takes the record away
    }
    auto marks = dirtyLists_.find(sent.id);
    if (marks != dirtyLists_.end()) {
        // A field edited after the record was built keeps its mark and is sent again.
        dropSentMarks(*marks, lists_[index], sent, RecordFields::list);
        if (marks->isEmpty())
            dirtyLists_.erase(marks);
        else
            queueListRecord(sent.id);
    }
    setArchive(listArchiveKey(sent.id), archive);
}

void ListStore::confirmItemSaved(const TBItem& sent, const QByteArray& archive) {
    if (frozen())
        return;
    const qsizetype index = indexOfItem(sent.id);
    if (index < 0) {
        dirtyItems_.remove(sent.id);
        return; // deleted meanwhile: its record deletion is queued
    }
    auto marks = dirtyItems_.find(sent.id);
    if (marks != dirtyItems_.end()) {
        dropSentMarks(*marks, allItems_[index], sent, RecordFields::item);
        if (marks->isEmpty())
            dirtyItems_.erase(marks);
        else
            queueItemRecord(allItems_[index]);
    }
    setArchive(itemArchiveKey(sent.id), archive);
}

namespace {

void giveUpMarks(QMap<QString, FieldSet>& dirty, const QString& id, const FieldSet& fields) {
    const auto marks = dirty.find(id);
    if (marks == dirty.end())
        return;
    marks->subtract(fields);
    if (marks->isEmpty())
        dirty.erase(marks);
}

} // namespace

void ListStore::giveUpListMarks(const QString& listID, const FieldSet& fields) {
    if (!frozen())
        giveUpMarks(dirtyLists_, listID, fields);
}

void ListStore::giveUpItemMarks(const QString& itemID, const FieldSet& fields) {
    if (!frozen())
        giveUpMarks(dirtyItems_, itemID, fields);
}

void ListStore::confirmFilingSaved(const QString& listID, const QString& collection,
                                   const QByteArray& archive) {
    if (frozen())
        return;
    setArchive(filingArchiveKey(listID), archive);
    if (!dirtyFilings_.contains(listID))
        return;
    const auto local = filings_.find(listID);
    if (local != filings_.end() && *local == collection) {
        dirtyFilings_.remove(listID);
        return;
    }
    // Regrouped or taken out of its group while the save was on its way.
    queueMetaZone();
    queueFilingRecord(listID);
}

void ListStore::confirmTombstoneSaved(const QString& itemID) {
    if (frozen())
        return;
    dirtyTombstones_.remove(itemID);
}

void ListStore::confirmRecordDeleted(const RecordRef& record) {
    if (frozen())
        return;
    if (record.zone.zoneName == CloudLayout::metaZoneName) {
        archivedRecords_.remove(filingArchiveKey(record.recordName));
        if (!filings_.contains(record.recordName)) {
            dirtyFilings_.remove(record.recordName);
        } else if (dirtyFilings_.contains(record.recordName)) {
            // Filed again while the deletion was on its way: that filing is still to send.
            queueMetaZone();
            queueFilingRecord(record.recordName);
        }
        return;
    }
    pendingItemDeletions_.remove(record.recordName);
}

void ListStore::confirmZoneDeleted(const QString& listID) {
    if (frozen())
        return;
    pendingZoneDeletions_.remove(listID);
}

void ListStore::signedIn(const QString& userRecordName, EngineScope scope) {
    if (frozen())
        return;
    const AccountWatch watch(*this);
    lastKnownUserRecordName_ = userRecordName;
    if (userRecordName.isEmpty())
        return;
    identity_.byScope[scope == EngineScope::sharedDatabase ? QStringLiteral("shared")
                                                           : QStringLiteral("private")] =
        userRecordName;
    if (!identity_.knownRecordNames.insert(userRecordName).second)
        return;
    settleOtherPeoplesLists(userRecordName);
    // A user this device has never seen: everything of the user's own is sent in full, as new
    // records; what the server already holds comes back as a conflict and is merged. What was
    // marked before was queued when it was marked, or when the engines started, and nothing
    // was sent since (this is the engine's first word with the account): only what had no
    // mark is queued now. Lists from other people's zones are theirs, not this account's:
    // what it may see of them comes with the shared database's fetch, so neither they, their
    // items nor their deletions are marked. Nor is an item whose list is not here, which would
    // reach the other devices without a list to show it in.
    RecordQueue queue(*this);
    for (const TBList& list : lists_) {
        if (list.zoneOwnerName)
            continue;
        FieldSet& marks = dirtyLists_[list.id];
        if (marks.isEmpty())
            queue.saveList(list.id);
        marks = allListFields();
    }
    markEveryItem(queue);
    releaseMarkScan();
    queue.flush();
    QStringList newFilings;
    for (auto it = filings_.keyBegin(); it != filings_.keyEnd(); ++it) {
        if (!dirtyFilings_.contains(*it))
            newFilings.append(*it);
    }
    dirtyFilings_ = QSet<QString>(filings_.keyBegin(), filings_.keyEnd());
    if (!newFilings.isEmpty()) {
        queueMetaZone();
        for (const QString& listID : newFilings)
            queueFilingRecord(listID);
    }
    for (auto it = tombstones_.cbegin(); it != tombstones_.cend(); ++it) {
        if (dirtyTombstones_.contains(it.key()) || !isOwnList(it->listID))
            continue;
        dirtyTombstones_.insert(it.key());
        if (EngineQueue* engine = engineFor(it->listID))
            engine->saveRecord(tombstoneRecordID(it.key()));
    }
    forgetOwnServerCopies();
    takeBackHeldMarks(userRecordName);
}

// The copies of the device's own records were the old account's, in zones the new one does not
// have. Those of other people's zones are the same records whoever reads them (the zone names
// its owner): kept, a change held for an account goes with the change tag of the copy it was
// made on, and a save that reached the container is told from one that never did. The notes of
// sends whose answer never came go: most are those of a device out of reach, which never
// reached anything, and left they would give up the held change at the first change made
// elsewhere.
void ListStore::forgetOwnServerCopies() {
    ArchivedRecords kept;
    const auto keep = [&](const QString& key) {
        if (const auto text = archivedRecords_.value(key))
            kept.insert(key, *text);
    };
    for (const TBList& list : lists_) {
        if (list.zoneOwnerName)
            keep(listArchiveKey(list.id));
    }
    for (const TBItem& item : allItems_) {
        if (isShared(item.listID))
            keep(itemArchiveKey(item.id));
    }
    archivedRecords_ = std::move(kept);
}

// The lists from other people's zones came with the account this device was in before, or with
// this very account before it signed out. Those the account owns are its own lists again, kept
// in its private database and sent with the rest. The others it may not reach: they stay to be
// read, view only, so that no change is made to them that nobody would ever get. The shared
// database's fetch, which starts afresh with a new account, gives back the right to change those
// that are shared with this account too.
void ListStore::settleOtherPeoplesLists(const QString& userRecordName) {
    for (TBList& list : lists_) {
        if (!list.zoneOwnerName)
            continue;
        const TBList before = list;
        if (*list.zoneOwnerName == userRecordName) {
            list.zoneOwnerName.reset();
            list.sharePermission.reset();
        } else {
            list.sharePermission = TBSharePermission::readOnly;
        }
        if (list == before)
            continue;
        listsChanged();
        noteListChanged(before, list);
    }
}

// Marks every item of the user's own lists with every field, queuing those that had no mark.
// Looking every item up among the marks takes a large store longer than a window may stop
// answering, so the look the engines made when they started is taken when no mark changed
// since: a store that never synced has every item marked in full already, and nothing is left
// to do.
void ListStore::markEveryItem(RecordQueue& queue) {
    const FieldSet& all = allItemFields();
    const auto mark = [&](const TBItem& item) {
        if (!isOwnList(item.listID))
            return;
        FieldSet& marks = dirtyItems_[item.id];
        if (marks.isEmpty())
            queue.saveItem(item);
        marks = all;
    };
    // Found when the engines started, and no mark changed since.
    if (markScan_ && markScan_->done() && markScan_->stillFor(dirtyItems_)) {
        for (const QString& itemID : markScan_->notFullyMarked()) {
            if (const qsizetype index = indexOfItem(itemID); index >= 0)
                mark(allItems_[index]);
        }
        return;
    }
    for (const TBItem& item : std::as_const(allItems_))
        mark(item);
}

void ListStore::signedOut(const ServerCopies& server) {
    if (frozen())
        return;
    const AccountWatch watch(*this);
    holdOtherPeoplesMarks(server);
    lastKnownUserRecordName_.reset();
    resetForAccount(server);
}

void ListStore::resetForAccount(const ServerCopies& server) {
    if (frozen())
        return;
    const AccountWatch watch(*this);
    holdOtherPeoplesMarks(server);
    identity_.knownRecordNames.clear();
    identity_.byScope.clear();
    forgetOwnServerCopies();
    engineStateData_.reset();
    dirtyLists_.clear();
    dirtyItems_.clear();
    dirtyFilings_.clear();
    dirtyTombstones_.clear();
}
