// Design sizes become Qt point sizes once, and scale with the text size where they should.
#include "ui/theme/DesignFont.h"
#include "ui/theme/BrandFont.h"
#include "ui/theme/Theme.h"

#include "model/TextScale.h"

#include "support/TextScaleGuard.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>

#include <gtest/gtest.h>

namespace {

TEST(DesignFontTest, DesignPointsAreLogicalPixelsNotQtPoints) {
    // A design point is one logical pixel; Qt's points assume 96 dpi.
    EXPECT_DOUBLE_EQ(DesignFont::qtPointSize(15), 11.25);
    EXPECT_DOUBLE_EQ(DesignFont::qtPointSize(12), 9.0);
    const TextScaleGuard guard(1.0);
    const QFont font = DesignFont::system(24);
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 18.0);
    EXPECT_EQ(QFontInfo(font).pixelSize(), 24); // drawn 24 logical pixels high on a 96-dpi screen
}

TEST(DesignFontTest, ScalableSizesFollowEveryTextScale) {
    struct Row {
        const char* what;
        double base;
        double sizes[5]; // small, standard, large, larger, largest
    };
    const Row rows[] = {
        {"tag chips and small headings", 12, {10.2, 12, 13.8, 15.6, 18}},
        {"text fields and buttons", 15, {12.75, 15, 17.25, 19.5, 22.5}},
        {"name prompt field and Cancel", 17, {14.45, 17, 19.55, 22.1, 25.5}},
        {"titles", 22, {18.7, 22, 25.3, 28.6, 33}},
    };
    for (const Row& row : rows) {
        for (int step = 0; step < TextScale::allCases().size(); ++step) {
            const TextScale scale = TextScale::allCases().at(step);
            SCOPED_TRACE(std::string(row.what) + " at " + scale.rawValue().toStdString());
            const TextScaleGuard guard(scale.factor());
            EXPECT_NEAR(DesignFont::designSize(row.base, FontScaling::scaled), row.sizes[step],
                        1e-9);
            EXPECT_NEAR(DesignFont::system(row.base).pointSizeF(), row.sizes[step] * 0.75, 1e-9);
            EXPECT_NEAR(
                DesignFont::system(row.base, QFont::Normal, FontScaling::fixed).pointSizeF(),
                row.base * 0.75, 1e-9);
        }
    }
}

TEST(DesignFontTest, TextStylesAndTheBrandNeverScale) {
    const TextScaleGuard guard(1.5);
    EXPECT_DOUBLE_EQ(DesignFont::style(TextStyle::body).pointSizeF(), 13 * 0.75);
    EXPECT_DOUBLE_EQ(DesignFont::style(TextStyle::largeTitle).pointSizeF(), 26 * 0.75);
    EXPECT_EQ(DesignFont::style(TextStyle::headline).weight(), QFont::DemiBold);
    EXPECT_DOUBLE_EQ(DesignFont::brand(21, FontScaling::fixed).pointSizeF(), 21 * 0.75);
    EXPECT_DOUBLE_EQ(DesignFont::smallHeading().pointSizeF(), 18 * 0.75);
    EXPECT_TRUE(QFontInfo(DesignFont::smallHeading()).fixedPitch());
}

TEST(DesignFontTest, TheMonospacedFaceIsTheInstalledFamilyWhateverMonospaceMeansHere) {
    if (!QFontDatabase::families().contains(DesignFont::monospacedFamily()))
        GTEST_SKIP() << "the monospaced family is not installed (scripts/setup installs it)";
    // Every monospaced use: small headings, chips, status lines.
    for (const QFont& font : {DesignFont::smallHeading(), DesignFont::monospaced(12),
                              DesignFont::monospaced(15, QFont::Bold, FontScaling::fixed)}) {
        const QFontInfo info(font);
        EXPECT_EQ(info.family(), DesignFont::monospacedFamily());
        EXPECT_TRUE(info.fixedPitch());
    }
}

TEST(BrandFontTest, AMissingFontFileFallsBackWithoutFailing) {
    EXPECT_EQ(BrandFont::registerFirst({"/nonexistent/HankenGrotesk_600SemiBold.ttf", ""}),
              std::nullopt);
    // Whether or not the font is installed, the brand font is a usable semibold font.
    const QFont brand = DesignFont::brand(21, FontScaling::fixed);
    EXPECT_FALSE(QFontInfo(brand).family().isEmpty());
    if (!BrandFont::family()) {
        EXPECT_EQ(brand.weight(), QFont::DemiBold);
    }
}

TEST(BrandFontTest, TheCompiledInFontRegistersWhenTheBuildHadIt) {
    const QString compiledIn = BrandFont::candidatePaths().front();
    if (!QFile::exists(compiledIn))
        GTEST_SKIP() << "built without the brand font (scripts/setup fetches it)";
    EXPECT_EQ(BrandFont::family(), QString("Hanken Grotesk"));
    EXPECT_EQ(QFontInfo(DesignFont::brand(21, FontScaling::fixed)).family(), "Hanken Grotesk");
}

} // namespace
