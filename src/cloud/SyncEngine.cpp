#include "SyncEngine.h"

#include "WorkerPool.h"
#include "platform/MemoryRelease.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QThreadPool>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <span>
#include <unordered_map>
#include <unordered_set>

namespace cloud {

using Code = CloudError::Code;

// Batches sent between two returns of the freed memory to the system.
constexpr int batchesBetweenReleases = 8;
// A fetch call that took less time and brought fewer records than these is followed by one of
// twice as many zones, up to the largest batch.
constexpr qint64 quickFetchMs = 100;
constexpr size_t smallFetchRecords = 2'000;
constexpr size_t largestFetchBatch = 64;

namespace {

using ChangeSet = std::unordered_set<PendingRecordZoneChange, PendingChangeHash>;
template <typename Value>
using ChangeMap = std::unordered_map<PendingRecordZoneChange, Value, PendingChangeHash>;

// A batch's send id: new for each batch, and not one anybody else could guess.
QString newSendID() {
    return QString::number(QRandomGenerator::system()->generate64(), 16)
        .rightJustified(16, QLatin1Char('0'));
}

} // namespace

// The part of an engine that outlives it while an operation runs.
class SyncEngine::Core : public std::enable_shared_from_this<SyncEngine::Core> {
public:
    Core(SyncEngine* owner, Configuration configuration)
        : database(std::move(configuration.database)), state(configuration.stateSerialization),
          delegate(configuration.delegate), batchSize(std::max(1, configuration.recordBatchSize)),
          owner_(owner), context_(new QObject, [](QObject* object) { object->deleteLater(); }) {}

    // The engine is gone: its delegate is no longer called, and a call waiting for the owner's
    // thread is given up, so that the operation ends without that thread, whose event loop may
    // already have ended (a process on its way out). On the owner's thread.
    void detach() {
        delegate = nullptr;
        owner_ = nullptr;
        std::lock_guard lock(gate_->mutex);
        gate_->released = true;
        gate_->changed.notify_all();
    }

    void enqueue(std::function<std::optional<CloudError>(Core&)> operation, Completion done);
    void stopAndTakeIn(QDeadlineTimer deadline);

    Database database;
    SyncEngineState state;
    SyncEngineDelegate* delegate; // read and cleared only on the owner's thread
    const int batchSize;

private:
    std::optional<CloudError> send();
    std::optional<CloudError> fetch();
    std::optional<CloudError> checkAccount();
    // Tells the owner that a send or fetch begins, and asks the container what became of the
    // sends whose answer the owner never took in.
    std::optional<CloudError> begin(const SyncEngineEvent& event);
    bool released() const {
        std::lock_guard lock(gate_->mutex);
        return gate_->released;
    }
    std::optional<CloudError> fetchZones(const std::vector<ZoneID>& zones, size_t& records);
    void drain();

    void onOwner(const std::function<void()>& work);
    // Whether the operation under way is to end at this step instead of calling the container:
    // the engine is gone or finishing. What it then says went wrong: nothing to nobody, or that
    // it was stopped.
    bool ending() const {
        std::lock_guard lock(gate_->mutex);
        return gate_->released || gate_->stopped;
    }
    bool fetchTimeUp() const {
        std::lock_guard lock(gate_->mutex);
        return gate_->fetchDeadline.hasExpired();
    }
    std::optional<CloudError> endingError() const {
        std::lock_guard lock(gate_->mutex);
        return gate_->released ? std::nullopt : std::optional(operationStopped());
    }
    void post(const SyncEngineEvent& event) {
        onOwner([&] {
            if (delegate && owner_)
                delegate->handleEvent(event, *owner_);
        });
    }
    void postStateUpdate() { post(SyncEvents::StateUpdate{state.serialization()}); }

    // What the operation's thread and the owner's thread share about a call on the owner's
    // thread: neither holds the core for it, so a call left in a queue that never runs keeps
    // nothing alive but this.
    // Where one call on the owner's thread stands.
    enum class Call { waiting, running, done, givenUp };
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        bool released = false;
        bool stopped = false; // finish() was called
        bool busy = false;    // an operation is under way
        QDeadlineTimer fetchDeadline = QDeadlineTimer::Forever;
        // The call the operation waits for on the owner's thread, while it waits: finish()
        // runs it there itself.
        std::shared_ptr<Call> waitingCall;
        const std::function<void()>* waitingWork = nullptr;
    };
    // Runs a call on the owner's thread, unless it already ran or was given up.
    static void runCall(Gate& gate, Call& call, const std::function<void()>& work);

    SyncEngine* owner_;
    std::shared_ptr<QObject> context_; // lives on the owner's thread
    const std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();

    std::mutex queueMutex_;
    std::deque<std::pair<std::function<std::optional<CloudError>(Core&)>, Completion>> queue_;
    bool running_ = false;

    friend class SyncEngine;
};

SyncEngine::SyncEngine(Configuration configuration)
    : core_(std::make_shared<Core>(this, std::move(configuration))) {}

SyncEngine::~SyncEngine() {
    core_->detach();
}

const Database& SyncEngine::database() const {
    return core_->database;
}
SyncEngineState& SyncEngine::state() {
    return core_->state;
}

void SyncEngine::sendChanges(Completion done) {
    core_->enqueue([](Core& core) { return core.send(); }, std::move(done));
}

void SyncEngine::fetchChanges(Completion done) {
    core_->enqueue([](Core& core) { return core.fetch(); }, std::move(done));
}

void SyncEngine::finish(QDeadlineTimer deadline) {
    core_->stopAndTakeIn(deadline);
}

CloudError SyncEngine::operationStopped() {
    return CloudError::make(Code::internalError,
                            QStringLiteral("The sync was stopped before it ended."));
}

void SyncEngine::setFetchDeadline(QDeadlineTimer deadline) {
    std::lock_guard lock(core_->gate_->mutex);
    core_->gate_->fetchDeadline = deadline;
}

CloudError SyncEngine::fetchCutShort() {
    return CloudError::make(
        Code::internalError,
        QStringLiteral("The fetch ran out of time; it goes on with the next one."));
}

bool SyncEngine::isFetchCutShort(const CloudError& error) {
    const CloudError cut = fetchCutShort();
    return error.code == cut.code && error.message == cut.message;
}

void SyncEngine::Core::enqueue(std::function<std::optional<CloudError>(Core&)> operation,
                               Completion done) {
    std::lock_guard lock(queueMutex_);
    queue_.emplace_back(std::move(operation), std::move(done));
    if (running_)
        return;
    running_ = true;
    // Not Qt's own pool: the operation waits for the owner's thread (see WorkerPool).
    WorkerPool::instance().start([self = shared_from_this()] { self->drain(); });
}

// Runs work on the owner's thread and waits for it, unless the engine is released first: then
// the work never runs, since what it refers to is this thread's and goes as this returns. Work
// already running when the engine goes is waited for; it runs on the owner's thread and ends.
void SyncEngine::Core::onOwner(const std::function<void()>& work) {
    auto call = std::make_shared<Call>(Call::waiting);
    {
        std::lock_guard lock(gate_->mutex);
        if (gate_->released)
            return;
        gate_->waitingCall = call;
        gate_->waitingWork = &work;
        gate_->changed.notify_all();
    }
    QMetaObject::invokeMethod(
        context_.get(), [gate = gate_, call, &work] { runCall(*gate, *call, work); },
        Qt::QueuedConnection);
    std::unique_lock lock(gate_->mutex);
    gate_->changed.wait(
        lock, [&] { return *call == Call::done || (*call == Call::waiting && gate_->released); });
    if (*call == Call::waiting)
        *call = Call::givenUp;
    gate_->waitingCall.reset();
    gate_->waitingWork = nullptr;
}

void SyncEngine::Core::runCall(Gate& gate, Call& call, const std::function<void()>& work) {
    {
        std::lock_guard lock(gate.mutex);
        if (call != Call::waiting)
            return;
        call = Call::running;
    }
    work();
    std::lock_guard lock(gate.mutex);
    call = Call::done;
    gate.changed.notify_all();
}

// The operation under way sees `stopped` at its next step and ends; until it has, its calls on
// this thread are run here, as they come, since no event loop may run them now. A call to the
// container it is making is not cut short: what the container committed is reported here.
void SyncEngine::Core::stopAndTakeIn(QDeadlineTimer deadline) {
    std::unique_lock lock(gate_->mutex);
    gate_->stopped = true;
    // A batch waiting for its owner's word before it goes ends now.
    gate_->changed.notify_all();
    while (!gate_->released) {
        if (gate_->waitingCall && *gate_->waitingCall == Call::waiting) {
            // The operation waits in onOwner() until the call is done, so its work stays.
            const std::shared_ptr<Call> call = gate_->waitingCall;
            const std::function<void()>& work = *gate_->waitingWork;
            lock.unlock();
            runCall(*gate_, *call, work);
            lock.lock();
            continue;
        }
        if (!gate_->busy || deadline.hasExpired())
            return;
        gate_->changed.wait_for(lock, deadline.remainingTimeAsDuration());
    }
}

// Runs queued operations one after another until none is left.
void SyncEngine::Core::drain() {
    for (;;) {
        std::pair<std::function<std::optional<CloudError>(Core&)>, Completion> next;
        {
            std::lock_guard lock(queueMutex_);
            if (queue_.empty()) {
                running_ = false;
                return;
            }
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        std::optional<CloudError> error;
        {
            std::lock_guard lock(gate_->mutex);
            gate_->busy = true;
        }
        try {
            // An operation of an engine released meanwhile has nobody to report to; one of an
            // engine that was finished is told that it was stopped.
            if (!ending())
                error = next.first(*this);
            else
                error = endingError();
        } catch (const std::exception& e) {
            error = CloudError::make(Code::internalError, QString::fromUtf8(e.what()));
        }
        {
            std::lock_guard lock(gate_->mutex);
            gate_->busy = false;
            gate_->changed.notify_all();
        }
        if (next.second) {
            // The completion runs on the owner's thread after the operation has ended.
            QMetaObject::invokeMethod(
                context_.get(), [done = next.second, error] { done(error); }, Qt::QueuedConnection);
        }
    }
}

std::optional<CloudError> SyncEngine::Core::checkAccount() {
    auto current = database.container()->currentUser(database.deviceID());
    if (!current.ok())
        return current.error();
    const std::optional<QString> user = current.value();
    const std::optional<QString> known = state.account();
    if (user == known)
        return user ? std::nullopt : std::optional(CloudError::make(Code::notAuthenticated));

    SyncEvents::AccountChange change{SyncEvents::AccountChange::Type::signIn, known, user};
    if (!known) {
        state.setAccount(user);
    } else {
        change.type = user ? SyncEvents::AccountChange::Type::switchAccounts
                           : SyncEvents::AccountChange::Type::signOut;
        state.resetForAccount(user);
    }
    post(change);
    postStateUpdate();
    return user ? std::nullopt : std::optional(CloudError::make(Code::notAuthenticated));
}

// The owner learns of the operation and names the sends whose answer it never took in, in one
// call on its thread. What became of each is asked before anything is sent or fetched: a record
// such a send went with is settled by what the container says of the send, never by a guess
// from the server's copy, so without an answer the operation ends there.
std::optional<CloudError> SyncEngine::Core::begin(const SyncEngineEvent& event) {
    std::vector<QString> unanswered;
    onOwner([&] {
        if (!delegate || !owner_)
            return;
        delegate->handleEvent(event, *owner_);
        if (delegate && owner_)
            unanswered = delegate->unansweredSends(*owner_);
    });
    SyncEvents::SendOutcomes told;
    std::optional<CloudError> error;
    for (const QString& id : unanswered) {
        if (ending())
            break;
        auto outcome = database.container()->sendLanded(database.deviceID(), id);
        if (!outcome.ok()) {
            error = outcome.error();
            break;
        }
        told.outcomes.emplace_back(id, std::move(outcome.value()));
    }
    if (!told.outcomes.empty())
        post(told);
    return error;
}

std::optional<CloudError> SyncEngine::Core::send() {
    if (auto error = checkAccount())
        return error;
    bool unanswered = false; // the last batch's answer was lost
    const auto finish = [&](std::optional<CloudError> error) {
        post(SyncEvents::DidSendChanges{unanswered});
        return error;
    };
    if (auto error = begin(SyncEvents::WillSendChanges{}))
        return finish(error);

    // Zones and records go at most `limit` a call. A call the container cut short at its bound
    // kept nothing: its first half goes next, as the rest of the call under way (even once the
    // engine is told to finish), and no later call is larger until nothing is pending, also in
    // the program's next run, so that each run commits some of a long upload however slow the
    // container is.
    size_t limit =
        std::clamp<size_t>(size_t(state.stepLimit().value_or(batchSize)), 1, size_t(batchSize));
    bool halved = false; // the call before was cut short
    QString notTaken;    // the send id of the batch cut short, when it was one of records
    const auto cutShort = [&](const CloudError& error, size_t count) {
        halved = error.code == Code::limitExceeded && count > 1 && !released();
        if (halved) {
            limit = std::min(limit, count / 2);
            state.setStepLimit(int(limit));
            postStateUpdate();
        }
        return halved;
    };
    const auto zoneChanges = state.versionedDatabaseChanges();
    for (size_t from = 0; from < zoneChanges.size();) {
        if (ending() && !halved)
            return finish(endingError());
        const size_t count = std::min(limit, zoneChanges.size() - from);
        const auto chunk = std::span(zoneChanges).subspan(from, count);
        std::vector<ZoneID> saves;
        std::vector<ZoneID> deletes;
        for (const auto& [change, version] : chunk)
            (change.kind == PendingDatabaseChange::Kind::saveZone ? saves : deletes)
                .push_back(change.zoneID);
        auto result = database.container()->modifyZones(database.deviceID(),
                                                        database.databaseScope(), saves, deletes);
        if (!result.ok()) {
            if (cutShort(result.error(), count))
                continue;
            return finish(result.error());
        }
        halved = false;
        from += count;
        // A deletion refused only because somebody else held the zone stays for the next send.
        std::set<ZoneID> held;
        for (const auto& [zone, error] : result.value().failedZoneDeletes) {
            if (error.code == Code::zoneBusy)
                held.insert(zone);
        }
        for (const auto& [change, version] : chunk) {
            if (change.kind == PendingDatabaseChange::Kind::saveZone ||
                !held.contains(change.zoneID))
                state.removeIfUnchanged(change, version);
        }
        SyncEvents::SentDatabaseChanges event;
        static_cast<ModifyZonesResult&>(event) = std::move(result.value());
        post(event);
        postStateUpdate();
    }

    // Each pending change is tried at most once per call, so a change the delegate queues
    // again after a failure waits for the next call. The changes tried are known by their
    // 64-bit hashes: a first sync tries every item's, and the changes themselves would take
    // 12 MiB at 100,000 items where their hashes take 4. Should two changes ever share one, the
    // second waits for the next call as a failed one does: nothing is lost.
    std::unordered_set<size_t> tried;
    const PendingChangeHash hashOf;
    int sent = 0; // batches
    for (;;) {
        if (ending() && !halved)
            return finish(endingError());
        // A batch is made of the oldest changes not tried yet, so only those are offered: a
        // first sync holds tens of thousands, and copying them all for every batch of a few
        // hundred costs time and leaves the memory of a first sync scattered.
        ChangeMap<SyncEngineState::Version> eligible;
        SendChangesContext context;
        const auto untried = state.firstVersionedRecordZoneChanges(
            limit,
            [&](const PendingRecordZoneChange& change) { return tried.contains(hashOf(change)); });
        context.pendingChanges.reserve(untried.size());
        for (const auto& [change, version] : untried) {
            eligible.emplace(change, version);
            context.pendingChanges.push_back(change);
        }
        if (eligible.empty())
            break;
        context.batchSize = int(limit);
        context.sendID = newSendID();
        context.notTakenSendID = std::exchange(notTaken, QString());

        std::vector<std::pair<PendingRecordZoneChange, SyncEngineState::Version>> batch;
        std::vector<std::pair<PendingRecordZoneChange, SyncEngineState::Version>> dropped;
        std::vector<Record> saves;
        std::vector<RecordID> deletes;
        std::function<void()> beforeSending;
        onOwner([&] {
            if (!delegate || !owner_)
                return;
            auto offered = delegate->nextRecordZoneChangeBatch(context, *owner_);
            if (!offered)
                return;
            ChangeSet taken;
            for (const auto& change : offered->pendingChanges) {
                if (batch.size() >= limit)
                    break;
                const auto it = eligible.find(change);
                if (it == eligible.end() || !taken.insert(change).second)
                    continue;
                batch.emplace_back(change, it->second);
                if (change.kind == PendingRecordZoneChange::Kind::deleteRecord) {
                    deletes.push_back(change.recordID);
                    continue;
                }
                std::optional<Record> record;
                if (offered->recordProvider)
                    record = offered->recordProvider(change.recordID);
                if (record && record->recordID() == change.recordID)
                    saves.push_back(std::move(*record));
                else
                    dropped.emplace_back(change, it->second);
            }
            // Noted in the same turn of the owner's thread as the batch is made.
            if (!saves.empty() || !deletes.empty())
                beforeSending = delegate->willSendBatch(*owner_);
        });
        if (batch.empty())
            break;
        for (const auto& entry : batch)
            tried.insert(hashOf(entry.first));
        for (const auto& [change, version] : dropped)
            state.removeIfUnchanged(change, version);
        if (saves.empty() && deletes.empty()) {
            postStateUpdate();
            continue;
        }

        // What the owner noted of the batch is on disk before the container may commit it. A
        // batch noted before the engine was told to finish still goes, as any batch under way
        // does; one whose owner is gone does not, as nobody would take its answer in.
        if (beforeSending)
            beforeSending();
        if (released())
            return finish(endingError());
        auto result = database.container()->modifyRecords(
            database.deviceID(), database.databaseScope(), saves, deletes, context.sendID);
        if (!result.ok()) {
            if (cutShort(result.error(), batch.size())) {
                for (const auto& entry : batch)
                    tried.erase(hashOf(entry.first));
                notTaken = context.sendID;
                continue;
            }
            unanswered = result.error().answerLost;
            return finish(result.error());
        }
        halved = false;
        // A change refused only because somebody else held its zone stays for the next send.
        ChangeSet held;
        for (const auto& [record, error] : result.value().failedRecordSaves) {
            if (error.code == Code::zoneBusy)
                held.insert(PendingRecordZoneChange::saveRecord(record.recordID()));
        }
        for (const auto& [id, error] : result.value().failedRecordDeletes) {
            if (error.code == Code::zoneBusy)
                held.insert(PendingRecordZoneChange::deleteRecord(id));
        }
        for (const auto& [change, version] : batch) {
            if (!held.contains(change))
                state.removeIfUnchanged(change, version);
        }
        SyncEvents::SentRecordZoneChanges event;
        static_cast<ModifyRecordsResult&>(event) = std::move(result.value());
        post(event);
        postStateUpdate();
        // Each batch lets go of its records and of what the owner kept for their changes; a
        // first sync of 100,000 items would otherwise end 40 MiB above what it holds.
        if (++sent % batchesBetweenReleases == 0)
            MemoryRelease::giveBackFreePages();
    }
    // Sent whole: the next upload starts with whole batches again.
    if (state.stepLimit() && state.versionedDatabaseChanges().empty() &&
        state.firstVersionedRecordZoneChanges(1, [](const auto&) { return false; }).empty()) {
        state.setStepLimit(std::nullopt);
        postStateUpdate();
    }
    return finish(std::nullopt);
}

// The zones the database names are fetched one by one, and each one fetched is struck off a
// list kept in the state: a fetch that ends early (an error, the engine finishing, its
// deadline) leaves the rest there, and the next fetch goes on with them and with whatever
// changed since, so that nothing is fetched twice for nothing and nothing is skipped.
std::optional<CloudError> SyncEngine::Core::fetch() {
    if (auto error = checkAccount())
        return error;
    const auto finish = [&](std::optional<CloudError> error, bool endedWholeAfterExpiry = false) {
        post(SyncEvents::DidFetchChanges{endedWholeAfterExpiry});
        return error;
    };
    if (auto error = begin(SyncEvents::WillFetchChanges{}))
        return finish(error);

    if (ending())
        return finish(endingError());
    std::optional<SyncEngineState::FetchUnderWay> resumed = state.fetchUnderWay();
    auto changes = database.container()->fetchDatabaseChanges(
        database.deviceID(), database.databaseScope(),
        resumed ? std::optional(resumed->token) : state.databaseToken());
    if (!changes.ok())
        return finish(changes.error());
    const bool expired = changes.value().tokenExpired;
    if (expired) {
        // The zones' tokens are of what the database no longer holds: every zone comes whole.
        state.removeZoneTokens();
        resumed.reset();
    }
    if (!changes.value().modifications.empty() || !changes.value().deletions.empty() || expired)
        post(SyncEvents::FetchedDatabaseChanges{changes.value().modifications,
                                                changes.value().deletions, expired});
    for (const ZoneDeletion& deletion : changes.value().deletions)
        state.removeZoneToken(deletion.zoneID);

    // The zones left from before, then those changed since, each once. A zone left from before
    // that went away since is not fetched, unless it is there again (made anew after its
    // removal), as every zone the database names as changed is. A fetch that the database
    // told had expired is told so once; one that goes on with it, perhaps in a later process,
    // keeps that it brings its zones whole, and says so when it ends.
    SyncEngineState::FetchUnderWay fetch{
        changes.value().token, {}, expired || (resumed && resumed->expired)};
    const bool whole = fetch.expired;
    const std::set<ZoneID> changed(changes.value().modifications.begin(),
                                   changes.value().modifications.end());
    std::set<ZoneID> listed;
    for (const ZoneDeletion& deletion : changes.value().deletions) {
        if (!changed.contains(deletion.zoneID))
            listed.insert(deletion.zoneID);
    }
    for (const std::deque<ZoneID>& zones :
         {resumed ? resumed->zones : std::deque<ZoneID>(),
          std::deque<ZoneID>(changes.value().modifications.begin(),
                             changes.value().modifications.end())}) {
        for (const ZoneID& zone : zones) {
            if (listed.insert(zone).second)
                fetch.zones.push_back(zone);
        }
    }
    state.setFetchUnderWay(std::move(fetch));

    // Zones are fetched several in one call while the calls stay quick and small (a call is
    // one step of the container, which on a server costs as much as a small zone's records),
    // and one at a time once a zone is large.
    size_t fetched = 0;
    size_t batch = 1;
    for (;;) {
        const std::vector<ZoneID> zones = state.nextZonesToFetch(batch);
        if (zones.empty())
            break;
        if (ending()) {
            postStateUpdate();
            return finish(endingError());
        }
        if (fetched > 0 && fetchTimeUp()) {
            postStateUpdate();
            return finish(fetchCutShort());
        }
        QElapsedTimer took;
        took.start();
        size_t records = 0;
        if (auto error = fetchZones(zones, records)) {
            // The zones still to fetch stay, the one that failed first.
            postStateUpdate();
            return finish(error);
        }
        fetched += zones.size();
        batch = took.elapsed() < quickFetchMs && records < smallFetchRecords
                    ? std::min(batch * 2, largestFetchBatch)
                    : 1;
    }
    state.endFetchUnderWay();
    postStateUpdate();
    return finish(std::nullopt, whole);
}

// Fetches several zones' changes in one call, and reports each zone in turn, striking it off
// the fetch under way. Errors that end the whole fetch are returned; a zone that went away or
// became unreachable meanwhile is only reported.
std::optional<CloudError> SyncEngine::Core::fetchZones(const std::vector<ZoneID>& zones,
                                                       size_t& records) {
    std::vector<std::pair<ZoneID, std::optional<QString>>> asked;
    asked.reserve(zones.size());
    for (const ZoneID& zone : zones)
        asked.emplace_back(zone, state.zoneToken(zone));
    auto results = database.container()->fetchZonesChanges(database.deviceID(),
                                                           database.databaseScope(), asked);
    for (size_t i = 0; i < zones.size(); ++i) {
        const ZoneID& zone = zones[i];
        post(SyncEvents::WillFetchRecordZoneChanges{zone});
        Result<ZoneChanges> result =
            results.ok() ? std::move(results.value()[i]) : Result<ZoneChanges>(results.error());
        if (!result.ok()) {
            post(SyncEvents::DidFetchRecordZoneChanges{zone, result.error()});
            const Code code = result.error().code;
            if (code != Code::zoneNotFound && code != Code::permissionFailure)
                return result.error();
            state.removeZoneToken(zone);
        } else {
            records += result.value().modifications.size() + result.value().deletions.size();
            if (!result.value().modifications.empty() || !result.value().deletions.empty() ||
                !result.value().undecodable.empty())
                post(SyncEvents::FetchedRecordZoneChanges{std::move(result.value().modifications),
                                                          std::move(result.value().deletions),
                                                          std::move(result.value().undecodable)});
            state.setZoneToken(zone, result.value().token);
            post(SyncEvents::DidFetchRecordZoneChanges{zone, std::nullopt});
        }
        state.zoneFetched(zone);
    }
    return std::nullopt;
}

} // namespace cloud
