// The stored appearance, the desktop portal's replies, and what the screens are painted in.
#include "ui/theme/Appearance.h"
#include "ui/theme/ColourSchemePortal.h"
#include "ui/theme/Theme.h"
#include "ui/theme/ThemeAppearance.h"

#include "platform/Defaults.h"

#include <QCoreApplication>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(AppearanceTest, StoredChoiceReadsSystemUnlessItNamesACase) {
    struct Row {
        const char* what;
        std::optional<QString> stored;
        Appearance expected;
    };
    const Row rows[] = {
        {"missing", std::nullopt, Appearance::system},
        {"system", "system", Appearance::system},
        {"light", "light", Appearance::light},
        {"dark", "dark", Appearance::dark},
        {"capitalised is no case", "Dark", Appearance::system},
        {"unknown", "sepia", Appearance::system},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDefaults defaults;
        if (row.stored)
            defaults.setString("appearance", *row.stored);
        EXPECT_EQ(AppearanceSetting::stored(defaults), row.expected);
    }
    MemoryDefaults defaults;
    defaults.setBool("appearance", true); // another type reads as missing
    EXPECT_EQ(AppearanceSetting::stored(defaults), Appearance::system);
}

TEST(AppearanceTest, OnlySystemFollowsTheDesktop) {
    for (bool systemDark : {false, true}) {
        EXPECT_EQ(AppearanceSetting::isDark(Appearance::system, systemDark), systemDark);
        EXPECT_FALSE(AppearanceSetting::isDark(Appearance::light, systemDark));
        EXPECT_TRUE(AppearanceSetting::isDark(Appearance::dark, systemDark));
    }
}

QVariant wrapped(const QVariant& value, int times) {
    QVariant result = value;
    for (int i = 0; i < times; ++i)
        result = QVariant::fromValue(QDBusVariant(result));
    return result;
}

TEST(ColourSchemePortalTest, ParsesRepliesAndChangeSignals) {
    struct Row {
        const char* what;
        QVariant value;
        std::optional<ColourScheme> expected;
    };
    const Row rows[] = {
        {"ReadOne: prefers dark", wrapped(quint32(1), 1), ColourScheme::preferDark},
        {"Read wraps twice", wrapped(quint32(1), 2), ColourScheme::preferDark},
        {"prefers light", wrapped(quint32(2), 1), ColourScheme::preferLight},
        {"no preference", wrapped(quint32(0), 1), ColourScheme::noPreference},
        {"bare number", QVariant(quint32(1)), ColourScheme::preferDark},
        {"a number from a newer portal", wrapped(quint32(7), 1), ColourScheme::noPreference},
        {"signed from a sloppy portal", wrapped(1, 1), ColourScheme::preferDark},
        {"negative", wrapped(-1, 1), std::nullopt},
        {"text", wrapped(QString("prefer-dark"), 1), std::nullopt},
        {"Boolean", wrapped(true, 1), std::nullopt},
        {"nothing", QVariant(), std::nullopt},
        {"wrapped too deep", wrapped(quint32(1), 6), std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ColourSchemePortal::parse(row.value), row.expected);
    }
}

TEST(ColourSchemePortalTest, WithoutASessionBusTheSchemeIsNoPreferenceAndTheScreensLight) {
    auto defaults = std::make_shared<MemoryDefaults>();
    Defaults::setStandard(defaults);
    ColourSchemePortal portal;
    portal.start();
    EXPECT_EQ(portal.scheme(), ColourScheme::noPreference);
    ThemeAppearance::shared().start(); // follows the system, which says nothing
    EXPECT_EQ(ThemeAppearance::shared().setting(), Appearance::system);
    EXPECT_FALSE(ThemeAppearance::shared().isDark());
    EXPECT_FALSE(Theme::isDark());
    Defaults::setStandard(nullptr);
}

TEST(ThemeAppearanceTest, ChoosingStoresTheChoiceAndRepaintsInIt) {
    auto defaults = std::make_shared<MemoryDefaults>();
    Defaults::setStandard(defaults);
    ThemeAppearance& appearance = ThemeAppearance::shared();
    QSignalSpy changes(&appearance, &ThemeAppearance::changed);

    appearance.setSystemPrefersDark(false);
    appearance.choose(Appearance::dark);
    EXPECT_EQ(defaults->string("appearance"), QString("dark"));
    EXPECT_TRUE(Theme::isDark());

    appearance.choose(Appearance::system);
    EXPECT_FALSE(Theme::isDark());
    appearance.setSystemPrefersDark(true); // the desktop switched
    EXPECT_TRUE(Theme::isDark());

    defaults->setString("appearance", "light"); // written by another process
    appearance.reload();
    EXPECT_FALSE(Theme::isDark());
    EXPECT_EQ(changes.count(), 4);

    appearance.setSystemPrefersDark(false);
    Defaults::setStandard(nullptr);
}

TEST(ThemeAppearanceTest, FollowsTheChoiceWhereverItIsWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    auto window = std::make_shared<FileDefaults>(path);
    Defaults::setStandard(window);
    ThemeAppearance& appearance = ThemeAppearance::shared();
    appearance.start();
    appearance.setSystemPrefersDark(true); // the desktop prefers dark
    EXPECT_TRUE(Theme::isDark()) << "nothing stored follows the desktop";

    // Written in this process (the settings sheet writes through the same settings).
    window->setString("appearance", "light");
    EXPECT_EQ(appearance.setting(), Appearance::light);
    EXPECT_FALSE(Theme::isDark());

    // Written by another process sharing the file: followed once the change is noticed.
    FileDefaults commandLine(path);
    commandLine.setString("appearance", "dark");
    window->contains("appearance"); // a read notices the new file; the key follows next turn
    QCoreApplication::processEvents();
    EXPECT_EQ(appearance.setting(), Appearance::dark);
    EXPECT_TRUE(Theme::isDark());
    commandLine.setString("appearance", "sepia"); // names no case: the system's
    window->contains("appearance");
    QCoreApplication::processEvents();
    EXPECT_EQ(appearance.setting(), Appearance::system);

    // Other keys leave it alone, and replaced settings are no longer followed.
    appearance.setSystemPrefersDark(false);
    QSignalSpy changes(&appearance, &ThemeAppearance::changed);
    window->setString("textScale", "large");
    Defaults::setStandard(std::make_shared<MemoryDefaults>());
    appearance.start();
    window->setString("appearance", "dark");
    EXPECT_EQ(changes.count(), 0);
    EXPECT_FALSE(Theme::isDark());
    Defaults::setStandard(nullptr);
}

} // namespace
