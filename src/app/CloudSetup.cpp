#include "CloudSetup.h"

#include "platform/AppPaths.h"
#include "sync/CloudSync.h"

CloudSync* CloudSetup::attach(ListStore& store, QString* error) const {
    cloud::Result<cloud::CloudDevice> device =
        cloud::CloudDevice::open(containerPath_, AppPaths::dataDir());
    if (!device.ok() && error)
        *error = device.error().message;
    return CloudSync::attach(store, std::move(device));
}

IntentFrame::SyncStep CloudSetup::syncStep() const {
    const CloudSetup setup = *this;
    return [setup](ListStore& store, std::function<void()> done) {
        setup.attach(store)->syncNow([done](std::optional<cloud::CloudError>) { done(); });
    };
}
