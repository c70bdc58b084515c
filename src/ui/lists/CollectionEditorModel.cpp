// The group editor's decisions, over the store's filings.
#include "CollectionEditorModel.h"

#include "platform/Unicode.h"
#include "store/ListStore.h"

CollectionEditorModel::CollectionEditorModel(ListStore& store, CollectionEditorMode mode,
                                             QObject* parent)
    : QObject(parent), store_(store), mode_(std::move(mode)) {
    connect(&store_, &ListStore::changed, this, &CollectionEditorModel::scheduleRefresh);
    refresh();
    if (mode_.isEdit()) {
        name_ = *mode_.group;
        for (const CollectionEditorEntry& entry : rows_.entries()) {
            if (entry.group == *mode_.group) {
                chosen_.insert(entry.list.id);
                membersAtOpen_.append(entry.list.id);
            }
        }
    }
    rows_.setTrimmedName(trimmedName());
    rows_.setChosen(chosen_);
}

QString CollectionEditorModel::title() const {
    return mode_.isEdit() ? QStringLiteral("Edit group") : QStringLiteral("New group");
}

QString CollectionEditorModel::trimmedName() const {
    return Unicode::trimWhitespaceAndNewlines(name_);
}

void CollectionEditorModel::setName(const QString& name) {
    if (name == name_)
        return;
    name_ = name;
    rows_.setTrimmedName(trimmedName());
    emit changed();
}

void CollectionEditorModel::toggle(const QString& listID) {
    if (rows_.rowOf(listID) < 0)
        return;
    if (!chosen_.remove(listID))
        chosen_.insert(listID);
    rows_.setChosen(chosen_);
    emit changed();
}

QStringList CollectionEditorModel::existingChosen() const {
    QStringList ids;
    for (const CollectionEditorEntry& entry : rows_.entries()) {
        if (chosen_.contains(entry.list.id))
            ids.append(entry.list.id);
    }
    return ids;
}

bool CollectionEditorModel::canSave() const {
    return !trimmedName().isEmpty() && !existingChosen().isEmpty();
}

bool CollectionEditorModel::save() {
    // The store may have changed since the last refresh: decide on what it holds now.
    refresh();
    const QString name = trimmedName();
    const QStringList chosen = existingChosen();
    if (name.isEmpty() || chosen.isEmpty())
        return false;
    if (mode_.isEdit()) {
        // Only lists that were in the group when the sheet opened, are unticked now and are
        // still in it leave: a list another device filed meanwhile stays where it was put.
        for (const QString& listID : membersAtOpen_) {
            if (!chosen_.contains(listID) && store_.collection(listID) == *mode_.group)
                store_.setCollection(std::nullopt, listID);
        }
    }
    for (const QString& listID : chosen)
        store_.setCollection(name, listID);
    return true;
}

void CollectionEditorModel::ungroup() {
    if (mode_.isEdit())
        store_.dissolveCollection(*mode_.group);
}

void CollectionEditorModel::scheduleRefresh() {
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QMetaObject::invokeMethod(this, &CollectionEditorModel::refreshNow, Qt::QueuedConnection);
}

void CollectionEditorModel::refreshNow() {
    if (!refreshPending_)
        return;
    refresh();
    emit changed();
}

void CollectionEditorModel::refresh() {
    refreshPending_ = false;
    store_.rebuildDerivedCacheIfNeeded();
    const QList<TBList>& lists = store_.sortedListsCache();
    QList<CollectionEditorEntry> entries;
    entries.reserve(lists.size());
    for (const TBList& list : lists)
        entries.append({list, store_.collection(list.id)});
    rows_.setEntries(entries);
}
