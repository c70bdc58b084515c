#include "intents/RequestChannel.h"

#include "platform/AppPaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

QString runtimeFolder() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(xdg).isDir())
        return xdg;
    // The temporary folder is shared by every user: keep the socket in a folder only this user
    // can enter.
    const QString folder =
        QDir(QDir::tempPath()).filePath(QStringLiteral("tallybird-%1").arg(::getuid()));
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A folder of that name made by someone else is not used; the data folder is ours.
    if (QFileInfo(folder).ownerId() != ::getuid())
        return AppPaths::dataDir();
    return folder;
}

} // namespace

QString RequestChannel::serverName() {
    const QString data = QDir(AppPaths::dataDir()).canonicalPath();
    const QByteArray digest =
        QCryptographicHash::hash(data.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QDir(runtimeFolder())
        .filePath(QStringLiteral("tallybird-") + QString::fromLatin1(digest) +
                  QStringLiteral(".sock"));
}
