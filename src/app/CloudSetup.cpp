// Connecting stores to the cloud container, and catching the device up before a request.
#include "CloudSetup.h"

#include "CatchUpMark.h"
#include "platform/AppPaths.h"
#include "sync/CloudEngine.h"
#include "sync/CloudIds.h"
#include "sync/CloudSync.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

// The server's device once opened, and what the look whether to catch up met there: the
// catch-up says it at once instead of waiting for the server a second time.
struct CloudSetup::Server {
    std::optional<cloud::Result<cloud::CloudDevice>> device;
    std::optional<cloud::CloudError> lookFailed;
};

CloudSetup::CloudSetup(QString containerPath) : containerPath_(std::move(containerPath)) {
    if (cloud::Container::isServerLocation(containerPath_))
        server_ = std::make_shared<Server>();
}

cloud::Result<cloud::CloudDevice> CloudSetup::openDevice(int timeoutMs) const {
    if (!server_)
        return cloud::CloudDevice::open(containerPath_, AppPaths::dataDir(), timeoutMs);
    // Opening connects only when the profile keeps no device id yet; a failure is tried again.
    if (!server_->device || !server_->device->ok())
        server_->device = cloud::CloudDevice::open(containerPath_, AppPaths::dataDir(),
                                                   std::max(timeoutMs, catchUpMs));
    return *server_->device;
}

namespace {

// The cloud half a request's store was given as it was opened, or by the catch-up before it.
CloudSync* attachedTo(ListStore& store) {
    return store.findChild<CloudSync*>(QString(), Qt::FindDirectChildrenOnly);
}

// The store's cloud half, given the device when it has none yet.
CloudSync* attachWith(ListStore& store, cloud::Result<cloud::CloudDevice> device) {
    CloudSync* attached = attachedTo(store);
    if (!attached)
        return CloudSync::attach(store, std::move(device));
    attached->reach(std::move(device));
    return attached;
}

} // namespace

CloudSync* CloudSetup::attach(ListStore& store, QString* error, int busyTimeoutMs) const {
    if (CloudSync* attached = attachedTo(store); attached && attached->device())
        return attached;
    cloud::Result<cloud::CloudDevice> device = openDevice(busyTimeoutMs);
    if (!device.ok() && error)
        *error = device.error().message;
    return attachWith(store, std::move(device));
}

namespace {

// Where this device keeps the mark of what it last took in.
QString markFile() {
    return QDir(AppPaths::dataDir()).filePath(QStringLiteral("cloud-caught-up"));
}

// One sync pass that marks, once it is saved, what the store then holds of the cloud. A pass
// that leaves the store owing the cloud anything it may send (a save refused because someone
// else holds its list, one merged with a change elsewhere and refused again) leaves no mark at
// all: the next request catches up, and sends it.
void passAndMark(CloudSync& cloud, const QString& storeFile,
                 std::function<void(std::optional<cloud::CloudError>)> done) {
    auto mark = std::make_shared<QString>();
    const cloud::CloudDevice device = *cloud.device();
    cloud.syncNow(
        [mark, storeFile, done, file = markFile(),
         sync = QPointer<CloudSync>(&cloud)](std::optional<cloud::CloudError> error) {
            const CatchUpMark caughtUp(file, storeFile);
            if (!sync || sync->store().owesCloud())
                caughtUp.forget();
            else if (!error)
                caughtUp.record(*mark);
            done(error);
        },
        [mark, device] { *mark = CatchUpMark::containerMark(device); });
}

// A request's fetches end by `deadline`, each having brought at least one list, and the next
// request's go on from there: an account of thousands of lists takes far longer to bring to a
// fresh device than a request may take.
void boundFetches(CloudSync& cloud, QDeadlineTimer deadline) {
    for (const EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
        if (CloudEngine* engine = cloud.engine(scope))
            engine->engine().setFetchDeadline(deadline);
    }
}

bool downloading(const CloudSync& cloud) {
    for (const EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
        if (CloudEngine* engine = cloud.engine(scope); engine && engine->downloading())
            return true;
    }
    return false;
}

bool cutShort(const std::optional<cloud::CloudError>& error) {
    return error && cloud::SyncEngine::isFetchCutShort(*error);
}

} // namespace

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
        const QDeadlineTimer bound(catchUpMs);
        passAndMark(*cloud, store.fileURL(),
                    [done, owed = setup.owed_](std::optional<cloud::CloudError> failure) {
                        // A pass that ended well sent everything: an upload the catch-up
                        // left under way is done. So did one whose fetch ran out of time, which
                        // the next request's sync goes on with.
                        if (!failure || cutShort(failure))
                            owed->note.reset();
                        if (cutShort(failure)) {
                            owed->note = RequestRoute::notCaughtUpNote(
                                IntentFrame::downloadUnderWayReason());
                            failure.reset();
                        }
                        done(failure ? std::optional<QString>(failure->message) : std::nullopt);
                    });
        boundFetches(*cloud, bound);
    };
}

namespace {
// How long the look whether a catch-up is due waits for a container busy elsewhere.
constexpr int dueLookMs = 100;
} // namespace

RequestRoute::CatchUp CloudSetup::catchUp(Defaults& defaults) const {
    const CloudSetup setup = *this;
    RequestRoute::CatchUp catchUp;
    catchUp.due = [setup, &defaults] {
        const SharedStore::Source source = SharedStore::source();
        if (!source.cloudSync ||
            !defaults.boolValue(QStringLiteral("cloudSyncEnabled")).value_or(true))
            return false;
        // A server that could not be read a moment ago is not waited for again.
        if (setup.server_ && setup.server_->lookFailed)
            return true;
        // Only a look: a container busy elsewhere makes the catch-up due, and the catch-up
        // itself then waits its bounded time for it, once.
        const cloud::Result<cloud::CloudDevice> device = setup.openDevice(dueLookMs);
        // A container that cannot be opened is said by the catch-up.
        if (!device.ok())
            return true;
        const cloud::Result<QString> mark =
            device.value().container()->changeMark(device.value().deviceID());
        if (!mark.ok()) {
            if (setup.server_)
                setup.server_->lookFailed = mark.error();
            return true;
        }
        return !CatchUpMark(markFile(), source.fileURL()).current(mark.value());
    };
    catchUp.run = [setup](ListStore& store, const RequestRoute::Notice& notice) {
        if (!store.cloudSync() || !store.syncEnabled())
            return;
        if (setup.server_ && setup.server_->lookFailed) {
            notice(RequestRoute::notCaughtUpNote(setup.server_->lookFailed->message));
            return;
        }
        cloud::Result<cloud::CloudDevice> device = setup.openDevice(catchUpMs);
        if (!device.ok()) {
            notice(RequestRoute::notCaughtUpNote(device.error().message));
            return;
        }
        CloudSync* cloud = attachWith(store, std::move(device));

        // The pass may outlast the wait; its answer then finds nobody to tell.
        auto alive = std::make_shared<bool>(true);
        std::optional<std::optional<cloud::CloudError>> result;
        QEventLoop loop;
        const QDeadlineTimer bound(catchUpMs);
        QTimer::singleShot(catchUpMs, &loop, &QEventLoop::quit);
        passAndMark(*cloud, store.fileURL(),
                    [alive, &result, &loop](std::optional<cloud::CloudError> error) {
                        if (!*alive)
                            return;
                        result = error;
                        loop.quit();
                    });
        // A fetch the wait ends stops at its next list instead of holding up the request's own
        // sync.
        boundFetches(*cloud, bound);
        if (!result)
            loop.exec();
        *alive = false;
        if (!result) {
            // The pass goes on while a loop runs, and stops when the store goes. What the cloud
            // confirmed by now is written, so that the next sync sends only the rest.
            cloud->writeTakenIn();
            // That the upload goes on is said once the request is over, if it still does.
            if (cloud->uploading())
                setup.owed_->note =
                    RequestRoute::notCaughtUpNote(IntentFrame::uploadUnderWayReason());
            else if (downloading(*cloud))
                setup.owed_->note =
                    RequestRoute::notCaughtUpNote(IntentFrame::downloadUnderWayReason());
            else
                notice(RequestRoute::notCaughtUpNote(IntentFrame::syncTooSlowReason()));
        } else if (cutShort(*result)) {
            // Said once the request is over, unless its own sync brings the rest.
            setup.owed_->note =
                RequestRoute::notCaughtUpNote(IntentFrame::downloadUnderWayReason());
        } else if (*result)
            notice(RequestRoute::notCaughtUpNote((*result)->message));
    };
    catchUp.held = [setup](ListStore& store, const QString& listID,
                           const RequestRoute::Notice& notice) {
        // Only a server's lists are held by writers elsewhere; one that could not be reached
        // was said already.
        const TBList* list = store.findList(listID);
        if (!list || !setup.server_ || setup.server_->lookFailed || !store.cloudSync() ||
            !store.syncEnabled())
            return;
        const cloud::Result<cloud::CloudDevice> device = setup.openDevice(catchUpMs);
        if (!device.ok())
            return;
        const cloud::Result<std::vector<cloud::ZoneID>> held =
            device.value().container()->heldZones(device.value().deviceID());
        if (held.ok() && std::ranges::count(held.value(), CloudIds::toCloud(store.zoneID(listID))))
            notice(RequestRoute::heldListNote(list->name));
    };
    // Without opening the container, which sync switched off must never do: the device is
    // opened by the first sync pass that needs it (attach()).
    catchUp.attach = [](ListStore& store) {
        if (!attachedTo(store))
            CloudSync::attach(store,
                              cloud::CloudError::make(cloud::CloudError::Code::networkUnavailable));
    };
    catchUp.settle = [owed = owed_](const RequestRoute::Notice& notice) {
        if (owed->note)
            notice(*std::exchange(owed->note, std::nullopt));
    };
    return catchUp;
}
