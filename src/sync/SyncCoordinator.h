#pragma once

#include "store/ListStore.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

// Makes local edits reach the cloud soon after they are made: one second after the last of a
// burst of store changes, it runs one sync pass when something is still unsent.
class SyncCoordinator : public QObject {
    Q_OBJECT

public:
    using SyncAction = std::function<void(ListStore&)>;
    static constexpr int debounceMilliseconds = 1000;

    // `sync` runs one pass and drops its error (in the program: CloudSync::syncNow).
    explicit SyncCoordinator(SyncAction sync, QObject* parent = nullptr);

    // Watches the store's changes; a second call does nothing.
    void start(ListStore& store);
    bool started() const { return started_; }

    // Whether a debounced run is waiting, and running it now (for tests).
    bool isWaiting() const { return timer_.isActive(); }
    void fireNow();

private:
    void debounced();

    SyncAction sync_;
    QPointer<ListStore> store_;
    QTimer timer_;
    bool started_ = false;
};
