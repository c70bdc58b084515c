// A fresh device of an account that already holds many lists in a container file: how long
// each command-line request takes while the device catches up, how many lists each one
// brings, and how many requests bring them all; then an `add` and a `start` on a device that
// has not caught up yet. Each list is one zone with its list record and one item.
// TALLYBIRD_BENCH_PROGRAM names another build of the program to measure, for a figure before a
// change. TALLYBIRD_BENCH_CLOUD names an empty container on a server (a postgresql:// URI as
// one of its people) to use instead of a file; give each benchmark one of its own
// (--benchmark_filter). `many_lists_bench --fill FILE COUNT` only makes such a container, to look
// at a request with a profiler. NeverSyncedLists runs the other way, on a server only: a device
// that made its lists before it ever synced sends them with its first `lists` requests; it counts
// the server's `lock_zone` calls when the server tracks its functions' calls (track_functions =
// 'pl').
#include "cloud/Container.h"
#include "cloud/PostgresConnection.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/Ids.h"
#include "store/ListStore.h"
#include "store/StoreLocation.h"
#include "sync/ListCloudMapping.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString program() {
    const QString other = qEnvironmentVariable("TALLYBIRD_BENCH_PROGRAM");
    return other.isEmpty() ? QStringLiteral(TALLYBIRD_EXECUTABLE) : other;
}

QString container(const QTemporaryDir& folder) {
    const QString server = qEnvironmentVariable("TALLYBIRD_BENCH_CLOUD");
    return server.isEmpty() ? folder.filePath("cloud.sqlite") : server;
}

// Another device of the same person writes the lists into the container, a batch at a time as
// the program sends them.
void fillContainer(const QString& file, int lists) {
    auto opened = cloud::Container::isServerLocation(file) ? cloud::Container::openServer(file)
                                                           : cloud::Container::openFile(file);
    if (!opened.ok())
        qFatal("The container could not be made.");
    const auto container = opened.value();
    const QString device = QStringLiteral("bench-maker");
    if (!container->currentUser(device).ok())
        qFatal("The maker could not sign in.");
    constexpr int batch = 400;
    for (int from = 0; from < lists; from += batch) {
        std::vector<cloud::ZoneID> zones;
        std::vector<cloud::Record> records;
        for (int l = from; l < std::min(lists, from + batch); ++l) {
            TBList list;
            list.id = Ids::newId();
            list.name = QStringLiteral("List %1").arg(l);
            list.order = l;
            TBItem item;
            item.id = Ids::newId();
            item.listID = list.id;
            item.text = QStringLiteral("Bread");
            zones.push_back(cloud::ZoneID{CloudLayout::listZoneName(list.id)});
            records.push_back(ListCloudMapping::record(list, std::nullopt));
            records.push_back(ListCloudMapping::record(item, std::nullopt, std::nullopt));
        }
        if (!container->modifyZones(device, cloud::DatabaseScope::privateScope, zones, {}).ok() ||
            !container->modifyRecords(device, cloud::DatabaseScope::privateScope, records, {}).ok())
            qFatal("The lists could not be written.");
    }
}

struct Device {
    explicit Device(const QString& cloud) : cloud(cloud) {
        QDir().mkpath(dir.filePath("run"));
        QFile::setPermissions(dir.filePath("run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // How long the request took, in ms, and what it printed on standard output.
    double run(const QStringList& words, QByteArray* printed = nullptr) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", dir.filePath("run"));
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(program(), QStringList{"--profile", dir.path(), "--cloud", cloud} + words);
        process.closeWriteChannel();
        process.waitForFinished(1'200'000);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (printed)
            *printed = process.readAllStandardOutput();
        return ms;
    }
    int listsHeld() const {
        QByteArray printed;
        run({"lists"}, &printed);
        return int(printed.count('\n'));
    }
    QTemporaryDir dir;
    QString cloud;
};

// `lists` on a fresh device until it holds every list (at most 40 requests).
void FreshDeviceLists(benchmark::State& state) {
    const int lists = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir containerDir;
        const QString cloud = container(containerDir);
        fillContainer(cloud, lists);
        Device device(cloud);
        state.ResumeTiming();
        std::vector<double> times;
        int held = 0;
        while (held < lists && times.size() < 40) {
            QByteArray printed;
            times.push_back(device.run({"lists"}, &printed));
            held = int(printed.count('\n'));
            std::printf("  lists %zu: %.0f ms, %d lists held\n", times.size(), times.back(), held);
        }
        state.counters["requests"] = double(times.size());
        state.counters["held"] = held;
        state.counters["longest_ms"] = *std::max_element(times.begin(), times.end());
        state.counters["first_ms"] = times.front();
    }
}

// One change request on a fresh device, as its first request: `add` to the first list, or
// `start` of a new one.
void FreshDeviceChange(benchmark::State& state, bool start) {
    const int lists = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir containerDir;
        const QString cloud = container(containerDir);
        fillContainer(cloud, lists);
        Device device(cloud);
        state.ResumeTiming();
        const double ms = start ? device.run({"start", "Holiday"})
                                : device.run({"add", "--list", "List 0", "milk"});
        state.PauseTiming();
        state.counters["request_ms"] = ms;
        state.counters["held_after"] = device.listsHeld();
        state.ResumeTiming();
    }
}

void FreshDeviceAdd(benchmark::State& state) {
    FreshDeviceChange(state, false);
}
void FreshDeviceStart(benchmark::State& state) {
    FreshDeviceChange(state, true);
}

// A whole number the server answers, on a connection of the person's own.
qint64 serverValue(const QString& cloud, const char* sql) {
    cloud::PostgresConnection connection(cloud, 10'000);
    connection.open();
    cloud::PgRows rows = connection.query(sql, {}, true);
    return rows.size() == 1 && !rows.isNull(0, 0) ? rows.integer(0, 0) : 0;
}

// `lists` on a device whose own lists (each with an item) never synced, until the server holds
// them all (at most 40 requests, or until three in a row sent nothing); then `lists` on a fresh
// device until it holds them all.
void NeverSyncedLists(benchmark::State& state) {
    const int lists = int(state.range(0));
    const QString cloud = qEnvironmentVariable("TALLYBIRD_BENCH_CLOUD");
    if (!cloud::Container::isServerLocation(cloud)) {
        state.SkipWithError("TALLYBIRD_BENCH_CLOUD names no server");
        return;
    }
    const char* const locks =
        "SELECT sum(calls)::bigint FROM pg_stat_user_functions WHERE funcname = 'lock_zone'";
    const char* const sentLists = "SELECT count(*) FROM tallybird.records WHERE type = 'TB_List'";
    const char* const sentItems = "SELECT count(*) FROM tallybird.records WHERE type = 'TB_Item'";
    for (auto _ : state) {
        state.PauseTiming();
        Device device(cloud);
        {
            MemoryDefaults defaults;
            AppPaths::setProfile(device.dir.path());
            ListStore store(SharedStore::source().fileURL(), true, false, defaults);
            for (int l = 0; l < lists; ++l)
                store.addItem(store.addList(QStringLiteral("Mine %1").arg(l)).id, "Bread");
            store.flushSaves();
            AppPaths::setProfile(QString());
        }
        const qint64 locksBefore = serverValue(cloud, locks);
        state.ResumeTiming();
        std::vector<double> times;
        qint64 items = 0;
        qint64 sent = 0;
        int idle = 0;
        while (items < lists && times.size() < 40 && idle < 3) {
            times.push_back(device.run({"lists"}));
            const qint64 listed = serverValue(cloud, sentLists);
            items = serverValue(cloud, sentItems);
            idle = listed + items > sent ? 0 : idle + 1;
            sent = listed + items;
            std::printf("  lists %zu: %.0f ms, %lld lists and %lld items on the server\n",
                        times.size(), times.back(), static_cast<long long>(listed),
                        static_cast<long long>(items));
        }
        state.PauseTiming();
        state.counters["requests"] = double(times.size());
        state.counters["on_server"] = double(items);
        state.counters["longest_ms"] = *std::max_element(times.begin(), times.end());
        state.counters["lock_zone_calls"] = double(serverValue(cloud, locks) - locksBefore);
        Device fresh(cloud);
        int held = 0;
        int asked = 0;
        while (held < lists && asked < 40) {
            held = fresh.listsHeld();
            ++asked;
        }
        state.counters["fresh_held"] = held;
        state.counters["fresh_requests"] = asked;
        state.ResumeTiming();
    }
}

BENCHMARK(NeverSyncedLists)
    ->Arg(1'000)
    ->Arg(3'000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(FreshDeviceLists)
    ->Arg(3'000)
    ->Arg(20'000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(FreshDeviceAdd)
    ->Arg(3'000)
    ->Arg(20'000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(FreshDeviceStart)
    ->Arg(3'000)
    ->Arg(20'000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // `--fill FILE COUNT` only makes such a container, to look at a request with a profiler.
    if (argc == 4 && QByteArray(argv[1]) == "--fill") {
        fillContainer(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
