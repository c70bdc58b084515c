#include "CloudRefresh.h"

#include <algorithm>

namespace CloudRefresh {

bool hasUnsentChanges(const QMap<QString, FieldSet>& lists, const QMap<QString, FieldSet>& items,
                      const QSet<QString>& filings, const QSet<QString>& tombstones) {
    const auto marked = [](const QMap<QString, FieldSet>& marks) {
        return std::any_of(marks.begin(), marks.end(),
                           [](const FieldSet& fields) { return !fields.isEmpty(); });
    };
    return !filings.isEmpty() || !tombstones.isEmpty() || marked(lists) || marked(items);
}

} // namespace CloudRefresh
