// Announcing changes: what each operation changed is gathered while it runs and told to
// observers once, when the outermost operation or batch ends.
#include "ListStore.h"

#include "StoreWriter.h"

#include "model/Markdown.h"

#include <exception>
#include <utility>

ListStore::ChangeScope::ChangeScope(ListStore& store)
    : store_(store), uncaught_(std::uncaught_exceptions()) {
    // Every change of the items is made inside a scope: the items lent to the writer at load
    // come back first, or the change would copy every one of them.
    if (std::exchange(store_.itemsLent_, false))
        store_.writer_->takeBackPrimed();
    ++store_.changeDepth_;
}

ListStore::ChangeScope::~ChangeScope() {
    // Nothing is announced while an exception unwinds; the change goes out with the next one.
    if (--store_.changeDepth_ == 0 && std::uncaught_exceptions() == uncaught_)
        store_.announcePending();
}

ListStore::AccountWatch::AccountWatch(ListStore& store)
    : store_(store), identity_(store.identity_),
      lastKnownUserRecordName_(store.lastKnownUserRecordName_) {
    ++store_.changeDepth_;
}

ListStore::AccountWatch::~AccountWatch() {
    if (store_.identity_ != identity_)
        store_.pendingChange_.identity = true;
    if (store_.lastKnownUserRecordName_ != lastKnownUserRecordName_)
        store_.pendingChange_.lastKnownUserRecordName = true;
    if (--store_.changeDepth_ == 0 && std::uncaught_exceptions() == 0)
        store_.announcePending();
}

namespace {

// Whether a change touches what the store file holds for the person: lists, items, groups,
// circles, names. Not the account's identity or change marks, which the next sync makes again,
// nor settings, which live in their own file.
bool touchesContent(const StoreChange& change) {
    return !change.listsAdded.isEmpty() || !change.listsRemoved.isEmpty() ||
           !change.listFields.isEmpty() || !change.items.isEmpty() || !change.filings.isEmpty() ||
           change.circles || change.aliases;
}

} // namespace

void ListStore::announcePending() {
    // A change made by a slot while an announcement is under way waits for it to finish, so
    // every observer hears the changes in the order they were made.
    if (announcing_)
        return;
    announcing_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{announcing_};
    while (!pendingChange_.isEmpty()) {
        const StoreChange change = std::exchange(pendingChange_, StoreChange());
        // A writing store that cannot write never writes again: the change is in memory only.
        if (access_ == Access::readWrite && !canWrite() && touchesContent(change))
            changedWithoutWriting_ = true;
        if (change.identity)
            emit identityChanged();
        if (change.lastKnownUserRecordName)
            emit lastKnownUserRecordNameChanged();
        emit storeChanged(change);
        emit changed();
    }
}

void ListStore::noted() {
    if (changeDepth_ == 0)
        announcePending();
}

void ListStore::announceChange() {
    pendingChange_.everything = true;
    noted();
}

void ListStore::announceVocabularyChange(const QString& listID) {
    pendingChange_.vocabulary.insert(listID);
    noted();
}

void ListStore::noteListAdded(const QString& listID) {
    pendingChange_.listAdded(listID);
    noted();
}

void ListStore::noteListRemoved(const QString& listID) {
    pendingChange_.listRemoved(listID);
    noted();
}

void ListStore::noteListChanged(const TBList& before, const TBList& after) {
    if (before == after)
        return;
    pendingChange_.listChanged(before, after);
    noted();
}

void ListStore::noteItemAdded(const TBItem& item) {
    pendingChange_.itemAdded(item.listID, item.id);
    if (!Markdown::tags(item.text).isEmpty())
        pendingChange_.vocabulary.insert(item.listID);
    noted();
}

void ListStore::noteItemRemoved(const TBItem& item) {
    pendingChange_.itemRemoved(item.listID, item.id);
    if (!Markdown::tags(item.text).isEmpty())
        pendingChange_.vocabulary.insert(item.listID);
    noted();
}

void ListStore::noteItemChanged(const TBItem& before, const TBItem& after) {
    if (before == after)
        return;
    const bool reordered = before.order != after.order || before.pinned != after.pinned;
    pendingChange_.itemChanged(after.listID, after.id, reordered);
    if (before.text != after.text && Markdown::tags(before.text) != Markdown::tags(after.text))
        pendingChange_.vocabulary.insert(after.listID);
    noted();
}

void ListStore::noteFiling(const QString& listID) {
    pendingChange_.filings.insert(listID);
    noted();
}

void ListStore::noteCircles() {
    pendingChange_.circles = true;
    noted();
}

void ListStore::noteAliases() {
    pendingChange_.aliases = true;
    noted();
}

void ListStore::noteSyncSwitch() {
    pendingChange_.syncSwitch = true;
    noted();
}

void ListStore::noteMarked() {
    pendingChange_.marked = true;
    noted();
}

bool ListStore::dropItem(const QString& itemID) {
    QList<TBItem> dropped;
    for (const TBItem& item : allItems_) {
        if (item.id == itemID)
            dropped.append(item);
    }
    if (dropped.isEmpty())
        return false;
    allItems_.removeIf([&](const TBItem& item) { return item.id == itemID; });
    for (const TBItem& item : dropped)
        itemsChanged(item.listID);
    // Noted only once the state is whole again: outside an operation a note announces at once.
    for (const TBItem& item : dropped)
        noteItemRemoved(item);
    return true;
}
