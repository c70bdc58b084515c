#include "CompletedRetention.h"

#include "CompletedOrder.h"

#include <limits>

namespace {

// How many done items a retention keeps.
qsizetype keptCount(CompletedRetention retention) {
    switch (retention) {
    case CompletedRetention::never:
        return 0;
    case CompletedRetention::keep50:
        return 50;
    case CompletedRetention::keep100:
        return 100;
    case CompletedRetention::keep200:
        return 200;
    case CompletedRetention::all:
        break;
    }
    return std::numeric_limits<qsizetype>::max();
}

} // namespace

const QList<CompletedRetention>& CompletedRetention::allCases() {
    static const QList<CompletedRetention> cases{never, keep50, keep100, keep200, all};
    return cases;
}

CompletedRetention CompletedRetention::read(const std::optional<QString>& raw) {
    if (raw) {
        for (CompletedRetention retention : allCases()) {
            if (retention.rawValue() == *raw)
                return retention;
        }
    }
    return all;
}

QString CompletedRetention::rawValue() const {
    switch (value_) {
    case never:
        return QStringLiteral("never");
    case keep50:
        return QStringLiteral("50");
    case keep100:
        return QStringLiteral("100");
    case keep200:
        return QStringLiteral("200");
    case all:
        break;
    }
    return QStringLiteral("all");
}

QList<TBItem> CompletedRetention::survivors(const QList<TBItem>& items) const {
    QList<TBItem> kept;
    for (const TBItem& item : items) {
        if (!item.done)
            kept.append(item);
    }
    const QList<TBItem> done = CompletedOrder::section(items);
    kept.append(done.first(std::min(done.size(), keptCount(*this))));
    return kept;
}
