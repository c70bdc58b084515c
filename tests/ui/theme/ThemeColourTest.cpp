// The design colours and the list palette in both appearances.
#include "ui/theme/ThemeColour.h"
#include "ui/theme/ListPalette.h"
#include "ui/theme/Theme.h"

#include "model/TBList.h"

#include <gtest/gtest.h>

namespace {

struct RoleRow {
    const char* what;
    DynamicColour colour;
    quint32 light;
    quint32 dark;
};

TEST(ThemeColourTest, EveryRoleHasItsLightAndDarkValue) {
    using namespace Theme::Colour;
    const RoleRow rows[] = {
        {"brand", brand, 0x0070EB, 0x004493},
        {"onBrand", onBrand, 0xFFFFFF, 0xFFFFFF},
        {"primary", primary, 0x0058BC, 0xADC6FF},
        {"onPrimary", onPrimary, 0xFFFFFF, 0x001A41},
        {"accent", accent, 0xC64F00, 0xC64F00},
        {"onAccent", onAccent, 0xFFFFFF, 0xFFFFFF},
        {"accentBold", accentBold, 0xC64F00, 0xD75600},
        {"background", background, 0xFAF9FE, 0x121318},
        {"card", card, 0xFFFFFF, 0x1E1F24},
        {"cardMuted", cardMuted, 0xF4F3F8, 0x1A1B1F},
        {"chip", chip, 0xE9E7ED, 0x2F3034},
        {"onSurface", onSurface, 0x1A1B1F, 0xE3E2E7},
        {"onSurfaceVariant", onSurfaceVariant, 0x414755, 0xC1C6D7},
        {"outlineVariant", outlineVariant, 0xC1C6D7, 0x414755},
        {"error", error, 0xBA1A1A, 0xFFB4AB},
        {"outline", outline, 0x717786, 0x8B91A1},
        {"sidebarSurface", sidebarSurface, 0xEFEDF4, 0x1A1B21},
        {"listsPageSurface", listsPageSurface, 0xEFEDF4, 0x121318},
        {"inputField", inputField, 0xF4F3F8, 0x2F3034},
    };
    ASSERT_EQ(all().size(), int(std::size(rows)));
    for (int i = 0; i < all().size(); ++i) {
        const RoleRow& row = rows[i];
        SCOPED_TRACE(row.what);
        EXPECT_EQ(all().at(i).name, row.what); // the named table keeps declaration order
        EXPECT_EQ(all().at(i).colour, row.colour);
        EXPECT_EQ(row.colour.in(false).rgb() & 0xFFFFFF, row.light);
        EXPECT_EQ(row.colour.in(true).rgb() & 0xFFFFFF, row.dark);
        EXPECT_EQ(row.colour.in(true).alpha(), 255);
    }
}

TEST(ThemeColourTest, ResolvedColoursFollowTheAppearanceOfTheMoment) {
    const DynamicColour colour{0xFAF9FE, 0x121318};
    Theme::setDark(true);
    EXPECT_EQ(colour.resolved(), QColor(0x12, 0x13, 0x18));
    Theme::setDark(false);
    EXPECT_EQ(colour.resolved(), QColor(0xFA, 0xF9, 0xFE));
}

TEST(ListPaletteTest, ListsTakeTheirPaletteColourAndUnknownIdsAreBlue) {
    struct Row {
        const char* what;
        QString colourID;
        quint32 light;
        quint32 dark;
    };
    const Row rows[] = {
        {"blue", "blue", 0x0058BC, 0x4C8DF6},
        {"teal", "teal", 0x006687, 0x4FB3D9},
        {"green", "green", 0x1B6B3A, 0x4CAF72},
        {"orange", "orange", 0xC64F00, 0xE07A2F},
        {"red", "red", 0xBA1A1A, 0xE06767},
        {"purple", "purple", 0x6A3EA1, 0xA07FD6},
        {"pink", "pink", 0xA3316B, 0xD97BAC},
        {"slate", "slate", 0x414755, 0x8B91A1},
        {"capital B is no id", "Blue", 0x0058BC, 0x4C8DF6},
        {"empty id", "", 0x0058BC, 0x4C8DF6},
        {"unknown id", "mauve", 0x0058BC, 0x4C8DF6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TBList list;
        list.colourID = row.colourID;
        EXPECT_EQ(ListPalette::of(list), (DynamicColour{row.light, row.dark}));
    }
    EXPECT_EQ(ListPalette::glyph.in(false), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(ListPalette::glyph.in(true), QColor(0x1A, 0x1B, 0x1F));
}

TEST(ListPaletteTest, UrgencyColours) {
    struct Row {
        const char* what;
        ListUrgency urgency;
        std::optional<DynamicColour> colour;
    };
    const Row rows[] = {
        {"none has no colour", ListUrgency::none, std::nullopt},
        {"relaxed is green", ListUrgency::relaxed, DynamicColour{0x1B6B3A, 0x4CAF72}},
        {"soon is orange", ListUrgency::soon, DynamicColour{0xC64F00, 0xE07A2F}},
        {"tight is red", ListUrgency::tight, DynamicColour{0xBA1A1A, 0xE06767}},
        {"overdue is the same red", ListUrgency::overdue, DynamicColour{0xBA1A1A, 0xE06767}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ListPalette::urgency(row.urgency), row.colour);
    }
}

} // namespace
