// The item editor's tick.
#include "TickButton.h"

#include "ui/theme/DesignFont.h"
#include "ui/theme/PlatformChrome.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>

namespace {
constexpr double diameter = 24;
constexpr double ring = 2;
} // namespace

TickButton::TickButton(QWidget* parent) : PaintedButton(parent) {
    setFixedSize(TickButton::sizeHint());
    setDone(false, QString());
}

void TickButton::setDone(bool done, const QString& accessibleLabel) {
    done_ = done;
    setAccessible({accessibleLabel, {}, {}, {}, {}});
    update();
}

QSize TickButton::sizeHint() const {
    return {PlatformChrome::hitSide, PlatformChrome::hitSide};
}

void TickButton::paintFace(QPainter& painter) {
    const QRectF circle(QPointF(rect().center()) - QPointF(diameter / 2 - 0.5, diameter / 2 - 0.5),
                        QSizeF(diameter, diameter));
    const QColor primary = Theme::Colour::primary.resolved();
    if (done_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(primary);
        painter.drawEllipse(circle);
        Symbols::paint(painter, circle, QStringLiteral("checkmark"),
                       DesignFont::styleSize(TextStyle::footnote),
                       Theme::Colour::onPrimary.resolved());
    } else {
        // The border lies inside the circle's edge.
        painter.setPen(QPen(primary, ring));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle.adjusted(ring / 2, ring / 2, -ring / 2, -ring / 2));
    }
}

QPainterPath TickButton::focusShape() const {
    QPainterPath path;
    path.addEllipse(QRectF(rect()).adjusted(6, 6, -6, -6));
    return path;
}
