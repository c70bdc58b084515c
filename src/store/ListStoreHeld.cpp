// Changes of other people's lists held for the account that made them while the device is in
// another: put aside at the account change, with the values that account gave them, and taken
// back when it signs in again.
#include "ListStore.h"

#include "RecordField.h"

#include "model/ItemNotes.h"

// What was changed here in a list another person shares was changed as the account the device
// was in: sent as the next account it would be that account's change, in a list it may not
// even reach, and dropped it would be lost. It waits, marked, for that account, with the values
// it had; the device shows the next account the list as the cloud holds it, for that account
// to see and change as its own. The device's own lists are not held: they go to whichever
// account the device is in, whole (signedIn()).
void ListStore::holdOtherPeoplesMarks(const ServerCopies& server) {
    if (!lastKnownUserRecordName_ || lastKnownUserRecordName_->isEmpty())
        return;
    const QString& account = *lastKnownUserRecordName_;
    HeldMarks held = heldMarks_.value(account);
    for (auto it = dirtyLists_.cbegin(); it != dirtyLists_.cend(); ++it) {
        const qsizetype index = it.value().isEmpty() ? -1 : indexOfList(it.key());
        if (index < 0 || !lists_[index].zoneOwnerName)
            continue;
        held.lists[it.key()].unite(it.value());
        const TBList copy = lists_[index];
        if (showCloudsList(index, it.value(), server))
            held.listCopies.insert(it.key(), copy);
    }
    QStringList items;
    for (auto it = dirtyItems_.cbegin(); it != dirtyItems_.cend(); ++it) {
        const TBItem* item = it.value().isEmpty() ? nullptr : findItem(it.key());
        if (item && isShared(item->listID))
            items.append(it.key());
    }
    for (const QString& itemID : std::as_const(items)) {
        const FieldSet& fields = dirtyItems_[itemID];
        held.items[itemID].unite(fields);
        const TBItem copy = *findItem(itemID);
        if (showCloudsItem(itemID, fields, server))
            held.itemCopies.insert(itemID, copy);
    }
    for (const QString& itemID : std::as_const(dirtyTombstones_)) {
        const auto tombstone = tombstones_.constFind(itemID);
        if (tombstone != tombstones_.cend() && isShared(tombstone->listID))
            held.tombstones.insert(itemID);
    }
    if (!held.isEmpty())
        heldMarks_.insert(account, held);
}

// The held fields of a list take the cloud's values; false when the cloud's copy is not known,
// and the list shows what it showed.
bool ListStore::showCloudsList(qsizetype index, const FieldSet& held, const ServerCopies& server) {
    const std::optional<TBList> cloud = server.list ? server.list(lists_[index].id) : std::nullopt;
    if (!cloud)
        return false;
    TBList& local = lists_[index];
    const TBList before = local;
    for (const auto& field : RecordFields::list) {
        if (held.contains(field.latin1Name()))
            field.copy(local, *cloud);
    }
    if (!(local == before)) {
        listsChanged();
        noteListChanged(before, local);
    }
    return true;
}

// The held fields of an item take the cloud's values, and an item the cloud lacks (one made
// here, marked in full) goes from view. An item the cloud holds and whose copy is not known
// shows what it showed: false.
bool ListStore::showCloudsItem(const QString& itemID, const FieldSet& held,
                               const ServerCopies& server) {
    const std::optional<TBItem> cloud = server.item ? server.item(itemID) : std::nullopt;
    if (!cloud) {
        if (!held.contains(allItemFields()))
            return false;
        dropItem(itemID);
        return true;
    }
    TBItem& local = allItems_[indexOfItem(itemID)];
    const TBItem before = local;
    for (const auto& field : RecordFields::item) {
        if (held.contains(field.latin1Name()))
            field.copy(local, *cloud);
    }
    if (!(local == before)) {
        itemsChanged(local.listID);
        noteItemChanged(before, local);
    }
    return true;
}

// The account is back: what it changed and could not send is marked and queued again, to go as
// that account. The server decides whether it may still write each list; one it may only read
// keeps its marks, and the request that changed it says so.
void ListStore::takeBackHeldMarks(const QString& userRecordName) {
    const auto found = heldMarks_.constFind(userRecordName);
    if (found == heldMarks_.cend())
        return;
    const HeldMarks held = *found;
    heldMarks_.erase(found);
    takeBackHeldValues(held);
    for (auto it = held.lists.cbegin(); it != held.lists.cend(); ++it) {
        if (indexOfList(it.key()) < 0)
            continue;
        dirtyLists_[it.key()].unite(it.value());
        queueListRecord(it.key());
    }
    for (auto it = held.items.cbegin(); it != held.items.cend(); ++it) {
        const qsizetype index = indexOfItem(it.key());
        if (index < 0)
            continue;
        dirtyItems_[it.key()].unite(it.value());
        queueItemRecord(allItems_[index]);
    }
    for (const QString& itemID : held.tombstones) {
        const auto tombstone = tombstones_.constFind(itemID);
        if (tombstone == tombstones_.cend())
            continue;
        dirtyTombstones_.insert(itemID);
        if (EngineQueue* engine = engineFor(tombstone->listID))
            engine->saveRecord(tombstoneRecordID(itemID));
    }
}

// The lists and items show the values the account left them with again, in the fields it
// held; an item that went from view comes back, unless it was deleted meanwhile.
void ListStore::takeBackHeldValues(const HeldMarks& held) {
    for (auto it = held.listCopies.cbegin(); it != held.listCopies.cend(); ++it) {
        const qsizetype index = indexOfList(it.key());
        if (index < 0)
            continue;
        TBList& local = lists_[index];
        const TBList before = local;
        const FieldSet fields = held.lists.value(it.key());
        for (const auto& field : RecordFields::list) {
            if (fields.contains(field.latin1Name()))
                field.copy(local, *it);
        }
        if (!(local == before)) {
            listsChanged();
            noteListChanged(before, local);
        }
    }
    for (auto it = held.itemCopies.cbegin(); it != held.itemCopies.cend(); ++it) {
        const qsizetype index = indexOfItem(it.key());
        if (index < 0) {
            if (!tombstones_.contains(it.key()) && indexOfList(it->listID) >= 0) {
                appendItem(*it);
                itemsChanged(it->listID);
                noteItemAdded(*it);
            }
            continue;
        }
        TBItem& local = allItems_[index];
        const TBItem before = local;
        const FieldSet fields = held.items.value(it.key());
        for (const auto& field : RecordFields::item) {
            // Notes written by both accounts keep the lines of both.
            if (!fields.contains(field.latin1Name()))
                continue;
            if (field.id == ItemField::notes)
                local.notes = ItemNotes::merged(local.notes, it->notes);
            else
                field.copy(local, *it);
        }
        if (!(local == before)) {
            itemsChanged(before.listID);
            itemsChanged(local.listID);
            noteItemChanged(before, local);
        }
    }
}

void ListStore::requeueOtherPeoplesLists() {
    if (frozen() || !sharedEngine_)
        return;
    for (auto it = dirtyLists_.cbegin(); it != dirtyLists_.cend(); ++it) {
        if (!it.value().isEmpty() && isShared(it.key()))
            queueListRecord(it.key());
    }
    for (auto it = dirtyItems_.cbegin(); it != dirtyItems_.cend(); ++it) {
        const qsizetype index = it.value().isEmpty() ? -1 : indexOfItem(it.key());
        if (index >= 0 && isShared(allItems_[index].listID))
            queueItemRecord(allItems_[index]);
    }
    for (const QString& itemID : std::as_const(dirtyTombstones_)) {
        const auto tombstone = tombstones_.constFind(itemID);
        if (tombstone != tombstones_.cend() && isShared(tombstone->listID))
            sharedEngine_->saveRecord(tombstoneRecordID(itemID));
    }
}

FieldSet ListStore::heldListFields(const QString& listID) const {
    FieldSet fields;
    for (const HeldMarks& held : heldMarks_) {
        if (!held.listCopies.contains(listID))
            fields.unite(held.lists.value(listID));
    }
    return fields;
}

FieldSet ListStore::heldItemFields(const QString& itemID) const {
    FieldSet fields;
    for (const HeldMarks& held : heldMarks_) {
        if (!held.itemCopies.contains(itemID))
            fields.unite(held.items.value(itemID));
    }
    return fields;
}
