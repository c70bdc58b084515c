#pragma once

#include "platform/Date.h"

#include <QList>
#include <QString>

#include <optional>

// The notes thread of an item: one note per line, five TAB-separated fields
// (id, written, author id, author name, text). A line whose id starts with "~" deletes the
// note whose id follows the "~".
namespace ItemNotes {

struct Entry {
    QString id;
    Date written;
    QString authorID;
    QString authorName;
    QString text;
    bool operator==(const Entry&) const = default;
};

// Limits of a thread: live notes a thread may reach by adding, and its length in characters.
inline constexpr int maxNotes = 100;
inline constexpr int maxCharacters = 8000;

// One thread line. TAB, CR, LF and CR LF inside a field each become one space, so the line
// holds exactly four TABs and no line break; the time is written in whole seconds.
QString line(const Entry& entry);
// The live notes, oldest first (equal times by id): deleted notes, deletion markers and
// unreadable lines are left out.
QList<Entry> parse(const QString& raw);
// The thread with the entry's line appended, or nothing when the note is blank, the thread
// already holds maxNotes live notes, or the result would exceed maxCharacters.
std::optional<QString> adding(const Entry& entry, const QString& raw);
// Both threads' distinct lines, sorted by time, then text; unreadable lines last.
QString merged(const QString& a, const QString& b);

} // namespace ItemNotes
