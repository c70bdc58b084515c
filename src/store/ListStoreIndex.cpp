// Finding items and lists by id. A store holds tens of thousands of items and a sync pass looks
// each of them up, so items are found through a hash of their ids; lists are few.
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

qsizetype ListStore::indexOfList(const QString& listID) const {
    for (qsizetype i = 0; i < lists_.size(); ++i) {
        if (lists_[i].id == listID)
            return i;
    }
    return -1;
}

const TBItem* ListStore::findItem(const QString& itemID) const {
    const qsizetype index = indexOfItem(itemID);
    return index >= 0 ? &allItems_[index] : nullptr;
}

const TBList* ListStore::findList(const QString& listID) const {
    const qsizetype index = indexOfList(listID);
    return index >= 0 ? &lists_[index] : nullptr;
}
