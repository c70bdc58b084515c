#pragma once

#include <QList>
#include <QString>

// One thing a person can do to a row of the lists page, from its context menu, a swipe, an
// edit-mode button or a screen reader's action list, with the words each of those shows.
struct RowCommand {
    enum class Action { rename, pin, unpin, remove, editGroup, ungroup, separator };

    Action action = Action::separator;
    QString title;           // "Rename…", "Pin", the removal verb, "Ungroup"
    QString accessibleLabel; // what a screen reader says for the button ("Pin Groceries")
    QString symbol;          // the symbol of a swipe button, empty in menus
    bool destructive = false;
    bool allowsFullSwipe = false; // a swipe all the way across acts without a press

    bool operator==(const RowCommand&) const = default;
    static RowCommand separatorLine() { return {}; }
};

using RowCommands = QList<RowCommand>;
