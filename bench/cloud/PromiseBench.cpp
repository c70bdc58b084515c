// The server's promise to readers, for minutes: no reader's mark ever passes a change, while
// writers of one list take turns on it, writers of their own lists move the numbers on, and the
// server is stopped as a crash stops it every so often; one more writer calls the server's
// functions in another order than the program does. On a server of the bench's own (see
// scripts/pg-cluster), with plain SQL as the program's devices send it.
//
// Readers take a mark (with the server's run it came in) and count the list's changes up to it
// on a snapshot of their own. At the end, every reading is checked against what committed: a
// reading that saw fewer changes up to its mark than committed up to it in its run or before
// passed a change for good, and makes the program exit with 1. Changes numbered below a mark
// that committed in a later run are what a token of that run reads as expired for.
//
// TALLYBIRD_BENCH_PROMISE_SECONDS: how long (default 180); TALLYBIRD_BENCH_PROMISE_CRASH_SECONDS:
// time between crashes (default 30, 0 for none); TALLYBIRD_BENCH_PROMISE_VERSION: the version the
// container is made at (default this one's); an earlier one is brought up to this one as the
// administrator first reaches it to let the people in, so the bench runs on an upgraded container.
#include "cloud/PostgresConnection.h"
#include "cloud/PostgresSchema.h"
#include "support/PostgresTestServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using testsupport::PostgresSession;
using testsupport::PostgresTestCluster;
using testsupport::PostgresTestDatabase;

int setting(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// A reading counts the list's changes in this many numbers up to its mark, so that it costs the
// same however long the bench runs: a change the mark passes is numbered close below it, a crash
// takes back at most the numbers the sequence logs ahead (32 blocks).
constexpr qint64 window = 64 * 1024;

struct Reading {
    size_t run; // in the order the runs came
    qint64 mark;
    qint64 seen; // changes of the list in the window up to the mark in the reader's snapshot
};

// What every thread shares.
struct Promise {
    std::unique_ptr<PostgresTestDatabase> db;
    std::atomic<bool> stop = false;
    std::atomic<int> generation = 0; // moves at each crash: sessions then connect again
    std::mutex mutex;
    std::vector<Reading> readings;
    std::vector<std::vector<qint64>> changes; // by run, the numbers its writers committed
    std::vector<QString> runs;                // in the order they came
    std::atomic<long> ownWrites = 0;
    std::atomic<long> outOfOrder = 0; // changes committed by the writer out of order
    // Its changes stamped with a number taken before the lock that committed all the same.
    std::atomic<long> earlyNumbersCommitted = 0;

    // Call with the mutex held.
    size_t runIndex(const QString& run) {
        auto found = std::find(runs.begin(), runs.end(), run);
        if (found != runs.end())
            return size_t(found - runs.begin());
        runs.push_back(run);
        changes.emplace_back();
        return runs.size() - 1;
    }
};

// A connection that comes back after a crash, with the run it is in.
class Connection {
public:
    Connection(Promise& promise, const char* role) : promise_(promise), role_(role) {}
    PostgresSession& session() {
        if (!session_ || !session_->ok() || generation_ != promise_.generation) {
            generation_ = promise_.generation;
            session_ = std::make_unique<PostgresSession>(*promise_.db, role_);
            run_ = session_->run("SELECT run FROM tallybird.settle()").value_or(QString());
        }
        return *session_;
    }
    const QString& run() const { return run_; }

private:
    Promise& promise_;
    QString role_;
    int generation_ = -1;
    std::unique_ptr<PostgresSession> session_;
    QString run_;
};

// A writer of Ann's shared list, the program's way: lock, take, write, touch, commit.
void writeShared(Promise& promise, Connection& connection, int writer, long n) {
    PostgresSession& session = connection.session();
    const QString name = QStringLiteral("w%1-%2").arg(writer).arg(n);
    session.run("BEGIN");
    const bool locked = session.run("SELECT tallybird.lock_zone('ann', 'TB-shared')") == "0";
    const qint64 taken = locked ? session.number("SELECT tallybird.take_blocks(1)") : -1;
    const bool written =
        taken > 0 &&
        session.run(QStringLiteral("INSERT INTO tallybird.records VALUES ('ann', 'TB-shared', "
                                   "'%1', 'Note', 't%2', '\\x7b7d', %2)")
                        .arg(name)
                        .arg(taken)) &&
        session.run(
            QStringLiteral("SELECT tallybird.touch_zone('ann', 'TB-shared', %1)").arg(taken));
    if (written && session.run("COMMIT")) {
        std::lock_guard lock(promise.mutex);
        promise.changes[promise.runIndex(connection.run())].push_back(taken);
    } else {
        session.run("ROLLBACK");
    }
}

// A writer who calls the server's functions in another order than the program does: every
// other change takes its number before the lock (which the server refuses to stamp a change
// with), the others ask for a mark and note sends and ask after them between the lock and the
// write. What the server lets commit counts as any change does.
void writeOutOfOrder(Promise& promise, Connection& connection, int writer, long n) {
    PostgresSession& session = connection.session();
    const QString name = QStringLiteral("o%1-%2").arg(writer).arg(n);
    const auto call = [&](const QString& sql) { return session.run(sql).has_value(); };
    session.run("BEGIN");
    qint64 taken = n % 2 == 0 ? session.number("SELECT tallybird.take_blocks(1)") : 0;
    bool written = taken >= 0 && call("SELECT tallybird.lock_zone('ann', 'TB-shared')") &&
                   call("SELECT tallybird.settle()") &&
                   call(QStringLiteral("SELECT tallybird.note_send('eve%1', '%2', NULL)")
                            .arg(writer)
                            .arg(name));
    if (written && n % 2 == 1)
        taken = session.number("SELECT tallybird.take_blocks(1)");
    written =
        written && taken > 0 &&
        call(QStringLiteral("INSERT INTO tallybird.records VALUES ('ann', 'TB-shared', "
                            "'%1', 'Note', 't%2', '\\x7b7d', %2)")
                 .arg(name)
                 .arg(taken)) &&
        call(QStringLiteral("SELECT * FROM tallybird.settle_send('eve%1', 'x%2')")
                 .arg(writer)
                 .arg(name)) &&
        call(QStringLiteral("SELECT tallybird.touch_zone('ann', 'TB-shared', %1)").arg(taken));
    if (written && session.run("COMMIT")) {
        std::lock_guard lock(promise.mutex);
        promise.changes[promise.runIndex(connection.run())].push_back(taken);
        ++(n % 2 == 0 ? promise.earlyNumbersCommitted : promise.outOfOrder);
    } else {
        session.run("ROLLBACK");
    }
}

// A reader of Ann's: her mark, then the list's changes up to it.
void read(Promise& promise, Connection& connection) {
    PostgresSession& session = connection.session();
    const std::optional<QString> answer =
        session.run("SELECT s.mark || ' ' || coalesce(to_jsonb(s)->>'run', '') "
                    "FROM tallybird.settle() s");
    if (!answer)
        return;
    const qint64 mark = answer->section(' ', 0, 0).toLongLong();
    const QString run = answer->section(' ', 1);
    session.run("BEGIN ISOLATION LEVEL REPEATABLE READ");
    const qint64 seen = session.number(
        QStringLiteral("SELECT count(*) FROM tallybird.records WHERE owner = 'ann' "
                       "AND zone = 'TB-shared' AND name <> '~zone-share' AND seq <= %1 "
                       "AND seq > %2")
            .arg(mark)
            .arg(mark - window));
    if (session.run("COMMIT") && seen >= 0) {
        std::lock_guard lock(promise.mutex);
        promise.readings.push_back({promise.runIndex(run), mark, seen});
    }
}

// Readings that passed a change for good, and those whose token a later run's change made
// read as expired.
std::pair<long, long> check(Promise& promise) {
    for (std::vector<qint64>& seqs : promise.changes)
        std::sort(seqs.begin(), seqs.end());
    long passed = 0;
    long expired = 0;
    for (const Reading& reading : promise.readings) {
        qint64 before = 0;
        bool later = false;
        for (size_t run = 0; run < promise.changes.size(); ++run) {
            const std::vector<qint64>& seqs = promise.changes[run];
            const auto from = std::upper_bound(seqs.begin(), seqs.end(), reading.mark - window);
            const auto upTo = std::upper_bound(seqs.begin(), seqs.end(), reading.mark);
            if (run <= reading.run)
                before += upTo - from;
            else
                later = later || upTo != from;
        }
        if (reading.seen < before)
            ++passed;
        else if (later)
            ++expired;
    }
    return {passed, expired};
}

long failedRuns = 0;

void BM_ServerPromise(benchmark::State& state) {
    const int seconds = setting("TALLYBIRD_BENCH_PROMISE_SECONDS", 180);
    const int crashEvery = setting("TALLYBIRD_BENCH_PROMISE_CRASH_SECONDS", 30);
    const int version = setting("TALLYBIRD_BENCH_PROMISE_VERSION", cloud::PostgresSchema::version);
    for (auto _ : state) {
        QTemporaryDir dir;
        PostgresTestCluster cluster(dir.filePath("server"));
        if (!cluster.ok()) {
            state.SkipWithError("the bench's server did not start");
            return;
        }
        Promise promise;
        promise.db = std::make_unique<PostgresTestDatabase>(false, cluster.info());
        {
            cloud::PostgresConnection admin(promise.db->adminUri(), 10'000);
            admin.open();
            cloud::PostgresSchema::create(admin, version);
        }
        for (const char* person : {"ann", "eve", "bob"})
            promise.db->addPerson(person);
        auto ann = cloud::Container::openServer(promise.db->uri("ann")).value();
        auto bob = cloud::Container::openServer(promise.db->uri("bob")).value();
        const cloud::ZoneID shared{"TB-shared", cloud::currentUserDefaultName};
        ann->modifyZones("annSetup", cloud::DatabaseScope::privateScope, {shared}, {});
        bob->modifyZones("bobSetup", cloud::DatabaseScope::privateScope,
                         {cloud::ZoneID{"TB-bob", cloud::currentUserDefaultName}}, {});
        auto admin = promise.db->admin();
        admin->shareZone("ann", "TB-shared", "eve", cloud::ParticipantPermission::readWrite);
        admin->acceptShare("ann", "TB-shared", "eve");

        std::vector<std::thread> threads;
        for (int i = 0; i < 16; ++i)
            threads.emplace_back([&, i] {
                Connection connection(promise, i % 2 ? "eve" : "ann");
                for (long n = 0; !promise.stop; ++n)
                    writeShared(promise, connection, i, n);
            });
        for (int i = 0; i < 2; ++i)
            threads.emplace_back([&, i] {
                Connection connection(promise, "eve");
                for (long n = 0; !promise.stop; ++n)
                    writeOutOfOrder(promise, connection, i, n);
            });
        for (int i = 0; i < 4; ++i)
            threads.emplace_back([&] {
                // Bob's own list: numbers move on that Ann's marks count.
                Connection connection(promise, "bob");
                while (!promise.stop) {
                    PostgresSession& session = connection.session();
                    session.run("BEGIN");
                    session.run("SELECT tallybird.lock_zone('bob', 'TB-bob')");
                    session.run("SELECT count(*) FROM tallybird.take_blocks(3)");
                    session.run("COMMIT");
                    ++promise.ownWrites;
                }
            });
        for (int i = 0; i < 24; ++i)
            threads.emplace_back([&] {
                Connection connection(promise, "ann");
                while (!promise.stop)
                    read(promise, connection);
            });
        QElapsedTimer clock;
        clock.start();
        int crashes = 0;
        while (clock.elapsed() < seconds * 1000) {
            QThread::msleep(100);
            if (crashEvery > 0 && clock.elapsed() > (crashes + 1) * crashEvery * 1000) {
                cluster.halt();
                ++promise.generation;
                cluster.resume();
                ++crashes;
            }
        }
        promise.stop = true;
        for (std::thread& thread : threads)
            thread.join();
        const auto [passed, expired] = check(promise);
        const double minutes = double(clock.elapsed()) / 60'000.0;
        state.counters["readings a minute"] = double(promise.readings.size()) / minutes;
        size_t changes = 0;
        for (const std::vector<qint64>& seqs : promise.changes)
            changes += seqs.size();
        state.counters["changes a minute"] = double(changes) / minutes;
        state.counters["own writes a minute"] = double(promise.ownWrites) / minutes;
        state.counters["out of order a minute"] = double(promise.outOfOrder) / minutes;
        state.counters["early numbers committed"] = double(promise.earlyNumbersCommitted);
        state.counters["crashes"] = crashes;
        state.counters["passed"] = double(passed);
        state.counters["expired by a crash"] = double(expired);
        if (passed > 0) {
            ++failedRuns;
            std::fprintf(stderr, "%ld of %zu readings passed a change for good\n", passed,
                         promise.readings.size());
        }
    }
}
BENCHMARK(BM_ServerPromise)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return failedRuns > 0 ? 1 : 0;
}
