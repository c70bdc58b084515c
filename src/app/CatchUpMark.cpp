#include "CatchUpMark.h"

#include <QFile>

#include <sys/stat.h>

namespace {

// The store file's identity and version: replaced on every save, so a new inode or time.
QString fileStamp(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1 %2 %3 %4.%5")
        .arg(info.st_dev)
        .arg(info.st_ino)
        .arg(info.st_size)
        .arg(info.st_mtim.tv_sec)
        .arg(info.st_mtim.tv_nsec);
}

} // namespace

QString CatchUpMark::containerMark(const cloud::CloudDevice& device) {
    const cloud::Result<QString> mark = device.container()->changeMark(device.deviceID());
    return mark.ok() ? mark.value() : QString();
}

QString CatchUpMark::contentFor(const QString& containerMark) const {
    const QString store = fileStamp(storeFile_);
    if (containerMark.isEmpty() || store.isEmpty())
        return {};
    return containerMark + QLatin1Char('\n') + store + QLatin1Char('\n');
}

bool CatchUpMark::current(const QString& containerMark) const {
    const QString expected = contentFor(containerMark);
    QFile file(markFile_);
    if (expected.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    return QString::fromUtf8(file.readAll()) == expected;
}

void CatchUpMark::record(const QString& containerMark) const {
    const QString content = contentFor(containerMark);
    QFile file(markFile_);
    // Not kept durably: a mark lost or torn only brings one more catch-up.
    if (content.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QFile::remove(markFile_);
        return;
    }
    file.write(content.toUtf8());
}
