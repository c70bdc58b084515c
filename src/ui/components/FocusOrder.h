#pragma once

#include <QList>

class QScrollArea;
class QWidget;

// The order Tab and Shift+Tab follow through the panes of a window. Qt's own focus chain follows
// the order in which widgets were made, so a control made again (the chips of a list after its
// tags changed) moves to the end of the window and the keyboard jumps about. Instead each pane
// names its stops in the order it wants, and the window steps through them.
namespace FocusOrder {

// Whether Tab may stop on the widget now: shown, enabled and taking the focus by Tab.
bool takesTab(const QWidget* widget);

// The widgets under `root` that take Tab, in reading order: line by line from the top, each line
// from the left. For a page whose controls are made again as it changes.
QList<QWidget*> inReadingOrder(QWidget* root);

// The place in `stops` of the widget that has the focus: the stop it is, or the nearest stop it
// lies in; -1 when it is in none. Stops that do not take Tab count as places too, so that the
// focus can leave a field that Tab never stops on.
int stopOf(const QList<QWidget*>& stops, const QWidget* focus);

// The stop after (or before) `from` that takes Tab now, or -1 when there is none before the end.
// `from` may be -1 (before the first) or the count of stops (after the last).
int nextStop(const QList<QWidget*>& stops, int from, bool forward);

// Gives `widget` the keyboard focus as Tab (or Shift+Tab) would, and scrolls every scroll area
// around it to show it.
void focus(QWidget* widget, bool forward);

// Scrolls `area` to show whatever control in it gets the keyboard focus, however it came there:
// Qt scrolls only for a Tab from inside the area, not for one that comes round from a control
// outside it (a sheet's Done, Shift+Tab to the foot of its page). For as long as `area` lives.
void keepInSight(QScrollArea* area);

} // namespace FocusOrder
