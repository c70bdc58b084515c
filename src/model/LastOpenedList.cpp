#include "LastOpenedList.h"

#include "platform/Defaults.h"

#include <algorithm>

namespace LastOpenedList {

std::optional<QString> stored(const Defaults& defaults) {
    return defaults.string(key);
}

void store(Defaults& defaults, const std::optional<QString>& listID) {
    if (listID)
        defaults.setString(key, *listID);
    else
        defaults.remove(key);
}

std::optional<QString> resolve(const std::optional<QString>& remembered,
                               const QList<TBList>& lists) {
    if (remembered && std::any_of(lists.begin(), lists.end(),
                                  [&](const TBList& list) { return list.id == *remembered; }))
        return remembered;
    if (lists.isEmpty())
        return std::nullopt;
    return lists.first().id;
}

} // namespace LastOpenedList
