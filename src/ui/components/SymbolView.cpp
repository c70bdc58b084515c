// A decorative symbol.
#include "SymbolView.h"

#include "Accessibility.h"
#include "ui/theme/Symbols.h"

#include <QPainter>
#include <QtMath>

SymbolView::SymbolView(const QString& name, double designPoints, DynamicColour colour,
                       QWidget* parent)
    : QWidget(parent), name_(name), designPoints_(designPoints), colour_(colour) {
    setFixedSize(SymbolView::sizeHint());
    Accessibility::hide(this);
}

void SymbolView::setSymbol(const QString& name) {
    name_ = name;
    update();
}

QSize SymbolView::sizeHint() const {
    const int side = qCeil(designPoints_ * 1.3);
    return {side, side};
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Symbols::paint(painter, QRectF(rect()), name_, designPoints_, colour_.resolved());
}
