#pragma once

#include "cloud/Container.h"
#include "cloud/SyncEngine.h"
#include "support/PostgresTestServer.h"
#include "support/TestApplication.h"

#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace cloudtest {

using namespace cloud;

// The application object the engines deliver through; made once per test program.
using testsupport::ensureApplication;

// Spins the event loop until the operation calls back (or ten seconds pass).
std::optional<CloudError> wait(const std::function<void(SyncEngine::Completion)>& start);
std::optional<CloudError> send(SyncEngine& engine);
std::optional<CloudError> fetch(SyncEngine& engine);

// Where a test's container keeps its tables.
enum class Storage { memory, sqlite, postgres };

// A container on one of the storages, in a folder (or a server database) of its own. On the
// server the default user is a person with a role of that name, like every other user.
class Backend {
public:
    explicit Backend(Storage storage);
    ~Backend();
    // The administrator's container; in a file, every device's too.
    std::shared_ptr<Container> container;
    QString path; // the file, for SQLite
    std::unique_ptr<testsupport::PostgresTestDatabase> server;

    // The container a device reaches: on a server, connected as the role of the user the
    // device is signed into (the default user for a device not seen yet).
    std::shared_ptr<Container> forDevice(const QString& deviceID);

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::map<QString, std::shared_ptr<Container>> roles_;
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
    std::vector<int> offeredSizes; // how many changes each call of the engine offered
    // Each offered batch's send id, and the batch cut short before it that it names.
    std::vector<std::pair<QString, QString>> offeredSends;
    std::function<void(const SyncEngineEvent&, SyncEngine&)> onEvent;
    std::function<void()> onOffered; // after the engine asked for a batch
};

// One device of a person on a server: its own connection, as that person's role.
struct PersonDevice {
    PersonDevice(const testsupport::PostgresTestDatabase& db, const QString& person,
                 const QString& id, DatabaseScope scope = DatabaseScope::privateScope,
                 int timeoutMs = 5'000)
        : container(Container::openServer(db.uri(person), timeoutMs).value()),
          engine({Database(container, id, scope), std::nullopt, &delegate, false, 400}) {}

    std::set<QString> fetchedNames() const;

    std::shared_ptr<Container> container;
    RecordingDelegate delegate;
    SyncEngine engine;
};

// Queues a save of each record and puts it in the delegate's table.
void queueSaves(SyncEngine& engine, RecordingDelegate& delegate,
                const std::vector<Record>& records);

} // namespace cloudtest
