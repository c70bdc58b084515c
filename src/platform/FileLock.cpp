// An flock(2) on a lock file, which the kernel releases with the holder's last descriptor.
#include "FileLock.h"

#include "RegularFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool sameFile(int fd, const QByteArray& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

FileLock::~FileLock() {
    if (fd_ < 0)
        return;
    // Removed while still locked: whoever opened the old file before finds it gone once the
    // lock is theirs, and tries again on a new one.
    if (stillHolds())
        ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
}

FileLock::Outcome FileLock::tryLock() {
    if (fd_ >= 0)
        return Outcome::locked;
    const QByteArray name = QFile::encodeName(path_);
    for (;;) {
        // Without blocking: a pipe in its place is refused below, not waited on. A new one
        // is private like the file it guards, whatever the umask: one the umask left
        // unwritable would keep everyone out once its holder died without removing it.
        const int flags = O_RDWR | O_CLOEXEC | O_NONBLOCK;
        int fd = ::open(name.constData(), flags | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            ::fchmod(fd, 0600);
        } else if (errno == EEXIST) {
            fd = ::open(name.constData(), flags);
            if (fd < 0 && errno == ENOENT)
                continue; // removed by its holder between the two opens
        }
        if (fd < 0) {
            error_ = QString::fromLocal8Bit(std::strerror(errno));
            return Outcome::failed;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            error_ = RegularFile::notRegular(opened.st_mode);
            ::close(fd);
            return Outcome::failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int code = errno;
            ::close(fd);
            if (code == EWOULDBLOCK)
                return Outcome::held;
            if (code == EINTR)
                continue;
            error_ = QString::fromLocal8Bit(std::strerror(code));
            return Outcome::failed;
        }
        // The holder before may have removed the file between our open and our lock: the lock
        // is then on a file nobody else will ever open.
        if (!sameFile(fd, name)) {
            ::close(fd);
            continue;
        }
        fd_ = fd;
        break;
    }
    // The same form as Qt's lock files: process id, program, host.
    const QByteArray info = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                            QCoreApplication::applicationName().toUtf8() + '\n' +
                            QSysInfo::machineHostName().toUtf8() + '\n';
    if (::ftruncate(fd_, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd_, info.constData(), info.size(), 0);
    }
    return Outcome::locked;
}

FileLock::Outcome FileLock::lock(int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    unsigned long napMs = 1;
    for (;;) {
        const Outcome outcome = tryLock();
        if (outcome != Outcome::held || deadline.hasExpired())
            return outcome;
        QThread::msleep(napMs);
        napMs = qMin<unsigned long>(napMs * 2, 16);
    }
}

bool FileLock::stillHolds() const {
    return fd_ >= 0 && sameFile(fd_, QFile::encodeName(path_));
}

qint64 FileLock::holder() const {
    QFile file;
    if (RegularFile::open(file, path_) != RegularFile::Outcome::opened)
        return 0;
    bool number = false;
    const qint64 pid = file.readLine(32).trimmed().toLongLong(&number);
    return number && pid > 0 ? pid : 0;
}
