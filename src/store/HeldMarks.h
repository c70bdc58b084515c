#pragma once

#include "FieldSet.h"
#include "model/TBItem.h"
#include "model/TBList.h"

#include <QMap>
#include <QSet>
#include <QString>

// The change marks of other people's lists made while the device was in one account, kept
// aside while it is in another: they are that account's to send, and go again when it signs
// in again. Ids as in the store's own marks.
struct HeldMarks {
    QMap<QString, FieldSet> lists; // list id to the fields of its list record
    QMap<QString, FieldSet> items; // item id to the fields of its record
    QSet<QString> tombstones;      // deleted items whose tombstone is still to send
    // The list or item as the account left it, for the held fields to take back. Meanwhile the
    // device shows the other account what the cloud holds, and no item the cloud lacks. A mark
    // held by an older program has no copy: the device still shows its value.
    QMap<QString, TBList> listCopies;
    QMap<QString, TBItem> itemCopies;

    bool isEmpty() const { return lists.isEmpty() && items.isEmpty() && tombstones.isEmpty(); }
    bool operator==(const HeldMarks&) const = default;
};
