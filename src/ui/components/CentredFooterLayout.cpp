// The footer layout as a Qt layout.
#include "CentredFooterLayout.h"

#include "CentredFooterGeometry.h"

#include <QWidget>
#include <QtMath>

CentredFooterLayout::CentredFooterLayout(double gap, QWidget* parent) : QLayout(parent), gap_(gap) {
    setContentsMargins(0, 0, 0, 0);
}

CentredFooterLayout::~CentredFooterLayout() {
    while (QLayoutItem* item = CentredFooterLayout::takeAt(0))
        delete item;
}

void CentredFooterLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

QLayoutItem* CentredFooterLayout::takeAt(int index) {
    if (index < 0 || index >= items_.size())
        return nullptr;
    return items_.takeAt(index);
}

QSize CentredFooterLayout::sizeHint() const {
    QList<QSizeF> ideal;
    for (QLayoutItem* item : items_)
        ideal.append(QSizeF(item->sizeHint()));
    const QSizeF size = CentredFooterGeometry::sizeThatFits(ideal, gap_, std::nullopt);
    return QSize(qCeil(size.width()), qCeil(size.height())).grownBy(contentsMargins());
}

QSize CentredFooterLayout::minimumSize() const {
    // Room for the last control; the first one gives way.
    if (items_.isEmpty())
        return QSize().grownBy(contentsMargins());
    const QSize last = items_.last()->sizeHint();
    int height = 0;
    for (QLayoutItem* item : items_)
        height = qMax(height, item->sizeHint().height());
    return QSize(last.width(), height).grownBy(contentsMargins());
}

void CentredFooterLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    if (items_.isEmpty())
        return;
    const QRectF bounds = QRectF(rect).marginsRemoved(QMarginsF(contentsMargins()));
    QLayoutItem* first = items_.first();
    QLayoutItem* last = items_.last();
    const FirstSize firstSize =
        firstSize_ ? firstSize_ : [first](double) { return QSizeF(first->sizeHint()); };
    const CentredFooterGeometry::Placement placement = CentredFooterGeometry::place(
        bounds, gap_, int(items_.size()), QSizeF(last->sizeHint()), firstSize);
    if (placement.last)
        last->setGeometry(placement.last->toRect());
    if (placement.first)
        first->setGeometry(placement.first->toRect());
    // Items between the two are not part of the row.
    for (int i = 1; i + 1 < items_.size(); ++i)
        items_.at(i)->setGeometry(QRect());
}
