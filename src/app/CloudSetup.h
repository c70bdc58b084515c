#pragma once

#include "intents/IntentFrame.h"
#include "store/ListStore.h"

#include <QString>

class CloudSync;

// How this process reaches the cloud: one container file, and this profile's data folder as
// the device. Every store the process builds syncs through it.
class CloudSetup {
public:
    explicit CloudSetup(QString containerPath) : containerPath_(std::move(containerPath)) {}

    const QString& containerPath() const { return containerPath_; }

    // Gives the store its cloud half; call it once per store. When the container cannot be
    // opened, `error` says why and the store keeps working without the cloud.
    CloudSync* attach(ListStore& store, QString* error = nullptr) const;

    // One sync pass of a store made for one request: attaches it, then syncs. `done` runs when
    // the pass ends, whether it succeeded or not.
    IntentFrame::SyncStep syncStep() const;

private:
    QString containerPath_;
};
