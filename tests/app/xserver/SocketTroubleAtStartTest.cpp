// A socket the program cannot listen on, with the real program on a real X server, where it shows
// its error in a box: the store is let go before the box is up, so requests go on meanwhile, and
// SIGTERM ends the program with the box up. (A folder stands where the window's socket goes: the
// program finds it only once it holds the store.)
#include "WindowChannel.h"
#include "intents/RequestChannel.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// A request that found the store held would wait a minute for it.
constexpr int requestBoundMs = 15'000;
constexpr int endBoundMs = 5'000;

TEST(SocketTroubleAtStart, TheErrorIsSaidWithoutTheStoreAndASignalEndsIt) {
    QTemporaryDir dir;
    const QString runtime = dir.filePath(QStringLiteral("run"));
    const QString profile = dir.filePath(QStringLiteral("profile"));
    for (const QString& folder : {runtime, profile})
        ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    AppPaths::setProfile(profile);
    const QString windowSocket = WindowChannel::name(RequestChannel::serverName());
    AppPaths::setProfile(QString());
    ASSERT_TRUE(windowSocket.startsWith(runtime)) << windowSocket.toStdString();
    ASSERT_TRUE(QDir().mkpath(windowSocket));

    const QStringList where{"--profile", profile, "--cloud",
                            dir.filePath(QStringLiteral("cloud.sqlite"))};
    QProcess program;
    program.start(QStringLiteral(TALLYBIRD_EXECUTABLE), where);
    ASSERT_TRUE(program.waitForStarted());
    // The error goes to standard error before the box shows it.
    QByteArray errors;
    QElapsedTimer waited;
    waited.start();
    while (!errors.contains(windowSocket.toUtf8()) && program.state() == QProcess::Running &&
           waited.elapsed() < 30'000) {
        program.waitForReadyRead(100);
        errors += program.readAllStandardError();
    }
    ASSERT_TRUE(errors.contains(windowSocket.toUtf8())) << errors.toStdString();
    ASSERT_EQ(program.state(), QProcess::Running) << "the box is up";

    QProcess request;
    QElapsedTimer answered;
    answered.start();
    request.start(QStringLiteral(TALLYBIRD_EXECUTABLE), where + QStringList{"start", "Groceries"});
    ASSERT_TRUE(request.waitForFinished(90'000));
    EXPECT_LT(answered.elapsed(), requestBoundMs) << "waited for the store";
    EXPECT_EQ(request.exitCode(), 0) << request.readAllStandardError().toStdString();
    EXPECT_EQ(request.readAllStandardOutput(), "Started Groceries.\n");

    ::kill(pid_t(program.processId()), SIGTERM);
    const bool ended = program.waitForFinished(endBoundMs);
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    EXPECT_TRUE(ended) << "the box outlived SIGTERM";
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
