#include "NoteThread.h"

#include "ItemNotes.h"
#include "PersonDisplay.h"
#include "platform/Unicode.h"

NoteThread::NoteThread(const QString& raw, bool isSharedList, const QSet<QString>& currentUserIDs) {
    const QList<ItemNotes::Entry> entries = ItemNotes::parse(raw);
    rows.reserve(entries.size());
    for (const ItemNotes::Entry& entry : entries) {
        Row row;
        row.id = entry.id;
        row.authorID = entry.authorID;
        row.authorName = entry.authorName;
        row.initials = PersonDisplay::initials(entry.authorName);
        row.text = entry.text;
        row.written = entry.written;
        if (!isSharedList) {
            row.canDelete = true;
        } else if (!entry.authorID.isEmpty() && currentUserIDs.contains(entry.authorID)) {
            row.canDelete = true; // the user's own note
        } else if (entry.authorID.isEmpty() || currentUserIDs.isEmpty()) {
            // Written before its author was known, or the user is not known yet: no badge, and
            // only an anonymous note may go.
            row.canDelete = entry.authorID.isEmpty();
        } else {
            row.marker = entry.authorName.isEmpty() ? Row::Marker::person()
                                                    : Row::Marker::withInitials(row.initials);
            row.canDelete = false;
        }
        rows.append(row);
    }
    canAdd = entries.size() < ItemNotes::maxNotes &&
             Unicode::graphemeCount(raw) < ItemNotes::maxCharacters;
}
