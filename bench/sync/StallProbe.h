#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <thread>

// Measures how long the thread that owns `context` (the UI thread in the program) keeps its
// event loop from answering: while a probe lives, a thread of its own posts a small event to
// that thread every millisecond, waits until it has run, and keeps the longest wait. That wait
// is what a window shows as not answering, whatever kept the loop busy.
class StallProbe {
public:
    explicit StallProbe(QObject* context);
    ~StallProbe();
    StallProbe(const StallProbe&) = delete;
    StallProbe& operator=(const StallProbe&) = delete;

    // The longest wait so far, in milliseconds; read after the work, from any thread.
    double longestMs() const { return double(longestNs_.load()) / 1e6; }
    // How many waits were measured.
    long samples() const { return samples_.load(); }

private:
    void run();

    QObject* context_;
    std::atomic<bool> stop_{false};
    std::atomic<long long> longestNs_{0};
    std::atomic<long> samples_{0};
    std::thread thread_;
};
