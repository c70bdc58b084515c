#pragma once

#include "store/StoreFileSink.h"

#include <atomic>

// Replaces the store file as the tests' stores do until told to refuse, as a full disk would:
// then nothing is written and the write fails with an error.
class SwitchableSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        if (failing.load()) {
            *error = QStringLiteral("No space left on device");
            return false;
        }
        return StoreFileSink::unsynced()->replace(path, content, error);
    }
    std::atomic<bool> failing{false};
};
