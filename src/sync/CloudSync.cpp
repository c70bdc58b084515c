// Making a store's engines and running sync passes.
#include "CloudSync.h"

#include "CloudEngine.h"
#include "store/SendingJournal.h"

#include <QDeadlineTimer>
#include <QPointer>

#include <utility>

class CloudSync::Factory final : public EngineFactory {
public:
    explicit Factory(CloudSync& sync) : sync_(sync) {}
    std::unique_ptr<EngineQueue> makeEngine(EngineScope scope,
                                            const std::optional<QByteArray>& savedState,
                                            bool automaticSync) override {
        if (!sync_.device_)
            return nullptr;
        const cloud::DatabaseScope database = scope == EngineScope::sharedDatabase
                                                  ? cloud::DatabaseScope::sharedScope
                                                  : cloud::DatabaseScope::privateScope;
        return std::make_unique<CloudEngine>(sync_, scope, sync_.device_->database(database),
                                             savedState, automaticSync);
    }
    void storeEnding() override {
        sync_.finishUnderWay();
        // The journal goes once the store file holds what it says, before the store does.
        if (sync_.journalOnDisk_)
            sync_.store_.flushSaves();
    }

private:
    CloudSync& sync_;
};

CloudSync::CloudSync(ListStore& store, cloud::Result<cloud::CloudDevice> device)
    : QObject(&store), store_(store) {
    if (device.ok())
        device_ = device.value();
    else
        unreachable_ = device.error();
    shareRecordLookup_ = [this](const std::vector<cloud::RecordID>& ids,
                                std::function<void(cloud::Result<RecordResults>)> done) {
        if (device_)
            device_->privateCloudDatabase().fetchRecords(ids, this, std::move(done));
        else
            done(*unreachable_);
    };
}

CloudSync::~CloudSync() = default;

CloudSync* CloudSync::attach(ListStore& store, cloud::Result<cloud::CloudDevice> device) {
    auto* sync = new CloudSync(store, std::move(device));
    sync->openJournal();
    store.setEngineFactory(std::make_shared<Factory>(*sync));
    QPointer<CloudSync> guard(sync);
    store.setShareFlagRefresh([guard] {
        if (guard)
            guard->refreshShareFlags();
    });
    return sync;
}

void CloudSync::reach(cloud::Result<cloud::CloudDevice> device) {
    if (device_)
        return;
    if (device.ok()) {
        device_ = device.value();
        unreachable_.reset();
    } else {
        unreachable_ = device.error();
    }
}

CloudEngine* CloudSync::engine(EngineScope scope) const {
    return scope == EngineScope::sharedDatabase ? sharedEngine_ : privateEngine_;
}

bool CloudSync::uploading() const {
    for (const EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
        if (CloudEngine* engine = this->engine(scope); engine && engine->uploading())
            return true;
    }
    return false;
}

void CloudSync::engineMade(CloudEngine& engine) {
    (engine.scope() == EngineScope::sharedDatabase ? sharedEngine_ : privateEngine_) = &engine;
}

// A replacement is made before the engine it replaces goes.
void CloudSync::engineGone(CloudEngine& engine) {
    CloudEngine*& slot =
        engine.scope() == EngineScope::sharedDatabase ? sharedEngine_ : privateEngine_;
    if (slot != &engine)
        return;
    slot = nullptr;
    // A batch it had under way may have reached the container: its notes stay, and go to the
    // store with the next write (the store itself may be going now).
    sending(engine.scope()).clear();
    // Its last state is not written: the store keeps the one of the last pass's end, from
    // which an engine made later does again what this one did since.
    latestState(engine.scope()).reset();
}

void CloudSync::finishUnderWay() {
    const QDeadlineTimer deadline(finishWaitMs_);
    for (const EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
        if (CloudEngine* engine = this->engine(scope))
            engine->engine().finish(deadline);
    }
    journalTakenIn();
    writeResults();
}

void CloudSync::syncNow(Done done, std::function<void()> fetching, Answer answer) {
    store_.startEnginesIfAllowed();
    // What the lists held elsewhere refused is tried again, and said anew.
    if (passes_ == 0)
        store_.clearListsHeldElsewhere();
    ++passes_;
    QPointer<CloudSync> self(this);
    runStep(
        0,
        [self, done, answer](std::optional<cloud::CloudError> error) {
            if (!self) {
                if (done)
                    done(error);
                return;
            }
            // The store writes on a thread of its own: the caller hears of the pass's end once
            // what the pass wrote is on disk, unless it asked to hear of it at once.
            if (!self->passEnded() || answer == Answer::onceEnded) {
                if (done)
                    done(error);
                return;
            }
            self->store_.whenSaved([done, error](bool) {
                if (done)
                    done(error);
            });
        },
        std::move(fetching));
}

// What the engines report is not written after every event: a pass of ten thousand records
// would otherwise rewrite the whole file for every batch and every engine-state update. The
// whole file is written once a pass, at its end. Before each batch is sent, the notes of what it
// sends and what the container confirmed of the batches before it are appended to the sending
// journal beside the file (whenSendingNoted(), CloudSyncJournal.cpp), and what the container
// confirmed once the sending ends, so that a program killed meanwhile takes them in from there
// when it starts again. The engines' states are kept in the same file as the data they describe,
// and a state is never written ahead of the data it describes: a state is reported after the
// store took in what it tells of (an edit made during a pass writes the data with the engine
// states last handed to the store). A program that stops before a write loses what it took in
// since and the journal does not hold: the engines fetch again what was already taken in (merged
// to the same values) and send again the batch whose answer was lost, whose notes then tell
// whether the server's copy moved past what was sent (see settleUnansweredSend()). Events that
// arrive outside a pass are written at once.
void CloudSync::resultsChanged() {
    unsaved_ = true;
    if (passes_ == 0)
        writeResults();
}

bool CloudSync::passEnded() {
    --passes_;
    // Also when another pass is still under way: this pass's caller may answer a request that
    // must not be answered before its change is on disk.
    return writeResults();
}

std::optional<cloud::StateSerialization>& CloudSync::latestState(EngineScope scope) {
    return scope == EngineScope::sharedDatabase ? sharedState_ : privateState_;
}

bool CloudSync::writeResults() {
    keepNotes();
    bool changed = std::exchange(unsaved_, false);
    for (const EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
        std::optional<cloud::StateSerialization>& state = latestState(scope);
        if (!state)
            continue;
        const QByteArray data = state->data();
        state.reset();
        const auto& saved = scope == EngineScope::sharedDatabase ? store_.sharedEngineStateData()
                                                                 : store_.engineStateData();
        if (saved != data) {
            store_.setEngineStateData(scope, data);
            changed = true;
        }
    }
    if (changed)
        store_.persist();
    dropJournalOnceWritten();
    return changed;
}

void CloudSync::keepNote(const QString& noted, SendingNote note) {
    const auto earlier = unwrittenNotes_.constFind(noted);
    if (earlier != unwrittenNotes_.cend() && earlier->record.recordID() == note.record.recordID() &&
        earlier->record.changeTag() == note.record.changeTag())
        return;
    unwrittenNotes_.insert(noted, std::move(note));
}

void CloudSync::keepNotes() {
    for (auto it = unwrittenNotes_.cbegin(); it != unwrittenNotes_.cend(); ++it)
        store_.setArchive(it.key(), archive(it.value()));
    unwrittenNotes_.clear();
}

void CloudSync::sendingEnded(EngineScope scope, bool batchUnanswered) {
    if (batchUnanswered) {
        for (const QString& noted : std::as_const(sending(scope))) {
            if (const auto note = unwrittenNotes_.find(noted); note != unwrittenNotes_.end()) {
                store_.setArchive(noted, archive(*note));
                unwrittenNotes_.erase(note);
            }
        }
    } else {
        // The container never took the batch (it said so, or the batch never went): its notes
        // would only keep marks from being sent. A restart learns so from the journal.
        const QSet<QString> notes = std::exchange(sending(scope), {});
        for (const QString& noted : notes) {
            forgetSending(noted);
            if (journal_)
                unjournaled(scope).refused.append(noted);
        }
    }
    sending(scope).clear();
    journalTakenIn();
}

void CloudSync::forgetNotTaken(EngineScope scope, const QString& sendID) {
    const QSet<QString> noted = sending(scope);
    for (const QString& key : noted) {
        const auto note = unwrittenNotes_.constFind(key);
        if (note == unwrittenNotes_.cend() || note->sendID != sendID)
            continue;
        sending(scope).remove(key);
        unwrittenNotes_.erase(note);
        if (journal_)
            unjournaled(scope).refused.append(key);
    }
}

QSet<QString>& CloudSync::sending(EngineScope scope) {
    return scope == EngineScope::sharedDatabase ? sharedSending_ : privateSending_;
}

bool CloudSync::inBatchUnderWay(const QString& noted) const {
    return privateSending_.contains(noted) || sharedSending_.contains(noted);
}

void CloudSync::forgetSending(const QString& noted) {
    privateSending_.remove(noted);
    sharedSending_.remove(noted);
    if (!unwrittenNotes_.remove(noted))
        store_.removeArchive(noted);
}

// Steps 0 and 1 send (private, shared), 2 and 3 fetch (private, shared). Each step looks the
// engine up anew, so one dropped by the sync switch meanwhile is skipped. When a fetch found
// that the cloud no longer holds what this device sent, what it lacks is sent again in steps 4
// and 5 (private, shared), so that one pass brings the other devices everything; so is a save
// the container refused and that is queued again (a conflict merged), once: one refused again
// there waits for the next pass.
void CloudSync::runStep(int step, Done done, std::function<void()> fetching) {
    if (step == 2 && fetching)
        fetching();
    if (step == 4 && !std::exchange(resendOwed_, false))
        step = 6;
    resending_ = step == 4 || step == 5;
    if (step > 5) {
        if (done)
            done(std::nullopt);
        return;
    }
    const EngineScope scope =
        step % 2 == 0 ? EngineScope::privateDatabase : EngineScope::sharedDatabase;
    CloudEngine* engine = this->engine(scope);
    if (!engine) {
        runStep(step + 1, std::move(done), std::move(fetching));
        return;
    }
    QPointer<CloudSync> self(this);
    const bool fetch = step == 2 || step == 3;
    auto next = [self, step, scope, fetch, done, fetching](std::optional<cloud::CloudError> error) {
        if (self && fetch)
            self->fetched(scope, !error);
        if (error || !self) {
            if (self)
                self->resending_ = false;
            if (done)
                done(error);
            return;
        }
        self->runStep(step + 1, done, fetching);
    };
    if (fetch)
        engine->engine().fetchChanges(next);
    else
        engine->sendChanges(next);
}

void CloudSync::fetched(EngineScope scope, bool whole) {
    // Set by the fetch that brought the last zone whole: one that ended early goes on with the
    // next, in this process or a later one, which the engine tells.
    if (!std::exchange(serverForgot(scope), false) || !whole)
        return;
    bool resend = false;
    store_.batch([&] { resend = store_.resendWhatTheServerLacks(scope); });
    if (resend) {
        resendOwed_ = true;
        resultsChanged();
    }
}

bool& CloudSync::serverForgot(EngineScope scope) {
    return scope == EngineScope::sharedDatabase ? sharedServerForgot_ : privateServerForgot_;
}
