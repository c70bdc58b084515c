// The drag handle's stripes.
#include "DragStripes.h"

#include "ui/theme/ThemeColour.h"

#include <QPainter>

namespace DragStripes {

void paint(QPainter& painter, const QRectF& box) {
    constexpr double width = 18;
    constexpr double height = 2;
    constexpr double gap = 4;
    const QPointF centre = box.center();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::Colour::onSurfaceVariant.resolved());
    const double top = centre.y() - (2 * height + gap) / 2;
    for (int stripe = 0; stripe < 2; ++stripe) {
        const QRectF capsule(centre.x() - width / 2, top + stripe * (height + gap), width, height);
        painter.drawRoundedRect(capsule, height / 2, height / 2);
    }
    painter.restore();
}

} // namespace DragStripes
