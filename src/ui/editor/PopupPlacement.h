#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a field's drop-down (the due date's calendar) opens: under the field when it fits in
// the field's window, else over it, so that the sheet's edge never cuts it; where it fits in
// neither, on the side with the screen room for it, as a plain drop-down would. Sideways it
// lines up with the field and stays in the window, or failing that on the screen.
namespace PopupPlacement {

// The top left of the popup, in the global coordinates that all three rectangles are in.
QPoint place(const QRect& field, QSize popup, const QRect& window, const QRect& screen,
             bool rightToLeft = false);

} // namespace PopupPlacement
