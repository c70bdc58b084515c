// One device of the two-process test: saves its own records and raises a shared counter
// through a container file, retrying on conflicts, then prints what it did.
//   cloud_peer CONTAINER DEVICE_FOLDER PREFIX RECORDS INCREMENTS
#include "cloud/CloudDevice.h"
#include "cloud/SyncEngine.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdio>
#include <map>

using namespace cloud;

namespace {

class PeerDelegate final : public SyncEngineDelegate {
public:
    void handleEvent(const SyncEngineEvent& event, SyncEngine&) override {
        if (const auto* sent = std::get_if<SyncEvents::SentRecordZoneChanges>(&event)) {
            for (const Record& record : sent->savedRecords)
                records.insert_or_assign(record.recordID(), record);
            for (const auto& [record, error] : sent->failedRecordSaves) {
                ++failures;
                if (error.serverRecord) {
                    ++conflicts;
                    records.insert_or_assign(record.recordID(), *error.serverRecord);
                }
            }
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
    int failures = 0;
    int conflicts = 0;
};

std::optional<CloudError> run(const std::function<void(SyncEngine::Completion)>& start) {
    QEventLoop loop;
    std::optional<CloudError> result;
    start([&](std::optional<CloudError> error) {
        result = error;
        loop.quit();
    });
    loop.exec();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        std::fprintf(stderr,
                     "usage: cloud_peer CONTAINER DEVICE_FOLDER PREFIX RECORDS INCREMENTS\n");
        return 2;
    }
    auto device = CloudDevice::open(args[1], args[2]);
    if (!device.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(device.error().message));
        return 1;
    }
    PeerDelegate delegate;
    SyncEngine engine({device.value().privateCloudDatabase(), std::nullopt, &delegate, false, 7});
    const ZoneID zone{QStringLiteral("Shared")};
    const auto send = [&] {
        return run([&](SyncEngine::Completion done) { engine.sendChanges(std::move(done)); });
    };

    engine.state().add({PendingDatabaseChange::saveZone(zone)});
    for (int i = 0; i < args[4].toInt(); ++i) {
        Record record(QStringLiteral("Note"), RecordID{args[3] + QString::number(i), zone});
        record.set(QStringLiteral("text"), args[3]);
        delegate.records.insert_or_assign(record.recordID(), record);
        engine.state().add({PendingRecordZoneChange::saveRecord(record.recordID())});
    }
    if (auto error = send()) {
        std::fprintf(stderr, "send: %s\n", qPrintable(error->message));
        return 1;
    }

    // Read, raise, write back; a conflict brings the server's copy to raise again.
    const RecordID counterID{QStringLiteral("counter"), zone};
    for (int i = 0; i < args[5].toInt(); ++i) {
        for (int attempt = 0;; ++attempt) {
            if (attempt > 1000)
                return 3;
            auto it = delegate.records.find(counterID);
            Record counter = it != delegate.records.end()
                                 ? it->second
                                 : Record(QStringLiteral("Counter"), counterID);
            const qint64 before = counter.integer(QStringLiteral("count")).value_or(0);
            counter.set(QStringLiteral("count"), before + 1);
            delegate.records.insert_or_assign(counterID, counter);
            const int failuresBefore = delegate.failures;
            engine.state().add({PendingRecordZoneChange::saveRecord(counterID)});
            if (auto error = send()) {
                std::fprintf(stderr, "send: %s\n", qPrintable(error->message));
                return 1;
            }
            if (delegate.failures == failuresBefore)
                break;
        }
    }
    std::printf("conflicts=%d\n", delegate.conflicts);
    return 0;
}
