// Where changes that could not be saved are kept, and finding them again.
#include "UnsavedCopies.h"

#include "ListStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

struct Place {
    QDir folder;
    QString prefix;
};

// Beside the store first; the home folder when the store's folder takes no file.
QList<Place> places(const QString& storeFile) {
    const QFileInfo store(storeFile);
    const QByteArray digest =
        QCryptographicHash::hash(store.absoluteFilePath().toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(12);
    return {
        {store.absoluteDir(), store.fileName() + QStringLiteral(".unsaved-")},
        {QDir(QDir::homePath()),
         QStringLiteral("tallybird-unsaved-") + QString::fromLatin1(digest) + QLatin1Char('-')},
    };
}

} // namespace

std::optional<QString> UnsavedCopies::keep(const ListStore& store, Date now, QString* error) {
    const QString stamp =
        now.toQDateTime().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'"));
    QStringList reasons;
    for (const Place& place : places(store.fileURL())) {
        const QString base = place.folder.filePath(place.prefix + stamp);
        QString target = base;
        for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
            target = base + QLatin1Char('-') + QString::number(n);
        QString reason;
        if (store.writeCopy(target, &reason))
            return target;
        reasons.append(reason);
    }
    *error = reasons.join(QLatin1Char(' '));
    return std::nullopt;
}

QStringList UnsavedCopies::copies(const QString& storeFile) {
    QStringList found;
    for (const Place& place : places(storeFile)) {
        // Fixed-width time stamps make name order the order in which copies were kept.
        const QStringList names = place.folder.entryList({place.prefix + QStringLiteral("*")},
                                                         QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& name : names)
            found.append(place.folder.filePath(name));
    }
    return found;
}
