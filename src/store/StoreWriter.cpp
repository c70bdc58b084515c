// The store writer's thread: it takes the newest state handed over, encodes it into the sink
// and reports the outcome, with everything it took from the owner, back to the owner's thread.
#include "StoreWriter.h"

#include "DiskV2.h"
#include "StoreEncodingCache.h"
#include "StoreFileSink.h"
#include "UnreadableCopies.h"

#include <exception>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

struct StoreWriter::Job {
    quint64 save = 0;
    DiskV2 state;
    Date now;
    // What the writer lets go of while it writes this state: cache entries and a cache that
    // was replaced. They share texts with the owner's state.
    std::vector<StoreEncodingCache::Entry> dropped;
    std::unique_ptr<StoreEncodingCache> replacedCache;
};

StoreWriter::StoreWriter(QString path, std::shared_ptr<StoreFileSink> sink)
    : path_(std::move(path)), signal_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      sink_(std::move(sink)), cache_(std::make_unique<StoreEncodingCache>()) {
    thread_ = std::thread([this] { run(); });
}

StoreWriter::~StoreWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
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

void StoreWriter::primeCache(StoreEncodingCache cache) {
    auto primed = std::make_unique<StoreEncodingCache>(std::move(cache));
    const std::lock_guard lock(mutex_);
    std::swap(primed_, primed);
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
    wake_.notify_one();
    // The replaced state is let go here, on the owner's thread and outside the lock.
    return requested_;
}

std::optional<StoreWriter::Report> StoreWriter::takeReport() {
    const std::lock_guard lock(mutex_);
    if (reports_.empty())
        return std::nullopt;
    Report report = std::move(reports_.front());
    reports_.pop_front();
    return report;
}

void StoreWriter::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !waiting_ && !busy_; });
}

void StoreWriter::run() {
    for (;;) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return waiting_ || stopping_; });
            if (!waiting_)
                return; // stopping, with nothing left to write
            job = std::move(waiting_);
            busy_ = true;
            if (primed_) {
                job->replacedCache = std::move(cache_);
                cache_ = std::move(primed_);
            }
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
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t written = ::write(signal_, &one, sizeof one);
        // Only once the save is reported: the owner answers meanwhile.
        sink->releaseReplaced();
        {
            const std::lock_guard lock(mutex_);
            busy_ = false;
            if (!waiting_)
                idle_.notify_all();
        }
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
