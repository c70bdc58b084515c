// The chip strips scroll sideways under an ordinary mouse wheel.
#include "ui/detail/SidewaysScrollArea.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

struct Strip {
    QWidget page;
    SidewaysScrollArea* area = new SidewaysScrollArea(&page);

    explicit Strip(int contentWidth) {
        auto* content = new QWidget;
        content->setFixedSize(contentWidth, 30);
        area->setWidget(content);
        area->setGeometry(0, 0, 200, 30);
        page.resize(200, 30);
        page.show();
        QApplication::processEvents();
    }

    // Sends one wheel turn; returns whether the strip took it.
    bool turn(QPoint angle) {
        const QPointF at(100, 15);
        QWheelEvent event(at, area->mapToGlobal(at), {}, angle, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(area->viewport(), &event);
        return event.isAccepted();
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
