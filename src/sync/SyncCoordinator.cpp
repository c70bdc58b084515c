// The sync trigger: one pass a second after the last of a burst of store changes.
#include "SyncCoordinator.h"

#include "CloudRefresh.h"

SyncCoordinator::SyncCoordinator(SyncAction sync, QObject* parent)
    : QObject(parent), sync_(std::move(sync)) {
    timer_.setSingleShot(true);
    timer_.setInterval(debounceMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &SyncCoordinator::debounced);
}

void SyncCoordinator::start(ListStore& store) {
    if (started_)
        return;
    started_ = true;
    store_ = &store;
    // Each change restarts the wait, so a run of edits gives one pass.
    connect(&store, &ListStore::changed, &timer_, qOverload<>(&QTimer::start));
}

void SyncCoordinator::fireNow() {
    if (!timer_.isActive())
        return;
    timer_.stop();
    debounced();
}

void SyncCoordinator::debounced() {
    if (!store_)
        return;
    if (CloudRefresh::hasUnsentChanges(store_->dirtyLists(), store_->dirtyItems(),
                                       store_->dirtyFilings(), store_->dirtyTombstones()))
        sync_(*store_);
}
