// The one shared request to open a list, and its claim by the lists page.
#include "ListNavigation.h"

ListNavigation& ListNavigation::shared() {
    // Lives until the process ends, so no observer outlives it.
    static ListNavigation* instance = new ListNavigation;
    return *instance;
}

void ListNavigation::setRequestedListID(const std::optional<QString>& id) {
    if (id == requestedListID_)
        return;
    requestedListID_ = id;
    emit requestedListIDChanged();
}

std::optional<QString>
ListNavigation::claimAnyPendingList(const std::function<QList<TBList>()>& sortedLists) {
    const std::optional<QString> requested = requestedListID_;
    setRequestedListID(std::nullopt);
    if (!requested)
        return std::nullopt;
    for (const TBList& list : sortedLists()) {
        if (list.id == *requested)
            return requested;
    }
    return std::nullopt;
}
