// Connecting stores to the cloud container, and catching the device up before a request.
#include "CloudSetup.h"

#include "intents/ListEntityIndex.h"
#include "intents/RequestClient.h"
#include "intents/StoreNotice.h"
#include "intents/StoreTurn.h"
#include "platform/AppPaths.h"
#include "sync/CloudEngine.h"
#include "sync/CloudSync.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <memory>

CloudSync* CloudSetup::attach(ListStore& store, QString* error, int busyTimeoutMs) const {
    cloud::Result<cloud::CloudDevice> device =
        cloud::CloudDevice::open(containerPath_, AppPaths::dataDir(), busyTimeoutMs);
    if (!device.ok() && error)
        *error = device.error().message;
    return CloudSync::attach(store, std::move(device));
}

IntentFrame::SyncStep CloudSetup::syncStep() const {
    const CloudSetup setup = *this;
    return [setup](ListStore& store, IntentFrame::SyncDone done) {
        // With sync switched off there is nothing to reach, and nothing went wrong.
        if (!store.cloudSync() || !store.syncEnabled()) {
            done(std::nullopt);
            return;
        }
        QString error;
        CloudSync* cloud = setup.attach(store, &error, catchUpMs);
        // Without the cloud a pass would end at once, as if all went well.
        if (!error.isEmpty()) {
            done(error);
            return;
        }
        cloud->syncNow([done](std::optional<cloud::CloudError> failure) {
            done(failure ? std::optional<QString>(failure->message) : std::nullopt);
        });
    };
}

QString CloudSetup::notCaughtUpNote(const QString& why) {
    return QStringLiteral("Tallybird could not sync, so changes made on other devices may be "
                          "missing: %1")
        .arg(why);
}

namespace {

// Fetches the changes of both engines, private then shared; `done` gets the first error. It is
// never called once `alive` is false.
void fetchBoth(CloudSync* cloud, std::shared_ptr<bool> alive,
               std::function<void(std::optional<cloud::CloudError>)> done) {
    CloudEngine* first = cloud->engine(EngineScope::privateDatabase);
    if (!first) {
        done(std::nullopt);
        return;
    }
    QPointer<CloudSync> guard(cloud);
    first->engine().fetchChanges([guard, alive, done](std::optional<cloud::CloudError> error) {
        if (!*alive || !guard)
            return;
        CloudEngine* second = guard->engine(EngineScope::sharedDatabase);
        if (error || !second) {
            done(error);
            return;
        }
        second->engine().fetchChanges([alive, done](std::optional<cloud::CloudError> error) {
            if (*alive)
                done(error);
        });
    });
}

} // namespace

void CloudSetup::catchUp(const SharedStore::Source& source, Defaults& defaults,
                         const QString& serverName, int waitMs,
                         const RequestRoute::Notice& notice) const {
    if (!source.cloudSync || !defaults.boolValue(QStringLiteral("cloudSyncEnabled")).value_or(true))
        return;
    const QString storeFile = source.fileURL();
    bool programStarted = false;
    const std::unique_ptr<StoreTurn> turn = StoreTurn::take(storeFile, QDeadlineTimer(waitMs), [&] {
        programStarted = RequestClient::programAnswers(serverName, 50);
        return programStarted;
    });
    if (programStarted)
        return;
    if (!turn) {
        notice(notCaughtUpNote(QStringLiteral("the store stayed in use.")));
        return;
    }
    ListStore store(storeFile, source.cloudSync, false, defaults);
    StoreNotice::tell(store, notice);
    // A program that started meanwhile holds the store and keeps it current itself.
    if (!store.canWrite())
        return;
    QString error;
    CloudSync* cloud = attach(store, &error, catchUpMs);
    if (!error.isEmpty()) {
        notice(notCaughtUpNote(error));
        return;
    }
    store.startEnginesIfAllowed();
    const QDeadlineTimer deadline(catchUpMs);

    // The fetch may outlast the wait; its answer then finds nobody to tell.
    auto alive = std::make_shared<bool>(true);
    std::optional<std::optional<cloud::CloudError>> result;
    QEventLoop loop;
    QTimer::singleShot(qMax<qint64>(1, deadline.remainingTime()), &loop, &QEventLoop::quit);
    fetchBoth(cloud, alive, [&result, &loop](std::optional<cloud::CloudError> error) {
        result = error;
        loop.quit();
    });
    if (!result)
        loop.exec();
    *alive = false;
    if (!result)
        notice(notCaughtUpNote(QStringLiteral("the cloud did not answer in time.")));
    else if (*result)
        notice(notCaughtUpNote((*result)->message));
    // What the fetch changed in the lists reaches the index while the store is still held.
    ListEntityIndex::refresh(store);
}
