// What an edit costs at scale, beside the floors of this design. For a tick, an add and a drag
// of a list's hundred items: the time on the UI thread, the view's next read of the list
// included, and the time until the edit is on disk beside a plain write and fsync of the same
// bytes (counter "x_plain"). For a load: the time, beside a plain read and parse of the file
// by simdjson without building anything ("floor"), and the peak memory it adds to the process.
//
// The stores have the shape sync gives them: 100 items a list, a note on every fifth item, and
// each list and item with its server record archived as sync archives it.
#include "cloud/RecordCoding.h"
#include "platform/Base64.h"
#include "platform/Defaults.h"
#include "store/DiskV2.h"
#include "store/ListStore.h"
#include "store/StoreEncodingCache.h"
#include "store/StoreFileSink.h"
#include "sync/ListCloudMapping.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

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
        TBList list;
        list.id = QStringLiteral("%1-5D1B-4C47-9E0A-3B5F2C6D7E8F").arg(l, 8, 16, QChar('0'));
        list.name = QStringLiteral("List %1").arg(l);
        list.order = l;
        list.createdAt = Date(700'000'000 + l);
        disk.lists.append(list);
        disk.archivedRecords.insert(
            "L#" + list.id, archive(ListCloudMapping::record(list, std::nullopt), ++serial));
        for (int i = 0; i < 100; ++i) {
            TBItem item;
            item.id = QStringLiteral("%1-%2-4A2B-8C3D-0123456789AB")
                          .arg(l, 8, 16, QChar('0'))
                          .arg(i, 4, 16, QChar('0'));
            item.listID = list.id;
            item.text = QStringLiteral("Item number %1 #tag%2").arg(i).arg(i % 7);
            item.order = i;
            item.done = i % 3 == 0;
            if (item.done)
                item.completedAt = Date(700'000'000 + i);
            if (i % 5 == 0)
                item.notes = "NOTE-" + item.id + "\t2025-01-01T10:00:00Z\t_me\tMe\tget the big one";
            disk.items.append(item);
            disk.archivedRecords.insert(
                "I#" + item.id,
                archive(ListCloudMapping::record(item, std::nullopt, std::nullopt), ++serial));
        }
    }
    disk.identity = UserIdentity{};
    disk.circles = QList<TBCircle>{};
    disk.aliases = QMap<QString, PersonAlias>{};
    disk.filings = QMap<QString, QString>{};
    disk.dirtyFilings = QSet<QString>{};
    disk.pendingItemDeletions = QSet<QString>{};
    disk.tombstones = QMap<QString, Tombstone>{};
    disk.dirtyTombstones = QSet<QString>{};
    disk.pendingZoneDeletions = QMap<QString, PendingZoneDeletion>{};
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

// Loads the store at `path` in this fresh process and prints the peak memory the load added to
// what the process held before it (KiB), or -1 when the file did not load.
int peakOfLoad(const char* path, qsizetype items, ListStore::Access access) {
    const qint64 floor = statusKiB("VmRSS:");
    qint64 grown = -1;
    {
        MemoryDefaults defaults;
        ListStore store(QString::fromLocal8Bit(path), true, false, defaults, Clock::shared(),
                        access);
        if (store.allItems().size() == items)
            grown = statusKiB("VmHWM:") - floor;
    }
    std::printf("%lld\n", static_cast<long long>(grown));
    return 0;
}

const char* const peakOption = "--peak-of-load";
const char* const writableOption = "--writable";

// The peak memory a load adds to a process: measured in a fresh process of this program, so
// that nothing of earlier runs is counted or reused. A writable store (the window's) also
// encodes every item for its writer once the file is read.
void loadPeak(benchmark::State& state, bool writable) {
    Fixture& f = fixture(int(state.range(0)));
    const QByteArray command = QFile::encodeName(QFile::symLinkTarget("/proc/self/exe")) + " " +
                               QByteArray(peakOption) + " " + QFile::encodeName(f.path) + " " +
                               QByteArray::number(state.range(0)) +
                               (writable ? QByteArray(" ") + writableOption : QByteArray());
    double peakMiB = 0;
    for (auto _ : state) {
        FILE* child = ::popen(command.constData(), "r");
        long long grown = -1;
        if (!child || std::fscanf(child, "%lld", &grown) != 1)
            grown = -1;
        if (child)
            ::pclose(child);
        if (grown < 0)
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

// Times `edit` on the UI thread. Edits come seconds apart in use: each starts once the last
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

// Times `edit` until the program learns it is on disk (its save reported on the event loop, as
// the window learns it), and beside each one a plain write and fsync of the bytes it wrote, to
// a new file of the same folder ("x_plain": the edit's time over the plain write's). "sink_ms"
// is how long the store's way of replacing the file takes for the same bytes alone, without
// encoding them. What the store does after reporting (letting go of the replaced file) is
// outside every timed part.
void onDisk(benchmark::State& state, const Edit& edit) {
    WritingStore w(fixture(int(state.range(0))));
    const QString plainPath = w.dir.filePath("plain.json");
    const QString sinkPath = w.dir.filePath("sink.json");
    const std::shared_ptr<StoreFileSink> sink = StoreFileSink::durable();
    double edits = 0;
    double plains = 0;
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
        const double seconds = std::chrono::duration<double>(landed - start).count();
        if (!saved)
            state.SkipWithError("the edit was not saved");
        w.store->flushSaves();
        const QByteArray written = plainRead(w.path);
        size = written.size();
        // Into a new file, as the store writes one: rewriting the old one would first free
        // its blocks.
        QFile::remove(plainPath);
        settle(w.dir.path());
        const Clocked::time_point plainStart = Clocked::now();
        plainWrite(plainPath, written);
        plains += secondsSince(plainStart);
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
    state.counters["sink_ms"] = perEdit(sinks);
    state.counters["x_plain"] = edits / plains;
    setBytes(state, size);
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
BENCHMARK(BM_EncodeSave) STORE_SIZES;
BENCHMARK(BM_TickUIThread) STORE_SIZES;
BENCHMARK(BM_AddUIThread) STORE_SIZES;
BENCHMARK(BM_DragUIThread) STORE_SIZES;
BENCHMARK(BM_TickOnDisk) STORE_SIZES->UseManualTime();
BENCHMARK(BM_AddOnDisk) STORE_SIZES->UseManualTime();
BENCHMARK(BM_DragOnDisk) STORE_SIZES->UseManualTime();

} // namespace

int main(int argc, char** argv) {
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
