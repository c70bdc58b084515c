#include "CatchUpMark.h"

#include "platform/DurableFile.h"
#include "platform/RegularFile.h"

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
    if (expected.isEmpty())
        return false;
    // The mark is a line or two: anything longer, or not a file, is no mark.
    const std::optional<QByteArray> mark = RegularFile::read(markFile_, nullptr, 4096);
    return mark && QString::fromUtf8(*mark) == expected;
}

void CatchUpMark::record(const QString& containerMark) const {
    const QString content = contentFor(containerMark);
    // Not synced to the disk: a mark lost only brings one more catch-up. Replaced, never
    // opened in place, so that a pipe at its name is not waited on.
    if (content.isEmpty() ||
        !DurableFile::replace(markFile_, content.toUtf8(), nullptr, DurableFile::Sync::skip))
        forget();
}

void CatchUpMark::forget() const {
    QFile::remove(markFile_);
}
