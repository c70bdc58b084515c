#pragma once

#include <QFont>
#include <QRect>
#include <QString>

// Where the parts of an item's row lie, shared by the painting delegate and the view's clicks.
// The row is inset 4 above and below and 16 at the sides; inside it the card is padded 16 at the
// sides and 8 above and below, and holds the 44-point tick, the text and (when the list may be
// edited) the 44-point star, 16 apart.
struct ItemRowGeometry {
    static constexpr int rowInsetVertical = 4;
    static constexpr int rowInsetSide = 16;
    static constexpr int cardPaddingSide = 16;
    static constexpr int cardPaddingVertical = 8;
    static constexpr int hitSize = 44;
    static constexpr int spacing = 16;

    QRect card;
    QRect tick;
    QRect text;
    QRect star; // empty without a star

    static ItemRowGeometry of(const QRect& row, bool withStar);
    // The row's height for a text: one line when it fits, else the wrapped height; at least
    // the 44-point hit height.
    static int height(const QString& text, const QFont& font, int rowWidth, bool withStar);
    static int textWidth(int rowWidth, bool withStar);
};
