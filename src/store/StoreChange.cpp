// Gathering what one store operation changed, with the rules that keep each id in one place.
#include "StoreChange.h"

#include "RecordField.h"

bool StoreChange::isEmpty() const {
    return listsAdded.isEmpty() && listsRemoved.isEmpty() && listFields.isEmpty() &&
           items.isEmpty() && filings.isEmpty() && collapsedGroups.isEmpty() &&
           vocabulary.isEmpty() && !circles && !aliases && !identity && !lastKnownUserRecordName &&
           !syncSwitch && !marked && !everything;
}

bool StoreChange::listOrderChanged() const {
    if (everything || !listsAdded.isEmpty() || !listsRemoved.isEmpty())
        return true;
    for (const QSet<QString>& fields : listFields) {
        if (fields.contains(RecordFields::name(ListField::pinned)) ||
            fields.contains(RecordFields::name(ListField::order)))
            return true;
    }
    return false;
}

bool StoreChange::pageRowsChanged() const {
    return everything || !listsAdded.isEmpty() || !listsRemoved.isEmpty() ||
           !listFields.isEmpty() || !filings.isEmpty() || !collapsedGroups.isEmpty();
}

void StoreChange::listAdded(const QString& listID) {
    if (listsRemoved.remove(listID)) {
        // Gone and back within one change: to a view it is the same list, changed in full.
        FieldSet& fields = listFields[listID];
        for (const auto& field : RecordFields::list)
            fields.insert(QString::fromLatin1(field.name));
        fields.unite({zoneOwnerNameField, sharePermissionField, hasShareField});
        return;
    }
    listsAdded.insert(listID);
}

void StoreChange::listRemoved(const QString& listID) {
    items.remove(listID);
    vocabulary.remove(listID);
    if (listsAdded.remove(listID)) {
        listFields.remove(listID);
        return;
    }
    listFields.remove(listID);
    listsRemoved.insert(listID);
}

void StoreChange::listChanged(const QString& listID, const QSet<QString>& fields) {
    if (fields.isEmpty() || listsAdded.contains(listID))
        return;
    listFields[listID].unite(fields);
}

void StoreChange::listChanged(const TBList& before, const TBList& after) {
    FieldSet fields;
    for (const auto& field : RecordFields::list) {
        if (!field.same(before, after))
            fields.insert(QString::fromLatin1(field.name));
    }
    if (before.zoneOwnerName != after.zoneOwnerName)
        fields.insert(zoneOwnerNameField);
    if (before.sharePermission != after.sharePermission)
        fields.insert(sharePermissionField);
    if (before.hasShare != after.hasShare)
        fields.insert(hasShareField);
    listChanged(after.id, fields);
}

void StoreChange::itemAdded(const QString& listID, const QString& itemID) {
    Items& list = items[listID];
    if (list.removed.remove(itemID)) {
        list.changed.insert(itemID);
        return;
    }
    list.added.insert(itemID);
}

void StoreChange::itemRemoved(const QString& listID, const QString& itemID) {
    Items& list = items[listID];
    if (list.added.remove(itemID)) {
        if (list.isEmpty())
            items.remove(listID);
        return;
    }
    list.changed.remove(itemID);
    list.removed.insert(itemID);
}

void StoreChange::itemChanged(const QString& listID, const QString& itemID, bool reordered) {
    Items& list = items[listID];
    if (reordered)
        list.reordered = true;
    if (!list.added.contains(itemID))
        list.changed.insert(itemID);
}
