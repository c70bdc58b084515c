#pragma once

#include <QString>
#include <QStringList>

#include <set>

// Keeping a drag among the items shown on screen consistent with the full item order.
namespace ItemArrange {

// The new order of `all` (every item id of the list, display order) after moving the shown items at
// `offsets` of `visible` (the ids on screen, in their order) to `destination`. Items that are not
// shown keep their slots. Offsets outside `visible` are ignored and shown ids that are not in
// `all` are left out, so the result is always a permutation of `all`.
QStringList reorder(const QStringList& all, const QStringList& visible,
                    const std::set<int>& offsets, int destination);

} // namespace ItemArrange
