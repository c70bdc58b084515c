// Finding items and lists by id. A store holds tens of thousands of items and a sync pass looks
// each of them up, so items are found through a hash of their ids. Lists are found the same
// way: a large store has a thousand of them, and queuing its items for sync looks up each
// item's list several times.
#include "ListStore.h"

void ListStore::indexItems() const {
    itemIndex_.clear();
    itemIndex_.reserve(allItems_.size());
    // Backwards, so that the first of two items with one id is the one found.
    for (qsizetype i = allItems_.size() - 1; i >= 0; --i)
        itemIndex_.insert(allItems_[i].id, i);
    itemsIndexed_ = allItems_.size();
}

qsizetype ListStore::indexOfItem(const QString& itemID) const {
    if (itemsIndexed_ != allItems_.size())
        indexItems();
    const auto found = itemIndex_.constFind(itemID);
    if (found == itemIndex_.cend())
        return -1;
    if (allItems_[*found].id == itemID)
        return *found;
    // An item was taken out since the index was built, and others moved up: build it again.
    indexItems();
    return itemIndex_.value(itemID, -1);
}

qsizetype ListStore::distinctItemCount() const {
    if (itemsIndexed_ != allItems_.size())
        indexItems();
    return itemIndex_.size();
}

void ListStore::appendItem(const TBItem& item) {
    const bool whole = itemsIndexed_ == allItems_.size();
    allItems_.append(item);
    if (!whole) {
        itemsIndexed_ = -1; // built again at the next look-up
        return;
    }
    if (!itemIndex_.contains(item.id))
        itemIndex_.insert(item.id, allItems_.size() - 1);
    itemsIndexed_ = allItems_.size();
}

void ListStore::indexLists() const {
    listIndex_.clear();
    listIndex_.reserve(lists_.size());
    for (qsizetype i = lists_.size() - 1; i >= 0; --i)
        listIndex_.insert(lists_[i].id, i);
    listsIndexed_ = lists_.size();
    listsIndexedAt_ = lists_.constData();
}

// A new array (a load, a removal that moved lists up, a copy made because a save shares the
// old one) changes where the lists lie; fields changed in place do not.
bool ListStore::listIndexWhole() const {
    return listsIndexed_ == lists_.size() && listsIndexedAt_ == lists_.constData();
}

qsizetype ListStore::indexOfList(const QString& listID) const {
    if (!listIndexWhole())
        indexLists();
    const auto found = listIndex_.constFind(listID);
    if (found == listIndex_.cend())
        return -1;
    if (lists_[*found].id == listID)
        return *found;
    indexLists();
    return listIndex_.value(listID, -1);
}

void ListStore::appendList(const TBList& list) {
    const bool whole = listIndexWhole();
    lists_.append(list);
    if (!whole) {
        listsIndexed_ = -1;
        return;
    }
    if (!listIndex_.contains(list.id))
        listIndex_.insert(list.id, lists_.size() - 1);
    listsIndexed_ = lists_.size();
    listsIndexedAt_ = lists_.constData();
}

const TBItem* ListStore::findItem(const QString& itemID) const {
    const qsizetype index = indexOfItem(itemID);
    return index >= 0 ? &allItems_[index] : nullptr;
}

const TBList* ListStore::findList(const QString& listID) const {
    const qsizetype index = indexOfList(listID);
    return index >= 0 ? &lists_[index] : nullptr;
}
