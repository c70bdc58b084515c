#pragma once

#include <QList>
#include <QString>

// The entries of a list's actions menu, in order, and the two ways this desktop offers to share
// the list as Markdown (there is no share service to hand it to).
namespace ListActionsMenu {

enum class Action { editList, paste, arrangeTags, share, save };

struct Entry {
    Action action;
    QString title;
    QString symbol;
    bool operator==(const Entry&) const = default;
};

// "Edit list…" and "Paste items from clipboard" only on a list that may be changed; "Arrange
// tags…" only when there is more than one tag to arrange; sharing and saving always.
QList<Entry> entries(bool canEdit, qsizetype tagCount);

enum class ShareWay { copy, mail };
struct ShareEntry {
    ShareWay way;
    QString title;
    QString symbol;
    bool operator==(const ShareEntry&) const = default;
};
QList<ShareEntry> shareEntries();

QString menuLabel(); // "List actions"

} // namespace ListActionsMenu
