// Waiting in line for the store file.
#include "intents/StoreTurn.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace {
// How often a waiting process asks whether it may stop waiting.
constexpr qint64 stopCheckMs = 200;
} // namespace

StoreTurn::~StoreTurn() {
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

std::unique_ptr<StoreTurn> StoreTurn::take(const QString& storeFile, const QDeadlineTimer& deadline,
                                           const std::function<bool()>& stopWaiting) {
    const QByteArray path = QFile::encodeName(storeFile + QStringLiteral(".turn"));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A folder that takes no file has no line to wait in, and no store anyone can write
    // either: the turn is given at once, and opening the store says what is wrong.
    if (fd < 0)
        return std::unique_ptr<StoreTurn>(new StoreTurn(-1));
    QElapsedTimer sinceCheck;
    sinceCheck.start();
    // Short naps at first, longer ones while the line is long; the holder keeps the processor.
    unsigned long napMs = 1;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return std::unique_ptr<StoreTurn>(new StoreTurn(fd));
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (deadline.hasExpired())
            break;
        if (stopWaiting && sinceCheck.elapsed() >= stopCheckMs) {
            if (stopWaiting())
                break;
            sinceCheck.restart();
        }
        QThread::msleep(napMs);
        napMs = qMin<unsigned long>(napMs * 2, 16);
    }
    ::close(fd);
    return nullptr;
}
