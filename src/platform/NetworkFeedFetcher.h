#pragma once

#include "platform/FeedFetcher.h"

#include <memory>

class QNetworkAccessManager;

// Fetches over https only: a plain address, or a redirect to one, fails. A document longer than
// its bound, or one that takes too long, fails as well.
class NetworkFeedFetcher final : public FeedFetcher {
public:
    static constexpr int timeoutMs = 30'000;

    NetworkFeedFetcher();
    ~NetworkFeedFetcher() override;
    void fetch(const QUrl& address, qsizetype maxBytes, Done done) override;

private:
    std::unique_ptr<QNetworkAccessManager> network_;
};
