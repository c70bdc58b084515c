#pragma once

#include "FieldSet.h"
#include "model/TBItem.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

// A look through every item's change mark, made away from the store's thread: a store of a
// hundred thousand items takes longer to look through than a window may stop answering. It
// works on copies of the store's marks and items, which share their data with the store's own
// until either changes, and lets go of the items once it has run.
//
// Starting the engines queues what it finds marked; a sign-in with an account this device has
// never seen marks the items it finds not marked in full, as long as no mark changed since.
class MarkScan {
public:
    MarkScan(QMap<QString, FieldSet> marks, QList<TBItem> items);

    // Looks through, once: the first caller does it, on its own thread; any other waits for it.
    void run();
    bool done() const { return done_; }

    // After run(): the items there with a mark that names a field, in the order of the marks,
    // as their ids and the ids of their lists.
    const std::vector<std::pair<QString, QString>>& marked() const { return marked_; }
    // After run(): the ids of the items there whose mark does not name every field, in the
    // order of the items.
    const QStringList& notFullyMarked() const { return notFullyMarked_; }

    // Whether `marks` are still the marks looked through: nothing changed one since.
    bool stillFor(const QMap<QString, FieldSet>& marks) const;
    // Lets go of the marks, which otherwise the store's next change of a mark would copy.
    void release();

private:
    std::once_flag once_;
    std::atomic<bool> done_{false};
    mutable std::mutex marksMutex_;
    QMap<QString, FieldSet> marks_;
    bool released_ = false;
    QList<TBItem> items_;
    std::vector<std::pair<QString, QString>> marked_;
    QStringList notFullyMarked_;
};
