// Adding, changing and deleting items and lists. An edit of a view-only list, or of one of its
// items, does nothing; so does every edit of a store that takes none (editRefusal()).
#include "ListStore.h"

#include "CloudLayout.h"
#include "RecordField.h"
#include "model/ItemArrange.h"
#include "model/ItemNotes.h"
#include "platform/Ids.h"
#include "platform/Unicode.h"

#include <algorithm>

void ListStore::itemsChanged() {
    itemsByListCache_.clear();
}
void ListStore::itemsChanged(const QString& listID) {
    itemsByListCache_.remove(listID);
}
void ListStore::listsChanged() {
    listsCacheValid_ = false;
}

bool ListStore::isEditable(const QString& listID) const {
    const qsizetype index = indexOfList(listID);
    return index >= 0 && !lists_[index].isViewOnly();
}

qsizetype ListStore::indexOfEditableItem(const QString& itemID) const {
    const qsizetype index = indexOfItem(itemID);
    if (index < 0)
        return -1;
    // An item whose list is gone has nobody to refuse it; it stays editable.
    const qsizetype list = indexOfList(allItems_[index].listID);
    return list >= 0 && lists_[list].isViewOnly() ? -1 : index;
}

std::optional<TBItem> ListStore::addItem(const QString& listID, const QString& text) {
    if (refusesEdit())
        return std::nullopt;
    // An item of a list that is not there would be saved and synced under a dead id, and for
    // an own list its sync would bring the deleted list's zone back.
    if (!isEditable(listID))
        return std::nullopt;
    return appendNewItem(listID, text, nextItemOrder(listID));
}

double ListStore::nextItemOrder(const QString& listID) const {
    std::optional<double> highest;
    for (const TBItem& item : allItems_) {
        if (item.listID == listID)
            highest = std::max(highest.value_or(item.order), item.order);
    }
    return highest ? *highest + 1 : 0;
}

TBItem ListStore::appendNewItem(const QString& listID, const QString& text, double order) {
    const ChangeScope scope(*this);
    TBItem item;
    item.id = Ids::newId();
    item.listID = listID;
    item.text = text;
    item.order = order;
    appendItem(item);
    itemsChanged(listID);
    noteItemAdded(item);
    markItemDirty(item, allItemFields());
    return item;
}

void ListStore::setDone(const QString& itemID, bool done) {
    if (refusesEdit())
        return;
    const qsizetype index = indexOfEditableItem(itemID);
    if (index < 0 || allItems_.at(index).done == done)
        return;
    const ChangeScope scope(*this);
    const TBItem before = allItems_[index];
    TBItem& item = allItems_[index];
    item.done = done;
    item.completedAt = done ? std::optional(clock_.now()) : std::nullopt;
    itemsChanged(item.listID);
    noteItemChanged(before, item);
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::done, ItemField::completedAt}));
}

void ListStore::setItemPinned(const QString& itemID, bool pinned) {
    if (refusesEdit())
        return;
    const qsizetype index = indexOfEditableItem(itemID);
    if (index < 0)
        return;
    const ChangeScope scope(*this);
    const TBItem before = allItems_[index];
    allItems_[index].pinned = pinned;
    itemsChanged(before.listID);
    noteItemChanged(before, allItems_[index]);
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::pinned}));
}

void ListStore::renameItem(const QString& itemID, const QString& text) {
    if (refusesEdit())
        return;
    const qsizetype index = indexOfEditableItem(itemID);
    if (index < 0)
        return;
    const ChangeScope scope(*this);
    const TBItem before = allItems_[index];
    allItems_[index].text = text;
    itemsChanged(before.listID);
    noteItemChanged(before, allItems_[index]);
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::text}));
}

bool ListStore::addNote(const QString& text, const QString& itemID, const QString& authorID,
                        const QString& authorName) {
    if (refusesEdit())
        return false;
    const qsizetype index = indexOfEditableItem(itemID);
    if (index < 0)
        return false;
    const ItemNotes::Entry entry{Ids::newId(), clock_.now(), authorID, authorName, text};
    const std::optional<QString> notes = ItemNotes::adding(entry, allItems_[index].notes);
    if (!notes)
        return false;
    const ChangeScope scope(*this);
    const TBItem before = allItems_[index];
    allItems_[index].notes = *notes;
    itemsChanged(before.listID);
    noteItemChanged(before, allItems_[index]);
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::notes}));
    return true;
}

void ListStore::removeNote(const QString& noteID, const QString& itemID, const QString& authorID,
                           const QString& authorName) {
    if (refusesEdit())
        return;
    const qsizetype index = indexOfEditableItem(itemID);
    if (index < 0)
        return;
    const ChangeScope scope(*this);
    const TBItem before = allItems_[index];
    // Notes are never cut out: a deletion line travels and merges like any other line. It is
    // not held to the thread's limits, so a full thread can still lose a note.
    const QString line = ItemNotes::line(ItemNotes::Entry{
        QStringLiteral("~") + noteID, clock_.now(), authorID, authorName, QString()});
    QString& notes = allItems_[index].notes;
    notes = notes.isEmpty() ? line : notes + QStringLiteral("\n") + line;
    itemsChanged(before.listID);
    noteItemChanged(before, allItems_[index]);
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::notes}));
}

void ListStore::deleteItem(const QString& itemID) {
    if (refusesEdit())
        return;
    const qsizetype index = indexOfEditableItem(itemID);
    if (index < 0)
        return;
    const ChangeScope scope(*this);
    const TBItem item = allItems_[index];
    const RecordRef record = itemRecordID(item);
    EngineQueue* engine = engineFor(item.listID);

    dropItem(itemID);
    dirtyItems_.remove(itemID);
    archivedRecords_.remove(CloudLayout::itemArchiveKey(itemID));
    if (cloudSync_) {
        pendingItemDeletions_.insert(itemID);
        tombstones_.insert(itemID, Tombstone{item.listID, clock_.now()});
        dirtyTombstones_.insert(itemID);
        if (engine)
            engine->saveRecord(tombstoneRecordID(itemID));
    }
    if (engine)
        engine->deleteRecord(record);
    persist();
}

TBList ListStore::addList(const QString& name) {
    if (refusesEdit())
        return {};
    const ChangeScope scope(*this);
    std::optional<double> highest;
    for (const TBList& list : lists_)
        highest = std::max(highest.value_or(list.order), list.order);
    TBList list;
    list.id = Ids::newId();
    list.name = name;
    list.order = highest ? *highest + 1 : 0;
    list.createdAt = clock_.now();
    appendList(list);
    listsChanged();
    noteListAdded(list.id);
    markListDirty(list.id, allListFields());
    return list;
}

void ListStore::updateList(const TBList& list) {
    if (refusesEdit())
        return;
    const qsizetype index = indexOfList(list.id);
    if (index < 0 || lists_[index].isViewOnly())
        return;
    const ChangeScope scope(*this);
    const TBList before = lists_[index];
    lists_[index] = list;
    listsChanged();
    noteListChanged(before, list);
    markListDirty(list.id, allListFields());
}

FieldSet ListStore::updateListFields(const TBList& loaded, const TBList& edited) {
    if (refusesEdit())
        return {};
    const qsizetype index = indexOfList(loaded.id);
    if (index < 0 || lists_[index].isViewOnly())
        return {};
    // Only what the user changed in the editor is taken, and only where it changes the list as
    // it is now: a field changed meanwhile by sync or another screen keeps that change.
    TBList updated = lists_[index];
    FieldSet fields;
    for (const auto& field : RecordFields::list) {
        if (field.same(loaded, edited) || field.same(updated, edited))
            continue;
        field.copy(updated, edited);
        fields.insert(QString::fromLatin1(field.name));
    }
    if (fields.isEmpty())
        return {};
    const ChangeScope scope(*this);
    const TBList before = lists_[index];
    lists_[index] = updated;
    listsChanged();
    noteListChanged(before, updated);
    markListDirty(updated.id, fields);
    return fields;
}

void ListStore::setCompletedRetention(CompletedRetention retention, const QString& listID) {
    if (refusesEdit())
        return;
    // Only the list editor calls this, for a list it holds; an id of a deleted list is ignored
    // so that no mark is left for a list that is gone.
    const qsizetype index = indexOfList(listID);
    if (index < 0 || lists_[index].isViewOnly())
        return;
    const ChangeScope scope(*this);
    const TBList before = lists_[index];
    lists_[index].completedRetentionRaw = retention.rawValue();
    listsChanged();
    noteListChanged(before, lists_[index]);
    markListDirty(listID, RecordFields::marks({ListField::completedRetention}));
}

void ListStore::pruneCompleted(const QString& listID) {
    if (frozen())
        return;
    const qsizetype index = indexOfList(listID);
    if (index < 0)
        return;
    const TBList& list = lists_[index];
    if (list.isViewOnly())
        return;
    // Retention is a choice of ongoing lists. A one-off list keeps its ticked items whatever
    // text it holds (left from an ongoing past or arrived by sync); the text stays, so a list
    // turned back to ongoing keeps its choice.
    if (list.kind != TBListKind::ongoing)
        return;
    const CompletedRetention retention = CompletedRetention::read(list.completedRetentionRaw);
    if (retention == CompletedRetention::all)
        return;

    QList<TBItem> listItems;
    for (const TBItem& item : allItems_) {
        if (item.listID == listID)
            listItems.append(item);
    }
    QSet<QString> survivors;
    for (const TBItem& item : retention.survivors(listItems))
        survivors.insert(item.id);
    QStringList dropped;
    for (const TBItem& item : listItems) {
        if (!survivors.contains(item.id))
            dropped.append(item.id);
    }
    if (dropped.isEmpty())
        return;
    batch([&] {
        for (const QString& itemID : dropped)
            deleteItem(itemID);
    });
}

QString ListStore::exportMarkdown(const QString& listID) {
    const qsizetype index = indexOfList(listID);
    const std::optional<QString> name =
        index >= 0 ? std::optional(lists_[index].name) : std::nullopt;
    return Markdown::exportList(name, items(listID));
}

void ListStore::forgetTombstones(const QString& listID) {
    for (auto it = tombstones_.begin(); it != tombstones_.end();) {
        if (it->listID == listID) {
            dirtyTombstones_.remove(it.key());
            it = tombstones_.erase(it);
        } else {
            ++it;
        }
    }
}

void ListStore::deleteList(const QString& listID) {
    if (refusesEdit())
        return;
    // Open for a view-only list too: it leaves this user's lists and stays with its owner.
    const ChangeScope scope(*this);
    const ZoneRef zone = zoneID(listID);
    EngineQueue* engine = engineFor(listID);
    const qsizetype index = indexOfList(listID);
    const std::optional<QString> owner = index >= 0 ? lists_[index].zoneOwnerName : std::nullopt;
    const bool shared = isShared(listID);

    const bool removed = lists_.removeIf([&](const TBList& list) { return list.id == listID; }) > 0;
    listsChanged();
    QStringList itemIDs;
    for (const TBItem& item : allItems_) {
        if (item.listID == listID)
            itemIDs.append(item.id);
    }
    allItems_.removeIf([&](const TBItem& item) { return item.listID == listID; });
    itemsChanged(listID);
    // The items go with their list: one note for both.
    if (removed || !itemIDs.isEmpty())
        noteListRemoved(listID);
    dirtyLists_.remove(listID);
    archivedRecords_.remove(CloudLayout::listArchiveKey(listID));
    if (filings_.remove(listID) > 0) {
        noteFiling(listID);
        markFilingDirty(listID);
    }
    // The items' records go with the zone: no tombstones for them.
    for (const QString& itemID : itemIDs) {
        dirtyItems_.remove(itemID);
        archivedRecords_.remove(CloudLayout::itemArchiveKey(itemID));
    }
    forgetTombstones(listID);
    if (cloudSync_) {
        pendingZoneDeletions_.insert(listID, PendingZoneDeletion{listID, owner, shared});
        noteMarked();
    }
    if (engine)
        engine->deleteZone(zone);
    persist();
}

void ListStore::moveItems(const QString& listID, const QStringList& visible,
                          const std::set<int>& offsets, int destination) {
    if (refusesEdit())
        return;
    if (!isEditable(listID))
        return;
    QStringList all;
    for (const TBItem& item : items(listID))
        all.append(item.id);
    const QStringList order = ItemArrange::reorder(all, visible, offsets, destination);

    QHash<QString, qsizetype> indexByID;
    for (qsizetype i = 0; i < allItems_.size(); ++i) {
        if (allItems_[i].listID == listID)
            indexByID.insert(allItems_[i].id, i);
    }
    batch([&] {
        // Every item is renumbered and marked, changed or not, so that all devices agree.
        for (qsizetype position = 0; position < order.size(); ++position) {
            const auto found = indexByID.find(order[position]);
            if (found == indexByID.end())
                continue;
            const TBItem before = allItems_[*found];
            allItems_[*found].order = double(position);
            itemsChanged(listID);
            noteItemChanged(before, allItems_[*found]);
            markItemDirty(allItems_[*found], RecordFields::marks({ItemField::order}));
        }
    });
}

int ListStore::add(const Markdown::ImportResult& imported, const QString& listID) {
    if (refusesEdit())
        return 0;
    if (!isEditable(listID))
        return 0;
    batch([&] {
        // One look for the list's last place, not one per item: a paste of thousands of lines
        // would otherwise read every item of the store once per line.
        double order = nextItemOrder(listID);
        for (const Markdown::ImportedItem& importedItem : imported.items) {
            const TBItem item = appendNewItem(listID, importedItem.text, order);
            order += 1;
            if (importedItem.done)
                setDone(item.id, true);
            applyImportedNotes(importedItem.notes, item.id);
        }
    });
    return int(imported.items.size());
}

void ListStore::applyImportedNotes(const QStringList& notes, const QString& itemID) {
    if (notes.isEmpty())
        return;
    const Date now = clock_.now();
    const qsizetype count = notes.size();
    QString thread;
    for (qsizetype k = 0; k < count; ++k) {
        const QString& text = notes[k];
        if (Unicode::trimWhitespaceAndNewlines(text).isEmpty())
            continue;
        if (ItemNotes::parse(thread).size() > 99)
            continue;
        // One second apart in their given order, the last one a second before now.
        const ItemNotes::Entry entry{Ids::newId(), now.addingSeconds(-double(count - k)), QString(),
                                     QString(), text};
        const QString line = ItemNotes::line(entry);
        const QString candidate = thread.isEmpty() ? line : thread + QStringLiteral("\n") + line;
        if (Unicode::graphemeCount(candidate) <= ItemNotes::maxCharacters)
            thread = candidate;
    }
    if (thread.isEmpty())
        return;
    const qsizetype index = indexOfEditableItem(itemID);
    if (index < 0)
        return;
    const ChangeScope scope(*this);
    const TBItem before = allItems_[index];
    allItems_[index].notes = thread;
    itemsChanged(before.listID);
    noteItemChanged(before, allItems_[index]);
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::notes}));
}

PersonDisplay::Resolved ListStore::display(const QString& authorID,
                                           const QString& authorName) const {
    return PersonDisplay::resolve(authorName, alias(authorID));
}
