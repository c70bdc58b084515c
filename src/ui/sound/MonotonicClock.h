#pragma once

// Seconds on a clock that only moves forward, whatever happens to the wall clock; for measuring
// intervals. Tests give a clock they move by hand.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual double seconds() const = 0;
};

// std::chrono::steady_clock.
class SteadyClock final : public MonotonicClock {
public:
    double seconds() const override;
};
