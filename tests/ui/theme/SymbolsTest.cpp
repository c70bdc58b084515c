// The symbol table against the installed symbol font, and the fallback glyph.
#include "ui/theme/Symbols.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include <gtest/gtest.h>

namespace {

TEST(SymbolsTest, EveryGlyphOfTheTableIsInTheInstalledFont) {
    ASSERT_TRUE(QFile::exists(Symbols::fontPath)) << "scripts/setup installs the symbol font";
    const QRawFont font(Symbols::fontPath, 24);
    ASSERT_TRUE(font.isValid());
    for (auto it = Symbols::table().cbegin(); it != Symbols::table().cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        EXPECT_TRUE(font.supportsCharacter(uint(it.value().codepoint)));
    }
}

TEST(SymbolsTest, TheNamesTheScreensUseAreAllInTheTable) {
    // The list icons of the list editor and the symbols of the shared components.
    const QStringList names = {"checklist",
                               "cart",
                               "fork.knife",
                               "house",
                               "washer",
                               "pawprint",
                               "briefcase",
                               "laptopcomputer",
                               "calendar",
                               "chart.bar",
                               "envelope",
                               "airplane",
                               "car",
                               "map",
                               "tent",
                               "beach.umbrella",
                               "heart",
                               "dumbbell",
                               "book",
                               "gift",
                               "birthday.cake",
                               "graduationcap",
                               "stethoscope",
                               "hammer",
                               "leaf",
                               "music.note",
                               "chevron.backward",
                               "gearshape",
                               "plus",
                               "person.fill",
                               "folder.badge.plus",
                               "pin.slash",
                               "star.slash"};
    for (const QString& name : names)
        EXPECT_TRUE(Symbols::knows(name)) << name.toStdString();
}

TEST(SymbolsTest, UnknownNamesDrawTheChecklistGlyph) {
    const SymbolGlyph checklist = Symbols::table().value("checklist");
    for (const char* name : {"", "Cart", "sparkles.rectangle.stack", "checklist "})
        EXPECT_EQ(Symbols::glyph(name), checklist) << name;
    EXPECT_FALSE(Symbols::knows("Cart"));
}

TEST(SymbolsTest, SlashedSymbolsArePaintedOverTheirPlainGlyph) {
    EXPECT_EQ(Symbols::glyph("pin.slash").codepoint, Symbols::glyph("pin").codepoint);
    EXPECT_TRUE(Symbols::glyph("pin.slash").slashed);
    EXPECT_FALSE(Symbols::glyph("pin").slashed);
    const QImage plain = Symbols::pixmap("pin", 20, Qt::black).toImage();
    const QImage slashed = Symbols::pixmap("pin.slash", 20, Qt::black).toImage();
    ASSERT_EQ(plain.size(), slashed.size());
    EXPECT_NE(plain, slashed);
    // Something is drawn at all: the font is found by its family name.
    int inked = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            inked += qAlpha(plain.pixel(x, y)) > 0 ? 1 : 0;
    EXPECT_GT(inked, 20);
}

} // namespace
