#include "ui/window/WindowNavigation.h"

void WindowNavigation::setOpenListID(const std::optional<QString>& id) {
    if (id == openListID_)
        return;
    openListID_ = id;
    emit openListIDChanged();
}
