// A batch the cloud committed whose answer this device never took in, as when the program
// ended in the middle of a pass: the next pass learns from the server's copy what is already
// there, and sends only what changed here since.
#include "SyncTestSupport.h"

#include "store/CloudLayout.h"
#include "sync/CloudIds.h"

namespace synctest {
namespace {

using namespace cloud;

class UnansweredBatchTest : public SyncTest {};

TEST_F(UnansweredBatchTest, WhatTheCloudHoldsInTheSameValuesIsNotLeftWaiting) {
    const struct {
        const char* what;
        bool renamedHereSince;
    } cases[] = {
        {"nothing changed here since", false},
        {"the item renamed here since", true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        auto mac = device("mac");
        const QString listID = mac->store().addList("Groceries").id;
        const TBItem milk = mac->store().addItem(listID, "milk").value();

        // The records the device sends, committed by the cloud, with no answer back.
        const RecordID listRecord =
            CloudIds::toCloud(RecordRef{CloudLayout::listRecordName, mac->store().zoneID(listID)});
        const RecordID itemRecord = CloudIds::toCloud(mac->store().itemRecordID(milk));
        ASSERT_TRUE(container->currentUser("mac").ok());
        ASSERT_TRUE(
            container->modifyZones("mac", DatabaseScope::privateScope, {listRecord.zoneID}, {})
                .ok());
        const auto committed = container->modifyRecords(
            "mac", DatabaseScope::privateScope,
            {*mac->sync().recordFor(listRecord), *mac->sync().recordFor(itemRecord)}, {});
        ASSERT_TRUE(committed.ok());
        ASSERT_EQ(committed.value().savedRecords.size(), 2u);
        if (row.renamedHereSince)
            mac->store().renameItem(milk.id, "oat milk");

        // A field changed here since goes again once the pass has met the server's copy, in
        // the same pass; nothing else is sent again.
        ASSERT_FALSE(mac->syncNow());
        EXPECT_TRUE(mac->store().dirtyItems().isEmpty());
        EXPECT_TRUE(mac->store().dirtyLists().isEmpty());
        EXPECT_EQ(mac->pending(), QStringList()) << "sent again in the next pass";
        // What changed here reached the cloud all the same.
        auto phone = device("phone");
        ASSERT_FALSE(phone->syncNow());
        ASSERT_NE(item(phone->store(), milk.id), nullptr);
        EXPECT_EQ(item(phone->store(), milk.id)->text, row.renamedHereSince ? "oat milk" : "milk");
        container = Container::inMemory();
    }
}

} // namespace
} // namespace synctest
