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
