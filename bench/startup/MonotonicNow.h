#pragma once

#include <ctime>

// Nanoseconds on the clock every process of the machine shares, so a child's moment can be
// set against its parent's.
inline long long monotonicNowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}
