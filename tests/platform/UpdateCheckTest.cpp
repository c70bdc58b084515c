// The update check: the signed feed, the build's configuration and the back end over a fetcher
// that never touches the network.
#include "platform/Base64.h"
#include "platform/FeedUpdateBackEnd.h"
#include "platform/UpdateConfiguration.h"
#include "platform/UpdateFeed.h"

#include "../lexicon/SigningKeys.h"

#include <QHash>
#include <QList>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Kind = UpdateCheckResult::Kind;

const SigningKeys publisher('p');
const SigningKeys stranger('s');

QByteArray signatureText(const SigningKeys& keys, const QByteArray& feed) {
    return Base64::encode(keys.sign(feed)).toUtf8();
}

TEST(UpdateFeed, TrustsOnlyTheSignedFeedAndComparesVersions) {
    const QByteArray newer =
        R"({"version":"1.2.0","notes":"<b>Faster</b> lists","downloadPage":"https://example.org/get"})";
    const QByteArray plainPage =
        R"({"version":"1.2.0","notes":"n","downloadPage":"http://example.org/get"})";
    const struct {
        const char* what;
        QByteArray feed;
        QByteArray signature;
        QString current;
        UpdateCheckResult result;
    } rows[] = {
        {"a newer version",
         newer,
         signatureText(publisher, newer),
         "1.1.9",
         {Kind::available, "1.2.0", "<b>Faster</b> lists", QUrl("https://example.org/get")}},
        {"the same version, written shorter",
         R"({"version":"1.1"})",
         signatureText(publisher, R"({"version":"1.1"})"),
         "1.1.0",
         {Kind::upToDate, "1.1", {}, {}}},
        {"an older version",
         R"({"version":"0.9.0"})",
         signatureText(publisher, R"({"version":"0.9.0"})"),
         "1.0.0",
         {Kind::upToDate, "0.9.0", {}, {}}},
        {"numbers compare as numbers",
         R"({"version":"1.10.0"})",
         signatureText(publisher, R"({"version":"1.10.0"})"),
         "1.9.0",
         {Kind::available, "1.10.0", {}, {}}},
        {"a page that is not https is never offered",
         plainPage,
         signatureText(publisher, plainPage),
         "1.0.0",
         {Kind::available, "1.2.0", "n", {}}},
        {"signed by someone else", newer, signatureText(stranger, newer), "1.0.0", {}},
        {"the feed changed after signing",
         newer + " ",
         signatureText(publisher, newer),
         "1.0.0",
         {}},
        {"no signature", newer, "", "1.0.0", {}},
        {"a signature that is not Base64", newer, "not base64!", "1.0.0", {}},
        {"a version with words",
         R"({"version":"2.0-beta"})",
         signatureText(publisher, R"({"version":"2.0-beta"})"),
         "1.0.0",
         {}},
        {"a version that is a number",
         R"({"version":2})",
         signatureText(publisher, R"({"version":2})"),
         "1.0.0",
         {}},
        {"not an object", R"(["1.2.0"])", signatureText(publisher, R"(["1.2.0"])"), "1.0.0", {}},
        {"not JSON", "1.2.0", signatureText(publisher, "1.2.0"), "1.0.0", {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UpdateFeed::read(row.feed, row.signature, publisher.publicKey, row.current),
                  row.result)
            << row.what;
    }
    const QByteArray huge =
        "{\"version\":\"9.0\",\"notes\":\"" + QByteArray(UpdateFeed::maxFeedBytes, 'x') + "\"}";
    EXPECT_EQ(UpdateFeed::read(huge, signatureText(publisher, huge), publisher.publicKey, "1.0"),
              UpdateCheckResult{})
        << "a feed past its bound is not read";
}

TEST(UpdateConfiguration, ChecksOnlyWithAnHttpsFeedAndAWholeKey) {
    const struct {
        const char* what;
        QString feed;
        QByteArray key;
        bool canCheck;
    } rows[] = {
        {"https and a key", "https://example.org/feed.json", publisher.publicKey, true},
        {"none configured", "", publisher.publicKey, false},
        {"plain http", "http://example.org/feed.json", publisher.publicKey, false},
        {"a file", "file:///tmp/feed.json", publisher.publicKey, false},
        {"no key", "https://example.org/feed.json", {}, false},
        {"a short key", "https://example.org/feed.json", publisher.publicKey.left(31), false},
    };
    for (const auto& row : rows) {
        const UpdateConfiguration configuration{QUrl(row.feed), row.key, "1.0.0"};
        EXPECT_EQ(configuration.canCheck(), row.canCheck) << row.what;
    }
    EXPECT_EQ(
        (UpdateConfiguration{QUrl("https://example.org/u/feed.json"), {}, {}}).signatureAddress(),
        QUrl("https://example.org/u/feed.json.sig"));
    EXPECT_FALSE(UpdateConfiguration::ofThisBuild().canCheck()) << "this build names no feed";
}

// Serves documents from a table; an address not in it cannot be fetched. Answers wait until
// release() so a test can look at the back end while a check runs.
class TableFetcher final : public FeedFetcher {
public:
    void fetch(const QUrl& address, qsizetype maxBytes, Done done) override {
        asked.append(address);
        const auto found = documents.find(address);
        std::optional<QByteArray> answer;
        if (found != documents.end() && found->size() <= maxBytes)
            answer = *found;
        waiting.append([done, answer] { done(answer); });
    }
    void release() {
        while (!waiting.isEmpty())
            waiting.takeFirst()();
    }
    QHash<QUrl, QByteArray> documents;
    QList<QUrl> asked;
    QList<std::function<void()>> waiting;
};

class FeedBackEnd : public testing::Test {
protected:
    const QUrl feedAddress{"https://example.org/feed.json"};
    const QUrl sigAddress{"https://example.org/feed.json.sig"};
    std::shared_ptr<TableFetcher> fetcher = std::make_shared<TableFetcher>();

    std::unique_ptr<FeedUpdateBackEnd> backEnd(const QString& feed) {
        auto made = std::make_unique<FeedUpdateBackEnd>(
            UpdateConfiguration{QUrl(feed), publisher.publicKey, "1.0.0"}, fetcher);
        QObject::connect(made.get(), &UpdateBackEnd::canCheckForUpdatesChanged,
                         [this](bool can) { announced.append(can); });
        QObject::connect(made.get(), &UpdateBackEnd::checkFinished,
                         [this](const UpdateCheckResult& result) { results.append(result); });
        return made;
    }
    // Finishes a check: the feed, then its signature.
    void releaseAll() {
        fetcher->release();
        fetcher->release();
    }
    QList<bool> announced;
    QList<UpdateCheckResult> results;
};

TEST_F(FeedBackEnd, WithNoFeedItNeverChecks) {
    auto none = backEnd(QString());
    EXPECT_FALSE(none->canCheckForUpdates());
    none->start();
    EXPECT_EQ(announced, QList<bool>({false}));
    none->checkForUpdates();
    EXPECT_TRUE(fetcher->asked.isEmpty());
    EXPECT_TRUE(results.isEmpty());
}

TEST_F(FeedBackEnd, OneCheckAtATimeThenTheSignedOutcome) {
    const QByteArray feed = R"({"version":"1.1.0","notes":"n"})";
    fetcher->documents[feedAddress] = feed;
    fetcher->documents[sigAddress] = signatureText(publisher, feed);
    auto checker = backEnd(feedAddress.toString());
    EXPECT_FALSE(checker->canCheckForUpdates()) << "not before it starts";
    checker->start();
    checker->checkForUpdates();
    EXPECT_FALSE(checker->canCheckForUpdates()) << "not while a check runs";
    checker->checkForUpdates(); // ignored
    releaseAll();
    EXPECT_EQ(fetcher->asked, QList<QUrl>({feedAddress, sigAddress}));
    EXPECT_EQ(announced, QList<bool>({true, false, true}));
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].kind, Kind::available);
    EXPECT_EQ(results[0].version, "1.1.0");
}

TEST_F(FeedBackEnd, AMissingOrForgedSignatureFailsTheCheck) {
    const QByteArray feed = R"({"version":"9.0.0"})";
    fetcher->documents[feedAddress] = feed;
    auto checker = backEnd(feedAddress.toString());
    checker->start();
    checker->checkForUpdates();
    releaseAll();
    fetcher->documents[sigAddress] = signatureText(stranger, feed);
    checker->checkForUpdates();
    releaseAll();
    fetcher->documents.remove(feedAddress);
    checker->checkForUpdates();
    releaseAll();
    EXPECT_EQ(results, QList<UpdateCheckResult>(3, UpdateCheckResult{}));
    EXPECT_TRUE(checker->canCheckForUpdates()) << "a failed check leaves the next one possible";
}

} // namespace
