#include "StoreTestSupport.h"

#include "store/StoreEncodingCache.h"
#include "store/UnreadableCopies.h"

#include <QDir>
#include <QLockFile>
#include <QSysInfo>

namespace {

// A store that uses every part of the file: both kinds of lists, a shared list, notes, circles,
// aliases, groups, tombstones, pending deletions, marks, archives, engine states and identity.
void fillRichStore(ListStore& store, FixedClock& clock) {
    TBList groceries = store.addList("Groceries");
    groceries.kind = TBListKind::ongoing;
    groceries.dueDate = Date(StoreTest::start + 86400);
    groceries.colourID = "green";
    groceries.icon = "cart";
    store.updateList(groceries);
    store.setCompletedRetention(CompletedRetention::keep50, groceries.id);
    const TBItem milk = store.addItem(groceries.id, "Milk #dairy").value();
    store.addNote("semi-skimmed", milk.id, "_me", "Me");
    clock.advance(5);
    store.setDone(milk.id, true);
    store.setItemPinned(store.addItem(groceries.id, "Bread").value().id, true);
    store.deleteItem(store.addItem(groceries.id, "Gone").value().id);
    store.setCollection(QString("Home"), groceries.id);

    const TBList trip = store.addList("Trip");
    store.setListPinned(trip.id, true);
    store.deleteList(store.addList("Old").id);

    const TBCircle family = store.addCircle("Family");
    store.addPerson("Ann", "ann@example.com", family.id);
    store.addPerson("", "+44 1234 5678", family.id);
    PersonAlias alias;
    alias.personID = "_other";
    alias.alias = "Bob";
    alias.photo = QByteArray("\x89PNG\0\1", 6);
    alias.handles = {"bob@example.com"};
    store.setAlias(alias);
}

// The shared list arrives from another person; the store file is the way to seed it here.
Json withSharedList(Json document) {
    TBList shared;
    shared.id = "SHARED-1";
    shared.name = "Their list";
    shared.zoneOwnerName = "_owner";
    shared.sharePermission = TBSharePermission::readOnly;
    shared.createdAt = Date(1000.5);
    document["lists"].push_back(shared.toJson());
    document["archivedRecords"]["L#SHARED-1"] = "AAEC/w==";
    document["engineState"] = "e30=";
    document["sharedEngineState"] = "W10=";
    document["lastKnownUserRecordName"] = "_me";
    document["identity"] = Json{{"knownRecordNames", {"_me"}}, {"byScope", {{"private", "_me"}}}};
    return document;
}

} // namespace

TEST_F(StoreTest, RichStoreSurvivesRestartWithEveryField) {
    {
        auto store = open();
        fillRichStore(*store, clock);
    }
    writeFile(QByteArray::fromStdString(withSharedList(fileJson()).dump()));

    auto first = open();
    EXPECT_EQ(first->lists().size(), 3);
    EXPECT_FALSE(first->circles().isEmpty());
    EXPECT_EQ(first->tombstones().size(), 1);
    EXPECT_EQ(first->pendingZoneDeletions().size(), 1);
    EXPECT_EQ(first->pendingItemDeletions().size(), 1);
    EXPECT_EQ(first->archivedRecord("L#SHARED-1"), QByteArray("\x00\x01\x02\xff", 4));
    first->persist();
    const QByteArray saved = fileBytes();
    const DiskV2 before = DiskV2::decode(saved, Date(0));
    first.reset();

    auto second = open();
    second->persist();
    // Reading and writing again gives the same document byte for byte.
    EXPECT_EQ(fileBytes(), saved);
    EXPECT_EQ(second->lists(), before.lists);
    EXPECT_EQ(second->allItems(), before.items);
    EXPECT_EQ(second->dirtyLists(), before.dirtyLists);
    EXPECT_EQ(second->dirtyItems(), before.dirtyItems);
    EXPECT_EQ(second->filings(), *before.filings);
    EXPECT_EQ(second->dirtyFilings(), *before.dirtyFilings);
    EXPECT_EQ(second->circles(), *before.circles);
    EXPECT_EQ(second->aliases(), *before.aliases);
    EXPECT_EQ(second->tombstones(), *before.tombstones);
    EXPECT_EQ(second->identity(), *before.identity);
    EXPECT_EQ(second->engineStateData(), QByteArray("{}"));
    EXPECT_EQ(second->sharedEngineStateData(), QByteArray("[]"));
    EXPECT_EQ(second->aliases().value("_other").photo, QByteArray("\x89PNG\0\1", 6));
    EXPECT_TRUE(second->isShared("SHARED-1"));
}

TEST_F(StoreTest, WrittenFileHasVersionFirstAndEveryKeyInOrder) {
    auto store = open();
    store->addList("A");
    std::vector<std::string> keys;
    const Json document = fileJson();
    for (const auto& [key, value] : document.items())
        keys.push_back(key);
    const std::vector<std::string> expected{
        "version",    "lists",           "items",
        "dirtyLists", "dirtyItems",      "archivedRecords",
        "identity",   "circles",         "aliases",
        "filings",    "dirtyFilings",    "pendingItemDeletions",
        "tombstones", "dirtyTombstones", "pendingZoneDeletions"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(fileJson()["version"], 3);
}

TEST_F(StoreTest, MissingFileGivesEmptyStoreAndNoWriteUntilFirstChange) {
    auto store = open();
    EXPECT_TRUE(store->lists().isEmpty());
    EXPECT_FALSE(QFile::exists(path()));
    store->addList("First");
    store->flushSaves();
    EXPECT_TRUE(QFile::exists(path()));
}

TEST_F(StoreTest, FirstLayoutIsUpgradedWithEverythingMarked) {
    writeFile(R"({"lists":[{"id":"L1","name":"One"}],
                  "items":[{"id":"I1","listID":"L1","text":"x"},
                           {"id":"I2","listID":"L1","text":"y"}]})");
    auto store = open();
    EXPECT_EQ(store->dirtyLists().value("L1"), ListStore::allListFields());
    EXPECT_EQ(store->dirtyItems().value("I1"), ListStore::allItemFields());
    EXPECT_EQ(store->dirtyItems().value("I2"), ListStore::allItemFields());
    // Rewritten at once in the current layout, and the original kept aside.
    const Json rewritten = fileJson();
    EXPECT_EQ(rewritten["version"], 3);
    EXPECT_TRUE(rewritten.contains("pendingZoneDeletions"));
    EXPECT_EQ(UnreadableCopies::copies(path()).size(), 1);
}

TEST_F(StoreTest, LayoutsThatAreNotCurrentFallBackAsDescribed) {
    struct Case {
        const char* name;
        const char* document;
        qsizetype lists;
        bool upgraded; // read as the first layout
    };
    const Case cases[] = {
        {"version 7 is read (and only shown)",
         R"({"version":7,"lists":[{"id":"L","name":"n"}],"items":[],"dirtyLists":{},
             "dirtyItems":{},"archivedRecords":{}})",
         1, false},
        {"no archivedRecords", R"({"version":3,"lists":[{"id":"L","name":"n"}],"items":[],
             "dirtyLists":{},"dirtyItems":{}})",
         1, true},
        {"wrongly typed optional key", R"({"version":3,"lists":[{"id":"L","name":"n"}],
             "items":[],"dirtyLists":{},"dirtyItems":{},"archivedRecords":{},"circles":{}})",
         1, true},
        {"bad Base64 in an archive", R"({"version":3,"lists":[{"id":"L","name":"n"}],
             "items":[],"dirtyLists":{},"dirtyItems":{},"archivedRecords":{"L#L":"@@"}})",
         1, true},
        {"boolean version", R"({"version":true,"lists":[{"id":"L","name":"n"}],"items":[],
             "dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})",
         1, true},
        {"not JSON", "{lists:", 0, false},
        {"neither layout", R"({"lists":{}})", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        for (const QString& copy : UnreadableCopies::copies(path()))
            QFile::remove(copy);
        writeFile(c.document);
        auto store = open();
        EXPECT_EQ(store->lists().size(), c.lists);
        EXPECT_EQ(!store->dirtyLists().isEmpty(), c.upgraded);
    }
}

TEST_F(StoreTest, AFileASaveWouldChangeForTheWorseIsCopiedAsideFirstAndSaysWhy) {
    using Reason = ListStore::FileCopyReason;
    // A store of the current layout with `extra` members (each with its comma first) at the
    // top, and lists, items and the rest as given.
    const auto current = [](const char* extra, const char* lists = "[]", const char* items = "[]") {
        return QByteArray(R"({"version":3,"lists":)") + lists + R"(,"items":)" + items +
               R"(,"dirtyLists":{},"dirtyItems":{},"archivedRecords":{})" + extra + "}";
    };
    struct Case {
        const char* what;
        QByteArray document;
        std::optional<Reason> copied; // absent: no copy is needed
    };
    const Case cases[] = {
        {"the first layout", R"({"lists":[{"id":"L","name":"n"}],"items":[]})",
         Reason::olderLayout},
        {"the current layout without a required member", R"({"version":3,"lists":[],"items":[]})",
         Reason::unreadable},
        {"not JSON", "{lists:", Reason::unreadable},
        {"a member of the document", current(R"(,"reminders":{"I":[1,2]})"),
         Reason::unknownMembers},
        {"a member of an item",
         current("", "[]", R"([{"id":"I","listID":"L","text":"t","priority":"high"}])"),
         Reason::unknownMembers},
        {"a member of a list", current("", R"([{"id":"L","name":"n","shade":"teal"}])"),
         Reason::unknownMembers},
        {"a member of a circle's person",
         current(R"(,"circles":[{"id":"C","name":"c","order":0,)"
                 R"("members":[{"id":"P","name":"p","birthday":"05-01"}]}])"),
         Reason::unknownMembers},
        {"a member of a name kept for someone",
         current(R"(,"aliases":{"P":{"personID":"P","handles":[],"pronouns":"they"}})"),
         Reason::unknownMembers},
        {"a member of the identity",
         current(R"(,"identity":{"knownRecordNames":["_me"],"byScope":{},"since":1})"),
         Reason::unknownMembers},
        {"a member of a tombstone",
         current(R"(,"tombstones":{"I":{"listID":"L","deletedAt":5,"by":"_me"}})"),
         Reason::unknownMembers},
        {"a member of a pending zone deletion",
         current(R"(,"pendingZoneDeletions":{"L":{"listID":"L","isShared":false,"at":2}})"),
         Reason::unknownMembers},
        {"every member this program reads",
         current(
             R"(,"circles":[],"aliases":{},"filings":{},"tombstones":{"I":)"
             R"({"listID":"L","deletedAt":5}},"identity":{"knownRecordNames":[],"byScope":{}})"),
         std::nullopt},
        {"unknown members that are null",
         current(R"(,"reminders":null)", R"([{"id":"L","name":"n","shade":null}])",
                 R"([{"id":"I","listID":"L","text":"t","priority":null}])"),
         std::nullopt},
        {"a list's group name where the file keeps groups of its own",
         current(R"(,"filings":{"L":"Home"})", R"([{"id":"L","name":"n","groupName":"Old"}])"),
         std::nullopt},
        {"a newer version's members, never written over",
         R"({"version":7,"lists":[],"items":[],"dirtyLists":{},"dirtyItems":{},)"
         R"("archivedRecords":{},"reminders":{}})",
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path());
        for (const QString& copy : UnreadableCopies::copies(path()))
            QFile::remove(copy);
        writeFile(c.document);
        auto store = open();
        ASSERT_EQ(store->unreadableCopy().has_value(), c.copied.has_value());
        if (!c.copied)
            continue;
        EXPECT_EQ(store->fileCopyReason(), *c.copied);
        // The copy is taken at load, so that it can be named at once, and still holds the
        // file as it was once the store has written over it.
        store->addList("New");
        store->flushSaves();
        EXPECT_NE(fileBytes(), c.document);
        QFile copy(*store->unreadableCopy());
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), c.document);
        EXPECT_EQ(UnreadableCopies::copies(path()).size(), 1);
    }
}

TEST_F(StoreTest, GroupNamesMoveOffTheListEntries) {
    writeFile(R"({"version":3,"lists":[{"id":"A","name":"a","groupName":"  Home \n"},
                  {"id":"B","name":"b","groupName":""},{"id":"C","name":"c"}],
                  "items":[],"dirtyLists":{"A":["pinned"]},"dirtyItems":{},"archivedRecords":{}})");
    auto store = open();
    EXPECT_EQ(store->filings(), (QMap<QString, QString>{{"A", "Home"}}));
    EXPECT_EQ(store->dirtyFilings(), QSet<QString>{"A"});
    EXPECT_EQ(store->dirtyLists().value("A"), ListStore::allListFields());
    EXPECT_FALSE(store->dirtyLists().contains("B"));
    EXPECT_EQ(fileJson()["filings"]["A"], "Home"); // written at once
}

TEST_F(StoreTest, IdentityIsCarriedOverFromTheLastKnownUser) {
    writeFile(R"({"version":3,"lists":[],"items":[],"dirtyLists":{},"dirtyItems":{},
                  "archivedRecords":{},"lastKnownUserRecordName":"_abc"})");
    auto store = open();
    EXPECT_EQ(store->identity().byScope.at("migrated"), "_abc");
    EXPECT_EQ(store->identity().knownRecordNames.count("_abc"), 1u);
    EXPECT_TRUE(UnreadableCopies::copies(path()).isEmpty());
}

TEST_F(StoreTest, UnreadableFileIsCopiedAsideBeforeTheFirstWriteAndOnlyFiveAreKept) {
    for (int run = 0; run < 7; ++run) {
        const QByteArray garbage = "{\"lists\": not json " + QByteArray::number(run);
        writeFile(garbage);
        auto store = open();
        EXPECT_TRUE(store->lists().isEmpty());
        EXPECT_EQ(fileBytes(), garbage) << "loading alone never writes";
        clock.advance(1);
        store->addList("New");
        store->flushSaves();
        const QStringList copies = UnreadableCopies::copies(path());
        ASSERT_FALSE(copies.isEmpty());
        QFile newest(copies.last());
        ASSERT_TRUE(newest.open(QIODevice::ReadOnly));
        EXPECT_EQ(newest.readAll(), garbage);
        EXPECT_EQ(copies.size(), std::min(run + 1, UnreadableCopies::kept));
        // Once written in the current layout, later saves take no more copies.
        store->addList("Another");
        store->flushSaves();
        EXPECT_EQ(UnreadableCopies::copies(path()).size(), copies.size());
    }
}

TEST_F(StoreTest, TheCopyOfAnUnreadableFileIsTakenAtLoadAndNamed) {
    // A valid document cut short by a raw NUL byte: the parser would stop at the NUL and take
    // the first part for the whole file, and the next save would drop the rest unseen.
    const QByteArray valid =
        R"({"version":3,"lists":[],"items":[],"dirtyLists":{},"dirtyItems":{},)"
        R"("archivedRecords":{}})";
    const QByteArray damaged[] = {
        valid + QByteArray(1, '\0') + "more bytes",
        valid + "x" + "more bytes",
        QByteArray("{\"version\":3,\"lists\":[") + '\0' + "]}",
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.toStdString());
        for (const QString& copy : UnreadableCopies::copies(path()))
            QFile::remove(copy);
        writeFile(bytes);
        for (const ListStore::Access access :
             {ListStore::Access::readOnly, ListStore::Access::readWrite}) {
            auto store = open(true, access);
            ASSERT_TRUE(store->unreadableCopy());
            QFile copy(*store->unreadableCopy());
            ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
            EXPECT_EQ(copy.readAll(), bytes);
            store->addList("New");
        }
        // Reading the same bytes again named the copy already there.
        EXPECT_EQ(UnreadableCopies::copies(path()).size(), 1);
    }
    writeFile(valid);
    EXPECT_FALSE(open(true, ListStore::Access::readOnly)->unreadableCopy());
}

TEST_F(StoreTest, CopyOfAnUnreadableFileSurvivesCopiesStampedLater) {
    // Copies taken while the clock was ahead sort after the one taken now.
    for (int n = 0; n < UnreadableCopies::kept; ++n) {
        QFile later(path() + QString(".unreadable-2099010%1T000000.000Z").arg(n + 1));
        ASSERT_TRUE(later.open(QIODevice::WriteOnly));
    }
    writeFile("not json");
    auto store = open();
    store->addList("New");
    store->flushSaves();
    bool kept = false;
    for (const QString& copy : UnreadableCopies::copies(path())) {
        QFile file(copy);
        kept = kept || (file.open(QIODevice::ReadOnly) && file.readAll() == "not json");
    }
    EXPECT_TRUE(kept);
    EXPECT_EQ(UnreadableCopies::copies(path()).size(), UnreadableCopies::kept);
}

TEST_F(StoreTest, SecondWritingStoreIsRefusedAndNeverWrites) {
    auto owner = open();
    owner->addList("Mine");
    const QByteArray before = fileBytes();

    auto intruder = open();
    ASSERT_TRUE(intruder->lockError().has_value());
    EXPECT_TRUE(intruder->lockError()->contains("in use"));
    EXPECT_EQ(intruder->lists().size(), 1); // it still reads
    intruder->addList("Theirs");
    EXPECT_EQ(fileBytes(), before);

    auto reader = open(true, ListStore::Access::readOnly);
    EXPECT_FALSE(reader->lockError().has_value());
    EXPECT_EQ(reader->lists().size(), 1);
    reader->addList("Not written");
    EXPECT_EQ(fileBytes(), before);

    owner.reset(); // the lock goes with the store
    intruder.reset();
    EXPECT_FALSE(open()->lockError().has_value());
}

TEST_F(StoreTest, LockLeftByAProcessThatDiedIsTakenOver) {
    QFile stale(path() + ".lock");
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    // The lock file's own form: process id, program name, host name.
    stale.write("2147483000\ntallybird\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    auto store = open();
    EXPECT_FALSE(store->lockError().has_value());
    store->addList("Saved");
    store->flushSaves();
    EXPECT_TRUE(QFile::exists(path()));
}

TEST_F(StoreTest, FailedSaveKeepsStateAndTheNextChangeWritesEverything) {
    const QString folder = dir.filePath("sub");
    QDir().mkpath(folder);
    ListStore store(folder + "/store.json", true, false, defaults, clock);
    store.addList("One");
    store.flushSaves();
    QDir(folder).removeRecursively();
    store.addList("Two");
    store.flushSaves();
    EXPECT_FALSE(store.lastSaveSucceeded());
    EXPECT_EQ(store.lists().size(), 2);
    QDir().mkpath(folder);
    store.addList("Three");
    store.flushSaves();
    EXPECT_TRUE(store.lastSaveSucceeded());
    store.batch([] {});
    ListStore reread(folder + "/store.json", true, false, defaults, clock,
                     ListStore::Access::readOnly);
    EXPECT_EQ(reread.lists().size(), 3);
}

TEST_F(StoreTest, BatchesWriteOnceWhenTheOutermostCloses) {
    auto store = open();
    const TBList list = store->addList("L");
    const ino_t before = fileIdentity();
    store->batch([&] {
        store->addItem(list.id, "a");
        store->batch([&] { store->addItem(list.id, "b"); });
        EXPECT_EQ(fileIdentity(), before) << "inner batch wrote";
        EXPECT_TRUE(store->saveDeferred());
    });
    EXPECT_NE(fileIdentity(), before);
    EXPECT_FALSE(store->saveDeferred());
    EXPECT_EQ(store->batchDepth(), 0);

    const ino_t after = fileIdentity();
    store->batch([] {});
    EXPECT_EQ(fileIdentity(), after) << "a batch with no change wrote";
}

TEST_F(StoreTest, ResolvedLocationCopiesTheLegacyFileOnce) {
    const QString legacy = dir.filePath("legacy");
    const QString group = dir.filePath("group");
    EXPECT_EQ(ListStore::resolveStoreURL(group, legacy), group + "/store.json");
    EXPECT_FALSE(QFile::exists(group + "/store.json"));

    QDir().mkpath(legacy);
    QFile legacyFile(legacy + "/store.json");
    ASSERT_TRUE(legacyFile.open(QIODevice::WriteOnly));
    legacyFile.write("old");
    legacyFile.close();
    ListStore::resolveStoreURL(group, legacy);
    QFile copied(group + "/store.json");
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), "old");

    EXPECT_EQ(ListStore::resolveStoreURL(std::nullopt, legacy), legacy + "/store.json");
}

TEST_F(StoreTest, ItemsAreWrittenExactlyAsTheJsonLibraryWritesThem) {
    struct Case {
        const char* what;
        QString text;
        double order;
        std::optional<Date> completedAt;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"plain", "Milk", 0, std::nullopt},
        {"quotes and backslashes", R"(say "hi" \ bye)", 1, Date(800'000'000)},
        {"control characters", QString("a\b\f\n\r\t\x01\x1f\x7f") + QChar(0), 2.5, std::nullopt},
        {"beyond ASCII", QString::fromUtf8("Crème brûlée 🍮 #dessert"), -0.0, Date(-1.25)},
        {"a lone surrogate", QString(QChar(0xD800)) + "x", 1e16, std::nullopt},
        {"small and large numbers", "n", 1e-5, Date(123456789.123456789)},
        {"the largest number", "n", 1.7976931348623157e308, Date(5e-324)},
        {"not a number", "n", nan, Date(infinity)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBItem item;
        item.id = "I-" + c.text;
        item.listID = "L";
        item.text = c.text;
        item.done = c.completedAt.has_value();
        item.order = c.order;
        item.completedAt = c.completedAt;
        item.notes = c.text + "\n" + c.text;
        DiskV2 disk;
        disk.items = {item};
        const QByteArray empty = DiskV2().encode();
        QByteArray expected = empty;
        expected.replace("\"items\":[]",
                         "\"items\":[" + QByteArray::fromStdString(item.toJson().dump()) + "]");
        EXPECT_EQ(disk.encode(), expected);
        StoreEncodingCache cache;
        EXPECT_EQ(disk.encode(&cache), expected);
        EXPECT_EQ(disk.encode(&cache), expected) << "from the cache";
    }
}

// Saves one after another through one cache write what a save without it writes, whatever
// happened to the items and archived records between them.
TEST(StoreFileEncoding, CachedSavesWriteWhatAFreshEncodingWrites) {
    const auto item = [](const QString& id, const QString& text) {
        TBItem made;
        made.id = id;
        made.listID = "L";
        made.text = text;
        return made;
    };
    DiskV2 disk;
    disk.items = {item("a", "1"), item("b", "2"), item("c", "3")};
    disk.archivedRecords.insert("I#a", "AAAA");
    StoreEncodingCache cache = StoreEncodingCache::of(disk.items);
    struct Step {
        const char* what;
        std::function<void(DiskV2&)> change;
    };
    const Step steps[] = {
        {"nothing changed", [](DiskV2&) {}},
        {"one item edited", [&](DiskV2& d) { d.items[1].text = "two"; }},
        {"items added at the end",
         [&](DiskV2& d) {
             d.items += {item("d", "4"), item("e", "5")};
         }},
        {"an item removed in the middle", [&](DiskV2& d) { d.items.removeAt(1); }},
        {"items in another order", [&](DiskV2& d) { std::swap(d.items[0], d.items[2]); }},
        {"an item added in front", [&](DiskV2& d) { d.items.prepend(item("f", "6")); }},
        {"a record added", [&](DiskV2& d) { d.archivedRecords.insert("I#b", "AQID"); }},
        {"a record replaced and the first item edited",
         [&](DiskV2& d) {
             d.archivedRecords.insert("I#a", "AA==");
             d.items[0].done = true;
         }},
        {"a record removed", [&](DiskV2& d) { d.archivedRecords.remove("I#b"); }},
        {"the records of another store",
         [&](DiskV2& d) {
             ArchivedRecords other;
             other.insert("I#z", "AAAA");
             d.archivedRecords = other;
         }},
        {"every item gone", [&](DiskV2& d) { d.items.clear(); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(disk);
        EXPECT_EQ(disk.encode(&cache), disk.encode());
        EXPECT_EQ(cache.entries.size(), size_t(disk.items.size()));
    }
}
