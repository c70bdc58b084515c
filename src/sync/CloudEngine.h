#pragma once

#include "cloud/SyncEngine.h"
#include "store/EngineQueue.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CloudSync;

// One of the store's two engines: what the store queues goes into the engine's pending
// changes, and what the engine reports goes to the store's sync side on the main thread.
//
// Queuing a whole store at once (queueSaves(), when the engines start) is worked out and taken in
// away from the main thread: for a hundred thousand items it takes longer than a window may stop
// answering. Whatever is queued after it waits for it, so the pending changes always change in
// the order they were queued, and a send asked for meanwhile starts once they are all in.
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
    void queueSaves(std::function<Saves()> make) override;

    // The engine's send, once everything queued so far is among its pending changes.
    void sendChanges(cloud::SyncEngine::Completion done);
    // Waits until everything queued so far is among the engine's pending changes, for a look
    // at them.
    void settle();
    // Forgets what the engine fetched and what waits to be sent, as the engine does itself
    // when it meets another account, keeping the account it knows: its next fetch brings
    // everything its database holds again. After what was queued so far.
    void startOver();

    // Whether this engine's upload is under way: its changes are still being taken in to be
    // sent (a store's first sync), or it is sending them and the cloud has answered a batch. A
    // pass that runs out of time then was not waiting for the cloud. On the owner's thread.
    bool uploading();
    // Whether this engine is fetching and the cloud has named the zones to fetch: a fetch that
    // runs out of time then goes on with the next one, from where it stopped. On the owner's
    // thread.
    bool downloading() const { return fetching_ && fetchedSome_; }

    void handleEvent(const cloud::SyncEngineEvent& event, cloud::SyncEngine& engine) override;
    std::optional<cloud::RecordZoneChangeBatch>
    nextRecordZoneChangeBatch(const cloud::SendChangesContext& context,
                              cloud::SyncEngine& engine) override;
    std::function<void()> willSendBatch(cloud::SyncEngine& engine) override;
    std::vector<QString> unansweredSends(cloud::SyncEngine& engine) override;

private:
    using StateChange = std::function<void(cloud::SyncEngineState&)>;
    // Made at once, or after the changes still being taken in.
    void apply(StateChange change);
    // On a pool thread: the changes waiting, in order, then the sends waiting for them.
    void takeIn();

    CloudSync& owner_;
    EngineScope scope_;
    std::unique_ptr<cloud::SyncEngine> engine_;

    std::mutex mutex_;
    std::condition_variable settled_;
    bool takingIn_ = false;
    std::deque<StateChange> waiting_;
    std::vector<cloud::SyncEngine::Completion> sends_;
    // Between the engine's announcements of a send's start and end, and whether it sent any.
    bool sending_ = false;
    bool sentSome_ = false;
    // The same for a fetch: between its start and end, and whether it has zones to fetch.
    bool fetching_ = false;
    bool fetchedSome_ = false;
};
