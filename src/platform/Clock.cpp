#include "Clock.h"

#include <QDateTime>

#include <mutex>

namespace {
std::mutex sharedMutex;
std::shared_ptr<const Clock> sharedClock;
} // namespace

Date SystemClock::now() const {
    return Date::fromUnixSeconds(double(QDateTime::currentMSecsSinceEpoch()) / 1000.0);
}

const Clock& Clock::shared() {
    static const SystemClock system;
    std::lock_guard lock(sharedMutex);
    return sharedClock ? *sharedClock : system;
}

void Clock::setShared(std::shared_ptr<const Clock> clock) {
    std::lock_guard lock(sharedMutex);
    sharedClock = std::move(clock);
}
