#pragma once

#include "ui/sound/MonotonicClock.h"

// A monotonic clock that moves only when a test moves it.
class ManualMonotonicClock final : public MonotonicClock {
public:
    double seconds() const override { return now; }
    void advance(double by) { now += by; }
    double now = 1000;
};
