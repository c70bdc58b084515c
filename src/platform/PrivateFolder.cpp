// Making folders for their owner only.
#include "PrivateFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isFolder(const QByteArray& name) {
    struct stat info {};
    return ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Sets the mode of a folder just made: mkdir's mode is cut by the umask. Through a descriptor
// of the folder itself, never a link put in its place meanwhile.
void makeOwnersOnly(const QByteArray& name) {
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 07777) != 0700)
        ::fchmod(fd, 0700);
    ::close(fd);
}

} // namespace

bool PrivateFolder::make(const QString& path, QString* error) {
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    if (isFolder(QFile::encodeName(absolute)))
        return true;
    // Each missing folder from the top down, so that every one made is made private.
    qsizetype from = 1;
    for (;;) {
        const qsizetype slash = absolute.indexOf(QLatin1Char('/'), from);
        const QString prefix = slash < 0 ? absolute : absolute.left(slash);
        const QByteArray name = QFile::encodeName(prefix);
        if (!prefix.isEmpty()) {
            if (::mkdir(name.constData(), 0700) == 0) {
                makeOwnersOnly(name);
            } else if (errno != EEXIST) {
                if (error)
                    *error = QString::fromLocal8Bit(std::strerror(errno));
                return false;
            }
        }
        if (slash < 0)
            break;
        from = slash + 1;
    }
    if (isFolder(QFile::encodeName(absolute)))
        return true;
    if (error)
        *error = QStringLiteral("it is not a folder");
    return false;
}
