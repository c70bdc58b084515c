// A reader's mark on a server, checked at the level of SQL with writers and readers at once: it
// never counts a number nobody was handed, and no change commits below it later, whatever order
// a writer calls the server's functions in, nor after a crash of the server. The rows that note
// a transaction's numbers and locks go with its commit.
#include "EarlierContainer.h"
#include "TestSupport.h"

#include "support/QStringPrinting.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>

using namespace cloudtest;
using testsupport::PostgresTestCluster;
using testsupport::PostgresTestDatabase;
using testsupport::PostgresTestServer;

namespace marktest {

using Session = testsupport::PostgresSession;

// Runs `body` on `count` threads until `seconds` pass or `stop` is set.
void together(int count, int seconds, std::atomic<bool>& stop,
              const std::function<void(int)>& body) {
    std::vector<std::thread> threads;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&, i] {
            while (!stop && clock.elapsed() < seconds * 1000)
                body(i);
        });
    for (std::thread& thread : threads)
        thread.join();
}

class PostgresMarkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
        db = std::make_unique<PostgresTestDatabase>();
        ASSERT_TRUE(db->ok()) << db->error().toStdString();
    }

    void makeList(const QString& person, const QString& zoneName) {
        auto container = Container::openServer(db->uri(person)).value();
        ASSERT_TRUE(container
                        ->modifyZones(person + QStringLiteral("Setup"), DatabaseScope::privateScope,
                                      {zone(zoneName)}, {})
                        .ok());
    }

    std::unique_ptr<PostgresTestDatabase> db;
};

TEST_F(PostgresMarkTest, AMarkNeverCountsNumbersNobodyWasHanded) {
    for (const char* person : {"ann", "bob"})
        db->addPerson(person);
    makeList("ann", "TB-ann");
    // Bob's devices take numbers as fast as they can (every 33rd logs a value ahead); Ann's
    // read their marks meanwhile, each followed by the highest number handed out so far.
    std::atomic<bool> stop = false;
    std::atomic<int> reads = 0;
    std::atomic<int> ahead = 0;
    std::mutex firstMutex;
    QString first;
    std::thread writers([&] {
        together(4, 20, stop, [&](int) {
            thread_local Session bob(*db, "bob");
            bob.run("SELECT count(*) FROM tallybird.take_blocks(100)");
        });
    });
    together(2, 20, stop, [&](int) {
        thread_local Session ann(*db, "ann");
        thread_local Session admin(*db, "tallybird");
        const qint64 mark = ann.number("SELECT * FROM tallybird.settle()");
        const qint64 top = admin.number(
            "SELECT pg_catalog.pg_sequence_last_value('tallybird.change_blocks') + 1023");
        ++reads;
        if (mark > top) {
            ++ahead;
            std::lock_guard lock(firstMutex);
            if (first.isEmpty())
                first = QStringLiteral("mark %1 above the top %2").arg(mark).arg(top);
            // Once seen, there is no need to go on.
            stop = true;
        }
    });
    stop = true;
    writers.join();
    EXPECT_EQ(ahead, 0) << first.toStdString() << " (of " << reads << " reads)";
    EXPECT_GT(reads, 200);
}

TEST_F(PostgresMarkTest, ATransactionsNumbersAndLocksAreForgottenAtCommitWhateverItsConstraints) {
    db->addPerson("ann");
    makeList("ann", "TB-ann");
    const struct {
        const char* what;
        const char* before;  // what the transaction does before it takes numbers
        const char* between; // ...between its takes
    } modes[] = {
        {"as the program leaves them", "", ""},
        {"all immediate", "SET CONSTRAINTS ALL IMMEDIATE", ""},
        {"immediate after the first take", "", "SET CONSTRAINTS ALL IMMEDIATE"},
        {"immediate, then deferred again", "SET CONSTRAINTS ALL IMMEDIATE",
         "SET CONSTRAINTS ALL DEFERRED"},
        {"immediate in a savepoint given up", "",
         "SAVEPOINT s; SET CONSTRAINTS ALL IMMEDIATE; ROLLBACK TO SAVEPOINT s"},
    };
    Session ann(*db, "ann");
    ASSERT_TRUE(ann.ok());
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.what);
        ASSERT_TRUE(ann.run("BEGIN"));
        ASSERT_TRUE(ann.run(mode.before));
        ann.run("SELECT tallybird.lock_feed('ann')");
        ann.run("SELECT tallybird.lock_zone('ann', 'TB-ann')");
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(ann.run("SELECT count(*) FROM tallybird.take_blocks(2)"));
            ASSERT_TRUE(ann.run(mode.between));
        }
        ASSERT_TRUE(ann.run("COMMIT"));
        for (const char* table : {"taken", "takers", "locked"}) {
            // A table an earlier version has not is empty all the same.
            const QString left = db->value(
                QStringLiteral("SELECT CASE WHEN to_regclass('tallybird.%1') IS NULL THEN 0 "
                               "ELSE (xpath('/row/c/text()', query_to_xml('SELECT count(*) AS c "
                               "FROM tallybird.%1', false, true, '')))[1]::text::int END")
                    .arg(table));
            EXPECT_EQ(left, "0") << table;
        }
    }
}

// A writer of Ann's list through the server's functions, in one order or another; what it
// does in one transaction, each step a statement, with pauses a slow client makes.
struct Order {
    const char* what;
    const char* role;
    QStringList steps; // %1: the number taken, %2: the record's name
    bool accepted;     // whether the server takes the change
};

TEST_F(PostgresMarkTest, NoChangeCommitsBelowAMarkHandedOutWhateverOrderItsWriterFollows) {
    for (const char* person : {"ann", "eve"})
        db->addPerson(person);
    makeList("ann", "TB-shared");
    auto admin = db->admin();
    ASSERT_FALSE(admin->shareZone("ann", "TB-shared", "eve", ParticipantPermission::readWrite));
    ASSERT_FALSE(admin->acceptShare("ann", "TB-shared", "eve"));

    const QString lock = "SELECT tallybird.lock_zone('ann', 'TB-shared')";
    const QString take = "SELECT tallybird.take_blocks(1)";
    const QString write = "INSERT INTO tallybird.records VALUES ('ann', 'TB-shared', '%2', "
                          "'Note', 't%1', '\\x7b7d', %1)";
    const QString touch = "SELECT tallybird.touch_zone('ann', 'TB-shared', %1)";
    const QString pause = "SELECT pg_catalog.pg_sleep(0.02)";
    const std::vector<Order> orders{
        {"the program's", "ann", {lock, take, write, touch, pause}, true},
        {"without the lock", "eve", {take, pause, write, pause, touch, pause}, false},
        {"numbers before the lock", "eve", {take, pause, lock, write, touch, pause}, false},
        {"in a savepoint after the lock",
         "eve",
         {lock, "SAVEPOINT s", take, pause, write, touch, "RELEASE SAVEPOINT s", pause},
         false},
        {"all in a savepoint",
         "eve",
         {"SAVEPOINT s", lock, take, pause, write, touch, "RELEASE SAVEPOINT s", pause},
         true},
    };
    std::vector<std::atomic<int>> committed(orders.size());
    std::vector<std::atomic<int>> refused(orders.size());

    // Ann's readers: a mark, then the list's records up to it on a snapshot of their own.
    struct Seen {
        qint64 mark;
        qint64 records;
    };
    std::mutex seenMutex;
    std::vector<Seen> seen;
    std::atomic<bool> stop = false;
    std::thread readers([&] {
        together(2, 10, stop, [&](int) {
            thread_local Session ann(*db, "ann");
            const qint64 mark = ann.number("SELECT * FROM tallybird.settle()");
            ann.run("BEGIN ISOLATION LEVEL REPEATABLE READ");
            const qint64 records = ann.number(
                QStringLiteral("SELECT count(*) FROM tallybird.records WHERE owner = 'ann' "
                               "AND zone = 'TB-shared' AND name <> '~zone-share' AND seq <= %1")
                    .arg(mark));
            ann.run("COMMIT");
            std::lock_guard lock(seenMutex);
            seen.push_back({mark, records});
        });
    });
    std::atomic<int> names = 0;
    together(int(orders.size()), 10, stop, [&](int i) {
        thread_local Session writer(*db, orders[size_t(i)].role);
        const QString name = QStringLiteral("w%1-%2").arg(i).arg(++names);
        writer.run("BEGIN");
        QString taken = "0";
        bool ok = true;
        for (const QString& step : orders[size_t(i)].steps) {
            const std::optional<QString> answer =
                writer.run(QString(step).replace("%1", taken).replace("%2", name));
            // A lock refused, or of a zone not there, is no lock.
            ok = answer && !(step == lock && answer != "0");
            if (!ok)
                break;
            if (step == take)
                taken = *answer;
        }
        if (ok && writer.run("COMMIT"))
            ++committed[size_t(i)];
        else {
            writer.run("ROLLBACK");
            ++refused[size_t(i)];
        }
    });
    readers.join();

    // What every reader saw up to its mark is all that ever committed up to it.
    Session check(*db, "tallybird");
    const QStringList numbers =
        check
            .run("SELECT string_agg(seq::text, ',' ORDER BY seq) FROM tallybird.records "
                 "WHERE owner = 'ann' AND zone = 'TB-shared' AND name <> '~zone-share'")
            .value_or("")
            .split(',', Qt::SkipEmptyParts);
    std::vector<qint64> stamps;
    for (const QString& number : numbers)
        stamps.push_back(number.toLongLong());
    int passed = 0;
    QString example;
    for (const Seen& reader : seen) {
        const auto records =
            std::upper_bound(stamps.begin(), stamps.end(), reader.mark) - stamps.begin();
        if (records != reader.records) {
            ++passed;
            example = QStringLiteral("mark %1: %2 records seen, %3 committed up to it, the "
                                     "latest by %4")
                          .arg(reader.mark)
                          .arg(reader.records)
                          .arg(records)
                          .arg(check
                                   .run(QStringLiteral("SELECT name FROM tallybird.records "
                                                       "WHERE seq <= %1 AND name <> "
                                                       "'~zone-share' ORDER BY seq DESC LIMIT 1")
                                            .arg(reader.mark))
                                   .value_or(""));
        }
    }
    EXPECT_EQ(passed, 0) << example.toStdString() << " (of " << seen.size() << " reads)";
    EXPECT_GT(seen.size(), 50u);
    for (size_t i = 0; i < orders.size(); ++i) {
        SCOPED_TRACE(orders[i].what);
        if (orders[i].accepted) {
            EXPECT_GT(committed[i], 0);
            EXPECT_EQ(refused[i], 0);
        } else {
            EXPECT_EQ(committed[i], 0);
            EXPECT_GT(refused[i], 0);
        }
    }
}

TEST_F(PostgresMarkTest, AnUpgradeBringsMarksAboveTheTopDownAndTheirTokensFetchEverythingAgain) {
    PostgresTestDatabase earlier(false);
    ASSERT_TRUE(earlier.ok()) << earlier.error().toStdString();
    makeEarlierContainer(earlier, 4, {"ann"});
    auto ann = Container::openServer(earlier.uri("ann")).value();
    ASSERT_TRUE(
        ann->modifyZones("annLaptop", DatabaseScope::privateScope, {zone("TB-ann")}, {}).ok());
    auto first = ann->fetchDatabaseChanges("annDesktop", DatabaseScope::privateScope, {});
    ASSERT_TRUE(first.ok());
    // A mark read while `nextval` logged ahead counted 32 blocks nobody was handed, and the
    // desktop's token was taken under it.
    ASSERT_EQ(earlier.run("UPDATE tallybird.marks SET mark = mark + 32768"), QString());
    auto inflated =
        ann->fetchDatabaseChanges("annDesktop", DatabaseScope::privateScope, first.value().token);
    ASSERT_TRUE(inflated.ok());

    // The administrator's program opens the container; the laptop adds to the list, with a
    // number below the desktop's token.
    ASSERT_TRUE(earlier.admin()->users().ok());
    EXPECT_EQ(earlier.value("SELECT value FROM tallybird.meta WHERE key = 'version'"),
              QString::number(cloud::PostgresSchema::version));
    EXPECT_EQ(earlier.value("SELECT count(*) FROM tallybird.marks WHERE mark > tallybird.top()"),
              "0");
    auto saved = ann->modifyRecords("annLaptop", DatabaseScope::privateScope,
                                    {note("r1", zone("TB-ann"), "x")}, {});
    ASSERT_TRUE(saved.ok() && saved.value().failedRecordSaves.empty());
    auto after = ann->fetchDatabaseChanges("annDesktop", DatabaseScope::privateScope,
                                           inflated.value().token);
    ASSERT_TRUE(after.ok());
    EXPECT_TRUE(after.value().tokenExpired);
    EXPECT_EQ(after.value().modifications.size(), 1u);
}

// On a server of the test's own, which it stops as a crash would just after a token counted
// numbers a writer took and has not committed. Its WAL writer waits long, so that what nobody
// committed stays off the disk until the crash, as it may on a busy server.
class PostgresCrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
        cluster = std::make_unique<PostgresTestCluster>(dir.filePath("server"));
        ASSERT_TRUE(cluster->ok()) << "the test's own server did not start";
        ASSERT_EQ(cluster->set("wal_writer_delay", "10s"), QString());
        db = std::make_unique<PostgresTestDatabase>(true, cluster->info());
        ASSERT_TRUE(db->ok()) << db->error().toStdString();
        for (const char* person : {"ann", "bob"})
            db->addPerson(person);
        auto laptop = Container::openServer(db->uri("ann")).value();
        ASSERT_TRUE(
            laptop->modifyZones("annSetup", DatabaseScope::privateScope, {zone("TB-ann")}, {})
                .ok());
    }
    void TearDown() override {
        db.reset();
        cluster.reset();
    }

    // Bob takes more numbers than the sequence logs ahead, so that its log moves, and keeps
    // his transaction open: nothing he took is on the disk.
    std::unique_ptr<Session> bobTakesNumbers() {
        auto bob = std::make_unique<Session>(*db, "bob");
        bob->run("BEGIN");
        EXPECT_TRUE(bob->run("SELECT max(b) FROM tallybird.take_blocks(40) b"));
        return bob;
    }
    void crash() {
        ASSERT_TRUE(cluster->halt());
        ASSERT_TRUE(cluster->resume());
    }

    QTemporaryDir dir;
    std::unique_ptr<PostgresTestCluster> cluster;
    std::unique_ptr<PostgresTestDatabase> db;
};

TEST_F(PostgresCrashTest, NoChangeAfterACrashCommitsBelowATokenHandedOutBeforeIt) {
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        // A token as a device keeps it: Ann's mark, and the run it was handed out in.
        qint64 mark = 0;
        QString run;
        {
            std::unique_ptr<Session> bob = bobTakesNumbers();
            Session ann(*db, "ann");
            mark = ann.number("SELECT mark FROM tallybird.settle()");
            run = ann.run("SELECT run FROM tallybird.settle()").value_or("");
            ASSERT_GT(mark, 0);
            crash();
        }
        // Ann's device adds to her list the program's way.
        Session ann(*db, "ann");
        ASSERT_TRUE(ann.ok());
        const QString later = ann.run("SELECT run FROM tallybird.settle()").value_or("");
        ann.run("BEGIN");
        ASSERT_EQ(ann.run("SELECT tallybird.lock_zone('ann', 'TB-ann')"), "0");
        const qint64 taken = ann.number("SELECT tallybird.take_blocks(1)");
        ASSERT_TRUE(ann.run(QStringLiteral("INSERT INTO tallybird.records VALUES ('ann', "
                                           "'TB-ann', 'r%1', 'Note', 't%2', '\\x7b7d', %2)")
                                .arg(round)
                                .arg(taken)));
        ASSERT_TRUE(
            ann.run(QStringLiteral("SELECT tallybird.touch_zone('ann', 'TB-ann', %1)").arg(taken)));
        ASSERT_TRUE(ann.run("COMMIT"));
        // The token reads as expired, or its mark lies below the change.
        EXPECT_TRUE(later != run || taken > mark)
            << "the change's number " << taken << " is below the mark " << mark
            << " handed out before the crash, in the same run " << run.toStdString();
        EXPECT_FALSE(later.isEmpty());
    }
}

TEST_F(PostgresCrashTest, ADeviceWhoseTokenCameBeforeACrashGetsWhatIsAddedAfterIt) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        PersonDevice laptop(*db, "ann", "annLaptop");
        PersonDevice desktop(*db, "ann", "annDesktop");
        ASSERT_FALSE(fetch(desktop.engine));
        {
            std::unique_ptr<Session> bob = bobTakesNumbers();
            ASSERT_FALSE(fetch(desktop.engine));
            crash();
        }
        const QString item = QStringLiteral("item-%1").arg(round);
        queueSaves(laptop.engine, laptop.delegate, {note(item, zone("TB-ann"), "x")});
        ASSERT_FALSE(send(laptop.engine));
        // Others' changes take the numbers past the desktop's token again; then it syncs twice.
        ASSERT_TRUE(Session(*db, "bob").run("SELECT max(b) FROM tallybird.take_blocks(40) b"));
        ASSERT_FALSE(fetch(desktop.engine));
        ASSERT_FALSE(fetch(desktop.engine));
        EXPECT_TRUE(desktop.fetchedNames().count(item))
            << "the desktop never got " << item.toStdString();
    }
}

// A device's pass cut short just before the crash, or by the crash itself, leaves a fetch under
// way with a token of the run the crash ended. After the crash the device fetches every record
// whole once, each request within its deadline when it has one, and then only what changed.
TEST_F(PostgresCrashTest, AfterACrashADeviceFetchesEverythingOnceThenOnlyWhatChanged) {
    enum class Cut { byTheDeadline, byTheCrash };
    const struct {
        const char* what;
        Cut cut;
        bool outOfTimeAfter; // every request after the crash is out of time after one list
    } cases[] = {
        {"a pass cut short by its deadline just before the crash", Cut::byTheDeadline, false},
        {"a pass cut short by the crash", Cut::byTheCrash, false},
        {"a pass cut short by the crash, the requests after it out of time", Cut::byTheCrash, true},
    };
    for (int round = 0; round < int(std::size(cases)); ++round) {
        const auto& c = cases[round];
        SCOPED_TRACE(c.what);
        PersonDevice laptop(*db, "ann", "annLaptop");
        std::vector<Record> made;
        for (int z = 0; z < 4; ++z)
            made.push_back(note(QStringLiteral("n%1-%2").arg(round).arg(z),
                                zone(QStringLiteral("TB-%1-%2").arg(round).arg(z)), "x"));
        queueSaves(laptop.engine, laptop.delegate, made);
        ASSERT_FALSE(send(laptop.engine));
        const size_t account = made.size() * size_t(round + 1); // each round's lists stay

        // Each pass is a request of its own, from the state the last one saved.
        const QString desktop = QStringLiteral("annDesktop%1").arg(round);
        auto container = Container::openServer(db->uri("ann")).value();
        std::optional<StateSerialization> saved;
        std::map<QString, QString> fetched; // each record's text as fetched last
        size_t records = 0;
        const auto pass = [&](bool outOfTime, const std::function<void()>& afterZones = {}) {
            RecordingDelegate delegate;
            delegate.onEvent = [&](const SyncEngineEvent& event, SyncEngine&) {
                if (afterZones && std::holds_alternative<SyncEvents::FetchedDatabaseChanges>(event))
                    afterZones();
            };
            SyncEngine engine({Database(container, desktop, DatabaseScope::privateScope), saved,
                               &delegate, false, 400});
            if (outOfTime)
                engine.setFetchDeadline(QDeadlineTimer(0));
            const auto error = fetch(engine);
            if (delegate.saved)
                saved = delegate.saved;
            for (const Record& record : delegate.fetchedRecords()) {
                fetched[record.recordID().recordName] =
                    record.string(QStringLiteral("text")).value_or(QString());
                ++records;
            }
            return error;
        };
        ASSERT_FALSE(pass(false));
        // The laptop changes two lists, and the desktop's next pass is cut short after one.
        for (int z : {0, 1}) {
            Record changed = laptop.delegate.records.at(made[size_t(z)].recordID());
            changed.set(QStringLiteral("text"), QStringLiteral("y"));
            queueSaves(laptop.engine, laptop.delegate, {changed});
        }
        ASSERT_FALSE(send(laptop.engine));
        if (c.cut == Cut::byTheDeadline) {
            const auto error = pass(true);
            ASSERT_TRUE(error && SyncEngine::isFetchCutShort(*error));
            crash();
        } else {
            bool halted = false;
            EXPECT_TRUE(pass(false, [&] {
                if (!std::exchange(halted, true)) {
                    EXPECT_TRUE(cluster->halt());
                }
            }));
            ASSERT_TRUE(halted);
            ASSERT_TRUE(cluster->resume());
        }

        // After the crash: every record of the account once, over one request or several.
        fetched.clear();
        records = 0;
        int requests = 1;
        for (auto error = pass(c.outOfTimeAfter); error; error = pass(c.outOfTimeAfter)) {
            ASSERT_TRUE(SyncEngine::isFetchCutShort(*error)) << error->message.toStdString();
            ASSERT_LT(++requests, 100) << "the fetch never ended";
        }
        if (c.outOfTimeAfter) {
            EXPECT_GT(requests, 1) << "a request after the crash outlasted its deadline";
        }
        for (size_t z = 0; z < made.size(); ++z) {
            EXPECT_EQ(fetched[made[z].recordID().recordName], z < 2 ? "y" : "x")
                << made[z].recordID().recordName.toStdString();
        }
        EXPECT_EQ(records, account) << "a list missed or fetched twice";

        // Then each pass brings only what changed.
        for (int later = 0; later < 3; ++later) {
            records = 0;
            ASSERT_FALSE(pass(false));
            EXPECT_EQ(records, 0u) << "pass " << later << " fetched the account whole again";
        }
        Record changed = laptop.delegate.records.at(made[2].recordID());
        changed.set(QStringLiteral("text"), QStringLiteral("z"));
        queueSaves(laptop.engine, laptop.delegate, {changed});
        ASSERT_FALSE(send(laptop.engine));
        records = 0;
        ASSERT_FALSE(pass(false));
        EXPECT_EQ(records, 1u);
    }
}

TEST_F(PostgresCrashTest, ADeviceThatSyncedAfterABackupGetsWhatIsAddedAfterTheServerIsPutBack) {
    const QString dump = dir.filePath("container.dump");
    const struct {
        const char* what;
        std::function<bool()> backUp;
        std::function<bool()> putBack;
        bool newRun;  // the administrator starts one once the server is back
        bool expired; // the desktop's token reads as expired, and it fetches everything once
    } ways[] = {
        {"a dump, restored by pg_restore", [&] { return cluster->dump(db->name(), dump); },
         [&] { return cluster->load(db->name(), dump); }, false, true},
        {"a copy of the stopped server's files, put back",
         [&] { return cluster->shut() && cluster->save() && cluster->resume(); },
         [&] { return cluster->shut() && cluster->putBack() && cluster->resume(); }, true, true},
        {"no backup: a clean restart and the run's table vacuumed", [] { return true; },
         [&] {
             return cluster->shut() && cluster->resume() &&
                    db->run("VACUUM FULL tallybird.runs").isEmpty();
         },
         false, false},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        PersonDevice laptop(*db, "ann", "annLaptop");
        PersonDevice desktop(*db, "ann", "annDesktop");
        ASSERT_FALSE(fetch(desktop.engine));
        ASSERT_TRUE(way.backUp());
        // After the backup, others' changes move the numbers on, and the desktop syncs.
        ASSERT_TRUE(Session(*db, "bob").run("SELECT max(b) FROM tallybird.take_blocks(40) b"));
        ASSERT_FALSE(fetch(desktop.engine));
        ASSERT_TRUE(way.putBack());
        if (way.newRun) {
            ASSERT_FALSE(db->admin()->startNewRun());
        }
        const QString item = QStringLiteral("item-%1").arg(&way - ways);
        queueSaves(laptop.engine, laptop.delegate, {note(item, zone("TB-ann"), "x")});
        ASSERT_FALSE(send(laptop.engine));
        // Others' changes take the numbers past the desktop's token again; then it syncs twice.
        ASSERT_TRUE(Session(*db, "bob").run("SELECT max(b) FROM tallybird.take_blocks(60) b"));
        desktop.delegate.events.clear();
        ASSERT_FALSE(fetch(desktop.engine));
        ASSERT_FALSE(fetch(desktop.engine));
        EXPECT_TRUE(desktop.fetchedNames().count(item))
            << "the desktop never got " << item.toStdString();
        const auto told = desktop.delegate.eventsOf<SyncEvents::FetchedDatabaseChanges>();
        EXPECT_EQ(std::count_if(told.begin(), told.end(),
                                [](const auto& event) { return event.tokenExpired; }),
                  way.expired ? 1 : 0);
    }
}

} // namespace marktest
