// Failed saves, by error code and by the kind of record.
#include "SyncTestSupport.h"

#include "sync/CloudIds.h"

namespace synctest {
namespace {

using namespace cloud;
using Code = CloudError::Code;

class SaveFailureTest : public SyncTest {
protected:
    void SetUp() override {
        SyncTest::SetUp();
        ann = device("annLaptop", "ann");
        bob = device("bobLaptop", "bob");
        own = ann->store().addList("Own").id;
        ownItem = ann->store().addItem(own, "x").value().id;
        ann->store().setCollection(QString("Home"), own);
        ASSERT_FALSE(ann->syncNow());
        share(own, ParticipantPermission::readWrite);
        ASSERT_FALSE(bob->syncNow());
    }

    std::unique_ptr<Device> ann;
    std::unique_ptr<Device> bob;
    QString own;
    QString ownItem;
};

TEST_F(SaveFailureTest, EachCodeIsHandledByTheKindOfRecord) {
    struct Case {
        const char* what;
        Code code;
        bool bobs;          // Bob's copy of the shared list, else Ann's own
        const char* record; // "item", "list" or "filing"
        bool archiveRemoved;
        QStringList privateQueue;
        QStringList sharedQueue;
    };
    const QString item = ownItem;
    const Case cases[] = {
        {"unknown item, own item", Code::unknownItem, false, "item", true, {"save " + item}, {}},
        {"unknown item, shared item", Code::unknownItem, true, "item", true, {}, {"save " + item}},
        {"unknown item, filing", Code::unknownItem, false, "filing", true, {"save " + own}, {}},
        {"zone not found, own item",
         Code::zoneNotFound,
         false,
         "item",
         false,
         {"save " + item},
         {}},
        {"zone not found, shared item", Code::zoneNotFound, true, "item", false, {}, {}},
        {"zone not found, filing", Code::zoneNotFound, false, "filing", false, {"save " + own}, {}},
        {"conflict without the server copy",
         Code::serverRecordChanged,
         false,
         "list",
         false,
         {},
         {}},
        {"permission", Code::permissionFailure, true, "item", false, {}, {}},
        {"network", Code::networkUnavailable, false, "list", false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Device& d = c.bobs ? *bob : *ann;
        d.restart(); // fresh engines with nothing pending
        ASSERT_FALSE(d.syncNow());
        const QString kind = c.record;
        const RecordID id = kind == "filing" ? RecordID{own, ZoneID{"TBMeta"}}
                            : kind == "list"
                                ? RecordID{"list", CloudIds::toCloud(d.store().zoneID(own))}
                                : RecordID{item, CloudIds::toCloud(d.store().zoneID(own))};
        const QString key = kind == "filing" ? "F#" + own
                            : kind == "list" ? "L#" + own
                                             : "I#" + item;
        ASSERT_TRUE(d.store().archivedRecords().contains(key));
        const auto record = d.sync().recordFor(id);
        ASSERT_TRUE(record);
        d.sync().handleSaveFailure(*record, CloudError::make(c.code));
        EXPECT_EQ(d.store().archivedRecords().contains(key), !c.archiveRemoved);
        EXPECT_EQ(d.pending(EngineScope::privateDatabase), c.privateQueue);
        EXPECT_EQ(d.pending(EngineScope::sharedDatabase), c.sharedQueue);
    }
}

// The answer to a save can arrive after the user deleted the item or took the list out of its
// group; retrying the save must not take the place of the deletion queued meanwhile.
TEST_F(SaveFailureTest, AFailedSaveOfSomethingDeletedMeanwhileLeavesTheDeletionQueued) {
    const RecordID itemID{ownItem, CloudIds::toCloud(ann->store().zoneID(own))};
    const RecordID filingID{own, ZoneID{"TBMeta"}};
    const auto itemRecord = ann->sync().recordFor(itemID);
    const auto filingRecord = ann->sync().recordFor(filingID);
    ASSERT_TRUE(itemRecord && filingRecord);

    ann->store().deleteItem(ownItem);
    ann->store().setCollection(std::nullopt, own);
    Record newer = *itemRecord;
    newer.setChangeTag("t-newer");
    ann->sync().handleSaveFailure(*itemRecord, CloudError::conflict(newer));
    ann->sync().handleSaveFailure(*filingRecord, CloudError::make(Code::unknownItem));
    ann->sync().handleSaveFailure(*itemRecord, CloudError::make(Code::zoneNotFound));
    const QStringList pending = ann->pending(EngineScope::privateDatabase);
    EXPECT_TRUE(pending.contains("delete " + ownItem));
    EXPECT_TRUE(pending.contains("delete " + own));
    EXPECT_FALSE(pending.contains("save " + ownItem));
    EXPECT_FALSE(pending.contains("save " + own));

    ASSERT_FALSE(ann->syncNow());
    EXPECT_TRUE(ann->store().pendingItemDeletions().isEmpty());
    EXPECT_TRUE(ann->store().dirtyFilings().isEmpty());
    const auto records = container->records("ann", "TB-" + own);
    ASSERT_TRUE(records.ok());
    for (const Record& record : records.value())
        EXPECT_NE(record.recordID().recordName, ownItem);
}

// The merged record goes again in the same pass, on the list's engine: a pass that ended with it
// only queued would leave it waiting for some other change.
TEST_F(SaveFailureTest, AConflictWithTheServerCopyMergesAndRetriesOnTheListsEngine) {
    bob->store().renameItem(ownItem, "bob's");
    ann->store().setDone(ownItem, true);
    ASSERT_FALSE(ann->syncNow());
    ASSERT_FALSE(bob->syncNow()); // conflicts, merges, sends again on the shared engine
    EXPECT_TRUE(item(bob->store(), ownItem)->done);
    EXPECT_EQ(item(bob->store(), ownItem)->text, "bob's");
    EXPECT_FALSE(bob->pending(EngineScope::sharedDatabase).contains("save " + ownItem));
    EXPECT_FALSE(bob->store().owesCloud());
    ASSERT_FALSE(ann->syncNow());
    EXPECT_EQ(item(ann->store(), ownItem)->text, "bob's");
    EXPECT_TRUE(item(ann->store(), ownItem)->done);
}

} // namespace
} // namespace synctest
