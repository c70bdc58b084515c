#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace cloud {

// The threads the cloud's work runs on: a sync engine's operations, which wait for the owner's
// thread at every event they report, and the databases' direct look-ups, which wait for the
// container (for as long as a sync pass holds it, or a server takes to answer).
//
// Never QThreadPool::globalInstance() for such work: Qt's own painting splits a large fill over
// that pool and waits for it on the main thread, and on one CPU the pool has one thread. An
// operation there that waits for the main thread while the main thread paints holds both for
// ever. Nothing the main thread waits for runs here (a quitting program that waits for this
// pool's work runs meanwhile the calls that work waits for), so it is never held that way.
//
// Its size does not follow the CPUs: its work waits more than it computes, and a few threads let
// a look-up go past a long sync pass. A thread, once started, stays until the pool ends.
//
// Made at first use, from any thread. It ends with the application object, as Qt's own pool
// does, and waits for the work still running then: a program releases its engines before (a
// released engine's operation waits for nobody), or ends without tearing anything down.
//
// Its threads are its own, and it ends by joining them. A thread of a QThreadPool counts as
// ended before its libraries' per-thread clean-up has run: libcrypto, which libpq uses to sign
// in, frees a thread's state then, and tears itself down in an exit handler. A program that
// went on to its exit handlers meanwhile died in that thread.
class WorkerPool {
public:
    static WorkerPool& instance();

    // Runs `work` on one of the pool's threads, at once when one is free.
    void start(std::function<void()> work);
    // Waits until no work is queued or running, or `msecs` have passed (never, when negative);
    // whether none is. What a finished work held is let go by then.
    bool waitForDone(int msecs = -1);
    // Whether work is queued or running.
    bool busy();

    WorkerPool() = default;
    // Waits for the work, then for the threads.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

private:
    void run();

    std::mutex mutex_;
    std::condition_variable workCame_;
    std::condition_variable workDone_;
    std::deque<std::function<void()>> queue_;
    std::vector<std::thread> threads_;
    int idle_ = 0;    // threads waiting for work
    int running_ = 0; // works under way
    bool ending_ = false;
};

} // namespace cloud
