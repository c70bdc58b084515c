// Sending a request to the running program, or making it on the store file.
#include "intents/RequestRoute.h"

#include "intents/IntentDispatch.h"
#include "intents/ListEntityIndex.h"
#include "intents/RequestClient.h"
#include "intents/StoreNotice.h"
#include "intents/StoreTurn.h"
#include "store/ListStore.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <memory>
#include <utility>

// A store taken by the catch-up, kept for the request that follows. The store goes before its
// turn (members go in reverse order).
struct RequestRoute::Held {
    std::unique_ptr<StoreTurn> turn;
    std::unique_ptr<ListStore> store;
};

RequestRoute::RequestRoute(Settings settings, Defaults& defaults)
    : settings_(std::move(settings)), defaults_(defaults) {}

RequestRoute::~RequestRoute() {
    letGo();
    if (settings_.catchUp.settle && settings_.notice)
        settings_.catchUp.settle(settings_.notice);
}

void RequestRoute::catchUp() const {
    const CatchUp& catchUp = settings_.catchUp;
    if (held_ || !catchUp.run || (catchUp.due && !catchUp.due()))
        return;
    const QString storeFile = settings_.source.fileURL();
    bool programStarted = false;
    auto held = std::make_shared<Held>();
    held->turn = StoreTurn::take(storeFile, QDeadlineTimer(settings_.waitMs), [&] {
        programStarted = RequestClient::programAnswers(settings_.serverName, 50);
        return programStarted;
    });
    if (programStarted)
        return;
    if (!held->turn) {
        settings_.notice(notCaughtUpNote(QStringLiteral("the store stayed in use.")));
        return;
    }
    // A request ahead in line may have brought it all meanwhile.
    if (catchUp.due && !catchUp.due())
        return;
    held->store = writingStore(storeFile);
    StoreNotice::tell(*held->store, settings_.notice);
    // A program that started meanwhile holds the store and keeps it current itself.
    if (!held->store->canWrite())
        return;
    catchUp.run(*held->store, settings_.notice);
    // What it brought reaches the index before any list is looked up by name.
    refreshIndex(*held->store);
    held_ = std::move(held);
}

void RequestRoute::letGo() const {
    held_.reset();
}

void RequestRoute::takeStoreForLookUp(IntentKind kind) const {
    if (held_ || kind == IntentKind::openList)
        return;
    const QString storeFile = settings_.source.fileURL();
    // Taken before the store is read, as a look-up does.
    const QString stamp = ListEntityIndex::storeStamp(storeFile);
    if (stamp.isEmpty() || ListEntityIndex::read(stamp, indexPath()) ||
        RequestClient::programAnswers(settings_.serverName, 50))
        return;
    auto held = std::make_shared<Held>();
    if (kind == IntentKind::readList) {
        // A read takes no turn, as in perform().
        held->store =
            std::make_unique<ListStore>(storeFile, settings_.source.cloudSync, false, defaults_,
                                        Clock::shared(), ListStore::Access::readOnly);
        StoreNotice::tell(*held->store, settings_.notice);
        if (held->store->unreadableCopy() || held->store->openError() || held->store->editRefusal())
            return;
        ListEntityIndex::refresh(held->store->sortedLists(), indexPath(), stamp);
    } else {
        bool programStarted = false;
        held->turn = StoreTurn::take(storeFile, QDeadlineTimer(settings_.waitMs), [&] {
            programStarted = RequestClient::programAnswers(settings_.serverName, 50);
            return programStarted;
        });
        if (!held->turn || programStarted)
            return;
        held->store = writingStore(storeFile);
        // Whatever keeps this store from writing, perform() meets it again and says so.
        if (!held->store->canWrite())
            return;
        StoreNotice::tell(*held->store, settings_.notice);
        refreshIndex(*held->store);
    }
    held_ = std::move(held);
}

ListDirectory RequestRoute::directory() const {
    return ListDirectory(ListDirectory::Settings{settings_.source, settings_.serverName,
                                                 settings_.indexPath, settings_.notice},
                         defaults_);
}

IntentOutcome RequestRoute::perform(const IntentRequest& request) const {
    // The store the catch-up brought up to date serves the request; no program can have taken
    // it meanwhile.
    if (const std::shared_ptr<Held> held = std::exchange(held_, nullptr))
        return performLocally(*held->store, request);

    const QDeadlineTimer deadline(settings_.waitMs);
    const QString storeFile = settings_.source.fileURL();
    for (;;) {
        const RequestClient::Result sent =
            RequestClient::send(settings_.serverName, request, deadline);
        switch (sent.reach) {
        case RequestClient::Result::Reach::answered:
            return sent.outcome;
        case RequestClient::Result::Reach::lost:
            return IntentOutcome::failed(lostAnswer(), ExitCode::unreachable);
        case RequestClient::Result::Reach::busy:
            return IntentOutcome::failed(busyAnswer(), ExitCode::unreachable);
        case RequestClient::Result::Reach::noProgram:
            break;
        }

        // A read needs no lock and no turn: it never writes.
        if (request.kind == IntentKind::readList) {
            ListStore store(storeFile, settings_.source.cloudSync, false, defaults_,
                            Clock::shared(), ListStore::Access::readOnly);
            StoreNotice::tell(store, settings_.notice);
            return performLocally(store, request);
        }
        // Wait in line behind other requests, unless a program starts meanwhile: then the
        // request goes to it.
        const std::unique_ptr<StoreTurn> turn = StoreTurn::take(storeFile, deadline, [this] {
            return RequestClient::programAnswers(settings_.serverName, 50);
        });
        if (turn) {
            const std::unique_ptr<ListStore> store = writingStore(storeFile);
            if (store->canWrite()) {
                StoreNotice::tell(*store, settings_.notice);
                return performLocally(*store, request);
            }
            // A program holds the store and has not begun to listen yet; any other reason
            // (a folder that takes no lock file, a store file that cannot be opened, a store
            // from a newer Tallybird, which says no, something odd where the sending journal
            // goes) stays.
            if (deadline.hasExpired() || !store->lockHeldElsewhere())
                return IntentOutcome::failed(store->lockError().value_or(QString()),
                                             store->editRefusal() ? ExitCode::refused
                                                                  : ExitCode::unreachable);
        } else if (deadline.hasExpired()) {
            return IntentOutcome::failed(
                QStringLiteral("The store file “%1” is in use by another Tallybird process.")
                    .arg(storeFile),
                ExitCode::unreachable);
        }
        QThread::msleep(20);
    }
}

std::unique_ptr<ListStore> RequestRoute::writingStore(const QString& storeFile) const {
    auto store =
        std::make_unique<ListStore>(storeFile, settings_.source.cloudSync, false, defaults_);
    if (store->canWrite() && settings_.catchUp.attach)
        settings_.catchUp.attach(*store);
    return store;
}

IntentOutcome RequestRoute::performLocally(ListStore& store, const IntentRequest& request) const {
    if (settings_.catchUp.held && settings_.notice && !request.listID.isEmpty())
        settings_.catchUp.held(store, request.listID, settings_.notice);
    const IntentFrame frame(store, defaults_, settings_.sync);
    auto result = std::make_shared<std::optional<IntentOutcome>>();
    auto waiting = std::make_shared<QEventLoop*>(nullptr);
    IntentDispatch::perform(request, frame, [result, waiting](const IntentOutcome& outcome) {
        *result = outcome;
        if (*waiting)
            (*waiting)->quit();
    });
    // The sync step may finish later, on the event loop.
    if (!*result) {
        QEventLoop loop;
        *waiting = &loop;
        loop.exec();
        *waiting = nullptr;
    }

    // The change, and whatever the sync brought, reach the index before the store goes. A read
    // changes nothing, and a catch-up before it brought the index up to date itself.
    if (store.canWrite() && request.kind != IntentKind::readList &&
        (*result)->kind == IntentOutcome::Kind::reply)
        refreshIndex(store);
    return **result;
}

void RequestRoute::refreshIndex(ListStore& store) const {
    ListEntityIndex::refresh(store, indexPath());
}

QString RequestRoute::indexPath() const {
    return settings_.indexPath.isEmpty() ? ListEntityIndex::defaultPath() : settings_.indexPath;
}
