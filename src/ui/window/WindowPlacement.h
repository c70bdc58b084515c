#pragma once

#include <QList>
#include <QRect>
#include <QString>

// Where the window comes back on relaunch: the settings it is kept under, and the rules that fit
// what was kept to the screens there are now (a screen unplugged, a smaller one, another layout).
namespace WindowPlacement {

// The window's place, size and state, as QWidget::saveGeometry gives it, in Base64.
inline const QString geometryKey = QStringLiteral("window.geometry");
// The width of the lists column beside the open list, in logical pixels.
inline const QString sidebarWidthKey = QStringLiteral("window.sidebarWidth");

// The index in `screens` (available areas, the primary one first) of the screen a kept frame
// belongs on: the one holding its centre, else the one it overlaps most, else the primary one.
// -1 when there is no screen.
int screenFor(const QRect& frame, const QList<QRect>& screens);

// The kept frame fitted onto a screen's available area: no larger than the area but never
// smaller than `minimum` (the window's least size), and moved the least so that it lies wholly
// on the area; a frame larger than the area keeps its top-left corner on it.
QRect fitted(const QRect& frame, const QRect& available, const QSize& minimum);

// The lists column's width for a kept width, in a split `splitWidth` wide whose handle is
// `handleWidth`: within the column's least and greatest widths, and leaving the open list its
// least width (the column's least width wins when both cannot be had).
int sidebarWidth(int kept, int splitWidth, int handleWidth);

} // namespace WindowPlacement
