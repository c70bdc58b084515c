#pragma once

#include "cloud/SyncEngine.h"
#include "store/EngineQueue.h"

#include <memory>

class CloudSync;

// One of the store's two engines: what the store queues goes into the engine's pending
// changes, and what the engine reports goes to the store's sync side on the main thread.
class CloudEngine final : public EngineQueue, public cloud::SyncEngineDelegate {
public:
    CloudEngine(CloudSync& owner, EngineScope scope, cloud::Database database,
                const std::optional<QByteArray>& savedState, bool automaticSync);
    ~CloudEngine() override;

    EngineScope scope() const { return scope_; }
    cloud::SyncEngine& engine() { return *engine_; }

    void saveZone(const ZoneRef& zone) override;
    void deleteZone(const ZoneRef& zone) override;
    void saveRecord(const RecordRef& record) override;
    void deleteRecord(const RecordRef& record) override;

    void handleEvent(const cloud::SyncEngineEvent& event, cloud::SyncEngine& engine) override;
    std::optional<cloud::RecordZoneChangeBatch>
    nextRecordZoneChangeBatch(const cloud::SendChangesContext& context,
                              cloud::SyncEngine& engine) override;

private:
    CloudSync& owner_;
    EngineScope scope_;
    std::unique_ptr<cloud::SyncEngine> engine_;
};
