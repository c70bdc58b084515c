// A send whose answer this device never took in (the program ended between the container's
// commit and the write of its answer, or the connection broke during the commit): the container
// says whether the send landed, and the note kept of what was sent, and the change tag it was
// sent against, tell whether a field still marked was changed here since or only waits for an
// answer that was lost. A send the container never took changes nothing here.
#include "SyncTestSupport.h"

#include "store/CloudLayout.h"
#include "store/RecordField.h"
#include "store/StoreFileSink.h"
#include "sync/CloudIds.h"
#include "sync/ListCloudMapping.h"

namespace synctest {
namespace {

using namespace cloud;

class LostAnswerTest : public SyncTest {};

// A disk that takes no write: the store file stays as it was, as when the program is killed.
class RefusingSink final : public StoreFileSink {
public:
    bool replace(const QString&, const Content&, QString* error) override {
        *error = QStringLiteral("The disk refused the write.");
        return false;
    }
};

TEST_F(LostAnswerTest, AFieldSentAndUnchangedHereSinceGivesWayToALaterChangeElsewhere) {
    const struct {
        const char* what;
        bool reached;          // the container committed the send
        bool phoneUnticks;     // the phone unticks the item after that
        bool renamedHereSince; // this device renames the item after the send
        bool doneInCloud;      // in the end
        const char* textInCloud;
        // The program was killed once the note was appended to the sending journal, before
        // the store file was written again; otherwise the note is in the store file, as the
        // program writes it as it quits, and as an older build kept every note.
        bool noteOnlyInJournal = false;
        // An older build kept no send id with its notes: nobody can say whether its send
        // landed, and the server's copy settles it.
        bool noteOfAnOlderBuild = false;
        const char* phoneRenamesTo = nullptr; // after the send
    } cases[] = {
        {"the send reached the container, the phone unticked since", true, true, false, false,
         "milk"},
        {"the same, with the item renamed here since", true, true, true, false, "oat milk"},
        {"the send reached the container and nothing changed since", true, false, false, true,
         "milk"},
        {"the send never reached the container", false, false, false, true, "milk"},
        {"the send never reached it, renamed here since", false, false, true, true, "oat milk"},
        {"the note only in the journal, the phone unticked since", true, true, false, false, "milk",
         true},
        {"the note only in the journal, renamed here since", true, true, true, false, "oat milk",
         true},
        {"the note only in the journal, the send never reached it", false, false, false, true,
         "milk", true},
        {"an older build's note, the phone unticked since", true, true, false, false, "milk", false,
         true},
        {"an older build's note, the send never reached the container", false, false, false, true,
         "milk", false, true},
        {"the send never reached the container, the phone renamed it since", false, false, false,
         true, "whole milk", false, false, "whole milk"},
        {"the note only in the journal, never reached, the phone renamed it since", false, false,
         false, true, "whole milk", true, false, "whole milk"},
        {"an older build's note, never reached, the phone renamed it since", false, false, false,
         false, "whole milk", false, true, "whole milk"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        auto mac = device("mac");
        const QString listID = mac->store().addList("Groceries").id;
        const TBItem milk = mac->store().addItem(listID, "milk").value();
        ASSERT_FALSE(mac->syncNow());
        auto phone = device("phone");
        ASSERT_FALSE(phone->syncNow());

        // The tick goes out, noted as sent; the program ends before the answer is taken in.
        mac->store().setDone(milk.id, true);
        const RecordID itemRecord = CloudIds::toCloud(mac->store().itemRecordID(milk));
        const QString sendID = row.noteOfAnOlderBuild ? QString() : QStringLiteral("0f1e2d3c");
        const auto sent =
            mac->sync().recordToSend(itemRecord, EngineScope::privateDatabase, sendID);
        ASSERT_TRUE(sent);
        if (row.reached) {
            const auto committed =
                container->modifyRecords("mac", DatabaseScope::privateScope, {*sent}, {}, sendID);
            ASSERT_TRUE(committed.ok());
            ASSERT_EQ(committed.value().savedRecords.size(), 1u);
        }
        if (row.noteOnlyInJournal) {
            const auto note = mac->sync().whenSendingNoted(EngineScope::privateDatabase);
            ASSERT_TRUE(note);
            note();
            mac->store().flushSaves();
            mac->store().setFileSink(std::make_shared<RefusingSink>());
        }
        mac->restart();
        ASSERT_TRUE(mac->store().dirtyItems().contains(milk.id));

        if (row.phoneUnticks) {
            ASSERT_FALSE(phone->syncNow());
            ASSERT_TRUE(item(phone->store(), milk.id)->done);
            phone->store().setDone(milk.id, false);
            ASSERT_FALSE(phone->syncNow());
        }
        if (row.phoneRenamesTo) {
            ASSERT_FALSE(phone->syncNow());
            phone->store().renameItem(milk.id, row.phoneRenamesTo);
            ASSERT_FALSE(phone->syncNow());
        }
        if (row.renamedHereSince)
            mac->store().renameItem(milk.id, "oat milk");

        ASSERT_FALSE(mac->syncNow());
        ASSERT_FALSE(mac->syncNow()); // what a conflict left to send again
        const auto kept =
            container->fetchRecords("phone", DatabaseScope::privateScope, {itemRecord});
        ASSERT_TRUE(kept.ok());
        ASSERT_TRUE(kept.value().front().second.ok());
        const auto inCloud = ListCloudMapping::item(kept.value().front().second.value());
        ASSERT_TRUE(inCloud);
        EXPECT_EQ(inCloud->done, row.doneInCloud);
        EXPECT_EQ(inCloud->text, row.textInCloud);
        // This device shows what the cloud holds, and nothing is left waiting or noted.
        EXPECT_EQ(item(mac->store(), milk.id)->done, row.doneInCloud);
        EXPECT_EQ(item(mac->store(), milk.id)->text, row.textInCloud);
        EXPECT_TRUE(mac->store().dirtyItems().isEmpty());
        EXPECT_FALSE(mac->store().archivedRecord(
            CloudLayout::sendingKey(CloudLayout::itemArchiveKey(milk.id))));
        container = Container::inMemory();
    }
}

// Bob ticks an item of Ann's list while his change cannot reach the container, or his send's
// answer is lost on its way back, and Ann then changes another field of the item: both changes
// stand everywhere, whether or not his send landed.
TEST_F(LostAnswerTest, AParticipantsTickThatNeverLandedOrLostItsAnswerStandsBesideTheOwners) {
    enum class Way { offline, lostBeforeCommit, lostAfterCommit };
    enum class Change { text, note, pin };
    const struct {
        const char* what;
        Way way;
        Change change;
    } cases[] = {
        {"out of reach, renamed", Way::offline, Change::text},
        {"out of reach, a note added", Way::offline, Change::note},
        {"out of reach, pinned", Way::offline, Change::pin},
        {"the answer lost, nothing committed, renamed", Way::lostBeforeCommit, Change::text},
        {"the answer lost, nothing committed, pinned", Way::lostBeforeCommit, Change::pin},
        {"the answer lost after the commit, renamed", Way::lostAfterCommit, Change::text},
        {"the answer lost after the commit, a note added", Way::lostAfterCommit, Change::note},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        auto ann = device("annLaptop", "ann");
        auto bob = device("bobLaptop", "bob");
        const QString listID = ann->store().addList("Groceries").id;
        const QString milk = ann->store().addItem(listID, "milk").value().id;
        ASSERT_FALSE(ann->syncNow());
        share(listID, ParticipantPermission::readWrite);
        ASSERT_FALSE(bob->syncNow());

        bob->store().setDone(milk, true);
        if (row.way == Way::offline)
            ASSERT_FALSE(container->setOffline("bobLaptop", true));
        else
            ASSERT_FALSE(
                container->injectLostAnswer("bobLaptop", row.way == Way::lostBeforeCommit
                                                             ? Container::LostAnswer::beforeCommit
                                                             : Container::LostAnswer::afterCommit));
        const auto failed = bob->syncNow();
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->code, CloudError::Code::networkUnavailable);
        ASSERT_FALSE(container->setOffline("bobLaptop", false));

        ASSERT_FALSE(ann->syncNow());
        switch (row.change) {
        case Change::text:
            ann->store().renameItem(milk, "oat milk");
            break;
        case Change::note:
            ASSERT_TRUE(ann->store().addNote("the green one", milk, "ann", "Ann"));
            break;
        case Change::pin:
            ann->store().setItemPinned(milk, true);
            break;
        }
        ASSERT_FALSE(ann->syncNow());
        const TBItem annsItem = *item(ann->store(), milk);

        ASSERT_FALSE(bob->syncNow());
        ASSERT_FALSE(bob->syncNow()); // what a conflict left to send again
        ASSERT_FALSE(ann->syncNow());
        const RecordID itemRecord = CloudIds::toCloud(ann->store().itemRecordID(annsItem));
        const auto kept =
            container->fetchRecords("annLaptop", DatabaseScope::privateScope, {itemRecord});
        ASSERT_TRUE(kept.ok());
        ASSERT_TRUE(kept.value().front().second.ok());
        const auto inCloud = ListCloudMapping::item(kept.value().front().second.value());
        ASSERT_TRUE(inCloud);
        for (const TBItem* seen : {&*inCloud, item(bob->store(), milk), item(ann->store(), milk)}) {
            ASSERT_NE(seen, nullptr);
            EXPECT_TRUE(seen->done) << "the tick was given up";
            EXPECT_EQ(seen->text, annsItem.text);
            EXPECT_EQ(seen->notes, annsItem.notes);
            EXPECT_EQ(seen->pinned, annsItem.pinned);
        }
        EXPECT_TRUE(bob->store().dirtyItems().isEmpty());
        EXPECT_FALSE(bob->store().archivedRecord(
            CloudLayout::sendingKey(CloudLayout::itemArchiveKey(milk))));
        container = Container::inMemory();
    }
}

} // namespace
} // namespace synctest
