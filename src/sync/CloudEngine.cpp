#include "CloudEngine.h"

#include "CloudIds.h"
#include "CloudSync.h"

using cloud::PendingDatabaseChange;
using cloud::PendingRecordZoneChange;

CloudEngine::CloudEngine(CloudSync& owner, EngineScope scope, cloud::Database database,
                         const std::optional<QByteArray>& savedState, bool automaticSync)
    : owner_(owner), scope_(scope) {
    // A saved state that no longer reads starts the engine as if it had never run.
    std::optional<cloud::StateSerialization> state;
    if (savedState)
        state = cloud::StateSerialization::fromData(*savedState);
    engine_ = std::make_unique<cloud::SyncEngine>(
        cloud::SyncEngine::Configuration{std::move(database), state, this, automaticSync});
    owner_.engineMade(*this);
}

CloudEngine::~CloudEngine() {
    owner_.engineGone(*this);
}

void CloudEngine::saveZone(const ZoneRef& zone) {
    engine_->state().add({PendingDatabaseChange::saveZone(CloudIds::toCloud(zone))});
}

void CloudEngine::deleteZone(const ZoneRef& zone) {
    engine_->state().add({PendingDatabaseChange::deleteZone(CloudIds::toCloud(zone))});
}

// The latest wish for a record replaces an earlier opposite one still waiting: the engine
// sends saves before deletions, so a group left and joined again before a send would
// otherwise end deleted on the server while this device counts it as saved.
void CloudEngine::saveRecord(const RecordRef& record) {
    const cloud::RecordID id = CloudIds::toCloud(record);
    engine_->state().remove({PendingRecordZoneChange::deleteRecord(id)});
    engine_->state().add({PendingRecordZoneChange::saveRecord(id)});
}

void CloudEngine::deleteRecord(const RecordRef& record) {
    const cloud::RecordID id = CloudIds::toCloud(record);
    engine_->state().remove({PendingRecordZoneChange::saveRecord(id)});
    engine_->state().add({PendingRecordZoneChange::deleteRecord(id)});
}

void CloudEngine::handleEvent(const cloud::SyncEngineEvent& event, cloud::SyncEngine&) {
    owner_.handle(event, scope_);
}

std::optional<cloud::RecordZoneChangeBatch>
CloudEngine::nextRecordZoneChangeBatch(const cloud::SendChangesContext& context,
                                       cloud::SyncEngine&) {
    CloudSync* owner = &owner_;
    return cloud::RecordZoneChangeBatch{context.pendingChanges, [owner](const cloud::RecordID& id) {
                                            return owner->recordFor(id);
                                        }};
}
