// Two or three devices on one in-memory container, each a store with its own file.
#include "SyncTestSupport.h"

#include "model/ItemNotes.h"

namespace synctest {
namespace {

using namespace cloud;

class SyncBehaviourTest : public SyncTest {
protected:
    void SetUp() override {
        SyncTest::SetUp();
        a = device("deviceA");
        b = device("deviceB");
    }

    // A list with one item, on both devices.
    void shared(const QString& text = "Milk") {
        listID = a->store().addList("Groceries").id;
        itemID = a->store().addItem(listID, text).value().id;
        ASSERT_FALSE(a->syncNow());
        ASSERT_FALSE(b->syncNow());
        ASSERT_NE(item(b->store(), itemID), nullptr);
    }

    std::unique_ptr<Device> a;
    std::unique_ptr<Device> b;
    QString listID;
    QString itemID;
};

// Everything one fetched event brings is announced once, and is in the store file by the time
// the pass that fetched it ends; an event that arrives outside a pass is written at once.
TEST_F(SyncBehaviourTest, AFetchedEventIsAnnouncedOnceAndOnDiskWhenThePassEnds) {
    shared();
    QStringList added;
    for (const char* text : {"Nails", "Glue", "Tape"})
        added.append(a->store().addItem(listID, text)->id);
    a->store().renameItem(added[0], "Screws");
    a->store().deleteItem(itemID);
    ASSERT_FALSE(a->syncNow());

    QList<StoreChange> heard;
    int redraws = 0;
    QObject::connect(&b->store(), &ListStore::storeChanged, &b->store(),
                     [&](const StoreChange& change) { heard.append(change); });
    QObject::connect(&b->store(), &ListStore::changed, &b->store(), [&] { ++redraws; });
    ASSERT_FALSE(b->syncNow());
    ASSERT_EQ(heard.size(), 1);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(heard[0].items.value(listID).added, QSet<QString>(added.begin(), added.end()));
    EXPECT_EQ(heard[0].items.value(listID).removed, QSet<QString>{itemID});

    const auto onDisk = [&] {
        return std::make_unique<ListStore>(b->store().fileURL(), true, false, b->defaults, b->clock,
                                           ListStore::Access::readOnly);
    };
    auto written = onDisk();
    EXPECT_EQ(contents(*written), contents(b->store()));
    EXPECT_EQ(written->tombstones().keys(), QList<QString>{itemID});
    EXPECT_EQ(written->archivedRecords(), b->store().archivedRecords());
    EXPECT_EQ(written->engineStateData(), b->store().engineStateData());
    EXPECT_EQ(
        written->engineStateData(),
        b->sync().engine(EngineScope::privateDatabase)->engine().state().serialization().data());

    // An engine step on its own, outside a pass.
    heard.clear();
    Record late("TB_Item", RecordID{"LATE", ZoneID{"TB-" + listID}});
    late.set("text", QString("Late"));
    b->sync().handle(SyncEvents::FetchedRecordZoneChanges{{late}, {}},
                     EngineScope::privateDatabase);
    EXPECT_EQ(heard.size(), 1);
    b->store().flushSaves(); // handed to the store's writer at once
    written = onDisk();
    EXPECT_NE(item(*written, "LATE"), nullptr);
}

TEST_F(SyncBehaviourTest, TypedItemReachesTheOtherDeviceAndEveryMarkIsCleared) {
    shared("Milk #dairy");
    const TBItem* arrived = item(b->store(), itemID);
    EXPECT_EQ(arrived->text, "Milk #dairy");
    EXPECT_EQ(arrived->listID, listID);
    ASSERT_NE(list(b->store(), listID), nullptr);
    EXPECT_EQ(list(b->store(), listID)->name, "Groceries");
    EXPECT_FALSE(list(b->store(), listID)->zoneOwnerName.has_value());
    EXPECT_EQ(contents(a->store()), contents(b->store()));

    for (Device* d : {a.get(), b.get()}) {
        EXPECT_TRUE(d->store().dirtyItems().isEmpty());
        EXPECT_TRUE(d->store().dirtyLists().isEmpty());
        EXPECT_TRUE(d->store().archivedRecords().contains("I#" + itemID));
        EXPECT_TRUE(d->store().archivedRecords().contains("L#" + listID));
    }

    // The second save updates the server copy instead of conflicting with it.
    a->store().setDone(itemID, true);
    ASSERT_FALSE(a->syncNow());
    EXPECT_TRUE(a->store().dirtyItems().isEmpty());
    ASSERT_FALSE(b->syncNow());
    EXPECT_TRUE(item(b->store(), itemID)->done);
    EXPECT_EQ(item(b->store(), itemID)->completedAt, item(a->store(), itemID)->completedAt);

    // The archives and marks are in the file: a restarted device sends nothing again.
    b->restart();
    EXPECT_EQ(contents(a->store()), contents(b->store()));
    EXPECT_TRUE(b->store().archivedRecords().contains("I#" + itemID));
}

TEST_F(SyncBehaviourTest, DirtyFieldSurvivesAFetch) {
    shared();
    a->store().setDone(itemID, true);
    a->store().renameItem(itemID, "Oat milk");
    ASSERT_FALSE(a->syncNow());

    b->store().renameItem(itemID, "Soy milk");
    ASSERT_FALSE(b->fetchOnly());
    EXPECT_EQ(item(b->store(), itemID)->text, "Soy milk"); // marked here: kept
    EXPECT_TRUE(item(b->store(), itemID)->done);           // not marked: the server's

    // The fetch brought the server's copy, so b's save builds on it and goes through at once.
    b->store().setItemPinned(itemID, true);
    ASSERT_FALSE(b->syncNow());
    EXPECT_TRUE(b->store().dirtyItems().isEmpty());
    ASSERT_FALSE(a->syncNow());
    EXPECT_EQ(item(a->store(), itemID)->text, "Soy milk");
    EXPECT_TRUE(item(a->store(), itemID)->pinned);
    EXPECT_TRUE(item(a->store(), itemID)->done);
    EXPECT_EQ(contents(a->store()), contents(b->store()));
}

TEST_F(SyncBehaviourTest, ConflictKeepsTheMarksUntilTheRetrySucceeds) {
    shared();
    a->store().renameItem(itemID, "from a");
    ASSERT_FALSE(a->syncNow());
    b->store().renameItem(itemID, "from b");
    // The first save fails with "server record changed"; the merge keeps b's text and takes
    // the server's copy as the base of the retry, which this pass sends after its fetches. Held
    // elsewhere then, the retry waits for the next pass, and the marks with it.
    ASSERT_FALSE(wait([&](CloudSync::Done done) {
        b->sync().syncNow(done, [&] {
            ASSERT_FALSE(container->injectFault(b->id(), itemID, CloudError::Code::zoneBusy, 1));
        });
    }));
    EXPECT_TRUE(b->store().dirtyItems().value(itemID).contains("text"));
    EXPECT_TRUE(b->pending().contains("save " + itemID));
    ASSERT_FALSE(b->syncNow());
    EXPECT_FALSE(b->store().dirtyItems().contains(itemID));
    ASSERT_FALSE(a->syncNow());
    EXPECT_EQ(item(a->store(), itemID)->text, "from b");
}

TEST_F(SyncBehaviourTest, NotesWrittenOnBothDevicesEndMerged) {
    shared();
    ASSERT_TRUE(a->store().addNote("from a", itemID, "A", "Ann"));
    b->clock.advance(5);
    ASSERT_TRUE(b->store().addNote("from b", itemID, "B", "Ben"));
    ASSERT_FALSE(a->syncNow());
    ASSERT_FALSE(b->syncNow());
    ASSERT_FALSE(b->syncNow());
    ASSERT_FALSE(a->syncNow());
    for (Device* d : {a.get(), b.get()}) {
        const auto notes = ItemNotes::parse(item(d->store(), itemID)->notes);
        ASSERT_EQ(notes.size(), 2);
        EXPECT_EQ(notes[0].text, "from a");
        EXPECT_EQ(notes[1].text, "from b");
    }
}

TEST_F(SyncBehaviourTest, AnEditMadeWhileASaveIsOnItsWayIsSentNextPass) {
    shared();
    a->store().renameItem(itemID, "sent");
    a->store().setItemPinned(itemID, true);
    auto built = a->sync().recordFor(RecordID{itemID, ZoneID{"TB-" + listID}});
    ASSERT_TRUE(built);
    a->store().renameItem(itemID, "edited meanwhile");

    // The server's answer to the save built before the edit.
    built->setChangeTag("t-confirmed");
    a->sync().markClean(*built);
    EXPECT_EQ(a->store().dirtyItems().value(itemID), FieldSet{"text"}); // pinned was sent
    EXPECT_TRUE(a->pending().contains("save " + itemID));
    // Looked up again: a change may move the store's items (a save in flight shares them).
    EXPECT_EQ(item(a->store(), itemID)->text, "edited meanwhile");
}

TEST_F(SyncBehaviourTest, AZoneNotFoundCreatesTheZoneAgainAndRetries) {
    shared();
    a->store().renameItem(itemID, "after the zone was lost");
    ASSERT_FALSE(container->injectFault("deviceA", itemID, CloudError::Code::zoneNotFound, 1));
    // Sent again after the fetches, in the same pass.
    ASSERT_FALSE(a->syncNow());
    EXPECT_FALSE(a->store().dirtyItems().contains(itemID));
    ASSERT_FALSE(b->syncNow());
    EXPECT_EQ(item(b->store(), itemID)->text, "after the zone was lost");
}

TEST_F(SyncBehaviourTest, ADeletedItemNeverComesBack) {
    shared();
    b->store().renameItem(itemID, "edited before b learned of the deletion");
    a->store().deleteItem(itemID);
    ASSERT_FALSE(a->syncNow());
    EXPECT_TRUE(a->store().pendingItemDeletions().isEmpty());

    for (int pass = 0; pass < 3; ++pass) {
        ASSERT_FALSE(b->syncNow());
        ASSERT_FALSE(a->syncNow());
    }
    EXPECT_EQ(item(a->store(), itemID), nullptr);
    EXPECT_EQ(item(b->store(), itemID), nullptr);
    EXPECT_TRUE(b->store().tombstones().contains(itemID));
    const auto records = container->records("local", "TB-" + listID);
    ASSERT_TRUE(records.ok());
    for (const Record& record : records.value())
        EXPECT_NE(record.recordID().recordName, itemID);

    // A device that already deleted an item sends the deletion again when it sees it saved.
    b->store().deleteItem(b->store().addItem(listID, "x").value().id);
    const QString other = a->store().addItem(listID, "y").value().id;
    ASSERT_FALSE(a->syncNow());
    a->store().deleteItem(other);
    container->setOffline("deviceA", true);
    ASSERT_TRUE(a->syncNow());
    container->setOffline("deviceA", false);
    a->restart();
    ASSERT_FALSE(a->syncNow());
    ASSERT_FALSE(b->syncNow());
    EXPECT_EQ(item(b->store(), other), nullptr);
}

TEST_F(SyncBehaviourTest, AnItemDeletedWhileSyncWasOffLosesItsServerRecord) {
    shared();
    a->store().setSyncEnabled(false);
    a->store().deleteItem(itemID);
    a->store().setSyncEnabled(true);
    ASSERT_FALSE(a->syncNow());
    const auto records = container->records("local", "TB-" + listID);
    ASSERT_TRUE(records.ok());
    for (const Record& record : records.value())
        EXPECT_NE(record.recordID().recordName, itemID);

    // Once the tombstones are pruned, a device that never fetched them still cannot get
    // the item back: its record is gone.
    a->clock.advance(2'592'001);
    a->store().pruneTombstones(a->clock.now());
    ASSERT_FALSE(a->syncNow());
    auto c = device("deviceC");
    ASSERT_FALSE(c->syncNow());
    EXPECT_EQ(item(c->store(), itemID), nullptr);
}

TEST_F(SyncBehaviourTest, AListDeletedOnOneDeviceDisappearsOnTheOther) {
    shared();
    b->store().setCollection(QString("Home"), listID);
    ASSERT_FALSE(b->syncNow());
    ASSERT_FALSE(a->syncNow());
    EXPECT_EQ(a->store().filings().value(listID), "Home");

    a->store().deleteList(listID);
    ASSERT_FALSE(a->syncNow());
    EXPECT_TRUE(a->store().pendingZoneDeletions().isEmpty());
    ASSERT_FALSE(b->syncNow());
    EXPECT_EQ(list(b->store(), listID), nullptr);
    EXPECT_EQ(item(b->store(), itemID), nullptr);
    EXPECT_FALSE(b->store().archivedRecords().contains("L#" + listID));
    EXPECT_FALSE(b->store().filings().contains(listID));
}

TEST_F(SyncBehaviourTest, ATombstoneTheServerAlreadyHoldsIsNotSentAgain) {
    shared();
    a->store().deleteItem(itemID);
    b->store().deleteItem(itemID);
    ASSERT_FALSE(a->syncNow());
    ASSERT_FALSE(b->syncNow()); // b's tombstone save meets a's
    EXPECT_TRUE(b->store().dirtyTombstones().isEmpty());
    EXPECT_FALSE(b->pending().contains("save tomb-" + itemID));
    ASSERT_FALSE(b->syncNow());
    EXPECT_TRUE(b->pending().isEmpty());
}

TEST_F(SyncBehaviourTest, SigningOutKeepsTheDataAndANewAccountGetsEverything) {
    shared();
    b->store().setCollection(QString("Home"), listID);
    ASSERT_FALSE(container->signOut("deviceB"));
    const auto error = b->syncNow();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, CloudError::Code::notAuthenticated);
    EXPECT_NE(item(b->store(), itemID), nullptr);
    EXPECT_NE(list(b->store(), listID), nullptr);
    EXPECT_TRUE(b->store().dirtyItems().isEmpty());
    EXPECT_TRUE(b->store().dirtyFilings().isEmpty());
    EXPECT_TRUE(b->store().archivedRecords().isEmpty());
    EXPECT_TRUE(b->store().identity().knownRecordNames.empty());
    EXPECT_FALSE(b->store().lastKnownUserRecordName().has_value());

    container->createUser("carl", std::nullopt);
    ASSERT_FALSE(container->signIn("deviceB", "carl"));
    ASSERT_FALSE(b->syncNow());
    EXPECT_EQ(b->store().lastKnownUserRecordName(), "carl");
    EXPECT_TRUE(b->store().identity().knownRecordNames.contains("carl"));
    EXPECT_TRUE(b->store().dirtyItems().isEmpty());
    const auto records = container->records("carl", "TB-" + listID);
    ASSERT_TRUE(records.ok());
    EXPECT_EQ(records.value().size(), 2u); // the list and its item
    auto carlsOther = device("carlPhone", "carl");
    ASSERT_FALSE(carlsOther->syncNow());
    EXPECT_EQ(contents(carlsOther->store()), contents(b->store()));
}

// A store file that holds one item id in two lists (damaged, or edited by hand) gives another
// device both items, each in its list.
TEST_F(SyncBehaviourTest, ItemsSharingOneIdInTheStoreFileReachAnotherDeviceEachInItsList) {
    a->store().flushSaves();
    QFile file(a->store().fileURL());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(R"({"version":3,"lists":[{"id":"A","name":"a"},{"id":"B","name":"b"}],
        "items":[{"id":"D","listID":"A","text":"in a"},{"id":"D","listID":"B","text":"in b"}],
        "dirtyLists":{"A":["name"],"B":["name"]},"dirtyItems":{"D":["text"]},
        "archivedRecords":{}})");
    file.close();
    a->restart();
    ASSERT_FALSE(a->syncNow());
    ASSERT_FALSE(b->syncNow());
    EXPECT_EQ(b->store().itemsOf("B").size(), 1);
    EXPECT_EQ(contents(b->store()), contents(a->store()));
}

} // namespace
} // namespace synctest
