#pragma once

#include "cloud/CloudDevice.h"
#include "cloud/Container.h"
#include "intents/IntentFrame.h"
#include "intents/RequestRoute.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "store/StoreLocation.h"

#include <QString>

#include <memory>

class CloudSync;

// How this process reaches the cloud: one container file, and this profile's data folder as
// the device. Every store the process builds syncs through it.
class CloudSetup {
public:
    // How long the command line may spend bringing the device up to date before a request.
    static constexpr int catchUpMs = 2'000;

    explicit CloudSetup(QString containerPath);

    const QString& containerPath() const { return containerPath_; }

    // Gives the store its cloud half, or the device to the one it was given without (see
    // catchUp()'s attach). When the container cannot be opened, `error` says why and the store
    // keeps working without the cloud. `busyTimeoutMs` bounds each wait for another process's
    // write to the container.
    CloudSync* attach(ListStore& store, QString* error = nullptr,
                      int busyTimeoutMs = cloud::Container::defaultBusyTimeoutMs) const;

    // One sync pass of a store made for one request: attaches it, then syncs. `done` runs when
    // the pass ends, whether it succeeded or not, with what went wrong. A container another
    // process is writing to is waited for no longer than catching up may take: the command
    // line has nothing to send the change later, and the next sync sends it.
    IntentFrame::SyncStep syncStep() const;

    // Stands in for the platform delivering other devices' changes in the background while no
    // program of this profile runs: one sync pass on the request's own store, saved once,
    // within `catchUpMs`, so that the request reads a current store. It is due only when the
    // container changed since the store last took everything in (see CatchUpMark), or the last
    // pass left the store owing the cloud a change, and never when sync is off. When it cannot
    // fetch (offline, no account, an error, out of time), the store stays as it was and the notice
    // says so.
    RequestRoute::CatchUp catchUp(Defaults& defaults) const;

private:
    // This profile's device. A container file is opened afresh each time, which costs a fraction
    // of a millisecond and takes `timeoutMs` as its wait for other writers. A server is opened
    // once for the process, so that the look whether to catch up, the catch-up and the request's
    // own sync share one connection: each connection costs a password exchange and a new server
    // process. Its bound is the longest of those asked for, at least catchUpMs.
    cloud::Result<cloud::CloudDevice> openDevice(int timeoutMs) const;

    struct Server;
    // A note the catch-up owes the request's end, unless the request's own sync makes it
    // untrue.
    struct Owed {
        std::optional<QString> note;
    };
    QString containerPath_;
    std::shared_ptr<Server> server_; // for a server only; shared by every copy
    std::shared_ptr<Owed> owed_ = std::make_shared<Owed>(); // shared by every copy
};
