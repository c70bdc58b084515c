#pragma once

#include "lexicon/LexiconBundle.h"
#include "lexicon/LexiconPack.h"
#include "lexicon/LexiconResolution.h"
#include "lexicon/LexiconVocabulary.h"

#include <QHash>
#include <QString>

#include <optional>

// The vocabulary pack this process uses, chosen once: the shipped pack, or a newer signed pack
// already placed in the cache folder ("Lexicon" in the data folder) before launch.
class LexiconStore {
public:
    // A cached pack larger than this is refused without being read whole.
    static constexpr qint64 maxCachedPackBytes = 16 * 1024 * 1024;
    static const QString packFileName;      // "adopted-pack.json"
    static const QString signatureFileName; // "adopted-pack.sig"

    LexiconStore(const LexiconBundle& bundle, const std::optional<QString>& cacheDirectory,
                 qint64 build);

    // The one store of the process, built on first use from the compiled-in bundle.
    static const LexiconStore& shared();

    // "Lexicon" inside the data folder, or nothing when the data folder is unavailable. The
    // "Lexicon" folder itself is not created.
    static std::optional<QString> cacheDirectory();

    // The bundle's build number: an optional sign and ASCII digits within 64 bits; anything
    // else is 0.
    static qint64 currentBuild(const LexiconBundle& bundle);

    const LexiconPack& pack() const { return pack_; }
    LexiconResolution::Source source() const { return source_; }
    const QHash<QString, QString>& categoryIndex() const { return categoryIndex_; }
    const LexiconVocabulary& vocabulary() const { return vocabulary_; }

private:
    struct CachedPack {
        LexiconPack pack;
        bool isSignatureValid = false;
    };
    static std::optional<CachedPack> cachedPack(const std::optional<QString>& directory,
                                                const QString& publicKeyBase64);

    LexiconPack pack_;
    LexiconResolution::Source source_ = LexiconResolution::Source::bundled;
    QHash<QString, QString> categoryIndex_;
    LexiconVocabulary vocabulary_;
};
