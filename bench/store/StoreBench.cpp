// How long the store takes to load, to save after one edit and to save a drag, beside the floor
// of this design: writing and reading the same bytes with plain file calls and fsync.
#include "platform/Defaults.h"
#include "store/DiskV2.h"
#include "store/ListStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <memory>

namespace {

// An archived record of realistic size: a record's fields, tag and identifiers, encoded.
QByteArray archivedRecord(const QString& id) {
    QByteArray record = "{\"type\":\"TB_Item\",\"id\":\"" + id.toUtf8() + "\",\"tag\":\"3f\",";
    while (record.size() < 900)
        record += "\"field\":\"some realistic value of a record field\",";
    return record + "}";
}

// A store file with `itemCount` items, 100 a list, a short note on every fifth item and an
// archived record for every list and item.
QByteArray storeFile(int itemCount) {
    DiskV2 disk;
    for (int l = 0; l < itemCount / 100; ++l) {
        TBList list;
        list.id = QStringLiteral("LIST-%1-0000-0000-0000-000000000000").arg(l, 8, 10, QChar('0'));
        list.name = QStringLiteral("List %1").arg(l);
        list.order = l;
        list.createdAt = Date(700'000'000 + l);
        disk.lists.append(list);
        disk.archivedRecords.insert("L#" + list.id, archivedRecord(list.id).toBase64());
        for (int i = 0; i < 100; ++i) {
            TBItem item;
            item.id = QStringLiteral("ITEM-%1-%2-0000-0000-000000000000")
                          .arg(l, 8, 10, QChar('0'))
                          .arg(i, 4, 10, QChar('0'));
            item.listID = list.id;
            item.text = QStringLiteral("Item number %1 #tag%2").arg(i).arg(i % 7);
            item.order = i;
            item.done = i % 3 == 0;
            if (item.done)
                item.completedAt = Date(700'000'000 + i);
            if (i % 5 == 0)
                item.notes = "NOTE-" + item.id + "\t2025-01-01T10:00:00Z\t_me\tMe\tget the big one";
            disk.items.append(item);
            disk.archivedRecords.insert("I#" + item.id, archivedRecord(item.id).toBase64());
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

void BM_PlainWrite(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    const QString path = f.dir.filePath("plain.json");
    for (auto _ : state)
        plainWrite(path, f.bytes);
    setBytes(state, f.bytes.size());
}

void BM_PlainReadAndParse(benchmark::State& state) {
    Fixture& f = fixture(int(state.range(0)));
    for (auto _ : state) {
        const DiskV2 disk = DiskV2::decode(plainRead(f.path), Date(0));
        benchmark::DoNotOptimize(disk);
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

// The store under test writes into a copy so the prepared file stays as it is.
struct WritingStore {
    explicit WritingStore(Fixture& f) {
        path = dir.filePath("store.json");
        QFile::copy(f.path, path);
        store = std::make_unique<ListStore>(path, true, false, defaults);
        listID = store->lists().first().id;
    }
    QTemporaryDir dir;
    QString path;
    MemoryDefaults defaults;
    std::unique_ptr<ListStore> store;
    QString listID;
};

void BM_AddItem(benchmark::State& state) {
    WritingStore w(fixture(int(state.range(0))));
    for (auto _ : state)
        w.store->addItem(w.listID, "One more thing #tag1");
}

void BM_SetDone(benchmark::State& state) {
    WritingStore w(fixture(int(state.range(0))));
    const QString itemID = w.store->items(w.listID)[1].id;
    bool done = false;
    for (auto _ : state) {
        done = !done;
        w.store->setDone(itemID, done);
    }
}

void BM_DragHundredItems(benchmark::State& state) {
    WritingStore w(fixture(int(state.range(0))));
    QStringList visible;
    for (const TBItem& item : w.store->items(w.listID))
        visible.append(item.id);
    for (auto _ : state)
        w.store->moveItems(w.listID, visible, {0}, int(visible.size()));
}

#define STORE_SIZES ->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_PlainWrite) STORE_SIZES;
BENCHMARK(BM_PlainReadAndParse) STORE_SIZES;
BENCHMARK(BM_Load) STORE_SIZES;
BENCHMARK(BM_AddItem) STORE_SIZES;
BENCHMARK(BM_SetDone) STORE_SIZES;
BENCHMARK(BM_DragHundredItems) STORE_SIZES;

} // namespace

BENCHMARK_MAIN();
