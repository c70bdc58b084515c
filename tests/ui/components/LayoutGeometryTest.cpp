// The arithmetic of the flow layout and of the centred footer row.
#include "ui/components/CentredFooterGeometry.h"
#include "ui/components/FlowGeometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct FlowRow {
    const char* what;
    QList<QSizeF> ideal;
    double spacing;
    std::optional<double> width;
    QSizeF size;
    QList<QPointF> origins; // placed in bounds starting at (0, 0), `width` wide (or unbounded)
};

TEST(FlowGeometryTest, PlacesLeftToRightAndWrapsWhenTheNextItemWouldPassTheWidth) {
    const FlowRow rows[] = {
        {"the third of three 40-wide items wraps: 96 + 40 > 100",
         {{40, 20}, {40, 20}, {40, 20}},
         8,
         100.0,
         {100, 48},
         {{0, 0}, {48, 0}, {0, 28}}},
        {"an item that ends exactly at the width stays on the line",
         {{46, 20}, {46, 20}},
         8,
         100.0,
         {100, 20},
         {{0, 0}, {54, 0}}},
        {"an item wider than the width stays alone on its line, unshrunk",
         {{150, 20}, {30, 20}},
         8,
         100.0,
         {100, 48},
         {{0, 0}, {0, 28}}},
        {"a line is as tall as its tallest item; the next starts that much lower",
         {{40, 20}, {40, 30}, {40, 10}},
         8,
         100.0,
         {100, 48},
         {{0, 0}, {48, 0}, {0, 38}}},
        {"unbounded: one line, one spacing counted after every item",
         {{40, 20}, {30, 25}},
         8,
         std::nullopt,
         {86, 25},
         {{0, 0}, {48, 0}}},
        {"no items, unbounded", {}, 8, std::nullopt, {0, 0}, {}},
        {"no items, bounded", {}, 8, 100.0, {100, 0}, {}},
    };
    for (const FlowRow& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(FlowGeometry::sizeThatFits(row.ideal, row.spacing, row.width), row.size);
        const double width = row.width.value_or(std::numeric_limits<double>::infinity());
        const QList<QRectF> frames =
            FlowGeometry::place(row.ideal, row.spacing, QRectF(0, 0, width, 500));
        ASSERT_EQ(frames.size(), row.origins.size());
        for (int i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames.at(i).topLeft(), row.origins.at(i)) << "item " << i;
            EXPECT_EQ(frames.at(i).size(), row.ideal.at(i)) << "item " << i;
        }
    }
}

TEST(FlowGeometryTest, PlacesFromTheBoundsOrigin) {
    const QList<QRectF> frames =
        FlowGeometry::place({{40, 20}, {40, 20}, {40, 20}}, 8, QRectF(10, 5, 100, 100));
    EXPECT_EQ(frames.at(0).topLeft(), QPointF(10, 5));
    EXPECT_EQ(frames.at(1).topLeft(), QPointF(58, 5));
    EXPECT_EQ(frames.at(2).topLeft(), QPointF(10, 33)); // 106 + 40 > 110
}

// A first item of fixed size, and one that answers a narrower form when offered less than its
// full width (as the lists pane's pill does).
std::function<QSizeF(double)> fixedFirst(QSizeF size) {
    return [size](double) { return size; };
}

struct FooterRow {
    const char* what;
    double rowWidth;
    int count;
    std::function<QSizeF(double)> first;
    std::optional<QRectF> firstFrame;
    std::optional<QRectF> lastFrame;
};

TEST(CentredFooterGeometryTest, LastAtTheTrailingEdgeFirstCentredWhileItStaysClear) {
    // Bounds are 44 high from y = 0; the add button is 56 by 56, the pill 120 by 44.
    const QSizeF add(56, 56);
    const auto pill = fixedFirst({120, 44});
    const auto adaptive = [](double offered) {
        return offered >= 120 ? QSizeF(120, 44) : QSizeF(50, 44);
    };
    const FooterRow rows[] = {
        {"wide row: pill centred in the whole row, not beside the button", 400, 2, pill,
         QRectF(140, 0, 120, 44), QRectF(344, -6, 56, 56)},
        {"narrower: pill pushed left until it is `gap` clear of the button", 240, 2, pill,
         QRectF(56, 0, 120, 44), QRectF(184, -6, 56, 56)},
        {"narrower still: the pill is offered less than it wants and is cut to it", 150, 2, pill,
         QRectF(0, 0, 86, 44), QRectF(94, -6, 56, 56)},
        {"an adaptive first item takes its narrow form when offered less", 150, 2, adaptive,
         QRectF(36, 0, 50, 44), QRectF(94, -6, 56, 56)},
        {"narrower than the button and the gap: the first is offered 0 at the leading edge", 60, 2,
         pill, QRectF(0, 0, 0, 44), QRectF(4, -6, 56, 56)},
        {"a single item sits at the trailing edge, vertically centred", 400, 1, pill, std::nullopt,
         QRectF(344, -6, 56, 56)},
        {"no items: nothing is placed", 400, 0, pill, std::nullopt, std::nullopt},
    };
    for (const FooterRow& row : rows) {
        SCOPED_TRACE(row.what);
        const CentredFooterGeometry::Placement placement = CentredFooterGeometry::place(
            QRectF(0, 0, row.rowWidth, 44), 8, row.count, add, row.first);
        EXPECT_EQ(placement.first, row.firstFrame);
        EXPECT_EQ(placement.last, row.lastFrame);
    }
}

TEST(CentredFooterGeometryTest, OffersTheFirstItemOnlyTheWidthBesideTheLast) {
    double offered = -1;
    CentredFooterGeometry::place(QRectF(10, 0, 300, 44), 8, 2, {56, 56}, [&](double width) {
        offered = width;
        return QSizeF(100, 44);
    });
    EXPECT_EQ(offered, 300 - 56 - 8);
}

TEST(CentredFooterGeometryTest, SizeIsTheIdealWidthsAndOneGapUnlessAWidthIsProposed) {
    EXPECT_EQ(CentredFooterGeometry::sizeThatFits({{120, 44}, {56, 56}}, 8, std::nullopt),
              QSizeF(184, 56));
    EXPECT_EQ(CentredFooterGeometry::sizeThatFits({{120, 44}, {56, 56}}, 8, 300.0),
              QSizeF(300, 56));
    EXPECT_EQ(CentredFooterGeometry::sizeThatFits({}, 8, std::nullopt), QSizeF(0, 0));
}

} // namespace
