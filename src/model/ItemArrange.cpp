#include "model/ItemArrange.h"

#include "model/ArrayMove.h"

#include <QSet>

namespace ItemArrange {

QStringList reorder(const QStringList& all, const QStringList& visible,
                    const std::set<int>& offsets, int destination) {
    if (all.isEmpty())
        return {};
    const QStringList moved = ArrayMove::moving(visible, offsets, destination);

    // The shown ids in their new order, each once, without ids the list no longer holds: a
    // screen may still show an item another device has just deleted.
    const QSet<QString> inList(all.begin(), all.end());
    QStringList shownOrder;
    QSet<QString> shown;
    for (const QString& id : moved) {
        if (inList.contains(id) && !shown.contains(id)) {
            shown.insert(id);
            shownOrder.append(id);
        }
    }

    // Each shown id's slot (its first place in the full list) takes the next id of the new order;
    // every other place keeps its id. So exactly the shown ids are permuted.
    QStringList result;
    result.reserve(all.size());
    QSet<QString> slotted;
    qsizetype next = 0;
    for (const QString& id : all) {
        if (shown.contains(id) && !slotted.contains(id)) {
            slotted.insert(id);
            result.append(shownOrder[next++]);
        } else {
            result.append(id);
        }
    }
    return result;
}

} // namespace ItemArrange
