// Choosing the folder and name of the program's sockets.
#include "intents/RequestChannel.h"

#include "platform/AppPaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The longest path a socket's address holds, without its closing NUL.
constexpr qsizetype longestSocketPath = qsizetype(sizeof(sockaddr_un::sun_path)) - 1;

QString socketIn(const QString& folder) {
    const QString data = QDir(AppPaths::dataDir()).canonicalPath();
    const QByteArray digest =
        QCryptographicHash::hash(data.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QDir(folder).filePath(QStringLiteral("tallybird-") + QString::fromLatin1(digest) +
                                 QStringLiteral(".sock"));
}

bool fits(const QString& socket) {
    return QFile::encodeName(socket).size() + RequestChannel::longestSuffix <= longestSocketPath;
}

QString refused(const QString& folder, const QString& why) {
    return QStringLiteral("Tallybird cannot listen for requests: the folder “%1” it keeps its "
                          "sockets in %2, so it was left as it is. Remove it, or set "
                          "XDG_RUNTIME_DIR to a folder of your own.")
        .arg(folder, why);
}

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Makes or checks this user's folder under the shared temporary folder, where anyone may have
// put something of that name first: a link to another user's folder, or a folder of theirs.
// Nothing is changed until the folder is known to be this user's own: it is looked at without
// following a link, then opened the same way and looked at again through the descriptor, which
// is what any change goes through. The error, or nothing when the folder is fit to use.
std::optional<QString> ensureOwnFolder(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return refused(folder, QStringLiteral("cannot be made (%1)").arg(systemError(errno)));
    struct stat named {};
    if (::lstat(name.constData(), &named) != 0)
        return refused(folder, QStringLiteral("cannot be read (%1)").arg(systemError(errno)));
    if (const QString why = RequestChannel::refusal(named, ::getuid()); !why.isEmpty())
        return refused(folder, why);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return refused(folder, QStringLiteral("cannot be opened (%1)").arg(systemError(errno)));
    struct stat opened {};
    std::optional<QString> error;
    if (::fstat(fd, &opened) != 0) {
        error = refused(folder, QStringLiteral("cannot be read (%1)").arg(systemError(errno)));
    } else if (opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        error = refused(folder, QStringLiteral("was replaced while it was looked at"));
    } else if (const QString why = RequestChannel::refusal(opened, ::getuid()); !why.isEmpty()) {
        error = refused(folder, why);
    } else if ((opened.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        // Ours, but open to others: nobody else may put a socket in it.
        error = refused(
            folder, QStringLiteral("cannot be closed to other users (%1)").arg(systemError(errno)));
    }
    ::close(fd);
    return error;
}

} // namespace

QString RequestChannel::refusal(const struct stat& info, uid_t user) {
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("is a symbolic link");
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("is not a folder");
    if (info.st_uid != user)
        return QStringLiteral("belongs to another user (%1)").arg(info.st_uid);
    return QString();
}

RequestChannel::Place RequestChannel::place() {
    // The session's runtime folder is this user's own, made by the system.
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(xdg).isDir()) {
        const QString socket = socketIn(xdg);
        if (fits(socket))
            return {socket, QString()};
    }
    // The temporary folder is shared by every user: the socket goes in a folder only this
    // user can enter. Its path is short unless the temporary folder's is not.
    const QString folder =
        QDir(QDir::tempPath()).filePath(QStringLiteral("tallybird-%1").arg(::getuid()));
    const QString socket = socketIn(folder);
    if (!fits(socket))
        return {QString(),
                QStringLiteral("Tallybird cannot listen for requests: the path of its socket, "
                               "“%1”, is longer than a socket's address can hold (%2 bytes). "
                               "Set XDG_RUNTIME_DIR or TMPDIR to a folder with a shorter path.")
                    .arg(socket)
                    .arg(longestSocketPath - longestSuffix)};
    if (const std::optional<QString> error = ensureOwnFolder(folder))
        return {QString(), *error};
    return {socket, QString()};
}

QString RequestChannel::serverName() {
    return place().serverName;
}
