#include "AppPaths.h"

#include "PrivateFolder.h"

#include <QDir>
#include <QStandardPaths>

#include <mutex>

namespace {
std::mutex profileMutex;
QString profileDir;

// A folder made here holds a person's lists and settings: it is made for them alone.
QString ensured(const QString& dir) {
    PrivateFolder::make(dir);
    return dir;
}

QString underXdg(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location) + QStringLiteral("/tallybird");
}
} // namespace

void AppPaths::setProfile(const QString& dir) {
    std::lock_guard lock(profileMutex);
    profileDir = dir.isEmpty() ? QString() : QDir(dir).absolutePath();
}

QString AppPaths::profile() {
    std::lock_guard lock(profileMutex);
    return profileDir;
}

QString AppPaths::dataDir() {
    const QString p = profile();
    return ensured(p.isEmpty() ? underXdg(QStandardPaths::GenericDataLocation) : p);
}

QString AppPaths::configDir() {
    const QString p = profile();
    return ensured(p.isEmpty() ? underXdg(QStandardPaths::GenericConfigLocation) : p);
}

QString AppPaths::cacheDir() {
    const QString p = profile();
    return ensured(p.isEmpty() ? underXdg(QStandardPaths::GenericCacheLocation)
                               : p + QStringLiteral("/cache"));
}
