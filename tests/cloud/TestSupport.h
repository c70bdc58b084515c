#pragma once

#include "cloud/Container.h"
#include "cloud/SyncEngine.h"
#include "support/TestApplication.h"

#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace cloudtest {

using namespace cloud;

// The application object the engines deliver through; made once per test program.
using testsupport::ensureApplication;

// Spins the event loop until the operation calls back (or ten seconds pass).
std::optional<CloudError> wait(const std::function<void(SyncEngine::Completion)>& start);
std::optional<CloudError> send(SyncEngine& engine);
std::optional<CloudError> fetch(SyncEngine& engine);

// A container on one of the two back ends, in a folder of its own.
class Backend {
public:
    explicit Backend(bool sqlite);
    std::shared_ptr<Container> container;
    QString path; // the file, for SQLite

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

ZoneID zone(const QString& name, const QString& owner = currentUserDefaultName);
Record note(const QString& name, const ZoneID& zone, const QString& text);

// A delegate that records every event, provides records from a table, and keeps the state
// serialization like an owner would.
class RecordingDelegate final : public SyncEngineDelegate {
public:
    void handleEvent(const SyncEngineEvent& event, SyncEngine& engine) override;
    std::optional<RecordZoneChangeBatch>
    nextRecordZoneChangeBatch(const SendChangesContext& context, SyncEngine& engine) override;

    template <typename T> std::vector<T> eventsOf() const {
        std::vector<T> found;
        for (const auto& event : events) {
            if (const T* typed = std::get_if<T>(&event))
                found.push_back(*typed);
        }
        return found;
    }
    std::vector<Record> fetchedRecords() const;
    std::vector<Record> savedRecords() const;
    std::vector<std::pair<Record, CloudError>> failedSaves() const;

    std::vector<SyncEngineEvent> events;
    std::map<RecordID, Record> records; // what the provider gives, latest server copy when saved
    std::optional<StateSerialization> saved;
    std::vector<int> batchSizes;
    std::function<void(const SyncEngineEvent&, SyncEngine&)> onEvent;
};

// Queues a save of each record and puts it in the delegate's table.
void queueSaves(SyncEngine& engine, RecordingDelegate& delegate,
                const std::vector<Record>& records);

} // namespace cloudtest
