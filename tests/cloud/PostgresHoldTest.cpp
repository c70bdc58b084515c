// Another person holds a transaction open on a list the owner shares with them: one only
// invited, or who accepted it to read, holds up nothing of the owner's; one who accepted it to
// read and write holds up at most that list, and the owner's devices see their other lists
// change meanwhile.
#include "TestSupport.h"

#include "support/QStringPrinting.h"

#include "cloud/RecordCoding.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

using namespace cloudtest;
using testsupport::PostgresTestDatabase;
using testsupport::PostgresTestServer;

namespace holdtest {

// How long a send or a fetch of the owner's takes at most when nobody holds them up; it usually
// takes a few tens of milliseconds. The devices' own timeout is longer, so a wait shows as a
// step that took too long or failed.
constexpr qint64 usualBoundMs = 2'000;
constexpr int deviceTimeoutMs = 5'000;

struct Timed {
    std::optional<CloudError> error;
    qint64 ms = 0;
};
Timed timed(const std::function<std::optional<CloudError>()>& operation) {
    QElapsedTimer clock;
    clock.start();
    Timed out;
    out.error = operation();
    out.ms = clock.elapsed();
    return out;
}

// A person's role in a transaction it leaves open, with plain SQL.
class OpenTransaction : public testsupport::PostgresSession {
public:
    OpenTransaction(const PostgresTestDatabase& db, const QString& role)
        : PostgresSession(db, role) {
        run("SET statement_timeout = 0; SET lock_timeout = '2s'");
        run("BEGIN");
    }
};

class PostgresHoldTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
        db = std::make_unique<PostgresTestDatabase>(true, serverInfo());
        ASSERT_TRUE(db->ok()) << db->error().toStdString();
        for (const char* person : {"ann", "eve"})
            db->addPerson(person);
        for (const char* list : {"TB-ann", "TB-invited", "TB-read", "TB-write"})
            makeList("ann", list);
        auto admin = db->admin();
        ASSERT_FALSE(
            admin->shareZone("ann", "TB-invited", "eve", ParticipantPermission::readWrite));
        ASSERT_FALSE(admin->shareZone("ann", "TB-read", "eve", ParticipantPermission::readOnly));
        ASSERT_FALSE(admin->acceptShare("ann", "TB-read", "eve"));
        ASSERT_FALSE(admin->shareZone("ann", "TB-write", "eve", ParticipantPermission::readWrite));
        ASSERT_FALSE(admin->acceptShare("ann", "TB-write", "eve"));
    }

    void makeList(const QString& person, const QString& zoneName) {
        auto container = Container::openServer(db->uri(person)).value();
        ASSERT_TRUE(container
                        ->modifyZones(person + QStringLiteral("Setup"), DatabaseScope::privateScope,
                                      {zone(zoneName)}, {})
                        .ok());
    }

    // Eve takes every writer's lock her role lets her take on the list, and changes it where
    // she may, and keeps her transaction open.
    static void holdAll(OpenTransaction& eve, const QString& list) {
        eve.run(QStringLiteral("SELECT tallybird.lock_zone('ann', '%1')").arg(list));
        const QString taken = eve.run("SELECT tallybird.take_blocks(1)").value_or("0");
        eve.run(QStringLiteral("SAVEPOINT touch; SELECT tallybird.touch_zone('ann', '%1', %2)")
                    .arg(list, taken));
        eve.run("RELEASE SAVEPOINT touch");
    }

    // The folder naming the server the test runs on; empty: the test run's.
    virtual QString serverInfo() { return {}; }

    // Which of the person's lists their device hears a writer holds.
    std::set<ZoneID> heldFor(const QString& person) {
        auto container = Container::openServer(db->uri(person), deviceTimeoutMs).value();
        auto held = container->heldZones(person + QStringLiteral("Phone"));
        EXPECT_TRUE(held.ok()) << held.error().message.toStdString();
        std::set<ZoneID> zones;
        if (held.ok())
            zones.insert(held.value().begin(), held.value().end());
        return zones;
    }

    std::unique_ptr<PostgresTestDatabase> db;
};

// On a server of the test's own, whose numbers of transactions are still low, so that a
// stranger soon makes groups of lockers (multixacts) numbered as high.
class PostgresStrangerTest : public PostgresHoldTest {
protected:
    QString serverInfo() override {
        cluster = std::make_unique<testsupport::PostgresTestCluster>(dir.filePath("server"));
        EXPECT_TRUE(cluster->ok()) << "the test's own server did not start";
        return cluster->info();
    }
    void TearDown() override {
        db.reset();
        cluster.reset();
    }

    QTemporaryDir dir;
    std::unique_ptr<testsupport::PostgresTestCluster> cluster;
};

TEST_F(PostgresHoldTest, OneOnlyInvitedOrWhoAcceptedToReadHoldsUpNothingOfTheOwners) {
    PersonDevice laptop(*db, "ann", "annLaptop");
    PersonDevice desktop(*db, "ann", "annDesktop");
    ASSERT_FALSE(fetch(desktop.engine));
    const struct {
        const char* what;
        const char* list;
    } holds[] = {
        {"a list Eve was only invited to", "TB-invited"},
        {"a list Eve accepted to read", "TB-read"},
    };
    int round = 0;
    for (const auto& hold : holds) {
        SCOPED_TRACE(hold.what);
        OpenTransaction eve(*db, "eve");
        holdAll(eve, hold.list);
        EXPECT_EQ(
            db->value(QStringLiteral("SELECT tallybird.at_work(z.xmax) FROM tallybird.zones z "
                                     "WHERE z.owner = 'ann' AND z.name = '%1'")
                          .arg(hold.list)),
            "f")
            << "Eve holds the list's row";
        // Ann's laptop adds to that list and to her own, her desktop fetches both.
        for (const char* list : {hold.list, "TB-ann"}) {
            SCOPED_TRACE(list);
            const QString item = QStringLiteral("item-%1").arg(++round);
            queueSaves(laptop.engine, laptop.delegate, {note(item, zone(list), "x")});
            const Timed sent = timed([&] { return send(laptop.engine); });
            ASSERT_FALSE(sent.error) << sent.error->message.toStdString();
            EXPECT_LT(sent.ms, usualBoundMs);
            const Timed fetched = timed([&] { return fetch(desktop.engine); });
            ASSERT_FALSE(fetched.error) << fetched.error->message.toStdString();
            EXPECT_LT(fetched.ms, usualBoundMs);
            EXPECT_TRUE(desktop.fetchedNames().count(item));
            RecordProperty(item.toStdString(), QStringLiteral("send %1 ms, fetch %2 ms")
                                                   .arg(sent.ms)
                                                   .arg(fetched.ms)
                                                   .toStdString());
        }
    }
}

TEST_F(PostgresHoldTest, OneWhoAcceptedToWriteHoldsUpOnlyThatListAndItsChangesComeLater) {
    PersonDevice laptop(*db, "ann", "annLaptop");
    PersonDevice desktop(*db, "ann", "annDesktop");
    ASSERT_FALSE(fetch(desktop.engine));
    auto ann = Container::openServer(db->uri("ann"), deviceTimeoutMs).value();
    const auto mark = [&] {
        auto answer = ann->changeMark("annDesktop");
        return answer.ok() ? answer.value() : QString();
    };

    OpenTransaction eve(*db, "eve");
    ASSERT_EQ(eve.run("SELECT tallybird.lock_zone('ann', 'TB-write')"), "0");
    const QString taken = eve.run("SELECT tallybird.take_blocks(1)").value_or("0");
    Record late = note("eve-late", zone("TB-write", "ann"), "late");
    late.setChangeTag("t" + taken);
    ASSERT_EQ(eve.run(QStringLiteral("INSERT INTO tallybird.records VALUES ('ann', 'TB-write', "
                                     "'eve-late', 'Note', 't%1', decode('%2', 'hex'), %1)")
                          .arg(taken, QString::fromLatin1(RecordCoding::encode(late).toHex()))),
              "");
    ASSERT_EQ(
        eve.run(QStringLiteral("SELECT tallybird.touch_zone('ann', 'TB-write', %1)").arg(taken)),
        "");

    // While Eve holds her list, each add of the laptop's to Ann's own list changes what a
    // device without the window asks the server for before it catches up, and the desktop
    // fetches it.
    QString before = mark();
    ASSERT_FALSE(before.isEmpty());
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const QString item = QStringLiteral("item-%1").arg(round);
        queueSaves(laptop.engine, laptop.delegate, {note(item, zone("TB-ann"), "x")});
        const Timed sent = timed([&] { return send(laptop.engine); });
        ASSERT_FALSE(sent.error) << sent.error->message.toStdString();
        EXPECT_LT(sent.ms, usualBoundMs);
        const QString after = mark();
        EXPECT_NE(after, before) << "the mark stood still while Ann's own list changed";
        before = after;
        const Timed fetched = timed([&] { return fetch(desktop.engine); });
        ASSERT_FALSE(fetched.error) << fetched.error->message.toStdString();
        EXPECT_LT(fetched.ms, usualBoundMs);
        EXPECT_TRUE(desktop.fetchedNames().count(item));
    }
    // Eve's change, numbered before all of them, reaches the desktop once she commits.
    ASSERT_TRUE(eve.run("COMMIT"));
    ASSERT_FALSE(fetch(desktop.engine));
    EXPECT_TRUE(desktop.fetchedNames().count("eve-late"));
}

TEST_F(PostgresHoldTest, APersonLearnsWhichOfTheirOwnListsAWriterHoldsAndNoOneElses) {
    db->addPerson("bob");
    makeList("eve", "TB-eve");
    for (const char* person : {"ann", "eve", "bob"})
        EXPECT_EQ(heldFor(person), std::set<ZoneID>()) << person;

    // Eve holds the list she accepted to write, and one of her own; Ann holds the list Eve was
    // only invited to.
    OpenTransaction eve(*db, "eve");
    ASSERT_EQ(eve.run("SELECT tallybird.lock_zone('ann', 'TB-write')"), "0");
    ASSERT_EQ(eve.run("SELECT tallybird.lock_zone('eve', 'TB-eve')"), "0");
    OpenTransaction ann(*db, "ann");
    ASSERT_EQ(ann.run("SELECT tallybird.lock_zone('ann', 'TB-invited')"), "0");
    const struct {
        const char* person;
        std::set<ZoneID> held;
    } views[] = {
        {"ann", {zone("TB-write"), zone("TB-invited")}},
        {"eve", {zone("TB-write", "ann"), zone("TB-eve")}},
        {"bob", {}},
    };
    for (const auto& view : views)
        EXPECT_EQ(heldFor(view.person), view.held) << view.person;

    ASSERT_TRUE(eve.run("COMMIT"));
    ASSERT_TRUE(ann.run("ROLLBACK"));
    for (const char* person : {"ann", "eve", "bob"})
        EXPECT_EQ(heldFor(person), std::set<ZoneID>()) << person;
}

TEST_F(PostgresHoldTest, OneWhoTakesNoWritersLockStillLeavesTheList) {
    auto eve = Container::openServer(db->uri("eve"), deviceTimeoutMs).value();
    auto token = eve->fetchDatabaseChanges("evePhone", DatabaseScope::sharedScope, {});
    ASSERT_TRUE(token.ok());
    const struct {
        const char* what;
        const char* list;
        bool told; // whether Eve's other devices hear that she left
    } leaves[] = {
        {"a list Eve was only invited to", "TB-invited", false},
        {"a list Eve accepted to read", "TB-read", true},
    };
    for (const auto& leave : leaves) {
        SCOPED_TRACE(leave.what);
        auto left = eve->modifyZones("eveLaptop", DatabaseScope::sharedScope, {},
                                     {zone(leave.list, "ann")});
        ASSERT_TRUE(left.ok()) << left.error().message.toStdString();
        EXPECT_EQ(left.value().deletedZoneIDs.size(), 1u);
        EXPECT_EQ(db->value(QStringLiteral("SELECT count(*) FROM tallybird.participants "
                                           "WHERE zone = '%1' AND user_name = 'eve'")
                                .arg(leave.list)),
                  "0");
        auto told =
            eve->fetchDatabaseChanges("evePhone", DatabaseScope::sharedScope, token.value().token);
        ASSERT_TRUE(told.ok());
        bool heard = false;
        for (const ZoneDeletion& deletion : told.value().deletions)
            heard = heard || (deletion.zoneID.zoneName == QLatin1String(leave.list) &&
                              deletion.reason == ZoneDeletionReason::left);
        EXPECT_EQ(heard, leave.told);
    }
}

TEST_F(PostgresHoldTest, APersonsOtherDeviceChangingTheirListIsWaitedForNotSaidToHoldIt) {
    // Ann's laptop adds to her list, a step after another, while her desktop asks again and
    // again which of her lists a writer holds, as a request without the window does.
    auto laptop = Container::openServer(db->uri("ann"), deviceTimeoutMs).value();
    auto desktop = Container::openServer(db->uri("ann"), deviceTimeoutMs).value();
    constexpr int adds = 100;
    std::atomic<int> saved = 0;
    std::atomic<bool> done = false;
    std::thread adding([&] {
        for (int i = 0; i < adds; ++i) {
            auto answer = laptop->modifyRecords(
                "annLaptop", DatabaseScope::privateScope,
                {note(QStringLiteral("item-%1").arg(i), zone("TB-ann"), "x")}, {});
            if (answer.ok() && answer.value().failedRecordSaves.empty())
                ++saved;
        }
        done = true;
    });
    int asked = 0;
    int said = 0;
    while (!done) {
        auto held = desktop->heldZones("annDesktop");
        ++asked;
        if (!held.ok() || !held.value().empty())
            ++said;
    }
    adding.join();
    EXPECT_EQ(saved, adds);
    EXPECT_EQ(said, 0) << "of " << asked << " looks";
}

TEST_F(PostgresHoldTest, AStepThatWaitsForAListEveHoldsKeepsNoneOfAnnsOtherLists) {
    OpenTransaction eve(*db, "eve");
    ASSERT_EQ(eve.run("SELECT tallybird.lock_zone('ann', 'TB-write')"), "0");
    // Ann's laptop adds to her own list and to the one Eve holds, in one step that waits for
    // Eve's list for seconds (an eighth of its long bound).
    auto laptop = Container::openServer(db->uri("ann"), 32'000).value();
    std::optional<Result<ModifyRecordsResult>> answer;
    std::thread adding([&] {
        answer = laptop->modifyRecords(
            "annLaptop", DatabaseScope::privateScope,
            {note("own", zone("TB-ann"), "x"), note("shared", zone("TB-write"), "x")}, {});
    });
    // While it waits, her desktop hears that only Eve's list is held.
    const auto waiting = [&] {
        return db->value("SELECT count(*) FROM pg_catalog.pg_stat_activity "
                         "WHERE datname = current_database() AND usename = 'ann' "
                         "AND wait_event_type = 'Lock'",
                         "ann") == "1";
    };
    QElapsedTimer clock;
    clock.start();
    bool waited = false;
    while (!(waited = waiting()) && clock.elapsed() < 60'000)
        std::this_thread::yield();
    EXPECT_TRUE(waited) << "the laptop's step never waited for Eve's list";
    std::set<QString> held;
    for (const ZoneID& zone : heldFor("ann"))
        held.insert(zone.zoneName);
    EXPECT_EQ(held, std::set<QString>{"TB-write"});
    adding.join();

    // The step went on without Eve's list: Ann's own change is in, the other waits for a later
    // send.
    ASSERT_TRUE(answer && answer->ok()) << answer->error().message.toStdString();
    ASSERT_EQ(answer->value().savedRecords.size(), 1u);
    EXPECT_EQ(answer->value().savedRecords[0].recordID().recordName, "own");
    ASSERT_EQ(answer->value().failedRecordSaves.size(), 1u);
    EXPECT_EQ(answer->value().failedRecordSaves[0].second.code, CloudError::Code::zoneBusy);
}

TEST_F(PostgresStrangerTest, AStrangersGroupsOfLockersHoldNoneOfAnotherPersonsLists) {
    db->addPerson("bob");
    auto ann = Container::openServer(db->uri("ann"), deviceTimeoutMs).value();
    const auto markHeld = [&] {
        auto mark = ann->changeMark("annDesktop");
        EXPECT_TRUE(mark.ok());
        return !mark.ok() || mark.value().contains(u'+');
    };
    // Ann's last writer locked her own row and her list, and committed.
    {
        OpenTransaction writer(*db, "ann");
        ASSERT_EQ(writer.run("SELECT tallybird.lock_feed('ann')"), "t");
        ASSERT_EQ(writer.run("SELECT tallybird.lock_zone('ann', 'TB-ann')"), "0");
        ASSERT_TRUE(writer.run("COMMIT"));
    }
    const qint64 highest =
        db->value("SELECT max(h.x::text::bigint) FROM (SELECT f.xmax AS x FROM tallybird.feeds f "
                  "WHERE f.user_name = 'ann' UNION ALL SELECT z.xmax FROM tallybird.zones z "
                  "WHERE z.owner = 'ann') h")
            .toLongLong();
    ASSERT_GT(highest, 0);
    EXPECT_EQ(heldFor("ann"), std::set<ZoneID>());
    EXPECT_FALSE(markHeld());

    // Bob, who shares nothing with Ann, locks each row of a table of his own again in a
    // subtransaction, a group of lockers a row, until the groups' numbers pass those lockers'.
    OpenTransaction bob(*db, "bob");
    ASSERT_TRUE(bob.run("CREATE TEMPORARY TABLE mine (i integer PRIMARY KEY)"));
    ASSERT_TRUE(bob.run(
        QStringLiteral("INSERT INTO mine SELECT generate_series(1, %1)").arg(highest + 100)));
    ASSERT_TRUE(bob.run("SELECT count(*) FROM (SELECT 1 FROM mine FOR KEY SHARE) l"));
    ASSERT_TRUE(bob.run("DO $$ BEGIN FOR k IN 1..(SELECT max(i) FROM mine) LOOP "
                        "BEGIN PERFORM 1 FROM mine WHERE i = k FOR SHARE; "
                        "EXCEPTION WHEN OTHERS THEN NULL; END; END LOOP; END $$"));
    ASSERT_EQ(db->value(QStringLiteral("SELECT mxid_age('%1'::xid) > 0").arg(highest)), "t")
        << "the groups' numbers did not pass the lockers'";

    // Ann's lists and her own row read as free, and her mark follows her changes.
    EXPECT_EQ(heldFor("ann"), std::set<ZoneID>());
    EXPECT_FALSE(markHeld());
    ASSERT_TRUE(ann->modifyRecords("annLaptop", DatabaseScope::privateScope,
                                   {note("late", zone("TB-ann"), "x")}, {})
                    .ok());
    EXPECT_FALSE(markHeld());
}

} // namespace holdtest
