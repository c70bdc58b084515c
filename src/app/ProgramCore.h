#pragma once

#include "CloudSetup.h"
#include "intents/CoalescedSync.h"
#include "intents/IntentFrame.h"
#include "intents/ListEntity.h"
#include "model/ReminderService.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/window/LaunchTask.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class CloudSync;
class SyncCoordinator;
class RequestServer;

// What the window's process holds besides the window: the store (and with it the store's
// lock), its sync side and coordinator, the list index, and the socket on which it answers the
// command line's requests. Its launch steps are run by the window's launch task.
class ProgramCore : public QObject, public LaunchSteps {
    Q_OBJECT
public:
    ProgramCore(Defaults& defaults, CloudSetup cloud, QObject* parent = nullptr);
    ~ProgramCore() override;

    // Opens the store, waiting up to `waitMs` for a short command-line request that holds it,
    // and gives it its sync side and coordinator (neither started yet). False, with `error`
    // set, when the store cannot be held; nothing has been written then.
    bool open(int waitMs, QString* error);
    // Answers requests on `serverName` from now on. False, with `error` set, when it cannot.
    bool listen(const QString& serverName, QString* error);

    // The launch steps, in the order the launch task runs them.
    void startStore() override;
    void startSyncCoordinator() override;
    void rebuildDerivedCaches() override;
    void refreshListIndex() override;

    // Asks for a sync pass, shared with any other asked for meanwhile; how it ended is told
    // by syncPassEnded() alone, and the next one tries again.
    void syncNow();
    // No more passes after local edits; for quitting.
    void stopSyncCoordinator();
    // For quitting: takes no more requests, writes every change made so far and answers every
    // request taken, without starting another sync pass. The senders of requests not yet
    // taken make them themselves once this program has gone.
    void stopServing();
    // For the end, however the program ends: once every save is written or has failed, changes
    // the store file does not hold are kept in a file of their own (UnsavedCopies), named on
    // standard error. The destructor does it too; once is enough.
    void keepUnsavedChanges();

    // How long a request's reply waits for its sync pass after its change is saved: a busy or
    // slow cloud delays the sync, not the reply.
    static constexpr int replySyncWaitMs = 2'000;
    // How long the store, as it goes, waits for the answer to a call to the container.
    static constexpr int quitCallWaitMs = 100;

    ListStore* store() const { return store_.get(); }
    // The store's cloud half, once started: sync passes and share look-ups.
    CloudSync* cloudSync() const { return cloudSync_; }
    // The one reminder service, handed to every screen that offers reminders; it lives as long
    // as the program.
    ReminderService& reminders() { return reminders_; }

signals:
    // After every sync pass of the store, whoever asked for it (a request, the coordinator
    // after edits, the window's refresh), before those who asked are answered: `failure` says
    // why it could not be done. Passes end one at a time, in the order they started.
    void syncPassEnded(const std::optional<QString>& failure);

private:
    // Whether a change of the store touches what the list index holds.
    static bool changesIndex(const StoreChange& change);
    void scheduleIndexRefresh();
    void refreshIndexIfChanged();
    QList<ListEntity> sortedLists() const;

    Defaults& defaults_;
    ReminderService reminders_;
    CloudSetup cloud_;
    std::optional<CoalescedSync> passes_; // every sync pass of the store goes through it
    IntentFrame::SyncStep sync_;          // the requests' step, bounded by replySyncWaitMs
    std::unique_ptr<ListStore> store_;
    CloudSync* cloudSync_ = nullptr; // a child of the store
    RequestServer* server_ = nullptr;
    SyncCoordinator* coordinator_ = nullptr;
    bool unsavedKept_ = false;
    bool indexFollowsChanges_ = false;
    bool indexRefreshPending_ = false;
    std::optional<QList<ListEntity>> indexed_; // what the index last got from this store
};
