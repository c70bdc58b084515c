#include "WorkerPool.h"

#include <QCoreApplication>

#include <pthread.h>

#include <chrono>
#include <utility>

namespace cloud {

namespace {

constexpr int threads = 4;

std::mutex poolMutex;
WorkerPool* pool = nullptr; // made at first use, ended by endPool()

// Called by the application object as it ends, on its thread. Work still running may make the
// next pool meanwhile; that one ends in the same turn.
void endPool() {
    WorkerPool* ending = nullptr;
    {
        std::lock_guard lock(poolMutex);
        ending = std::exchange(pool, nullptr);
    }
    delete ending; // waits for its work and its threads
}

} // namespace

WorkerPool& WorkerPool::instance() {
    std::lock_guard lock(poolMutex);
    if (!pool) {
        pool = new WorkerPool;
        qAddPostRoutine(endPool);
    }
    return *pool;
}

void WorkerPool::start(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
    ++running_;
    if (int(queue_.size()) <= idle_ || int(threads_.size()) >= threads) {
        workCame_.notify_one();
        return;
    }
    threads_.emplace_back([this] { run(); });
    pthread_setname_np(threads_.back().native_handle(), "cloud worker");
}

bool WorkerPool::waitForDone(int msecs) {
    std::unique_lock lock(mutex_);
    const auto done = [this] { return running_ == 0; };
    if (msecs < 0) {
        workDone_.wait(lock, done);
        return true;
    }
    return workDone_.wait_for(lock, std::chrono::milliseconds(msecs), done);
}

bool WorkerPool::busy() {
    std::lock_guard lock(mutex_);
    return running_ > 0;
}

// A thread ends once no work is left, so work that its work starts here is done first.
WorkerPool::~WorkerPool() {
    std::unique_lock lock(mutex_);
    ending_ = true;
    workCame_.notify_all();
    // Joined, not only told to end: a joined thread has run its per-thread clean-up.
    while (!threads_.empty()) {
        std::thread thread = std::move(threads_.back());
        threads_.pop_back();
        lock.unlock();
        thread.join();
        lock.lock();
    }
}

void WorkerPool::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        workCame_.wait(lock, [this] { return !queue_.empty() || ending_; });
        --idle_;
        if (queue_.empty())
            return;
        std::function<void()> work = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        work();
        // What the work holds goes before it counts as done.
        work = nullptr;
        lock.lock();
        if (--running_ == 0)
            workDone_.notify_all();
    }
}

} // namespace cloud
