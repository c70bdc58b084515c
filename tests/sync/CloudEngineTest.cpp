// A store's engine: saves queued many at once are worked out away from the main thread, and
// whatever is queued after them still comes after them.
#include "SyncTestSupport.h"

#include <future>

namespace synctest {
namespace {

using namespace cloud;

TEST_F(SyncTest, WhatIsQueuedAfterAWholeStoreComesAfterIt) {
    auto mac = device("mac");
    CloudEngine* engine = mac->sync().engine(EngineScope::privateDatabase);
    ASSERT_NE(engine, nullptr);
    engine->settle();
    ASSERT_TRUE(mac->pending().isEmpty());

    const ZoneRef zone{"TB-L"};
    std::promise<void> go;
    const std::shared_future<void> ready = go.get_future().share();
    engine->queueSaves([ready, zone] {
        ready.wait(); // still being worked out while the rest is queued
        return EngineQueue::Saves{{zone}, {RecordRef{"a", zone}, RecordRef{"b", zone}}};
    });
    engine->deleteRecord(RecordRef{"a", zone});
    engine->saveRecord(RecordRef{"c", zone});
    engine->deleteZone(ZoneRef{"TB-M"});
    EXPECT_TRUE(engine->engine().state().pendingRecordZoneChanges().empty());
    go.set_value();

    // The later wish for "a" wins, as when each save is queued on its own.
    EXPECT_EQ(mac->pending(), (QStringList{"save b", "delete a", "save c"}));
    const auto zones = engine->engine().state().pendingDatabaseChanges();
    ASSERT_EQ(zones.size(), 2u);
    EXPECT_EQ(zones[0], PendingDatabaseChange::saveZone(ZoneID{"TB-L"}));
    EXPECT_EQ(zones[1], PendingDatabaseChange::deleteZone(ZoneID{"TB-M"}));
}

TEST_F(SyncTest, ABatchOfChangesOfferedIsNoLargerThanTheEngineSends) {
    auto mac = device("mac");
    CloudEngine* engine = mac->sync().engine(EngineScope::privateDatabase);
    ASSERT_NE(engine, nullptr);
    for (const int waiting : {0, 3, 400, 1000}) {
        SendChangesContext context;
        context.batchSize = 400;
        for (int i = 0; i < waiting; ++i)
            context.pendingChanges.push_back(
                PendingRecordZoneChange::saveRecord(RecordID{QString::number(i), ZoneID{"TB-L"}}));
        const auto batch = engine->nextRecordZoneChangeBatch(context, engine->engine());
        ASSERT_TRUE(batch);
        ASSERT_EQ(batch->pendingChanges.size(), size_t(std::min(waiting, 400))) << waiting;
        if (waiting > 0) {
            EXPECT_EQ(batch->pendingChanges.front(), context.pendingChanges.front());
        }
    }
}

} // namespace
} // namespace synctest
