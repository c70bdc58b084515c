#pragma once

#include "Database.h"
#include "SyncEngineDelegate.h"
#include "SyncEngineState.h"

#include <QDeadlineTimer>

#include <functional>
#include <memory>
#include <optional>

namespace cloud {

// Keeps one database of a device in step with the owner's data: it holds pending changes,
// sends them, fetches what changed on the server and reports everything to its delegate as
// events. It runs one operation at a time on a worker thread; delegate calls and completions
// arrive on the thread that built the engine, whose event loop must run while the engine lives.
// An engine released while operations are queued or running ends them at their next step: its
// delegate is no longer called, and the worker thread never waits for the owner's thread again,
// so a process whose event loop has ended is not held at exit by an operation waiting for it.
// Their completions still come, without an error: what they would have reported has nobody to
// go to, and what they did not do stays pending in a state nobody holds any more.
//
// A send calls the container with at most a batch of zones or records at a time. A call the
// container cut short at its bound (limitExceeded: it kept nothing) goes again as its first half,
// as part of the call under way, and no later call is larger until nothing is pending (the state
// keeps that limit for the engine's next run), so that a slow container still takes some of a
// long upload at every send.
//
// An owner about to let go of its engine calls finish() first: what the container already did
// for the operation under way (a batch it committed) still reaches the delegate, so that the
// owner can record it as sent instead of sending it again later.
class SyncEngine {
public:
    struct Configuration {
        Database database;
        std::optional<StateSerialization> stateSerialization;
        SyncEngineDelegate* delegate = nullptr;
        // Only manual syncing exists: sends and fetches happen when the owner asks.
        bool automaticallySync = false;
        int recordBatchSize = 400;
    };

    explicit SyncEngine(Configuration configuration);
    ~SyncEngine();
    SyncEngine(const SyncEngine&) = delete;
    SyncEngine& operator=(const SyncEngine&) = delete;

    const Database& database() const;
    SyncEngineState& state();

    // Completion gets the error that ended the operation, or nothing.
    using Completion = std::function<void(std::optional<CloudError>)>;
    void sendChanges(Completion done = {});
    void fetchChanges(Completion done = {});

    // Ends the engine's work, on the owner's thread: the operation under way makes no further
    // call to the container, the call it is making is waited for until `deadline` (the
    // container bounds its own calls), and what it reports meanwhile is handed to the delegate
    // here, without the event loop. That operation and every later one complete with
    // operationStopped(); the engine does nothing more until it is released.
    void finish(QDeadlineTimer deadline);
    // The error of an operation that finish() ended before it was done.
    static CloudError operationStopped();

    // Fetches from now on end once `deadline` has passed, each after fetching at least one
    // zone: the zones still to fetch are kept in the state, the next fetch goes on with them,
    // and the fetch completes with fetchCutShort(). So is a fetch that finds that the database
    // no longer knows its token: the zones it has not fetched still come whole, and the fetch
    // that fetches the last of them says so (DidFetchChanges).
    void setFetchDeadline(QDeadlineTimer deadline);
    // The error of a fetch that its deadline ended.
    static CloudError fetchCutShort();
    static bool isFetchCutShort(const CloudError& error);

    class Core;

private:
    std::shared_ptr<Core> core_;
};

} // namespace cloud
