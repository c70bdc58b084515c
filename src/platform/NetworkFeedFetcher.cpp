#include "platform/NetworkFeedFetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <utility>

namespace {

bool isSecure(const QUrl& address) {
    return address.isValid() && address.scheme() == QLatin1String("https") &&
           !address.host().isEmpty();
}

} // namespace

NetworkFeedFetcher::NetworkFeedFetcher() : network_(std::make_unique<QNetworkAccessManager>()) {}

NetworkFeedFetcher::~NetworkFeedFetcher() = default;

void NetworkFeedFetcher::fetch(const QUrl& address, qsizetype maxBytes, Done done) {
    if (!isSecure(address)) {
        done(std::nullopt);
        return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = network_->get(request);
    // A document that grows past its bound is dropped as soon as that shows.
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, maxBytes](qint64 received, qint64 total) {
                         if (received > maxBytes || total > maxBytes)
                             reply->abort();
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, maxBytes, done] {
        reply->deleteLater();
        const bool fetched = reply->error() == QNetworkReply::NoError && isSecure(reply->url());
        const QByteArray body = fetched ? reply->readAll() : QByteArray();
        if (!fetched || body.size() > maxBytes) {
            done(std::nullopt);
            return;
        }
        done(body);
    });
}
