// The display goes away under the real program: the test starts an X server of its own, runs the
// program on it (a probe that ticks an item, so that a sound was made, and whose save of the
// tick is still being written), kills the X server and looks at how the program ended. It must
// end by itself, soon, without a crash, with the tick in the store file and the store free for
// the next request at once.
#include "AbruptExit.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Far more than the program needs (the save it waits for takes a second and a half), far less
// than a program that hangs.
constexpr int endBoundMs = 15'000;
// A request that finds the store held waits a minute for it; one that finds it free is done in
// a moment.
constexpr int requestBoundMs = 15'000;

class DisplayLoss : public testing::Test {
protected:
    void SetUp() override {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs it)";
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The server picks a free display and writes its number on standard output.
        xserver.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        ASSERT_TRUE(xserver.waitForStarted());
        QByteArray number;
        QElapsedTimer waited;
        waited.start();
        while (!number.endsWith('\n') && waited.elapsed() < 20'000) {
            xserver.waitForReadyRead(200);
            number += xserver.readAllStandardOutput();
        }
        ASSERT_TRUE(number.endsWith('\n')) << "the X server never said its display";
        display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    }
    void TearDown() override {
        for (QProcess* process : {&program, &xserver}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
        }
    }

    QString runtime() const { return dir.filePath(QStringLiteral("run")); }
    QString profile() const { return dir.filePath(QStringLiteral("profile")); }
    QStringList where() const {
        return {"--profile", profile(), "--cloud", dir.filePath(QStringLiteral("cloud.sqlite"))};
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        environment.insert(QStringLiteral("HOME"), dir.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           dir.filePath(QStringLiteral("config")));
        return environment;
    }

    QTemporaryDir dir;
    QProcess xserver;
    QProcess program;
    QString display;
};

TEST_F(DisplayLoss, AfterASoundTheProgramSavesLetsGoAndEndsBeforeLong) {
    program.setProcessEnvironment(environment());
    program.start(QStringLiteral(DISPLAY_LOSS_PROBE), where());
    ASSERT_TRUE(program.waitForStarted());
    QByteArray said;
    QElapsedTimer waited;
    waited.start();
    while (!said.contains("ready") && program.state() == QProcess::Running &&
           waited.elapsed() < 60'000) {
        program.waitForReadyRead(200);
        said += program.readAllStandardOutput();
    }
    ASSERT_TRUE(said.contains("ready")) << program.readAllStandardError().toStdString();

    xserver.kill();
    QElapsedTimer ending;
    ending.start();
    const bool ended = program.waitForFinished(endBoundMs);
    const std::string errors = program.readAllStandardError().toStdString();
    ASSERT_TRUE(ended) << "still running " << endBoundMs << " ms after its display went\n"
                       << errors;
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended by a signal\n" << errors;
    EXPECT_EQ(program.exitCode(), AbruptExit::status) << errors;
    EXPECT_NE(errors.find("Tallybird lost its display"), std::string::npos) << errors;

    // The tick's save was waiting when the display went; it is in the file.
    MemoryDefaults defaults;
    ListStore after(QDir(profile()).filePath(QStringLiteral("store.json")), false, false, defaults,
                    Clock::shared(), ListStore::Access::readOnly);
    ASSERT_EQ(after.allItems().size(), 1);
    EXPECT_EQ(after.allItems().front().text, "Milk");
    EXPECT_TRUE(after.allItems().front().done) << "the tick was lost";

    // Nobody holds the store: a request makes its change at once.
    QProcess request;
    QProcessEnvironment alone = environment();
    alone.remove(QStringLiteral("DISPLAY"));
    request.setProcessEnvironment(alone);
    QElapsedTimer answered;
    answered.start();
    request.start(QStringLiteral(TALLYBIRD_EXECUTABLE),
                  where() + QStringList{"add", "--list", "Groceries", "Bread"});
    ASSERT_TRUE(request.waitForFinished(requestBoundMs + 5'000));
    EXPECT_LT(answered.elapsed(), requestBoundMs);
    EXPECT_EQ(request.exitCode(), 0) << request.readAllStandardError().toStdString();
    EXPECT_EQ(request.readAllStandardOutput(), "Added Bread to Groceries.\n");
}

} // namespace
