#include "ui/window/ListSelection.h"

#include <algorithm>

namespace ListSelection {

std::optional<QString> resolve(const std::optional<QString>& selected, const QList<TBList>& lists) {
    if (!selected)
        return std::nullopt;
    const bool exists = std::any_of(lists.begin(), lists.end(),
                                    [&](const TBList& list) { return list.id == *selected; });
    return exists ? selected : std::nullopt;
}

} // namespace ListSelection
