#include "CompletedOrder.h"

#include "platform/Unicode.h"

#include <algorithm>

namespace CompletedOrder {

bool precedes(const TBItem& a, const TBItem& b) {
    if (a.completedAt && b.completedAt && *a.completedAt != *b.completedAt)
        return *a.completedAt > *b.completedAt;
    if (a.completedAt.has_value() != b.completedAt.has_value())
        return a.completedAt.has_value();
    if (a.order != b.order)
        return a.order < b.order;
    return Unicode::textLess(a.id, b.id);
}

QList<TBItem> sort(QList<TBItem> items) {
    std::stable_sort(items.begin(), items.end(), precedes);
    return items;
}

QList<TBItem> section(const QList<TBItem>& items) {
    QList<TBItem> done;
    for (const TBItem& item : items) {
        if (item.done)
            done.append(item);
    }
    return sort(std::move(done));
}

} // namespace CompletedOrder
