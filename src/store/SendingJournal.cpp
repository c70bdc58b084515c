// The journal of the sending under way: appended as sync goes, read whole at start.
#include "SendingJournal.h"

#include "platform/DurableFile.h"
#include "platform/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

SendingJournal::SendingJournal(QString path) : path_(std::move(path)) {}

SendingJournal::~SendingJournal() {
    close();
}

QString SendingJournal::pathBeside(const QString& storePath) {
    return storePath + QStringLiteral(".sending");
}

std::vector<QByteArray> SendingJournal::read(const QString& path) {
    const QByteArray text = RegularFile::read(path, nullptr, std::numeric_limits<qint64>::max(),
                                              RegularFile::Links::refuse)
                                .value_or(QByteArray());
    std::vector<QByteArray> entries;
    qsizetype from = 0;
    // What follows the last line break is an append the program did not finish.
    for (qsizetype end = text.indexOf('\n'); end >= 0; end = text.indexOf('\n', from)) {
        if (end > from)
            entries.push_back(text.mid(from, end - from));
        from = end + 1;
    }
    return entries;
}

QString SendingJournal::notAJournal(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QString();
    return RegularFile::notRegular(info.st_mode);
}

bool SendingJournal::append(const QByteArray& entry, bool flush) {
    const std::lock_guard lock(mutex_);
    if (!open())
        return false;
    QByteArray line = entry;
    line += '\n';
    const char* data = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Whatever part of the line went in is cut off by the next append.
            close();
            return false;
        }
        data += n;
        left -= n;
    }
    return !flush || ::fdatasync(fd_) == 0;
}

void SendingJournal::remove() {
    const std::lock_guard lock(mutex_);
    close();
    if (notAJournal(path_).isEmpty())
        ::unlink(QFile::encodeName(path_).constData());
}

// Opens the file for appending; a line an earlier program left unfinished is cut off first, so
// that the next entry starts a line of its own. Only a regular file, reached without a link:
// opening a pipe would wait for a reader, and a link would have the entries go elsewhere.
bool SendingJournal::open() {
    if (fd_ >= 0)
        return true;
    fd_ = ::open(QFile::encodeName(path_).constData(),
                 O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY,
                 S_IRUSR | S_IWUSR);
    if (fd_ < 0)
        return false;
    struct stat info {};
    char last = '\n';
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) ||
        (info.st_size > 0 && ::pread(fd_, &last, 1, info.st_size - 1) != 1)) {
        close();
        return false;
    }
    // A file just made: its name lasts through a power cut once its first entry is flushed.
    if (info.st_size == 0)
        DurableFile::syncFolderOf(path_);
    if (last == '\n')
        return true;
    QByteArray text(qsizetype(info.st_size), '\0');
    if (::pread(fd_, text.data(), size_t(text.size()), 0) != ssize_t(text.size()) ||
        ::ftruncate(fd_, off_t(text.lastIndexOf('\n') + 1)) != 0) {
        close();
        return false;
    }
    return true;
}

void SendingJournal::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
