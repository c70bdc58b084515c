// Sync through the SQLite container: a full fetch of 10,000 records, and a send of 1,000
// changed records.
#include "cloud/Container.h"
#include "cloud/SyncEngine.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

using namespace cloud;

namespace {

const ZoneID benchZone{QStringLiteral("TB-bench")};

class BenchDelegate final : public SyncEngineDelegate {
public:
    void handleEvent(const SyncEngineEvent& event, SyncEngine&) override {
        if (const auto* fetched = std::get_if<SyncEvents::FetchedRecordZoneChanges>(&event))
            fetchedCount += fetched->modifications.size();
        if (const auto* sent = std::get_if<SyncEvents::SentRecordZoneChanges>(&event)) {
            for (const Record& record : sent->savedRecords)
                records.insert_or_assign(record.recordID(), record);
            failed += sent->failedRecordSaves.size();
        }
    }
    std::optional<RecordZoneChangeBatch>
    nextRecordZoneChangeBatch(const SendChangesContext& context, SyncEngine&) override {
        return RecordZoneChangeBatch{context.pendingChanges, [this](const RecordID& id) {
                                         auto it = records.find(id);
                                         return it == records.end() ? std::nullopt
                                                                    : std::optional(it->second);
                                     }};
    }
    std::map<RecordID, Record> records;
    size_t fetchedCount = 0;
    size_t failed = 0;
};

Record item(int i) {
    Record record(QStringLiteral("TB_Item"), RecordID{QStringLiteral("item-%1").arg(i), benchZone});
    record.set(QStringLiteral("text"), QStringLiteral("Item number %1 #groceries").arg(i));
    record.set(QStringLiteral("done"), qint64(i % 2));
    record.set(QStringLiteral("order"), double(i));
    record.set(QStringLiteral("pinned"), qint64(0));
    return record;
}

std::optional<CloudError> await(const std::function<void(SyncEngine::Completion)>& start) {
    QEventLoop loop;
    std::optional<CloudError> result;
    start([&](std::optional<CloudError> error) {
        result = error;
        loop.quit();
    });
    loop.exec();
    return result;
}

// A container file holding one zone of `count` records, saved by device "seed".
std::shared_ptr<Container> seeded(const QTemporaryDir& dir, int count, BenchDelegate* keep) {
    auto container = Container::openFile(dir.filePath(QStringLiteral("bench.sqlite"))).value();
    container->modifyZones("seed", DatabaseScope::privateScope, {benchZone}, {});
    for (int start = 0; start < count; start += 1000) {
        std::vector<Record> batch;
        for (int i = start; i < std::min(count, start + 1000); ++i)
            batch.push_back(item(i));
        auto saved = container->modifyRecords("seed", DatabaseScope::privateScope, batch, {});
        if (keep) {
            for (const Record& record : saved.value().savedRecords)
                keep->records.insert_or_assign(record.recordID(), record);
        }
    }
    return container;
}

void BM_FullFetch10000(benchmark::State& state) {
    QTemporaryDir dir;
    auto container = seeded(dir, 10000, nullptr);
    for (auto _ : state) {
        BenchDelegate delegate;
        SyncEngine engine({Database(container, "reader", DatabaseScope::privateScope), std::nullopt,
                           &delegate, false, 400});
        if (await([&](SyncEngine::Completion done) { engine.fetchChanges(std::move(done)); }) ||
            delegate.fetchedCount != 10000)
            state.SkipWithError("fetch failed");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}

void BM_Send1000Changed(benchmark::State& state) {
    QTemporaryDir dir;
    BenchDelegate delegate;
    auto container = seeded(dir, 1000, &delegate);
    SyncEngine engine({Database(container, "seed", DatabaseScope::privateScope), std::nullopt,
                       &delegate, false, 400});
    int round = 0;
    for (auto _ : state) {
        std::vector<PendingRecordZoneChange> changes;
        for (auto& [id, record] : delegate.records) {
            record.set(QStringLiteral("text"), QStringLiteral("changed %1").arg(round));
            changes.push_back(PendingRecordZoneChange::saveRecord(id));
        }
        ++round;
        engine.state().add(changes);
        if (await([&](SyncEngine::Completion done) { engine.sendChanges(std::move(done)); }) ||
            delegate.failed != 0)
            state.SkipWithError("send failed");
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}

} // namespace

BENCHMARK(BM_FullFetch10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Send1000Changed)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
