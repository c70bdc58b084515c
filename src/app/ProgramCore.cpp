#include "ProgramCore.h"

#include "sync/CloudSync.h"
#include "sync/MacSyncCoordinator.h"

#include "intents/IntentDispatch.h"
#include "intents/ListEntityIndex.h"
#include "intents/RequestServer.h"
#include "store/StoreLocation.h"

#include <QDeadlineTimer>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <utility>

ProgramCore::ProgramCore(Defaults& defaults, CloudSetup cloud, QObject* parent)
    : QObject(parent), defaults_(defaults),
      // Reminders cannot be delivered on this system, so the service's scheduler schedules none.
      reminders_(std::make_shared<RemindersUnavailable>(), defaults_), cloud_(std::move(cloud)) {}

ProgramCore::~ProgramCore() = default;

bool ProgramCore::start(const QString& serverName, int waitMs, QString* error) {
    const SharedStore::Source& source = SharedStore::source();
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        store_ = std::make_unique<ListStore>(source.fileURL(), source.cloudSync, false, defaults_);
        if (store_->canWrite())
            break;
        if (deadline.hasExpired()) {
            *error = store_->lockError().value_or(QString());
            store_.reset();
            return false;
        }
        store_.reset();
        QThread::msleep(100);
    }
    QString cloudError;
    cloudSync_ = cloud_.attach(*store_, &cloudError);
    if (!cloudError.isEmpty() && source.cloudSync)
        QTextStream(stderr) << "Tallybird cannot sync: " << cloudError << "\n";
    sync_ = [sync = cloudSync_](ListStore&, std::function<void()> done) {
        sync->syncNow([done](std::optional<cloud::CloudError>) { done(); });
    };
    store_->start();
    // Local edits reach the cloud one second after the last of a burst.
    coordinator_ =
        new MacSyncCoordinator([sync = cloudSync_](ListStore&) { sync->syncNow({}); }, this);
    coordinator_->start(*store_);
    connect(store_.get(), &ListStore::changed, this, &ProgramCore::scheduleIndexRefresh);
    store_->rebuildDerivedCacheIfNeeded();
    ListEntityIndex::refresh(store_->sortedListsCache());

    server_ = new RequestServer(
        [this](const IntentRequest& request, OutcomeHandler answer) {
            IntentDispatch::perform(request, IntentFrame(*store_, defaults_, sync_), answer);
        },
        this);
    connect(server_, &RequestServer::refused, this, [](const QString& why) {
        QTextStream(stderr) << "Refused a request on the socket: " << why << "\n";
    });
    if (!server_->listen(serverName)) {
        *error =
            QStringLiteral("Cannot listen on “%1”: %2").arg(serverName, server_->errorString());
        return false;
    }
    return true;
}

void ProgramCore::scheduleIndexRefresh() {
    // One rewrite for a burst of changes; it runs once the event loop is free.
    if (indexRefreshPending_)
        return;
    indexRefreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        indexRefreshPending_ = false;
        store_->rebuildDerivedCacheIfNeeded();
        ListEntityIndex::refresh(store_->sortedListsCache());
    });
}
