// Who may change what: a list shared with the user for reading only is refused by the store
// itself, while the user's own arrangement of it stays open; adding to a list that is not there
// is refused; the list editor's save takes only the fields the user changed.
#include "StoreTestSupport.h"

#include <functional>

namespace {

// Four lists with one ticked item each: the user's own (holding a read-only permission, which
// an own list ignores), and three of another person's with each permission.
const char* const fourLists = R"({"version":3,
    "lists":[{"id":"OWN","name":"own","sharePermission":"readOnly","kind":"ongoing",
              "completedRetentionRaw":"never"},
             {"id":"RW","name":"rw","zoneOwnerName":"_them","sharePermission":"readWrite",
              "kind":"ongoing","completedRetentionRaw":"never"},
             {"id":"NP","name":"np","zoneOwnerName":"_them","kind":"ongoing",
              "completedRetentionRaw":"never"},
             {"id":"RO","name":"ro","zoneOwnerName":"_them","sharePermission":"readOnly",
              "kind":"ongoing","completedRetentionRaw":"never"}],
    "items":[{"id":"OWN-1","listID":"OWN","text":"a","done":true,"completedAt":1},
             {"id":"OWN-2","listID":"OWN","text":"b","order":1},
             {"id":"RW-1","listID":"RW","text":"a","done":true,"completedAt":1},
             {"id":"RW-2","listID":"RW","text":"b","order":1},
             {"id":"NP-1","listID":"NP","text":"a","done":true,"completedAt":1},
             {"id":"NP-2","listID":"NP","text":"b","order":1},
             {"id":"RO-1","listID":"RO","text":"a","done":true,"completedAt":1},
             {"id":"RO-2","listID":"RO","text":"b","order":1}],
    "dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})";

// What a refused edit must leave as it was.
struct Snapshot {
    explicit Snapshot(const ListStore& store)
        : lists(store.lists()), items(store.allItems()), dirtyLists(store.dirtyLists()),
          dirtyItems(store.dirtyItems()), filings(store.filings()) {}
    bool operator==(const Snapshot&) const = default;
    QList<TBList> lists;
    QList<TBItem> items;
    QMap<QString, FieldSet> dirtyLists;
    QMap<QString, FieldSet> dirtyItems;
    QMap<QString, QString> filings;
};

TBList withName(TBList list, const QString& name) {
    list.name = name;
    return list;
}

} // namespace

TEST_F(StoreTest, ViewOnlyListsRefuseEveryEditButTheUsersOwnArrangement) {
    using Operation = std::function<void(ListStore&, const QString& list)>;
    const auto listOf = [](ListStore& store, const QString& id) {
        for (const TBList& list : store.lists()) {
            if (list.id == id)
                return list;
        }
        return TBList();
    };
    struct Case {
        const char* what;
        Operation operation;
        bool refusedWhenViewOnly;
    };
    const Case cases[] = {
        {"adding an item", [](ListStore& s, const QString& l) { s.addItem(l, "new"); }, true},
        {"ticking", [](ListStore& s, const QString& l) { s.setDone(l + "-2", true); }, true},
        {"unticking", [](ListStore& s, const QString& l) { s.setDone(l + "-1", false); }, true},
        {"starring", [](ListStore& s, const QString& l) { s.setItemPinned(l + "-2", true); }, true},
        {"renaming an item", [](ListStore& s, const QString& l) { s.renameItem(l + "-2", "c"); },
         true},
        {"adding a note",
         [](ListStore& s, const QString& l) { s.addNote("hi", l + "-2", "_me", "Me"); }, true},
        {"removing a note",
         [](ListStore& s, const QString& l) { s.removeNote("N", l + "-2", "_me", "Me"); }, true},
        {"deleting an item", [](ListStore& s, const QString& l) { s.deleteItem(l + "-2"); }, true},
        {"dragging items",
         [](ListStore& s, const QString& l) {
             s.moveItems(l, {l + "-1", l + "-2"}, {1}, 0);
         },
         true},
        {"pasting",
         [](ListStore& s, const QString& l) {
             Markdown::ImportResult pasted;
             pasted.items = {{"pasted", false, {}}};
             s.add(pasted, l);
         },
         true},
        {"pruning ticked items", [](ListStore& s, const QString& l) { s.pruneCompleted(l); }, true},
        {"replacing the list",
         [&](ListStore& s, const QString& l) { s.updateList(withName(listOf(s, l), "x")); }, true},
        {"the editor's save",
         [&](ListStore& s, const QString& l) {
             s.updateListFields(listOf(s, l), withName(listOf(s, l), "x"));
         },
         true},
        {"the retention",
         [](ListStore& s, const QString& l) {
             s.setCompletedRetention(CompletedRetention::all, l);
         },
         true},
        // The user's own arrangement of the lists page, and leaving a shared list.
        {"pinning the list", [](ListStore& s, const QString& l) { s.setListPinned(l, true); },
         false},
        {"filing it in a group",
         [](ListStore& s, const QString& l) { s.setCollection(QString("Home"), l); }, false},
        {"dragging it on the page",
         [](ListStore& s, const QString& l) {
             const QList<PageRow> rows = s.pageRows();
             for (int row = 0; row < rows.size(); ++row) {
                 if (rows[row].list.id == l)
                     s.movePageRows({row}, row == 0 ? 2 : 0);
             }
         },
         false},
        {"removing it from my lists", [](ListStore& s, const QString& l) { s.deleteList(l); },
         false},
    };
    for (const Case& c : cases) {
        for (const QString list : {"OWN", "RW", "NP", "RO"}) {
            SCOPED_TRACE(std::string(c.what) + " on " + list.toStdString());
            writeFile(fourLists);
            auto store = open();
            int announced = 0;
            QObject::connect(store.get(), &ListStore::changed, [&] { ++announced; });
            const Snapshot before(*store);
            c.operation(*store, list);
            const bool refused = list == "RO" && c.refusedWhenViewOnly;
            EXPECT_EQ(Snapshot(*store) == before, refused);
            EXPECT_EQ(announced == 0, refused);
            // Refused means nothing written: the file is still the one seeded.
            EXPECT_EQ(fileBytes() == QByteArray(fourLists), refused);
        }
    }
}

TEST_F(StoreTest, NothingIsAddedToAListThatIsNotThere) {
    auto store = open();
    const QString list = store->addList("L").id;
    store->deleteList(list);
    const QByteArray before = fileBytes();
    EXPECT_FALSE(store->addItem(list, "for a deleted list").has_value());
    EXPECT_FALSE(store->addItem("NEVER-THERE", "x").has_value());
    Markdown::ImportResult pasted;
    pasted.items = {{"a", true, {"note"}}};
    EXPECT_EQ(store->add(pasted, list), 0);
    store->moveItems("NEVER-THERE", {}, {0}, 1);
    EXPECT_TRUE(store->allItems().isEmpty());
    EXPECT_TRUE(store->dirtyItems().isEmpty());
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(StoreTest, TheEditorsSaveTakesOnlyWhatTheUserChanged) {
    writeFile(R"({"version":3,"lists":[{"id":"L","name":"Food","icon":"cart","createdAt":1}],
        "items":[],"dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})");
    struct Case {
        const char* what;
        // What the editor changed in the list it loaded.
        std::function<void(TBList&)> edit;
        // What arrived while the sheet was open.
        std::function<void(ListStore&)> meanwhile;
        FieldSet taken;
        std::function<void(const TBList&)> check;
    };
    const Case cases[] = {
        {"a rename marks only the name",
         [](TBList& l) { l.name = "Groceries"; },
         [](ListStore&) {},
         {"name"},
         [](const TBList& l) { EXPECT_EQ(l.name, "Groceries"); }},
        {"a pin made here and an order that arrived are kept",
         [](TBList& l) {
             l.icon = "basket";
             l.dueDate = Date(500);
         },
         [](ListStore& s) {
             s.setListPinned("L", true);
             TBList server = s.lists()[0];
             server.order = 5;
             s.applyServerList(server, QByteArray());
         },
         {"icon", "dueDate"},
         [](const TBList& l) {
             EXPECT_TRUE(l.pinned);
             EXPECT_EQ(l.order, 5);
             EXPECT_EQ(l.icon, "basket");
             EXPECT_EQ(l.dueDate, Date(500));
         }},
        {"a permission that arrived is kept",
         [](TBList& l) {
             l.kind = TBListKind::ongoing;
             l.sharePermission = std::nullopt; // the editor's stale copy
             l.hasShare = false;
         },
         [](ListStore& s) { s.applySharePermission("L", TBSharePermission::readWrite); },
         {"kind"},
         [](const TBList& l) {
             EXPECT_EQ(l.kind, TBListKind::ongoing);
             EXPECT_EQ(l.sharePermission, TBSharePermission::readWrite);
             EXPECT_TRUE(l.hasShare);
         }},
        {"a rename from another device of a field not edited stays",
         [](TBList& l) { l.colourID = "green"; },
         [](ListStore& s) {
             TBList server = s.lists()[0];
             server.name = "Renamed elsewhere";
             s.applyServerList(server, QByteArray());
         },
         {"colour"},
         [](const TBList& l) {
             EXPECT_EQ(l.name, "Renamed elsewhere");
             EXPECT_EQ(l.colourID, "green");
         }},
        {"a value already there is not marked",
         [](TBList& l) { l.name = "Same"; },
         [](ListStore& s) {
             TBList server = s.lists()[0];
             server.name = "Same";
             s.applyServerList(server, QByteArray());
         },
         {},
         [](const TBList& l) { EXPECT_EQ(l.name, "Same"); }},
        {"nothing changed", [](TBList&) {}, [](ListStore&) {}, {}, [](const TBList&) {}},
    };
    const QByteArray seeded = fileBytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(seeded);
        auto store = open();
        const TBList loaded = store->lists()[0];
        TBList edited = loaded;
        c.edit(edited);
        c.meanwhile(*store);
        const FieldSet marksBefore = store->dirtyLists().value("L");
        const ino_t written = fileIdentity();

        EXPECT_EQ(store->updateListFields(loaded, edited), c.taken);
        c.check(store->lists()[0]);
        EXPECT_EQ(store->dirtyLists().value("L"), marksBefore + c.taken);
        EXPECT_EQ(fileIdentity() != written, !c.taken.isEmpty()) << "written without a change";
    }

    // A list removed while the sheet was open is not brought back.
    writeFile(seeded);
    auto store = open();
    const TBList loaded = store->lists()[0];
    store->deleteList("L");
    EXPECT_TRUE(store->updateListFields(loaded, withName(loaded, "Back")).isEmpty());
    EXPECT_TRUE(store->lists().isEmpty());
}
