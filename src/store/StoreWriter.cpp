// The store writer's thread: it takes the newest state handed over, encodes it into the sink
// and reports the outcome, with everything it took from the owner, back to the owner's thread.
#include "StoreWriter.h"

#include "DiskV2.h"
#include "StoreEncodingCache.h"
#include "StoreFileSink.h"
#include "UnreadableCopies.h"

#include <exception>
#include <functional>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

struct StoreWriter::Job {
    quint64 save = 0;
    DiskV2 state;
    Date now;
    // What the writer lets go of while it writes this state: cache entries, and items it was
    // to encode ahead that this save encodes instead. They share texts with the owner's state.
    std::vector<StoreEncodingCache::Entry> dropped;
    std::unique_ptr<QList<TBItem>> notPrimed;
};

StoreWriter::StoreWriter(QString path, std::shared_ptr<StoreFileSink> sink)
    : path_(std::move(path)), signal_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      sink_(std::move(sink)), cache_(std::make_unique<StoreEncodingCache>()) {
    thread_ = std::thread([this] { run(); });
    // Set from here, so that they hold from the first save on.
    pthread_setname_np(thread_.native_handle(), threadName());
    sched_param batch{};
    pthread_setschedparam(thread_.native_handle(), SCHED_BATCH, &batch);
}

namespace {

// Woken at batch priority, the writer never takes the core of the thread that woke it: it runs
// beside it, or once it waits. At work it is an ordinary thread again, so that when every core
// is busy its returns from the disk are not each left to wait their turn behind the others.
void setPolicy(int policy) {
    sched_param param{};
    pthread_setschedparam(pthread_self(), policy, &param);
}

} // namespace

StoreWriter::~StoreWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    interrupted_ = true;
    wake_.notify_all();
    thread_.join();
    if (signal_ >= 0)
        ::close(signal_);
}

void StoreWriter::clearReportSignal() {
    quint64 count = 0;
    [[maybe_unused]] const ssize_t read = ::read(signal_, &count, sizeof count);
}

void StoreWriter::setSink(std::shared_ptr<StoreFileSink> sink) {
    const std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

void StoreWriter::keepCopyBeforeFirstWrite() {
    const std::lock_guard lock(mutex_);
    copyFirst_ = true;
}

void StoreWriter::primeCache(QList<TBItem> items) {
    auto toPrime = std::make_unique<QList<TBItem>>(std::move(items));
    {
        const std::lock_guard lock(mutex_);
        std::swap(toPrime_, toPrime);
    }
    wake_.notify_one();
}

void StoreWriter::takeBackPrimed() {
    std::unique_ptr<QList<TBItem>> notBegun;
    std::vector<std::shared_ptr<const void>> handedBack;
    {
        std::unique_lock lock(mutex_);
        notBegun = std::move(toPrime_);
        if (priming_) {
            // Stopped after the item it is encoding: a moment's wait.
            interrupted_ = true;
            idle_.wait(lock, [this] { return !priming_; });
        }
        handedBack.swap(handedBack_);
    }
    // Let go of here, after the lock.
}

quint64 StoreWriter::save(DiskV2 state, Date now) {
    auto job = std::make_unique<Job>();
    job->save = ++requested_;
    job->state = std::move(state);
    job->now = now;
    std::unique_ptr<Job> replaced;
    {
        const std::lock_guard lock(mutex_);
        // A state still waiting is older than this one, which holds all of its changes.
        replaced = std::exchange(waiting_, std::move(job));
    }
    interrupted_ = true;
    wake_.notify_one();
    // The replaced state is let go here, on the owner's thread and outside the lock.
    return requested_;
}

std::optional<StoreWriter::Report> StoreWriter::takeReport() {
    std::vector<std::shared_ptr<const void>> handedBack;
    const std::lock_guard lock(mutex_);
    handedBack.swap(handedBack_); // let go of below, after the lock
    if (reports_.empty())
        return std::nullopt;
    Report report = std::move(reports_.front());
    reports_.pop_front();
    return report;
}

void StoreWriter::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !waiting_ && !toPrime_ && !busy_; });
}

void StoreWriter::run() {
    for (;;) {
        std::unique_ptr<Job> job;
        std::unique_ptr<QList<TBItem>> toPrime;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return waiting_ || toPrime_ || stopping_; });
            if (waiting_) {
                job = std::move(waiting_);
                // A save encodes what is not in the cache yet: nothing is left to do ahead.
                job->notPrimed = std::move(toPrime_);
            } else if (toPrime_ && !stopping_) {
                toPrime = std::move(toPrime_);
                priming_ = true;
            } else {
                return; // stopping, with nothing left to write
            }
            busy_ = true;
        }
        setPolicy(SCHED_OTHER);
        if (toPrime) {
            prime(*toPrime);
            rest([&] {
                // The owner lets go of the items at its next look at the reports, or when it
                // takes them back.
                handedBack_.push_back(std::shared_ptr<const QList<TBItem>>(std::move(toPrime)));
                priming_ = false;
                idle_.notify_all();
            });
            signalReport();
            continue;
        }
        std::shared_ptr<StoreFileSink> sink;
        {
            const std::lock_guard lock(mutex_);
            sink = sink_;
        }
        Report report = write(*job, *sink);
        report.handedBack = std::shared_ptr<const Job>(std::move(job));
        {
            const std::lock_guard lock(mutex_);
            reports_.push_back(std::move(report));
        }
        signalReport();
        // Only once the save is reported: the owner answers meanwhile.
        sink->releaseReplaced();
        rest([] {});
    }
}

void StoreWriter::rest(const std::function<void()>& underLock) {
    setPolicy(SCHED_BATCH);
    const std::lock_guard lock(mutex_);
    underLock();
    busy_ = false;
    if (!waiting_)
        idle_.notify_all();
}

void StoreWriter::signalReport() {
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t written = ::write(signal_, &one, sizeof one);
}

void StoreWriter::prime(const QList<TBItem>& items) {
    // Only a cache that no save has filled yet: entries are never let go of on this thread.
    if (!cache_->entries.empty())
        return;
    cache_->entries.reserve(size_t(items.size()));
    for (const TBItem& item : items) {
        // A save or the end cuts it short: the entries made so far are the first items', which
        // is all a save needs of them.
        if (interrupted_.load(std::memory_order_relaxed))
            return;
        cache_->entries.push_back({item, DiskV2::encodeItem(item)});
    }
}

StoreWriter::Report StoreWriter::write(Job& job, StoreFileSink& sink) {
    Report report{job.save, false, {}, false, {}, {}};
    bool copyFirst = false;
    {
        const std::lock_guard lock(mutex_);
        copyFirst = copyFirst_;
    }
    if (copyFirst) {
        const std::optional<QString> copy = UnreadableCopies::keepCopy(path_, job.now);
        if (!copy) {
            report.error = QStringLiteral("A copy of the unreadable store file could not be kept.");
            return report;
        }
        report.copiedAside = true;
        report.copy = *copy;
        const std::lock_guard lock(mutex_);
        copyFirst_ = false;
    }
    const auto content = [&](QIODevice& device) {
        try {
            return job.state.encode(device, cache_.get());
        } catch (const std::exception&) {
            return false;
        }
    };
    report.ok = sink.replace(path_, content, &report.error);
    job.dropped = std::exchange(cache_->dropped, {});
    return report;
}
