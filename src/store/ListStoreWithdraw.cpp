// Taking back the change of an operation whose save failed, so that whoever asked for it can be
// told it was not made. Only that operation's change goes; the store's other changes stay.
#include "ListStore.h"

#include "CloudLayout.h"
#include "RecordField.h"

void ListStore::withdrawItem(const QString& itemID) {
    if (frozen() || indexOfItem(itemID) < 0)
        return;
    // Once a sync sent it, other devices may hold it: it is deleted as the user would.
    if (archivedRecords_.contains(CloudLayout::itemArchiveKey(itemID))) {
        deleteItem(itemID);
        return;
    }
    const ChangeScope scope(*this);
    dropItem(itemID);
    // No tombstone: nobody else has seen it. Its record's queued save finds no item, and the
    // engine drops it.
    dirtyItems_.remove(itemID);
    noteMarked();
    persist();
}

void ListStore::withdrawList(const QString& listID) {
    if (frozen() || indexOfList(listID) < 0)
        return;
    bool sent = archivedRecords_.contains(CloudLayout::listArchiveKey(listID)) ||
                archivedRecords_.contains(CloudLayout::filingArchiveKey(listID));
    for (const TBItem& item : std::as_const(allItems_)) {
        if (item.listID == listID &&
            archivedRecords_.contains(CloudLayout::itemArchiveKey(item.id)))
            sent = true;
    }
    if (sent) {
        deleteList(listID);
        return;
    }
    const ChangeScope scope(*this);
    // Nothing of it reached the cloud: it goes with its items and marks, and no zone deletion
    // is queued. The queued saves of its records find nothing to send.
    removeListLocally(listID);
    dirtyFilings_.remove(listID);
    noteMarked();
    persist();
}

void ListStore::withdrawDone(const TBItem& before, const FieldSet& marksBefore) {
    if (frozen())
        return;
    const qsizetype index = indexOfItem(before.id);
    // Gone, or ticked or unticked again since: that later change stands.
    if (index < 0 || allItems_[index].done == before.done)
        return;
    const ChangeScope scope(*this);
    const TBItem changed = allItems_[index];
    TBItem& item = allItems_[index];
    item.done = before.done;
    item.completedAt = before.completedAt;
    itemsChanged(item.listID);
    noteItemChanged(changed, item);

    // Each field is marked as it was before, unless a sync sent the changed value meanwhile
    // (its mark is gone): then the value put back is sent too.
    FieldSet marks = dirtyItems_.value(item.id);
    bool resend = false;
    for (const QString& field : RecordFields::marks({ItemField::done, ItemField::completedAt})) {
        if (!marks.contains(field)) {
            marks.insert(field);
            resend = true;
        } else if (!marksBefore.contains(field)) {
            marks.remove(field);
        }
    }
    if (marks.isEmpty())
        dirtyItems_.remove(item.id);
    else
        dirtyItems_.insert(item.id, marks);
    if (resend)
        queueItemRecord(item);
    noteMarked();
    persist();
}
