#include "StoreTestSupport.h"

#include "model/ItemNotes.h"

namespace {
QList<double> orders(const QList<TBItem>& items) {
    QList<double> result;
    for (const TBItem& item : items)
        result.append(item.order);
    return result;
}
QStringList texts(const QList<TBItem>& items) {
    QStringList result;
    for (const TBItem& item : items)
        result.append(item.text);
    return result;
}
} // namespace

TEST_F(StoreTest, NewItemsAndListsTakeTheHighestOrderPlusOne) {
    // Orders 0, 1 and 7 in list L, one of them ticked; another list's items do not count.
    writeFile(R"({"version":3,"lists":[{"id":"L","name":"l","order":3},{"id":"E","name":"e"}],
        "items":[
        {"id":"a","listID":"L","text":"a","order":0},
        {"id":"b","listID":"L","text":"b","order":7,"done":true,"completedAt":5},
        {"id":"c","listID":"L","text":"c","order":1},
        {"id":"d","listID":"M","text":"d","order":20}],
        "dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})");
    auto store = open();
    const TBItem next = store->addItem("L", "next").value();
    EXPECT_EQ(next.order, 8);
    EXPECT_EQ(store->addItem("E", "first").value().order, 0);
    EXPECT_EQ(store->dirtyItems().value(next.id), ListStore::allItemFields());

    const TBList list = store->addList("New");
    EXPECT_EQ(list.order, 4);
    EXPECT_EQ(list.createdAt, clock.now());
    EXPECT_EQ(store->dirtyLists().value(list.id), ListStore::allListFields());
}

TEST_F(StoreTest, TickingStarringAndRenamingMarkOnlyTheirFields) {
    writeFile(R"({"version":3,"lists":[{"id":"L","name":"l"}],
        "items":[{"id":"I","listID":"L","text":"a","order":4}],
        "dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})");
    auto store = open();
    const auto marks = [&] { return store->dirtyItems().value("I"); };

    store->setDone("I", true);
    EXPECT_EQ(marks(), (FieldSet{"done", "completedAt"}));
    EXPECT_EQ(store->items("L")[0].completedAt, clock.now());
    const ino_t written = fileIdentity();
    store->setDone("I", true);
    EXPECT_EQ(fileIdentity(), written) << "ticking a ticked item saved";
    store->setDone("I", false);
    EXPECT_FALSE(store->items("L")[0].completedAt.has_value());

    store->setItemPinned("I", true);
    EXPECT_EQ(marks(), (FieldSet{"done", "completedAt", "pinned"}));
    const ino_t pinned = fileIdentity();
    store->setItemPinned("I", true); // marks and saves again all the same
    EXPECT_NE(fileIdentity(), pinned);
    EXPECT_EQ(store->items("L")[0].order, 4);

    store->renameItem("I", "b");
    EXPECT_EQ(store->items("L")[0].text, "b");
    EXPECT_EQ(marks(), (FieldSet{"done", "completedAt", "pinned", "text"}));
    const ino_t renamed = fileIdentity();
    store->renameItem("no such item", "c");
    EXPECT_EQ(fileIdentity(), renamed);
}

TEST_F(StoreTest, NotesAreAddedRefusedAndRemovedByDeletionLines) {
    auto store = open();
    const TBItem item = store->addItem(store->addList("L").id, "a").value();
    EXPECT_FALSE(store->addNote("   ", item.id, "_me", "Me"));
    EXPECT_FALSE(store->addNote("hello", "missing", "_me", "Me"));
    EXPECT_TRUE(store->allItems()[0].notes.isEmpty());

    store->removeNote("NOTE-1", item.id, "_me", "Me");
    const QString deletion = store->allItems()[0].notes;
    EXPECT_FALSE(deletion.contains('\n'));
    EXPECT_TRUE(deletion.startsWith("~NOTE-1\t"));

    ASSERT_TRUE(store->addNote("hello", item.id, "_me", "Me"));
    const QList<ItemNotes::Entry> live = ItemNotes::parse(store->allItems()[0].notes);
    ASSERT_EQ(live.size(), 1);
    store->removeNote(live[0].id, item.id, "_you", "You");
    EXPECT_TRUE(ItemNotes::parse(store->allItems()[0].notes).isEmpty());
    EXPECT_EQ(store->allItems()[0].notes.count('\n'), 2);
}

TEST_F(StoreTest, DeletingAnItemLeavesATombstoneAndQueuesItsRecords) {
    auto store = openWithEngines();
    const TBList list = store->addList("L");
    const TBItem item = store->addItem(list.id, "a").value();
    clock.advance(10);
    factory->log.clear();
    store->deleteItem(item.id);
    EXPECT_TRUE(store->allItems().isEmpty());
    EXPECT_FALSE(store->dirtyItems().contains(item.id));
    EXPECT_EQ(store->tombstones().value(item.id), (Tombstone{list.id, clock.now()}));
    EXPECT_TRUE(store->dirtyTombstones().contains(item.id));
    EXPECT_TRUE(store->pendingItemDeletions().contains(item.id));
    EXPECT_EQ(factory->log, (QStringList{"private saveRecord TB-" + list.id + " tomb-" + item.id,
                                         "private deleteRecord TB-" + list.id + " " + item.id}));

    // Without cloud sync nothing is kept for the cloud.
    auto local =
        std::make_unique<ListStore>(dir.filePath("local.json"), false, false, defaults, clock);
    const TBItem other = local->addItem(local->addList("L").id, "b").value();
    local->deleteItem(other.id);
    EXPECT_TRUE(local->tombstones().isEmpty());
    EXPECT_TRUE(local->pendingItemDeletions().isEmpty());
}

TEST_F(StoreTest, DeletingAListForgetsEverythingOfItAndQueuesItsZone) {
    auto store = openWithEngines();
    const TBList list = store->addList("L");
    const TBItem kept = store->addItem(list.id, "a").value();
    store->deleteItem(store->addItem(list.id, "b").value().id);
    store->setCollection(QString("Home"), list.id);
    factory->log.clear();
    store->deleteList(list.id);

    EXPECT_TRUE(store->lists().isEmpty());
    EXPECT_TRUE(store->allItems().isEmpty());
    EXPECT_FALSE(store->dirtyLists().contains(list.id));
    EXPECT_FALSE(store->dirtyItems().contains(kept.id));
    EXPECT_TRUE(store->tombstones().isEmpty());
    EXPECT_TRUE(store->dirtyTombstones().isEmpty());
    EXPECT_FALSE(store->filings().contains(list.id));
    EXPECT_TRUE(store->dirtyFilings().contains(list.id));
    EXPECT_EQ(store->pendingZoneDeletions().value(list.id),
              (PendingZoneDeletion{list.id, std::nullopt, false}));
    EXPECT_TRUE(factory->log.contains("private deleteZone TB-" + list.id + " __defaultOwner__"));

    // An id that names no list still records and queues its zone deletion.
    store->deleteList("GHOST");
    EXPECT_TRUE(store->pendingZoneDeletions().contains("GHOST"));
    EXPECT_EQ(factory->log.last(), "private deleteZone TB-GHOST __defaultOwner__");
}

TEST_F(StoreTest, DeletingSomeoneElsesListGoesToTheSharedEngine) {
    writeFile(R"({"version":3,"lists":[{"id":"S","name":"s","zoneOwnerName":"_them"}],
                  "items":[],"dirtyLists":{},"dirtyItems":{},"archivedRecords":{"L#S":"AA=="}})");
    auto store = openWithEngines();
    store->deleteList("S");
    EXPECT_EQ(factory->log, QStringList{"shared deleteZone TB-S _them"});
    EXPECT_EQ(store->pendingZoneDeletions().value("S"), (PendingZoneDeletion{"S", "_them", true}));
    EXPECT_TRUE(store->archivedRecords().isEmpty());
}

TEST_F(StoreTest, PruningKeepsTheRetainedTickedItemsOfOngoingLists) {
    struct Case {
        const char* what;
        const char* retention; // absent: no retention stored
        TBListKind kind;
        int ticked;
        int open;
        bool readOnlyShared;
        qsizetype left;
    };
    const TBListKind ongoing = TBListKind::ongoing;
    const TBListKind oneOff = TBListKind::oneOff;
    const Case cases[] = {
        {"never keeps no ticked item", "never", ongoing, 3, 2, false, 2},
        {"the ten ticked longest ago go", "50", ongoing, 60, 3, false, 53},
        {"exactly the limit", "50", ongoing, 50, 0, false, 50},
        {"all keeps everything", "all", ongoing, 9, 1, false, 10},
        {"no retention stored", nullptr, ongoing, 9, 1, false, 10},
        {"a text naming no choice", "25", ongoing, 9, 1, false, 10},
        {"a read-only shared list", "never", ongoing, 3, 0, true, 3},
        // A one-off list has no retention, whatever text it carries.
        {"a one-off list", "never", oneOff, 3, 2, false, 5},
        {"a one-off list over the limit", "50", oneOff, 60, 0, false, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path());
        Json document = Json::parse(R"({"version":3,"lists":[],"items":[],"dirtyLists":{},
                                        "dirtyItems":{},"archivedRecords":{}})");
        TBList list;
        list.id = "L";
        list.name = "l";
        list.kind = c.kind;
        if (c.retention)
            list.completedRetentionRaw = QString(c.retention);
        if (c.readOnlyShared) {
            list.zoneOwnerName = "_them";
            list.sharePermission = TBSharePermission::readOnly;
        }
        document["lists"].push_back(list.toJson());
        for (int i = 0; i < c.ticked + c.open; ++i) {
            TBItem item{QString("I%1").arg(i), "L", "t", i < c.ticked, double(i), false,
                        std::nullopt,          ""};
            if (item.done)
                item.completedAt = Date(start + i); // later index: ticked more recently
            document["items"].push_back(item.toJson());
        }
        writeFile(QByteArray::fromStdString(document.dump()));
        auto store = open();
        const ino_t before = fileIdentity();
        store->pruneCompleted("L");
        EXPECT_EQ(store->allItems().size(), c.left);
        EXPECT_EQ(fileIdentity() != before, c.left != c.ticked + c.open) << "saved without need";
        EXPECT_EQ(store->lists()[0].completedRetentionRaw,
                  c.retention ? std::optional(QString(c.retention)) : std::nullopt);
        if (c.ticked == 60 && c.left == 53) {
            EXPECT_TRUE(store->tombstones().contains("I9"));
            EXPECT_FALSE(store->tombstones().contains("I10"));
        }
    }
}

TEST_F(StoreTest, DragRenumbersAndMarksEveryItemWithPinnedStillFirst) {
    auto store = openWithEngines();
    const TBList list = store->addList("L");
    QStringList ids;
    for (const char* text : {"a", "b", "c", "d"})
        ids.append(store->addItem(list.id, text).value().id);
    store->setItemPinned(ids[3], true); // display order: d, a, b, c
    store->moveItems(list.id, {}, {}, 0);
    EXPECT_EQ(texts(store->items(list.id)), (QStringList{"d", "a", "b", "c"}));

    // Only a, b and c are shown; c is dragged to the top of them.
    const ino_t before = fileIdentity();
    factory->log.clear();
    store->moveItems(list.id, {ids[0], ids[1], ids[2]}, {2}, 0);
    // Every item goes out again, also d whose order stayed 0.
    for (const QString& id : ids)
        EXPECT_TRUE(factory->log.contains("private saveRecord TB-" + list.id + " " + id));
    EXPECT_NE(fileIdentity(), before);
    EXPECT_EQ(texts(store->items(list.id)), (QStringList{"d", "c", "a", "b"}));
    EXPECT_EQ(orders(store->items(list.id)), (QList<double>{0, 1, 2, 3}));
    for (const QString& id : ids)
        EXPECT_TRUE(store->dirtyItems().value(id).contains("order"));

    // Moving the starred item among the others keeps it first: the star decides.
    store->moveItems(list.id, {ids[3], ids[2], ids[0], ids[1]}, {0}, 4);
    EXPECT_EQ(texts(store->items(list.id)).first(), "d");
}

TEST_F(StoreTest, PastedMarkdownAddsItemsTicksThemAndKeepsTheirNotes) {
    auto store = open();
    const TBList list = store->addList("L");
    Markdown::ImportResult imported;
    imported.items = {{"first", false, {}},
                      {"second", true, {"one", "   ", QString(9000, 'x'), "two"}}};
    const ino_t before = fileIdentity();
    EXPECT_EQ(store->add(imported, list.id), 2);
    EXPECT_NE(fileIdentity(), before);
    const QList<TBItem> items = store->items(list.id);
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items[1].done);
    EXPECT_EQ(items[1].completedAt, clock.now());
    const QList<ItemNotes::Entry> notes = ItemNotes::parse(items[1].notes);
    ASSERT_EQ(notes.size(), 2); // the blank and the over-long note are skipped
    EXPECT_EQ(notes[0].text, "one");
    EXPECT_EQ(notes[0].written, clock.now().addingSeconds(-4));
    EXPECT_EQ(notes[1].written, clock.now().addingSeconds(-1));
    EXPECT_TRUE(notes[0].authorID.isEmpty() && notes[0].authorName.isEmpty());
}

TEST_F(StoreTest, PastedItemsFollowTheListsLastItemInTheirOrder) {
    auto store = open();
    const TBList list = store->addList("L");
    const TBList other = store->addList("O");
    store->addItem(list.id, "a");
    store->addItem(list.id, "b");
    for (int i = 0; i < 5; ++i)
        store->addItem(other.id, "elsewhere"); // other lists' places do not count
    store->moveItems(list.id, {store->items(list.id)[0].id, store->items(list.id)[1].id}, {0}, 2);
    Markdown::ImportResult imported;
    imported.items = {{"c", false, {}}, {"d", true, {}}, {"e", false, {}}};
    EXPECT_EQ(store->add(imported, list.id), 3);
    const QList<TBItem> items = store->items(list.id);
    ASSERT_EQ(texts(items), QStringList({"b", "a", "c", "d", "e"}));
    for (qsizetype i = 1; i < items.size(); ++i)
        EXPECT_GT(items[i].order, items[i - 1].order) << i;
    store->addItem(list.id, "f"); // an item added after the paste comes after it
    EXPECT_EQ(texts(store->items(list.id)).last(), "f");
}

TEST_F(StoreTest, MarksForListsThatAreGoneAreNeverKept) {
    auto store = openWithEngines();
    const TBList list = store->addList("L");
    store->deleteList(list.id);
    factory->log.clear();
    store->setCompletedRetention(CompletedRetention::never, list.id);
    store->markListDirty("NEVER-THERE", {"name"});
    store->setListPinned(list.id, true);
    EXPECT_TRUE(store->dirtyLists().isEmpty());
    EXPECT_TRUE(factory->log.isEmpty());

    // Old files may still hold such marks: they are dropped on load and never queued.
    store.reset();
    Json document = fileJson();
    document["dirtyLists"]["GONE"] = {"completedRetention"};
    writeFile(QByteArray::fromStdString(document.dump()));
    auto reopened = openWithEngines();
    EXPECT_TRUE(reopened->dirtyLists().isEmpty());
}

TEST_F(StoreTest, UpdateListReplacesTheListAndMarksEveryField) {
    writeFile(R"({"version":3,"lists":[{"id":"L","name":"l","createdAt":1}],"items":[],
        "dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})");
    auto store = open();
    TBList list = store->lists()[0];
    list.name = "Renamed";
    list.kind = TBListKind::ongoing;
    store->updateList(list);
    EXPECT_EQ(store->lists()[0], list);
    EXPECT_EQ(store->dirtyLists().value("L"), ListStore::allListFields());
    TBList stranger = list;
    stranger.id = "UNKNOWN";
    store->updateList(stranger);
    EXPECT_EQ(store->lists().size(), 1);
    EXPECT_FALSE(store->dirtyLists().contains("UNKNOWN"));
    EXPECT_EQ(store->exportMarkdown(list.id).split('\n').first(), "# Renamed");
}
