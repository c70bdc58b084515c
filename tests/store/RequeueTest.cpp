// Queuing what is marked, when the engines start and when an account is seen for the first
// time: each record once, each list's zone once, in time that grows with the items alone.
#include "StoreTestSupport.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <functional>

namespace {

// What one part of a RecordingFactory log queued: record saves by record name (a list's record
// by its zone and "list"), zone saves by zone name.
struct Queued {
    QMap<QString, int> records;
    QMap<QString, int> zones;
};

Queued queued(const QStringList& log) {
    Queued out;
    for (const QString& line : log) {
        const QStringList words = line.split(' ');
        if (words.value(1) == "saveRecord")
            ++out.records[words.value(3) == "list" ? words.value(2) + "/list" : words.value(3)];
        else if (words.value(1) == "saveZone")
            ++out.zones[words.value(2)];
    }
    return out;
}

// Engines that only count what they are given.
struct CountingFactory : EngineFactory {
    struct Engine : EngineQueue {
        explicit Engine(CountingFactory& f) : factory(f) {}
        void saveZone(const ZoneRef&) override { ++factory.zones; }
        void deleteZone(const ZoneRef&) override {}
        void saveRecord(const RecordRef&) override { ++factory.records; }
        void deleteRecord(const RecordRef&) override {}
        CountingFactory& factory;
    };
    std::unique_ptr<EngineQueue> makeEngine(EngineScope, const std::optional<QByteArray>&,
                                            bool) override {
        return std::make_unique<Engine>(*this);
    }
    int zones = 0;
    int records = 0;
};

class RequeueTest : public StoreTest {
protected:
    // Two lists of three items each, in a store that never synced: everything marked.
    std::unique_ptr<ListStore> filled() {
        auto store = open();
        for (const char* name : {"Groceries", "Hardware"}) {
            const QString list = store->addList(name).id;
            lists.append(list);
            for (const char* text : {"one", "two", "three"})
                items.append(store->addItem(list, text).value().id);
        }
        return store;
    }

    QStringList lists;
    QStringList items;
};

TEST_F(RequeueTest, AFirstSignInQueuesOnlyWhatHadNoMarkAndMarksEverything) {
    struct Case {
        const char* what;
        // Done before the engines start; the marks as it leaves them are what start queues.
        std::function<void(ListStore&, const QStringList& items)> before;
        // Done after the engines start, before the engine reports the sign-in.
        std::function<void(ListStore&, const QStringList& items)> after;
    };
    const Case cases[] = {
        {"a store that never synced", {}, {}},
        {"a store whose changes were all sent",
         [](ListStore& store, const QStringList&) { store.resetForAccount(); },
         {}},
        {"two items ticked off since everything was sent",
         [](ListStore& store, const QStringList& items) {
             store.resetForAccount();
             store.setDone(items[1], true);
             store.setDone(items[4], true);
         },
         {}},
        {"an item renamed after the engines started",
         {},
         [](ListStore& store, const QStringList& items) { store.renameItem(items[2], "renamed"); }},
        {"everything sent, then an item renamed after the engines started",
         [](ListStore& store, const QStringList&) { store.resetForAccount(); },
         [](ListStore& store, const QStringList& items) { store.renameItem(items[0], "renamed"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lists.clear();
        items.clear();
        auto store = filled();
        if (c.before)
            c.before(*store, items);
        const QMap<QString, FieldSet> markedBeforeStart = store->dirtyItems();
        factory->log.clear();
        store->setEngineFactory(factory);
        store->start();
        const Queued atStart = queued(factory->log);
        for (const QString& item : items)
            EXPECT_EQ(atStart.records.value(item), markedBeforeStart.value(item).isEmpty() ? 0 : 1)
                << item.toStdString();
        for (auto it = atStart.zones.begin(); it != atStart.zones.end(); ++it)
            EXPECT_EQ(it.value(), 1) << "each list's zone once: " << it.key().toStdString();

        if (c.after)
            c.after(*store, items);
        const QMap<QString, FieldSet> markedBeforeSignIn = store->dirtyItems();
        const QMap<QString, FieldSet> listsBeforeSignIn = store->dirtyLists();
        factory->log.clear();
        store->signedIn("_ann", EngineScope::privateDatabase);
        const Queued atSignIn = queued(factory->log);
        for (const QString& item : items) {
            EXPECT_EQ(atSignIn.records.value(item),
                      markedBeforeSignIn.value(item).isEmpty() ? 1 : 0)
                << "queued again only when it had no mark: " << item.toStdString();
            EXPECT_EQ(store->dirtyItems().value(item), ListStore::allItemFields());
        }
        for (const QString& list : lists) {
            EXPECT_EQ(atSignIn.records.value("TB-" + list + "/list"),
                      listsBeforeSignIn.value(list).isEmpty() ? 1 : 0);
            EXPECT_EQ(store->dirtyLists().value(list), ListStore::allListFields());
        }
        EXPECT_TRUE(store->archivedRecords().isEmpty());

        // The other engine's word on the same account changes nothing.
        factory->log.clear();
        store->signedIn("_ann", EngineScope::sharedDatabase);
        EXPECT_TRUE(queued(factory->log).records.isEmpty());
        store.reset();
        QFile::remove(path());
    }
}

// Bob's list, shared with the account this device was in, is his: a new account neither owns it
// nor may write to it. An item whose list is not here would reach the other devices without a
// list to show it in. Only the user's own lists, their items, groups and deletions are marked.
TEST_F(RequeueTest, AFirstSignInMarksOnlyWhatIsTheUsersOwn) {
    writeFile(R"({"version":3,
        "lists":[{"id":"own","name":"Own"},
                 {"id":"bobs","name":"Tools","zoneOwnerName":"_bob"}],
        "items":[{"id":"tea","listID":"own","text":"tea"},
                 {"id":"hammer","listID":"bobs","text":"hammer"},
                 {"id":"stray","listID":"gone","text":"stray"}],
        "filings":{"own":"Home","bobs":"Shared"},
        "tombstones":{"buns":{"listID":"own","deletedAt":800000000},
                      "nails":{"listID":"bobs","deletedAt":800000000},
                      "lost":{"listID":"gone","deletedAt":800000000}},
        "dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})");
    auto store = openWithEngines();
    ASSERT_EQ(store->lists().size(), 2);
    ASSERT_EQ(store->allItems().size(), 3);
    ASSERT_EQ(store->tombstones().size(), 3);
    store->signedIn("_kim", EngineScope::privateDatabase);

    const QStringList log = factory->log;
    const auto queuedSave = [&](const QString& zone, const QString& record) {
        return log.contains("private saveRecord " + zone + " " + record) ||
               log.contains("shared saveRecord " + zone + " " + record);
    };
    struct Case {
        const char* what;
        bool expected; // marked in full and queued
        bool marked;
        bool queued;
    };
    const Case cases[] = {
        {"the user's list", true, store->dirtyLists().contains("own"),
         queuedSave("TB-own", "list")},
        {"its item", true, store->dirtyItems().contains("tea"), queuedSave("TB-own", "tea")},
        {"its deleted item", true, store->dirtyTombstones().contains("buns"),
         queuedSave("TB-own", "tomb-buns")},
        {"Bob's list", false, store->dirtyLists().contains("bobs"), queuedSave("TB-bobs", "list")},
        {"Bob's item", false, store->dirtyItems().contains("hammer"),
         queuedSave("TB-bobs", "hammer")},
        {"Bob's deleted item", false, store->dirtyTombstones().contains("nails"),
         queuedSave("TB-bobs", "tomb-nails")},
        {"an item whose list is not here", false, store->dirtyItems().contains("stray"),
         queuedSave("TB-gone", "stray")},
        {"a deleted item whose list is not here", false, store->dirtyTombstones().contains("lost"),
         queuedSave("TB-gone", "tomb-lost")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.marked, c.expected);
        EXPECT_EQ(c.queued, c.expected);
    }
    // The groups are the user's own arrangement, Bob's list's too.
    EXPECT_EQ(store->dirtyFilings(), QSet<QString>({"own", "bobs"}));
    // Nor is a zone made for either under the new account.
    EXPECT_TRUE(log.filter(QRegularExpression("saveZone TB-(bobs|gone) ")).isEmpty())
        << log.join('\n').toStdString();
}

// Each item's list is found by its id: looking it up among all the lists, as it once was, makes
// starting the engines take time in the items times the lists. Lists whose ids differ only at
// their end make each comparison of two ids long, as a store's thousands of lists make the
// comparisons many: here seconds, against milliseconds. The bound leaves room for a slow
// machine.
TEST_F(RequeueTest, StartingTheEnginesTakesTimeInTheItemsNotTheItemsTimesTheLists) {
    constexpr int count = 4'000; // lists, of one marked item each
    const QByteArray prefix(2'500, 'x');
    QByteArray lists;
    QByteArray items;
    QByteArray marks;
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(5, '0');
        const QByteArray list = prefix + n;
        const QByteArray separator = i == 0 ? "" : ",";
        lists += separator + R"({"id":")" + list + R"(","name":"List )" + n + R"("})";
        items +=
            separator + R"({"id":"item-)" + n + R"(","listID":")" + list + R"(","text":"item"})";
        marks += separator + R"("item-)" + n + R"(":["text","done"])";
    }
    writeFile(R"({"version":3,"lists":[)" + lists + R"(],"items":[)" + items +
              R"(],"dirtyLists":{},"dirtyItems":{)" + marks + R"(},"archivedRecords":{}})");
    auto store = open();
    ASSERT_EQ(store->allItems().size(), count);
    auto counting = std::make_shared<CountingFactory>();
    store->setEngineFactory(counting);
    QElapsedTimer timer;
    timer.start();
    store->start();
    const qint64 took = timer.elapsed();
    EXPECT_EQ(counting->zones, count);
    EXPECT_EQ(counting->records, count);
    EXPECT_LT(took, 1000);
}

// What the store owes the cloud is what the account it is in may send now: a sync that leaves
// any of it unsent leaves the next request to catch up and send it, while marks that cannot go
// now must not make every request catch up.
TEST_F(RequeueTest, TheStoreOwesTheCloudWhatItsAccountMaySendNow) {
    TBList own;
    own.id = "own";
    own.name = "Own";
    TBList team = own;
    team.id = "team";
    team.name = "Team";
    team.zoneOwnerName = "_bob";
    team.sharePermission = TBSharePermission::readOnly;
    TBItem mine;
    mine.id = "mine";
    mine.listID = own.id;
    mine.text = "milk";
    TBItem theirs = mine;
    theirs.id = "theirs";
    theirs.listID = team.id;
    const FieldSet text{"text"};
    const Tombstone gone{own.id, Date(start)};
    struct Case {
        const char* what;
        std::function<void(DiskV2&)> mark;
        bool owes;
    };
    const Case cases[] = {
        {"nothing marked", {}, false},
        {"an item's field", [&](DiskV2& d) { d.dirtyItems.insert(mine.id, text); }, true},
        {"a group assignment",
         [&](DiskV2& d) {
             d.filings = QMap<QString, QString>{{own.id, "Home"}};
             d.dirtyFilings = QSet<QString>{own.id};
         },
         true},
        {"a deleted item",
         [&](DiskV2& d) {
             d.tombstones = QMap<QString, Tombstone>{{"old", gone}};
             d.dirtyTombstones = QSet<QString>{"old"};
         },
         true},
        {"a list removed",
         [&](DiskV2& d) {
             d.pendingZoneDeletions = QMap<QString, PendingZoneDeletion>{
                 {"left", PendingZoneDeletion{"left", std::nullopt, false}}};
         },
         true},
        {"an item of a list that is view only here",
         [&](DiskV2& d) { d.dirtyItems.insert(theirs.id, text); }, false},
        {"marks held for another account",
         [&](DiskV2& d) {
             HeldMarks held;
             held.items.insert(mine.id, text);
             d.heldMarks = QMap<QString, HeldMarks>{{"_kim", held}};
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DiskV2 disk;
        disk.lists = {own, team};
        disk.items = {mine, theirs};
        if (c.mark)
            c.mark(disk);
        writeFile(disk.encode());
        EXPECT_EQ(open()->owesCloud(), c.owes);
    }
}

} // namespace
