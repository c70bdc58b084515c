// The capsule-shaped main action button.
#include "PrimaryButton.h"

#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int horizontalPadding = 16;
constexpr int verticalPadding = 4;
constexpr int leastHeight = 44;
constexpr int textFlags = Qt::AlignCenter | Qt::TextWordWrap;
} // namespace

PrimaryButton::PrimaryButton(const QString& title, bool inactive, QWidget* parent)
    : PaintedButton(parent), inactive_(inactive) {
    setFont(DesignFont::system(17, QFont::DemiBold));
    // Taller when the title wraps: the height follows the width.
    QSizePolicy policy(QSizePolicy::Maximum, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setTitle(title);
    setInactive(inactive);
}

void PrimaryButton::setTitle(const QString& title) {
    title_ = title;
    setAccessible({title, {}, {}, {}, {}});
    updateGeometry();
    update();
}

void PrimaryButton::setInactive(bool inactive) {
    inactive_ = inactive;
    setCursor(inactive ? Qt::ArrowCursor : Qt::PointingHandCursor);
    update();
}

QSize PrimaryButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const QRect text = metrics.boundingRect(QRect(0, 0, 100000, 100000), textFlags, title_);
    return {text.width() + 2 * horizontalPadding,
            qMax(leastHeight, text.height() + 2 * verticalPadding)};
}

QSize PrimaryButton::minimumSizeHint() const {
    // As narrow as its longest word.
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& word : title_.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = qMax(widest, metrics.horizontalAdvance(word));
    return {widest + 2 * horizontalPadding, leastHeight};
}

int PrimaryButton::heightForWidth(int width) const {
    const QFontMetrics metrics(font());
    const int textWidth = qMax(1, width - 2 * horizontalPadding);
    const QRect text = metrics.boundingRect(QRect(0, 0, textWidth, 100000), textFlags, title_);
    return qMax(leastHeight, text.height() + 2 * verticalPadding);
}

void PrimaryButton::paintFace(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush((inactive_ ? Theme::Colour::chip : Theme::Colour::accent).resolved());
    painter.drawPath(focusShape());
    painter.setPen(
        (inactive_ ? Theme::Colour::onSurfaceVariant : Theme::Colour::onAccent).resolved());
    painter.setFont(font());
    painter.drawText(QRectF(rect()).adjusted(horizontalPadding, verticalPadding, -horizontalPadding,
                                             -verticalPadding),
                     textFlags, title_);
}

QPainterPath PrimaryButton::focusShape() const {
    QPainterPath path;
    // A capsule at its usual height; a button grown by a wrapped title keeps the same corners
    // instead of turning into an ellipse that would cut into its text.
    const QRectF box(rect());
    const double radius = qMin(qMin(box.height(), box.width()) / 2, leastHeight / 2.0);
    path.addRoundedRect(box, radius, radius);
    return path;
}

bool PrimaryButton::hitButton(const QPoint& position) const {
    return !inactive_ && PaintedButton::hitButton(position);
}

void PrimaryButton::keyPressEvent(QKeyEvent* event) {
    const bool presses = event->key() == Qt::Key_Space || event->key() == Qt::Key_Select ||
                         event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (inactive_ && presses) {
        event->ignore();
        return;
    }
    PaintedButton::keyPressEvent(event);
}
