#include "SyncTestSupport.h"

#include "sync/CloudRefresh.h"
#include "sync/SyncCoordinator.h"

namespace synctest {
namespace {

TEST(CloudRefresh, OnlyNonEmptyMarksCount) {
    const QMap<QString, FieldSet> none;
    const QMap<QString, FieldSet> empty{{"A", {}}};
    const QMap<QString, FieldSet> marked{{"A", {}}, {"B", {"name"}}};
    struct Case {
        QMap<QString, FieldSet> lists, items;
        QSet<QString> filings, tombstones;
        bool unsent;
    };
    const Case cases[] = {
        {none, none, {}, {}, false},  {empty, empty, {}, {}, false}, {marked, none, {}, {}, true},
        {none, marked, {}, {}, true}, {none, none, {"L"}, {}, true}, {empty, none, {}, {"I"}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CloudRefresh::hasUnsentChanges(c.lists, c.items, c.filings, c.tombstones),
                  c.unsent);
}

class SyncTriggerTest : public SyncTest {
protected:
    void SetUp() override {
        SyncTest::SetUp();
        d = device("mac");
        ASSERT_FALSE(d->syncNow());
    }
    std::unique_ptr<Device> d;
    int passes = 0;
    SyncCoordinator coordinator{[this](ListStore&) {
        ++passes;
        d->sync().syncNow({});
    }};
};

TEST_F(SyncTriggerTest, ABurstOfEditsGivesOnePassAfterTheLast) {
    coordinator.start(d->store());
    coordinator.start(d->store()); // one subscription only
    EXPECT_FALSE(coordinator.isWaiting());
    const QString listID = d->store().addList("L").id;
    for (int i = 0; i < 10; ++i)
        d->store().addItem(listID, QString::number(i));
    EXPECT_TRUE(coordinator.isWaiting());
    coordinator.fireNow();
    EXPECT_EQ(passes, 1);
    EXPECT_FALSE(coordinator.isWaiting());
    coordinator.fireNow();
    EXPECT_EQ(passes, 1);
}

TEST_F(SyncTriggerTest, ChangesThatLeaveNothingUnsentStartNoPass) {
    coordinator.start(d->store());
    const QString listID = d->store().addList("L").id;
    ASSERT_FALSE(d->syncNow());
    coordinator.fireNow();
    passes = 0;

    d->store().addCircle("Family"); // circles do not sync
    coordinator.fireNow();
    d->store().deleteList(listID); // only a zone deletion: left to the periodic refresh
    coordinator.fireNow();
    EXPECT_EQ(passes, 0);

    const QString other = d->store().addList("M").id;
    ASSERT_FALSE(d->syncNow());
    d->store().deleteItem(d->store().addItem(other, "x").value().id); // an unsent tombstone
    coordinator.fireNow();
    EXPECT_EQ(passes, 1);
}

TEST_F(SyncTriggerTest, AGoneStoreStartsNothing) {
    auto store = std::make_unique<ListStore>(std::nullopt, false, false, d->defaults, d->clock,
                                             ListStore::Access::readOnly);
    coordinator.start(*store);
    store->addList("L");
    store.reset();
    coordinator.fireNow();
    EXPECT_EQ(passes, 0);
}

} // namespace
} // namespace synctest
