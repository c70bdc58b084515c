#include "TestSupport.h"

#include "support/CompletionWait.h"

namespace cloudtest {

std::optional<CloudError> wait(const std::function<void(SyncEngine::Completion)>& start) {
    const auto result =
        testsupport::waitForCompletion<std::optional<CloudError>>(start, std::chrono::seconds(10));
    if (!result)
        return CloudError::make(CloudError::Code::internalError, QStringLiteral("timed out"));
    return *result;
}

std::optional<CloudError> send(SyncEngine& engine) {
    return wait([&](SyncEngine::Completion done) { engine.sendChanges(std::move(done)); });
}

std::optional<CloudError> fetch(SyncEngine& engine) {
    return wait([&](SyncEngine::Completion done) { engine.fetchChanges(std::move(done)); });
}

Backend::Backend(Storage storage) {
    switch (storage) {
    case Storage::memory:
        container = Container::inMemory();
        return;
    case Storage::sqlite: {
        dir_ = std::make_unique<QTemporaryDir>();
        path = dir_->filePath(QStringLiteral("container.sqlite"));
        auto opened = Container::openFile(path);
        if (opened.ok())
            container = opened.value();
        return;
    }
    case Storage::postgres:
        server = std::make_unique<testsupport::PostgresTestDatabase>();
        if (!server->ok()) {
            ADD_FAILURE() << server->error().toStdString();
            return;
        }
        container = server->admin();
        server->addPerson(Container::defaultUserName);
        return;
    }
}

Backend::~Backend() {
    // Every connection closes before the database goes.
    roles_.clear();
    container.reset();
}

std::shared_ptr<Container> Backend::forDevice(const QString& deviceID) {
    if (!server)
        return container;
    QString role = Container::defaultUserName;
    if (auto devices = container->devices(); devices.ok()) {
        for (const DeviceRow& row : devices.value()) {
            if (row.id == deviceID)
                role = row.user.value_or(row.holder);
        }
    }
    auto& made = roles_[role];
    if (!made)
        made = Container::openServer(server->uri(role)).value();
    return made;
}

ZoneID zone(const QString& name, const QString& owner) {
    return ZoneID{name, owner};
}

Record note(const QString& name, const ZoneID& zone, const QString& text) {
    Record record(QStringLiteral("Note"), RecordID{name, zone});
    record.set(QStringLiteral("text"), text);
    return record;
}

void RecordingDelegate::handleEvent(const SyncEngineEvent& event, SyncEngine& engine) {
    events.push_back(event);
    if (const auto* update = std::get_if<SyncEvents::StateUpdate>(&event))
        saved = update->stateSerialization;
    if (const auto* sent = std::get_if<SyncEvents::SentRecordZoneChanges>(&event)) {
        for (const Record& record : sent->savedRecords)
            records.insert_or_assign(record.recordID(), record);
    }
    if (onEvent)
        onEvent(event, engine);
}

std::optional<RecordZoneChangeBatch>
RecordingDelegate::nextRecordZoneChangeBatch(const SendChangesContext& context, SyncEngine&) {
    offeredSizes.push_back(int(context.pendingChanges.size()));
    offeredSends.emplace_back(context.sendID, context.notTakenSendID);
    if (onOffered)
        onOffered();
    return RecordZoneChangeBatch{context.pendingChanges, [this](const RecordID& id) {
                                     auto it = records.find(id);
                                     return it == records.end() ? std::nullopt
                                                                : std::optional(it->second);
                                 }};
}

std::vector<Record> RecordingDelegate::fetchedRecords() const {
    std::vector<Record> all;
    for (const auto& event : eventsOf<SyncEvents::FetchedRecordZoneChanges>())
        all.insert(all.end(), event.modifications.begin(), event.modifications.end());
    return all;
}

std::vector<Record> RecordingDelegate::savedRecords() const {
    std::vector<Record> all;
    for (const auto& event : eventsOf<SyncEvents::SentRecordZoneChanges>())
        all.insert(all.end(), event.savedRecords.begin(), event.savedRecords.end());
    return all;
}

std::vector<std::pair<Record, CloudError>> RecordingDelegate::failedSaves() const {
    std::vector<std::pair<Record, CloudError>> all;
    for (const auto& event : eventsOf<SyncEvents::SentRecordZoneChanges>())
        all.insert(all.end(), event.failedRecordSaves.begin(), event.failedRecordSaves.end());
    return all;
}

void queueSaves(SyncEngine& engine, RecordingDelegate& delegate,
                const std::vector<Record>& records) {
    std::vector<PendingDatabaseChange> zones;
    std::vector<PendingRecordZoneChange> changes;
    for (const Record& record : records) {
        delegate.records.insert_or_assign(record.recordID(), record);
        zones.push_back(PendingDatabaseChange::saveZone(record.recordID().zoneID));
        changes.push_back(PendingRecordZoneChange::saveRecord(record.recordID()));
    }
    engine.state().add(zones);
    engine.state().add(changes);
}

std::set<QString> PersonDevice::fetchedNames() const {
    std::set<QString> names;
    for (const Record& record : delegate.fetchedRecords())
        names.insert(record.recordID().recordName);
    return names;
}

} // namespace cloudtest
