// The text button.
#include "TextButton.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

TextButton::TextButton(const QString& title, Look look, QWidget* parent)
    : PaintedButton(parent), look_(std::move(look)) {
    setFont(look_.font);
    setTitle(title);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TextButton::setTitle(const QString& title) {
    title_ = title;
    setAccessible({title, {}, {}, {}, {}});
    updateGeometry();
    update();
}

QSize TextButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    const double width =
        metrics.horizontalAdvance(title_) + look_.padding.left() + look_.padding.right();
    const double height = metrics.height() + look_.padding.top() + look_.padding.bottom();
    return {qCeil(width), qMax(look_.minimumHeight, qCeil(height))};
}

void TextButton::paintFace(QPainter& painter) {
    if (look_.capsule) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(look_.capsule->resolved());
        painter.drawPath(focusShape());
    }
    painter.setPen(look_.colour.resolved());
    painter.setFont(font());
    painter.drawText(QRectF(rect()).marginsRemoved(look_.padding.toMarginsF()),
                     Qt::AlignCenter | Qt::TextSingleLine, title_);
}

QPainterPath TextButton::focusShape() const {
    QPainterPath path;
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    // A bare title keeps its ring clear of its first and last letters.
    const double radius = look_.capsule ? box.height() / 2 : 8;
    path.addRoundedRect(box, radius, radius);
    return path;
}
