#pragma once

#include <QRectF>
#include <QSize>

class QPainter;

// The drag handle beside a row that can be dragged: two short stripes, centred in a 44 by 52
// area, which is the handle's whole area.
namespace DragStripes {

inline constexpr QSize area{44, 52};
void paint(QPainter& painter, const QRectF& box);

} // namespace DragStripes
