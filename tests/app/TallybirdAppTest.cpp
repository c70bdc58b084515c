// The application object, with this test process as the running program: one window per
// profile (the real program, launched again as a second process, hands over to it instead of
// opening a second window), the appearance in force before the first frame, and the launch.
#include "TallybirdApp.h"
#include "WindowChannel.h"
#include "cloud/WorkerPool.h"
#include "intents/ListEntityIndex.h"
#include "intents/RequestChannel.h"
#include "model/ListNavigation.h"
#include "platform/AppPaths.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/theme/Theme.h"
#include "ui/theme/ThemeAppearance.h"
#include "ui/theme/ThemeColour.h"
#include "ui/window/CloudRefresher.h"
#include "ui/window/MainWindow.h"
#include "ui/window/WindowNavigation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <memory>

namespace {

class RunningProgram : public testing::Test {
protected:
    void SetUp() override {
        runtimeDir = dir.filePath(QStringLiteral("run"));
        QDir().mkpath(runtimeDir);
        QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        previousRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtimeDir.toUtf8());
        AppPaths::setProfile(dir.filePath(QStringLiteral("profile")));
        Defaults::setStandard(defaults);
        program = std::make_unique<TallybirdApp>(*defaults, CloudSetup(cloudPath()));
        QString error;
        ASSERT_TRUE(program->start(RequestChannel::serverName(), 0, &error)) << error.toStdString();
    }
    void TearDown() override {
        program.reset();
        ListNavigation::shared().setRequestedListID(std::nullopt);
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
        qputenv("XDG_RUNTIME_DIR", previousRuntimeDir);
    }
    QString cloudPath() const { return dir.filePath(QStringLiteral("cloud.sqlite")); }

    // Launches the real program as a second process and keeps this one's event loop turning,
    // so that this program answers it.
    int launchAgain(const QStringList& words = {}) {
        QProcess second;
        second.start(QStringLiteral(TALLYBIRD_EXECUTABLE),
                     QStringList{"--profile", dir.filePath(QStringLiteral("profile")), "--cloud",
                                 cloudPath()} +
                         words);
        EXPECT_TRUE(second.waitForStarted());
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20'000));
        secondErr = QString::fromUtf8(second.readAllStandardError());
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    QTemporaryDir dir;
    QString runtimeDir;
    QByteArray previousRuntimeDir;
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    std::unique_ptr<TallybirdApp> program;
    QString secondErr;
};

TEST_F(RunningProgram, ASecondLaunchRaisesTheFirstWindowAndExitsZero) {
    program->showWindow();
    MainWindow* window = program->window();
    window->showMinimized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(window->isMinimized());

    EXPECT_EQ(launchAgain(), 0) << secondErr.toStdString();
    EXPECT_FALSE(window->isMinimized()) << "the running window came to the front";
    EXPECT_EQ(program->core().store()->lockError(), std::nullopt) << "still the only owner";

    window->hide();
    EXPECT_EQ(launchAgain(), 0) << secondErr.toStdString();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(RunningProgram, OpenFromALaterLaunchAsksTheRunningWindowForTheList) {
    program->showWindow();
    const QString groceries = program->core().store()->addList(QStringLiteral("Groceries")).id;
    program->window()->hide();
    EXPECT_EQ(launchAgain({"open", "--list", "Groceries"}), 0) << secondErr.toStdString();
    // The lists page took the request and opened the list.
    EXPECT_EQ(program->window()->navigation().openListID(), groceries);
    EXPECT_EQ(ListNavigation::shared().requestedListID(), std::nullopt);
    EXPECT_TRUE(program->window()->isVisible());
}

TEST_F(RunningProgram, TheWindowChannelTakesOnlyItsOneLine) {
    const QString name = WindowChannel::name(RequestChannel::serverName());
    program->showWindow();
    program->window()->hide();
    int raises = 0;
    // Another line, a longer one, and one never finished (let go after a while).
    for (const QByteArray& line :
         {QByteArray("lower\n"), QByteArray("raise now\n"), QByteArray("rais")}) {
        QLocalSocket socket;
        socket.connectToServer(name);
        ASSERT_TRUE(socket.waitForConnected(1'000));
        socket.write(line);
        socket.flush();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return socket.state() == QLocalSocket::UnconnectedState; }, 5'000))
            << line.toStdString();
        raises += program->window()->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(raises, 0);
}

TEST_F(RunningProgram, TheLaunchTaskRunsOnceTheWindowIsShownAndTheRefreshTicks) {
    program->core().store()->addList(QStringLiteral("Packing"));
    EXPECT_FALSE(program->launchTask().hasRun());
    program->showWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return program->launchTask().hasRun(); }, 5'000));
    EXPECT_TRUE(program->refresher()->isTicking());
    EXPECT_TRUE(QFile::exists(ListEntityIndex::defaultPath())) << "the list index was written";
}

TEST_F(RunningProgram, QuittingDuringASyncPassLetsItFinishInsteadOfHanging) {
    program->showWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return program->launchTask().hasRun(); }, 5'000));
    program->core().store()->addList(QStringLiteral("Groceries"));
    // A pass under way when the event loop stops: its worker waits on the main thread.
    program->core().syncNow();
    program.reset();
    EXPECT_TRUE(cloud::WorkerPool::instance().waitForDone(5'000))
        << "a sync worker was left waiting; the program would never end";
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(5'000));
}

TEST_F(RunningProgram, AStoredDarkAppearanceIsInForceBeforeTheFirstFrame) {
    defaults->setString(QStringLiteral("appearance"), QStringLiteral("dark"));
    program->showWindow();
    // Nothing has been painted yet: the event loop has not turned.
    EXPECT_TRUE(Theme::isDark());
    EXPECT_EQ(program->window()->palette().color(QPalette::Window),
              Theme::Colour::background.in(true));
    ThemeAppearance::shared().choose(Appearance::light);
    QCoreApplication::processEvents();
    EXPECT_EQ(program->window()->palette().color(QPalette::Window),
              Theme::Colour::background.in(false));
}

TEST(StoreHeldElsewhere, TheWindowSaysSoAndEndsWithoutWriting) {
    QTemporaryDir dir;
    const QString runtime = dir.filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString profile = dir.filePath(QStringLiteral("profile"));
    QDir().mkpath(profile);
    MemoryDefaults defaults;
    // Another process's store, holding the lock: here, this test's own.
    ListStore holder(QDir(profile).filePath(QStringLiteral("store.json")), false, false, defaults);
    holder.addList(QStringLiteral("Kept"));
    holder.flushSaves();
    QFile file(holder.fileURL());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TALLYBIRD_EXECUTABLE),
                  {"--profile", profile, "--cloud", dir.filePath(QStringLiteral("cloud.sqlite"))});
    ASSERT_TRUE(program.waitForFinished(30'000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(program.readAllStandardError())
                    .contains(QStringLiteral("is in use by another Tallybird process")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before) << "the store was not written";
}

} // namespace
