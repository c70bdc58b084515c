#pragma once

#include "cloud/CloudDevice.h"
#include "cloud/SyncEngineEvent.h"
#include "store/ListStore.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

class CloudEngine;
class SendingJournal;

// The cloud half of a store: it builds the store's two engines on one device, provides the
// records they send, takes in what they report, runs sync passes and looks up shares. It lives
// as a child of its store; everything runs on the store's thread.
//
// It is also what the screens and the rest of the program call for the cloud: syncNow(),
// existingShare() and prepareShare() answer whether sync is on or off, and whether or not the
// cloud could be reached at all.
//
// The program builds a syncing store like this:
//     ListStore store(path, /*cloudSync*/ true, /*automaticSync*/ false, defaults);
//     CloudSync* cloud = CloudSync::attach(store, CloudDevice::open(containerPath, dataFolder));
//     store.start();
// and hands `cloud` to whatever wants a sync pass or a share.
class CloudSync : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(std::optional<cloud::CloudError>)>;

    // With a device that could not be opened, the store keeps working without the cloud: no
    // engine is made, and look-ups answer with the error that kept the device closed.
    // Whatever the device, what the sending journal beside the store file holds is taken in
    // at once: attach before anything changes the store.
    static CloudSync* attach(ListStore& store, cloud::Result<cloud::CloudDevice> device);
    // For a store attached without its device (the container not opened yet, or not opened
    // then): the device from now on, unless it has one. Before its first sync pass.
    void reach(cloud::Result<cloud::CloudDevice> device);

    ListStore& store() const { return store_; }
    // Absent when the cloud could not be reached.
    const std::optional<cloud::CloudDevice>& device() const { return device_; }
    // The store's engine on one database, while it has one.
    CloudEngine* engine(EngineScope scope) const;
    // Whether an engine is sending this device's changes, or readying them to send: a first
    // sync of a large store does so for longer than a request waits.
    bool uploading() const;

    // Sends the private then the shared engine's changes, then fetches the private then the
    // shared engine's changes; when a fetch finds that the cloud no longer holds what this
    // device sent (a container made anew), sends again what it lacks. The first error ends the
    // pass and is handed to `done`; without engines (no cloud, no cloud sync, or the switch
    // off) it completes at once without error.
    // What the pass changed in the store is saved before `done` runs (and what the container
    // confirmed, batch by batch, along the way);
    // `answer` says whether `done` also waits for that write to be on disk. `fetching`, when
    // given, runs as the fetching begins: whatever the cloud holds by then, the pass brings
    // unless it fails.
    enum class Answer {
        onceSaved, // what the pass took in is on disk
        onceEnded, // the pass ended; what it took in is being written
    };
    void syncNow(Done done, std::function<void()> fetching = {}, Answer answer = Answer::onceSaved);
    // Puts on disk what the cloud confirmed to the passes under way so far: for a caller that
    // stops waiting for a pass, so that what the cloud has confirmed by then is not sent again
    // and the rest goes with the next sync, even if the program is killed before the pass ends.
    // It goes to the sending journal: the store file is written whole at the pass's end, or as
    // the store goes, as ever.
    void writeTakenIn();
    // Ends the engines' work for good, taking in what the cloud answered to the call under way,
    // and writes it: for a store about to go. Every pass under way then ends with an error.
    void finishUnderWay();
    // How long finishUnderWay() waits for a call to the container that is under way: by
    // default as long as the container lets a call take. A window ends at once instead, taking
    // in only an answer that has come by then or within `ms`.
    void setFinishWait(int ms) { finishWaitMs_ = ms; }

    // --- Engine events, on the store's thread ---
    void handle(const cloud::SyncEngineEvent& event, EngineScope scope);
    // The record to send for a pending save, built from the current local values.
    std::optional<cloud::Record> recordFor(const cloud::RecordID& id) const;
    // The same for a batch about to go: a list's or an item's record is also noted in the store
    // as being sent, against the change tag of the server's copy it is built on, with the
    // batch's send id, until the container's answer is taken in. A note left by a send whose
    // answer never came stays as it was until the container says what became of that send.
    std::optional<cloud::Record> recordToSend(const cloud::RecordID& id, EngineScope scope,
                                              const QString& sendID = {});
    // The send ids of the notes left by sends whose answer never came, each once.
    std::vector<QString> unansweredSends() const;
    // The batch about to go, with its notes made: what the engine is to do on its own thread
    // before the batch goes, which is to append the notes to the sending journal beside the
    // store file, with what the container confirmed so far, and wait for the disk. Nothing
    // when there is nothing to append or the store cannot write.
    std::function<void()> whenSendingNoted(EngineScope scope);
    void markClean(const cloud::Record& record);
    void handleSaveFailure(const cloud::Record& record, const cloud::CloudError& error);
    void handleAccountChange(const cloud::SyncEvents::AccountChange& change, EngineScope scope);
    void applyServerRecord(const cloud::Record& record);
    void applyServerDeletion(const cloud::RecordID& id);
    // A zone deleted on the server takes its list away, when it is the zone the list is in.
    void applyZoneDeletion(const cloud::ZoneID& zone);

    static QByteArray archive(const cloud::Record& record);
    std::optional<cloud::Record> unarchive(const QString& key) const;

    // --- Shares ---
    using RecordResults = cloud::Database::RecordResults;
    using ShareRecordLookup = std::function<void(
        const std::vector<cloud::RecordID>&, std::function<void(cloud::Result<RecordResults>)>)>;
    // Replaces the batch look-up of share records (by default: the private database).
    void setShareRecordLookup(ShareRecordLookup lookup) { shareRecordLookup_ = std::move(lookup); }
    // Sets the share flag of every own list that has a share; errors are dropped.
    void refreshShareFlags(std::function<void()> done = {});

    using ShareError = std::variant<SharingError, cloud::CloudError>;
    using ShareDone =
        std::function<void(std::optional<cloud::Record> share, std::optional<ShareError> error)>;
    // The share of one list, or nothing when it has none. Asked of the cloud whether or not the
    // store syncs.
    void existingShare(const QString& listID, ShareDone done);
    // Starting to share a list. Inviting people is not possible from this program: it always
    // fails with SharingError::notAvailableHere.
    void prepareShare(const QString& listID, ShareDone done);
    static QString errorDescription(const ShareError& error);

    ~CloudSync() override;

private:
    friend class CloudEngine;
    CloudSync(ListStore& store, cloud::Result<cloud::CloudDevice> device);
    void runStep(int step, Done done, std::function<void()> fetching);
    // A pass's fetch of one database ended, all of it or not.
    void fetched(EngineScope scope, bool whole);
    // Whether a fetch has just brought back whole what a database still holds after it no
    // longer knew this device's token (it may no longer hold what this device sent).
    bool& serverForgot(EngineScope scope);
    // The store took in something the engines reported.
    void resultsChanged();
    // True when the pass's results were handed to the store's writer.
    bool passEnded();
    std::optional<cloud::StateSerialization>& latestState(EngineScope scope);
    // Hands the store the engines' latest states and writes the store file, when anything
    // changed since the last write.
    bool writeResults();
    EngineQueue* engineForZone(const cloud::ZoneID& zone) const;
    // The notes of the batch an engine has under way, by sending key.
    QSet<QString>& sending(EngineScope scope);
    bool inBatchUnderWay(const QString& noted) const;
    // Drops the note of a record's send, when there is one.
    void forgetSending(const QString& noted);
    // What is noted of a record sent: the record as sent, and the id of the send it went with.
    // A note without one is of a send the container took (it said so), or was kept by an
    // earlier program, which noted no ids.
    struct SendingNote {
        cloud::Record record;
        QString sendID;
    };
    static QByteArray archive(const SendingNote& note);
    std::optional<SendingNote> unarchiveNote(const QString& key) const;
    // Notes a record about to be sent, unless a note of a send against the same copy is kept
    // (see recordToSend()).
    void keepNote(const QString& noted, SendingNote note);
    // Hands the store the notes of the batches under way, which it keeps while their answer is
    // not taken in.
    void keepNotes();
    // An engine's sending ended: the notes of a batch whose answer was lost are the store's,
    // for the container to say what became of it; those of a batch it never took go.
    void sendingEnded(EngineScope scope, bool batchUnanswered);
    // The container took none of the batch `sendID`, cut short at its bound, and its records go
    // again in the next batch: its notes go, and the journal learns so with that batch's notes.
    void forgetNotTaken(EngineScope scope, const QString& sendID);
    // What the container said of sends whose answer never came: the notes of a send it never
    // took, and those of saves it refused, go, every mark staying; a send it took leaves its
    // notes to the server's copy (settleUnansweredSend()).
    void takeSendOutcomes(const cloud::SyncEvents::SendOutcomes& told);
    // Before the server's copy of a list or an item is taken in: a send noted and never
    // answered that the container took, and that the server's copy has moved past, by that
    // send or by a change elsewhere after it, gives up the marks of the fields it sent and that
    // were not changed here since.
    void settleUnansweredSend(const cloud::Record& server);
    void applyRecordZoneChanges(const cloud::SyncEvents::FetchedRecordZoneChanges& changes);
    // Queues the save of a list or item whose record in the cloud does not decode, for this
    // device's copy to go over it; false when there is none here that this device may send.
    bool repairUndecodable(const cloud::RecordID& id);
    // What the store takes from an account change, one engine's report.
    void takeAccountChange(const cloud::SyncEvents::AccountChange& change, EngineScope scope);
    void applyShare(const cloud::Record& share);
    // Called by each engine as it is made and as it goes.
    void engineMade(CloudEngine& engine);
    void engineGone(CloudEngine& engine);

    // --- The sending journal (CloudSyncJournal.cpp) ---
    // What a store ended without writing is taken in from the journal beside its file: the
    // notes of the batches that went, and what the container confirmed of them.
    void openJournal();
    void mergeJournal(const std::vector<QByteArray>& entries);
    // A note of a batch that went, against the copy tagged `against`, made again when the
    // store still makes the record it sent: the one of that `digest` (digestOf()). It keeps
    // the batch's `sendID`, for the container to say what became of the batch.
    void replayNoted(const QString& key, const std::optional<QString>& against,
                     const std::optional<QString>& digest, const QString& sendID);
    // A confirmed save replayed from the journal, sent against the copy tagged `against`.
    void replaySaved(const cloud::Record& saved, const std::optional<QString>& against,
                     std::vector<cloud::PendingRecordZoneChange>& settled);
    // Kept, before the store takes in an answer of the container, for the next entry.
    void journalAnswer(const cloud::SyncEvents::SentRecordZoneChanges& sent, EngineScope scope);
    std::vector<QByteArray> unjournaledEntries(std::optional<EngineScope> noted);
    // Appends what the container confirmed and the journal does not hold yet.
    void journalTakenIn();
    // Removes the journal once the store file holds everything it says.
    void dropJournalOnceWritten();

    struct Unjournaled {
        std::vector<std::pair<QString, QString>> tagged; // archive key, change tag
        std::vector<std::pair<QByteArray, std::optional<QString>>> records; // saved, against
        QStringList refused; // notes of saves the container refused
        std::vector<cloud::RecordID> deleted;
        struct Noted {
            QString key;                    // the note's
            std::optional<QString> against; // the change tag the record was sent against
            QString digest;                 // of the record sent
        };
        std::vector<Noted> noted;
        QString sendID; // of the noted batch
        bool empty() const {
            return tagged.empty() && records.empty() && refused.empty() && deleted.empty() &&
                   noted.empty();
        }
    };
    Unjournaled& unjournaled(EngineScope scope);
    static QByteArray entryText(EngineScope scope, const Unjournaled& taken);
    // A short digest of a record (what archive() keeps of it), for telling at replay whether the
    // store still makes the record a batch sent without keeping a copy of it in the journal.
    static QString digestOf(const cloud::Record& record);

    class Factory;
    ListStore& store_;
    std::optional<cloud::CloudDevice> device_;
    // Why there is no device.
    std::optional<cloud::CloudError> unreachable_;
    CloudEngine* privateEngine_ = nullptr;
    CloudEngine* sharedEngine_ = nullptr;
    ShareRecordLookup shareRecordLookup_;
    // The container bounds each of its calls (ten seconds at the most, two for a request); the
    // margin only keeps a call that never returns from holding the program.
    int finishWaitMs_ = cloud::Container::defaultBusyTimeoutMs + 5'000;
    int passes_ = 0; // sync passes under way
    bool privateServerForgot_ = false;
    bool sharedServerForgot_ = false;
    bool resendOwed_ = false;     // by the pass under way
    bool resending_ = false;      // a pass is in its resend steps
    bool unsaved_ = false;        // taken in during a pass and not yet written
    bool notedUnwritten_ = false; // notes of a batch about to go, not yet in the journal
    QSet<QString> privateSending_;
    QSet<QString> sharedSending_;
    // The notes of the batches under way, by sending key, until the store keeps them: the
    // journal holds what a restart needs of them, and most go with their batch's answer.
    QHash<QString, SendingNote> unwrittenNotes_;
    // The engines' states as last reported and not yet handed to the store.
    std::optional<cloud::StateSerialization> privateState_;
    std::optional<cloud::StateSerialization> sharedState_;
    // Absent for a store that cannot write; shared with the engines' threads, which append.
    std::shared_ptr<SendingJournal> journal_;
    quint64 journalEntries_ = 0; // entries made so far
    bool journalOnDisk_ = false; // holds what the store file may not hold yet
    Unjournaled privateUnjournaled_;
    Unjournaled sharedUnjournaled_;
};
