// A text button in design colours.
#include "LabelButton.h"

#include "ui/theme/ThemeColour.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

LabelButton::LabelButton(const QString& title, Look look, QWidget* parent)
    : PaintedButton(parent), look_(std::move(look)) {
    setFont(look_.font);
    setTitle(title);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void LabelButton::setTitle(const QString& title) {
    if (title == title_)
        return;
    title_ = title;
    updateGeometry();
    update();
}

QSize LabelButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    const int width =
        qCeil(metrics.horizontalAdvance(title_)) + look_.padding.left() + look_.padding.right();
    const int height = qCeil(metrics.height()) + look_.padding.top() + look_.padding.bottom();
    return {width, std::max(height, look_.minimumHeight)};
}

QSize LabelButton::minimumSizeHint() const {
    return {std::min(sizeHint().width(), look_.padding.left() + look_.padding.right() + 24),
            sizeHint().height()};
}

int LabelButton::baseline() const {
    const QFontMetricsF metrics(font());
    const double inner = height() - look_.padding.top() - look_.padding.bottom();
    return qRound(look_.padding.top() + (inner - metrics.height()) / 2 + metrics.ascent());
}

void LabelButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update();
    PaintedButton::changeEvent(event);
}

QPainterPath LabelButton::focusShape() const {
    QPainterPath path;
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double radius = look_.shape == Shape::capsule ? box.height() / 2
                          : look_.shape == Shape::card  ? 12
                                                        : 6;
    path.addRoundedRect(box, radius, radius);
    return path;
}

void LabelButton::paintFace(QPainter& painter) {
    if (look_.shape != Shape::none) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(look_.fill.resolved());
        painter.drawPath(focusShape());
    }
    painter.setPen(isEnabled() ? look_.colour.resolved()
                               : Theme::Colour::onSurfaceVariant.resolved());
    painter.setFont(font());
    const QRect area = rect().marginsRemoved(look_.padding);
    const Qt::Alignment horizontal = look_.alignment & Qt::AlignHorizontal_Mask;
    const QFontMetricsF metrics(font());
    const QString shown = metrics.horizontalAdvance(title_) <= area.width()
                              ? title_
                              : metrics.elidedText(title_, Qt::ElideRight, area.width());
    painter.drawText(area, int(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}
