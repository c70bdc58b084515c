#pragma once

#include "model/TBList.h"

#include <QHash>
#include <QSet>
#include <QString>

// What one store operation (or one batch of them) changed, so that a view can update the rows
// it shows instead of drawing everything again. The store gathers it while the operation runs
// and hands it over once, when the outermost operation or batch ends (ListStore::storeChanged).
//
// Every id named here is one whose state may differ from the previous announcement; a view
// reads the new state from the store. Within one change an id appears in at most one of
// added, removed and changed: something added and then changed in the same batch is only
// added, something added and removed again is not named at all.
struct StoreChange {
    // The items of one list.
    struct Items {
        QSet<QString> added;
        QSet<QString> removed;
        QSet<QString> changed;
        // An item's order or star changed, so the display order of the list may differ.
        bool reordered = false;

        bool isEmpty() const {
            return added.isEmpty() && removed.isEmpty() && changed.isEmpty() && !reordered;
        }
        bool operator==(const Items&) const = default;
    };

    QSet<QString> listsAdded;
    QSet<QString> listsRemoved;
    // List id to the fields that changed: the record field names of a list ("name", "pinned",
    // "order", "icon", "colour", "kind", "dueDate", "createdAt", "completedRetention") and the
    // share fields that stay on this device ("zoneOwnerName", "sharePermission", "hasShare").
    QHash<QString, QSet<QString>> listFields;
    static inline const QString zoneOwnerNameField = QStringLiteral("zoneOwnerName");
    static inline const QString sharePermissionField = QStringLiteral("sharePermission");
    static inline const QString hasShareField = QStringLiteral("hasShare");
    // List id to the changes of its items. A removed list has no entry: its items went with it.
    QHash<QString, Items> items;
    // Lists whose group changed (filed, moved to another group, taken out of one).
    QSet<QString> filings;
    // Group names that were collapsed or expanded on the lists page.
    QSet<QString> collapsedGroups;
    // Lists whose tag vocabulary may differ: an item's tags changed, or the list's tag order
    // or starter tags were rewritten (see ListStore::announceVocabularyChange).
    QSet<QString> vocabulary;
    bool circles = false;
    bool aliases = false;
    bool identity = false;
    bool lastKnownUserRecordName = false;
    // The sync switch was turned, or the engines were started or dropped.
    bool syncSwitch = false;
    // Changes were marked for the cloud. Set also when no value changed (a list dragged onto its
    // own place is still renumbered and sent), so the sync trigger hears of every mark.
    bool marked = false;
    // Something outside the store's own state changed (ListStore::announceChange): redraw all.
    bool everything = false;

    bool isEmpty() const;
    // The display order of the lists may differ.
    bool listOrderChanged() const;
    // The rows of the lists page may differ (they carry copies of the lists).
    bool pageRowsChanged() const;

    bool operator==(const StoreChange&) const = default;

    // Recording, as the store does it.
    void listAdded(const QString& listID);
    void listRemoved(const QString& listID);
    void listChanged(const QString& listID, const QSet<QString>& fields);
    // Notes every field on which the two lists differ (the id is not compared).
    void listChanged(const TBList& before, const TBList& after);
    void itemAdded(const QString& listID, const QString& itemID);
    void itemRemoved(const QString& listID, const QString& itemID);
    // `reordered`: the item's order or star changed.
    void itemChanged(const QString& listID, const QString& itemID, bool reordered);
};
