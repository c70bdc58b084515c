// The window comes back where it was left: the rules that fit a kept place to the screens there
// are now, the keeper that writes and restores it, and the main window's split.
#include "ui/window/MainWindow.h"
#include "ui/window/WindowPlaceKeeper.h"
#include "ui/window/WindowPlacement.h"

#include "platform/Base64.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "support/NoUpdates.h"
#include "support/QStringPrinting.h"
#include "ui/window/UpdateChecker.h"
#include "ui/window/WindowContent.h"

#include <QApplication>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(WindowPlacement, AKeptFrameIsFittedOntoTheScreenItBelongsOn) {
    const QRect laptop(0, 0, 1280, 800);
    const QRect monitor(1280, 0, 2560, 1440);
    const QSize least(820, 560);
    const struct {
        const char* what;
        QRect kept;
        QList<QRect> screens;
        QRect fitted;
    } rows[] = {
        {"on the screen as it was", {100, 50, 1000, 700}, {laptop}, {100, 50, 1000, 700}},
        {"on the second screen", {2000, 200, 1200, 900}, {laptop, monitor}, {2000, 200, 1200, 900}},
        {"the second screen unplugged", {2000, 200, 1200, 900}, {laptop}, {80, 0, 1200, 800}},
        {"past the right and bottom edges", {900, 500, 1000, 700}, {laptop}, {280, 100, 1000, 700}},
        {"above and left of the screen", {-300, -40, 1000, 700}, {laptop}, {0, 0, 1000, 700}},
        {"larger than a smaller screen", {0, 0, 2400, 1300}, {laptop}, {0, 0, 1280, 800}},
        {"a screen smaller than the window's least size",
         {50, 50, 1000, 700},
         {QRect(0, 0, 800, 500)},
         {0, 0, 820, 560}},
        {"a screen with a panel on top",
         {100, 0, 1000, 700},
         {QRect(0, 32, 1280, 768)},
         {100, 32, 1000, 700}},
        {"half on each screen: the one holding its centre",
         {1000, 100, 900, 600},
         {laptop, monitor},
         {1280, 100, 900, 600}},
        {"kept smaller than the least size", {10, 10, 300, 200}, {laptop}, {10, 10, 820, 560}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const int screen = WindowPlacement::screenFor(row.kept, row.screens);
        ASSERT_GE(screen, 0);
        EXPECT_EQ(WindowPlacement::fitted(row.kept, row.screens.at(screen), least), row.fitted);
    }
    EXPECT_EQ(WindowPlacement::screenFor({0, 0, 10, 10}, {}), -1);
    EXPECT_EQ(WindowPlacement::screenFor({5000, 5000, 10, 10}, {laptop, monitor}), 0)
        << "on no screen: the primary one";
    EXPECT_EQ(WindowPlacement::screenFor({1000, 700, 400, 800}, {laptop, monitor}), 1)
        << "centre on none: the one it overlaps most";
}

TEST(WindowPlacement, TheListsColumnKeepsWithinItsWidthsAndLeavesTheListItsOwn) {
    const struct {
        const char* what;
        int kept;
        int split;
        int width;
    } rows[] = {
        {"as kept", 340, 1180, 340},
        {"wider than the column may be", 900, 1600, 420},
        {"narrower than the column may be", 40, 1180, 260},
        {"a narrower window leaves the list its least width", 400, 760, 355},
        {"too narrow for both: the column's least", 400, 600, 260},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WindowPlacement::sidebarWidth(row.kept, row.split, 5), row.width) << row.what;
}

// A plain window with a least size, kept by a keeper over in-memory settings.
struct KeptWindow {
    explicit KeptWindow(MemoryDefaults& defaults, QList<QRect> screens)
        : keeper(new WindowPlaceKeeper(window, defaults)) {
        window.setMinimumSize(300, 200);
        keeper->setScreens([screens] { return screens; });
    }
    QWidget window;
    WindowPlaceKeeper* keeper;
};

TEST(WindowPlaceKeeper, AMovedAndResizedWindowComesBackFittedToTheScreensThereAreNow) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_GE(screen.width(), 700);
    ASSERT_GE(screen.height(), 500);
    const QRect left(screen.x() + 250, screen.y() + 150, 420, 300);
    const struct {
        const char* what;
        QList<QRect> screensThen;
        QRect comesBack;
    } rows[] = {
        {"the same screen", {screen}, left},
        {"a smaller screen now",
         {QRect(screen.x(), screen.y(), 500, 400)},
         QRect(screen.x() + 80, screen.y() + 100, 420, 300)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryDefaults defaults;
        {
            KeptWindow before(defaults, {screen});
            before.window.setGeometry(left);
            before.window.show();
            QApplication::processEvents();
            before.window.hide(); // the place is written as the window goes
        }
        ASSERT_TRUE(defaults.string(WindowPlacement::geometryKey));
        KeptWindow after(defaults, row.screensThen);
        after.keeper->restoreWindow();
        EXPECT_EQ(after.window.geometry(), row.comesBack);
    }
}

TEST(WindowPlaceKeeper, NothingIsKeptForAWindowNeverShownAndABadValueIsIgnored) {
    MemoryDefaults defaults;
    {
        KeptWindow never(defaults, {QRect(0, 0, 1280, 800)});
        never.window.setGeometry(10, 10, 400, 300);
        never.keeper->save();
    }
    EXPECT_FALSE(defaults.contains(WindowPlacement::geometryKey));
    for (const QString& bad : {QString("not base64!"), Base64::encode("not a geometry")}) {
        defaults.setString(WindowPlacement::geometryKey, bad);
        KeptWindow window(defaults, {QRect(0, 0, 1280, 800)});
        window.window.resize(640, 480);
        window.keeper->restoreWindow();
        EXPECT_EQ(window.window.size(), QSize(640, 480)) << bad.toStdString();
    }
}

TEST(WindowPlaceKeeper, APlaceIsWrittenOnceTheUserStopsMoving) {
    MemoryDefaults defaults;
    KeptWindow kept(defaults, {QRect(0, 0, 1280, 800)});
    kept.window.setGeometry(20, 20, 400, 300);
    kept.window.show();
    QApplication::processEvents();
    defaults.remove(WindowPlacement::geometryKey);
    kept.window.resize(460, 320);
    QApplication::processEvents();
    EXPECT_FALSE(defaults.contains(WindowPlacement::geometryKey)) << "not while it changes";
    EXPECT_TRUE(QTest::qWaitFor([&] { return defaults.contains(WindowPlacement::geometryKey); },
                                WindowPlaceKeeper::settleMs * 10));
}

TEST(MainWindowPlace, TheSplitComesBackWhereItWasDraggedWithinTheWindowsWidth) {
    QTemporaryDir dir;
    auto defaults = std::make_shared<MemoryDefaults>();
    Defaults::setStandard(defaults);
    ListStore store(dir.filePath("store.json"), false, false, *defaults);
    UpdateChecker updater(std::make_shared<NoUpdates>());
    {
        MainWindow window(store, updater);
        window.show();
        QApplication::processEvents();
        QSplitter* split = window.content()->splitter();
        split->setSizes({380, split->width() - 380 - split->handleWidth()});
        window.hide();
    }
    ASSERT_EQ(defaults->integer(WindowPlacement::sidebarWidthKey), 380);
    ASSERT_TRUE(defaults->string(WindowPlacement::geometryKey));
    {
        MainWindow window(store, updater);
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(window.content()->splitter()->sizes().value(0), 380);
        EXPECT_NE(window.size(), QSize(1180, 800)) << "the kept place, not the default size";
    }
    // A width kept from a wider window still leaves the open list its least width.
    defaults->setInteger(WindowPlacement::sidebarWidthKey, 5000);
    MainWindow window(store, updater);
    window.show();
    QApplication::processEvents();
    const QList<int> sizes = window.content()->splitter()->sizes();
    EXPECT_LE(sizes.value(0), 420);
    EXPECT_GE(sizes.value(1), 400);
    Defaults::setStandard(std::make_shared<MemoryDefaults>());
}

} // namespace
