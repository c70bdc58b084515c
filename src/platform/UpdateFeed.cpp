#include "platform/UpdateFeed.h"

#include "platform/Base64.h"
#include "platform/Ed25519.h"
#include "platform/JsonRead.h"

#include <QVersionNumber>

namespace UpdateFeed {

namespace {

UpdateCheckResult failed() {
    return {};
}

std::optional<QString> textField(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return std::nullopt;
    return JsonRead::toQString(found->get<std::string>());
}

// A version is dotted numbers and nothing else, so "1.2" and "1.2.0" are the same version.
std::optional<QVersionNumber> versionNumber(const QString& text) {
    qsizetype suffixStart = 0;
    const QVersionNumber version = QVersionNumber::fromString(text, &suffixStart);
    if (version.isNull() || suffixStart != text.size())
        return std::nullopt;
    return version.normalized();
}

} // namespace

UpdateCheckResult read(const QByteArray& feed, const QByteArray& signatureText,
                       const QByteArray& publicKey, const QString& currentVersion) {
    if (feed.size() > maxFeedBytes)
        return failed();
    const std::optional<QByteArray> signature = Base64::decode(signatureText.trimmed());
    if (!signature || !Ed25519::verify(feed, *signature, publicKey))
        return failed();
    Json json;
    try {
        json = JsonRead::parse(feed);
    } catch (const std::exception&) {
        return failed();
    }
    if (!json.is_object())
        return failed();
    const std::optional<QString> versionText = textField(json, "version");
    const std::optional<QVersionNumber> offered =
        versionText ? versionNumber(*versionText) : std::nullopt;
    const std::optional<QVersionNumber> current = versionNumber(currentVersion);
    if (!offered || !current)
        return failed();

    UpdateCheckResult result;
    result.version = *versionText;
    if (*offered <= *current) {
        result.kind = UpdateCheckResult::Kind::upToDate;
        return result;
    }
    result.kind = UpdateCheckResult::Kind::available;
    result.notes = textField(json, "notes").value_or(QString()).left(maxNotesLength);
    // Only a secure page is ever offered to be opened.
    if (const std::optional<QString> page = textField(json, "downloadPage")) {
        const QUrl url(*page, QUrl::StrictMode);
        if (url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty())
            result.download = url;
    }
    return result;
}

} // namespace UpdateFeed
