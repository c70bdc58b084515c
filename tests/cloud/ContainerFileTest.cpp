#include "TestSupport.h"

#include "cloud/CloudDevice.h"
#include "cloud/MemoryStorage.h"
#include "cloud/SqliteStorage.h"
#include "cloud/WorkerPool.h"
#include "support/FileBytes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <set>

using namespace cloudtest;
using Code = CloudError::Code;

namespace {

using testsupport::bytesOf;

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

// Runs SQL on a database file the way another program would.
void runSql(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "") << sql;
    sqlite3_free(error);
    sqlite3_close(db);
}

// The big-endian number at `offset` of a closed database file's header: 60 holds the user
// version, 68 the application id.
qint64 headerNumber(const QString& path, int offset) {
    const QByteArray header = bytesOf(path).left(100);
    if (header.size() < 100)
        return -1;
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | quint8(header[offset + i]);
    return value;
}

} // namespace

TEST(ContainerFileTest, NewAndEmptyFilesAreMarkedAsContainers) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("new.sqlite"));
    const QString empty = dir.filePath(QStringLiteral("empty.sqlite"));
    QFile(empty).open(QIODevice::WriteOnly);
    for (const QString& path : {fresh, empty}) {
        ASSERT_TRUE(Container::openFile(path).ok()) << path.toStdString();
        EXPECT_EQ(headerNumber(path, 68), SqliteStorage::applicationId);
        EXPECT_EQ(headerNumber(path, 60), SqliteStorage::schemaVersion);
        // Opening it again changes nothing.
        const QByteArray before = bytesOf(path);
        ASSERT_TRUE(Container::openFile(path).ok());
        EXPECT_EQ(bytesOf(path), before);
    }
}

TEST(ContainerFileTest, AnotherProgramsDatabaseIsRefusedAndNeverWritten) {
    const std::string ours = std::to_string(SqliteStorage::applicationId);
    const struct {
        const char* what;
        std::string sql;
        const char* says;
    } cases[] = {
        {"tables of its own", "CREATE TABLE notes (t TEXT); INSERT INTO notes VALUES ('x');",
         "another program's database"},
        {"its own application id", "PRAGMA application_id = 1234;", "another program's database"},
        {"a meta table without the container's rows",
         "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);"
         "INSERT INTO meta VALUES ('owner', 'x');",
         "another program's database"},
        {"a container's tables under another application id",
         "PRAGMA application_id = 7; CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT);"
         "INSERT INTO meta VALUES ('container', 'c'), ('sequence', '0');",
         "another program's database"},
        {"a container of a later version",
         "PRAGMA application_id = " + ours + "; PRAGMA user_version = 2; CREATE TABLE t (x);",
         "later version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other.sqlite"));
        runSql(path, c.sql.c_str());
        const QByteArray before = bytesOf(path);
        ASSERT_FALSE(before.isEmpty());

        auto opened = Container::openFile(path);
        ASSERT_FALSE(opened.ok());
        EXPECT_TRUE(opened.error().message.contains(QString::fromUtf8(c.says)))
            << opened.error().message.toStdString();
        EXPECT_TRUE(opened.error().message.contains(path));
        EXPECT_FALSE(CloudDevice::open(path, dir.path()).ok());
        EXPECT_EQ(bytesOf(path), before);
        EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal")));
    }
}

TEST(ContainerFileTest, AContainerMadeBeforeFilesWereMarkedIsTakenOverWithItsRecords) {
    QTemporaryDir dir;
    const QString path = populatedFile(dir);
    runSql(path, "PRAGMA application_id = 0; PRAGMA user_version = 0;");
    ASSERT_EQ(headerNumber(path, 68), 0);
    {
        auto opened = Container::openFile(path);
        ASSERT_TRUE(opened.ok()) << opened.error().message.toStdString();
        auto changes =
            opened.value()->fetchZoneChanges("d", DatabaseScope::privateScope, zone("TB-1"), {});
        ASSERT_TRUE(changes.ok());
        EXPECT_EQ(changes.value().modifications.size(), 200u);
    }
    EXPECT_EQ(headerNumber(path, 68), SqliteStorage::applicationId);
    EXPECT_EQ(headerNumber(path, 60), SqliteStorage::schemaVersion);
}

// A file an earlier build made has no table of sends: it gains one as it is opened, keeping its
// records and the schema version an earlier build still opens.
TEST(ContainerFileTest, AFileOfAnEarlierBuildGainsTheSendsOfDevicesAndStaysOpenToThatBuild) {
    QTemporaryDir dir;
    const QString path = populatedFile(dir);
    runSql(path, "DROP TABLE sends");
    {
        auto opened = Container::openFile(path);
        ASSERT_TRUE(opened.ok()) << opened.error().message.toStdString();
        Container& c = *opened.value();
        ASSERT_TRUE(c.modifyRecords("d", DatabaseScope::privateScope,
                                    {note("new", zone("TB-1"), "x")}, {}, "s1")
                        .ok());
        const auto told = c.sendLanded("d", "s1");
        ASSERT_TRUE(told.ok());
        EXPECT_EQ(told.value().fate, SendOutcome::Fate::landed);
        auto changes = c.fetchZoneChanges("d", DatabaseScope::privateScope, zone("TB-1"), {});
        ASSERT_TRUE(changes.ok());
        EXPECT_EQ(changes.value().modifications.size(), 201u);
    }
    EXPECT_EQ(headerNumber(path, 60), 1);
}

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

TEST(ContainerFileTest, ACorruptStoredRecordIsLeftOutAndASaveReplacesIt) {
    auto storage = std::make_unique<MemoryStorage>();
    storage->putDevice(DeviceRow{"d", QStringLiteral("u"), false, {}});
    storage->putUser(UserRow{"u", std::nullopt});
    storage->putZone(ZoneRow{"u", "TB-1", "i", 1});
    storage->putRecord(RecordRow{"u", "TB-1", "r", "Note", "t1", "{not json", 1});
    Container container(std::move(storage));
    auto changes = container.fetchZoneChanges("d", DatabaseScope::privateScope, zone("TB-1"), {});
    ASSERT_TRUE(changes.ok());
    EXPECT_TRUE(changes.value().modifications.empty());
    ASSERT_EQ(changes.value().undecodable.size(), 1u);
    EXPECT_EQ(changes.value().undecodable[0].recordName, QStringLiteral("r"));
    // Nothing to merge: the save goes over it.
    auto saved = container.modifyRecords("d", DatabaseScope::privateScope,
                                         {note("r", zone("TB-1"), "x")}, {});
    ASSERT_TRUE(saved.ok());
    EXPECT_TRUE(saved.value().failedRecordSaves.empty());
    ASSERT_EQ(saved.value().savedRecords.size(), 1u);
    changes = container.fetchZoneChanges("d", DatabaseScope::privateScope, zone("TB-1"), {});
    ASSERT_TRUE(changes.ok());
    ASSERT_EQ(changes.value().modifications.size(), 1u);
    EXPECT_EQ(changes.value().modifications[0].string("text"), QStringLiteral("x"));
    EXPECT_TRUE(changes.value().undecodable.empty());
}

TEST(ContainerFileTest, OpeningWhileAnotherProcessWritesWaitsForNobody) {
    QTemporaryDir dir;
    const QString path = populatedFile(dir);
    const QString id = SqliteStorage(path).containerId();
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    QElapsedTimer took;
    took.start();
    EXPECT_EQ(SqliteStorage(path).containerId(), id);
    EXPECT_LT(took.elapsed(), 2'000) << "the busy timeout is ten seconds";
    sqlite3_close(writer);
}

TEST(ContainerFileTest, DefaultPathIsSharedByEveryProfile) {
    EXPECT_TRUE(CloudDevice::defaultContainerPath().endsWith(
        QStringLiteral("/tallybird-cloud/container.sqlite")));
    EXPECT_EQ(CloudDevice::folderPathID(QStringLiteral("/tmp/a/../b/")), QStringLiteral("/tmp/b"));
}

namespace {

// Two processes save records of their own and raise one counter at once through the container
// at `path`; a third device then finds every record once and every raise.
void twoPeers(const QString& path, const QTemporaryDir& dir) {
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
    // The engine's worker lets go of the container first: the last to let go closes the file
    // and removes its journal, which must not happen while the folder is being removed.
    cloud::WorkerPool::instance().waitForDone();
}

} // namespace

TEST(TwoProcessTest, TwoDevicesSyncThroughOneFileWithoutLossOrDoubles) {
    ensureApplication();
    QTemporaryDir dir;
    twoPeers(dir.filePath(QStringLiteral("shared.sqlite")), dir);
}

// On a server the writers' turns are the server's lock, not the file's.
TEST(TwoProcessTest, TwoDevicesSyncThroughOneServerWithoutLossOrDoubles) {
    ensureApplication();
    TALLYBIRD_REQUIRE_POSTGRES();
    testsupport::PostgresTestDatabase db;
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    db.addPerson(Container::defaultUserName);
    QTemporaryDir dir;
    twoPeers(db.uri(Container::defaultUserName), dir);
}
