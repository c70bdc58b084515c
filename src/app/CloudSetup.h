#pragma once

#include "intents/IntentFrame.h"
#include "store/ListStore.h"

#include <QString>

// How this process reaches the cloud: one container file, and this profile's data folder as
// the device. Every store the process builds syncs through it.
class CloudSetup {
public:
    explicit CloudSetup(QString containerPath) : containerPath_(std::move(containerPath)) {}

    const QString& containerPath() const { return containerPath_; }

    // Gives the store its sync side, once. False, with `error` set, when the container cannot
    // be opened; the store then keeps working without sync.
    bool attach(ListStore& store, QString* error = nullptr) const;

    // A request's one sync pass: attaches the store when needed, then syncs. `done` runs when
    // the pass ends, whether it succeeded or not.
    IntentFrame::SyncStep syncStep() const;

private:
    QString containerPath_;
};
