// The flow layout as a Qt layout.
#include "FlowLayout.h"

#include "FlowGeometry.h"

#include <QtMath>

FlowLayout::FlowLayout(double spacing, QWidget* parent) : QLayout(parent), spacing_(spacing) {
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = FlowLayout::takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

QLayoutItem* FlowLayout::takeAt(int index) {
    if (index < 0 || index >= items_.size())
        return nullptr;
    return items_.takeAt(index);
}

QList<QSizeF> FlowLayout::idealSizes() const {
    QList<QSizeF> sizes;
    for (QLayoutItem* item : items_) {
        if (!item->isEmpty())
            sizes.append(QSizeF(item->sizeHint()));
    }
    return sizes;
}

int FlowLayout::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const double inner = width - margins.left() - margins.right();
    return qCeil(FlowGeometry::sizeThatFits(idealSizes(), spacing_, inner).height()) +
           margins.top() + margins.bottom();
}

QSize FlowLayout::sizeHint() const {
    const QMargins margins = contentsMargins();
    const QSizeF one = FlowGeometry::sizeThatFits(idealSizes(), spacing_, std::nullopt);
    // The unbounded width counts a spacing after the last item; a hint needs no trailing gap.
    const double width = qMax(0.0, one.width() - (idealSizes().isEmpty() ? 0 : spacing_));
    return QSize(qCeil(width), qCeil(one.height())).grownBy(margins);
}

QSize FlowLayout::minimumSize() const {
    // As narrow as the widest item, so no item is ever cut by the window.
    double widest = 0;
    for (const QSizeF& size : idealSizes())
        widest = qMax(widest, size.width());
    const QMargins margins = contentsMargins();
    const int width = qCeil(widest) + margins.left() + margins.right();
    return {width, heightForWidth(width)};
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QRectF bounds = QRectF(rect).marginsRemoved(QMarginsF(contentsMargins()));
    const QList<QRectF> frames = FlowGeometry::place(idealSizes(), spacing_, bounds);
    int next = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty())
            continue;
        item->setGeometry(frames.at(next++).toRect());
    }
}
