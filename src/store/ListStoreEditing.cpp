// Adding, changing and deleting items and lists.
#include "ListStore.h"

#include "CloudLayout.h"
#include "RecordField.h"
#include "model/ItemArrange.h"
#include "model/ItemNotes.h"
#include "platform/Ids.h"
#include "platform/Unicode.h"

#include <algorithm>

qsizetype ListStore::indexOfItem(const QString& itemID) const {
    for (qsizetype i = 0; i < allItems_.size(); ++i) {
        if (allItems_[i].id == itemID)
            return i;
    }
    return -1;
}

qsizetype ListStore::indexOfList(const QString& listID) const {
    for (qsizetype i = 0; i < lists_.size(); ++i) {
        if (lists_[i].id == listID)
            return i;
    }
    return -1;
}

void ListStore::itemsChanged() {
    derivedCacheValid_ = false;
}
void ListStore::listsChanged() {
    derivedCacheValid_ = false;
}

TBItem ListStore::addItem(const QString& listID, const QString& text) {
    std::optional<double> highest;
    for (const TBItem& item : allItems_) {
        if (item.listID == listID)
            highest = std::max(highest.value_or(item.order), item.order);
    }
    TBItem item;
    item.id = Ids::newId();
    item.listID = listID;
    item.text = text;
    item.order = highest ? *highest + 1 : 0;
    allItems_.append(item);
    itemsChanged();
    emit changed();
    markItemDirty(item, allItemFields());
    return item;
}

void ListStore::setDone(const QString& itemID, bool done) {
    const qsizetype index = indexOfItem(itemID);
    if (index < 0 || allItems_[index].done == done)
        return;
    TBItem& item = allItems_[index];
    item.done = done;
    item.completedAt = done ? std::optional(clock_.now()) : std::nullopt;
    itemsChanged();
    emit changed();
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::done, ItemField::completedAt}));
}

void ListStore::setItemPinned(const QString& itemID, bool pinned) {
    const qsizetype index = indexOfItem(itemID);
    if (index < 0)
        return;
    allItems_[index].pinned = pinned;
    itemsChanged();
    emit changed();
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::pinned}));
}

void ListStore::renameItem(const QString& itemID, const QString& text) {
    const qsizetype index = indexOfItem(itemID);
    if (index < 0)
        return;
    allItems_[index].text = text;
    itemsChanged();
    emit changed();
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::text}));
}

bool ListStore::addNote(const QString& text, const QString& itemID, const QString& authorID,
                        const QString& authorName) {
    const qsizetype index = indexOfItem(itemID);
    if (index < 0)
        return false;
    const ItemNotes::Entry entry{Ids::newId(), clock_.now(), authorID, authorName, text};
    const std::optional<QString> notes = ItemNotes::adding(entry, allItems_[index].notes);
    if (!notes)
        return false;
    allItems_[index].notes = *notes;
    itemsChanged();
    emit changed();
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::notes}));
    return true;
}

void ListStore::removeNote(const QString& noteID, const QString& itemID, const QString& authorID,
                           const QString& authorName) {
    const qsizetype index = indexOfItem(itemID);
    if (index < 0)
        return;
    // Notes are never cut out: a deletion line travels and merges like any other line. It is
    // not held to the thread's limits, so a full thread can still lose a note.
    const QString line = ItemNotes::line(ItemNotes::Entry{
        QStringLiteral("~") + noteID, clock_.now(), authorID, authorName, QString()});
    QString& notes = allItems_[index].notes;
    notes = notes.isEmpty() ? line : notes + QStringLiteral("\n") + line;
    itemsChanged();
    emit changed();
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::notes}));
}

void ListStore::deleteItem(const QString& itemID) {
    const qsizetype index = indexOfItem(itemID);
    if (index < 0)
        return;
    const TBItem item = allItems_[index];
    const RecordRef record = itemRecordID(item);
    EngineQueue* engine = engineFor(item.listID);

    allItems_.removeIf([&](const TBItem& other) { return other.id == itemID; });
    itemsChanged();
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
    emit changed();
    persist();
}

TBList ListStore::addList(const QString& name) {
    std::optional<double> highest;
    for (const TBList& list : lists_)
        highest = std::max(highest.value_or(list.order), list.order);
    TBList list;
    list.id = Ids::newId();
    list.name = name;
    list.order = highest ? *highest + 1 : 0;
    list.createdAt = clock_.now();
    lists_.append(list);
    listsChanged();
    emit changed();
    markListDirty(list.id, allListFields());
    return list;
}

void ListStore::updateList(const TBList& list) {
    const qsizetype index = indexOfList(list.id);
    if (index < 0)
        return;
    lists_[index] = list;
    listsChanged();
    emit changed();
    markListDirty(list.id, allListFields());
}

void ListStore::setCompletedRetention(CompletedRetention retention, const QString& listID) {
    // Only the list editor calls this, for a list it holds; an id of a deleted list is ignored
    // so that no mark is left for a list that is gone.
    const qsizetype index = indexOfList(listID);
    if (index < 0)
        return;
    lists_[index].completedRetentionRaw = retention.rawValue();
    listsChanged();
    emit changed();
    markListDirty(listID, RecordFields::marks({ListField::completedRetention}));
}

void ListStore::pruneCompleted(const QString& listID) {
    const qsizetype index = indexOfList(listID);
    if (index < 0)
        return;
    const TBList& list = lists_[index];
    if (list.zoneOwnerName && list.sharePermission == TBSharePermission::readOnly)
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
    const ZoneRef zone = zoneID(listID);
    EngineQueue* engine = engineFor(listID);
    const qsizetype index = indexOfList(listID);
    const std::optional<QString> owner = index >= 0 ? lists_[index].zoneOwnerName : std::nullopt;
    const bool shared = isShared(listID);

    lists_.removeIf([&](const TBList& list) { return list.id == listID; });
    listsChanged();
    QStringList itemIDs;
    for (const TBItem& item : allItems_) {
        if (item.listID == listID)
            itemIDs.append(item.id);
    }
    allItems_.removeIf([&](const TBItem& item) { return item.listID == listID; });
    itemsChanged();
    dirtyLists_.remove(listID);
    archivedRecords_.remove(CloudLayout::listArchiveKey(listID));
    emit changed();
    if (filings_.remove(listID) > 0) {
        emit changed();
        markFilingDirty(listID);
    }
    // The items' records go with the zone: no tombstones for them.
    for (const QString& itemID : itemIDs) {
        dirtyItems_.remove(itemID);
        archivedRecords_.remove(CloudLayout::itemArchiveKey(itemID));
    }
    forgetTombstones(listID);
    if (cloudSync_)
        pendingZoneDeletions_.insert(listID, PendingZoneDeletion{listID, owner, shared});
    if (engine)
        engine->deleteZone(zone);
    persist();
}

void ListStore::moveItems(const QString& listID, const QStringList& visible,
                          const std::set<int>& offsets, int destination) {
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
            allItems_[*found].order = double(position);
            itemsChanged();
            emit changed();
            markItemDirty(allItems_[*found], RecordFields::marks({ItemField::order}));
        }
    });
}

int ListStore::add(const Markdown::ImportResult& imported, const QString& listID) {
    batch([&] {
        for (const Markdown::ImportedItem& importedItem : imported.items) {
            const TBItem item = addItem(listID, importedItem.text);
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
    const qsizetype index = indexOfItem(itemID);
    if (index < 0)
        return;
    allItems_[index].notes = thread;
    itemsChanged();
    emit changed();
    markItemDirty(allItems_[index], RecordFields::marks({ItemField::notes}));
}

PersonDisplay::Resolved ListStore::display(const QString& authorID,
                                           const QString& authorName) const {
    return PersonDisplay::resolve(authorName, alias(authorID));
}
