#include "MarkScan.h"

#include "ListStore.h"

#include <QHash>

MarkScan::MarkScan(QMap<QString, FieldSet> marks, QList<TBItem> items)
    : marks_(std::move(marks)), items_(std::move(items)) {}

void MarkScan::run() {
    std::call_once(once_, [this] {
        // Reads the copies only (a copy read on two threads at once shares its data safely).
        const QList<TBItem> items = std::exchange(items_, {});
        QMap<QString, FieldSet> marks;
        {
            std::lock_guard lock(marksMutex_);
            marks = marks_;
        }
        const FieldSet& all = ListStore::allItemFields();
        // The first item of each id, as the store finds it.
        QHash<QString, qsizetype> index;
        index.reserve(items.size());
        std::vector<bool> first(size_t(items.size()), false);
        for (qsizetype i = 0; i < items.size(); ++i) {
            const qsizetype before = index.size();
            qsizetype& slot = index[items[i].id];
            if (index.size() != before) {
                slot = i;
                first[size_t(i)] = true;
            }
        }
        std::vector<bool> full(size_t(items.size()), false);
        marked_.reserve(size_t(marks.size()));
        for (auto it = marks.cbegin(); it != marks.cend(); ++it) {
            if (it.value().isEmpty())
                continue;
            const auto found = index.constFind(it.key());
            if (found == index.cend())
                continue;
            marked_.emplace_back(it.key(), items[*found].listID);
            full[size_t(*found)] = it.value().size() == all.size() && it.value().contains(all);
        }
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (first[size_t(i)] && !full[size_t(i)])
                notFullyMarked_.append(items[i].id);
        }
        done_ = true;
    });
}

bool MarkScan::stillFor(const QMap<QString, FieldSet>& marks) const {
    std::lock_guard lock(marksMutex_);
    return !released_ && marks_.isSharedWith(marks);
}

void MarkScan::release() {
    QMap<QString, FieldSet> gone;
    std::lock_guard lock(marksMutex_);
    gone.swap(marks_);
    released_ = true;
}
