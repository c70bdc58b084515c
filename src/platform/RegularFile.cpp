// Opening a file for reading only once it is known to be a regular file.
#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

QString RegularFile::notRegular(mode_t mode) {
    // The folder's wording is the one Qt uses for it, which the program has always shown.
    if (S_ISREG(mode))
        return QString();
    if (S_ISDIR(mode))
        return QStringLiteral("file to open is a directory");
    if (S_ISFIFO(mode))
        return QStringLiteral("file to open is a named pipe, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("file to open is a socket, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("file to open is a device, not a regular file");
    if (S_ISLNK(mode))
        return QStringLiteral("file to open is a symbolic link, not a regular file");
    return QStringLiteral("file to open is not a regular file");
}

RegularFile::Outcome RegularFile::open(QFile& file, const QString& path, QString* error,
                                       Links links) {
    QString ignored;
    QString& why = error ? *error : ignored;
    why.clear();
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened: opening a device can be noticed by its driver (a serial
    // line, a tape), and a pipe is better never held open.
    struct stat named {};
    const bool follow = links == Links::follow;
    if ((follow ? ::stat(name.constData(), &named) : ::lstat(name.constData(), &named)) != 0) {
        if (errno == ENOENT)
            return Outcome::missing;
        why = systemError(errno);
        return Outcome::refused;
    }
    if (!S_ISREG(named.st_mode)) {
        why = notRegular(named.st_mode);
        return Outcome::refused;
    }
    // Without blocking, in case a pipe took the file's place since: the open then returns at
    // once, and the descriptor shows what was opened.
    const int fd = ::open(name.constData(),
                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (follow ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        if (errno == ENOENT)
            return Outcome::missing;
        // A link that took the file's place since.
        if (errno == ELOOP && !follow) {
            why = notRegular(S_IFLNK);
            return Outcome::refused;
        }
        why = systemError(errno);
        return Outcome::refused;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) {
        why = systemError(errno);
        ::close(fd);
        return Outcome::refused;
    }
    if (!S_ISREG(opened.st_mode)) {
        why = notRegular(opened.st_mode);
        ::close(fd);
        return Outcome::refused;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        why = file.errorString();
        ::close(fd);
        return Outcome::refused;
    }
    return Outcome::opened;
}

std::optional<QByteArray> RegularFile::read(const QString& path, QString* error, qint64 limit,
                                            Links links) {
    QString ignored;
    QString& why = error ? *error : ignored;
    QFile file;
    if (open(file, path, &why, links) != Outcome::opened)
        return std::nullopt;
    const auto tooLong = [&] {
        why = QStringLiteral("the file is larger than %1 bytes").arg(limit);
        return std::nullopt;
    };
    if (file.size() > limit)
        return tooLong();
    // Read until the end, which may not be where the size said when the file grows meanwhile.
    QByteArray bytes;
    bytes.reserve(qsizetype(file.size()));
    for (;;) {
        const QByteArray chunk = file.read(1 << 20);
        if (file.error() != QFileDevice::NoError) {
            why = file.errorString();
            return std::nullopt;
        }
        if (chunk.isEmpty())
            return bytes;
        if (bytes.size() + chunk.size() > limit)
            return tooLong();
        bytes.append(chunk);
    }
}
