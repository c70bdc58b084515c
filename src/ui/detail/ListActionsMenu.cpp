// The list actions menu's entries.
#include "ListActionsMenu.h"

namespace ListActionsMenu {

QList<Entry> entries(bool canEdit, qsizetype tagCount) {
    QList<Entry> list;
    if (canEdit) {
        list.append({Action::editList, QStringLiteral("Edit list…"), QStringLiteral("pencil")});
        list.append({Action::paste, QStringLiteral("Paste items from clipboard"),
                     QStringLiteral("doc.on.clipboard")});
    }
    if (tagCount > 1)
        list.append({Action::arrangeTags, QStringLiteral("Arrange tags…"),
                     QStringLiteral("arrow.up.arrow.down")});
    list.append({Action::share, QStringLiteral("Share as Markdown"),
                 QStringLiteral("square.and.arrow.up")});
    list.append({Action::save, QStringLiteral("Save…"), QStringLiteral("folder")});
    return list;
}

QList<ShareEntry> shareEntries() {
    return {{ShareWay::copy, QStringLiteral("Copy Markdown"), QStringLiteral("doc.on.doc")},
            {ShareWay::mail, QStringLiteral("Send by Email…"), QStringLiteral("envelope")}};
}

QString menuLabel() {
    return QStringLiteral("List actions");
}

} // namespace ListActionsMenu
