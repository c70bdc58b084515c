// The journal of the sending under way: appended as sync goes, read whole at start.
#include "SendingJournal.h"

#include "platform/DurableFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll();
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
    ::unlink(QFile::encodeName(path_).constData());
}

// Opens the file for appending; a line an earlier program left unfinished is cut off first, so
// that the next entry starts a line of its own.
bool SendingJournal::open() {
    if (fd_ >= 0)
        return true;
    fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC,
                 S_IRUSR | S_IWUSR);
    if (fd_ < 0)
        return false;
    struct stat info {};
    char last = '\n';
    if (::fstat(fd_, &info) != 0 ||
        (info.st_size > 0 && ::pread(fd_, &last, 1, info.st_size - 1) != 1)) {
        close();
        return false;
    }
    // A file just made: its name lasts through a power cut once its first entry is flushed.
    if (info.st_size == 0)
        DurableFile::syncFolderOf(path_);
    if (last == '\n')
        return true;
    QFile file(path_);
    qsizetype whole = 0;
    if (file.open(QIODevice::ReadOnly))
        whole = file.readAll().lastIndexOf('\n') + 1;
    if (::ftruncate(fd_, off_t(whole)) != 0) {
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
