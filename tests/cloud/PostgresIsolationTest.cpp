// People on one server: what one person's role takes or holds, and a write that takes long,
// keep nobody waiting who shares nothing with them, and a reader of a zone misses nothing a
// slow writer of that zone commits late.
#include "TestSupport.h"

#include "cloud/RecordCoding.h"

#include "support/CompletionWait.h"
#include "support/QStringPrinting.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <libpq-fe.h>

#include <gtest/gtest.h>

#include <atomic>
#include <set>

using namespace cloudtest;
using testsupport::PostgresTestDatabase;
using testsupport::PostgresTestServer;

namespace {

// How long a person's send or fetch takes at most when nobody holds them up; it usually takes
// a few tens of milliseconds. The devices' own timeout (PersonDevice's) is longer, so a wait
// shows as a pass that took too long or failed, never as a hang.
constexpr qint64 usualBoundMs = 2'000;

// Runs a send or a fetch; says how long it took, or why it failed.
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

// A person's role, connected with plain SQL as a modified client would, that takes every lock
// its rights allow, opens a transaction with writes of its own and keeps all of it for
// `holdMs`, on a thread of its own.
class Holder {
public:
    Holder(const PostgresTestDatabase& db, const QString& role, qint64 holdMs)
        : conninfo_(PostgresTestServer::adminConnection() + " user=" + role +
                    " dbname=" + db.name()),
          holdMs_(holdMs) {
        thread_.reset(QThread::create([this] { run(); }));
        thread_->start();
    }
    ~Holder() {
        stop();
        thread_->wait();
    }

    // Waits until everything is taken; false when that did not happen in time.
    bool waitUntilHolding() {
        QElapsedTimer clock;
        clock.start();
        while (!holding_ && !finished_ && clock.elapsed() < 30'000)
            QThread::msleep(20);
        return holding_;
    }
    bool stillHolding() const { return holding_ && !finished_; }
    void stop() { stop_ = true; }
    // What the role took, one line each, once holding.
    const QStringList& taken() const { return taken_; }
    int backend() const { return backend_; }

private:
    // Runs one statement in a savepoint: kept when the server carries it out, undone (with
    // whatever it locked) when it refuses. Gives the first value returned.
    std::optional<QString> attempt(PGconn* conn, const QString& sql) {
        PQclear(PQexec(conn, "SAVEPOINT attempt"));
        PGresult* result = PQexec(conn, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        std::optional<QString> value;
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
            value = PQntuples(result) > 0 ? QString::fromUtf8(PQgetvalue(result, 0, 0)) : "";
            PQclear(PQexec(conn, "RELEASE SAVEPOINT attempt"));
            taken_ << sql;
        } else {
            PQclear(PQexec(conn, "ROLLBACK TO SAVEPOINT attempt"));
        }
        PQclear(result);
        return value;
    }

    void run() {
        PGconn* conn = PQconnectdb(conninfo_.toUtf8().constData());
        if (PQstatus(conn) != CONNECTION_OK) {
            finished_ = true;
            PQfinish(conn);
            return;
        }
        backend_ = PQbackendPID(conn);
        // Nothing the role sets for itself ends its hold early; a lock it would wait for (one
        // a device of the others holds while this starts) is given up after a while.
        PQclear(PQexec(conn, "SET statement_timeout = 0; SET idle_in_transaction_session_timeout "
                             "= 0; SET lock_timeout = '2s'"));
        PQclear(PQexec(conn, "BEGIN"));
        takeEverything(conn);
        holding_ = true;
        QElapsedTimer clock;
        clock.start();
        while (!stop_ && clock.elapsed() < holdMs_)
            QThread::msleep(20);
        const bool open = PQtransactionStatus(conn) == PQTRANS_INTRANS;
        PQclear(PQexec(conn, "ROLLBACK"));
        PQfinish(conn);
        finished_ = true;
        if (!open)
            holding_ = false;
    }

    void takeEverything(PGconn* conn) {
        // Every table and view of the container: the strongest table lock the role may take,
        // and the strongest row lock on every row it sees.
        std::vector<QString> tables;
        PGresult* listed = PQexec(conn, "SELECT c.oid::regclass::text FROM pg_catalog.pg_class c "
                                        "WHERE c.relnamespace = 'tallybird'::regnamespace "
                                        "AND c.relkind IN ('r', 'p', 'v') ORDER BY 1");
        for (int i = 0; i < PQntuples(listed); ++i)
            tables.push_back(QString::fromUtf8(PQgetvalue(listed, i, 0)));
        PQclear(listed);
        const char* const tableModes[] = {
            "ACCESS EXCLUSIVE",       "EXCLUSIVE",     "SHARE ROW EXCLUSIVE", "SHARE",
            "SHARE UPDATE EXCLUSIVE", "ROW EXCLUSIVE", "ROW SHARE",           "ACCESS SHARE"};
        const char* const rowModes[] = {"UPDATE", "NO KEY UPDATE", "SHARE", "KEY SHARE"};
        for (const QString& table : tables) {
            for (const char* mode : tableModes) {
                if (attempt(conn, QStringLiteral("LOCK TABLE %1 IN %2 MODE").arg(table, mode)))
                    break;
            }
            for (const char* mode : rowModes) {
                if (attempt(conn, QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 FOR %2) "
                                                 "AS locked")
                                      .arg(table, mode)))
                    break;
            }
        }
        // Advisory locks are open to every role: a range of keys in both forms, for the
        // session and for the transaction, and keys made from the others' names.
        attempt(conn, "SELECT count(pg_catalog.pg_advisory_lock(k)) "
                      "FROM generate_series(-100, 400) k");
        attempt(conn, "SELECT count(pg_catalog.pg_advisory_xact_lock(k, j)) "
                      "FROM generate_series(0, 20) k, generate_series(0, 20) j");
        attempt(conn, "SELECT count(pg_catalog.pg_advisory_xact_lock(hashtext(n))) FROM "
                      "unnest(ARRAY['dave', 'TB-dave', 'TB-old', 'eve', 'ann']) n");

        // Writes of its own, as a device of the role would begin them, left open: its own row
        // and zones locked, numbers taken, a record, a zone, a device, an invitation to the
        // person it shares nothing with, and zone removals numbered ahead of everybody's.
        attempt(conn, "SELECT tallybird.lock_feed('eve')");
        attempt(conn, "SELECT tallybird.lock_zone('eve', 'TB-eve')");
        attempt(conn, "SELECT tallybird.lock_zone('ann', 'TB-ann')");
        const QString first = attempt(conn, "SELECT tallybird.take_blocks(3)").value_or("");
        if (!first.isEmpty()) {
            const auto at = [&](int offset) {
                return QString::number(first.toLongLong() + offset);
            };
            attempt(conn, "INSERT INTO tallybird.records VALUES ('eve', 'TB-eve', 'evil', 'Note', "
                          "'t" +
                              at(0) + "', convert_to('{}', 'UTF8'), " + at(0) + ")");
            attempt(conn, "SELECT tallybird.touch_zone('eve', 'TB-eve', " + at(1) + ")");
            attempt(conn, "INSERT INTO tallybird.participants VALUES ('eve', 'TB-eve', 'dave', "
                          "'privateUser', 'readOnly', 'pending', " +
                              at(2) + ")");
            attempt(conn,
                    "INSERT INTO tallybird.zones VALUES ('eve', 'TB-new', 'i', " + at(3) + ")");
            attempt(conn, "INSERT INTO tallybird.zone_removals (id, seq, user_name, scope, "
                          "zone_owner, zone_name, reason) OVERRIDING SYSTEM VALUE "
                          "SELECT g, " +
                              at(4) +
                              ", 'eve', 'private', 'eve', 'TB-gone', 'deleted' "
                              "FROM generate_series(1, 500) g");
        }
        attempt(conn, "INSERT INTO tallybird.devices VALUES ('eve', 'evePhone', NULL, false)");
        // And what the role may not do to the others, tried all the same.
        attempt(conn, "SELECT tallybird.lock_feed('dave')");
        attempt(conn, "SELECT tallybird.lock_zone('dave', 'TB-dave')");
        attempt(conn, "SELECT tallybird.touch_zone('dave', 'TB-dave', 1)");
        attempt(conn, "SELECT tallybird.remove_zone('dave', 'TB-old')");
    }

    QString conninfo_;
    qint64 holdMs_;
    std::unique_ptr<QThread> thread_;
    std::atomic<bool> holding_ = false;
    std::atomic<bool> finished_ = false;
    std::atomic<bool> stop_ = false;
    std::atomic<int> backend_ = 0;
    QStringList taken_;
};

// A person's role in a transaction of its own, connected with plain SQL, that it leaves open:
// whatever its statements took is held until the transaction ends.
class OpenTransaction {
public:
    OpenTransaction(const PostgresTestDatabase& db, const QString& role)
        : conn_(PQconnectdb(
              (PostgresTestServer::adminConnection() + " user=" + role + " dbname=" + db.name())
                  .toUtf8()
                  .constData())) {
        run("SET statement_timeout = 0; SET idle_in_transaction_session_timeout = 0; "
            "SET lock_timeout = '2s'");
        run("BEGIN");
    }
    ~OpenTransaction() { PQfinish(conn_); }
    OpenTransaction(const OpenTransaction&) = delete;
    OpenTransaction& operator=(const OpenTransaction&) = delete;

    // The first value the statement returns (empty when none); nothing when it is refused.
    std::optional<QString> run(const QString& sql) {
        PGresult* result = PQexec(conn_, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        std::optional<QString> value;
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK)
            value = PQntuples(result) > 0 ? QString::fromUtf8(PQgetvalue(result, 0, 0)) : "";
        PQclear(result);
        return value;
    }

private:
    PGconn* conn_;
};

class PostgresIsolationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
        db = std::make_unique<PostgresTestDatabase>();
        ASSERT_TRUE(db->ok()) << db->error().toStdString();
    }

    // A person's list with a record, made through the container by a device of theirs.
    void makeList(const QString& person, const QString& zoneName) {
        auto container = Container::openServer(db->uri(person)).value();
        const QString device = person + QStringLiteral("Setup");
        ASSERT_TRUE(
            container->modifyZones(device, DatabaseScope::privateScope, {zone(zoneName)}, {}).ok());
        auto saved = container->modifyRecords(device, DatabaseScope::privateScope,
                                              {note("first", zone(zoneName), person)}, {});
        ASSERT_TRUE(saved.ok() && saved.value().failedRecordSaves.empty());
    }

    std::unique_ptr<PostgresTestDatabase> db;
};

TEST_F(PostgresIsolationTest, WhatARoleTakesAndHoldsKeepsNobodyWaitingWhoSharesNothingWithIt) {
    // Eve and Ann share a list each way; Dave shares nothing with either of them.
    for (const char* person : {"ann", "dave", "eve"})
        db->addPerson(person);
    makeList("ann", "TB-ann");
    makeList("eve", "TB-eve");
    makeList("dave", "TB-dave");
    makeList("dave", "TB-old");
    auto admin = db->admin();
    ASSERT_FALSE(admin->shareZone("ann", "TB-ann", "eve", ParticipantPermission::readWrite));
    ASSERT_FALSE(admin->acceptShare("ann", "TB-ann", "eve"));
    ASSERT_FALSE(admin->shareZone("eve", "TB-eve", "ann", ParticipantPermission::readWrite));
    ASSERT_FALSE(admin->acceptShare("eve", "TB-eve", "ann"));

    PersonDevice laptop(*db, "dave", "daveLaptop");
    PersonDevice desktop(*db, "dave", "daveDesktop");
    ASSERT_FALSE(fetch(desktop.engine));

    const qint64 holdMs = 60'000;
    Holder eve(*db, "eve", holdMs);
    ASSERT_TRUE(eve.waitUntilHolding());
    const QString locks = db->value(QStringLiteral("SELECT count(*) FROM pg_catalog.pg_locks "
                                                   "WHERE pid = %1")
                                        .arg(eve.backend()));
    SCOPED_TRACE(
        ("Eve holds " + locks + " locks, through:\n" + eve.taken().join('\n')).toStdString());
    // The hold is a real one: table and row locks, and an open transaction that wrote.
    EXPECT_GT(locks.toInt(), 500);
    EXPECT_TRUE(eve.taken().contains("INSERT INTO tallybird.devices VALUES ('eve', 'evePhone', "
                                     "NULL, false)"));

    // Dave's laptop adds an item, his desktop fetches it, again and again while Eve holds.
    QElapsedTimer holding;
    holding.start();
    int round = 0;
    while (holding.elapsed() < holdMs - 15'000) {
        SCOPED_TRACE(round);
        const QString name = QStringLiteral("item-%1").arg(round);
        queueSaves(laptop.engine, laptop.delegate, {note(name, zone("TB-dave"), "x")});
        const Timed sent = timed([&] { return send(laptop.engine); });
        ASSERT_FALSE(sent.error) << sent.error->message.toStdString();
        EXPECT_LT(sent.ms, usualBoundMs);
        const Timed fetched = timed([&] { return fetch(desktop.engine); });
        ASSERT_FALSE(fetched.error) << fetched.error->message.toStdString();
        EXPECT_LT(fetched.ms, usualBoundMs);
        EXPECT_TRUE(desktop.fetchedNames().count(name));
        ++round;
        QThread::msleep(1'000);
    }
    // Removing a list numbers its removal among everybody's.
    laptop.engine.state().add({PendingDatabaseChange::deleteZone(zone("TB-old"))});
    const Timed removed = timed([&] { return send(laptop.engine); });
    ASSERT_FALSE(removed.error) << removed.error->message.toStdString();
    EXPECT_LT(removed.ms, usualBoundMs);
    const Timed told = timed([&] { return fetch(desktop.engine); });
    ASSERT_FALSE(told.error) << told.error->message.toStdString();
    EXPECT_LT(told.ms, usualBoundMs);
    bool gone = false;
    for (const auto& changes : desktop.delegate.eventsOf<SyncEvents::FetchedDatabaseChanges>()) {
        for (const ZoneDeletion& deletion : changes.deletions)
            gone = gone || deletion.zoneID.zoneName == QLatin1String("TB-old");
    }
    EXPECT_TRUE(gone);
    EXPECT_GT(round, 10);
    EXPECT_TRUE(eve.stillHolding()) << "the rounds ran while Eve held everything";
}

TEST_F(PostgresIsolationTest, ASlowWriteHoldsUpOnlyItsListsAndItsListsMissNothingOfIt) {
    for (const char* person : {"ann", "bob"})
        db->addPerson(person);
    makeList("ann", "TB-slow");
    makeList("ann", "TB-fast");
    makeList("bob", "TB-bob");
    // A record of this name takes its writer four seconds to store, locks and numbers held.
    ASSERT_EQ(db->run("CREATE FUNCTION tallybird.slow_write() RETURNS trigger LANGUAGE plpgsql "
                      "AS $$ BEGIN PERFORM pg_sleep(4); RETURN NEW; END $$; "
                      "CREATE TRIGGER slow_write BEFORE INSERT ON tallybird.records FOR EACH ROW "
                      "WHEN (NEW.name = 'slow') EXECUTE FUNCTION tallybird.slow_write()"),
              QString());

    PersonDevice annLaptop(*db, "ann", "annLaptop");
    PersonDevice annPhone(*db, "ann", "annPhone");
    PersonDevice annDesktop(*db, "ann", "annDesktop");
    PersonDevice bobLaptop(*db, "bob", "bobLaptop");
    PersonDevice bobDesktop(*db, "bob", "bobDesktop");
    ASSERT_FALSE(fetch(annDesktop.engine));
    ASSERT_FALSE(fetch(bobDesktop.engine));

    queueSaves(annLaptop.engine, annLaptop.delegate, {note("slow", zone("TB-slow"), "late")});
    std::optional<std::optional<CloudError>> slowSent;
    QElapsedTimer slowClock;
    slowClock.start();
    annLaptop.engine.sendChanges([&](std::optional<CloudError> error) { slowSent = error; });
    // Once the slow write is under way (what a session waits for, the server's superuser sees).
    const QString sleeping = QStringLiteral("SELECT count(*) FROM pg_catalog.pg_stat_activity "
                                            "WHERE usename = 'ann' AND wait_event = 'PgSleep'");
    QElapsedTimer started;
    started.start();
    while (db->value(sleeping, "tallybird_super") != "1" && !slowSent &&
           started.elapsed() < 5'000) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    ASSERT_EQ(db->value(sleeping, "tallybird_super"), "1");
    ASSERT_FALSE(slowSent);

    // Bob shares nothing with Ann: his devices do not wait for her write.
    queueSaves(bobLaptop.engine, bobLaptop.delegate, {note("bobs", zone("TB-bob"), "x")});
    const Timed bobSent = timed([&] { return send(bobLaptop.engine); });
    ASSERT_FALSE(bobSent.error) << bobSent.error->message.toStdString();
    EXPECT_LT(bobSent.ms, 1'500);
    const Timed bobFetched = timed([&] { return fetch(bobDesktop.engine); });
    ASSERT_FALSE(bobFetched.error) << bobFetched.error->message.toStdString();
    EXPECT_LT(bobFetched.ms, 1'500);
    EXPECT_TRUE(bobDesktop.fetchedNames().count("bobs"));
    EXPECT_FALSE(slowSent) << "Bob's devices were done while Ann's write went on";

    // Another of Ann's lists changes while the slow write goes on, numbered after it.
    queueSaves(annPhone.engine, annPhone.delegate, {note("fast", zone("TB-fast"), "early")});
    ASSERT_FALSE(send(annPhone.engine));
    ASSERT_FALSE(fetch(annDesktop.engine));

    const auto slowDone = testsupport::waitForCompletion<bool>(
        [&](std::function<void(bool)> done) {
            if (slowSent)
                return done(true);
            annLaptop.engine.fetchChanges([done](std::optional<CloudError>) { done(true); });
        },
        std::chrono::seconds(10));
    ASSERT_TRUE(slowDone);
    ASSERT_TRUE(slowSent);
    ASSERT_FALSE(*slowSent) << (*slowSent)->message.toStdString();
    EXPECT_GE(slowClock.elapsed(), 4'000);

    // Ann's desktop, whatever it fetched while the slow write went on, ends with both.
    ASSERT_FALSE(fetch(annDesktop.engine));
    const std::set<QString> names = annDesktop.fetchedNames();
    EXPECT_TRUE(names.count("fast"));
    EXPECT_TRUE(names.count("slow")) << "a change committed late is not hidden behind a later one";
}

TEST_F(PostgresIsolationTest, AnotherPersonHoldsUpAtMostTheListsTheyAcceptedAndThoseMissNothing) {
    // Ann's list that she shares with nobody, hers shared with Eve, hers she only invited Eve
    // to, and Eve's that Ann accepted.
    for (const char* person : {"ann", "eve"})
        db->addPerson(person);
    makeList("ann", "TB-ann");
    makeList("ann", "TB-shared");
    makeList("ann", "TB-invited");
    makeList("eve", "TB-eve");
    auto admin = db->admin();
    ASSERT_FALSE(admin->shareZone("ann", "TB-shared", "eve", ParticipantPermission::readWrite));
    ASSERT_FALSE(admin->acceptShare("ann", "TB-shared", "eve"));
    ASSERT_FALSE(admin->shareZone("ann", "TB-invited", "eve", ParticipantPermission::readWrite));
    ASSERT_FALSE(admin->shareZone("eve", "TB-eve", "ann", ParticipantPermission::readWrite));
    ASSERT_FALSE(admin->acceptShare("eve", "TB-eve", "ann"));

    PersonDevice laptop(*db, "ann", "annLaptop");
    PersonDevice desktop(*db, "ann", "annDesktop");
    PersonDevice sharedDesktop(*db, "ann", "annDesktop", DatabaseScope::sharedScope);
    ASSERT_FALSE(fetch(desktop.engine));
    ASSERT_FALSE(fetch(sharedDesktop.engine));

    const struct {
        const char* what;
        const char* owner;
        const char* zone;
        PersonDevice* reader; // the device of Ann's that fetches the list
        const char* lock;     // what Eve's lock of it answers: 0 held, 2 refused
    } holds[] = {
        {"a list Ann shared with her", "ann", "TB-shared", &desktop, "0"},
        {"her own list, which Ann accepted", "eve", "TB-eve", &sharedDesktop, "0"},
        {"a list Ann only invited her to", "ann", "TB-invited", &desktop, "2"},
    };
    int round = 0;
    for (const auto& hold : holds) {
        SCOPED_TRACE(hold.what);
        // Eve locks the list and, where she may, writes to it with a number taken at once,
        // then keeps all of it while Ann's devices sync several times.
        OpenTransaction eve(*db, "eve");
        const QString held = eve.run(QStringLiteral("SELECT tallybird.lock_zone('%1', '%2')")
                                         .arg(hold.owner, hold.zone))
                                 .value_or("");
        EXPECT_EQ(held, hold.lock);
        const bool writes = held == "0" && held == hold.lock;
        const QString name = QStringLiteral("eve-%1").arg(hold.zone);
        if (writes) {
            const qint64 seq =
                eve.run("SELECT tallybird.take_blocks(1)").value_or("0").toLongLong();
            Record record = note(name, zone(hold.zone, hold.owner), "late");
            record.setChangeTag(QStringLiteral("t%1").arg(seq));
            const QString written =
                eve.run(QStringLiteral("INSERT INTO tallybird.records VALUES ('%1', '%2', '%3', "
                                       "'Note', 't%4', decode('%5', 'hex'), %4)")
                            .arg(hold.owner, hold.zone, name)
                            .arg(seq)
                            .arg(QString::fromLatin1(RecordCoding::encode(record).toHex())))
                    .value_or("refused");
            ASSERT_EQ(written, "");
            ASSERT_EQ(eve.run(QStringLiteral("SELECT tallybird.touch_zone('%1', '%2', %3)")
                                  .arg(hold.owner, hold.zone)
                                  .arg(seq)),
                      "");
        }

        // Meanwhile Ann's laptop adds to her unshared list and her desktop fetches it, and what
        // others share with her.
        for (int i = 0; i < 3; ++i, ++round) {
            SCOPED_TRACE(round);
            const QString item = QStringLiteral("item-%1").arg(round);
            queueSaves(laptop.engine, laptop.delegate, {note(item, zone("TB-ann"), "x")});
            const Timed sent = timed([&] { return send(laptop.engine); });
            ASSERT_FALSE(sent.error) << sent.error->message.toStdString();
            EXPECT_LT(sent.ms, usualBoundMs);
            const Timed fetched = timed([&] { return fetch(desktop.engine); });
            ASSERT_FALSE(fetched.error) << fetched.error->message.toStdString();
            EXPECT_LT(fetched.ms, usualBoundMs);
            EXPECT_TRUE(desktop.fetchedNames().count(item));
            const Timed shared = timed([&] { return fetch(sharedDesktop.engine); });
            ASSERT_FALSE(shared.error) << shared.error->message.toStdString();
            EXPECT_LT(shared.ms, usualBoundMs);
        }

        // What Eve wrote while she held the list reaches Ann once she is done, though it is
        // numbered before what Ann's devices fetched meanwhile.
        ASSERT_TRUE(eve.run("COMMIT").has_value());
        if (writes) {
            ASSERT_FALSE(fetch(hold.reader->engine));
            EXPECT_TRUE(hold.reader->fetchedNames().count(name));
        }
    }
}

} // namespace
