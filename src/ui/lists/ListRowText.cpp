// Texts of a list's row: counts, due words and the spoken label.
#include "ListRowText.h"

#include "RelativeDueText.h"

#include <QStringList>

namespace ListRowText {

bool isShared(const TBList& list) {
    return list.zoneOwnerName.has_value() || list.hasShare;
}

bool canEditHere(const TBList& list) {
    return !list.isViewOnly();
}

QString countSummary(TBListKind kind, ItemCounts counts) {
    // QString::number never groups digits, whatever the locale.
    if (counts.all == 0)
        return QStringLiteral("Empty");
    if (kind == TBListKind::oneOff) {
        return QString::number(counts.open) + QStringLiteral(" of ") + QString::number(counts.all) +
               QStringLiteral(" left");
    }
    return QString::number(counts.open) +
           (counts.open == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
}

std::optional<QString> dueSummary(const TBList& list, Date now, const RelativeDueText& relative) {
    if (list.kind == TBListKind::ongoing || !list.dueDate)
        return std::nullopt;
    if (list.urgency(now) == ListUrgency::overdue)
        return QStringLiteral("Overdue");
    return relative.text(*list.dueDate, now);
}

QString accessibilityLabel(const TBList& list, const QString& countSummary,
                           const std::optional<QString>& dueSummary) {
    QStringList parts{list.name, countSummary};
    if (dueSummary)
        parts.append(QStringLiteral("due ") + *dueSummary);
    if (isShared(list))
        parts.append(QStringLiteral("shared"));
    if (list.pinned)
        parts.append(QStringLiteral("pinned"));
    return parts.join(QStringLiteral(", "));
}

QString urgencyWord(ListUrgency urgency) {
    switch (urgency) {
    case ListUrgency::none:
        return {};
    case ListUrgency::relaxed:
        return QStringLiteral("On track");
    case ListUrgency::soon:
        return QStringLiteral("Getting close");
    case ListUrgency::tight:
        return QStringLiteral("Due very soon");
    case ListUrgency::overdue:
        break;
    }
    return QStringLiteral("Overdue");
}

QString dueChipAccessibilityLabel(const QString& text, ListUrgency urgency) {
    return text + QStringLiteral(", ") + urgencyWord(urgency);
}

} // namespace ListRowText
