// Sync passes shared by the requests that arrive while one runs.
#include "IntentsTestSupport.h"

#include "intents/CoalescedSync.h"

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

} // namespace
