// A store file sink that writes as the program does but holds every write until the test opens
// it: for tests that look at what happens while a save is on its way to the disk. Tests that use
// it link the store.
#pragma once

#include "store/StoreFileSink.h"

#include <condition_variable>
#include <mutex>

class HeldSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        {
            std::unique_lock lock(mutex_);
            ++arrived_;
            changed_.notify_all();
            changed_.wait(lock, [this] { return open_; });
        }
        return StoreFileSink::unsynced()->replace(path, content, error);
    }
    // How many writes have reached the sink so far, held or not.
    int arrived() {
        const std::lock_guard lock(mutex_);
        return arrived_;
    }
    void waitForWrite() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return arrived_ > 0; });
    }
    // Lets every held write and every later one through.
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int arrived_ = 0;
    bool open_ = false;
};
