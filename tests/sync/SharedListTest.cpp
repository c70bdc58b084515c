// Lists that Ann shares with Bob, and the look-ups of shares.
#include "SyncTestSupport.h"

#include "sync/CloudSharingSheet.h"

namespace synctest {
namespace {

using namespace cloud;

class SharedListTest : public SyncTest {
protected:
    void SetUp() override {
        SyncTest::SetUp();
        ann = device("annLaptop", "ann");
        bob = device("bobLaptop", "bob");
        listID = ann->store().addList("Groceries").id;
        itemID = ann->store().addItem(listID, "Milk").value().id;
        ASSERT_FALSE(ann->syncNow());
    }

    std::unique_ptr<Device> ann;
    std::unique_ptr<Device> bob;
    QString listID;
    QString itemID;
};

TEST_F(SharedListTest, AReadOnlyListArrivesReadOnlyAndTheServerRefusesEdits) {
    share(listID, ParticipantPermission::readOnly);
    ASSERT_FALSE(bob->syncNow());
    const TBList* arrived = list(bob->store(), listID);
    ASSERT_NE(arrived, nullptr);
    EXPECT_EQ(arrived->zoneOwnerName, "ann");
    EXPECT_EQ(arrived->sharePermission, TBSharePermission::readOnly);
    EXPECT_TRUE(arrived->hasShare);
    ASSERT_NE(item(bob->store(), itemID), nullptr);

    bob->store().renameItem(itemID, "Beer"); // refused here: the list is view-only
    EXPECT_EQ(item(bob->store(), itemID)->text, "Milk");
    EXPECT_FALSE(bob->store().dirtyItems().contains(itemID));
    // A change that gets out all the same is refused by the server and stays unsent.
    bob->store().markItemDirty(*item(bob->store(), itemID), {"text"});
    ASSERT_FALSE(bob->syncNow());
    EXPECT_TRUE(bob->store().dirtyItems().contains(itemID));
    ASSERT_FALSE(ann->syncNow());
    EXPECT_EQ(item(ann->store(), itemID)->text, "Milk");
}

TEST_F(SharedListTest, AReadWriteParticipantEditsGoToTheOwner) {
    share(listID, ParticipantPermission::readWrite);
    ASSERT_FALSE(bob->syncNow());
    EXPECT_EQ(list(bob->store(), listID)->sharePermission, TBSharePermission::readWrite);

    bob->store().renameItem(itemID, "Oat milk");
    const QString added = bob->store().addItem(listID, "Bread").value().id;
    EXPECT_TRUE(bob->pending(EngineScope::sharedDatabase).contains("save " + added));
    EXPECT_TRUE(bob->pending(EngineScope::privateDatabase).isEmpty()); // no zone of his own
    ASSERT_FALSE(bob->syncNow());
    EXPECT_TRUE(bob->store().dirtyItems().isEmpty());
    ASSERT_FALSE(ann->syncNow());
    EXPECT_EQ(item(ann->store(), itemID)->text, "Oat milk");
    ASSERT_NE(item(ann->store(), added), nullptr);
    EXPECT_EQ(contents(ann->store()).size(), contents(bob->store()).size());

    // Ann deletes the list: it leaves Bob's device too.
    ann->store().deleteList(listID);
    ASSERT_FALSE(ann->syncNow());
    ASSERT_FALSE(bob->syncNow());
    EXPECT_EQ(list(bob->store(), listID), nullptr);
    EXPECT_TRUE(bob->store().allItems().isEmpty());
}

TEST_F(SharedListTest, AListEditedAfterItWasSharedStillLearnsItIsShared) {
    share(listID, ParticipantPermission::readOnly);
    TBList renamed = *list(ann->store(), listID);
    renamed.name = "Weekly shop";
    ann->store().updateList(renamed); // the list record is now newer than the share
    ASSERT_FALSE(ann->syncNow());

    ASSERT_FALSE(bob->syncNow());
    const TBList* arrived = list(bob->store(), listID);
    ASSERT_NE(arrived, nullptr);
    EXPECT_EQ(arrived->name, "Weekly shop");
    EXPECT_EQ(arrived->sharePermission, TBSharePermission::readOnly);
    EXPECT_TRUE(arrived->hasShare);
}

TEST_F(SharedListTest, AShareWhoseListIsNotHereYetWaitsForIt) {
    Record share = Record::zoneWideShare(ZoneID{"TB-L9", "ann"});
    share.share()->participants.push_back(ShareParticipant{{"bob", std::nullopt},
                                                           ParticipantRole::privateUser,
                                                           ParticipantPermission::readOnly,
                                                           ParticipantAcceptanceStatus::accepted});
    share.share()->currentUserRecordName = "bob";
    bob->sync().applyServerRecord(share);
    EXPECT_TRUE(bob->store().lists().isEmpty());

    bob->store().persist();
    bob->restart(); // the waiting permission is kept in the file
    Record listRecord("TB_List", RecordID{"list", ZoneID{"TB-L9", "ann"}});
    listRecord.set("name", QString("Party"));
    bob->sync().applyServerRecord(listRecord);
    ASSERT_EQ(bob->store().lists().size(), 1);
    EXPECT_EQ(bob->store().lists()[0].sharePermission, TBSharePermission::readOnly);
    EXPECT_TRUE(bob->store().lists()[0].hasShare);
}

TEST_F(SharedListTest, ShareFlagsAndLookUps) {
    const QString unshared = ann->store().addList("Private").id;
    ASSERT_FALSE(ann->syncNow());
    share(listID, ParticipantPermission::readWrite);

    EXPECT_FALSE(list(ann->store(), listID)->hasShare);
    EXPECT_FALSE(
        wait([&](auto done) { ann->sync().refreshShareFlags([done] { done(std::nullopt); }); }));
    EXPECT_TRUE(list(ann->store(), listID)->hasShare);
    EXPECT_FALSE(list(ann->store(), unshared)->hasShare);

    std::optional<Record> found;
    std::optional<CloudSync::ShareError> failure;
    const auto lookUp = [&](const QString& id) {
        found.reset();
        failure.reset();
        wait([&](auto done) {
            ann->sync().existingShare(id, [&, done](auto share, auto error) {
                found = share;
                failure = error;
                done(std::nullopt);
            });
        });
    };
    lookUp(listID);
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->isShare());
    EXPECT_FALSE(failure);
    lookUp(unshared);
    EXPECT_FALSE(found);
    EXPECT_FALSE(failure); // no share is an answer, not an error
    lookUp("NO-SUCH-LIST");
    ASSERT_TRUE(failure);
    EXPECT_EQ(CloudSync::errorDescription(*failure), "That list no longer exists.");

    // Bob looks up the share of the list he was given in the shared database.
    ASSERT_FALSE(bob->syncNow());
    wait([&](auto done) {
        bob->sync().existingShare(listID, [&, done](auto share, auto error) {
            found = share;
            failure = error;
            done(std::nullopt);
        });
    });
    EXPECT_TRUE(found);
    EXPECT_FALSE(failure);

    // A failed look-up and a store without cloud sync change nothing.
    ann->sync().setShareRecordLookup([](const auto&, auto done) {
        done(CloudError::make(CloudError::Code::networkUnavailable));
    });
    ann->sync().refreshShareFlags();
    EXPECT_TRUE(list(ann->store(), listID)->hasShare);
}

// What a screen asks of the cloud half gets an answer with sync switched off, and in a store
// whose cloud could not be reached at all.
TEST_F(SharedListTest, SyncAndShareLookUpsAnswerWithSyncOffAndWithoutACloud) {
    share(listID, ParticipantPermission::readWrite);
    struct Answer {
        bool shareFound = false;
        QString error;
    };
    const auto ask = [](CloudSync& sync, const QString& id, bool prepare) {
        Answer answer;
        wait([&](auto done) {
            const auto take = [&, done](std::optional<Record> found,
                                        std::optional<CloudSync::ShareError> error) {
                answer.shareFound = found && found->isShare();
                answer.error = error ? CloudSync::errorDescription(*error) : QString();
                done(std::nullopt);
            };
            prepare ? sync.prepareShare(id, take) : sync.existingShare(id, take);
        });
        return answer;
    };

    ann->store().setSyncEnabled(false);
    MemoryDefaults defaults;
    QTemporaryDir folder;
    ListStore offline(folder.filePath("store.json"), true, false, defaults, ann->clock);
    const QString offlineList = offline.addList("Here only").id;
    CloudSync* unreachable = CloudSync::attach(
        offline, CloudError::make(CloudError::Code::internalError, QString("no container")));
    offline.start();

    const QString noSuchList = "NO-SUCH-LIST";
    const QString notHere = "Invite people with tallybird-cloud for now.";
    const QString gone = "That list no longer exists.";
    const QString closed =
        CloudError::make(CloudError::Code::internalError, "no container").message;
    struct Case {
        const char* what;
        CloudSync* sync;
        QString listID;
        bool prepare;
        bool shareFound;
        QString error;
    };
    const Case cases[] = {
        {"sync off: the share is still asked for", &ann->sync(), listID, false, true, {}},
        {"sync off: an unknown list", &ann->sync(), noSuchList, false, false, gone},
        {"sync off: sharing cannot start here", &ann->sync(), listID, true, false, notHere},
        {"no cloud: the share cannot be asked for", unreachable, offlineList, false, false, closed},
        {"no cloud: an unknown list", unreachable, noSuchList, false, false, gone},
        {"no cloud: sharing cannot start here", unreachable, offlineList, true, false, notHere},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Answer answer = ask(*c.sync, c.listID, c.prepare);
        EXPECT_EQ(answer.shareFound, c.shareFound);
        EXPECT_EQ(answer.error, c.error);
    }

    // A pass with the switch off or without a cloud completes at once, sends nothing and
    // keeps the marks for later.
    ann->store().addItem(listID, "Bread");
    for (CloudSync* sync : {&ann->sync(), unreachable}) {
        bool finished = false;
        sync->syncNow([&](std::optional<CloudError> error) {
            EXPECT_FALSE(error);
            finished = true;
        });
        EXPECT_TRUE(finished);
    }
    EXPECT_EQ(ann->store().dirtyItems().size(), 1);
    EXPECT_FALSE(offline.dirtyLists().isEmpty());
    EXPECT_EQ(unreachable->engine(EngineScope::privateDatabase), nullptr);
}

TEST(SharingTexts, MessagesAreFixed) {
    const std::pair<SharingError, QString> table[] = {
        {SharingError::unknownList, "That list no longer exists."},
        {SharingError::notTheOwner,
         "Only the person who created a list can change who it is shared with."},
        {SharingError::notShared, "That list is not shared."},
        {SharingError::notAvailableHere, "Invite people with tallybird-cloud for now."},
    };
    for (const auto& [error, message] : table)
        EXPECT_EQ(errorDescription(error), message);

    CloudSharingSheet sheet{Record::zoneWideShare(ZoneID{"TB-1"}), nullptr, "Groceries", {}};
    EXPECT_EQ(sheet.title(), "Sharing is not available on this computer yet");
    EXPECT_EQ(sheet.message(),
              "Invite people with tallybird-cloud for now. Groceries will keep syncing here.");
}

} // namespace
} // namespace synctest
