#include "ui/window/CloudRefreshThrottle.h"

bool CloudRefreshThrottle::claim() {
    const Date now = clock_.now();
    if (lastCloudRefresh_) {
        const double gap = now.secondsSince(*lastCloudRefresh_);
        if (gap >= 0 && gap < minimumGapSeconds)
            return false;
    }
    lastCloudRefresh_ = now;
    return true;
}
