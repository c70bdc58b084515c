#pragma once

#include "CloudSetup.h"
#include "intents/IntentFrame.h"
#include "intents/ListEntity.h"
#include "model/ReminderService.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class CloudSync;
class MacSyncCoordinator;
class RequestServer;

// The running program without its window: it holds the store (and with it the store's lock),
// keeps the list index current and answers the command line's requests on its socket.
class ProgramCore : public QObject {
    Q_OBJECT
public:
    ProgramCore(Defaults& defaults, CloudSetup cloud, QObject* parent = nullptr);
    ~ProgramCore() override;

    // Opens the store, waiting up to `waitMs` for a short command-line request that holds it,
    // then starts it, indexes the lists and begins to listen. False, with `error` set, when
    // the store cannot be held or the socket cannot be opened.
    bool start(const QString& serverName, int waitMs, QString* error);

    ListStore* store() const { return store_.get(); }
    // The store's cloud half, once started: sync passes and share look-ups.
    CloudSync* cloudSync() const { return cloudSync_; }
    // The one reminder service, handed to every screen that offers reminders; it lives as long
    // as the program.
    ReminderService& reminders() { return reminders_; }

private:
    // Whether a change of the store touches what the list index holds.
    static bool changesIndex(const StoreChange& change);
    void scheduleIndexRefresh();
    void refreshIndexIfChanged();
    QList<ListEntity> sortedLists() const;

    Defaults& defaults_;
    ReminderService reminders_;
    CloudSetup cloud_;
    IntentFrame::SyncStep sync_;
    std::unique_ptr<ListStore> store_;
    CloudSync* cloudSync_ = nullptr; // a child of the store
    RequestServer* server_ = nullptr;
    MacSyncCoordinator* coordinator_ = nullptr;
    bool indexRefreshPending_ = false;
    std::optional<QList<ListEntity>> indexed_; // what the index last got from this store
};
