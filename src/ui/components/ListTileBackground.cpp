// The lists page's row tile.
#include "ListTileBackground.h"

#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QPainterPath>

namespace ListTileBackground {

void paint(QPainter& painter, const QRectF& box, bool selected) {
    constexpr double radius = 12;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(box, radius, radius);
    painter.fillPath(shape, Theme::Colour::card.resolved());
    if (selected) {
        // A 1-point border inside the edge: the stroke runs half a point in.
        const QRectF inset = box.adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Theme::Colour::primary.resolved(), 1));
        painter.drawRoundedRect(inset, radius - 0.5, radius - 0.5);
    }
    painter.restore();
}

} // namespace ListTileBackground
