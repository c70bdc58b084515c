// Sync between two profiles (two devices of one user) on one SQLite container file, each with
// its store file: the first upload of a filled store, the first download on the other profile,
// and one changed item each way; beside the floors of this design: the engines alone moving the
// same records, a pass with nothing to do, and one write+fsync of the store file. And what a
// user of the window meets: the longest time the UI thread does not answer while a store that
// never synced starts its engines and makes its first pass.
#include "StallProbe.h"
#include "cloud/SyncEngine.h"
#include "platform/Defaults.h"
#include "platform/MemoryRelease.h"
#include "sync/CloudSync.h"
#include "sync/ListCloudMapping.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

using cloud::CloudError;

constexpr int itemsPerList = 100;

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

// `count` items, `itemsPerList` to a list, in one batch.
void fillStore(ListStore& store, int count) {
    store.batch([&] {
        QString listID;
        for (int i = 0; i < count; ++i) {
            if (i % itemsPerList == 0)
                listID = store.addList(QStringLiteral("List %1").arg(i / itemsPerList)).id;
            const TBItem item =
                *store.addItem(listID, QStringLiteral("Item number %1 #tag%2").arg(i).arg(i % 7));
            if (i % 3 == 0)
                store.setDone(item.id, true);
        }
    });
    store.flushSaves();
}

// One profile: a data folder with its store file, a device of the shared container file.
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
    bool syncNow() {
        return !await([&](auto done) { sync_->syncNow(done); });
    }

    void fill(int count) { fillStore(*store_, count); }

private:
    MemoryDefaults defaults_;
    std::unique_ptr<ListStore> store_;
    CloudSync* sync_ = nullptr;
};

struct World {
    QTemporaryDir dir;
    QString container = dir.filePath("container.sqlite");
    Profile& profile(const QString& name) {
        auto& slot = profiles[name];
        if (!slot)
            slot = std::make_unique<Profile>(container, dir.filePath(name));
        return *slot;
    }
    std::map<QString, std::unique_ptr<Profile>> profiles;
};

template <typename Body> void timed(benchmark::State& state, Body body) {
    QElapsedTimer timer;
    timer.start();
    if (!body())
        state.SkipWithError("a sync pass failed");
    state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
}

void BM_FirstUpload(benchmark::State& state) {
    for (auto _ : state) {
        World world;
        Profile& mac = world.profile("mac");
        mac.fill(int(state.range(0)));
        timed(state, [&] { return mac.syncNow(); });
    }
}

void BM_FirstDownload(benchmark::State& state) {
    World world;
    Profile& mac = world.profile("mac");
    mac.fill(int(state.range(0)));
    if (!mac.syncNow())
        state.SkipWithError("upload failed");
    int round = 0;
    for (auto _ : state) {
        Profile& other = world.profile(QStringLiteral("other%1").arg(round++));
        timed(state, [&] { return other.syncNow(); });
        if (other.store().allItems().size() != state.range(0))
            state.SkipWithError("not everything arrived");
    }
}

// A rename on one profile (not timed: the edit writes the store itself, as it does without
// sync), its pass, then the other profile's pass that takes it in.
void BM_OneItemChange(benchmark::State& state) {
    World world;
    Profile& mac = world.profile("mac");
    Profile& other = world.profile("other");
    mac.fill(int(state.range(0)));
    if (!mac.syncNow() || !other.syncNow())
        state.SkipWithError("set-up failed");
    const QString itemID = mac.store().allItems()[state.range(0) / 2].id;
    double sending = 0;
    double receiving = 0;
    int round = 0;
    for (auto _ : state) {
        const QString text = QStringLiteral("renamed %1").arg(round++);
        mac.store().renameItem(itemID, text);
        mac.store().flushSaves(); // the edit's own write, as without sync
        QElapsedTimer timer;
        timer.start();
        const bool sent = mac.syncNow();
        const qint64 sentAt = timer.nsecsElapsed();
        const bool received = other.syncNow();
        const qint64 receivedAt = timer.nsecsElapsed();
        const TBItem* arrived = other.store().findItem(itemID);
        if (!sent || !received || !arrived || arrived->text != text)
            state.SkipWithError("the change did not arrive");
        sending += double(sentAt) / 1e9;
        receiving += double(receivedAt - sentAt) / 1e9;
        state.SetIterationTime(double(receivedAt) / 1e9);
    }
    state.counters["send_ms"] = benchmark::Counter(sending * 1e3 / double(state.iterations()));
    state.counters["receive_ms"] = benchmark::Counter(receiving * 1e3 / double(state.iterations()));
}

// Floor: a one-item edit of the same store until its write is on disk, as every edit does.
void BM_FloorStoreSave(benchmark::State& state) {
    World world;
    Profile& mac = world.profile("mac");
    mac.fill(int(state.range(0)));
    mac.syncNow();
    const QString itemID = mac.store().allItems()[state.range(0) / 2].id;
    int round = 0;
    for (auto _ : state) {
        timed(state, [&] {
            mac.store().renameItem(itemID, QStringLiteral("renamed %1").arg(round++));
            mac.store().flushSaves();
            return mac.store().lastSaveSucceeded();
        });
    }
}

// Floor: a pass that finds nothing to send or fetch, on a synced store of the same size.
void BM_FloorEmptyPass(benchmark::State& state) {
    World world;
    Profile& mac = world.profile("mac");
    mac.fill(int(state.range(0)));
    if (!mac.syncNow() || !mac.syncNow())
        state.SkipWithError("set-up failed");
    for (auto _ : state)
        timed(state, [&] { return mac.syncNow(); });
}

// Floor: one write and fsync of the store file's bytes with plain file calls.
void BM_FloorWriteFsync(benchmark::State& state) {
    World world;
    Profile& mac = world.profile("mac");
    mac.fill(int(state.range(0)));
    mac.syncNow();
    QFile file(mac.store().fileURL());
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const QByteArray path = world.dir.filePath("plain.json").toUtf8();
    for (auto _ : state) {
        timed(state, [&] {
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const bool ok = fd >= 0 &&
                            ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() &&
                            ::fsync(fd) == 0;
            if (fd >= 0)
                ::close(fd);
            return ok;
        });
    }
    state.counters["file_MB"] = double(bytes.size()) / 1e6;
}

// Floor: the engines alone, with a delegate that keeps records in a map, moving the same
// records: a send of every record, then a fetch of them by another device.
class MapDelegate final : public cloud::SyncEngineDelegate {
public:
    void handleEvent(const cloud::SyncEngineEvent&, cloud::SyncEngine&) override {}
    std::optional<cloud::RecordZoneChangeBatch>
    nextRecordZoneChangeBatch(const cloud::SendChangesContext& context,
                              cloud::SyncEngine&) override {
        return cloud::RecordZoneChangeBatch{
            context.pendingChanges, [this](const cloud::RecordID& id) {
                auto it = records.find(id);
                return it == records.end() ? std::nullopt : std::optional(it->second);
            }};
    }
    std::map<cloud::RecordID, cloud::Record> records;
};

void BM_FloorEnginesOnly(benchmark::State& state) {
    for (auto _ : state) {
        World world;
        Profile& mac = world.profile("mac");
        mac.fill(int(state.range(0)));
        auto container = cloud::Container::openFile(world.container).value();
        MapDelegate sender;
        std::vector<cloud::PendingDatabaseChange> zones;
        std::vector<cloud::PendingRecordZoneChange> saves;
        for (const TBList& list : mac.store().lists())
            zones.push_back(cloud::PendingDatabaseChange::saveZone(
                cloud::ZoneID{CloudLayout::listZoneName(list.id)}));
        for (const TBItem& item : mac.store().allItems()) {
            const cloud::Record record = ListCloudMapping::record(item, std::nullopt, std::nullopt);
            saves.push_back(cloud::PendingRecordZoneChange::saveRecord(record.recordID()));
            sender.records.insert_or_assign(record.recordID(), record);
        }
        cloud::SyncEngine send(
            {cloud::Database(container, "engine-sender", cloud::DatabaseScope::privateScope),
             std::nullopt, &sender, false, 400});
        MapDelegate receiver;
        cloud::SyncEngine fetch(
            {cloud::Database(container, "engine-receiver", cloud::DatabaseScope::privateScope),
             std::nullopt, &receiver, false, 400});
        timed(state, [&] {
            send.state().add(zones);
            send.state().add(saves);
            return !await([&](auto done) { send.sendChanges(done); }) &&
                   !await([&](auto done) { fetch.fetchChanges(done); });
        });
    }
}

// The window's first sync of a store filled before sync was ever on: its engines start (and
// queue everything marked), then its first pass sends it all and fetches. Timed from the start
// to the pass's end; `stall_ms` is the longest the UI thread did not answer in any run.
void BM_FirstSyncStall(benchmark::State& state) {
    double longest = 0;
    for (auto _ : state) {
        World world;
        const QString folder = world.dir.filePath("mac");
        const QString file = QDir(folder).filePath("store.json");
        QDir().mkpath(folder);
        MemoryDefaults defaults;
        {
            ListStore filling(file, false, false, defaults);
            fillStore(filling, int(state.range(0)));
        }
        ListStore store(file, true, false, defaults);
        CloudSync* sync =
            CloudSync::attach(store, cloud::CloudDevice::open(world.container, folder));
        StallProbe probe(QCoreApplication::instance());
        while (probe.samples() == 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QElapsedTimer timer;
        timer.start();
        store.start();
        const bool synced = !await([&](auto done) { sync->syncNow(done); });
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        longest = std::max(longest, probe.longestMs());
        if (!synced || !store.dirtyItems().isEmpty())
            state.SkipWithError("the first sync did not send everything");
    }
    state.counters["stall_ms"] = longest;
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseManualTime();
}

} // namespace

BENCHMARK(BM_FirstUpload)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_FirstDownload)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_OneItemChange)->Apply(sizes)->Iterations(10);
BENCHMARK(BM_FloorEmptyPass)->Apply(sizes)->Iterations(10);
BENCHMARK(BM_FloorStoreSave)->Apply(sizes)->Iterations(10);
BENCHMARK(BM_FloorWriteFsync)->Apply(sizes)->Iterations(10);
BENCHMARK(BM_FloorEnginesOnly)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_FirstSyncStall)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

int main(int argc, char** argv) {
    // The allocator as the program sets it.
    MemoryRelease::returnLargeBlocksAtOnce();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
