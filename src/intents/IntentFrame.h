#pragma once

#include "intents/IntentOutcome.h"
#include "model/TBList.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"

#include <QString>

#include <functional>
#include <optional>

// What every request that touches the data shares: the store it works on, finding its list by
// id, and finishing a change (saved, flag set, one sync, then the reply).
class IntentFrame {
public:
    // How a sync ended: nothing when it succeeded, otherwise what went wrong.
    using SyncDone = std::function<void(const std::optional<QString>& error)>;
    // One sync of the store, asynchronous; calls `done` when it has finished, whether it
    // succeeded or not.
    using SyncStep = std::function<void(ListStore& store, SyncDone done)>;

    // Completes at once without syncing: for a store that has no cloud to reach.
    static SyncStep noSync();

    IntentFrame(ListStore& store, Defaults& defaults, SyncStep sync = noSync());

    ListStore& store() const { return store_; }
    Defaults& defaults() const { return defaults_; }

    // The first list in display order with exactly this id.
    std::optional<TBList> findList(const QString& listID) const;

    // Records that a voice command has run.
    void markVoiceCommandRun() const;

    // The failure of a request that would change something while the store cannot take a change
    // (it cannot write its file, or takes no change at all), given before anything is changed;
    // absent when it can take one.
    std::optional<IntentOutcome> refusal() const;

    // Undoes the change of one store operation (ListStore's withdraw operations).
    using TakeBack = std::function<void()>;

    // To call right after one store operation. Waits for the save that holds the change; when
    // the change reached the store file: sets the flag, awaits one sync and then hands over
    // `reply`, with a note when the sync failed. When it did not, the change is taken back
    // (`takeBack`) and the request fails: so nobody is told of a change that is not on disk, and
    // trying again makes it once, not twice. `listID`, when given, is the list the change went
    // to: when the sync leaves it view only (its owner took the right to change it back, or this
    // device is now in an account it is not shared with), the change stays here alone, and the
    // reply says it was not synced; so it does when the container refused the list's changes
    // because someone else was changing it there (the change goes with a later sync).
    void finishChange(const QString& reply, const OutcomeHandler& done, const TakeBack& takeBack,
                      const QString& listID = {}) const;

    static QString listGoneReply() { return QStringLiteral("I couldn't find that list any more."); }
    // The reply when the request's list is no longer there.
    static IntentOutcome listGone() {
        return IntentOutcome::notDone(listGoneReply(), ExitCode::notFound);
    }
    // The failure of a change whose save failed, with the reason when the store knows it.
    static QString notSavedReply(const ListStore& store);
    // The note of a saved change whose sync failed.
    static QString notSyncedNote(const QString& error) {
        return QStringLiteral("The change is saved here but could not be synced: %1").arg(error);
    }
    // Why a saved change's sync did not end before its reply.
    static QString syncTooSlowReason() {
        return QStringLiteral("the cloud did not answer in time.");
    }
    // Why a sync that was sending this device's changes when its time ran out did not end: the
    // cloud answered, and what is left goes with the next sync.
    static QString uploadUnderWayReason() {
        return QStringLiteral(
            "the upload of this device's changes began and goes on with the next sync.");
    }
    // Why a sync that was bringing other devices' changes when its time ran out did not end:
    // the cloud answered, and what is left comes with the next sync.
    static QString downloadUnderWayReason() {
        return QStringLiteral(
            "the download of changes from the cloud began and goes on with the next sync.");
    }
    // Why a change of a list that the sync left view only did not reach the cloud.
    static QString viewOnlyNowReason(const QString& listName) {
        return QStringLiteral("%1 is view only now.").arg(listName);
    }
    // Why a change of a list did not reach the cloud when the container refused it because
    // someone else was changing that list there: it goes with a later sync.
    static QString heldElsewhereReason(const QString& listName) {
        return QStringLiteral("someone is changing “%1” elsewhere.").arg(listName);
    }
    static QString quitBeforeSyncReason() {
        return QStringLiteral("Tallybird quit before syncing it.");
    }

private:
    ListStore& store_;
    Defaults& defaults_;
    SyncStep sync_;
};
