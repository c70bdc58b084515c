#include "UnreadableCopies.h"

#include "platform/DurableFile.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString prefix(const QString& storeFile) {
    return QFileInfo(storeFile).fileName() + QStringLiteral(".unreadable-");
}

} // namespace

QStringList UnreadableCopies::copies(const QString& storeFile) {
    const QFileInfo info(storeFile);
    QDir folder = info.absoluteDir();
    // Fixed-width time stamps make name order the order in which copies were taken; a copy
    // taken in the same millisecond as another gets "-1", "-2", ... which sorts after it.
    QStringList names =
        folder.entryList({prefix(storeFile) + QStringLiteral("*")}, QDir::Files, QDir::Name);
    for (QString& name : names)
        name = folder.filePath(name);
    return names;
}

namespace {

QByteArray bytesOf(const QString& path) {
    return RegularFile::read(path).value_or(QByteArray());
}

// A copy already holding exactly these bytes.
std::optional<QString> sameCopy(const QString& storeFile) {
    const qint64 size = QFileInfo(storeFile).size();
    std::optional<QByteArray> bytes;
    for (const QString& copy : UnreadableCopies::copies(storeFile)) {
        if (QFileInfo(copy).size() != size)
            continue;
        if (!bytes)
            bytes = bytesOf(storeFile);
        if (bytesOf(copy) == *bytes)
            return copy;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> UnreadableCopies::keepCopy(const QString& storeFile, Date now) {
    if (!QFile::exists(storeFile))
        return QString();
    if (std::optional<QString> same = sameCopy(storeFile))
        return same;
    const QString stamp =
        now.toQDateTime().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'"));
    const QString base = storeFile + QStringLiteral(".unreadable-") + stamp;
    QString target = base;
    for (int n = 1; QFile::exists(target); ++n)
        target = base + QStringLiteral("-") + QString::number(n);
    // Never a part of the bytes under the copy's name, even when the disk fills up.
    if (!DurableFile::copy(storeFile, target))
        return std::nullopt;

    // The copy just taken is never the one to go, even when older copies carry later time
    // stamps because the clock was set back since.
    const QString taken = QFileInfo(target).fileName();
    QStringList older = copies(storeFile);
    older.removeIf([&](const QString& copy) { return QFileInfo(copy).fileName() == taken; });
    for (qsizetype i = 0; i + kept <= older.size(); ++i)
        QFile::remove(older[i]);
    return target;
}
