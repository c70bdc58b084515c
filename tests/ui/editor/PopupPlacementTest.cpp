// Where the due date's calendar opens.
#include "ui/editor/PopupPlacement.h"

#include <gtest/gtest.h>

namespace {

TEST(PopupPlacement, UnderTheFieldWhenItFitsTheWindowElseOverItElseWhereTheScreenHasRoom) {
    const QRect screen(0, 0, 1280, 880);
    const QRect sheet(340, 0, 480, 760);
    const QSize calendar(245, 156);
    const struct {
        const char* what;
        QRect field;
        QSize popup;
        QRect window;
        bool rightToLeft;
        QPoint at;
    } cases[] = {
        {"room under the field", QRect(374, 300, 200, 36), calendar, sheet, false, {374, 336}},
        {"just room under it", QRect(374, 568, 200, 36), calendar, sheet, false, {374, 604}},
        {"near the sheet's bottom edge: over it",
         QRect(374, 569, 200, 36),
         calendar,
         sheet,
         false,
         {374, 413}},
        {"the field at the very bottom",
         QRect(374, 724, 200, 36),
         calendar,
         sheet,
         false,
         {374, 568}},
        {"no room in the sheet either way: under it, on the screen",
         QRect(374, 60, 200, 36),
         QSize(245, 700),
         sheet,
         false,
         {374, 96}},
        {"nor under it on the screen: over it",
         QRect(374, 750, 200, 36),
         QSize(245, 700),
         QRect(340, 0, 480, 880),
         false,
         {374, 50}},
        {"nowhere whole: from the screen's top",
         QRect(374, 400, 200, 36),
         QSize(245, 900),
         sheet,
         false,
         {374, 0}},
        {"kept inside the sheet's right edge",
         QRect(700, 300, 100, 36),
         calendar,
         sheet,
         false,
         {575, 336}},
        {"right to left: lined up with its right edge",
         QRect(500, 300, 200, 36),
         calendar,
         sheet,
         true,
         {455, 336}},
        {"right to left, kept inside the left edge",
         QRect(350, 300, 100, 36),
         calendar,
         sheet,
         true,
         {340, 336}},
        {"wider than the sheet: within the screen",
         QRect(374, 300, 200, 36),
         QSize(600, 156),
         sheet,
         false,
         {374, 336}},
        {"wider than the sheet, at the screen's edge",
         QRect(1000, 300, 200, 36),
         QSize(600, 156),
         QRect(900, 0, 380, 760),
         false,
         {680, 336}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PopupPlacement::place(c.field, c.popup, c.window, screen, c.rightToLeft), c.at)
            << c.what;
    }
}

} // namespace
