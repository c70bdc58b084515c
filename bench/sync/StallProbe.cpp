#include "StallProbe.h"

#include <QMetaObject>

#include <memory>

StallProbe::StallProbe(QObject* context) : context_(context), thread_([this] { run(); }) {}

StallProbe::~StallProbe() {
    stop_ = true;
    thread_.join();
}

void StallProbe::run() {
    using Clock = std::chrono::steady_clock;
    while (!stop_) {
        // Shared with the posted call, which may run after this loop has given up on it.
        auto answered = std::make_shared<std::atomic<bool>>(false);
        const auto posted = Clock::now();
        QMetaObject::invokeMethod(
            context_, [answered] { *answered = true; }, Qt::QueuedConnection);
        while (!*answered && !stop_)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        if (*answered) {
            const long long waited =
                std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - posted).count();
            long long longest = longestNs_.load();
            while (waited > longest && !longestNs_.compare_exchange_weak(longest, waited)) {
            }
            ++samples_;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
