#pragma once

#include "Record.h"
#include "SyncEngineEvent.h"
#include "SyncEngineState.h"

#include <functional>
#include <optional>
#include <vector>

namespace cloud {

class SyncEngine;

// What the engine may send in its next batch of the current call: the oldest pending record
// changes it has not tried yet (no more than one batch holds), and how many it sends at most in
// one batch.
struct SendChangesContext {
    std::vector<PendingRecordZoneChange> pendingChanges;
    int batchSize = 0;
};

// The changes the delegate wants sent next, with the function that builds the record for each
// save. A save whose record the provider does not give is dropped from the pending changes.
struct RecordZoneChangeBatch {
    std::vector<PendingRecordZoneChange> pendingChanges;
    std::function<std::optional<Record>(const RecordID&)> recordProvider;
};

// The owner of an engine. Every call arrives on the thread that built the engine, one at a
// time; the engine waits for each to return.
class SyncEngineDelegate {
public:
    virtual ~SyncEngineDelegate() = default;
    virtual void handleEvent(const SyncEngineEvent& event, SyncEngine& engine) = 0;
    // Nothing ends the sending of record changes for this call.
    virtual std::optional<RecordZoneChangeBatch>
    nextRecordZoneChangeBatch(const SendChangesContext& context, SyncEngine& engine) = 0;
    // The batch just built is about to go: the engine waits until `go` is called (on any
    // thread, at most once) or the engine ends before the container hears of it. An owner that
    // notes on disk what is about to be sent, before the container may commit it, waits for
    // that note here. By default the batch goes at once.
    virtual void willSendBatch(std::function<void()> go, SyncEngine& engine) {
        (void)engine;
        go();
    }
    // The batch built last ended without reaching the container: the engine was ending.
    virtual void batchNotSent(SyncEngine& engine) { (void)engine; }
};

} // namespace cloud
