#include "LastOpenedList.h"

#include "platform/Defaults.h"

#include <algorithm>

namespace LastOpenedList {

std::optional<QString> stored() {
    return Defaults::standard().string(key);
}

void store(const std::optional<QString>& listID) {
    if (listID)
        Defaults::standard().setString(key, *listID);
    else
        Defaults::standard().remove(key);
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
