#pragma once

#include "Date.h"

#include <memory>

// The source of the current time. Code that needs "now" takes a Clock so tests can fix time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;

    // The process-wide clock: the system clock unless a test installed another.
    static const Clock& shared();
    static void setShared(std::shared_ptr<const Clock> clock); // nullptr restores the system clock
};

class SystemClock final : public Clock {
public:
    Date now() const override;
};

// A clock that stands still until it is moved; for tests.
class FixedClock final : public Clock {
public:
    explicit FixedClock(Date now) : now_(now) {}
    Date now() const override { return now_; }
    void set(Date now) { now_ = now; }
    void advance(double seconds) { now_ = now_.addingSeconds(seconds); }

private:
    Date now_;
};
