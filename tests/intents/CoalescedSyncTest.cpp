// Sync passes shared by the requests that arrive while one runs.
#include "IntentsTestSupport.h"

#include "intents/CoalescedSync.h"

#include <QTest>

#include <vector>

namespace {

class CoalescedSyncTest : public ProfileTest {
protected:
    // A pass that ends when the test says so.
    IntentFrame::SyncStep pass = [this](ListStore&, IntentFrame::SyncDone done) {
        passes.push_back(std::move(done));
    };
    std::vector<IntentFrame::SyncDone> passes;
    QStringList ended; // "request: error or ok", in the order requests were told
    void request(IntentFrame::SyncStep& step, ListStore& store, const QString& name) {
        step(store, [this, name](const std::optional<QString>& error) {
            ended.append(name + ": " + error.value_or(QStringLiteral("ok")));
        });
    }
};

TEST_F(CoalescedSyncTest, RequestsDuringAPassShareTheNextOneAndEachWaitsForAPassAfterIt) {
    auto store = openStore();
    IntentFrame::SyncStep step = CoalescedSync(pass).step();
    request(step, *store, "a");
    ASSERT_EQ(passes.size(), 1u);
    request(step, *store, "b");
    request(step, *store, "c");
    EXPECT_EQ(passes.size(), 1u) << "b and c wait: the running pass began before them";
    EXPECT_TRUE(ended.isEmpty());

    passes[0](std::nullopt);
    EXPECT_EQ(ended, QStringList{"a: ok"});
    ASSERT_EQ(passes.size(), 2u) << "one pass for both";
    request(step, *store, "d");
    passes[1](QStringLiteral("offline"));
    EXPECT_EQ(ended, QStringList({"a: ok", "b: offline", "c: offline"}));
    ASSERT_EQ(passes.size(), 3u);
    passes[2](std::nullopt);
    EXPECT_EQ(ended.last(), "d: ok");

    // Idle again: the next request starts a pass at once, and a pass that ends at once
    // serves it at once.
    request(step, *store, "e");
    EXPECT_EQ(passes.size(), 4u);
    passes[3](std::nullopt);
    IntentFrame::SyncStep immediate = CoalescedSync(IntentFrame::noSync()).step();
    request(immediate, *store, "f");
    request(immediate, *store, "g");
    EXPECT_EQ(ended.mid(5), QStringList({"f: ok", "g: ok"}));
}

TEST_F(CoalescedSyncTest, TheProgramsOwnPassesShareWithRequestsInsteadOfQueueing) {
    auto store = openStore();
    const CoalescedSync sync(pass);
    IntentFrame::SyncStep step = sync.step();
    sync.syncNow(*store);
    request(step, *store, "a");
    sync.syncNow(*store);
    ASSERT_EQ(passes.size(), 1u) << "a and the second trigger wait for one next pass";
    passes[0](QStringLiteral("offline"));
    EXPECT_TRUE(ended.isEmpty()) << "nobody waited for the first pass";
    ASSERT_EQ(passes.size(), 2u);
    passes[1](std::nullopt);
    EXPECT_EQ(ended, QStringList{"a: ok"});
    EXPECT_EQ(passes.size(), 2u);
}

TEST_F(CoalescedSyncTest, ARequestHearsOnceWhicheverComesFirstOfItsPassAndTheBound) {
    auto store = openStore();
    const CoalescedSync sync(pass);
    IntentFrame::SyncStep bounded = sync.step(20, [] { return QStringLiteral("too slow"); });
    request(bounded, *store, "a");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ended.isEmpty(); }, 5'000));
    EXPECT_EQ(ended, QStringList{"a: too slow"});
    // The pass goes on; its end tells a nobody more, and a pass that ends in time is heard.
    request(bounded, *store, "b");
    passes[0](std::nullopt);
    ASSERT_EQ(passes.size(), 2u);
    passes[1](std::nullopt);
    QTest::qWait(60);
    EXPECT_EQ(ended, QStringList({"a: too slow", "b: ok"}));
}

TEST_F(CoalescedSyncTest, StoppedItTellsEveryoneWaitingAndStartsNoPass) {
    auto store = openStore();
    const CoalescedSync sync(pass);
    IntentFrame::SyncStep step = sync.step();
    request(step, *store, "a"); // in the running pass
    request(step, *store, "b"); // waiting for the next
    sync.stop(QStringLiteral("quitting"));
    EXPECT_EQ(ended, QStringList({"a: quitting", "b: quitting"}));
    request(step, *store, "c");
    sync.syncNow(*store);
    passes[0](std::nullopt);
    EXPECT_EQ(ended, QStringList({"a: quitting", "b: quitting", "c: quitting"}));
    EXPECT_EQ(passes.size(), 1u) << "no pass after the stop";
}

} // namespace
