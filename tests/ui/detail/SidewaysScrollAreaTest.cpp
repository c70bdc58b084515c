// The chip strips scroll sideways under an ordinary mouse wheel, and with edge cues show where
// they are cut and scroll by a click there.
#include "ui/detail/SidewaysScrollArea.h"

#include "support/QStringPrinting.h"
#include "ui/theme/ThemeColour.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

struct Strip {
    QWidget page;
    SidewaysScrollArea* area = new SidewaysScrollArea(&page);

    explicit Strip(int contentWidth, bool cues = false) {
        if (cues)
            area->setEdgeCues(Theme::Colour::background);
        auto* content = new QWidget;
        content->setFixedSize(contentWidth, 30);
        area->setWidget(content);
        area->setGeometry(0, 0, 200, 30);
        page.resize(200, 30);
        page.show();
        QApplication::processEvents();
    }

    // Sends one wheel turn, to the strip or to another part of it; returns whether it was taken.
    bool turn(QPoint angle, QWidget* over = nullptr) {
        QWidget* to = over ? over : area->viewport();
        const QPointF at = over ? QPointF(over->rect().center()) : QPointF(100, 15);
        QWheelEvent event(at, to->mapToGlobal(at), {}, angle, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(to, &event);
        return event.isAccepted();
    }
    // Which edges show their cue: "", "left", "right" or "left right".
    QString cues() const {
        QStringList shown;
        if (area->cue(Qt::LeftEdge))
            shown.append("left");
        if (area->cue(Qt::RightEdge))
            shown.append("right");
        return shown.join(' ');
    }

    int offset() const { return area->horizontalScrollBar()->value(); }
};

} // namespace

TEST(SidewaysScrollAreaTest, AnUpAndDownWheelMovesAWideStripSidewaysUntilItsEnds) {
    Strip strip(1000);
    ASSERT_GT(strip.area->horizontalScrollBar()->maximum(), 0);

    EXPECT_TRUE(strip.turn({0, -120})) << "a notch down moves towards the end";
    const int afterOne = strip.offset();
    EXPECT_GT(afterOne, 0);
    strip.turn({0, 120});
    EXPECT_EQ(strip.offset(), 0) << "a notch up moves back";

    EXPECT_FALSE(strip.turn({0, 120})) << "at the start, a turn up is left to the page";
    for (int i = 0; i < 100; ++i)
        strip.turn({0, -120});
    EXPECT_EQ(strip.offset(), strip.area->horizontalScrollBar()->maximum());
}

TEST(SidewaysScrollAreaTest, AStripThatFitsLeavesTheWheelToThePage) {
    Strip strip(150);
    EXPECT_EQ(strip.area->horizontalScrollBar()->maximum(), 0);
    EXPECT_FALSE(strip.turn({0, -120}));
    EXPECT_EQ(strip.offset(), 0);
}

TEST(SidewaysScrollAreaTest, ACutEdgeShowsACueThatScrollsTheStripThatWay) {
    Strip strip(1000, true);
    const int end = strip.area->horizontalScrollBar()->maximum();
    ASSERT_GT(end, 0);
    EXPECT_EQ(strip.cues(), "right") << "cut at the right only";
    QWidget* right = strip.area->cue(Qt::RightEdge);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->geometry().right(), strip.area->viewport()->geometry().right());
    EXPECT_EQ(right->focusPolicy(), Qt::NoFocus) << "Tab reaches the chips themselves";

    QTest::mouseClick(right, Qt::LeftButton, {}, right->rect().center());
    const int afterClick = strip.offset();
    EXPECT_GT(afterClick, strip.area->viewport()->width() / 2) << "most of a width";
    EXPECT_LT(afterClick, strip.area->viewport()->width());
    EXPECT_EQ(strip.cues(), "left right") << "cut at both edges";

    EXPECT_TRUE(strip.turn({0, -120}, strip.area->cue(Qt::RightEdge)))
        << "the wheel over a cue turns the strip";
    EXPECT_GT(strip.offset(), afterClick);

    while (strip.area->cue(Qt::RightEdge))
        QTest::mouseClick(strip.area->cue(Qt::RightEdge), Qt::LeftButton);
    EXPECT_EQ(strip.offset(), end);
    EXPECT_EQ(strip.cues(), "left") << "at the end, only the start is cut";
    QTest::mouseClick(strip.area->cue(Qt::LeftEdge), Qt::LeftButton);
    EXPECT_LT(strip.offset(), end);
}

TEST(SidewaysScrollAreaTest, AStripThatFitsShowsNoCue) {
    Strip strip(150, true);
    EXPECT_EQ(strip.cues(), "");
    Strip plain(1000);
    EXPECT_EQ(plain.cues(), "") << "cues only where asked for";
}
