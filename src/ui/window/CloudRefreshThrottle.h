#pragma once

#include "platform/Clock.h"
#include "platform/Date.h"

#include <optional>

// Lets at most one cloud refresh start within any three seconds. The time kept is when the last
// refresh started, not when it ended, so a slow or failed refresh never holds back the next one
// for longer. A clock that went backwards lets a refresh start at once.
class CloudRefreshThrottle {
public:
    static constexpr double minimumGapSeconds = 3.0;

    explicit CloudRefreshThrottle(const Clock& clock) : clock_(clock) {}

    // Whether a refresh may start now; when it may, now becomes the last start.
    bool claim();
    // When the last refresh was let through; none until the first.
    std::optional<Date> lastCloudRefresh() const { return lastCloudRefresh_; }

private:
    const Clock& clock_;
    std::optional<Date> lastCloudRefresh_;
};
