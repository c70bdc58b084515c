// The parts of an item's row.
#include "ItemRowGeometry.h"

#include <QFontMetrics>

#include <algorithm>

int ItemRowGeometry::textWidth(int rowWidth, bool withStar) {
    const int inner = rowWidth - 2 * rowInsetSide - 2 * cardPaddingSide;
    return std::max(1, inner - hitSize - spacing - (withStar ? spacing + hitSize : 0));
}

ItemRowGeometry ItemRowGeometry::of(const QRect& row, bool withStar) {
    ItemRowGeometry g;
    g.card = row.adjusted(rowInsetSide, rowInsetVertical, -rowInsetSide, -rowInsetVertical);
    const QRect inner = g.card.adjusted(cardPaddingSide, cardPaddingVertical, -cardPaddingSide,
                                        -cardPaddingVertical);
    const int middle = inner.center().y();
    g.tick = QRect(inner.left(), middle - hitSize / 2, hitSize, hitSize);
    if (withStar)
        g.star = QRect(inner.right() - hitSize + 1, middle - hitSize / 2, hitSize, hitSize);
    const int textLeft = g.tick.right() + 1 + spacing;
    const int textRight = withStar ? g.star.left() - spacing : inner.right() + 1;
    g.text = QRect(textLeft, inner.top(), std::max(1, textRight - textLeft), inner.height());
    return g;
}

int ItemRowGeometry::height(const QString& text, const QFont& font, int rowWidth, bool withStar) {
    const QFontMetrics metrics(font);
    const int width = textWidth(rowWidth, withStar);
    // Most texts fit on one line; measuring the advance is far cheaper than wrapping.
    int textHeight = metrics.height();
    if (metrics.horizontalAdvance(text) > width)
        textHeight = metrics
                         .boundingRect(QRect(0, 0, width, 100000),
                                       Qt::TextWordWrap | Qt::TextWrapAnywhere, text)
                         .height();
    return std::max(hitSize, textHeight) + 2 * cardPaddingVertical + 2 * rowInsetVertical;
}
