#include "ListRemoval.h"

ListRemoval ListRemoval::decide(bool isShared, bool hasShare) {
    // Another person's list can only be left, whatever its share flag says.
    if (isShared) {
        return {Action::removeMe, QStringLiteral("Remove from my lists"), true, true,
                QStringLiteral("It stays for the owner and everyone else. You would need a new "
                               "invitation to get it back.")};
    }
    if (hasShare) {
        return {Action::deleteForEveryone, QStringLiteral("Delete for everyone"), true, false,
                QStringLiteral("This list will be removed from everyone you have shared it with, "
                               "not just from your own lists. This cannot be undone.")};
    }
    return {Action::deleteList, QStringLiteral("Delete"), true, true,
            QStringLiteral("This cannot be undone.")};
}

QString ListRemoval::confirmationTitle(const QString& listName) const {
    const QString quoted = QStringLiteral("“") + listName + QStringLiteral("”");
    switch (action) {
    case Action::removeMe:
        return QStringLiteral("Remove ") + quoted + QStringLiteral(" from my lists?");
    case Action::deleteForEveryone:
        return QStringLiteral("Delete ") + quoted + QStringLiteral(" for everyone?");
    case Action::deleteList:
        break;
    }
    return QStringLiteral("Delete ") + quoted + QStringLiteral("?");
}
