#include "WorkerPool.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <mutex>
#include <utility>

namespace cloud {

namespace {

constexpr int threads = 4;

std::mutex poolMutex;
QThreadPool* pool = nullptr; // made at first use, ended by endPool()

// Called by the application object as it ends, on its thread. Work still running may make the
// next pool meanwhile; that one ends in the same turn.
void endPool() {
    QThreadPool* ending = nullptr;
    {
        std::lock_guard lock(poolMutex);
        ending = std::exchange(pool, nullptr);
    }
    delete ending; // waits for its work
}

} // namespace

QThreadPool& WorkerPool::instance() {
    std::lock_guard lock(poolMutex);
    if (!pool) {
        pool = new QThreadPool;
        pool->setMaxThreadCount(threads);
        // Made on a worker thread, it still belongs to the thread that ends it.
        if (const QCoreApplication* application = QCoreApplication::instance())
            pool->moveToThread(application->thread());
        qAddPostRoutine(endPool);
    }
    return *pool;
}

} // namespace cloud
