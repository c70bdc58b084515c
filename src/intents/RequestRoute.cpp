#include "intents/RequestRoute.h"

#include "intents/IntentDispatch.h"
#include "intents/ListEntityIndex.h"
#include "intents/RequestClient.h"
#include "store/ListStore.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <memory>
#include <utility>

RequestRoute::RequestRoute(Settings settings, Defaults& defaults)
    : settings_(std::move(settings)), defaults_(defaults) {}

IntentOutcome RequestRoute::perform(const IntentRequest& request) const {
    const QDeadlineTimer deadline(settings_.storeWaitMs);
    // A read needs no lock: it never writes.
    const ListStore::Access access = request.kind == IntentKind::readList
                                         ? ListStore::Access::readOnly
                                         : ListStore::Access::readWrite;
    for (;;) {
        const RequestClient::Result sent = RequestClient::send(settings_.serverName, request);
        if (sent.reach == RequestClient::Result::Reach::answered)
            return sent.outcome;
        if (sent.reach == RequestClient::Result::Reach::lost)
            return IntentOutcome::failed(lostAnswer());

        ListStore store(settings_.source.fileURL(), settings_.source.cloudSync, false, defaults_,
                        Clock::shared(), access);
        if (access == ListStore::Access::readOnly || store.canWrite())
            return performLocally(store, request);
        // Another short request holds the store, or a program is starting and has not begun
        // to listen yet: try both again shortly.
        if (deadline.hasExpired())
            return IntentOutcome::failed(store.lockError().value_or(QString()));
        QThread::msleep(100);
    }
}

IntentOutcome RequestRoute::performLocally(ListStore& store, const IntentRequest& request) const {
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

    if (store.canWrite() && (*result)->kind == IntentOutcome::Kind::reply) {
        store.rebuildDerivedCacheIfNeeded();
        ListEntityIndex::refresh(store.sortedListsCache());
    }
    return **result;
}
