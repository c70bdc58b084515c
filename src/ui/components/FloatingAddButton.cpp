// The floating add button.
#include "FloatingAddButton.h"

#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>

FloatingAddButton::FloatingAddButton(const QString& accessibleLabel, bool inactive, QWidget* parent)
    : PaintedButton(parent), inactive_(inactive) {
    setFixedSize(FloatingAddButton::sizeHint());
    setAccessible({accessibleLabel, {}, {}, {}, {}});
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(0, 0, 0, 51)); // black at 20 %
    shadow->setBlurRadius(16);             // a blur of radius 8
    shadow->setOffset(0, 4);
    setGraphicsEffect(shadow);
}

void FloatingAddButton::setInactive(bool inactive) {
    inactive_ = inactive;
    update();
}

void FloatingAddButton::paintFace(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush((inactive_ ? Theme::Colour::chip : Theme::Colour::accentBold).resolved());
    painter.drawEllipse(QRectF(rect()));
    const QColor glyph =
        (inactive_ ? Theme::Colour::onSurfaceVariant : Theme::Colour::onAccent).resolved();
    // The symbol font has one weight; the bold plus of the design is drawn a size larger.
    Symbols::paint(painter, QRectF(rect()), QStringLiteral("plus"),
                   DesignFont::styleSize(TextStyle::title2) * 1.3, glyph);
}

QPainterPath FloatingAddButton::focusShape() const {
    QPainterPath path;
    path.addEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    return path;
}
