#pragma once

#include "cloud/CloudDevice.h"
#include "platform/Defaults.h"
#include "support/QStringPrinting.h"
#include "sync/CloudEngine.h"
#include "sync/CloudSync.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace synctest {

// The application object, with one hash seed for every run so that a seed replays exactly.
void ensureApplication();

// One copy of the program: a store in a folder of its own, syncing as one device.
class Device {
public:
    static constexpr double start = 800'000'000;

    Device(std::shared_ptr<cloud::Container> container, QString id);
    ~Device();

    ListStore& store() { return *store_; }
    CloudSync& sync() { return *sync_; }
    const QString& id() const { return id_; }

    // Quits and starts the program again on the same files; `meanwhile`, when given, changes
    // the store file in between, as another program would.
    void restart(const std::function<void(const QString& storeFile)>& meanwhile = {});
    // Quits and starts the program again on the same store, with another container.
    void moveTo(std::shared_ptr<cloud::Container> container);
    // One sync pass, waited for.
    std::optional<cloud::CloudError> syncNow();
    // Only a fetch of both engines, as when sending found nothing.
    std::optional<cloud::CloudError> fetchOnly();
    // The changes waiting in one engine, as "save name" and "delete name".
    QStringList pending(EngineScope scope = EngineScope::privateDatabase);

    FixedClock clock{Date(start)};
    MemoryDefaults defaults;

private:
    void open();

    std::shared_ptr<cloud::Container> container_;
    QString id_;
    QTemporaryDir dir_;
    std::unique_ptr<ListStore> store_;
    CloudSync* sync_ = nullptr;
};

// Spins the event loop until `start`'s completion is called (or a long guard passes).
std::optional<cloud::CloudError>
wait(const std::function<void(std::function<void(std::optional<cloud::CloudError>)>)>& start);

// The fields that must agree between devices, one line per list and item, sorted.
QStringList contents(ListStore& store);

class SyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        container = cloud::Container::inMemory();
    }
    std::unique_ptr<Device> device(const QString& id, const QString& user = QString());
    // Ann's list shared with Bob, who accepted.
    void share(const QString& listID, cloud::ParticipantPermission permission);
    const TBItem* item(ListStore& store, const QString& id);
    const TBList* list(ListStore& store, const QString& id);

    std::shared_ptr<cloud::Container> container;
};

} // namespace synctest
