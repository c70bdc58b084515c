// Shared painting and focus of the theme's buttons.
#include "PaintedButton.h"

#include "Accessibility.h"
#include "ui/theme/ThemeColour.h"

#include <QFocusEvent>
#include <QPainter>

PaintedButton::PaintedButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void PaintedButton::setAccessible(const AccessibleSpec& spec) {
    AccessibleSpec withTrait = spec;
    withTrait.traits |= AccessibleTrait::button;
    Accessibility::apply(this, withTrait);
}

QPainterPath PaintedButton::focusShape() const {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    return path;
}

void PaintedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        painter.setOpacity(0.6);
    paintFace(painter);
    if (hasFocus() && keyboardFocus_) {
        painter.setOpacity(1.0);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Theme::Colour::primary.resolved(), 2));
        painter.drawPath(focusShape());
    }
}

void PaintedButton::focusInEvent(QFocusEvent* event) {
    keyboardFocus_ = event->reason() == Qt::TabFocusReason ||
                     event->reason() == Qt::BacktabFocusReason ||
                     event->reason() == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(event);
}

void PaintedButton::focusOutEvent(QFocusEvent* event) {
    keyboardFocus_ = false;
    QAbstractButton::focusOutEvent(event);
}
