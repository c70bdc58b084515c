// The administrator's program upgrades a container while people's devices are writing to it: the
// numbers the devices took before go on being theirs alone, and the upgrade goes through at the
// first try.
#include "EarlierContainer.h"
#include "TestSupport.h"

#include "support/QStringPrinting.h"

#include "cloud/PostgresConnection.h"
#include "cloud/PostgresSchema.h"
#include "cloud/RecordCoding.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace cloudtest;
using testsupport::PostgresTestDatabase;

namespace {

class PostgresUpgradeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
    }
};

// A container of the first version, with people let in as that version did.
void makeFirstVersion(PostgresTestDatabase& db, const QStringList& people) {
    {
        cloud::PostgresConnection connection(db.adminUri(), 10'000);
        connection.open();
        cloud::PostgresSchema::create(connection, 1);
    }
    const char* const firstVersionRights[] = {
        "GRANT USAGE ON SCHEMA tallybird TO %1",
        "GRANT SELECT ON tallybird.meta, tallybird.sequence, tallybird.users TO %1",
        "GRANT UPDATE ON tallybird.writer TO %1",
        "GRANT SELECT, INSERT, UPDATE, DELETE ON tallybird.devices, tallybird.records, "
        "tallybird.deletions, tallybird.participants TO %1",
        "GRANT SELECT, INSERT, DELETE ON tallybird.zones TO %1",
        "GRANT UPDATE (changed_seq) ON tallybird.zones TO %1",
        "GRANT SELECT, INSERT ON tallybird.zone_removals TO %1",
    };
    for (const QString& person : people) {
        db.run(QStringLiteral("CREATE ROLE %1 LOGIN").arg(person)); // roles are the server's
        ASSERT_EQ(
            db.run(QStringLiteral("INSERT INTO tallybird.users VALUES ('%1', NULL)").arg(person)),
            QString());
        for (const char* grant : firstVersionRights)
            ASSERT_EQ(db.run(QString::fromLatin1(grant).arg(person)), QString());
    }
}

// One device of a person's, syncing the first version's way until the container is upgraded.
struct Device {
    Device(const PostgresTestDatabase& db, const QString& person, const QString& id)
        : container(Container::openServer(db.uri(person), 10'000).value()),
          engine(
              {Database(container, id, DatabaseScope::privateScope), {}, &delegate, false, 400}) {}
    std::optional<CloudError> add(const QString& name, const ZoneID& zone) {
        queueSaves(engine, delegate, {note(name, zone, name)});
        return send(engine);
    }
    std::vector<QString> fetchedNames() const {
        std::vector<QString> names;
        for (const Record& record : delegate.fetchedRecords()) {
            if (!record.recordID().recordName.startsWith('~'))
                names.push_back(record.recordID().recordName);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::shared_ptr<Container> container;
    RecordingDelegate delegate;
    SyncEngine engine;
};

TEST_F(PostgresUpgradeTest, AnUpgradeWaitsForTheFirstVersionsWritersUnderWay) {
    PostgresTestDatabase db(false);
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    makeFirstVersion(db, {"ann", "sam"});
    Device annLaptop(db, "ann", "annLaptop");
    Device annDesktop(db, "ann", "annDesktop");
    Device samLaptop(db, "sam", "samLaptop");
    ASSERT_FALSE(annLaptop.add("before", zone("TB-1", "ann")));
    ASSERT_FALSE(samLaptop.add("sam's", zone("TB-2", "sam")));
    ASSERT_FALSE(fetch(annDesktop.engine));

    // A device of Ann's is in the middle of a write, the first version's way: it holds the
    // writers' table, has taken its number and written with it, and has not committed yet.
    cloud::PostgresConnection writer(db.uri("ann"), 60'000);
    writer.open();
    writer.send("BEGIN ISOLATION LEVEL REPEATABLE READ");
    writer.send("LOCK TABLE tallybird.writer IN EXCLUSIVE MODE");
    const qint64 taken = writer.query("SELECT tallybird.take_sequence(1)").integer(0, 0);
    Record held = note("held", zone("TB-1", "ann"), "held");
    held.setChangeTag(QStringLiteral("t%1").arg(taken));
    writer.send("INSERT INTO tallybird.records VALUES ('ann', 'TB-1', 'held', 'Note', $1, $2, $3)",
                {cloud::PgValue::text(*held.changeTag()),
                 cloud::PgValue::bytes(cloud::RecordCoding::encode(held)),
                 cloud::PgValue::integer(taken)});
    writer.send("UPDATE tallybird.zones SET changed_seq = $1 WHERE owner = 'ann' AND name = 'TB-1'",
                {cloud::PgValue::integer(taken)});
    writer.sync();

    // The administrator's program opens the container meanwhile, and waits for the write.
    std::optional<CloudError> upgradeError;
    std::thread upgrade([&] {
        auto admin = Container::openServer(db.adminUri(), 60'000).value();
        auto users = admin->users();
        if (!users.ok())
            upgradeError = users.error();
    });
    QElapsedTimer clock;
    clock.start();
    bool waiting = false;
    while (!waiting && clock.elapsed() < 30'000) {
        waiting = db.value("SELECT count(*) FROM pg_catalog.pg_stat_activity WHERE datname = "
                           "current_database() AND usename = 'tallybird' "
                           "AND wait_event_type = 'Lock'") == QLatin1String("1");
        QThread::msleep(20);
    }
    EXPECT_TRUE(waiting);
    writer.send("COMMIT");
    writer.sync();
    upgrade.join();
    ASSERT_FALSE(upgradeError) << upgradeError->message.toStdString();
    ASSERT_EQ(db.value("SELECT value FROM tallybird.meta WHERE key = 'version'"),
              QString::number(cloud::PostgresSchema::version));

    // Both people's devices write on, the new way: no change carries a number that one of the
    // write under way took, and every device gets all of its person's records.
    ASSERT_FALSE(annLaptop.add("after", zone("TB-1", "ann")));
    ASSERT_FALSE(annDesktop.add("desk", zone("TB-1", "ann")));
    ASSERT_FALSE(samLaptop.add("sam's too", zone("TB-2", "sam")));
    EXPECT_EQ(db.value("SELECT count(*) FROM tallybird.records WHERE seq <= " +
                       QString::number(taken) + " AND name IN ('after', 'desk', 'sam''s too')"),
              "0");
    EXPECT_EQ(db.value("SELECT count(*) - count(DISTINCT seq) FROM tallybird.records"), "0");
    ASSERT_FALSE(fetch(annLaptop.engine));
    ASSERT_FALSE(fetch(annDesktop.engine));
    const std::vector<QString> everything{"after", "before", "desk", "held"};
    EXPECT_EQ(annLaptop.fetchedNames(), everything);
    EXPECT_EQ(annDesktop.fetchedNames(), everything);
}

TEST_F(PostgresUpgradeTest, AnUpgradeUnderTwentyWritersGoesThroughAtTheFirstTry) {
    const QStringList people{"ann", "bob", "cat", "dan", "eve"};
    for (const int from : {4, 4, 4, 4, 4, 5, 5}) {
        SCOPED_TRACE(from);
        PostgresTestDatabase db(false);
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        makeEarlierContainer(db, from, people);
        for (const QString& person : people)
            ASSERT_TRUE(Container::openServer(db.uri(person), 10'000)
                            .value()
                            ->modifyZones(person + "Setup", DatabaseScope::privateScope,
                                          {zone("TB-" + person)}, {})
                            .ok());
        // Four devices of each person add to the person's list as fast as they can.
        std::atomic<bool> stop = false;
        std::atomic<int> added = 0;
        std::vector<std::thread> writers;
        for (int i = 0; i < 20; ++i)
            writers.emplace_back([&, i] {
                const QString& person = people[i % people.size()];
                auto container = Container::openServer(db.uri(person), 10'000).value();
                const QString device = QStringLiteral("%1-%2").arg(person).arg(i);
                for (int n = 0; !stop; ++n) {
                    auto saved =
                        container->modifyRecords(device, DatabaseScope::privateScope,
                                                 {note(QStringLiteral("%1-%2").arg(device).arg(n),
                                                       zone("TB-" + person), "x")},
                                                 {});
                    if (saved.ok() && saved.value().failedRecordSaves.empty())
                        ++added;
                }
            });
        QElapsedTimer clock;
        clock.start();
        while (added < 100 && clock.elapsed() < 60'000)
            QThread::msleep(10);

        auto admin = Container::openServer(db.adminUri(), 10'000).value();
        auto users = admin->users();
        const int before = added;
        while (added < before + 20 && clock.elapsed() < 60'000)
            QThread::msleep(10);
        stop = true;
        for (std::thread& writer : writers)
            writer.join();
        ASSERT_TRUE(users.ok()) << users.error().message.toStdString();
        EXPECT_EQ(db.value("SELECT value FROM tallybird.meta WHERE key = 'version'"),
                  QString::number(cloud::PostgresSchema::version));
        EXPECT_GE(added, before + 20) << "the writers did not go on after the upgrade";
    }
}

} // namespace
