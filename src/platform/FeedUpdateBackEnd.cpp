#include "platform/FeedUpdateBackEnd.h"

#include <QPointer>

#include <utility>

namespace {
// A Base64 signature is under a hundred bytes; anything much longer is not one.
constexpr qsizetype maxSignatureBytes = 1024;
} // namespace

FeedUpdateBackEnd::FeedUpdateBackEnd(UpdateConfiguration configuration,
                                     std::shared_ptr<FeedFetcher> fetcher, QObject* parent)
    : UpdateBackEnd(parent), configuration_(std::move(configuration)),
      fetcher_(std::move(fetcher)) {}

void FeedUpdateBackEnd::start() {
    started_ = true;
    emit canCheckForUpdatesChanged(canCheckForUpdates());
}

bool FeedUpdateBackEnd::canCheckForUpdates() const {
    return started_ && !checking_ && configuration_.canCheck();
}

void FeedUpdateBackEnd::checkForUpdates() {
    if (!canCheckForUpdates())
        return;
    setChecking(true);
    const QPointer<FeedUpdateBackEnd> self(this);
    fetcher_->fetch(
        configuration_.feed, UpdateFeed::maxFeedBytes, [self](std::optional<QByteArray> feed) {
            if (!self)
                return;
            if (!feed) {
                self->finish({});
                return;
            }
            self->fetcher_->fetch(
                self->configuration_.signatureAddress(), maxSignatureBytes,
                [self, feed](std::optional<QByteArray> signature) {
                    if (!self)
                        return;
                    self->finish(signature ? UpdateFeed::read(*feed, *signature,
                                                              self->configuration_.publicKey,
                                                              self->configuration_.currentVersion)
                                           : UpdateCheckResult{});
                });
        });
}

void FeedUpdateBackEnd::setChecking(bool checking) {
    const bool could = canCheckForUpdates();
    checking_ = checking;
    if (canCheckForUpdates() != could)
        emit canCheckForUpdatesChanged(canCheckForUpdates());
}

void FeedUpdateBackEnd::finish(const UpdateCheckResult& result) {
    setChecking(false);
    emit checkFinished(result);
}
