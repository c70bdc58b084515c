#pragma once

// The work the program does once its window is first shown, in this order: start the store
// (its sync engines, tombstone pruning, share flags), start the sync coordinator, build the
// store's derived caches, and refresh the list index from the lists in display order. Nothing
// waits between the steps.
class LaunchSteps {
public:
    virtual ~LaunchSteps() = default;
    virtual void startStore() = 0;
    virtual void startSyncCoordinator() = 0;
    virtual void rebuildDerivedCaches() = 0;
    virtual void refreshListIndex() = 0;
};

// Runs the steps the first time it is asked and never again.
class LaunchTask {
public:
    explicit LaunchTask(LaunchSteps& steps) : steps_(steps) {}

    // False when it had already run.
    bool run();
    bool hasRun() const { return hasRun_; }

private:
    LaunchSteps& steps_;
    bool hasRun_ = false;
};
