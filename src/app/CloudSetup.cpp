#include "CloudSetup.h"

#include "platform/AppPaths.h"
#include "sync/CloudSync.h"

bool CloudSetup::attach(ListStore& store, QString* error) const {
    if (CloudSync::of(store))
        return true;
    cloud::Result<cloud::CloudDevice> device =
        cloud::CloudDevice::open(containerPath_, AppPaths::dataDir());
    if (!device.ok()) {
        if (error)
            *error = device.error().message;
        return false;
    }
    CloudSync::attach(store, device.value());
    return true;
}

IntentFrame::SyncStep CloudSetup::syncStep() const {
    const CloudSetup setup = *this;
    return [setup](ListStore& store, std::function<void()> done) {
        if (!setup.attach(store)) {
            done();
            return;
        }
        CloudSync::syncNow(store, [done](std::optional<cloud::CloudError>) { done(); });
    };
}
