// The brand mark's drawing.
#include "BrandMark.h"

#include <QPainter>
#include <QPainterPathStroker>

namespace {

QPainterPath makeMark() {
    QPainterPath body;
    body.moveTo(4, 30); // tail tip
    body.cubicTo(20, 34, 32, 40, 40, 42);
    body.cubicTo(44, 22, 56, 8, 72, 8); // the back, up to the head
    body.cubicTo(84, 8, 92, 16, 94, 24);
    body.lineTo(100, 28); // beak
    body.lineTo(93, 33);
    body.cubicTo(94, 60, 76, 80, 50, 80); // breast and belly
    body.cubicTo(30, 80, 18, 66, 16, 52);
    body.cubicTo(12, 44, 8, 36, 4, 30);
    body.closeSubpath();

    QPainterPath tick;
    tick.moveTo(38, 54);
    tick.lineTo(50, 66);
    tick.lineTo(72, 40);
    QPainterPathStroker stroker;
    stroker.setWidth(7);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);

    QPainterPath eye;
    eye.addEllipse(QPointF(78, 22), 4, 4);

    QPainterPath mark = body.subtracted(stroker.createStroke(tick)).subtracted(eye);
    return mark.translated(-mark.boundingRect().topLeft());
}

} // namespace

namespace BrandMark {

const QPainterPath& path() {
    static const QPainterPath mark = makeMark();
    return mark;
}

double aspectRatio() {
    const QRectF bounds = path().boundingRect();
    return bounds.width() / bounds.height();
}

double widthForHeight(double height) {
    return height * aspectRatio();
}

void paint(QPainter& painter, const QRectF& box, const QColor& colour) {
    const QRectF bounds = path().boundingRect();
    const double scale = qMin(box.width() / bounds.width(), box.height() / bounds.height());
    const QSizeF drawn = bounds.size() * scale;
    const QPointF origin(box.center().x() - drawn.width() / 2,
                         box.center().y() - drawn.height() / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(origin);
    painter.scale(scale, scale);
    painter.fillPath(path(), colour);
    painter.restore();
}

} // namespace BrandMark
