#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <optional>

// The outcome of one check for a newer version, for the user to read.
struct UpdateCheckResult {
    enum class Kind {
        upToDate,  // the feed offers this version or an older one
        available, // the feed offers a newer version
        failed // the feed could not be fetched, was not signed by its publisher, or was unreadable
    };
    Kind kind = Kind::failed;
    QString version;              // the feed's version (upToDate, available)
    QString notes;                // what is new, plain text (available)
    std::optional<QUrl> download; // an https page to get it from (available; may be absent)

    bool operator==(const UpdateCheckResult&) const = default;
};
Q_DECLARE_METATYPE(UpdateCheckResult)

// The update feed: a JSON object {"version": "1.2.0", "notes": "...", "downloadPage":
// "https://..."} with a detached Ed25519 signature of its exact bytes, in Base64, beside it.
// Nothing of the feed is trusted before the signature is checked.
namespace UpdateFeed {

constexpr qsizetype maxFeedBytes = 256 * 1024;
constexpr qsizetype maxNotesLength = 20'000;

// The result the feed gives a program at `currentVersion`; failed unless `signatureText` is the
// publisher's signature of `feed` and the feed is well formed.
UpdateCheckResult read(const QByteArray& feed, const QByteArray& signatureText,
                       const QByteArray& publicKey, const QString& currentVersion);

} // namespace UpdateFeed
