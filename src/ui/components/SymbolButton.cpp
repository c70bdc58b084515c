// The icon button.
#include "SymbolButton.h"

#include "ui/theme/PlatformChrome.h"
#include "ui/theme/Symbols.h"

#include <QPainter>

SymbolButton::SymbolButton(const QString& symbol, double designPoints, DynamicColour colour,
                           const QString& accessibleLabel, QWidget* parent)
    : PaintedButton(parent), symbol_(symbol), designPoints_(designPoints), colour_(colour) {
    setFixedSize(SymbolButton::sizeHint());
    setAccessible({accessibleLabel, {}, {}, {}, {}});
}

void SymbolButton::setSymbol(const QString& symbol) {
    symbol_ = symbol;
    update();
}

void SymbolButton::setColour(DynamicColour colour) {
    colour_ = colour;
    update();
}

void SymbolButton::setCircle(std::optional<DynamicColour> fill) {
    circle_ = fill;
    update();
}

QSize SymbolButton::sizeHint() const {
    return {PlatformChrome::hitSide, PlatformChrome::hitSide};
}

void SymbolButton::paintFace(QPainter& painter) {
    if (circle_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(circle_->resolved());
        painter.drawEllipse(QRectF(rect()));
    }
    Symbols::paint(painter, QRectF(rect()), symbol_, designPoints_, colour_.resolved());
}

QPainterPath SymbolButton::focusShape() const {
    QPainterPath path;
    if (circle_)
        path.addEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    else
        path.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
    return path;
}
