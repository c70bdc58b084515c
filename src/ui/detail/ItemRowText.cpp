// Spoken texts and action names of an item's row.
#include "ItemRowText.h"
#include "platform/PlatformWording.h"

namespace ItemRowText {

QString tickAction(const TBItem& item) {
    return item.done ? QStringLiteral("Untick") : QStringLiteral("Tick");
}

QString tickLabel(const TBItem& item) {
    return tickAction(item) + QLatin1Char(' ') + item.text;
}

QString textLabel(const TBItem& item) {
    QString label =
        item.text + (item.done ? QStringLiteral(", ticked") : QStringLiteral(", not ticked"));
    if (item.pinned)
        label += QStringLiteral(", starred");
    return label;
}

QString textHint(bool canEdit) {
    return canEdit ? PlatformWording::hint(PlatformWording::Hint::open)
                   : QStringLiteral("View only");
}

QString starAction(const TBItem& item) {
    return item.pinned ? QStringLiteral("Unstar") : QStringLiteral("Star");
}

QString starLabel(const TBItem& item) {
    return starAction(item) + QLatin1Char(' ') + item.text;
}

QString deleteAction() {
    return QStringLiteral("Delete");
}

QString deleteLabel(const TBItem& item) {
    return deleteAction() + QLatin1Char(' ') + item.text;
}

} // namespace ItemRowText
