// Where a list row's parts go: nothing cut short at any width, text scale or mode.
#include "ui/lists/ListRowLayout.h"
#include "ui/lists/DueChip.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Theme.h"

#include "support/QStringPrinting.h"
#include "support/TextScaleGuard.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

ListRowPresentation row(const QString& name, bool editing, bool pinned, bool shared) {
    ListRowPresentation p;
    p.name = name;
    p.countSummary = QStringLiteral("5 of 5 left");
    p.dueText = QStringLiteral("in 3 days");
    p.editing = editing;
    p.pinned = pinned;
    p.showsSharedMark = shared && !editing;
    return p;
}

// The words of lines put back together, blanks aside.
QString joined(const QList<ListRowLayout::TextLine>& lines) {
    QString all;
    for (const ListRowLayout::TextLine& line : lines)
        all += line.text;
    return all.remove(QLatin1Char(' '));
}

TEST(ListRowLayout, EveryWordOfNameCountsAndDueTextFitsItsTile) {
    const struct {
        const char* what;
        QString name;
        int tileWidth; // the sidebar's usual 300, less its side insets and a scroll bar
        bool editing;
        bool pinned;
        double scale;
    } cases[] = {
        {"short name, wide", "Groceries", 500, false, false, 1.0},
        {"long name, usual sidebar", "Groceries for the street party on Saturday", 254, false, true,
         1.0},
        {"edit mode, usual sidebar", "Weekend in Lisbon", 254, true, true, 1.0},
        {"edit mode, narrowest sidebar", "Weekend in Lisbon", 214, true, true, 1.0},
        {"edit mode, largest text", "Weekend in Lisbon", 254, true, false, 1.5},
        {"one word wider than the line", "Donaudampfschifffahrtsgesellschaft", 254, true, true,
         1.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TextScaleGuard scale(c.scale);
        const QFont nameFont = DesignFont::system(17);
        const QFont detail = DueChip::font();
        const ListRowPresentation p = row(c.name, c.editing, c.pinned, true);
        const int height = ListRowLayout::tileHeight(p, c.tileWidth, nameFont, detail);
        const ListRowLayout l =
            ListRowLayout::make(p, QRect(16, 4, c.tileWidth, height), nameFont, detail);

        EXPECT_EQ(joined(l.name), QString(c.name).remove(QLatin1Char(' ')));
        EXPECT_EQ(joined(l.counts), "5of5left");
        const QFontMetrics nameMetrics(nameFont), detailMetrics(detail);
        for (const auto& line : l.name)
            EXPECT_LE(nameMetrics.horizontalAdvance(line.text), line.box.width())
                << line.text.toStdString();
        for (const auto& line : l.counts)
            EXPECT_LE(detailMetrics.horizontalAdvance(line.text), line.box.width())
                << line.text.toStdString();
        EXPECT_EQ(joined(l.chip), "in3days");
        for (const auto& line : l.chip)
            EXPECT_LE(detailMetrics.horizontalAdvance(line.text), line.box.width())
                << line.text.toStdString();
        EXPECT_FALSE(l.chipDot.isEmpty());

        // Inside the tile, clear of the badge, the marks and the edit controls.
        QRect text = l.name.first().box;
        for (const auto& line : l.name + l.counts + l.chip)
            text |= line.box;
        text |= l.chipDot;
        EXPECT_TRUE(l.tile.contains(text));
        EXPECT_GT(text.left(), l.badge.right());
        for (const QRect& beside : {l.pinMark, l.shareMark, l.stripes, l.remove}) {
            if (!beside.isEmpty()) {
                EXPECT_LT(text.right(), beside.left());
            }
        }
        EXPECT_GE(height, ListRowLayout::leastTileHeight);
    }
}

TEST(ListRowLayout, TheChipSharesTheCountLineOnlyWhenBothFit) {
    const TextScaleGuard scale(1.0);
    const QFont nameFont = DesignFont::system(17);
    const QFont detail = DueChip::font();
    const ListRowPresentation p = row("Groceries", false, false, false);
    const auto layout = [&](int width) {
        return ListRowLayout::make(
            p, QRect(0, 0, width, ListRowLayout::tileHeight(p, width, nameFont, detail)), nameFont,
            detail);
    };
    const ListRowLayout wide = layout(400);
    ASSERT_EQ(wide.counts.size(), 1);
    ASSERT_EQ(wide.chip.size(), 1);
    EXPECT_EQ(wide.chip.first().box.top(), wide.counts.first().box.top());
    EXPECT_GT(wide.chipDot.left(), wide.counts.first().box.left());
    EXPECT_EQ(wide.tile.height(), ListRowLayout::leastTileHeight);

    const ListRowLayout narrow = layout(200);
    ASSERT_FALSE(narrow.chip.isEmpty());
    EXPECT_GT(narrow.chip.first().box.top(), narrow.counts.last().box.top());
    EXPECT_EQ(narrow.chipDot.left(), narrow.counts.last().box.left());
    EXPECT_GT(narrow.tile.height(), wide.tile.height()) << "the row grows with its lines";
}

TEST(ListRowLayout, WrappedLinesBreakAtBlanksAndInsideOnlyTooLongWords) {
    // At another scale the words are other widths, and "Weekend in" may not end the first line.
    const TextScaleGuard scale(1.0);
    const QFont font = DesignFont::system(17);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("Weekend in"));
    EXPECT_EQ(wrappedLines("Weekend in Lisbon", font, width),
              QStringList({"Weekend in", "Lisbon"}));
    EXPECT_EQ(wrappedLines("", font, width), QStringList({""}));
    const QStringList pieces = wrappedLines("Weekendinlisbonandporto", font, width);
    EXPECT_GT(pieces.size(), 1);
    EXPECT_EQ(pieces.join(QString()), "Weekendinlisbonandporto");
}

} // namespace
