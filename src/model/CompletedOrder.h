#pragma once

#include "TBItem.h"

#include <QList>

// The order of ticked-off items: newest ticked first, undated ones after every dated one, then
// by `order` and id.
namespace CompletedOrder {

// True when `a` comes before `b` in the completed order.
bool precedes(const TBItem& a, const TBItem& b);
// The same items in the completed order.
QList<TBItem> sort(QList<TBItem> items);
// The done items among `items`, in the completed order: the completed section of a list.
QList<TBItem> section(const QList<TBItem>& items);

} // namespace CompletedOrder
