// The words of a list's header.
#include "ListHeroText.h"

#include <cmath>

namespace ListHeroText {

int percent(const Progress& progress) {
    return int(std::lround(double(progress.done) / double(progress.total) * 100.0));
}

QString statusLine(const std::optional<Progress>& progress, int itemCount) {
    if (progress && progress->total >= 1) {
        if (progress->done == progress->total)
            return QStringLiteral("All done");
        return QStringLiteral("%1% done \u00B7 %2 left")
            .arg(percent(*progress))
            .arg(progress->total - progress->done);
    }
    if (itemCount == 0)
        return QStringLiteral("Nothing on it yet");
    return QStringLiteral("%1 %2").arg(itemCount).arg(itemCount == 1 ? "item" : "items");
}

QString accessibleSummary(const QString& name, const QString& statusLine, bool pinned) {
    QStringList parts{name, statusLine};
    if (pinned)
        parts.append(QStringLiteral("pinned"));
    return parts.join(QStringLiteral(", "));
}

QString itemsLabel(const QString& name) {
    // A list without a name (none is made so, but a peer may send one) still names its rows.
    if (name.trimmed().isEmpty())
        return QStringLiteral("Items");
    return QStringLiteral("Items of ") + name;
}

std::optional<QString> dueText(const TBList& list, Date now, const RelativeWords& relative) {
    if (list.kind != TBListKind::oneOff || !list.dueDate)
        return std::nullopt;
    if (list.urgency(now) == ListUrgency::overdue)
        return QStringLiteral("Overdue");
    return QStringLiteral("Due ") + (relative ? relative(*list.dueDate, now) : QString());
}

} // namespace ListHeroText
