#include "CloudEngine.h"

#include "CloudIds.h"
#include "CloudSync.h"

#include <QThreadPool>

#include <algorithm>

using cloud::PendingDatabaseChange;
using cloud::PendingRecordZoneChange;

namespace {
// Changes taken in at a time, so that the engine's own thread is never kept long from its
// state.
constexpr size_t takenAtOnce = 4096;
} // namespace

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
    settle();
    owner_.engineGone(*this);
}

void CloudEngine::apply(StateChange change) {
    {
        std::lock_guard lock(mutex_);
        if (takingIn_) {
            waiting_.push_back(std::move(change));
            return;
        }
    }
    change(engine_->state());
}

void CloudEngine::saveZone(const ZoneRef& zone) {
    apply([change = PendingDatabaseChange::saveZone(CloudIds::toCloud(zone))](auto& state) {
        state.add({change});
    });
}

void CloudEngine::deleteZone(const ZoneRef& zone) {
    apply([change = PendingDatabaseChange::deleteZone(CloudIds::toCloud(zone))](auto& state) {
        state.add({change});
    });
}

// The latest wish for a record replaces an earlier opposite one still waiting: the engine
// sends saves before deletions, so a group left and joined again before a send would
// otherwise end deleted on the server while this device counts it as saved.
void CloudEngine::saveRecord(const RecordRef& record) {
    apply([id = CloudIds::toCloud(record)](auto& state) {
        state.remove({PendingRecordZoneChange::deleteRecord(id)});
        state.add({PendingRecordZoneChange::saveRecord(id)});
    });
}

void CloudEngine::deleteRecord(const RecordRef& record) {
    apply([id = CloudIds::toCloud(record)](auto& state) {
        state.remove({PendingRecordZoneChange::saveRecord(id)});
        state.add({PendingRecordZoneChange::deleteRecord(id)});
    });
}

void CloudEngine::queueSaves(std::function<Saves()> make) {
    std::lock_guard lock(mutex_);
    waiting_.push_back([make = std::move(make)](cloud::SyncEngineState& state) {
        const Saves saves = make();
        std::vector<PendingDatabaseChange> zones;
        zones.reserve(saves.zones.size());
        for (const ZoneRef& zone : saves.zones)
            zones.push_back(PendingDatabaseChange::saveZone(CloudIds::toCloud(zone)));
        state.add(zones);
        for (size_t from = 0; from < saves.records.size(); from += takenAtOnce) {
            const size_t to = std::min(saves.records.size(), from + takenAtOnce);
            std::vector<PendingRecordZoneChange> deletions;
            std::vector<PendingRecordZoneChange> records;
            deletions.reserve(to - from);
            records.reserve(to - from);
            for (size_t i = from; i < to; ++i) {
                const cloud::RecordID id = CloudIds::toCloud(saves.records[i]);
                deletions.push_back(PendingRecordZoneChange::deleteRecord(id));
                records.push_back(PendingRecordZoneChange::saveRecord(id));
            }
            state.remove(deletions);
            state.add(records);
        }
    });
    if (!takingIn_) {
        takingIn_ = true;
        // Qt's pool, not the cloud's (cloud::WorkerPool): taking in never waits for the owner's
        // thread, while the owner's thread waits for it (settle()), so it must never queue behind
        // a sync pass that waits for the owner's thread.
        QThreadPool::globalInstance()->start([this] { takeIn(); });
    }
}

void CloudEngine::takeIn() {
    for (;;) {
        StateChange next;
        {
            std::lock_guard lock(mutex_);
            if (waiting_.empty()) {
                // Started while the lock is held, so that nothing queued later comes first.
                for (auto& done : sends_)
                    engine_->sendChanges(std::move(done));
                sends_.clear();
                takingIn_ = false;
                settled_.notify_all();
                return;
            }
            next = std::move(waiting_.front());
            waiting_.pop_front();
        }
        next(engine_->state());
    }
}

void CloudEngine::sendChanges(cloud::SyncEngine::Completion done) {
    {
        std::lock_guard lock(mutex_);
        if (takingIn_) {
            sends_.push_back(std::move(done));
            return;
        }
    }
    engine_->sendChanges(std::move(done));
}

void CloudEngine::settle() {
    std::unique_lock lock(mutex_);
    settled_.wait(lock, [this] { return !takingIn_; });
}

void CloudEngine::startOver() {
    apply([](cloud::SyncEngineState& state) { state.resetForAccount(state.account()); });
}

bool CloudEngine::uploading() {
    std::lock_guard lock(mutex_);
    return takingIn_ || (sending_ && sentSome_);
}

void CloudEngine::handleEvent(const cloud::SyncEngineEvent& event, cloud::SyncEngine&) {
    using namespace cloud::SyncEvents;
    if (std::holds_alternative<WillSendChanges>(event)) {
        sending_ = true;
        sentSome_ = false;
    } else if (std::holds_alternative<DidSendChanges>(event)) {
        sending_ = false;
    } else if (std::holds_alternative<WillFetchChanges>(event)) {
        fetching_ = true;
        fetchedSome_ = false;
    } else if (std::holds_alternative<WillFetchRecordZoneChanges>(event)) {
        fetchedSome_ = true;
    } else if (std::holds_alternative<DidFetchChanges>(event)) {
        fetching_ = false;
    } else if (std::holds_alternative<SentDatabaseChanges>(event)) {
        sentSome_ = true;
    } else if (const auto* sent = std::get_if<SentRecordZoneChanges>(&event)) {
        sentSome_ = true;
        // Before the store takes it in, while the batch's notes tell what was sent.
        owner_.journalAnswer(*sent, scope_);
    }
    owner_.handle(event, scope_);
}

// Only as many changes as the engine sends in one batch: the pending changes of a store's
// first sync are tens of thousands, and this runs on the main thread for every batch.
std::optional<cloud::RecordZoneChangeBatch>
CloudEngine::nextRecordZoneChangeBatch(const cloud::SendChangesContext& context,
                                       cloud::SyncEngine&) {
    CloudSync* owner = &owner_;
    const EngineScope scope = scope_;
    const size_t count = std::min(context.pendingChanges.size(), size_t(context.batchSize));
    if (!context.notTakenSendID.isEmpty())
        owner->forgetNotTaken(scope, context.notTakenSendID);
    return cloud::RecordZoneChangeBatch{
        {context.pendingChanges.begin(), context.pendingChanges.begin() + ptrdiff_t(count)},
        [owner, scope, sendID = context.sendID](const cloud::RecordID& id) {
            return owner->recordToSend(id, scope, sendID);
        }};
}

std::function<void()> CloudEngine::willSendBatch(cloud::SyncEngine&) {
    return owner_.whenSendingNoted(scope_);
}

std::vector<QString> CloudEngine::unansweredSends(cloud::SyncEngine&) {
    return owner_.unansweredSends();
}
