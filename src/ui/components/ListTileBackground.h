#pragma once

#include <QRectF>

class QPainter;

// The card behind a row of the lists page: a rounded card, outlined inside its edge in the
// primary colour when the row is selected.
namespace ListTileBackground {

void paint(QPainter& painter, const QRectF& box, bool selected);

} // namespace ListTileBackground
