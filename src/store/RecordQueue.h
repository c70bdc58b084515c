#pragma once

#include "EngineQueue.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

class ListStore;
class MarkScan;
struct TBItem;
struct TBList;

// Queues the record saves of many lists and items at once, as starting the engines does for
// everything marked: each list's zone and engine are worked out once, not once per item, and
// the zone of each of the user's own lists is queued once. Saves are handed over in the order
// they were asked for. Used within one store operation.
class RecordQueue {
public:
    explicit RecordQueue(const ListStore& store);
    void saveList(const QString& listID);
    void saveItem(const TBItem& item);
    // Hands each engine what was asked for so far.
    void flush();
    // After what was asked for so far: the items `scan` finds marked, which each engine works
    // out as it takes them in, away from this thread. For engines just made, which send only
    // once they have taken them in. An item of a list that is not here goes to the user's own
    // zone of that list, as when it was marked.
    void saveMarkedItems(const std::shared_ptr<MarkScan>& scan, const QList<TBList>& lists);

private:
    struct Route {
        ZoneRef zone;
        EngineQueue* engine = nullptr;
    };
    const Route& route(const QString& listID);

    const ListStore& store_;
    QHash<QString, Route> routes_;
    std::vector<RecordRef> privateSaves_;
    std::vector<RecordRef> sharedSaves_;
};
