#include "platform/UpdateConfiguration.h"

#include "platform/Base64.h"
#include "platform/BundleInfo.h"

#ifndef TALLYBIRD_UPDATE_FEED
#error "TALLYBIRD_UPDATE_FEED must come from the build configuration"
#endif

UpdateConfiguration UpdateConfiguration::ofThisBuild() {
    UpdateConfiguration configuration;
    configuration.feed = QUrl(QStringLiteral(TALLYBIRD_UPDATE_FEED), QUrl::StrictMode);
    configuration.publicKey =
        Base64::decode(QStringLiteral(TALLYBIRD_UPDATE_PUBLIC_KEY)).value_or(QByteArray());
    configuration.currentVersion = BundleInfo::main().shortVersion.value_or(QString());
    return configuration;
}

bool UpdateConfiguration::canCheck() const {
    return feed.isValid() && feed.scheme() == QLatin1String("https") && !feed.host().isEmpty() &&
           publicKey.size() == 32;
}

QUrl UpdateConfiguration::signatureAddress() const {
    QUrl address = feed;
    address.setPath(feed.path() + QStringLiteral(".sig"));
    return address;
}
