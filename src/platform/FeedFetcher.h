#pragma once

#include <QByteArray>
#include <QUrl>

#include <functional>
#include <optional>

// Fetches one document for the update check. The answer comes later, on the main thread; none
// when the document could not be fetched whole.
class FeedFetcher {
public:
    using Done = std::function<void(std::optional<QByteArray>)>;
    virtual ~FeedFetcher() = default;
    virtual void fetch(const QUrl& address, qsizetype maxBytes, Done done) = 0;
};
