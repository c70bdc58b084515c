#include "SyncTestSupport.h"

#include "model/ItemNotes.h"
#include "store/StoreFileSink.h"
#include "support/CompletionWait.h"
#include "support/TestApplication.h"

#include <QCoreApplication>
#include <QHashFunctions>

#include <algorithm>

namespace synctest {

using namespace cloud;

void ensureApplication() {
    if (!QCoreApplication::instance()) {
        qSetGlobalQHashSeed(0); // the same iteration order in every run of a seed
        testsupport::ensureApplication();
    }
}

std::optional<CloudError>
wait(const std::function<void(std::function<void(std::optional<CloudError>)>)>& start) {
    ensureApplication();
    // Only a guard against a pass that never ends; passes take milliseconds.
    const auto result =
        testsupport::waitForCompletion<std::optional<CloudError>>(start, std::chrono::seconds(30));
    if (!result)
        return CloudError::make(CloudError::Code::internalError, QStringLiteral("timed out"));
    return *result;
}

Device::Device(std::shared_ptr<Container> container, QString id)
    : container_(std::move(container)), id_(std::move(id)) {
    open();
}

Device::~Device() = default;

void Device::open() {
    store_ = std::make_unique<ListStore>(dir_.filePath(QStringLiteral("store.json")), true, false,
                                         defaults, clock);
    // Nothing here loses power: the disk is not waited for, which is most of a save's time.
    store_->setFileSink(StoreFileSink::unsynced());
    sync_ = CloudSync::attach(*store_, CloudDevice(container_, id_));
    store_->start();
}

void Device::restart(const std::function<void(const QString& storeFile)>& meanwhile) {
    store_.reset();
    if (meanwhile)
        meanwhile(dir_.filePath(QStringLiteral("store.json")));
    open();
}

void Device::moveTo(std::shared_ptr<Container> container) {
    store_.reset();
    container_ = std::move(container);
    open();
}

std::optional<CloudError> Device::syncNow() {
    return wait([&](auto done) { sync_->syncNow(done); });
}

std::optional<CloudError> Device::fetchOnly() {
    store_->startEnginesIfAllowed();
    for (EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
        CloudEngine* engine = sync_->engine(scope);
        if (!engine)
            continue;
        if (auto error = wait([&](auto done) { engine->engine().fetchChanges(done); }))
            return error;
    }
    return std::nullopt;
}

QStringList Device::pending(EngineScope scope) {
    CloudEngine* engine = sync_->engine(scope);
    QStringList out;
    if (!engine)
        return out;
    engine->settle();
    for (const auto& change : engine->engine().state().pendingRecordZoneChanges())
        out.append(QString(change.kind == PendingRecordZoneChange::Kind::saveRecord ? "save "
                                                                                    : "delete ") +
                   change.recordID.recordName);
    return out;
}

QStringList contents(ListStore& store) {
    QStringList lines;
    for (const TBList& list : store.lists())
        lines.append(QStringLiteral("list %1 %2 pinned=%3 order=%4 icon=%5 group=%6")
                         .arg(list.id, list.name)
                         .arg(list.pinned)
                         .arg(list.order)
                         .arg(list.icon, store.filings().value(list.id)));
    for (const TBItem& item : store.allItems())
        lines.append(QStringLiteral("item %1 in %2 %3 done=%4 pinned=%5 order=%6 notes=%7")
                         .arg(item.id, item.listID, item.text)
                         .arg(item.done)
                         .arg(item.pinned)
                         .arg(item.order)
                         // The same lines in any order are the same thread.
                         .arg(ItemNotes::merged(item.notes, QString())));
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::unique_ptr<Device> SyncTest::device(const QString& id, const QString& user) {
    if (!user.isEmpty()) {
        container->createUser(user, std::nullopt);
        container->signIn(id, user);
    }
    return std::make_unique<Device>(container, id);
}

void SyncTest::share(const QString& listID, ParticipantPermission permission) {
    ASSERT_FALSE(container->shareZone("ann", "TB-" + listID, "bob", permission));
    ASSERT_FALSE(container->acceptShare("ann", "TB-" + listID, "bob"));
}

const TBItem* SyncTest::item(ListStore& store, const QString& id) {
    for (const TBItem& item : store.allItems()) {
        if (item.id == id)
            return &item;
    }
    return nullptr;
}

const TBList* SyncTest::list(ListStore& store, const QString& id) {
    for (const TBList& list : store.lists()) {
        if (list.id == id)
            return &list;
    }
    return nullptr;
}

} // namespace synctest
