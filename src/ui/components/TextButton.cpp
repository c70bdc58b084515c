// The text button.
#include "TextButton.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

#include <algorithm>

namespace {
// The focus ring runs 1 px inside the edge and is 2 px wide. A bare title keeps at least this much
// room from the sides, and from the top and bottom, whatever padding its look asks for, so that
// the ring stays clear of its letters at every text size (a capsule's ring follows the capsule).
constexpr int ringRoomSide = 8;
constexpr int ringRoomEnds = 4;
} // namespace

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

QMargins TextButton::padding() const {
    const QMargins& asked = look_.padding;
    if (look_.capsule)
        return asked;
    return {std::max(asked.left(), ringRoomSide), std::max(asked.top(), ringRoomEnds),
            std::max(asked.right(), ringRoomSide), std::max(asked.bottom(), ringRoomEnds)};
}

QSize TextButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    const QMargins room = padding();
    const double width = metrics.horizontalAdvance(title_) + room.left() + room.right();
    const double height = metrics.height() + room.top() + room.bottom();
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
    painter.drawText(QRectF(rect()).marginsRemoved(padding().toMarginsF()),
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
