// The layouts as Qt layouts: they hand their widgets the frames their arithmetic gives, inside
// their margins.
#include "ui/components/CentredFooterLayout.h"
#include "ui/components/FlowLayout.h"
#include "ui/components/ReadingColumn.h"
#include "ui/theme/ThemeColour.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

QWidget* block(QWidget* parent, QSize size) {
    auto* widget = new QWidget(parent);
    widget->setFixedSize(size);
    return widget;
}

TEST(FlowLayoutTest, WrapsWithinItsMarginsAndGrowsTallerWhenNarrower) {
    QWidget host;
    auto* flow = new FlowLayout(8, &host);
    flow->setContentsMargins(10, 10, 10, 10);
    QList<QWidget*> chips;
    for (int i = 0; i < 3; ++i) {
        chips << block(&host, {40, 20});
        flow->addWidget(chips.last());
    }
    EXPECT_EQ(flow->sizeHint(), QSize(136 + 20, 20 + 20)); // one line, no trailing gap
    EXPECT_EQ(flow->heightForWidth(120), 48 + 20);         // 100 inside: the third wraps
    host.resize(120, flow->heightForWidth(120));
    host.show();
    EXPECT_EQ(chips.at(0)->geometry(), QRect(10, 10, 40, 20));
    EXPECT_EQ(chips.at(1)->geometry(), QRect(58, 10, 40, 20));
    EXPECT_EQ(chips.at(2)->geometry(), QRect(10, 38, 40, 20));
    chips.at(1)->hide(); // hidden widgets take no place
    host.resize(121, host.height());
    EXPECT_EQ(chips.at(2)->geometry(), QRect(58, 10, 40, 20));
}

// A widget that would like 120 by 44 and may be given less (a fixed-size widget cannot).
class Pill : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return {120, 44}; }
};

TEST(CentredFooterLayoutTest, AddButtonAtTheTrailingEdgeAndTheFirstWidgetAskedWhatItTakes) {
    QWidget host;
    auto* footer = new CentredFooterLayout(8, &host);
    QWidget* pill = new Pill(&host);
    QWidget* add = block(&host, {56, 56});
    footer->addWidget(pill);
    footer->addWidget(add);
    EXPECT_EQ(footer->sizeHint(), QSize(184, 56));
    double offered = 0;
    footer->setFirstSize([&](double width) {
        offered = width;
        return QSizeF(width < 120 ? 50 : 120, 44);
    });
    host.resize(400, 56);
    host.show();
    EXPECT_EQ(add->geometry(), QRect(344, 0, 56, 56));
    EXPECT_EQ(pill->geometry(), QRect(140, 6, 120, 44));
    host.resize(150, 56);
    EXPECT_EQ(offered, 86);
    EXPECT_EQ(pill->geometry().width(), 50);
    EXPECT_LE(pill->geometry().right(), add->geometry().left() - 8);
}

TEST(ReadingColumnTest, ContentKeepsTo640CentredAndTakesANarrowWindowWhole) {
    auto* content = new QWidget;
    ReadingColumn column(content, Theme::Colour::background);
    column.resize(1000, 300);
    column.show();
    EXPECT_EQ(content->geometry(), QRect(180, 0, 640, 300));
    column.resize(500, 300);
    EXPECT_EQ(content->geometry(), QRect(0, 0, 500, 300));
}

} // namespace
