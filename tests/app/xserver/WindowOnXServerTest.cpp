// The window on a real X server (run under xvfb-run by CTest): the program opens its window,
// requests typed on the command line while it runs change the lists, and the window shows
// them. This process is the program, set up as the real one is; the requests are real
// command-line processes.
#include "TallybirdApp.h"
#include "intents/RequestChannel.h"
#include "platform/AppPaths.h"
#include "platform/Defaults.h"
#include "ui/theme/Theme.h"
#include "ui/window/MainWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class WindowOnXServer : public testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(runtimeDir());
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtimeDir().toUtf8());
        AppPaths::setProfile(profile());
        Defaults::setStandard(
            std::make_shared<FileDefaults>(dir.filePath(QStringLiteral("defaults.json"))));
    }
    void TearDown() override {
        program.reset();
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
    }
    QString runtimeDir() const { return dir.filePath(QStringLiteral("run")); }
    QString profile() const { return dir.filePath(QStringLiteral("profile")); }

    // One command-line request, as a user types it.
    QString type(const QStringList& words) {
        QProcess request;
        request.start(QStringLiteral(TALLYBIRD_EXECUTABLE),
                      QStringList{"--profile", profile(), "--cloud",
                                  dir.filePath(QStringLiteral("cloud.sqlite"))} +
                          words);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return request.state() == QProcess::NotRunning; }, 20'000));
        return QString::fromUtf8(request.readAllStandardOutput());
    }

    // Whether any view in the window shows a row with exactly this text.
    bool windowShows(const QString& text) const {
        for (const QAbstractItemView* view :
             program->window()->findChildren<QAbstractItemView*>()) {
            const QAbstractItemModel* model = view->model();
            if (!view->isVisible() || !model)
                continue;
            for (int row = 0; row < model->rowCount(); ++row) {
                if (model->index(row, 0).data().toString() == text)
                    return true;
            }
        }
        return false;
    }

    QTemporaryDir dir;
    std::unique_ptr<TallybirdApp> program;
};

TEST_F(WindowOnXServer, ARequestFromTheCommandLineShowsInTheOpenWindow) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    program = std::make_unique<TallybirdApp>(Defaults::standard(),
                                             CloudSetup(dir.filePath("cloud.sqlite")));
    QString error;
    ASSERT_TRUE(program->start(RequestChannel::serverName(), 0, &error)) << error.toStdString();
    Theme::applyToApplication();
    program->showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(program->window(), 10'000));
    EXPECT_FALSE(windowShows(QStringLiteral("Packing")));

    EXPECT_EQ(type({"start", "Packing"}), QStringLiteral("Started Packing.\n"));
    EXPECT_EQ(type({"add", "--list", "Packing", "Socks"}),
              QStringLiteral("Added Socks to Packing.\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return windowShows(QStringLiteral("Packing")); }, 5'000));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
