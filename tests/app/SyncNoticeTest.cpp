// The window's notice about sync, with this test process as the running program and its device
// set offline in the container file: whoever asks for a pass (the window's refresh, the edits'
// coordinator, a request from the command line), the window tells when it could not be done,
// and stops telling once a pass gets through.
#include "TallybirdApp.h"
#include "cloud/CloudDevice.h"
#include "cloud/Container.h"
#include "intents/RequestChannel.h"
#include "model/ListNavigation.h"
#include "platform/AppPaths.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/components/TextLabel.h"
#include "ui/window/MainWindow.h"
#include "ui/window/StoreNoticeBanner.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class SyncNotice : public testing::Test {
protected:
    void SetUp() override {
        const QString runtime = dir.filePath(QStringLiteral("run"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        previousRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        AppPaths::setProfile(profile());
        Defaults::setStandard(defaults);
        program = std::make_unique<TallybirdApp>(*defaults, CloudSetup(cloudPath()));
        QString error;
        ASSERT_TRUE(program->start(RequestChannel::serverName(), 0, &error)) << error.toStdString();
        program->showWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return program->launchTask().hasRun(); }, 5'000));
        program->core().store()->addList(QStringLiteral("Groceries"));
    }
    void TearDown() override {
        program.reset();
        ListNavigation::shared().setRequestedListID(std::nullopt);
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
        qputenv("XDG_RUNTIME_DIR", previousRuntimeDir);
    }
    QString profile() const { return dir.filePath(QStringLiteral("profile")); }
    QString cloudPath() const { return dir.filePath(QStringLiteral("cloud.sqlite")); }

    // As `tallybird-cloud offline` and `online` set it.
    void setOffline(bool offline) {
        const auto container = cloud::Container::openFile(cloudPath());
        ASSERT_TRUE(container.ok());
        const auto device = cloud::CloudDevice::deviceIDForProfile(*container.value(), cloudPath(),
                                                                   AppPaths::dataDir());
        ASSERT_TRUE(device.ok());
        ASSERT_FALSE(container.value()->setOffline(device.value(), offline));
    }
    // A request typed in a terminal while the program runs; the program answers it meanwhile.
    void request(const QStringList& words) {
        QProcess typed;
        typed.start(QStringLiteral(TALLYBIRD_EXECUTABLE),
                    QStringList{"--profile", profile(), "--cloud", cloudPath()} + words);
        ASSERT_TRUE(typed.waitForStarted());
        EXPECT_TRUE(QTest::qWaitFor([&] { return typed.state() == QProcess::NotRunning; }, 20'000));
    }
    StoreNoticeBanner* banner() const { return program->window()->findChild<StoreNoticeBanner*>(); }
    // Whether the band shows, and says `says` when it does.
    bool bandShows(const QString& says) const {
        StoreNoticeBanner* band = banner();
        return band && band->isVisible() && band->messageLabel()->text() == says;
    }

    QTemporaryDir dir;
    QByteArray previousRuntimeDir;
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    std::unique_ptr<TallybirdApp> program;
};

TEST_F(SyncNotice, APassThatCouldNotBeDoneIsToldWhoeverAskedForIt) {
    struct Row {
        const char* what;
        std::function<void(int)> pass; // the n-th pass of the test
    };
    const Row rows[] = {
        {"the window's refresh", [this](int) { program->core().syncNow(); }},
        {"an edit, a second later",
         [this](int n) { program->core().store()->addList(QStringLiteral("Edited %1").arg(n)); }},
        {"a request from the command line",
         [this](int n) {
             request({"add", "--list", "Groceries", QStringLiteral("milk %1").arg(n)});
         }},
    };
    const QString offline = QStringLiteral("Tallybird could not sync: The network is unavailable.");
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NE(banner(), nullptr);
        ASSERT_FALSE(banner()->isVisible());
        setOffline(true);
        row.pass(++n);
        EXPECT_TRUE(QTest::qWaitFor([&] { return bandShows(offline); }, 10'000))
            << "the band says: " << banner()->messageLabel()->text().toStdString();
        EXPECT_EQ(banner()->titleLabel()->text(), "Your lists are not syncing");

        setOffline(false);
        row.pass(++n);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !banner()->isVisible(); }, 10'000))
            << "still shown after a pass got through";
    }
}

} // namespace
