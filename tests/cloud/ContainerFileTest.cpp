#include "TestSupport.h"

#include "cloud/CloudDevice.h"
#include "cloud/MemoryStorage.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace cloudtest;
using Code = CloudError::Code;

namespace {

// Makes a container file holding one zone with one record, then closes it.
QString populatedFile(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("c.sqlite"));
    auto container = Container::openFile(path);
    EXPECT_TRUE(container.ok());
    auto& c = *container.value();
    c.modifyZones("d", DatabaseScope::privateScope, {zone("TB-1")}, {});
    for (int i = 0; i < 200; ++i)
        c.modifyRecords("d", DatabaseScope::privateScope,
                        {note(QString::number(i), zone("TB-1"), QString(200, QLatin1Char('x')))},
                        {});
    return path;
}

} // namespace

TEST(ContainerFileTest, AFileThatIsNoDatabaseIsAnError) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("junk.sqlite"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'j'));
    file.close();
    auto opened = Container::openFile(path);
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.error().code, Code::internalError);
    EXPECT_FALSE(CloudDevice::open(path, dir.path()).ok());
}

TEST(ContainerFileTest, ATruncatedContainerGivesErrorsNotCrashes) {
    QTemporaryDir dir;
    const QString path = populatedFile(dir);
    const QByteArray whole = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    ASSERT_GT(whole.size(), 8192);
    for (qsizetype length : {qsizetype(10), qsizetype(100), qsizetype(4096), whole.size() / 2}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(whole.left(length));
        file.close();
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        auto opened = Container::openFile(path);
        if (!opened.ok()) {
            EXPECT_EQ(opened.error().code, Code::internalError) << length;
            continue;
        }
        auto changes =
            opened.value()->fetchZoneChanges("d", DatabaseScope::privateScope, zone("TB-1"), {});
        EXPECT_FALSE(changes.ok()) << length;
    }
}

TEST(ContainerFileTest, ACorruptStoredRecordIsAnError) {
    auto storage = std::make_unique<MemoryStorage>();
    storage->putDevice(DeviceRow{"d", QStringLiteral("u"), false});
    storage->putUser(UserRow{"u", std::nullopt});
    storage->putZone(ZoneRow{"u", "TB-1", "i", 1});
    storage->putRecord(RecordRow{"u", "TB-1", "r", "Note", "t1", "{not json", 1});
    Container container(std::move(storage));
    auto changes = container.fetchZoneChanges("d", DatabaseScope::privateScope, zone("TB-1"), {});
    ASSERT_FALSE(changes.ok());
    EXPECT_EQ(changes.error().code, Code::internalError);
    auto conflict = container.modifyRecords("d", DatabaseScope::privateScope,
                                            {note("r", zone("TB-1"), "x")}, {});
    EXPECT_FALSE(conflict.ok());
}

TEST(ContainerFileTest, DefaultPathIsSharedByEveryProfile) {
    EXPECT_TRUE(CloudDevice::defaultContainerPath().endsWith(
        QStringLiteral("/tallybird-cloud/container.sqlite")));
    EXPECT_EQ(CloudDevice::deviceIDForFolder(QStringLiteral("/tmp/a/../b/")),
              QStringLiteral("/tmp/b"));
}

TEST(TwoProcessTest, TwoDevicesSyncThroughOneFileWithoutLossOrDoubles) {
    ensureApplication();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shared.sqlite"));
    const int records = 40;
    const int increments = 15;
    QProcess first;
    QProcess second;
    first.start(
        QStringLiteral(CLOUD_PEER_PATH),
        {path, dir.filePath("one"), "one-", QString::number(records), QString::number(increments)});
    second.start(
        QStringLiteral(CLOUD_PEER_PATH),
        {path, dir.filePath("two"), "two-", QString::number(records), QString::number(increments)});
    ASSERT_TRUE(first.waitForFinished(60000));
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    auto opened = CloudDevice::open(path, dir.filePath("three"));
    ASSERT_TRUE(opened.ok());
    RecordingDelegate delegate;
    SyncEngine engine({opened.value().privateCloudDatabase(), std::nullopt, &delegate, false, 400});
    ASSERT_FALSE(fetch(engine));
    std::set<QString> seen;
    qint64 count = -1;
    for (const Record& record : delegate.fetchedRecords()) {
        EXPECT_TRUE(seen.insert(record.recordID().recordName).second) << "doubled";
        if (record.recordID().recordName == QStringLiteral("counter"))
            count = record.integer(QStringLiteral("count")).value_or(-1);
    }
    EXPECT_EQ(seen.size(), size_t(2 * records + 1));
    EXPECT_EQ(count, 2 * increments); // no raise lost to a conflict
}
