#pragma once

#include "RowPresentation.h"

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

// Where the parts of a list row go on its tile. The name wraps onto as many lines as it needs;
// the count summary and the due chip share the line under it while both fit, and the chip
// moves under the counts when they do not (its words wrapping in turn), so nothing is cut short
// at any width or text scale. The
// tile grows with its text and is never lower than 56. Plain geometry, no painting.
struct ListRowLayout {
    struct TextLine {
        QString text;
        QRect box;
    };

    QRect tile;
    QRect badge;
    QRect remove;    // edit mode: the trash button at the trailing edge
    QRect stripes;   // edit mode: the drag stripes before it
    QRect pinMark;   // empty when not pinned
    QRect shareMark; // empty when the shared mark is not shown
    QList<TextLine> name;
    QList<TextLine> counts;
    // The due chip: its dot, then its words, on the count line when they fit there, else on
    // lines of their own under it. No dot when there is no due text.
    QRect chipDot;
    QList<TextLine> chip;

    // The row laid out on a tile at `tile`'s left, top and width; the tile's height is the
    // height the row needs (tileHeight() of the same row and width). `detail` is the font of
    // the counts and the chip.
    static ListRowLayout make(const ListRowPresentation& row, const QRect& tile,
                              const QFont& nameFont, const QFont& detail);
    // Where the edit-mode trash button of a tile is.
    static QRect removeRect(const QRect& tile);
    static int tileHeight(const ListRowPresentation& row, int tileWidth, const QFont& nameFont,
                          const QFont& detail);

    static constexpr int leastTileHeight = 56;
};

// Text broken into lines no wider than `width`: at word boundaries, and inside a word only
// where the word alone is wider than a line. Always at least one line.
QStringList wrappedLines(const QString& text, const QFont& font, int width);
