#pragma once

#include "platform/Date.h"

#include <QList>
#include <QSet>
#include <QString>

// A notes thread as the item editor shows it: one row per live note, with the badge beside it
// and whether the user may delete it, and whether another note may be added.
struct NoteThread {
    struct Row {
        // The badge beside a note. Only another person's note in a shared list has one.
        struct Marker {
            enum class Kind { initials, none, person };
            Kind kind = Kind::none;
            QString initials; // set only for Kind::initials

            static Marker withInitials(const QString& initials) {
                return {Kind::initials, initials};
            }
            static Marker none() { return {}; }
            static Marker person() { return {Kind::person, {}}; }
            bool operator==(const Marker&) const = default;
        };

        QString id;
        QString authorID;
        QString authorName;
        QString initials;
        QString text;
        Date written;
        Marker marker;
        bool canDelete = true;

        bool operator==(const Row&) const = default;
    };

    QList<Row> rows;
    bool canAdd = true;

    NoteThread() = default;
    // `isSharedList`: the user's own list with a share, or another person's list.
    // `currentUserIDs`: the account record names that are this user; may be empty while the
    // user is not yet known.
    NoteThread(const QString& raw, bool isSharedList, const QSet<QString>& currentUserIDs);

    bool operator==(const NoteThread&) const = default;
};
