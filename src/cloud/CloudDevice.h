#pragma once

#include "Container.h"
#include "Database.h"

#include <QString>

#include <memory>

namespace cloud {

// This program's way into the cloud: one device (a data folder) of one container, a file or a
// server. Two copies of the program with different data folders are two devices and sync with
// each other.
class CloudDevice {
public:
    CloudDevice(std::shared_ptr<Container> container, QString deviceID);

    // "tallybird-cloud/container.sqlite" in the XDG data home; the same for every profile.
    static QString defaultContainerPath();
    // A device is named by the absolute, clean path of its data folder.
    static QString deviceIDForFolder(const QString& dataFolder);
    // On a server that many machines reach, the folder's name is prefixed with this machine's
    // id, so the same folder on two machines is two devices; in a file it is the folder alone.
    static QString deviceID(const QString& location, const QString& dataFolder);
    // Opens the container at `location` and names the device by its folder: a container file
    // (made when needed), or a PostgreSQL server (a postgresql:// URI), which is connected to
    // when first used.
    static Result<CloudDevice> open(const QString& location, const QString& dataFolder,
                                    int busyTimeoutMs = Container::defaultBusyTimeoutMs);

    const std::shared_ptr<Container>& container() const { return container_; }
    const QString& deviceID() const { return deviceID_; }
    Database privateCloudDatabase() const;
    Database sharedCloudDatabase() const;
    Database database(DatabaseScope scope) const;

private:
    std::shared_ptr<Container> container_;
    QString deviceID_;
};

} // namespace cloud
