// Sync through the cloud container on a PostgreSQL server over the loopback port, each person
// connecting as their own role with a password (scram-sha-256) from a password file: the first
// upload of 10,000 items, an edit's round trip from one device's pass to another device's store
// and what a command-line request pays, each beside the same on a container file in the same
// run, and 50 devices of 10 people syncing at once for a minute, each in a process of its own.
// The fifty devices end with a check of each device's items against the server's: a run with
// any item missing or doubled (or whose check could not be made) says so on standard error,
// and the program then exits with 1.
// TALLYBIRD_BENCH_DEVICE_SECONDS sets the devices' time instead of a minute, and
// --benchmark_repetitions=N makes N runs of it.
//
// The server is a throw-away one that scripts/pg-cluster starts and removes, with the server's
// own settings (every commit flushed to the disk), unless TALLYBIRD_BENCH_POSTGRES names the
// folder of one already started that way.
#include "cloud/CloudDevice.h"
#include "platform/Defaults.h"
#include "sync/CloudSync.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QUuid>

#include <benchmark/benchmark.h>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

namespace {

using cloud::CloudError;

constexpr int itemsPerList = 100;
const char* const password = "bench-password";

std::optional<CloudError>
await(const std::function<void(std::function<void(std::optional<CloudError>)>)>& start) {
    QEventLoop loop;
    bool finished = false;
    std::optional<CloudError> result;
    start([&](std::optional<CloudError> error) {
        result = error;
        finished = true;
        loop.quit();
    });
    if (!finished)
        loop.exec();
    return result;
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

// The server, and one database with a container on it.
class Server {
public:
    Server() {
        info_ = qEnvironmentVariable("TALLYBIRD_BENCH_POSTGRES");
        if (info_.isEmpty()) {
            info_ = dir_.filePath("server");
            qputenv("TALLYBIRD_PG_DURABLE", "1");
            own_ = QProcess::execute(TALLYBIRD_PG_CLUSTER_SCRIPT, {"start", info_}) == 0;
            if (!own_)
                qFatal("the benchmark's server did not start");
        }
        port_ = readFile(QDir(info_).filePath("port")).toInt();
        admin_ = readFile(QDir(info_).filePath("conninfo"));
        // libpq's own password file: the program never sees a password.
        const QString passFile = dir_.filePath("pgpass");
        QFile file(passFile);
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral("127.0.0.1:%1:*:*:%2\n").arg(port_).arg(password).toUtf8());
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        qputenv("PGPASSFILE", passFile.toUtf8());
    }
    ~Server() {
        if (own_)
            QProcess::execute(TALLYBIRD_PG_CLUSTER_SCRIPT, {"stop", info_});
    }

    // A new database with a container and the people, each with the bench's password.
    QString database(const QStringList& people) {
        const QString name = "bench_" + QUuid::createUuid().toString(QUuid::Id128).left(12);
        sql("postgres", "CREATE DATABASE " + name);
        if (auto error = cloud::Container::createOnServer(uri(name, "tallybird", false)))
            qFatal("%s", qPrintable(error->message));
        auto admin = cloud::Container::openServer(uri(name, "tallybird", false)).value();
        for (const QString& person : people) {
            if (auto error = admin->createUser(person, std::nullopt))
                qFatal("%s", qPrintable(error->message));
            sql(name, QStringLiteral("ALTER ROLE %1 PASSWORD '%2'").arg(person, password));
        }
        return name;
    }
    // The items the server holds in `database`, by the person who owns their list.
    std::map<QString, QSet<QString>> itemsByOwner(const QString& database) {
        std::map<QString, QSet<QString>> items;
        PGconn* conn = PQconnectdb((admin_ + " dbname=" + database).toUtf8().constData());
        PGresult* result =
            PQexec(conn, "SELECT owner, name FROM tallybird.records WHERE type = 'TB_Item'");
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            qFatal("%s", PQresultErrorMessage(result));
        for (int row = 0; row < PQntuples(result); ++row)
            items[QString::fromUtf8(PQgetvalue(result, row, 0))].insert(
                QString::fromUtf8(PQgetvalue(result, row, 1)));
        PQclear(result);
        PQfinish(conn);
        return items;
    }
    // Over the loopback port with a password; the administrator over the socket.
    QString uri(const QString& database, const QString& role, bool tcp = true) const {
        if (tcp)
            return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
                .arg(role)
                .arg(port_)
                .arg(database);
        return QStringLiteral("postgresql://%1@/%2?host=").arg(role, database) +
               QString::fromUtf8(
                   QUrl::toPercentEncoding(readFile(QDir(info_).filePath("cluster")))) +
               QStringLiteral("&port=") + QString::number(port_);
    }

private:
    void sql(const QString& database, const QString& statement) {
        PGconn* conn = PQconnectdb((admin_ + " dbname=" + database).toUtf8().constData());
        PGresult* result = PQexec(conn, statement.toUtf8().constData());
        if (PQresultStatus(result) != PGRES_COMMAND_OK)
            qFatal("%s", PQresultErrorMessage(result));
        PQclear(result);
        PQfinish(conn);
    }

    QTemporaryDir dir_;
    QString info_;
    QString admin_;
    int port_ = 0;
    bool own_ = false;
};

Server& server() {
    static Server instance;
    return instance;
}

// One profile: a data folder with its store file, a device of the container.
class Profile {
public:
    Profile(const QString& container, const QString& folder) {
        QDir().mkpath(folder);
        store_ = std::make_unique<ListStore>(QDir(folder).filePath("store.json"), true, false,
                                             defaults_);
        sync_ = CloudSync::attach(*store_, cloud::CloudDevice::open(container, folder));
        store_->start();
    }
    ListStore& store() { return *store_; }
    std::optional<CloudError> syncNow() {
        return await([&](auto done) { sync_->syncNow(done); });
    }
    void fill(int count) {
        store_->batch([&] {
            QString listID;
            for (int i = 0; i < count; ++i) {
                if (i % itemsPerList == 0)
                    listID = store_->addList(QStringLiteral("List %1").arg(i / itemsPerList)).id;
                store_->addItem(listID, QStringLiteral("Item number %1 #tag%2").arg(i).arg(i % 7));
            }
        });
        store_->flushSaves();
    }

private:
    MemoryDefaults defaults_;
    std::unique_ptr<ListStore> store_;
    CloudSync* sync_ = nullptr;
};

// Where a benchmark's container is: 0, a container file in `dir`; 1, a new database on the
// server, over the loopback port with a password. The label says which.
QString containerFor(benchmark::State& state, int kind, const QTemporaryDir& dir) {
    state.SetLabel(kind == 0 ? "file" : "server, loopback");
    if (kind == 0)
        return dir.filePath(QUuid::createUuid().toString(QUuid::Id128) + ".sqlite");
    return server().uri(server().database({"ann"}), "ann");
}

void BM_ServerFirstUpload(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        Profile mac(containerFor(state, int(state.range(1)), dir), dir.filePath("mac"));
        mac.fill(int(state.range(0)));
        state.ResumeTiming();
        if (auto error = mac.syncNow())
            state.SkipWithError(qPrintable(error->message));
    }
}

// The container's part of the first upload alone: 10,000 records in batches of 400 straight to
// the container as one device, without the store and the engines around it.
void BM_ServerContainerUpload(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString location = containerFor(state, int(state.range(1)), dir);
        auto container = state.range(1) == 0 ? cloud::Container::openFile(location).value()
                                             : cloud::Container::openServer(location).value();
        std::vector<cloud::ZoneID> zones;
        for (int z = 0; z < int(state.range(0)) / itemsPerList; ++z)
            zones.push_back(cloud::ZoneID{QStringLiteral("TB-%1").arg(z)});
        state.ResumeTiming();
        container->modifyZones("mac", cloud::DatabaseScope::privateScope, zones, {});
        for (int start = 0; start < state.range(0); start += 400) {
            std::vector<cloud::Record> batch;
            for (int i = start; i < std::min<int>(int(state.range(0)), start + 400); ++i) {
                cloud::Record record("TB_Item", cloud::RecordID{QStringLiteral("item-%1").arg(i),
                                                                zones[size_t(i / itemsPerList)]});
                record.set("text", QStringLiteral("Item number %1 #tag%2").arg(i).arg(i % 7));
                record.set("order", double(i));
                batch.push_back(std::move(record));
            }
            auto saved =
                container->modifyRecords("mac", cloud::DatabaseScope::privateScope, batch, {});
            if (!saved.ok() || !saved.value().failedRecordSaves.empty())
                state.SkipWithError("a batch failed");
        }
    }
}

// From the start of the editing device's pass until the other device's pass has the change in
// its store, on stores of `range` items.
void BM_ServerEditRoundTrip(benchmark::State& state) {
    QTemporaryDir dir;
    const QString location = containerFor(state, int(state.range(1)), dir);
    Profile mac(location, dir.filePath("mac"));
    Profile laptop(location, dir.filePath("laptop"));
    mac.fill(int(state.range(0)));
    if (mac.syncNow() || laptop.syncNow())
        state.SkipWithError("set-up failed");
    const QString itemID = mac.store().allItems()[state.range(0) / 2].id;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString text = QStringLiteral("renamed %1").arg(round++);
        mac.store().renameItem(itemID, text);
        mac.store().flushSaves();
        state.ResumeTiming();
        const bool ok = !mac.syncNow() && !laptop.syncNow();
        laptop.store().flushSaves();
        const TBItem* arrived = laptop.store().findItem(itemID);
        if (!ok || !arrived || arrived->text != text)
            state.SkipWithError("the change did not arrive");
    }
}

// What a command-line request pays on a server beside a container file, run as the real program
// with no window open: `lists` (the look whether to catch up, with nothing new to take in) and
// `add` (that look, the change and its sync pass). Arg 0: a container file; 1: the server over
// the loopback port, with a password. Arg 1: 0 lists, 1 add. The profile has synced its 1,000
// items first. TALLYBIRD_BENCH_PROGRAM names another build of the program to measure, for a
// figure before a change.
void BM_Request(benchmark::State& state) {
    QTemporaryDir dir;
    QString location = dir.filePath("container.sqlite");
    if (state.range(0) == 1)
        location = server().uri(server().database({"ann"}), "ann");
    const QString folder = dir.filePath("profile");
    {
        Profile profile(location, folder);
        profile.fill(1000);
        if (auto error = profile.syncNow())
            qFatal("%s", qPrintable(error->message));
    }
    const bool adds = state.range(1) == 1;
    int added = 0;
    const auto run = [&] {
        QProcess request;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", dir.path());
        request.setProcessEnvironment(environment);
        QStringList words{"--profile", folder, "--cloud", location};
        words << (adds ? QStringList{"add", "--list", "List 3", QString("bread %1").arg(added++)}
                       : QStringList{"lists"});
        const QString other = qEnvironmentVariable("TALLYBIRD_BENCH_PROGRAM");
        request.start(other.isEmpty() ? QStringLiteral(TALLYBIRD_EXECUTABLE) : other, words);
        request.waitForFinished(60'000);
        if (request.exitCode() != 0 || !request.readAllStandardError().isEmpty())
            state.SkipWithError("the request failed or said something on standard error");
    };
    run(); // catches up on what the bench's own profile sent
    for (auto _ : state)
        run();
    const char* const containers[] = {"file", "server, loopback"};
    state.SetLabel(std::string(containers[state.range(0)]) + (adds ? ", add" : ", lists"));
}

// --- 50 devices of 10 people at once ---

constexpr int people = 10;
constexpr int devicesPerPerson = 5;

// One device's minute, in a process of its own: edit, sync, again. Prints its passes' times.
int deviceMinute(const QString& uri, const QString& folder, const QString& tag, int seconds) {
    Profile device(uri, folder);
    if (auto error = device.syncNow())
        std::fprintf(stderr, "first pass: %s\n", qPrintable(error->message));
    QString listID;
    for (const TBList& list : device.store().lists())
        listID = list.id;
    if (listID.isEmpty())
        listID = device.store().addList("Shared by my devices").id;
    QElapsedTimer minute;
    minute.start();
    int added = 0;
    int failed = 0;
    std::vector<double> passes;
    while (minute.elapsed() < seconds * 1000) {
        device.store().addItem(listID, QStringLiteral("%1 item %2").arg(tag).arg(added++));
        QElapsedTimer pass;
        pass.start();
        if (auto error = device.syncNow()) {
            ++failed;
            std::fprintf(stderr, "%s: %s\n", qPrintable(tag), qPrintable(error->message));
        }
        passes.push_back(double(pass.nsecsElapsed()) / 1e6);
        QThread::msleep(100); // a person's pace, faster than any real one
    }
    std::printf("added %d failed %d passes", added, failed);
    for (double ms : passes)
        std::printf(" %.2f", ms);
    std::printf("\n");
    return 0;
}

// How one device's items stand against the server's set of its person's items.
struct DeviceCheck {
    int missing = 0; // on the server, not on the device
    int doubled = 0; // on the device more than once (the same id, or the same text)
    int unsent = 0;  // on the device, not on the server
};

DeviceCheck check(const ListStore& store, const QSet<QString>& onServer) {
    DeviceCheck result;
    QSet<QString> ids;
    QSet<QString> texts;
    for (const TBItem& item : store.allItems()) {
        // Every text the devices add is unique, so a text seen twice is one change taken twice.
        if (ids.contains(item.id) || texts.contains(item.text))
            ++result.doubled;
        else if (!onServer.contains(item.id))
            ++result.unsent;
        ids.insert(item.id);
        texts.insert(item.text);
    }
    for (const QString& id : onServer)
        if (!ids.contains(id))
            ++result.missing;
    return result;
}

// Runs of the fifty devices, and those that ended with an item missing, doubled or unsent, or
// whose check could not be made: main's exit status.
int fiftyDeviceRuns = 0;
int faultyFiftyDeviceRuns = 0;

void BM_ServerFiftyDevicesForAMinute(benchmark::State& state) {
    const int seconds = qEnvironmentVariableIsSet("TALLYBIRD_BENCH_DEVICE_SECONDS")
                            ? qEnvironmentVariableIntValue("TALLYBIRD_BENCH_DEVICE_SECONDS")
                            : int(state.range(0));
    for (auto _ : state) {
        QTemporaryDir dir;
        QStringList names;
        for (int p = 0; p < people; ++p)
            names.append(QStringLiteral("person%1").arg(p));
        const QString db = server().database(names);
        const auto folderOf = [&](const QString& name, int d) {
            return dir.filePath(QStringLiteral("%1-%2").arg(name).arg(d));
        };
        // Each person's first device makes the list the others then add to.
        for (const QString& name : names) {
            Profile first(server().uri(db, name), folderOf(name, 0));
            first.store().addList("Shared by my devices");
            first.syncNow();
        }
        std::vector<std::unique_ptr<QProcess>> running;
        for (const QString& name : names) {
            for (int d = 0; d < devicesPerPerson; ++d) {
                auto process = std::make_unique<QProcess>();
                process->start(QCoreApplication::applicationFilePath(),
                               {"--device", server().uri(db, name), folderOf(name, d),
                                QStringLiteral("%1-%2").arg(name).arg(d),
                                QString::number(seconds)});
                running.push_back(std::move(process));
            }
        }
        int added = 0;
        int failed = 0;
        int unreported = 0;
        std::vector<double> passes;
        std::map<QString, int> addedBy;
        for (size_t i = 0; i < running.size(); ++i) {
            running[i]->waitForFinished(seconds * 1000 + 120'000);
            const QStringList words = QString::fromUtf8(running[i]->readAllStandardOutput())
                                          .split(' ', Qt::SkipEmptyParts);
            if (words.size() < 5) {
                ++unreported;
                continue;
            }
            added += words[1].toInt();
            failed += words[3].toInt();
            addedBy[names[int(i) / devicesPerPerson]] += words[1].toInt();
            for (int w = 5; w < words.size(); ++w)
                passes.push_back(words[w].toDouble());
        }
        std::sort(passes.begin(), passes.end());

        // Every device first has a pass that sends what it still holds (a device whose last
        // pass failed kept its last change), then, once all have, two passes that take in the
        // rest. Then every device of a person holds exactly the person's items on the server.
        int finalFailures = 0;
        for (int round = 0; round < 2; ++round) {
            for (const QString& name : names) {
                for (int d = 0; d < devicesPerPerson; ++d) {
                    Profile device(server().uri(db, name), folderOf(name, d));
                    for (int pass = 0; pass < (round == 0 ? 1 : 2); ++pass) {
                        if (auto error = device.syncNow()) {
                            ++finalFailures;
                            std::fprintf(stderr, "%s-%d's last pass failed: %s\n", qPrintable(name),
                                         d, qPrintable(error->message));
                        }
                    }
                }
            }
        }
        const auto onServer = server().itemsByOwner(db);
        int held = 0;
        int missing = 0;
        int doubled = 0;
        int unsent = 0;
        int short_ = 0;
        for (const QString& name : names) {
            const QSet<QString> items = onServer.count(name) ? onServer.at(name) : QSet<QString>();
            held += int(items.size());
            if (int(items.size()) != addedBy[name])
                std::fprintf(stderr, "%s's devices added %d items; the server holds %d\n",
                             qPrintable(name), addedBy[name], int(items.size()));
            for (int d = 0; d < devicesPerPerson; ++d) {
                Profile device(server().uri(db, name), folderOf(name, d));
                const DeviceCheck found = check(device.store(), items);
                missing += found.missing;
                doubled += found.doubled;
                unsent += found.unsent;
                if (found.missing || found.doubled || found.unsent) {
                    ++short_;
                    std::fprintf(stderr,
                                 "%s-%d holds %d items: %d of the server's %d missing, %d "
                                 "doubled, %d the server does not hold\n",
                                 qPrintable(name), d, int(device.store().allItems().size()),
                                 found.missing, int(items.size()), found.doubled, found.unsent);
                }
            }
        }
        const bool faulty =
            missing || doubled || unsent || held != added || unreported || finalFailures;
        ++fiftyDeviceRuns;
        if (faulty) {
            ++faultyFiftyDeviceRuns;
            std::fprintf(stderr,
                         "FAULT: %d items added, %d on the server; on %d of %d devices %d "
                         "missing, %d doubled, %d not on the server; %d devices did not "
                         "report, %d last passes failed\n",
                         added, held, short_, int(running.size()), missing, doubled, unsent,
                         unreported, finalFailures);
        }
        state.counters["devices"] = double(running.size());
        state.counters["passes_per_s"] = double(passes.size()) / seconds;
        state.counters["p50_pass_ms"] = passes.empty() ? 0 : passes[passes.size() / 2];
        state.counters["p99_pass_ms"] = passes.empty() ? 0 : passes[passes.size() * 99 / 100];
        state.counters["failed_passes"] = failed;
        state.counters["items_added"] = added;
        state.counters["items_on_server"] = held;
        state.counters["devices_short"] = short_;
        state.counters["items_missing"] = missing;
        state.counters["items_doubled"] = doubled;
    }
}

} // namespace

BENCHMARK(BM_ServerFirstUpload)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_ServerContainerUpload)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_ServerEditRoundTrip)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);
BENCHMARK(BM_Request)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(40);
BENCHMARK(BM_ServerFiftyDevicesForAMinute)->Arg(60)->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == QLatin1String("--device"))
        return deviceMinute(args[2], args[3], args[4], args[5].toInt());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (fiftyDeviceRuns > 0)
        std::fprintf(stderr,
                     "fifty devices: %d runs, %d with items missing or doubled or a check that "
                     "could not be made\n",
                     fiftyDeviceRuns, faultyFiftyDeviceRuns);
    return faultyFiftyDeviceRuns > 0 ? 1 : 0;
}
