#include "ListsSummary.h"

#include "platform/Defaults.h"

const QList<ListsSummary>& ListsSummary::allCases() {
    static const QList<ListsSummary> cases{listCount, itemCount, dueToday};
    return cases;
}

std::optional<ListsSummary> ListsSummary::fromRaw(const QString& raw) {
    for (ListsSummary mode : allCases()) {
        if (mode.rawValue() == raw)
            return mode;
    }
    return std::nullopt;
}

QString ListsSummary::rawValue() const {
    switch (value_) {
    case listCount:
        return QStringLiteral("listCount");
    case itemCount:
        return QStringLiteral("itemCount");
    case dueToday:
        break;
    }
    return QStringLiteral("dueToday");
}

ListsSummary ListsSummary::stored(const Defaults& defaults) {
    const std::optional<QString> raw = defaults.string(key);
    if (!raw)
        return listCount;
    return fromRaw(*raw).value_or(listCount);
}

void ListsSummary::store(Defaults& defaults, ListsSummary mode) {
    defaults.setString(key, mode.rawValue());
}

QString ListsSummary::text(qint64 lists, qint64 itemsToGo, qint64 dueToday) const {
    // QString::number never groups digits, whatever the locale.
    switch (value_) {
    case listCount:
        if (lists == 0)
            return QStringLiteral("No lists yet");
        return QString::number(lists) +
               (lists == 1 ? QStringLiteral(" list") : QStringLiteral(" lists"));
    case itemCount:
        if (itemsToGo == 0)
            return QStringLiteral("All done");
        return QString::number(itemsToGo) +
               (itemsToGo == 1 ? QStringLiteral(" item") : QStringLiteral(" items")) +
               QStringLiteral(" to go");
    case ListsSummary::dueToday:
        break;
    }
    if (dueToday == 0)
        return QStringLiteral("Nothing due today");
    return QString::number(dueToday) + QStringLiteral(" due today");
}
