// The steady clock.
#include "MonotonicClock.h"

#include <chrono>

double SteadyClock::seconds() const {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since).count();
}
