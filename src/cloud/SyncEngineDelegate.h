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
// one batch. The batch goes with a send id of its own, which the container keeps with what it
// commits of it (Container::sendLanded()). After a batch the container cut short at its bound,
// which it took none of, `notTakenSendID` names that batch: what was noted of it goes.
struct SendChangesContext {
    std::vector<PendingRecordZoneChange> pendingChanges;
    int batchSize = 0;
    QString sendID;
    QString notTakenSendID;
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
    // The batch just built is about to go: what this returns is done on the engine's own
    // thread before the container hears of the batch, so that an owner that notes on disk what
    // is about to be sent waits for that note there, and its own thread does not. By default
    // nothing.
    virtual std::function<void()> willSendBatch(SyncEngine& engine) {
        (void)engine;
        return {};
    }
    // The ids of earlier sends of this device whose answer never came, asked as the engine
    // begins to send or fetch: the engine asks the container what became of each before it
    // does anything else (SyncEvents::SendOutcomes), and does nothing more when it cannot. By
    // default none.
    virtual std::vector<QString> unansweredSends(SyncEngine& engine) {
        (void)engine;
        return {};
    }
};

} // namespace cloud
