// A send whose answer this device never took in (the program ended between the container's
// commit and the write of its answer): the note kept of what was sent, and the change tag it was
// sent against, tell after a restart whether a field still marked was changed here since or
// only waits for an answer that was lost.
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
        const auto sent = mac->sync().recordToSend(itemRecord, EngineScope::privateDatabase);
        ASSERT_TRUE(sent);
        if (row.reached) {
            const auto committed =
                container->modifyRecords("mac", DatabaseScope::privateScope, {*sent}, {});
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

} // namespace
} // namespace synctest
