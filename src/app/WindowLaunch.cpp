// Starting the window program apart from the request, and telling that request once it shows.
#include "WindowLaunch.h"

#include <QDeadlineTimer>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

extern char** environ;

namespace WindowLaunch {

namespace {

// Names the descriptor on which the window program says "shown"; set only for the program
// the request starts.
constexpr char shownVariable[] = "TALLYBIRD_SHOWN_FD";
// The descriptor it is, in the window program: the first after standard error.
constexpr int shownDescriptor = 3;
constexpr char shownLine[] = "shown\n";
// How long a window program that did not show in time is given to end once asked to.
constexpr int endingMs = 2'000;

void closeQuietly(int fd) {
    if (fd >= 0)
        ::close(fd);
}

// Writes all of `bytes` to `fd`, as far as it takes them.
void writeAll(int fd, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        size -= size_t(written);
    }
}

// Moves `fd` to a number above the standard three and `shownDescriptor`, so that the child's
// dup2() calls cannot overwrite it before it is used.
int raised(int fd) {
    if (fd < 0 || fd > shownDescriptor)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, shownDescriptor + 1);
    ::close(fd);
    return moved;
}

// In the child, between fork() and exec: only calls that are safe there. Returns only when
// exec failed.
[[noreturn]] void becomeWindowProgram(const char* path, char* const argv[], char* const envp[],
                                      int nullFd, int errorFd, int shownFd, int execFd) {
    ::setsid();
    // Signals a thread of the request blocked are not the window's to miss.
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::dup2(nullFd, STDIN_FILENO);
    ::dup2(nullFd, STDOUT_FILENO);
    ::dup2(errorFd, STDERR_FILENO);
    ::dup2(shownFd, shownDescriptor);
    // Nothing else of the request goes with it (a lock on the store file among them); the
    // descriptor that tells a failed exec closes with a successful one.
    if (::close_range(shownDescriptor + 1, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        const long most = ::sysconf(_SC_OPEN_MAX);
        for (int fd = shownDescriptor + 1; fd < (most > 0 ? most : 1024); ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    ::execve(path, argv, envp);
    const int error = errno;
    writeAll(execFd, reinterpret_cast<const char*>(&error), sizeof error);
    ::_exit(127);
}

// The exit code of a child that ended, -1 for one a signal ended; absent while it runs on.
std::optional<int> endedWith(pid_t pid, const QDeadlineTimer& deadline) {
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (ended < 0 && errno != EINTR)
            return -1;
        if (deadline.hasExpired())
            return std::nullopt;
        ::usleep(10'000);
    }
}

} // namespace

Outcome start(const QString& program, const QByteArray& name, const QStringList& arguments,
              int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    Outcome outcome;

    // Everything the child needs is made before fork(): it may not allocate.
    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> words{name};
    for (const QString& argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray shownSetting =
        QByteArray(shownVariable) + '=' + QByteArray::number(shownDescriptor);
    std::vector<QByteArray> settings{shownSetting};
    for (char** entry = environ; *entry; ++entry) {
        if (!QByteArray(*entry).startsWith(QByteArray(shownVariable) + '='))
            settings.emplace_back(*entry);
    }
    std::vector<char*> envp;
    for (QByteArray& setting : settings)
        envp.push_back(setting.data());
    envp.push_back(nullptr);

    int errorPipe[2] = {-1, -1};
    int shownPipe[2] = {-1, -1};
    int execPipe[2] = {-1, -1};
    const int nullFd = raised(::open("/dev/null", O_RDWR | O_CLOEXEC));
    const auto closeAll = [&] {
        for (int fd : {errorPipe[0], errorPipe[1], shownPipe[0], shownPipe[1], execPipe[0],
                       execPipe[1], nullFd})
            closeQuietly(fd);
    };
    if (nullFd < 0 || ::pipe2(errorPipe, O_CLOEXEC) != 0 || ::pipe2(shownPipe, O_CLOEXEC) != 0 ||
        ::pipe2(execPipe, O_CLOEXEC) != 0) {
        outcome.error = QString::fromLocal8Bit(std::strerror(errno));
        closeAll();
        return outcome;
    }
    for (int* fd : {&errorPipe[1], &shownPipe[1], &execPipe[1]})
        *fd = raised(*fd);
    const pid_t pid = ::fork();
    if (pid < 0) {
        outcome.error = QString::fromLocal8Bit(std::strerror(errno));
        closeAll();
        return outcome;
    }
    if (pid == 0)
        becomeWindowProgram(path.constData(), argv.data(), envp.data(), nullFd, errorPipe[1],
                            shownPipe[1], execPipe[1]);
    for (int* fd : {&errorPipe[1], &shownPipe[1], &execPipe[1]}) {
        ::close(*fd);
        *fd = -1;
    }

    // Closed by a successful exec; a failed one sends its errno first.
    int execError = 0;
    ssize_t got = 0;
    do {
        got = ::read(execPipe[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    if (got == ssize_t(sizeof execError)) {
        endedWith(pid, QDeadlineTimer(QDeadlineTimer::Forever));
        outcome.error = QString::fromLocal8Bit(std::strerror(execError));
        closeAll();
        return outcome;
    }

    // What the window program says goes on to this process's standard error as it comes,
    // until it shows the window or ends.
    QByteArray shownSaid;
    bool errorOpen = true;
    bool shownOpen = true;
    while (shownOpen && !deadline.hasExpired()) {
        pollfd watched[2] = {{shownPipe[0], POLLIN, 0}, {errorPipe[0], POLLIN, 0}};
        const int wait = int(std::min<qint64>(deadline.remainingTime(), 1'000));
        if (::poll(watched, errorOpen ? 2 : 1, wait) < 0 && errno != EINTR)
            break;
        char buffer[4096];
        if (errorOpen && watched[1].revents) {
            const ssize_t read = ::read(errorPipe[0], buffer, sizeof buffer);
            if (read > 0)
                writeAll(STDERR_FILENO, buffer, size_t(read));
            else if (read == 0 || errno != EINTR)
                errorOpen = false;
        }
        if (watched[0].revents) {
            const ssize_t read = ::read(shownPipe[0], buffer, sizeof buffer);
            if (read > 0)
                shownSaid.append(buffer, read);
            else if (read == 0 || errno != EINTR)
                shownOpen = false;
            if (shownSaid.contains(shownLine))
                break;
        }
    }
    // What it said before it let go of standard error.
    if (errorOpen) {
        ::fcntl(errorPipe[0], F_SETFL, O_NONBLOCK);
        char buffer[4096];
        ssize_t read = 0;
        while ((read = ::read(errorPipe[0], buffer, sizeof buffer)) > 0)
            writeAll(STDERR_FILENO, buffer, size_t(read));
    }
    closeAll();

    if (shownSaid.contains(shownLine)) {
        outcome.kind = Outcome::Kind::shown;
        return outcome;
    }
    // It let go without showing anything: it is ending, or has ended.
    if (!shownOpen) {
        if (const std::optional<int> code = endedWith(pid, deadline)) {
            outcome.kind = Outcome::Kind::ended;
            outcome.exitCode = *code;
            return outcome;
        }
    }
    // Left running, it would meet a closed standard error at its next word and end there: it
    // is asked to end now, as a desktop session would, and given a moment to.
    ::kill(pid, SIGTERM);
    endedWith(pid, QDeadlineTimer(endingMs));
    outcome.kind = Outcome::Kind::timedOut;
    return outcome;
}

namespace {

// The descriptor to say "shown" on, taken from the environment once; -1 when nobody waits.
int& shownFd() {
    static int fd = [] {
        const QByteArray setting = qgetenv(shownVariable);
        if (setting.isNull())
            return -1;
        // Whatever this program starts is not the launched window.
        qunsetenv(shownVariable);
        bool ok = false;
        const int number = setting.toInt(&ok);
        if (!ok || number != shownDescriptor || ::fcntl(number, F_GETFD) < 0)
            return -1;
        ::fcntl(number, F_SETFD, FD_CLOEXEC);
        return number;
    }();
    return fd;
}

} // namespace

bool awaited() {
    return shownFd() >= 0;
}

void shown() {
    int& fd = shownFd();
    if (fd < 0)
        return;
    // Standard error is let go first: the request may end as soon as it reads the line.
    const int nullFd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nullFd >= 0) {
        ::dup2(nullFd, STDERR_FILENO);
        ::close(nullFd);
    }
    writeAll(fd, shownLine, sizeof shownLine - 1);
    ::close(fd);
    fd = -1;
}

} // namespace WindowLaunch
