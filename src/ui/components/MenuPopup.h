#pragma once

class QAction;
class QMenu;
class QPoint;

// Opening a menu as the keyboard and a screen reader need it: the menu comes up with an item
// active, so that the arrow keys start from it and the reader says the menu and that item as it
// opens, rather than nothing until the first Down.
namespace MenuPopup {

// Shows `menu` at `globalAt` (QMenu::popup(), no nested event loop) with `active` active, or
// its first item that can be chosen when `active` is null or cannot be.
void open(QMenu* menu, const QPoint& globalAt, QAction* active = nullptr);

} // namespace MenuPopup
