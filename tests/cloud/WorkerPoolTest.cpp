// The cloud's work goes on while Qt's own pool is held, as the window's painting holds it while
// it waits for a fill split over that pool: on one CPU the pool has one thread, and a sync pass
// queued there behind the paint would wait for the very thread that waits for the paint. And a
// program that ends goes on to its exit handlers only once the pool's threads have ended.
#include "BackendFixture.h"

#include "cloud/WorkerPool.h"
#include "support/CompletionWait.h"

#include <QProcess>
#include <QSemaphore>
#include <QThreadPool>

using namespace cloudtest;

namespace {

// A wait far longer than the memory container's operations take.
constexpr std::chrono::seconds heldPoolBound(10);

// Holds Qt's pool, limited to one thread as on one CPU, until it goes.
class HeldQtPool {
public:
    HeldQtPool() : pool_(QThreadPool::globalInstance()), threads_(pool_->maxThreadCount()) {
        pool_->setMaxThreadCount(1);
        pool_->start([this] {
            started_.release();
            let_go_.acquire();
        });
        held_ = started_.tryAcquire(1, 10'000);
    }
    ~HeldQtPool() {
        let_go_.release();
        pool_->waitForDone();
        pool_->setMaxThreadCount(threads_);
    }
    bool held() const { return held_; }

private:
    QThreadPool* const pool_;
    const int threads_;
    QSemaphore started_;
    QSemaphore let_go_;
    bool held_ = false;
};

class WorkerPoolTest : public BackendTest {};

const ZoneID heldPoolZone = zone(QStringLiteral("TB-L"));

TEST_P(WorkerPoolTest, SyncPassesAndLookUpsEndWhileQtsPoolIsHeld) {
    enum class Work { send, fetch, lookUp };
    const struct {
        const char* what;
        Work work;
    } cases[] = {
        {"a send, which hands every event to the owner's thread", Work::send},
        {"a fetch", Work::fetch},
        {"a look-up of one record", Work::lookUp},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        // Made first and gone last: an engine released before it is let go waits for nobody.
        HeldQtPool held;
        ASSERT_TRUE(held.held());
        auto mac = device(QStringLiteral("mac"));
        queueSaves(mac.e(), mac.d(),
                   {note(QStringLiteral("a"), heldPoolZone, QStringLiteral("x"))});
        bool ended = false;
        switch (row.work) {
        case Work::send:
        case Work::fetch:
            ended = testsupport::waitForCompletion<std::optional<CloudError>>(
                        [&](SyncEngine::Completion done) {
                            if (row.work == Work::send)
                                mac.e().sendChanges(std::move(done));
                            else
                                mac.e().fetchChanges(std::move(done));
                        },
                        heldPoolBound)
                        .has_value();
            break;
        case Work::lookUp: {
            QObject context;
            ended = testsupport::waitForCompletion<Result<Record>>(
                        [&](std::function<void(Result<Record>)> done) {
                            mac.e().database().fetchRecord(RecordID{"a", heldPoolZone}, &context,
                                                           std::move(done));
                        },
                        heldPoolBound)
                        .has_value();
            break;
        }
        }
        EXPECT_TRUE(ended) << "it waited for Qt's pool";
    }
    EXPECT_TRUE(cloud::WorkerPool::instance().waitForDone(10'000));
}

INSTANTIATE_TEST_SUITE_P(Memory, WorkerPoolTest, ::testing::Values(Storage::memory), backendName);

// A worker that has run libpq leaves per-thread state with its TLS library, which frees it as the
// thread ends and tears itself down in an exit handler: a program whose exit handlers run while
// a worker is still freeing that state dies in the worker. The probe's threads take long to free
// theirs, so a pool that does not wait for them is caught.
TEST(WorkerPoolEnd, AProgramEndsOnlyOnceItsWorkersHaveEnded) {
    for (int run = 0; run < 3; ++run) {
        QProcess probe;
        probe.start(QStringLiteral(WORKER_POOL_END_PROBE), {});
        ASSERT_TRUE(probe.waitForFinished(60'000));
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(probe.exitCode(), 0)
            << "the exit handlers ran while a worker was still freeing its per-thread state";
    }
}

} // namespace
