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

QByteArray packJson(int version, int minBuild, const char* word = "oat milk") {
    return QString::asprintf(R"({"version":%d,"minBuild":%d,"categories":{"dairy":["%s"]}})",
                             version, minBuild, word)
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

    QByteArray signatureOf(const QByteArray& pack) const {
        return Base64::encode(publisher.sign(pack)).toLatin1();
    }
    void placeCached(const QByteArray& pack, const QByteArray& signatureText) {
        write(QDir(cache).filePath("adopted-pack.json"), pack);
        write(QDir(cache).filePath("adopted-pack.sig"), signatureText);
    }

    // The store uses the cached pack (its word "oat milk") or the shipped one, throughout.
    void expectAdopted(bool adopted, qint64 build = 100) const {
        const LexiconStore store(bundle, cache, build);
        const QString word = adopted ? "oat milk" : "milk";
        EXPECT_EQ(store.source(), adopted ? Source::cached : Source::bundled);
        EXPECT_EQ(store.pack().categories.value("dairy"), QStringList{word});
        EXPECT_EQ(store.categoryIndex().value(word), "dairy");
        EXPECT_TRUE(store.vocabulary().categories.contains(word));
    }
};

} // namespace

TEST_F(LexiconStoreFiles, AdoptsASignedPackOfNewerOrEqualVersionAndMetBuild) {
    // Name, version, minimum build, this build, whether the cached pack is adopted.
    const std::tuple<const char*, int, int, qint64, bool> cases[] = {
        {"higher version", 4, 0, 100, true},
        {"same version: the cache ranks higher", 3, 0, 100, true},
        {"lower version", 2, 0, 100, false},
        {"minimum build above the build", 9, 500, 499, false},
        {"minimum build equal to the build", 9, 500, 500, true},
    };
    for (const auto& [name, version, minBuild, build, adopted] : cases) {
        SCOPED_TRACE(name);
        const QByteArray pack = packJson(version, minBuild);
        placeCached(pack, signatureOf(pack));
        expectAdopted(adopted, build);
    }
}

TEST_F(LexiconStoreFiles, RefusesBadSignatureFilesAndKeys) {
    const QByteArray pack = packJson(9, 0);
    const QByteArray good = signatureOf(pack);
    const QString key = bundle.publicKeyBase64;
    const std::tuple<const char*, QByteArray, QString, bool> cases[] = {
        {"trailing line break in the signature file", good + "\n", key, false},
        {"leading space in the signature file", " " + good, key, false},
        {"unpadded Base64", good.left(86), key, false},
        {"key not Base64", good, "not base64", false},
        {"all good", good, key, true},
    };
    for (const auto& [name, signatureText, publicKey, adopted] : cases) {
        SCOPED_TRACE(name);
        placeCached(pack, signatureText);
        bundle.publicKeyBase64 = publicKey;
        expectAdopted(adopted);
    }
}

TEST_F(LexiconStoreFiles, MissingBrokenOrOversizedCachedFilesFallBackToTheShippedPack) {
    const QByteArray pack = packJson(9, 0);
    write(QDir(cache).filePath("adopted-pack.json"), pack); // no signature file
    expectAdopted(false);
    EXPECT_EQ(LexiconStore(bundle, std::nullopt, 100).source(), Source::bundled); // no folder
    const QByteArray broken = R"({"version":"9","categories":{}})";
    placeCached(broken, signatureOf(broken));
    expectAdopted(false);

    placeCached(pack, signatureOf(pack));
    QFile file(QDir(cache).filePath("adopted-pack.json"));
    // Made sparse: the size is checked before anything is read.
    ASSERT_TRUE(file.resize(LexiconStore::maxCachedPackBytes + 1));
    expectAdopted(false);
}

TEST_F(LexiconStoreFiles, UnusableShippedPackIsTheEmptyPack) {
    for (const QByteArray& shipped : {QByteArray("not json"), QByteArray(R"({"categories":{}})")}) {
        write(bundle.packPath, shipped);
        const LexiconStore store(bundle, std::nullopt, 100);
        EXPECT_EQ(store.pack(), LexiconPack::empty());
        EXPECT_EQ(store.source(), Source::bundled);
    }
    bundle.packPath = root.filePath("missing.json");
    EXPECT_EQ(LexiconStore(bundle, std::nullopt, 100).pack(), LexiconPack::empty());
    // Then a valid cached pack of version 0 is adopted.
    const QByteArray pack = packJson(0, 0);
    placeCached(pack, signatureOf(pack));
    EXPECT_EQ(LexiconStore(bundle, cache, 100).source(), Source::cached);
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
        {"+", 0},
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
    // Filtering by signature and minimum build is checked through the store above.
    const Candidate bundled{Source::bundled, 5, 0, true};
    const Candidate cached5{Source::cached, 5, 0, true};
    const Candidate remote5{Source::remote, 5, 0, true};
    const Candidate remote6{Source::remote, 6, 0, true};
    const std::tuple<const char*, QList<Candidate>, Candidate> cases[] = {
        {"nothing else", {}, bundled},
        {"cached outranks remote", {remote5, cached5}, cached5},
        {"remote does not displace cached", {cached5, remote5}, cached5},
        {"higher version beats higher rank", {cached5, remote6}, remote6},
        {"equal version and rank: the earlier stays",
         {remote6, {Source::remote, 6, 1, true}},
         remote6},
    };
    for (const auto& [name, others, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LexiconResolution::adopt(bundled, others, 100), expected);
    }
    // The shipped candidate is never filtered, whatever its own flags say.
    const Candidate odd{Source::bundled, 1, 999, false};
    EXPECT_EQ(LexiconResolution::adopt(odd, {}, 0), odd);
}
