// Running the real program and its command line as processes, the way a user runs them.
#pragma once

#include "IntentsTestSupport.h"

#include "intents/RequestChannel.h"
#include "intents/RequestClient.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include <functional>
#include <memory>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

struct Typed {
    int code = -1;
    QString out;
    QString err;
};

// Each test is one device (its profile folder) with a cloud container of its own, so that no
// other test's lists sync in; a second device may use the same container.
class ProcessTest : public ProfileTest {
protected:
    void SetUp() override {
        ProfileTest::SetUp();
        // The socket lives here; the program's processes inherit the folder.
        const QString runtimeDir = dir.filePath(QStringLiteral("run"));
        QDir().mkpath(runtimeDir);
        qputenv("XDG_RUNTIME_DIR", runtimeDir.toUtf8());
    }

    QString cloudFile() const { return dir.filePath(QStringLiteral("cloud.sqlite")); }
    // The container a profile syncs through: the one file, unless a test gives each its own
    // way in (a server, where each person is a role).
    virtual QString cloudFor(const QString& profile) const {
        (void)profile;
        return cloudFile();
    }

    void launch(QProcess& process, const QStringList& words, const QString& profile = {}) {
        const QString folder = profile.isEmpty() ? dir.path() : profile;
        process.start(QStringLiteral(TALLYBIRD_EXECUTABLE),
                      QStringList{"--profile", folder, "--cloud", cloudFor(folder)} + words);
    }

    Typed run(const QStringList& words, const QString& profile = {}) {
        QProcess process;
        launch(process, words, profile);
        process.closeWriteChannel(); // not a terminal: nobody to ask
        EXPECT_TRUE(process.waitForFinished(60'000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // Starts a process that stays: the program itself, or `open` when no program runs.
    // `prepare` sets the process up before it starts.
    void startProgram(const QStringList& words = {},
                      const std::function<void(QProcess&)>& prepare = {}) {
        program = std::make_unique<QProcess>();
        if (prepare)
            prepare(*program);
        launch(*program, words);
        ASSERT_TRUE(program->waitForStarted());
        const QDeadlineTimer deadline(30'000);
        while (!RequestClient::programAnswers(RequestChannel::serverName(), 100)) {
            ASSERT_FALSE(deadline.hasExpired()) << "the program never listened";
            ASSERT_EQ(program->state(), QProcess::Running)
                << program->readAllStandardError().toStdString();
            QThread::msleep(50);
        }
    }

    // Ends the program as a desktop session would, and returns what it wrote on stderr.
    QString stopProgram() {
        program->terminate();
        EXPECT_TRUE(program->waitForFinished(30'000));
        EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program->exitCode(), 0);
        return QString::fromUtf8(program->readAllStandardError());
    }

    std::unique_ptr<QProcess> program; // killed, if still running, when the test ends
};

// The process that listens on the request socket, by its id (0 when none does): a window that
// a request started on its own is no child of the test.
inline pid_t listeningProgram() {
    QLocalSocket socket;
    socket.connectToServer(RequestChannel::serverName());
    if (!socket.waitForConnected(5'000))
        return 0;
    ucred peer{};
    socklen_t size = sizeof peer;
    const bool known =
        ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0;
    socket.abort();
    return known ? peer.pid : 0;
}

// Whether the process is gone, or ended and waits for a parent that is not this process to
// take its status.
inline bool processGone(pid_t pid) {
    if (::kill(pid, 0) != 0)
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

// Kills a child still running at once, as a power cut would, and waits for it: true only when
// the kill is what ended it, not an end of its own a moment before.
inline bool killNow(QProcess& child, int waitMs) {
    if (child.state() != QProcess::Running)
        return false;
    ::kill(pid_t(child.processId()), SIGKILL);
    return child.waitForFinished(waitMs) && child.exitStatus() == QProcess::CrashExit;
}

// A program this test started that is no child of it (a window a request started on its own):
// ended, as a desktop session ends it, when the test is done with it, and killed should it not
// end in time.
class DetachedProgram {
public:
    explicit DetachedProgram(pid_t pid) : pid_(pid) {}
    DetachedProgram(const DetachedProgram&) = delete;
    DetachedProgram& operator=(const DetachedProgram&) = delete;
    ~DetachedProgram() { end(); }

    pid_t pid() const { return pid_; }
    // True when it ended within the time given.
    bool end(int timeoutMs = 30'000) {
        if (pid_ <= 0)
            return true;
        ::kill(pid_, SIGTERM);
        const QDeadlineTimer deadline(timeoutMs);
        while (!processGone(pid_) && !deadline.hasExpired())
            QThread::msleep(20);
        const bool ended = processGone(pid_);
        if (!ended)
            ::kill(pid_, SIGKILL);
        pid_ = 0;
        return ended;
    }

private:
    pid_t pid_;
};
