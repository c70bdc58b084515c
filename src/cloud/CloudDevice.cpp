// Opening the container as this profile's device, and the id the device goes by.
#include "CloudDevice.h"

#include "platform/DurableFile.h"
#include "platform/PrivateFolder.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace cloud {

CloudDevice::CloudDevice(std::shared_ptr<Container> container, QString deviceID)
    : container_(std::move(container)), deviceID_(std::move(deviceID)) {}

QString CloudDevice::defaultContainerPath() {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(dataHome).filePath(QStringLiteral("tallybird-cloud/container.sqlite"));
}

QString CloudDevice::keptIDFile(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("cloud-device-id"));
}

QString CloudDevice::reachedFilesFile(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("cloud-container-files"));
}

QString CloudDevice::folderPathID(const QString& dataFolder) {
    return QDir::cleanPath(QFileInfo(dataFolder).absoluteFilePath());
}

QString CloudDevice::deviceID(const QString& location, const QString& keptID) {
    if (!Container::isServerLocation(location))
        return keptID;
    QString machine = QString::fromLatin1(QSysInfo::machineUniqueId());
    if (machine.isEmpty())
        machine = QSysInfo::machineHostName();
    return machine + QLatin1Char(':') + keptID;
}

namespace {

// Far more than an id takes, and little enough to read whatever stands there.
constexpr qint64 longestKeptFile = 4096;

// The longest id a profile keeps, in UTF-8 bytes, so that a server can keep every one. The
// server indexes its devices by their role and id together: a B-tree entry holds at most 2704
// bytes, so 2628 of them for the id beside a role's name (at most 63 bytes) and the entry's own
// headers, and the id it is sent is this machine's (a machine id or a host name, at most 64
// bytes), a colon and the kept id.
constexpr qsizetype longestID = 2048;

// About the profile's file, not the container: the container's usual words would mislead.
CloudError keptIDError(const QString& file, const QString& why) {
    CloudError error;
    error.code = CloudError::Code::internalError;
    error.message = QStringLiteral("The id of this device, kept in “%1”, %2.").arg(file, why);
    return error;
}

// One line of printable text, as keep() writes it.
std::optional<QString> idIn(const QByteArray& bytes) {
    QByteArray line = bytes;
    if (line.endsWith('\n'))
        line.chop(1);
    const QString id = QString::fromUtf8(line);
    if (id.isEmpty() || id.toUtf8() != line)
        return std::nullopt;
    const bool printable = std::all_of(id.cbegin(), id.cend(), [](QChar c) {
        return c.isPrint() && c.category() != QChar::Separator_Line &&
               c.category() != QChar::Separator_Paragraph;
    });
    return printable ? std::optional(id) : std::nullopt;
}

// Keeps `id` in the folder unless an id is kept there already, and returns the one kept. The
// file appears whole or not at all: it is written under a name of its own first and then
// linked to its place, which a file already there refuses.
Result<QString> keep(const QString& dataFolder, const QString& id) {
    const QString file = CloudDevice::keptIDFile(dataFolder);
    QString error;
    if (!PrivateFolder::make(dataFolder, &error))
        return keptIDError(file, QStringLiteral("cannot be made: %1").arg(error));
    const QString draft = file + QStringLiteral(".") + QUuid::createUuid().toString(QUuid::Id128);
    if (!DurableFile::replace(draft, (id + QLatin1Char('\n')).toUtf8(), &error))
        return keptIDError(file, QStringLiteral("cannot be written: %1").arg(error));
    const int linked =
        ::link(QFile::encodeName(draft).constData(), QFile::encodeName(file).constData());
    const int linkError = errno;
    QFile::remove(draft);
    if (linked != 0 && linkError != EEXIST)
        return keptIDError(file, QStringLiteral("cannot be written: %1")
                                     .arg(QString::fromLocal8Bit(std::strerror(linkError))));
    // Another process of the same profile may have kept its own first: that one counts.
    Result<std::optional<QString>> kept = CloudDevice::keptID(dataFolder);
    if (!kept.ok())
        return kept.error();
    if (!kept.value())
        return keptIDError(file, QStringLiteral("was gone as soon as it was written"));
    return *kept.value();
}

// Far more than the paths of the container files one profile reaches take.
constexpr qint64 longestReachedFiles = 1 << 20;

// The container files the device of `dataFolder` has reached. None when the list cannot be
// read: a device that cannot tell makes its container as it always did.
QStringList reachedFiles(const QString& dataFolder) {
    const std::optional<QByteArray> bytes =
        RegularFile::read(CloudDevice::reachedFilesFile(dataFolder), nullptr, longestReachedFiles);
    return bytes ? QString::fromUtf8(*bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                 : QStringList();
}

// Adds `path` to the files the device has reached. A list that cannot be written, or a path
// lost to another process adding its own at once, only leaves that file to be made again
// should it go.
void noteReached(const QString& dataFolder, QStringList reached, const QString& path) {
    if (path.contains(QLatin1Char('\n')))
        return;
    reached.append(path);
    DurableFile::replace(CloudDevice::reachedFilesFile(dataFolder),
                         (reached.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

// Whether nothing at all is at `path`, not even a folder above it; a link to nothing counts as
// nothing. A file that cannot be looked at is left for the opening to say why.
bool nothingAt(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) != 0 &&
           (errno == ENOENT || errno == ENOTDIR);
}

// About the file the profile synced with: where it was, and the two ways on.
CloudError containerGone(const QString& path) {
    CloudError error;
    error.code = CloudError::Code::internalError;
    error.message = QStringLiteral("The cloud container “%1” cannot be found: this device has "
                                   "synced with it, so it makes no new one in its place. Put the "
                                   "file back, or make a new container there with "
                                   "“tallybird-cloud --cloud %1 init”.")
                        .arg(path);
    return error;
}

} // namespace

Result<std::optional<QString>> CloudDevice::keptID(const QString& dataFolder) {
    const QString file = keptIDFile(dataFolder);
    QString error;
    const std::optional<QByteArray> bytes = RegularFile::read(file, &error, longestKeptFile);
    if (!bytes) {
        // A link to nothing is no file to read, and stands where one would be kept.
        if (const QFileInfo link(file); error.isEmpty() && link.isSymLink())
            return keptIDError(file, QStringLiteral("is a symbolic link to “%1”, where there is "
                                                    "no file")
                                         .arg(link.symLinkTarget()));
        if (error.isEmpty())
            return std::optional<QString>();
        return keptIDError(file, QStringLiteral("cannot be read: %1").arg(error));
    }
    std::optional<QString> id = idIn(*bytes);
    if (!id)
        return keptIDError(file, QStringLiteral("is not one line of text"));
    if (const qsizetype size = id->toUtf8().size(); size > longestID)
        return keptIDError(file, QStringLiteral("is %1 bytes long, and a cloud server keeps "
                                                "one of at most %2 bytes")
                                     .arg(size)
                                     .arg(longestID));
    return id;
}

Result<QString> CloudDevice::deviceIDForProfile(Container& container, const QString& location,
                                                const QString& dataFolder) {
    Result<std::optional<QString>> kept = keptID(dataFolder);
    if (!kept.ok())
        return kept.error();
    if (kept.value())
        return deviceID(location, *kept.value());
    // The first time this profile reaches a container since devices keep their id: one that
    // knows it by its folder's path goes on knowing it so, signed in and synced as it was.
    Result<std::vector<DeviceRow>> devices = container.devices();
    if (!devices.ok())
        return devices.error();
    const QString oldName = folderPathID(dataFolder);
    // A name too long to keep is given up for a new one.
    const bool known =
        oldName.toUtf8().size() <= longestID &&
        std::any_of(devices.value().cbegin(), devices.value().cend(),
                    [&](const DeviceRow& row) { return row.id == deviceID(location, oldName); });
    Result<QString> made =
        keep(dataFolder, known ? oldName : QUuid::createUuid().toString(QUuid::WithoutBraces));
    if (!made.ok())
        return made.error();
    return deviceID(location, made.value());
}

Result<CloudDevice> CloudDevice::open(const QString& location, const QString& dataFolder,
                                      int busyTimeoutMs) {
    std::shared_ptr<Container> container;
    // A container file this device has not reached before, to be noted once it has.
    std::optional<QString> newFile;
    QStringList reached;
    if (Container::isServerLocation(location)) {
        auto opened = Container::openServer(location, busyTimeoutMs);
        if (!opened.ok())
            return opened.error();
        container = opened.value();
    } else {
        const QFileInfo file(location);
        const QString path = QDir::cleanPath(file.absoluteFilePath());
        reached = reachedFiles(dataFolder);
        const bool reachedBefore = reached.contains(path);
        if (reachedBefore && nothingAt(path))
            return containerGone(path);
        // The container holds the person's lists: its folder is theirs alone.
        if (!PrivateFolder::make(file.absolutePath()))
            return CloudError::make(CloudError::Code::internalError,
                                    QStringLiteral("Cannot create %1.").arg(file.absolutePath()));
        // Made only by a device that has not synced with one there: the file may go between
        // the look and the opening.
        auto opened = Container::openFile(path, busyTimeoutMs, !reachedBefore);
        if (!opened.ok())
            return opened.error();
        container = opened.value();
        if (!reachedBefore)
            newFile = path;
    }
    Result<QString> id = deviceIDForProfile(*container, location, dataFolder);
    if (!id.ok())
        return id.error();
    if (newFile)
        noteReached(dataFolder, reached, *newFile);
    return CloudDevice(container, id.value());
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
