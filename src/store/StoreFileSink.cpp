// The two ways the store file is replaced: durably with QSaveFile, and without fsync for tests.
#include "StoreFileSink.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString writeError(const QFileDevice& file) {
    return file.error() != QFileDevice::NoError ? file.errorString()
                                                : QStringLiteral("The store could not be encoded.");
}

class DurableSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        // QSaveFile writes a temporary file beside the target, syncs it to disk and only then
        // moves it over the old file.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            *error = file.errorString();
            return false;
        }
        if (!content(file)) {
            *error = writeError(file);
            file.cancelWriting();
            return false;
        }
        if (!file.commit()) {
            *error = file.errorString();
            return false;
        }
        return true;
    }
};

class UnsyncedSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        // QSaveFile always syncs; this is the same write and rename without it.
        QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
        file.setAutoRemove(false);
        if (!file.open()) {
            *error = file.errorString();
            return false;
        }
        const QString temporary = file.fileName();
        const bool written = content(file) && file.flush();
        if (!written)
            *error = writeError(file);
        file.close();
        if (written) {
            file.setPermissions(QFile::exists(path) ? QFileInfo(path).permissions()
                                                    : QFile::ReadOwner | QFile::WriteOwner |
                                                          QFile::ReadGroup | QFile::ReadOther);
            if (std::rename(QFile::encodeName(temporary).constData(),
                            QFile::encodeName(path).constData()) == 0)
                return true;
            *error = QString::fromLocal8Bit(std::strerror(errno));
        }
        QFile::remove(temporary);
        return false;
    }
};

} // namespace

std::shared_ptr<StoreFileSink> StoreFileSink::durable() {
    return std::make_shared<DurableSink>();
}

std::shared_ptr<StoreFileSink> StoreFileSink::unsynced() {
    return std::make_shared<UnsyncedSink>();
}
