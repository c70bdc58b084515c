#include "lexicon/LexiconStore.h"

#include "lexicon/LexiconVerifier.h"
#include "platform/AppPaths.h"
#include "platform/Base64.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

const QString LexiconStore::packFileName = QStringLiteral("adopted-pack.json");
const QString LexiconStore::signatureFileName = QStringLiteral("adopted-pack.sig");

namespace {

// A signature file holds 88 characters; anything far longer cannot be one.
constexpr qint64 maxSignatureFileBytes = 4096;

// The whole file, or nothing when it is missing, unreadable, not a regular file or longer than
// `limit`. The limit is checked before reading and again while reading, in case the file grows
// in between.
std::optional<QByteArray> readBounded(const QString& path, qint64 limit) {
    return RegularFile::read(path, nullptr, limit);
}

LexiconPack shippedPack(const QString& path) {
    if (path.isEmpty()) {
        return LexiconPack::empty();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return LexiconPack::empty();
    }
    try {
        return LexiconPack::decode(file.readAll());
    } catch (const DecodeError&) {
        return LexiconPack::empty();
    }
}

} // namespace

LexiconStore::LexiconStore(const LexiconBundle& bundle,
                           const std::optional<QString>& cacheDirectory, qint64 build) {
    using LexiconResolution::Candidate;
    using LexiconResolution::Source;

    const LexiconPack shipped = shippedPack(bundle.packPath);
    const std::optional<CachedPack> cached = cachedPack(cacheDirectory, bundle.publicKeyBase64);

    const Candidate bundled{Source::bundled, shipped.version, shipped.minBuild, true};
    QList<Candidate> others;
    if (cached) {
        others.append({Source::cached, cached->pack.version, cached->pack.minBuild,
                       cached->isSignatureValid});
    }
    const Candidate adopted = LexiconResolution::adopt(bundled, others, build);
    source_ = adopted.source;
    pack_ = (adopted.source == Source::cached && cached) ? cached->pack : shipped;
    categoryIndex_ = pack_.categoryIndex();
    vocabulary_ = LexiconVocabulary(categoryIndex_, pack_.aliasIndex());
}

const LexiconStore& LexiconStore::shared() {
    static const LexiconStore store = [] {
        const LexiconBundle bundle = LexiconBundle::app();
        return LexiconStore(bundle, cacheDirectory(), currentBuild(bundle));
    }();
    return store;
}

std::optional<QString> LexiconStore::cacheDirectory() {
    const QString data = AppPaths::dataDir();
    if (data.isEmpty() || !QFileInfo(data).isDir()) {
        return std::nullopt;
    }
    return QDir(data).filePath(QStringLiteral("Lexicon"));
}

qint64 LexiconStore::currentBuild(const LexiconBundle& bundle) {
    const QString& text = bundle.buildVersion;
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size()) {
        return 0;
    }
    // Accumulated on the negative side, which holds one more value than the positive side.
    qint64 value = 0;
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return 0;
        }
        const int digit = c - u'0';
        if (value < (lowest + digit) / 10) {
            return 0;
        }
        value = value * 10 - digit;
    }
    if (negative) {
        return value;
    }
    if (value == lowest) {
        return 0;
    }
    return -value;
}

std::optional<LexiconStore::CachedPack>
LexiconStore::cachedPack(const std::optional<QString>& directory, const QString& publicKeyBase64) {
    if (!directory) {
        return std::nullopt;
    }
    const QDir folder(*directory);
    const std::optional<QByteArray> bytes =
        readBounded(folder.filePath(packFileName), maxCachedPackBytes);
    if (!bytes) {
        return std::nullopt;
    }
    CachedPack cached;
    try {
        cached.pack = LexiconPack::decode(*bytes);
    } catch (const DecodeError&) {
        return std::nullopt;
    }

    std::optional<QByteArray> signature;
    if (const auto text = readBounded(folder.filePath(signatureFileName), maxSignatureFileBytes)) {
        signature = Base64::decode(*text);
    }
    const std::optional<QByteArray> key = Base64::decode(publicKeyBase64);
    cached.isSignatureValid = key && LexiconVerifier::isTrusted(*bytes, signature, *key);
    return cached;
}
