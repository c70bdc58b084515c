// Shared painting and focus of the theme's buttons.
#include "PaintedButton.h"

#include "Accessibility.h"
#include "TextFieldRing.h"
#include "ui/theme/ThemeColour.h"

#include <QFocusEvent>
#include <QKeyEvent>
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
    if (showsFocusRing() && !outside_) {
        painter.setOpacity(1.0);
        painter.setBrush(Qt::NoBrush);
        const QPainterPath shape = focusShape();
        if (fillsFocusShape()) {
            painter.save();
            painter.setClipPath(shape);
            painter.setPen(QPen(ground_.value_or(Theme::Colour::background).resolved(), 6));
            painter.drawPath(shape);
            painter.restore();
        }
        painter.setPen(QPen(ringColour_.value_or(Theme::Colour::primary).resolved(), 2));
        painter.drawPath(shape);
    }
}

void PaintedButton::setFocusRingColour(DynamicColour colour) {
    ringColour_ = colour;
    update();
}

void PaintedButton::setFocusGround(DynamicColour colour) {
    ground_ = colour;
    update();
}

void PaintedButton::setFocusRingOutside() {
    if (outside_)
        return;
    outside_ = new TextFieldRing(this, 2 * TextFieldRing::standardGap);
    outside_->setShownWhile([this] { return showsFocusRing(); });
    update();
}

void PaintedButton::followRing() {
    if (outside_)
        outside_->follow();
}

namespace {
// The focus leaves for a while only: a menu or another window (a sheet) is in front.
bool forAWhile(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}
} // namespace

void PaintedButton::focusInEvent(QFocusEvent* event) {
    // A button never takes the focus from a click, so it came by the keyboard or was put here
    // (back from a sheet it opened); coming back with its window keeps the ring as it was. A
    // window that opens (a sheet) hands its first control the focus as it becomes active: the
    // keyboard is on it from then on, so it is ringed.
    if (!forAWhile(event->reason()))
        keyboardFocus_ = event->reason() != Qt::MouseFocusReason;
    else if (!away_)
        keyboardFocus_ = true;
    away_ = false;
    QAbstractButton::focusInEvent(event);
    followRing();
}

void PaintedButton::focusOutEvent(QFocusEvent* event) {
    away_ = forAWhile(event->reason());
    if (!away_)
        keyboardFocus_ = false;
    QAbstractButton::focusOutEvent(event);
    followRing();
}

void PaintedButton::keyPressEvent(QKeyEvent* event) {
    keyboardFocus_ = true;
    followRing();
    const bool returnKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (returnKey && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Return presses the button that has the focus, as Space does.
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    update();
    QAbstractButton::keyPressEvent(event);
}

void PaintedButton::mousePressEvent(QMouseEvent* event) {
    keyboardFocus_ = false;
    followRing();
    QAbstractButton::mousePressEvent(event);
}
