#include "CloudDevice.h"

#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

namespace cloud {

CloudDevice::CloudDevice(std::shared_ptr<Container> container, QString deviceID)
    : container_(std::move(container)), deviceID_(std::move(deviceID)) {}

QString CloudDevice::defaultContainerPath() {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(dataHome).filePath(QStringLiteral("tallybird-cloud/container.sqlite"));
}

QString CloudDevice::deviceIDForFolder(const QString& dataFolder) {
    return QDir::cleanPath(QFileInfo(dataFolder).absoluteFilePath());
}

QString CloudDevice::deviceID(const QString& location, const QString& dataFolder) {
    if (!Container::isServerLocation(location))
        return deviceIDForFolder(dataFolder);
    QString machine = QString::fromLatin1(QSysInfo::machineUniqueId());
    if (machine.isEmpty())
        machine = QSysInfo::machineHostName();
    return machine + QLatin1Char(':') + deviceIDForFolder(dataFolder);
}

Result<CloudDevice> CloudDevice::open(const QString& location, const QString& dataFolder,
                                      int busyTimeoutMs) {
    if (Container::isServerLocation(location)) {
        auto container = Container::openServer(location, busyTimeoutMs);
        if (!container.ok())
            return container.error();
        return CloudDevice(container.value(), deviceID(location, dataFolder));
    }
    const QString& containerPath = location;
    const QFileInfo file(containerPath);
    // The container holds the person's lists: its folder is theirs alone.
    if (!PrivateFolder::make(file.absolutePath()))
        return CloudError::make(CloudError::Code::internalError,
                                QStringLiteral("Cannot create %1.").arg(file.absolutePath()));
    auto container = Container::openFile(file.absoluteFilePath(), busyTimeoutMs);
    if (!container.ok())
        return container.error();
    return CloudDevice(container.value(), deviceIDForFolder(dataFolder));
}

Database CloudDevice::privateCloudDatabase() const {
    return database(DatabaseScope::privateScope);
}

Database CloudDevice::sharedCloudDatabase() const {
    return database(DatabaseScope::sharedScope);
}

Database CloudDevice::database(DatabaseScope scope) const {
    return Database(container_, deviceID_, scope);
}

} // namespace cloud
