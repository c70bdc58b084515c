// Menus that open with an item active.
#include "MenuPopup.h"

#include <QAction>
#include <QMenu>

namespace MenuPopup {

namespace {

bool choosable(const QAction* action) {
    return action && !action->isSeparator() && action->isVisible() && action->isEnabled();
}

} // namespace

void open(QMenu* menu, const QPoint& globalAt, QAction* active) {
    if (!choosable(active)) {
        active = nullptr;
        for (QAction* action : menu->actions()) {
            if (choosable(action)) {
                active = action;
                break;
            }
        }
    }
    menu->popup(globalAt);
    // After it shows: Qt tells a screen reader of the item that becomes active.
    if (active)
        menu->setActiveAction(active);
}

} // namespace MenuPopup
