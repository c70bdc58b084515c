#pragma once

#include "platform/FeedFetcher.h"
#include "platform/UpdateBackEnd.h"
#include "platform/UpdateConfiguration.h"

#include <memory>

// Checks the build's signed update feed. With no usable feed configured it can never check.
// One check runs at a time; while it runs no other can start.
class FeedUpdateBackEnd final : public UpdateBackEnd {
    Q_OBJECT
public:
    FeedUpdateBackEnd(UpdateConfiguration configuration, std::shared_ptr<FeedFetcher> fetcher,
                      QObject* parent = nullptr);

    void start() override;
    bool canCheckForUpdates() const override;
    void checkForUpdates() override;

private:
    void setChecking(bool checking);
    void finish(const UpdateCheckResult& result);

    UpdateConfiguration configuration_;
    std::shared_ptr<FeedFetcher> fetcher_;
    bool started_ = false;
    bool checking_ = false;
};
