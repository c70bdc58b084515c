// Starting the window program apart from a request: it runs in a session of its own with nothing
// of the request's but its standard error, which the request passes on until the window shows;
// the request learns at once whether it showed, ended (and how) or could not be run, and never
// waits longer than it was told. Shell scripts stand in for the window program.
#include "WindowLaunch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

using Kind = WindowLaunch::Outcome::Kind;

// This process's standard error, sent to a file while it lives.
class StderrCapture {
public:
    explicit StderrCapture(const QString& path) {
        const int file = ::open(QFile::encodeName(path).constData(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        saved_ = ::dup(STDERR_FILENO);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
    }
    ~StderrCapture() {
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }

private:
    int saved_ = -1;
};

class WindowLaunchTest : public ::testing::Test {
protected:
    QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    // Runs `script` as the window program, its pid written to the file "pid".
    WindowLaunch::Outcome launch(const QString& script, int timeoutMs) {
        QFile::remove(file("pid"));
        QFile::remove(file("said"));
        const StderrCapture capture(file("said"));
        elapsed.start();
        const WindowLaunch::Outcome outcome = WindowLaunch::start(
            QStringLiteral("/bin/sh"), "tallybird",
            {QStringLiteral("-c"), QStringLiteral("echo $$ > \"$1\"; ") + script,
             QStringLiteral("sh"), file("pid")},
            timeoutMs);
        took = elapsed.elapsed();
        return outcome;
    }

    pid_t launchedPid() const {
        QFile pid(file("pid"));
        return pid.open(QIODevice::ReadOnly) ? pid_t(pid.readAll().trimmed().toInt()) : 0;
    }

    QByteArray said() const {
        QFile said(file("said"));
        return said.open(QIODevice::ReadOnly) ? said.readAll() : QByteArray();
    }

    // Ends a window program that showed and still runs as this process's child.
    void endLaunched() {
        const pid_t pid = launchedPid();
        ASSERT_GT(pid, 0);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }

    QTemporaryDir dir;
    QElapsedTimer elapsed;
    qint64 took = 0;
};

TEST_F(WindowLaunchTest, TheRequestLearnsAtOnceWhetherTheWindowShowedEndedOrNeverShowed) {
    const struct {
        const char* what;
        const char* script;
        int timeoutMs;
        Kind kind;
        int exitCode; // when it ended
        const char* said;
    } rows[] = {
        {"it shows, after a word on standard error",
         "echo starting >&2; exec 2>/dev/null; echo shown >&3; exec 3>&-; exec sleep 30", 20'000,
         Kind::shown, 0, "starting\n"},
        {"it hands the list to a window that started meanwhile", "echo handed >&2; exit 0", 20'000,
         Kind::ended, 0, "handed\n"},
        {"it cannot start, and says why", "echo 'the store is in use' >&2; exit 6", 20'000,
         Kind::ended, 6, "the store is in use\n"},
        {"a signal ends it", "kill -KILL $$", 20'000, Kind::ended, -1, ""},
        {"it never shows", "echo waiting >&2; exec sleep 30", 1'000, Kind::timedOut, 0,
         "waiting\n"},
        {"it lets go of standard error but never shows", "exec 2>/dev/null; exec sleep 30", 1'000,
         Kind::timedOut, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const WindowLaunch::Outcome outcome = launch(QString::fromUtf8(row.script), row.timeoutMs);
        EXPECT_EQ(outcome.kind, row.kind) << outcome.error.toStdString();
        EXPECT_LT(took, row.timeoutMs + 5'000) << "waited past its time";
        if (row.kind != Kind::timedOut) {
            EXPECT_LT(took, 10'000) << "waited for a program that had answered";
        }
        if (row.kind == Kind::ended) {
            EXPECT_EQ(outcome.exitCode, row.exitCode);
        }
        EXPECT_EQ(said(), QByteArray(row.said));
        const pid_t pid = launchedPid();
        if (row.kind == Kind::shown) {
            EXPECT_EQ(::kill(pid, 0), 0) << "the window runs on";
            endLaunched();
        } else if (row.kind == Kind::timedOut) {
            // Asked to end, and gone: left running it would die at its next word anyway.
            errno = 0;
            EXPECT_EQ(::kill(pid, 0), -1);
            EXPECT_EQ(errno, ESRCH);
        }
    }
}

TEST_F(WindowLaunchTest, TheWindowRunsInASessionOfItsOwnWithNothingOfTheRequestsButWhatItIsGiven) {
    // A descriptor the request holds without closing it on exec, as a lock would be held.
    const int held = ::open(QFile::encodeName(file("held")).constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(held, 0);
    const WindowLaunch::Outcome outcome =
        launch(QStringLiteral("[ \"$TALLYBIRD_SHOWN_FD\" = 3 ] || exit 9; exec 2>/dev/null; "
                              "echo shown >&3; exec 3>&-; exec sleep 30"),
               20'000);
    ::close(held);
    ASSERT_EQ(outcome.kind, Kind::shown) << outcome.exitCode;
    const pid_t pid = launchedPid();
    // The script goes on after it said "shown": looked at once it is the program it ends as.
    const auto program = [pid] {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        return comm.open(QIODevice::ReadOnly) ? comm.readAll().trimmed() : QByteArray();
    };
    QElapsedTimer waited;
    waited.start();
    while (program() != "sleep" && waited.elapsed() < 10'000)
        ::usleep(10'000);
    ASSERT_EQ(program(), "sleep");

    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    ASSERT_TRUE(stat.open(QIODevice::ReadOnly));
    const QList<QByteArray> fields = stat.readAll().split(' ');
    ASSERT_GT(fields.size(), 5);
    EXPECT_EQ(fields[5].toInt(), pid) << "it leads a session of its own";
    EXPECT_NE(::getsid(0), pid);

    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    EXPECT_EQ(QDir(fds).entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name),
              (QStringList{"0", "1", "2"}));
    for (const char* fd : {"0", "1", "2"})
        EXPECT_EQ(QFile::symLinkTarget(fds + QLatin1Char('/') + QLatin1String(fd)),
                  QStringLiteral("/dev/null"))
            << fd;
    endLaunched();
}

TEST_F(WindowLaunchTest, AWindowProgramThatCannotBeRunIsSaidAsSuch) {
    const WindowLaunch::Outcome outcome =
        WindowLaunch::start(file("no-such-program"), "tallybird", {}, 20'000);
    EXPECT_EQ(outcome.kind, Kind::notStarted);
    EXPECT_TRUE(outcome.error.contains(QStringLiteral("No such file")))
        << outcome.error.toStdString();
}

} // namespace
