#pragma once

#include <QString>

// How removing a list is offered and confirmed, by whose list it is and whether it is shared.
struct ListRemoval {
    enum class Action {
        removeMe,          // leave another person's shared list
        deleteList,        // delete one's own unshared list
        deleteForEveryone, // delete one's own list that has a share
    };

    Action action = Action::deleteList;
    QString verb;
    bool requiresConfirmation = true;
    bool allowsFullSwipe = true; // whether a full swipe on the row may remove at once
    QString confirmationMessage;

    bool operator==(const ListRemoval&) const = default;

    // `isShared`: the list belongs to another person; `hasShare`: the user's own list is shared.
    static ListRemoval decide(bool isShared, bool hasShare);
    QString confirmationTitle(const QString& listName) const;
};
