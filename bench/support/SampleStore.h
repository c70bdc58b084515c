// The lists and items the benchmarks write their store files with: list l and its item i look
// the same in every benchmark that builds a store file itself, so their figures compare.
#pragma once

#include "store/DiskV2.h"

#include <QString>

namespace SampleStore {

inline TBList list(int l) {
    TBList list;
    list.id = QStringLiteral("LIST-%1-0000-0000-0000-000000000000").arg(l, 8, 10, QChar('0'));
    list.name = QStringLiteral("List %1").arg(l);
    list.order = l;
    list.createdAt = Date(700'000'000 + l);
    return list;
}

enum class Ticks { everyThird, none };

// Item i of list l: "Item number i #tagN" with seven tags in turn, a note on every fifth item,
// and every third ticked off unless asked otherwise.
inline TBItem item(const TBList& list, int l, int i, Ticks ticks = Ticks::everyThird) {
    TBItem item;
    item.id = QStringLiteral("ITEM-%1-%2-0000-0000-000000000000")
                  .arg(l, 8, 10, QChar('0'))
                  .arg(i, 4, 10, QChar('0'));
    item.listID = list.id;
    item.text = QStringLiteral("Item number %1 #tag%2").arg(i).arg(i % 7);
    item.order = i;
    item.done = ticks == Ticks::everyThird && i % 3 == 0;
    if (item.done)
        item.completedAt = Date(700'000'000 + i);
    if (i % 5 == 0)
        item.notes = "NOTE-" + item.id + "\t2025-01-01T10:00:00Z\t_me\tMe\tget the big one";
    return item;
}

// What a store file written by this version holds besides its lists and items, all empty: so
// that reading it takes the same path as a real file's.
inline void completeFile(DiskV2& disk) {
    disk.identity = UserIdentity{};
    disk.circles = QList<TBCircle>{};
    disk.aliases = QMap<QString, PersonAlias>{};
    disk.filings = QMap<QString, QString>{};
    disk.dirtyFilings = QSet<QString>{};
    disk.pendingItemDeletions = QSet<QString>{};
    disk.tombstones = QMap<QString, Tombstone>{};
    disk.dirtyTombstones = QSet<QString>{};
    disk.pendingZoneDeletions = QMap<QString, PendingZoneDeletion>{};
}

} // namespace SampleStore
