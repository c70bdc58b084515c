// Quitting right after a tick, in the real program as a child process: the list screen plays
// its sound on the tick, and Qt's sound objects must be gone before the application object, or
// the process crashes or hangs on its way out. Run a few times, as the fault came and went.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int runs = 4;

TEST(QuitAfterTick, TheProgramEndsCleanlyEveryTime) {
    for (int run = 0; run < runs; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        QTemporaryDir dir;
        const QString runtime = dir.filePath(QStringLiteral("run"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUIT_AFTER_TICK_PROBE),
                      {"--profile", dir.filePath(QStringLiteral("profile")), "--cloud",
                       dir.filePath(QStringLiteral("cloud.sqlite"))});
        ASSERT_TRUE(program.waitForStarted());
        if (!program.waitForFinished(30'000)) {
            program.kill();
            program.waitForFinished();
            FAIL() << "the program did not end after quitting";
        }
        const std::string errors = program.readAllStandardError().toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << errors;
        EXPECT_EQ(program.exitCode(), 0) << errors;
    }
}

} // namespace
