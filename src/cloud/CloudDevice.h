#pragma once

#include "Container.h"
#include "Database.h"

#include <QString>

#include <memory>
#include <optional>

namespace cloud {

// This program's way into the cloud: one device (a profile's data folder) of one container, a
// file or a server. Two copies of the program with different data folders are two devices and
// sync with each other.
//
// A device goes by an id its profile keeps in its data folder (keptIDFile()), made the first
// time the profile reaches a container: it names no path, so a container on a server that many
// people reach learns nothing of their folders, and a profile folder that moves stays the same
// device. Devices were once named by their folder's path; a profile that a container knows by
// that name keeps it, and with it its sign-in and what it has synced.
class CloudDevice {
public:
    CloudDevice(std::shared_ptr<Container> container, QString deviceID);

    // "tallybird-cloud/container.sqlite" in the XDG data home; the same for every profile.
    static QString defaultContainerPath();
    // The file in a data folder that keeps the id of its device.
    static QString keptIDFile(const QString& dataFolder);
    // The file in a data folder that names the container files its device has reached, one
    // absolute path a line.
    static QString reachedFilesFile(const QString& dataFolder);
    // The id kept in `dataFolder`: absent when none is kept yet; an error when the file is
    // there but cannot be read or holds no id, when a symbolic link to nothing stands in its
    // place, and when the id is longer than a cloud server keeps.
    static Result<std::optional<QString>> keptID(const QString& dataFolder);
    // The id the device of the profile whose data folder is `dataFolder` goes by in
    // `container`, at `location`: the one kept in the folder, or else one made and kept there
    // now, which is the folder's old name (folderPathID()) when the container knows a device
    // by it, and a new random id otherwise. Several processes asking at once for a profile
    // that keeps none yet are all given the same.
    static Result<QString> deviceIDForProfile(Container& container, const QString& location,
                                              const QString& dataFolder);
    // The name a device went by before its profile kept an id: the absolute, clean path of its
    // data folder.
    static QString folderPathID(const QString& dataFolder);
    // A device's id in the container at `location`, from the id its profile keeps. On a server
    // that many machines reach it is prefixed with this machine's id, so that one profile folder
    // shared by two machines is two devices; in a file it is the kept id alone.
    static QString deviceID(const QString& location, const QString& keptID);
    // Opens the container at `location` and names the device by the id its profile keeps: a
    // container file, or a PostgreSQL server (a postgresql:// URI), which is connected to when
    // first used, or at once when the profile keeps no id yet. A file that is not there is made,
    // unless this device has reached one there before (reachedFilesFile()): then it was moved
    // away or its disk is not there, and a new, empty container in its place would take this
    // device's lists as if it were the one they synced with. That is an error that names the
    // file, and nothing is made.
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
