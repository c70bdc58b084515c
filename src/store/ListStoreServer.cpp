// Taking in what the cloud answers: fetched records and deletions, confirmed saves and
// deletions, engine states and account changes. The merge rule is per field: a field keeps the
// local value while it is marked here, and takes the server's value otherwise.
#include "ListStore.h"

#include "model/ItemNotes.h"
#include "platform/Base64.h"

namespace {

const QString metaZoneName = QStringLiteral("TBMeta");
const QString listKey = QStringLiteral("L#");
const QString itemKey = QStringLiteral("I#");
const QString filingKey = QStringLiteral("F#");
// The permission of a share that arrived before its list, kept until the list arrives.
const QString waitingShareKey = QStringLiteral("S#");

template <typename T>
void take(T& local, const T& server, const FieldSet& marks, const char* field) {
    if (!marks.contains(QLatin1String(field)))
        local = server;
}

// Whether the local value of one marked field is still the value that was sent.
bool listFieldSent(const TBList& local, const TBList& sent, const QString& field) {
    if (field == QLatin1String("name"))
        return local.name == sent.name;
    if (field == QLatin1String("pinned"))
        return local.pinned == sent.pinned;
    if (field == QLatin1String("order"))
        return local.order == sent.order;
    if (field == QLatin1String("icon"))
        return local.icon == sent.icon;
    if (field == QLatin1String("colour"))
        return local.colourID == sent.colourID;
    if (field == QLatin1String("kind"))
        return local.kind == sent.kind;
    if (field == QLatin1String("dueDate"))
        return local.dueDate == sent.dueDate;
    if (field == QLatin1String("createdAt"))
        return local.createdAt == sent.createdAt;
    if (field == QLatin1String("completedRetention"))
        return local.completedRetentionRaw == sent.completedRetentionRaw;
    return true; // a name no record holds cannot be sent at all
}

bool itemFieldSent(const TBItem& local, const TBItem& sent, const QString& field) {
    if (field == QLatin1String("text"))
        return local.text == sent.text;
    if (field == QLatin1String("done"))
        return local.done == sent.done;
    if (field == QLatin1String("order"))
        return local.order == sent.order;
    if (field == QLatin1String("pinned"))
        return local.pinned == sent.pinned;
    if (field == QLatin1String("completedAt"))
        return local.completedAt == sent.completedAt;
    if (field == QLatin1String("notes"))
        return local.notes == sent.notes;
    return true;
}

template <typename T, typename Sent>
void dropSentMarks(FieldSet& marks, const T& local, const T& sent, Sent fieldSent) {
    for (auto it = marks.begin(); it != marks.end();) {
        if (fieldSent(local, sent, *it))
            it = marks.erase(it);
        else
            ++it;
    }
}

} // namespace

void ListStore::setArchive(const QString& key, const QByteArray& data) {
    archivedRecords_.insert(key, data.isEmpty() ? QByteArray() : Base64::encode(data).toUtf8());
}

void ListStore::removeArchive(const QString& key) {
    archivedRecords_.remove(key);
}

void ListStore::setEngineStateData(EngineScope scope, const std::optional<QByteArray>& data) {
    (scope == EngineScope::sharedDatabase ? sharedEngineStateData_ : engineStateData_) = data;
    persist();
}

void ListStore::applyServerList(const TBList& server, const QByteArray& archive) {
    if (pendingZoneDeletions_.contains(server.id))
        return;
    const FieldSet marks = dirtyLists_.value(server.id);
    const qsizetype index = indexOfList(server.id);
    if (index >= 0) {
        TBList& local = lists_[index];
        const TBList before = local;
        take(local.name, server.name, marks, "name");
        take(local.pinned, server.pinned, marks, "pinned");
        take(local.order, server.order, marks, "order");
        take(local.icon, server.icon, marks, "icon");
        take(local.colourID, server.colourID, marks, "colour");
        take(local.kind, server.kind, marks, "kind");
        take(local.dueDate, server.dueDate, marks, "dueDate");
        take(local.createdAt, server.createdAt, marks, "createdAt");
        take(local.completedRetentionRaw, server.completedRetentionRaw, marks,
             "completedRetention");
        local.zoneOwnerName = server.zoneOwnerName;
        if (!(local == before)) {
            listsChanged();
            emit changed();
        }
    } else {
        TBList added = server;
        // A share of this list may have come first; its permission waited for the list.
        if (const auto waiting = archivedRecord(waitingShareKey + server.id)) {
            added.sharePermission = sharePermissionFromRaw(QString::fromUtf8(*waiting));
            added.hasShare = true;
            archivedRecords_.remove(waitingShareKey + server.id);
        }
        lists_.append(added);
        listsChanged();
        emit changed();
    }
    setArchive(listKey + server.id, archive);
}

void ListStore::applyServerItem(const TBItem& server, const QByteArray& archive) {
    if (pendingItemDeletions_.contains(server.id) || pendingZoneDeletions_.contains(server.listID))
        return;
    if (tombstones_.contains(server.id)) {
        // Deleted here: another device saved it before it learned of the deletion.
        queueItemDeletion(server.id, server.listID);
        return;
    }
    const FieldSet marks = dirtyItems_.value(server.id);
    const qsizetype index = indexOfItem(server.id);
    if (index >= 0) {
        TBItem& local = allItems_[index];
        const TBItem before = local;
        take(local.text, server.text, marks, "text");
        take(local.done, server.done, marks, "done");
        take(local.order, server.order, marks, "order");
        take(local.pinned, server.pinned, marks, "pinned");
        take(local.completedAt, server.completedAt, marks, "completedAt");
        local.notes = ItemNotes::merged(local.notes, server.notes);
        if (!(local == before)) {
            itemsChanged();
            emit changed();
        }
    } else {
        allItems_.append(server);
        itemsChanged();
        emit changed();
    }
    setArchive(itemKey + server.id, archive);
}

void ListStore::applyServerTombstone(const QString& itemID, const QString& listID, Date deletedAt) {
    tombstones_.insert(itemID, Tombstone{listID, deletedAt});
    dirtyTombstones_.remove(itemID);
    if (allItems_.removeIf([&](const TBItem& item) { return item.id == itemID; }) > 0) {
        itemsChanged();
        emit changed();
    }
    dirtyItems_.remove(itemID);
    archivedRecords_.remove(itemKey + itemID);
    pendingItemDeletions_.remove(itemID);
}

void ListStore::applyServerFiling(const QString& listID, const QString& collection,
                                  const QByteArray& archive) {
    if (!dirtyFilings_.contains(listID) && filings_.value(listID) != collection) {
        filings_.insert(listID, collection);
        emit changed();
    }
    setArchive(filingKey + listID, archive);
}

bool ListStore::applySharePermission(const QString& listID, TBSharePermission permission) {
    const qsizetype index = indexOfList(listID);
    if (index < 0) {
        archivedRecords_.insert(waitingShareKey + listID,
                                Base64::encode(rawValue(permission).toUtf8()).toUtf8());
        return false;
    }
    lists_[index].sharePermission = permission;
    lists_[index].hasShare = true;
    listsChanged();
    emit changed();
    return true;
}

bool ListStore::setHasShare(const QString& listID) {
    const qsizetype index = indexOfList(listID);
    if (index < 0)
        return false;
    if (!lists_[index].hasShare) {
        lists_[index].hasShare = true;
        listsChanged();
        emit changed();
    }
    return true;
}

void ListStore::applyServerDeletion(const RecordRef& record) {
    const QString& name = record.recordName;
    if (record.zone.zoneName == metaZoneName) {
        if (!dirtyFilings_.contains(name) && filings_.remove(name) > 0)
            emit changed();
        archivedRecords_.remove(filingKey + name);
        return;
    }
    if (name == QLatin1String("list"))
        return; // a list goes only with its zone
    if (name.startsWith(QLatin1String("tomb-"))) {
        const QString itemID = name.mid(5);
        tombstones_.remove(itemID);
        dirtyTombstones_.remove(itemID);
        return;
    }
    if (allItems_.removeIf([&](const TBItem& item) { return item.id == name; }) > 0) {
        itemsChanged();
        emit changed();
    }
    dirtyItems_.remove(name);
    archivedRecords_.remove(itemKey + name);
    pendingItemDeletions_.remove(name);
}

void ListStore::removeListLocally(const QString& listID) {
    if (lists_.removeIf([&](const TBList& list) { return list.id == listID; }) > 0) {
        listsChanged();
        emit changed();
    }
    QStringList itemIDs;
    for (const TBItem& item : allItems_) {
        if (item.listID == listID)
            itemIDs.append(item.id);
    }
    if (!itemIDs.isEmpty()) {
        allItems_.removeIf([&](const TBItem& item) { return item.listID == listID; });
        itemsChanged();
        emit changed();
    }
    dirtyLists_.remove(listID);
    archivedRecords_.remove(listKey + listID);
    archivedRecords_.remove(waitingShareKey + listID);
    if (filings_.remove(listID) > 0)
        emit changed();
    archivedRecords_.remove(filingKey + listID);
    for (const QString& itemID : itemIDs) {
        dirtyItems_.remove(itemID);
        archivedRecords_.remove(itemKey + itemID);
    }
    forgetTombstones(listID);
    pendingZoneDeletions_.remove(listID);
}

void ListStore::confirmListSaved(const TBList& sent, const QByteArray& archive) {
    const qsizetype index = indexOfList(sent.id);
    if (index < 0) {
        dirtyLists_.remove(sent.id);
        return; // deleted meanwhile: its zone deletion takes the record away
    }
    auto marks = dirtyLists_.find(sent.id);
    if (marks != dirtyLists_.end()) {
        // A field edited after the record was built keeps its mark and is sent again.
        dropSentMarks(*marks, lists_[index], sent, listFieldSent);
        if (marks->isEmpty())
            dirtyLists_.erase(marks);
        else
            queueListRecord(sent.id);
    }
    setArchive(listKey + sent.id, archive);
}

void ListStore::confirmItemSaved(const TBItem& sent, const QByteArray& archive) {
    const qsizetype index = indexOfItem(sent.id);
    if (index < 0) {
        dirtyItems_.remove(sent.id);
        return; // deleted meanwhile: its record deletion is queued
    }
    auto marks = dirtyItems_.find(sent.id);
    if (marks != dirtyItems_.end()) {
        dropSentMarks(*marks, allItems_[index], sent, itemFieldSent);
        if (marks->isEmpty())
            dirtyItems_.erase(marks);
        else
            queueItemRecord(allItems_[index]);
    }
    setArchive(itemKey + sent.id, archive);
}

void ListStore::confirmFilingSaved(const QString& listID, const QString& collection,
                                   const QByteArray& archive) {
    setArchive(filingKey + listID, archive);
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
    dirtyTombstones_.remove(itemID);
}

void ListStore::confirmRecordDeleted(const RecordRef& record) {
    if (record.zone.zoneName == metaZoneName) {
        archivedRecords_.remove(filingKey + record.recordName);
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
    pendingZoneDeletions_.remove(listID);
}

void ListStore::signedIn(const QString& userRecordName, EngineScope scope) {
    lastKnownUserRecordName_ = userRecordName;
    if (userRecordName.isEmpty())
        return;
    identity_.byScope[scope == EngineScope::sharedDatabase ? QStringLiteral("shared")
                                                           : QStringLiteral("private")] =
        userRecordName;
    if (!identity_.knownRecordNames.insert(userRecordName).second)
        return;
    // A user this device has never seen: everything is sent in full, as new records; what
    // the server already holds comes back as a conflict and is merged.
    for (const TBList& list : lists_)
        dirtyLists_[list.id] = allListFields();
    for (const TBItem& item : allItems_)
        dirtyItems_[item.id] = allItemFields();
    dirtyFilings_ = QSet<QString>(filings_.keyBegin(), filings_.keyEnd());
    dirtyTombstones_ = QSet<QString>(tombstones_.keyBegin(), tombstones_.keyEnd());
    archivedRecords_.clear();
    requeueDirty();
    persist();
}

void ListStore::signedOut() {
    lastKnownUserRecordName_.reset();
    resetForAccount();
}

void ListStore::resetForAccount() {
    identity_.knownRecordNames.clear();
    identity_.byScope.clear();
    archivedRecords_.clear();
    engineStateData_.reset();
    dirtyLists_.clear();
    dirtyItems_.clear();
    dirtyFilings_.clear();
    dirtyTombstones_.clear();
    persist();
}
