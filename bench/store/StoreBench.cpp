// What an edit costs at scale, beside the floors of this design. For a tick, an add and a drag
// of a list's hundred items: the time on the UI thread, the view's next read of the list
// included, back to back and spaced as a person makes them (p50, p90 and the longest); and the
// time until the edit is on disk beside two floors of the same bytes: a plain write and fsync
// ("x_plain"), and a plain program that replaces a file as the store does ("x_replace"). For a
// load: the time, beside a plain read and parse of the file by simdjson without building
// anything ("floor"), and the peak memory a process holding the store reaches once it shows a
// list, and through a store's first sync.
//
// The stores have the shape sync gives them: 100 items a list, a note on every fifth item, and
// each list and item with its server record archived as sync archives it. The store of a first
// sync was filled with sync off and never synced.
#include "cloud/RecordCoding.h"
#include "platform/Base64.h"
#include "platform/Defaults.h"
#include "platform/MemoryRelease.h"
#include "store/DiskV2.h"
#include "store/ListStore.h"
#include "store/StoreEncodingCache.h"
#include "store/StoreFileSink.h"
#include "support/SampleStore.h"
#include "sync/CloudSync.h"
#include "sync/ListCloudMapping.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Clocked = std::chrono::steady_clock;

double secondsSince(Clocked::time_point start) {
    return std::chrono::duration<double>(Clocked::now() - start).count();
}

// The record as the server last sent it, archived as sync archives it.
QByteArray archive(cloud::Record record, int serial) {
    record.setChangeTag(QStringLiteral("%1").arg(serial, 8, 16, QChar('0')));
    return Base64::encode(cloud::RecordCoding::encode(record)).toUtf8();
}

QByteArray storeFile(int itemCount) {
    DiskV2 disk;
    int serial = 0;
    for (int l = 0; l < itemCount / 100; ++l) {
        TBList list = SampleStore::list(l);
        disk.lists.append(list);
        disk.archivedRecords.insert(
            "L#" + list.id, archive(ListCloudMapping::record(list, std::nullopt), ++serial));
        for (int i = 0; i < 100; ++i) {
            const TBItem item = SampleStore::item(list, l, i);
            disk.items.append(item);
            disk.archivedRecords.insert(
                "I#" + item.id,
                archive(ListCloudMapping::record(item, std::nullopt, std::nullopt), ++serial));
        }
    }
    SampleStore::completeFile(disk);
    return disk.encode();
}

struct Fixture {
    QTemporaryDir dir;
    QString path;
    QByteArray bytes;
};

// One prepared folder per size, built once.
Fixture& fixture(int itemCount) {
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& slot = fixtures[itemCount];
    if (!slot) {
        slot = std::make_unique<Fixture>();
        slot->path = slot->dir.filePath("store.json");
        slot->bytes = storeFile(itemCount);
        QFile file(slot->path);
        file.open(QIODevice::WriteOnly);
        file.write(slot->bytes);
    }
    return *slot;
}

void plainWrite(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
    ::fsync(fd);
    ::close(fd);
}

QByteArray plainRead(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void setBytes(benchmark::State& state, qsizetype bytes) {
    state.counters["MB"] = double(bytes) / 1e6;
}

// The floor of a load: the file read and parsed by simdjson, nothing built from it.
void BM_PlainReadAndParse(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        const QByteArray bytes = plainRead(f.path);
        simdjson::dom::element document;
        if (parser.parse(bytes.constData(), size_t(bytes.size())).get(document))
            state.SkipWithError("the store file is no JSON");
        benchmark::DoNotOptimize(document);
    }
    setBytes(state, f.bytes.size());
}

void BM_Load(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    MemoryDefaults defaults;
    for (auto _ : state) {
        ListStore store(f.path, true, false, defaults, Clock::shared(),
                        ListStore::Access::readOnly);
        if (store.allItems().size() != state.range(0))
            state.SkipWithError("the store file did not load");
        benchmark::DoNotOptimize(store.allItems().size());
    }
    setBytes(state, f.bytes.size());
}

qint64 statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stoll(line.substr(std::strlen(field)));
    }
    return -1;
}

// What a window showing the store's first list asks of it: the lists in display order, then
// that list's items and tags, as the lists pane and the list's screen read them.
void showFirstList(ListStore& store) {
    store.rebuildDerivedCacheIfNeeded();
    const QString first = store.sortedListsCache().first().id;
    benchmark::DoNotOptimize(store.items(first).size());
    benchmark::DoNotOptimize(store.vocabulary(first).size());
}

// Loads the store at `path` in this fresh process, shows its first list and prints the peak
// memory that added to what the process held before (KiB), or -1 when the file did not load.
int peakOfLoad(const char* path, qsizetype items, ListStore::Access access) {
    const qint64 floor = statusKiB("VmRSS:");
    qint64 grown = -1;
    {
        MemoryDefaults defaults;
        ListStore store(QString::fromLocal8Bit(path), true, false, defaults, Clock::shared(),
                        access);
        if (store.allItems().size() == items) {
            // What the writer does ahead of the first save is part of holding the store.
            store.flushSaves();
            showFirstList(store);
            grown = statusKiB("VmHWM:") - floor;
        }
    }
    std::printf("%lld\n", static_cast<long long>(grown));
    return 0;
}

// Opens the never-synced store in `folder` with sync on, runs its first sync against a new
// container there, and prints the peak memory that added to the process (KiB, -1 when the sync
// did not send everything) and the size of the store file it left.
int peakOfFirstSync(const char* folder, qsizetype items) {
    const qint64 floor = statusKiB("VmRSS:");
    qint64 grown = -1;
    const QDir dir(QString::fromLocal8Bit(folder));
    {
        MemoryDefaults defaults;
        ListStore store(dir.filePath("store.json"), true, false, defaults);
        CloudSync* sync = CloudSync::attach(
            store, cloud::CloudDevice::open(dir.filePath("container.sqlite"), dir.path()));
        store.start();
        std::optional<std::optional<cloud::CloudError>> result;
        QEventLoop loop;
        sync->syncNow([&](std::optional<cloud::CloudError> error) {
            result = error;
            loop.quit();
        });
        if (!result)
            loop.exec();
        store.flushSaves();
        if (result && !*result && store.allItems().size() == items &&
            store.dirtyItems().isEmpty()) {
            showFirstList(store);
            grown = statusKiB("VmHWM:") - floor;
        }
    }
    std::printf("%lld %lld\n", static_cast<long long>(grown),
                static_cast<long long>(QFileInfo(dir.filePath("store.json")).size()));
    return 0;
}

const char* const peakOption = "--peak-of-load";
const char* const writableOption = "--writable";
const char* const firstSyncOption = "--peak-of-first-sync";

QByteArray thisProgram() {
    return QFile::encodeName(QFile::symLinkTarget("/proc/self/exe"));
}

// Runs `command` and reads the numbers it prints; false when it printed fewer.
bool readNumbers(const QByteArray& command, std::vector<long long*> numbers) {
    FILE* child = ::popen(command.constData(), "r");
    if (!child)
        return false;
    bool read = true;
    for (long long* number : numbers)
        read = read && std::fscanf(child, "%lld", number) == 1;
    ::pclose(child);
    return read;
}

// The peak memory a load adds to a process, once it shows a list: measured in a fresh process
// of this program, so that nothing of earlier runs is counted or reused. A writable store (the
// window's) also encodes every item for its writer once the file is read.
void loadPeak(benchmark::State& state, bool writable) {
    Fixture& f = fixture(int(state.range(0)));
    const QByteArray command = thisProgram() + " " + QByteArray(peakOption) + " " +
                               QFile::encodeName(f.path) + " " +
                               QByteArray::number(state.range(0)) +
                               (writable ? QByteArray(" ") + writableOption : QByteArray());
    double peakMiB = 0;
    for (auto _ : state) {
        long long grown = -1;
        if (!readNumbers(command, {&grown}) || grown < 0)
            state.SkipWithError("the store file did not load");
        peakMiB = double(grown) / 1024;
    }
    state.counters["peak_MiB"] = peakMiB;
    state.counters["x_file"] = peakMiB * 1024 * 1024 / double(f.bytes.size());
}

void BM_LoadPeakMemory(benchmark::State& state) {
    loadPeak(state, false);
}
void BM_LoadPeakMemoryWritable(benchmark::State& state) {
    loadPeak(state, true);
}

// A store of `itemCount` items, 100 a list and every third ticked, filled with sync off as a
// user does before switching it on: every list and item marked to be sent, nothing archived.
// Made once per size.
const QString& neverSyncedStore(int itemCount) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto& slot = folders[itemCount];
    if (!slot) {
        slot = std::make_unique<QTemporaryDir>();
        MemoryDefaults defaults;
        ListStore store(slot->filePath("store.json"), false, false, defaults);
        store.setFileSink(StoreFileSink::unsynced());
        store.batch([&] {
            QString listID;
            for (int i = 0; i < itemCount; ++i) {
                if (i % 100 == 0)
                    listID = store.addList(QStringLiteral("List %1").arg(i / 100)).id;
                const TBItem item = *store.addItem(
                    listID, QStringLiteral("Item number %1 #tag%2").arg(i).arg(i % 7));
                if (i % 3 == 0)
                    store.setDone(item.id, true);
            }
        });
    }
    static std::map<int, QString> paths;
    return paths[itemCount] = slot->filePath("store.json");
}

// The peak memory of a store's first sync, from its load to a list shown after the sync, in a
// fresh process: beside the file the sync leaves ("x_file") and the one it started from.
void BM_FirstSyncPeakMemory(benchmark::State& state) {
    const QString& fresh = neverSyncedStore(int(state.range(0)));
    double peakMiB = 0;
    long long syncedBytes = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        QFile::copy(fresh, folder.filePath("store.json"));
        long long grown = -1;
        const QByteArray command = thisProgram() + " " + QByteArray(firstSyncOption) + " " +
                                   QFile::encodeName(folder.path()) + " " +
                                   QByteArray::number(state.range(0));
        if (!readNumbers(command, {&grown, &syncedBytes}) || grown < 0)
            state.SkipWithError("the first sync did not send everything");
        peakMiB = double(grown) / 1024;
    }
    state.counters["peak_MiB"] = peakMiB;
    state.counters["x_file"] = peakMiB * 1024 * 1024 / double(syncedBytes);
    state.counters["x_unsynced_file"] = peakMiB * 1024 * 1024 / double(QFileInfo(fresh).size());
    state.counters["MB"] = double(syncedBytes) / 1e6;
}

// Takes what it is given and keeps nothing: the encoding's cost without a file's.
class Drain final : public QIODevice {
public:
    Drain() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override { return size; }
};

// What a save after one edit spends encoding: every item but the edited one is in the cache.
void BM_EncodeSave(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    DiskV2 disk = DiskV2::decode(f.bytes, Date(0));
    StoreEncodingCache cache = StoreEncodingCache::of(disk.items);
    Drain drain;
    for (auto _ : state) {
        disk.items[1].done = !disk.items[1].done;
        if (!disk.encode(drain, &cache))
            state.SkipWithError("the encoding failed");
        cache.dropped.clear();
    }
    setBytes(state, f.bytes.size());
}

// The store under test writes into a copy so the prepared file stays as it is.
struct WritingStore {
    explicit WritingStore(Fixture& f) {
        path = dir.filePath("store.json");
        QFile::copy(f.path, path);
        store = std::make_unique<ListStore>(path, true, false, defaults);
        listID = store->lists().first().id;
        store->items(listID);
    }
    QTemporaryDir dir;
    QString path;
    MemoryDefaults defaults;
    std::unique_ptr<ListStore> store;
    QString listID;
};

// An edit as the UI thread makes it: the store's operation, then the view's read of the list.
using Edit = std::function<void(WritingStore&)>;

// Times `edit` on the UI thread, back to back: each starts once the last
// one is on disk and its save reported back.
void uiThread(benchmark::State& state, const Edit& edit) {
    WritingStore w(fixture(int(state.range(0))));
    for (auto _ : state) {
        edit(w);
        benchmark::DoNotOptimize(w.store->items(w.listID).size());
        state.PauseTiming();
        w.store->flushSaves();
        state.ResumeTiming();
    }
}

// Commits whatever the folder's file system still holds in memory: each timed write starts
// from a quiet disk, as edits seconds apart do, and pays for nothing an earlier one left.
void settle(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    ::syncfs(fd);
    ::close(fd);
}

// The floor of a plain program that replaces a file as the store does: the bytes written into a
// new file beside it a MiB at a time, the disk started on each MiB as it is written, then fsync,
// the rename over the old file and an fsync of the folder.
void replaceLikeTheStore(const QString& path, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    const QByteArray temporary = name + ".new";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    constexpr qsizetype step = 1 << 20;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qsizetype end = std::min(bytes.size(), done + step);
        const qsizetype started = done;
        while (done < end) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(end - done));
            if (n <= 0)
                break;
            done += n;
        }
        if (done < end)
            break;
        ::sync_file_range(fd, started, done - started, SYNC_FILE_RANGE_WRITE);
    }
    ::fsync(fd);
    ::close(fd);
    ::rename(temporary.constData(), name.constData());
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(folder);
    ::close(folder);
}

// Times `edit` until the program learns it is on disk (its save reported on the event loop, as
// the window learns it), and beside each one two floors of the bytes it wrote, in the same
// folder: a plain write and fsync into a new file ("x_plain": the edit's time over the plain
// write's), and a plain program replacing a file as the store does ("x_replace"). "sink_ms" is
// how long the store's way of replacing the file takes for the same bytes alone, without
// encoding them. The store lets go of the file it replaced after reporting the save; the
// "_closed" ratios time the edit up to that too.
void onDisk(benchmark::State& state, const Edit& edit) {
    WritingStore w(fixture(int(state.range(0))));
    const QString plainPath = w.dir.filePath("plain.json");
    const QString replacedPath = w.dir.filePath("replaced.json");
    const QString sinkPath = w.dir.filePath("sink.json");
    const std::shared_ptr<StoreFileSink> sink = StoreFileSink::durable();
    double edits = 0;
    double closedEdits = 0;
    double plains = 0;
    double replaces = 0;
    double sinks = 0;
    qsizetype size = 0;
    for (auto _ : state) {
        settle(w.dir.path());
        QEventLoop loop;
        bool saved = false;
        Clocked::time_point landed;
        const Clocked::time_point start = Clocked::now();
        edit(w);
        benchmark::DoNotOptimize(w.store->items(w.listID).size());
        w.store->whenSaved([&](bool ok) {
            landed = Clocked::now();
            saved = ok;
            loop.quit();
        });
        loop.exec();
        w.store->flushSaves();
        const double seconds = std::chrono::duration<double>(landed - start).count();
        closedEdits += secondsSince(start);
        if (!saved)
            state.SkipWithError("the edit was not saved");
        const QByteArray written = plainRead(w.path);
        size = written.size();
        // Into a new file, as the store writes one: rewriting the old one would first free
        // its blocks.
        QFile::remove(plainPath);
        settle(w.dir.path());
        const Clocked::time_point plainStart = Clocked::now();
        plainWrite(plainPath, written);
        plains += secondsSince(plainStart);
        // Over a file of the same size, as the store replaces its own.
        if (!QFile::exists(replacedPath))
            plainWrite(replacedPath, written);
        settle(w.dir.path());
        const Clocked::time_point replaceStart = Clocked::now();
        replaceLikeTheStore(replacedPath, written);
        replaces += secondsSince(replaceStart);
        settle(w.dir.path());
        const Clocked::time_point sinkStart = Clocked::now();
        QString error;
        sink->replace(
            sinkPath,
            [&written](QIODevice& device) { return device.write(written) == written.size(); },
            &error);
        sinks += secondsSince(sinkStart);
        sink->releaseReplaced();
        edits += seconds;
        state.SetIterationTime(seconds);
    }
    const auto perEdit = [&state](double total) {
        return total * 1000 / double(state.iterations());
    };
    state.counters["plain_ms"] = perEdit(plains);
    state.counters["replace_ms"] = perEdit(replaces);
    state.counters["sink_ms"] = perEdit(sinks);
    state.counters["x_plain"] = edits / plains;
    state.counters["x_replace"] = edits / replaces;
    state.counters["x_plain_closed"] = closedEdits / plains;
    state.counters["x_replace_closed"] = closedEdits / replaces;
    setBytes(state, size);
}

// Runs this thread's event loop for `ms`, as the window's runs between a person's edits.
void idleFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = size_t(share * double(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

// Times `edit` on the UI thread with edits spaced as a person makes them: 100 to 300 ms apart
// (a fixed draw), the event loop running in between and taking the store's reports, as the
// window's does. The writer then works while the UI thread waits for the next edit, or beside
// the next edit, not before it. Counters: the edit's time on the UI thread (the view's next
// read of the list included) at p50, p90 and the longest, in ms; and the time until the edit
// is on disk, at p50 and the longest.
void spaced(benchmark::State& state, const Edit& edit) {
    WritingStore w(fixture(int(state.range(0))));
    // Whatever the load left the writer to do is done, as it is long before a first edit.
    w.store->flushSaves();
    idleFor(300);
    std::mt19937 draw(7);
    std::uniform_int_distribution<int> gap(100, 300);
    std::vector<double> uiMs;
    std::vector<double> diskMs;
    int unsaved = 0;
    for (auto _ : state) {
        const Clocked::time_point start = Clocked::now();
        edit(w);
        benchmark::DoNotOptimize(w.store->items(w.listID).size());
        const double seconds = secondsSince(start);
        uiMs.push_back(seconds * 1000);
        state.SetIterationTime(seconds);
        w.store->whenSaved([&diskMs, &unsaved, start](bool ok) {
            if (ok)
                diskMs.push_back(secondsSince(start) * 1000);
            else
                ++unsaved;
        });
        idleFor(gap(draw));
    }
    w.store->flushSaves();
    if (unsaved > 0) {
        const std::string why = "an edit was not saved: " + w.store->lastSaveError().toStdString();
        state.SkipWithError(why.c_str());
    }
    state.counters["p50_ms"] = percentile(uiMs, 0.5);
    state.counters["p90_ms"] = percentile(uiMs, 0.9);
    state.counters["max_ms"] = percentile(uiMs, 1.0);
    state.counters["disk_p50_ms"] = percentile(diskMs, 0.5);
    state.counters["disk_max_ms"] = percentile(diskMs, 1.0);
}

void tick(WritingStore& w) {
    const TBItem item = w.store->items(w.listID).at(1);
    w.store->setDone(item.id, !item.done);
}

void add(WritingStore& w) {
    w.store->addItem(w.listID, "One more thing #tag1");
}

// The list's first item dragged to its end: every item of the list is renumbered.
void drag(WritingStore& w) {
    QStringList visible;
    for (const TBItem& item : w.store->items(w.listID))
        visible.append(item.id);
    w.store->moveItems(w.listID, visible, {0}, int(visible.size()));
}

void BM_TickUIThread(benchmark::State& state) {
    uiThread(state, tick);
}
void BM_AddUIThread(benchmark::State& state) {
    uiThread(state, add);
}
void BM_DragUIThread(benchmark::State& state) {
    uiThread(state, drag);
}
void BM_TickSpaced(benchmark::State& state) {
    spaced(state, tick);
}
void BM_AddSpaced(benchmark::State& state) {
    spaced(state, add);
}
void BM_DragSpaced(benchmark::State& state) {
    spaced(state, drag);
}
void BM_TickOnDisk(benchmark::State& state) {
    onDisk(state, tick);
}
void BM_AddOnDisk(benchmark::State& state) {
    onDisk(state, add);
}
void BM_DragOnDisk(benchmark::State& state) {
    onDisk(state, drag);
}

#define STORE_SIZES ->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_PlainReadAndParse) STORE_SIZES;
BENCHMARK(BM_Load) STORE_SIZES;
BENCHMARK(BM_LoadPeakMemory) STORE_SIZES->Iterations(3);
BENCHMARK(BM_LoadPeakMemoryWritable) STORE_SIZES->Iterations(3);
BENCHMARK(BM_FirstSyncPeakMemory) STORE_SIZES->Iterations(1);
BENCHMARK(BM_EncodeSave) STORE_SIZES;
BENCHMARK(BM_TickUIThread) STORE_SIZES;
BENCHMARK(BM_AddUIThread) STORE_SIZES;
BENCHMARK(BM_DragUIThread) STORE_SIZES;
BENCHMARK(BM_TickSpaced) STORE_SIZES->UseManualTime()->Iterations(60);
BENCHMARK(BM_AddSpaced) STORE_SIZES->UseManualTime()->Iterations(60);
BENCHMARK(BM_DragSpaced) STORE_SIZES->UseManualTime()->Iterations(60);
BENCHMARK(BM_TickOnDisk) STORE_SIZES->UseManualTime();
BENCHMARK(BM_AddOnDisk) STORE_SIZES->UseManualTime();
BENCHMARK(BM_DragOnDisk) STORE_SIZES->UseManualTime();

} // namespace

int main(int argc, char** argv) {
    // The allocator as the program sets it.
    MemoryRelease::returnLargeBlocksAtOnce();
    if (argc == 4 && std::strcmp(argv[1], firstSyncOption) == 0) {
        // The store hears of its saves and the cloud's answers on the event loop.
        QCoreApplication app(argc, argv);
        return peakOfFirstSync(argv[2], std::atoll(argv[3]));
    }
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], peakOption) == 0) {
        const bool writable = argc == 5 && std::strcmp(argv[4], writableOption) == 0;
        return peakOfLoad(argv[2], std::atoll(argv[3]),
                          writable ? ListStore::Access::readWrite : ListStore::Access::readOnly);
    }
    // The store takes its writer's reports on the event loop, as in the window.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
