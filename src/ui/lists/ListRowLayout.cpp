// The geometry of a list row on the lists page.
#include "ListRowLayout.h"

#include "DueChip.h"
#include "ui/components/DragStripes.h"

#include <QFontMetrics>
#include <QTextLayout>

#include <algorithm>
#include <optional>

namespace {

constexpr int badgeSide = 40;
constexpr int removeSide = 52;
constexpr int markSide = 16;
constexpr int spacing = 12;    // between the badge and the text, and between the marks
constexpr int markGap = 8;     // the least room between the text and the marks
constexpr int chipSpacing = 8; // between the counts and the chip
constexpr int lineSpacing = 4; // between the name and the count line

// The horizontal places of everything, and how wide the text may be.
struct Columns {
    QRect content;
    int stripesLeft = 0;          // edit mode
    std::optional<int> pinLeft;   // when pinned
    std::optional<int> shareLeft; // when the shared mark shows
    int textLeft = 0;
    int textWidth = 1;
};

Columns columns(const ListRowPresentation& row, const QRect& tile) {
    Columns c;
    c.content = tile.adjusted(10, 8, row.editing ? 0 : -10, -8);
    // Edit controls at the trailing edge, then the marks before them.
    int right = c.content.right() + 1;
    if (row.editing) {
        c.stripesLeft = ListRowLayout::removeRect(tile).left() - DragStripes::area.width();
        right = c.stripesLeft;
    }
    bool marked = false;
    const auto mark = [&] {
        right -= (marked ? spacing : 0) + markSide;
        marked = true;
        return right;
    };
    if (row.pinned)
        c.pinLeft = mark();
    if (row.showsSharedMark)
        c.shareLeft = mark();
    if (marked)
        right -= markGap;
    c.textLeft = c.content.left() + badgeSide + spacing;
    c.textWidth = std::max(1, right - c.textLeft);
    return c;
}

struct TextBlock {
    QStringList name;
    QStringList counts;
    QStringList chip;
    bool chipOnCountLine = false;
    int chipLeft = 0; // the dot's distance from the text's left edge
    int height = 0;
};

TextBlock textBlock(const ListRowPresentation& row, int width, const QFont& nameFont,
                    const QFont& detail) {
    TextBlock b;
    b.name = wrappedLines(row.name, nameFont, width);
    b.counts = wrappedLines(row.countSummary, detail, width);
    const QFontMetrics detailMetrics(detail);
    if (row.dueText) {
        const int after = detailMetrics.horizontalAdvance(b.counts.last()) + chipSpacing;
        b.chipOnCountLine = after + DueChip::width(*row.dueText, detail) <= width;
        b.chipLeft = b.chipOnCountLine ? after : 0;
        b.chip = b.chipOnCountLine
                     ? QStringList{*row.dueText}
                     : wrappedLines(*row.dueText, detail, std::max(1, width - DueChip::textInset));
    }
    const int detailLines = int(b.counts.size()) + (b.chipOnCountLine ? 0 : int(b.chip.size()));
    b.height = int(b.name.size()) * QFontMetrics(nameFont).height() + lineSpacing +
               detailLines * detailMetrics.height();
    return b;
}

} // namespace

QStringList wrappedLines(const QString& text, const QFont& font, int width) {
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(text) <= width)
        return {text};
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        // The blank a line breaks at stays behind on the line before.
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    if (lines.isEmpty())
        lines.append(QString());
    return lines;
}

QRect ListRowLayout::removeRect(const QRect& tile) {
    const int centreY = tile.top() + tile.height() / 2;
    return QRect(tile.right() + 1 - removeSide, centreY - removeSide / 2, removeSide, removeSide);
}

int ListRowLayout::tileHeight(const ListRowPresentation& row, int tileWidth, const QFont& nameFont,
                              const QFont& detail) {
    const Columns c = columns(row, QRect(0, 0, tileWidth, leastTileHeight));
    const int text = textBlock(row, c.textWidth, nameFont, detail).height;
    return std::max(leastTileHeight, std::max(badgeSide, text) + 16);
}

ListRowLayout ListRowLayout::make(const ListRowPresentation& row, const QRect& tile,
                                  const QFont& nameFont, const QFont& detail) {
    ListRowLayout l;
    l.tile = tile;
    const Columns c = columns(row, tile);
    const int centreY = tile.top() + tile.height() / 2;
    l.badge = QRect(c.content.left(), centreY - badgeSide / 2, badgeSide, badgeSide);

    if (row.editing) {
        l.remove = removeRect(tile);
        l.stripes = QRect(c.stripesLeft, centreY - DragStripes::area.height() / 2,
                          DragStripes::area.width(), DragStripes::area.height());
    }
    const auto mark = [&](int left) {
        return QRect(left, centreY - markSide / 2, markSide, markSide);
    };
    if (c.pinLeft)
        l.pinMark = mark(*c.pinLeft);
    if (c.shareLeft)
        l.shareMark = mark(*c.shareLeft);

    // The name over the count line, the two centred together beside the badge.
    const TextBlock b = textBlock(row, c.textWidth, nameFont, detail);
    const int nameHeight = QFontMetrics(nameFont).height();
    const int detailHeight = QFontMetrics(detail).height();
    int y = centreY - b.height / 2;
    for (const QString& line : b.name) {
        l.name.append({line, QRect(c.textLeft, y, c.textWidth, nameHeight)});
        y += nameHeight;
    }
    y += lineSpacing;
    for (const QString& line : b.counts) {
        l.counts.append({line, QRect(c.textLeft, y, c.textWidth, detailHeight)});
        y += detailHeight;
    }
    if (row.dueText) {
        if (b.chipOnCountLine)
            y -= detailHeight;
        const int left = c.textLeft + b.chipLeft;
        l.chipDot = DueChip::dotRect(QRect(left, y, c.textWidth - b.chipLeft, detailHeight));
        for (const QString& line : b.chip) {
            l.chip.append(
                {line, QRect(left + DueChip::textInset, y,
                             c.textWidth - b.chipLeft - DueChip::textInset, detailHeight)});
            y += detailHeight;
        }
    }
    return l;
}
