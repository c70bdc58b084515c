// The list badge.
#include "ListBadge.h"

#include "Accessibility.h"
#include "model/ListColour.h"
#include "model/TBList.h"
#include "ui/theme/ListPalette.h"
#include "ui/theme/Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

ListBadge::ListBadge(const TBList& list, double size, QWidget* parent)
    : QWidget(parent), icon_(list.icon), colourID_(list.colourID), size_(size) {
    setFixedSize(ListBadge::sizeHint());
    Accessibility::hide(this);
}

void ListBadge::setList(const TBList& list) {
    icon_ = list.icon;
    colourID_ = list.colourID;
    update();
}

QSize ListBadge::sizeHint() const {
    return {qCeil(size_), qCeil(size_)};
}

void ListBadge::paint(QPainter& painter, const QRectF& box, const QString& icon,
                      const QString& colourID) {
    const double side = qMin(box.width(), box.height());
    const QRectF square(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    const ListColour& colour = ListColour::find(colourID);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(square, side * 0.28, side * 0.28);
    painter.fillPath(shape, ListPalette::colour(colour).resolved());
    Symbols::paint(painter, square, icon, side * 0.45, ListPalette::glyph.resolved());
    painter.restore();
}

void ListBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), icon_, colourID_);
}
