// Making a store's engines and running sync passes.
#include "CloudSync.h"

#include "CloudEngine.h"

#include <QPointer>

class CloudSync::Factory final : public EngineFactory {
public:
    explicit Factory(CloudSync& sync) : sync_(sync) {}
    std::unique_ptr<EngineQueue> makeEngine(EngineScope scope,
                                            const std::optional<QByteArray>& savedState,
                                            bool automaticSync) override {
        if (!sync_.device_)
            return nullptr;
        const cloud::DatabaseScope database = scope == EngineScope::sharedDatabase
                                                  ? cloud::DatabaseScope::sharedScope
                                                  : cloud::DatabaseScope::privateScope;
        return std::make_unique<CloudEngine>(sync_, scope, sync_.device_->database(database),
                                             savedState, automaticSync);
    }

private:
    CloudSync& sync_;
};

CloudSync::CloudSync(ListStore& store, cloud::Result<cloud::CloudDevice> device)
    : QObject(&store), store_(store) {
    if (device.ok())
        device_ = device.value();
    else
        unreachable_ = device.error();
    shareRecordLookup_ = [this](const std::vector<cloud::RecordID>& ids,
                                std::function<void(cloud::Result<RecordResults>)> done) {
        if (device_)
            device_->privateCloudDatabase().fetchRecords(ids, this, std::move(done));
        else
            done(*unreachable_);
    };
}

CloudSync* CloudSync::attach(ListStore& store, cloud::Result<cloud::CloudDevice> device) {
    auto* sync = new CloudSync(store, std::move(device));
    store.setEngineFactory(std::make_shared<Factory>(*sync));
    QPointer<CloudSync> guard(sync);
    store.setShareFlagRefresh([guard] {
        if (guard)
            guard->refreshShareFlags();
    });
    return sync;
}

CloudEngine* CloudSync::engine(EngineScope scope) const {
    return scope == EngineScope::sharedDatabase ? sharedEngine_ : privateEngine_;
}

void CloudSync::engineMade(CloudEngine& engine) {
    (engine.scope() == EngineScope::sharedDatabase ? sharedEngine_ : privateEngine_) = &engine;
}

// A replacement is made before the engine it replaces goes.
void CloudSync::engineGone(CloudEngine& engine) {
    CloudEngine*& slot =
        engine.scope() == EngineScope::sharedDatabase ? sharedEngine_ : privateEngine_;
    if (slot == &engine)
        slot = nullptr;
}

void CloudSync::syncNow(Done done) {
    store_.startEnginesIfAllowed();
    runStep(0, std::move(done));
}

// Steps 0 and 1 send (private, shared), 2 and 3 fetch (private, shared). Each step looks the
// engine up anew, so one dropped by the sync switch meanwhile is skipped.
void CloudSync::runStep(int step, Done done) {
    if (step > 3) {
        if (done)
            done(std::nullopt);
        return;
    }
    CloudEngine* engine =
        this->engine(step % 2 == 0 ? EngineScope::privateDatabase : EngineScope::sharedDatabase);
    if (!engine) {
        runStep(step + 1, std::move(done));
        return;
    }
    QPointer<CloudSync> self(this);
    auto next = [self, step, done](std::optional<cloud::CloudError> error) {
        if (error || !self) {
            if (done)
                done(error);
            return;
        }
        self->runStep(step + 1, done);
    };
    if (step < 2)
        engine->engine().sendChanges(next);
    else
        engine->engine().fetchChanges(next);
}
