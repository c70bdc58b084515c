#include "ui/window/LaunchTask.h"

bool LaunchTask::run() {
    if (hasRun_)
        return false;
    hasRun_ = true;
    steps_.startStore();
    steps_.startSyncCoordinator();
    steps_.rebuildDerivedCaches();
    steps_.refreshListIndex();
    return true;
}
