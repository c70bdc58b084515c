#include "ProgramCore.h"

#include "sync/CloudSync.h"
#include "sync/SyncCoordinator.h"

#include "intents/Console.h"
#include "intents/IntentDispatch.h"
#include "intents/ListEntityIndex.h"
#include "intents/RequestServer.h"
#include "intents/StoreNotice.h"
#include "intents/StoreTurn.h"
#include "store/RecordField.h"
#include "store/StoreLocation.h"
#include "store/UnsavedCopies.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <utility>

namespace {
// How long quitting waits for its answers to leave; they are a few short lines.
constexpr int answerFlushMs = 100;
} // namespace

ProgramCore::ProgramCore(Defaults& defaults, CloudSetup cloud, QObject* parent)
    : QObject(parent), defaults_(defaults),
      // Reminders cannot be delivered on this system, so the service's scheduler schedules none.
      reminders_(std::make_shared<RemindersUnavailable>(), defaults_), cloud_(std::move(cloud)) {}

ProgramCore::~ProgramCore() {
    keepUnsavedChanges();
    // The last word on the lists, stamped with the file as this store leaves it.
    if (store_ && store_->canWrite())
        ListEntityIndex::refresh(*store_);
}

bool ProgramCore::open(int waitMs, QString* error) {
    const SharedStore::Source& source = SharedStore::source();
    const QString storeFile = source.fileURL();
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        {
            // In line with the command line's requests that hold the store for a moment.
            const std::unique_ptr<StoreTurn> turn = StoreTurn::take(storeFile, deadline);
            store_ = std::make_unique<ListStore>(storeFile, source.cloudSync, false, defaults_);
        }
        // Only a lock that another process holds is worth waiting for; a store that cannot
        // write for another reason (a read-only folder) opens at once, and the window says so.
        if (store_->canWrite() || !store_->lockHeldElsewhere())
            break;
        if (deadline.hasExpired()) {
            *error = store_->lockError().value_or(QString());
            store_.reset();
            return false;
        }
        store_.reset();
        QThread::msleep(100);
    }
    if (store_->unreadableCopy())
        QTextStream(stderr) << printableText(StoreNotice::copyKept(*store_)) << "\n";
    for (const QString& copy : UnsavedCopies::copies(storeFile))
        QTextStream(stderr) << printableText(StoreNotice::unsavedCopy(copy)) << "\n";
    QString cloudError;
    cloudSync_ = cloud_.attach(*store_, &cloudError);
    // A window that is told to end ends within moments, whatever the container does: the
    // answer to a batch it sent is taken in only if it comes almost at once, and a batch whose
    // answer it could not wait for is learnt from the server's copy by the next pass.
    if (cloudSync_)
        cloudSync_->setFinishWait(quitCallWaitMs);
    if (!cloudError.isEmpty() && source.cloudSync)
        QTextStream(stderr) << "Tallybird cannot sync: " << printableText(cloudError) << "\n";
    // Requests, the coordinator and the window's refresh share passes: whoever asks while a
    // pass runs gets the next one. A request is told when its pass failed, did not end in
    // time, or when there is no cloud to reach although sync is on.
    passes_.emplace([sync = cloudSync_, cloudError, self = QPointer<ProgramCore>(this)](
                        ListStore& store, IntentFrame::SyncDone asked) {
        // Told first: answering those who asked may start the next pass at once.
        const IntentFrame::SyncDone done = [self, asked](const std::optional<QString>& failure) {
            if (self)
                emit self->syncPassEnded(failure);
            asked(failure);
        };
        if (!cloudError.isEmpty() && store.cloudSync() && store.syncEnabled()) {
            done(cloudError);
            return;
        }
        // A request's change is on disk before its pass starts, and what the pass takes in
        // (marks cleared, the server's copies, the engines' states) is written on: its reply
        // does not wait for that write. Were the program to stop first, the next pass would
        // send and fetch the same again, to the same end.
        sync->syncNow(
            [done](std::optional<cloud::CloudError> failure) {
                done(failure ? std::optional<QString>(failure->message) : std::nullopt);
            },
            {}, CloudSync::Answer::onceEnded);
    });
    // A first sync of a large store sends for longer than a request waits: the cloud answers,
    // and what is left goes on after the reply.
    sync_ = passes_->step(replySyncWaitMs, [sync = QPointer<CloudSync>(cloudSync_)] {
        return sync && sync->uploading() ? IntentFrame::uploadUnderWayReason()
                                         : IntentFrame::syncTooSlowReason();
    });
    // Local edits reach the cloud one second after the last of a burst, once it is started.
    coordinator_ =
        new SyncCoordinator([passes = *passes_](ListStore& store) { passes.syncNow(store); }, this);
    // The store writes on a thread of its own; on the way out (a quit, SIGTERM or SIGINT) the
    // last save is written and every request answered before anything is torn down.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &ProgramCore::stopServing);
    return true;
}

bool ProgramCore::listen(const QString& serverName, QString* error) {
    server_ = new RequestServer(
        [this](const IntentRequest& request, OutcomeHandler answer) {
            IntentDispatch::perform(request, IntentFrame(*store_, defaults_, sync_), answer);
        },
        [this] { return sortedLists(); }, this);
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

bool ProgramCore::changesIndex(const StoreChange& change) {
    // The index holds each list's id and name, in display order.
    if (change.listOrderChanged())
        return true;
    for (const QSet<QString>& fields : change.listFields) {
        if (fields.contains(RecordFields::name(ListField::name)))
            return true;
    }
    return false;
}

void ProgramCore::startStore() {
    store_->start();
}

void ProgramCore::startSyncCoordinator() {
    if (coordinator_)
        coordinator_->start(*store_);
}

void ProgramCore::rebuildDerivedCaches() {
    store_->rebuildDerivedCacheIfNeeded();
}

void ProgramCore::refreshListIndex() {
    refreshIndexIfChanged();
    if (!indexFollowsChanges_) {
        indexFollowsChanges_ = true;
        // Whoever changed the lists (a screen, a request or a sync), the index follows.
        connect(store_.get(), &ListStore::storeChanged, this, [this](const StoreChange& change) {
            if (changesIndex(change))
                scheduleIndexRefresh();
        });
    }
}

void ProgramCore::syncNow() {
    passes_->syncNow(*store_);
}

void ProgramCore::stopServing() {
    if (!store_)
        return;
    if (server_)
        server_->stopTaking();
    // Those waiting for a pass are answered now; those whose save is still being written are
    // answered as it lands, without a pass.
    passes_->stop(IntentFrame::quitBeforeSyncReason());
    // What the cloud confirmed of a pass still under way is written with the last save, so
    // that the next start sends only the rest.
    if (cloudSync_)
        cloudSync_->writeTakenIn();
    store_->flushSaves();
    if (server_)
        server_->flushAnswers(answerFlushMs);
}

void ProgramCore::keepUnsavedChanges() {
    if (!store_ || unsavedKept_)
        return;
    store_->flushSaves();
    if (!store_->holdsUnsavedChanges())
        return;
    unsavedKept_ = true;
    QString error;
    const std::optional<QString> copy = UnsavedCopies::keep(*store_, store_->clock().now(), &error);
    QTextStream(stderr) << printableText(copy ? StoreNotice::unsavedKept(store_->fileURL(), *copy)
                                              : StoreNotice::unsavedLost(store_->fileURL(), error))
                        << "\n";
}

void ProgramCore::stopSyncCoordinator() {
    delete coordinator_;
    coordinator_ = nullptr;
}

void ProgramCore::scheduleIndexRefresh() {
    // One look for a burst of changes; it runs once the event loop is free, and rewrites the
    // index only when the lists or their names or order changed.
    if (indexRefreshPending_)
        return;
    indexRefreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        indexRefreshPending_ = false;
        refreshIndexIfChanged();
    });
}

void ProgramCore::refreshIndexIfChanged() {
    const QList<ListEntity> lists = sortedLists();
    if (lists == indexed_)
        return;
    indexed_ = lists;
    ListEntityIndex::refresh(*store_);
}

QList<ListEntity> ProgramCore::sortedLists() const {
    store_->rebuildDerivedCacheIfNeeded();
    QList<ListEntity> lists;
    for (const TBList& list : store_->sortedListsCache())
        lists.append(ListEntity{list.id, list.name});
    return lists;
}
