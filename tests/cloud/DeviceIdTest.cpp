// The id a profile's device goes by in a container: kept in the profile, naming no path, the
// same for every process of the profile, and the folder's old name for a device a container
// already knows by it.
#include "TestSupport.h"

#include "support/FileBytes.h"
#include "support/PostgresTestServer.h"

#include "cloud/CloudDevice.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>
#include <vector>

using namespace cloudtest;

namespace {

using testsupport::bytesOf;

// Whether `id` names any part of `folder`'s path.
bool namesPath(const QString& id, const QString& folder) {
    const QStringList parts = folder.split(u'/', Qt::SkipEmptyParts);
    return id.contains(u'/') || std::any_of(parts.cbegin(), parts.cend(),
                                            [&](const QString& p) { return id.contains(p); });
}

class DeviceId : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }

    QString containerPath() const { return dir.filePath(QStringLiteral("c.sqlite")); }
    QString profile(const QString& name) const {
        return dir.filePath(QStringLiteral("home/") + name + QStringLiteral("/tallybird-data"));
    }
    QString idOf(const QString& folder) {
        auto device = CloudDevice::open(containerPath(), folder);
        EXPECT_TRUE(device.ok()) << device.error().message.toStdString();
        return device.ok() ? device.value().deviceID() : QString();
    }

    QTemporaryDir dir;
};

TEST_F(DeviceId, ANewProfileGoesByAnIdThatNamesNoPathAndKeepsItWhereverItMoves) {
    const QString ann = profile(QStringLiteral("ann"));
    const QString id = idOf(ann);
    EXPECT_FALSE(namesPath(id, ann)) << id.toStdString();
    EXPECT_EQ(bytesOf(CloudDevice::keptIDFile(ann)), id.toUtf8() + "\n");
    EXPECT_EQ(idOf(ann), id) << "every later process of the profile";

    const QString bob = profile(QStringLiteral("bob"));
    EXPECT_NE(idOf(bob), id) << "another profile is another device";

    // The profile folder moved (a new home folder): the same device, still signed in.
    auto container = Container::openFile(containerPath()).value();
    ASSERT_FALSE(container->createUser(QStringLiteral("ann"), std::nullopt));
    ASSERT_FALSE(container->signIn(id, QStringLiteral("ann")));
    const QString moved = profile(QStringLiteral("ann-lee"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(moved).absolutePath()));
    ASSERT_TRUE(QDir().rename(ann, moved));
    EXPECT_EQ(idOf(moved), id);
    EXPECT_EQ(container->currentUser(id).value(), QStringLiteral("ann"));
    const Result<std::vector<DeviceRow>> devices = container->devices();
    ASSERT_TRUE(devices.ok());
    for (const DeviceRow& row : devices.value())
        EXPECT_FALSE(row.id.contains(dir.path())) << row.id.toStdString();
}

TEST_F(DeviceId, AProfileTheContainerKnowsByItsFolderKeepsThatNameWithItsSignIn) {
    // What an earlier Tallybird left: the device named by its folder, signed into Sam.
    const QString sam = profile(QStringLiteral("sam"));
    const QString oldName = CloudDevice::folderPathID(sam);
    auto container = Container::openFile(containerPath()).value();
    ASSERT_FALSE(container->createUser(QStringLiteral("sam"), std::nullopt));
    ASSERT_FALSE(container->signIn(oldName, QStringLiteral("sam")));

    EXPECT_EQ(idOf(sam), oldName);
    EXPECT_EQ(container->currentUser(oldName).value(), QStringLiteral("sam"));
    // Kept, so that it is never looked up again and the tool finds the same device.
    EXPECT_EQ(bytesOf(CloudDevice::keptIDFile(sam)), oldName.toUtf8() + "\n");
    EXPECT_EQ(container->devices().value().size(), size_t(1));
}

TEST_F(DeviceId, ProcessesOfANewProfileOpeningAtOnceAllGoByOneId) {
    const QString folder = profile(QStringLiteral("ann"));
    std::vector<QString> ids(8);
    std::vector<std::thread> openers;
    for (QString& id : ids)
        openers.emplace_back([&, slot = &id] {
            auto device = CloudDevice::open(containerPath(), folder);
            if (device.ok())
                *slot = device.value().deviceID();
        });
    for (std::thread& opener : openers)
        opener.join();
    EXPECT_EQ(std::set<QString>(ids.cbegin(), ids.cend()).size(), size_t(1));
    EXPECT_FALSE(ids.front().isEmpty());
    EXPECT_EQ(
        QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
        (QStringList{QStringLiteral("cloud-container-files"), QStringLiteral("cloud-device-id")}))
        << "no draft is left behind";
}

TEST_F(DeviceId, AKeptIdThatCannotBeReadIsAnErrorThatNamesItsFileAndIsLeftAsItIs) {
    enum class Kind { bytes, folder, linkToNothing };
    const struct {
        const char* what;
        QByteArray bytes;
        Kind kind;
        QString says; // what is wrong with the file
    } cases[] = {
        {"an empty file", "", Kind::bytes, "is not one line of text"},
        {"two lines", "one\ntwo\n", Kind::bytes, "is not one line of text"},
        {"a control character", "id\x1b[2J\n", Kind::bytes, "is not one line of text"},
        {"not UTF-8", "\xff\xfe\n", Kind::bytes, "is not one line of text"},
        {"a folder", "", Kind::folder, "cannot be read: file to open is a directory"},
        {"a symbolic link to nothing", "", Kind::linkToNothing, "is a symbolic link to “"},
        {"an id longer than a server keeps", QByteArray(4000, 'x') + "\n", Kind::bytes,
         "is 4000 bytes long, and a cloud server keeps one of at most 2048 bytes"},
        {"an id longer than a server keeps in two-byte characters",
         QString(1025, QChar(0xe9)).toUtf8() + "\n", Kind::bytes, "is 2050 bytes long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = profile(QString::fromUtf8(c.what));
        const QString file = CloudDevice::keptIDFile(folder);
        ASSERT_TRUE(QDir().mkpath(folder));
        switch (c.kind) {
        case Kind::folder:
            ASSERT_TRUE(QDir().mkpath(file));
            break;
        case Kind::linkToNothing:
            ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("elsewhere/id")), file));
            break;
        case Kind::bytes: {
            QFile kept(file);
            ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
            kept.write(c.bytes);
        } break;
        }
        auto device = CloudDevice::open(containerPath(), folder);
        ASSERT_FALSE(device.ok());
        const QString& message = device.error().message;
        EXPECT_TRUE(message.contains(file)) << message.toStdString();
        EXPECT_TRUE(message.contains(c.says)) << message.toStdString();
        if (c.kind == Kind::bytes) {
            EXPECT_EQ(bytesOf(file), c.bytes);
        }
        if (c.kind == Kind::linkToNothing) {
            EXPECT_TRUE(message.contains(dir.filePath(QStringLiteral("elsewhere/id"))))
                << message.toStdString();
            EXPECT_TRUE(QFileInfo(file).isSymLink());
            EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("elsewhere/id"))));
        }
    }
}

// On a server each person is a role: Ann's device that the server knows by its machine and
// folder keeps that name, while Bob's new one names neither his folder nor anything of Ann's.
TEST_F(DeviceId, OnAServerAKnownDeviceKeepsItsNameAndANewOneNamesNoPath) {
    TALLYBIRD_REQUIRE_POSTGRES();
    testsupport::PostgresTestDatabase db;
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    db.addPerson(QStringLiteral("ann"));
    db.addPerson(QStringLiteral("bob"));
    const QString annFolder = profile(QStringLiteral("ann"));
    const QString bobFolder = profile(QStringLiteral("bob"));
    const QString annOldName =
        CloudDevice::deviceID(db.uri("ann"), CloudDevice::folderPathID(annFolder));
    // Ann's device as an earlier Tallybird made it, through her role.
    auto annContainer = Container::openServer(db.uri("ann")).value();
    ASSERT_EQ(annContainer->currentUser(annOldName).value(), QStringLiteral("ann"));

    auto ann = CloudDevice::open(db.uri("ann"), annFolder);
    ASSERT_TRUE(ann.ok()) << ann.error().message.toStdString();
    EXPECT_EQ(ann.value().deviceID(), annOldName);
    auto bob = CloudDevice::open(db.uri("bob"), bobFolder);
    ASSERT_TRUE(bob.ok()) << bob.error().message.toStdString();
    EXPECT_FALSE(namesPath(bob.value().deviceID().section(u':', 1), bobFolder))
        << bob.value().deviceID().toStdString();
    EXPECT_EQ(bob.value().container()->currentUser(bob.value().deviceID()).value(),
              QStringLiteral("bob"));
    EXPECT_EQ(db.value("SELECT count(*) FROM tallybird.devices WHERE id LIKE '%/%'"),
              QStringLiteral("1"))
        << "only Ann's known device names a folder";
}

// Every id a profile keeps fits the server's index of devices, however little it compresses.
TEST_F(DeviceId, OnAServerTheLongestIdAProfileKeepsIsKept) {
    TALLYBIRD_REQUIRE_POSTGRES();
    testsupport::PostgresTestDatabase db;
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    db.addPerson(QStringLiteral("ann"));
    const QString folder = profile(QStringLiteral("ann"));
    QRandomGenerator random(7);
    const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_.~");
    QString id;
    while (id.size() < 2048)
        id += letters.at(random.bounded(letters.size()));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile kept(CloudDevice::keptIDFile(folder));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write(id.toUtf8() + "\n");
    kept.close();

    auto ann = CloudDevice::open(db.uri("ann"), folder);
    ASSERT_TRUE(ann.ok()) << ann.error().message.toStdString();
    EXPECT_TRUE(ann.value().deviceID().endsWith(id));
    const auto user = ann.value().container()->currentUser(ann.value().deviceID());
    ASSERT_TRUE(user.ok()) << user.error().message.toStdString();
    EXPECT_EQ(user.value(), QStringLiteral("ann"));
}

} // namespace
