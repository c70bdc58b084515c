#include "lexicon/LexiconStore.h"

#include "SigningKeys.h"
#include "platform/AppPaths.h"
#include "platform/Base64.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using LexiconResolution::Candidate;
using LexiconResolution::Source;

namespace {

QByteArray packJson(int version, int minBuild, const char* word) {
    return QStringLiteral(R"({"version":%1,"minBuild":%2,"categories":{"dairy":["%3"]}})")
        .arg(version)
        .arg(minBuild)
        .arg(QString::fromUtf8(word))
        .toUtf8();
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A shipped pack (version 3, the word "milk") and a cache folder, signed by a fixed publisher.
class LexiconStoreFiles : public ::testing::Test {
protected:
    SigningKeys publisher{'p'};
    QTemporaryDir root;
    LexiconBundle bundle;
    QString cache;

    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        bundle.packPath = root.filePath("lexicon-pack.json");
        bundle.publicKeyBase64 = Base64::encode(publisher.publicKey);
        write(bundle.packPath, packJson(3, 0, "milk"));
        cache = root.filePath("Lexicon");
        ASSERT_TRUE(QDir().mkpath(cache));
    }

    void placeCached(const QByteArray& pack, const QByteArray& signatureText) {
        write(QDir(cache).filePath("adopted-pack.json"), pack);
        write(QDir(cache).filePath("adopted-pack.sig"), signatureText);
    }
    void placeSigned(const QByteArray& pack) {
        placeCached(pack, Base64::encode(publisher.sign(pack)).toLatin1());
    }

    // Which word the adopted pack lists.
    QString adoptedWord(qint64 build = 100) const {
        const LexiconStore store(bundle, cache, build);
        return store.pack().categories.value("dairy").value(0);
    }
};

} // namespace

TEST_F(LexiconStoreFiles, AdoptsOnlyAValidNewerOrEqualSignedPack) {
    struct Case {
        const char* name;
        int version;
        const char* expected;
    };
    const Case cases[] = {{"higher version", 4, "oat milk"},
                          {"same version: the cache ranks higher", 3, "oat milk"},
                          {"lower version", 2, "milk"}};
    for (const Case& c : cases) {
        placeSigned(packJson(c.version, 0, "oat milk"));
        EXPECT_EQ(adoptedWord(), c.expected) << c.name;
    }
    const LexiconStore store(bundle, cache, 100);
    EXPECT_EQ(store.source(), Source::bundled);
    placeSigned(packJson(4, 0, "oat milk"));
    const LexiconStore adopted(bundle, cache, 100);
    EXPECT_EQ(adopted.source(), Source::cached);
    EXPECT_EQ(adopted.vocabulary().phrases.size(), 1);
    EXPECT_EQ(adopted.categoryIndex().value("oat milk"), "dairy");
}

TEST_F(LexiconStoreFiles, RefusesBadSignatures) {
    const QByteArray pack = packJson(9, 0, "oat milk");
    const QByteArray good = Base64::encode(publisher.sign(pack)).toLatin1();
    struct Case {
        const char* name;
        QByteArray pack;
        QByteArray signature;
    };
    const Case cases[] = {
        {"trailing line break in the signature file", pack, good + "\n"},
        {"leading space in the signature file", pack, " " + good},
        {"unpadded Base64", pack, good.left(86)},
        {"empty signature file", pack, ""},
        {"not Base64", pack, "this is not a signature"},
    };
    for (const Case& c : cases) {
        placeCached(c.pack, c.signature);
        EXPECT_EQ(adoptedWord(), "milk") << c.name;
    }
    // The same files with the signature mended are adopted.
    placeCached(pack, good);
    EXPECT_EQ(adoptedWord(), "oat milk");
}

TEST_F(LexiconStoreFiles, RefusesWithoutAUsableKey) {
    placeSigned(packJson(9, 0, "oat milk"));
    for (const QString& key :
         {Base64::encode(publisher.publicKey.left(31)), QStringLiteral("not base64"), QString()}) {
        bundle.publicKeyBase64 = key;
        EXPECT_EQ(adoptedWord(), "milk") << key.toStdString();
    }
}

TEST_F(LexiconStoreFiles, MinimumBuildIsMet) {
    placeSigned(packJson(9, 500, "oat milk"));
    EXPECT_EQ(adoptedWord(499), "milk");
    EXPECT_EQ(adoptedWord(500), "oat milk");
}

TEST_F(LexiconStoreFiles, MissingOrBrokenCachedFilesFallBackToTheShippedPack) {
    // No signature file at all.
    write(QDir(cache).filePath("adopted-pack.json"), packJson(9, 0, "oat milk"));
    EXPECT_EQ(adoptedWord(), "milk");
    // A pack that does not decode, though signed.
    placeSigned(R"({"version":"9","categories":{}})");
    EXPECT_EQ(adoptedWord(), "milk");
    // No cache folder.
    EXPECT_EQ(LexiconStore(bundle, std::nullopt, 100).pack().categories.value("dairy"),
              QStringList{"milk"});
}

TEST_F(LexiconStoreFiles, RefusesAnOversizedCachedPackWithoutReadingIt) {
    placeSigned(packJson(9, 0, "oat milk"));
    QFile file(QDir(cache).filePath("adopted-pack.json"));
    // Made sparse: the size is checked before anything is read.
    ASSERT_TRUE(file.resize(LexiconStore::maxCachedPackBytes + 1));
    EXPECT_EQ(adoptedWord(), "milk");
}

TEST_F(LexiconStoreFiles, UnusableShippedPackIsTheEmptyPack) {
    for (const QByteArray& shipped : {QByteArray("not json"), QByteArray(R"({"categories":{}})")}) {
        write(bundle.packPath, shipped);
        const LexiconStore store(bundle, std::nullopt, 100);
        EXPECT_EQ(store.pack(), LexiconPack::empty());
        EXPECT_EQ(store.source(), Source::bundled);
        EXPECT_TRUE(store.vocabulary().categories.isEmpty());
    }
    // Then a valid cached pack of version 0 is adopted.
    placeSigned(packJson(0, 0, "oat milk"));
    EXPECT_EQ(adoptedWord(), "oat milk");

    bundle.packPath = root.filePath("missing.json");
    const LexiconStore none(bundle, std::nullopt, 100);
    EXPECT_EQ(none.source(), Source::bundled);
    EXPECT_TRUE(none.vocabulary().categories.isEmpty());
}

TEST(LexiconStoreCache, IsLexiconInTheDataFolderAndIsNotCreated) {
    QTemporaryDir profile;
    ASSERT_TRUE(profile.isValid());
    AppPaths::setProfile(profile.path());
    const std::optional<QString> cache = LexiconStore::cacheDirectory();
    AppPaths::setProfile(QString());
    ASSERT_TRUE(cache.has_value());
    EXPECT_EQ(*cache, QDir(profile.path()).filePath("Lexicon"));
    EXPECT_FALSE(QFileInfo::exists(*cache));
}

TEST(LexiconStoreBuild, ReadsOnlyWholeSignedIntegers) {
    const std::pair<QString, qint64> cases[] = {
        {"1.4.2", 0},
        {"+17", 17},
        {"-3", -3},
        {"42", 42},
        {"", 0},
        {"+", 0},
        {"12a", 0},
        {" 12", 0},
        {"١٢", 0}, // digits of another script are not ASCII digits
        {"9223372036854775807", 9223372036854775807LL},
        {"9223372036854775808", 0},
        {"-9223372036854775808", std::numeric_limits<qint64>::min()},
        {"-9223372036854775809", 0},
    };
    for (const auto& [text, build] : cases) {
        LexiconBundle bundle;
        bundle.buildVersion = text;
        EXPECT_EQ(LexiconStore::currentBuild(bundle), build) << text.toStdString();
    }
    EXPECT_GE(LexiconStore::currentBuild(LexiconBundle::app()), 1);
}

TEST(LexiconResolutionAdopt, VersionThenRankThenOrder) {
    const Candidate bundled{Source::bundled, 5, 0, true};
    struct Case {
        const char* name;
        QList<Candidate> others;
        qint64 build;
        Candidate expected;
    };
    const Candidate cached6{Source::cached, 6, 0, true};
    const Candidate remote6{Source::remote, 6, 0, true};
    const Candidate cached5{Source::cached, 5, 0, true};
    const Candidate remote5{Source::remote, 5, 0, true};
    const Candidate unsigned9{Source::cached, 9, 0, false};
    const Candidate tooNew9{Source::remote, 9, 200, true};
    const Case cases[] = {
        {"nothing else", {}, 100, bundled},
        {"higher version wins", {cached6}, 100, cached6},
        {"equal version, higher rank", {remote5}, 100, remote5},
        {"cached outranks remote", {remote5, cached5}, 100, cached5},
        {"remote does not displace cached", {cached5, remote5}, 100, cached5},
        {"higher version beats higher rank", {cached5, remote6}, 100, remote6},
        {"equal version and rank: the earlier stays",
         {remote6, Candidate{Source::remote, 6, 1, true}},
         100,
         remote6},
        {"unsigned is filtered", {unsigned9}, 100, bundled},
        {"minimum build above the build is filtered", {tooNew9}, 199, bundled},
        {"minimum build equal to the build", {tooNew9}, 200, tooNew9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LexiconResolution::adopt(bundled, c.others, c.build), c.expected) << c.name;
    }
    // The shipped candidate is never filtered, whatever its own flags say.
    const Candidate odd{Source::bundled, 1, 999, false};
    EXPECT_EQ(LexiconResolution::adopt(odd, {}, 0), odd);
}
