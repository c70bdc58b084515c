// The store's change announcements: one per operation or batch, with what a view needs to
// update only the rows that changed.
#include "StoreTestSupport.h"

#include <functional>

namespace {

// Everything the store announces, in order.
struct Heard {
    explicit Heard(ListStore& store) {
        QObject::connect(&store, &ListStore::storeChanged, &context,
                         [this](const StoreChange& change) {
                             log.append("store");
                             changes.append(change);
                         });
        QObject::connect(&store, &ListStore::changed, &context, [this] { log.append("changed"); });
        QObject::connect(&store, &ListStore::identityChanged, &context,
                         [this] { log.append("identity"); });
        QObject::connect(&store, &ListStore::lastKnownUserRecordNameChanged, &context,
                         [this] { log.append("user"); });
    }
    // The one change announced; fails the test when there was not exactly one.
    StoreChange only() const {
        EXPECT_EQ(changes.size(), 1) << log.join(' ').toStdString();
        EXPECT_EQ(log.count("changed"), changes.size()) << "changed() and storeChanged() differ";
        return changes.isEmpty() ? StoreChange() : changes.last();
    }
    void clear() {
        log.clear();
        changes.clear();
    }
    QObject context; // disconnects when the listener goes
    QStringList log;
    QList<StoreChange> changes;
};

Markdown::ImportResult pasted(int lines) {
    Markdown::ImportResult result;
    for (int i = 0; i < lines; ++i)
        result.items.append({QStringLiteral("line %1 #tag%2").arg(i).arg(i % 7), i % 3 == 0,
                             i % 50 == 0 ? QStringList{"a note"} : QStringList()});
    return result;
}

class ChangeAnnouncementTest : public StoreTest {
protected:
    void SetUp() override {
        store = openWithEngines();
        list = store->addList("Groceries").id;
    }
    QStringList addItems(int count) {
        QStringList ids;
        store->batch([&] {
            for (int i = 0; i < count; ++i)
                ids.append(store->addItem(list, QStringLiteral("item %1").arg(i))->id);
        });
        return ids;
    }

    std::unique_ptr<ListStore> store;
    QString list;
};

} // namespace

TEST_F(ChangeAnnouncementTest, BulkOperationsAnnounceOnceWithEveryRowTheyTouched) {
    const QStringList items = addItems(5000);

    Heard drag(*store);
    store->moveItems(list, items, {4999}, 0); // the last item to the top: every order changes
    const StoreChange dragged = drag.only();
    EXPECT_EQ(dragged.items.value(list).changed.size(), 5000);
    EXPECT_TRUE(dragged.items.value(list).reordered);
    EXPECT_TRUE(dragged.items.value(list).added.isEmpty());
    EXPECT_TRUE(dragged.marked);

    Heard paste(*store);
    EXPECT_EQ(store->add(pasted(5000), list), 5000);
    const StoreChange pastedChange = paste.only();
    EXPECT_EQ(pastedChange.items.value(list).added.size(), 5000);
    // Ticked and given notes in the same paste: still only added.
    EXPECT_TRUE(pastedChange.items.value(list).changed.isEmpty());
    EXPECT_EQ(pastedChange.vocabulary, QSet<QString>{list});

    store->setCollection(QString("Home"), list);
    Heard deletion(*store);
    store->deleteList(list);
    const StoreChange deleted = deletion.only();
    EXPECT_EQ(deleted.listsRemoved, QSet<QString>{list});
    EXPECT_TRUE(deleted.items.isEmpty()) << "items of a removed list are not named one by one";
    EXPECT_EQ(deleted.filings, QSet<QString>{list});
    EXPECT_TRUE(deleted.pageRowsChanged());
    EXPECT_TRUE(deleted.listOrderChanged());
    EXPECT_EQ(items.size(), 5000);
}

TEST_F(ChangeAnnouncementTest, EachOperationNamesWhatItChanged) {
    const QString item = store->addItem(list, "Milk #dairy")->id;
    const QString other = store->addList("Trip").id;
    const auto itemsOf = [](const QString& listID, QSet<QString> added, QSet<QString> removed,
                            QSet<QString> changed, bool reordered) {
        StoreChange change;
        change.items[listID] = StoreChange::Items{added, removed, changed, reordered};
        return change;
    };
    struct Case {
        const char* what;
        std::function<void()> operation;
        std::function<StoreChange()> expected;
    };
    QString added;
    const Case cases[] = {
        {"adding an item", [&] { added = store->addItem(list, "Bread")->id; },
         [&] {
             StoreChange c = itemsOf(list, {added}, {}, {}, false);
             c.marked = true;
             return c;
         }},
        {"ticking", [&] { store->setDone(item, true); },
         [&] {
             StoreChange c = itemsOf(list, {}, {}, {item}, false);
             c.marked = true;
             return c;
         }},
        {"starring reorders", [&] { store->setItemPinned(item, true); },
         [&] {
             StoreChange c = itemsOf(list, {}, {}, {item}, true);
             c.marked = true;
             return c;
         }},
        {"starring a starred item changes nothing but is sent again",
         [&] { store->setItemPinned(item, true); },
         [&] {
             StoreChange c;
             c.marked = true;
             return c;
         }},
        {"renaming without touching the tags", [&] { store->renameItem(item, "Oat milk #dairy"); },
         [&] {
             StoreChange c = itemsOf(list, {}, {}, {item}, false);
             c.marked = true;
             return c;
         }},
        {"renaming with a new tag changes the vocabulary",
         [&] { store->renameItem(item, "Oat milk #vegan"); },
         [&] {
             StoreChange c = itemsOf(list, {}, {}, {item}, false);
             c.vocabulary = {list};
             c.marked = true;
             return c;
         }},
        {"a note", [&] { store->addNote("semi-skimmed", item, "_me", "Me"); },
         [&] {
             StoreChange c = itemsOf(list, {}, {}, {item}, false);
             c.marked = true;
             return c;
         }},
        {"deleting an item", [&] { store->deleteItem(added); },
         [&] { return itemsOf(list, {}, {added}, {}, false); }},
        {"pinning a list", [&] { store->setListPinned(other, true); },
         [&] {
             StoreChange c;
             c.listFields[other] = {"pinned"};
             c.marked = true;
             return c;
         }},
        {"the retention of a list",
         [&] { store->setCompletedRetention(CompletedRetention::never, list); },
         [&] {
             StoreChange c;
             c.listFields[list] = {"completedRetention"};
             c.marked = true;
             return c;
         }},
        {"filing a list", [&] { store->setCollection(QString(" Home "), other); },
         [&] {
             StoreChange c;
             c.filings = {other};
             c.marked = true;
             return c;
         }},
        {"collapsing a group", [&] { store->setCollectionCollapsed("Home", true); },
         [&] {
             StoreChange c;
             c.collapsedGroups = {"Home"};
             return c;
         }},
        {"a circle", [&] { store->addCircle("Family"); },
         [&] {
             StoreChange c;
             c.circles = true;
             return c;
         }},
        {"a kept name",
         [&] {
             PersonAlias alias;
             alias.personID = "_bob";
             alias.alias = "Bob";
             store->setAlias(alias);
         },
         [&] {
             StoreChange c;
             c.aliases = true;
             return c;
         }},
        {"the sync switch", [&] { store->setSyncEnabled(false); },
         [&] {
             StoreChange c;
             c.syncSwitch = true;
             return c;
         }},
        {"a setting outside the store", [&] { store->announceChange(); },
         [&] {
             StoreChange c;
             c.everything = true;
             return c;
         }},
        {"a list's tag order", [&] { store->announceVocabularyChange(list); },
         [&] {
             StoreChange c;
             c.vocabulary = {list};
             return c;
         }},
        {"adding a list", [&] { added = store->addList("New").id; },
         [&] {
             StoreChange c;
             c.listsAdded = {added};
             c.marked = true;
             return c;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Heard heard(*store);
        c.operation();
        EXPECT_EQ(heard.only(), c.expected());
        EXPECT_EQ(heard.log.last(), "changed");
    }
}

TEST_F(ChangeAnnouncementTest, WhatChangesNothingAnnouncesNothing) {
    const QString item = store->addItem(list, "Milk")->id;
    store->setCollectionCollapsed("Home", true);
    struct Case {
        const char* what;
        std::function<void()> operation;
    };
    const Case cases[] = {
        {"ticking an item twice", [&] { store->setDone(item, false); }},
        {"renaming an item that is not there", [&] { store->renameItem("GONE", "x"); }},
        {"collapsing a collapsed group", [&] { store->setCollectionCollapsed("Home", true); }},
        {"pruning a list with nothing to drop", [&] { store->pruneCompleted(list); }},
        {"an empty batch", [&] { store->batch([] {}); }},
        {"removing a person from no circle", [&] { store->removePerson("P", "NONE"); }},
        {"the editor saving an unchanged list",
         [&] { store->updateListFields(store->lists()[0], store->lists()[0]); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Heard heard(*store);
        c.operation();
        EXPECT_TRUE(heard.log.isEmpty()) << heard.log.join(' ').toStdString();
    }
}

TEST_F(ChangeAnnouncementTest, ABatchOfSyncStepsIsOneChangeInTheOrderOfItsEffects) {
    const QString gone = store->addItem(list, "Eggs")->id;
    // An item that came from the cloud, with no local marks: the next copy from the cloud wins.
    TBItem milk{"MILK", list, "Milk", false, 1, false, std::nullopt, ""};
    store->applyServerItem(milk, QByteArray());
    milk.done = true;
    milk.completedAt = clock.now();
    TBList theirs;
    theirs.id = "THEIRS";
    theirs.name = "Their list";
    theirs.zoneOwnerName = "_them";
    TBItem arrived{"ARRIVED", "THEIRS", "Tea #drinks", false, 0, false, std::nullopt, ""};

    Heard heard(*store);
    store->batch([&] {
        store->applyServerList(theirs, QByteArray());
        store->applyServerItem(arrived, QByteArray());
        store->applyServerItem(milk, QByteArray());
        store->applyServerTombstone(gone, list, clock.now());
        store->applySharePermission("THEIRS", TBSharePermission::readOnly);
        store->applyServerFiling(list, "Home", QByteArray());
    });
    StoreChange expected;
    expected.listsAdded = {"THEIRS"}; // its share fields arrived with it: still only added
    expected.items["THEIRS"].added = {"ARRIVED"};
    expected.items[list].changed = {"MILK"};
    expected.items[list].removed = {gone};
    expected.vocabulary = {"THEIRS"};
    expected.filings = {list};
    EXPECT_EQ(heard.only(), expected);

    // Outside a batch each step is announced on its own, at once.
    heard.clear();
    store->setHasShare(list);
    EXPECT_EQ(heard.only().listFields.value(list), FieldSet{"hasShare"});
}

TEST_F(ChangeAnnouncementTest, ASlotsOwnChangeIsAnnouncedAfterTheOneItHeard) {
    QStringList seen;
    QObject::connect(store.get(), &ListStore::storeChanged, [&](const StoreChange& change) {
        seen.append(change.listsAdded.isEmpty() ? "other" : "list added");
        // A view reads the store as it is now: the change is complete when it is heard.
        if (!change.listsAdded.isEmpty()) {
            EXPECT_EQ(store->lists().size(), 2);
            store->addItem(*change.listsAdded.begin(), "first item"); // an answer to the change
        }
    });
    QStringList later;
    QObject::connect(store.get(), &ListStore::storeChanged, [&](const StoreChange& change) {
        later.append(change.listsAdded.isEmpty() ? "other" : "list added");
    });
    store->addList("Trip");
    EXPECT_EQ(seen, (QStringList{"list added", "other"}));
    EXPECT_EQ(later, (QStringList{"list added", "other"})) << "a later slot heard out of order";
}

TEST_F(ChangeAnnouncementTest, AccountChangesAreAnnouncedOnTheirOwnSignalsToo) {
    struct Case {
        const char* what;
        std::function<void()> step;
        QStringList log;
    };
    const Case cases[] = {
        {"a user seen for the first time",
         [&] { store->signedIn("_ann", EngineScope::privateDatabase); },
         {"identity", "user", "store", "changed"}},
        {"the same user in the other database",
         [&] { store->signedIn("_ann", EngineScope::sharedDatabase); },
         {"identity", "store", "changed"}},
        {"the same user again", [&] { store->signedIn("_ann", EngineScope::sharedDatabase); }, {}},
        {"signing out", [&] { store->signedOut(); }, {"identity", "user", "store", "changed"}},
        {"signing out again", [&] { store->signedOut(); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Heard heard(*store);
        c.step();
        EXPECT_EQ(heard.log, c.log);
        if (!heard.changes.isEmpty()) {
            EXPECT_EQ(heard.changes[0].identity, c.log.contains("identity"));
            EXPECT_EQ(heard.changes[0].lastKnownUserRecordName, c.log.contains("user"));
        }
    }
}

TEST(StoreChangeRules, EachIdStaysInOnePlace) {
    struct Case {
        const char* what;
        std::function<void(StoreChange&)> steps;
        QSet<QString> added, removed, changed;
    };
    const Case cases[] = {
        {"added then changed is added",
         [](StoreChange& c) {
             c.itemAdded("L", "a");
             c.itemChanged("L", "a", false);
         },
         {"a"},
         {},
         {}},
        {"added then removed is nothing",
         [](StoreChange& c) {
             c.itemAdded("L", "a");
             c.itemRemoved("L", "a");
         },
         {},
         {},
         {}},
        {"changed then removed is removed",
         [](StoreChange& c) {
             c.itemChanged("L", "a", false);
             c.itemRemoved("L", "a");
         },
         {},
         {"a"},
         {}},
        {"removed then added again is changed",
         [](StoreChange& c) {
             c.itemRemoved("L", "a");
             c.itemAdded("L", "a");
         },
         {},
         {},
         {"a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StoreChange change;
        c.steps(change);
        const StoreChange::Items items = change.items.value("L");
        EXPECT_EQ(items.added, c.added);
        EXPECT_EQ(items.removed, c.removed);
        EXPECT_EQ(items.changed, c.changed);
    }

    StoreChange lists;
    lists.listAdded("A");
    lists.listChanged("A", {"name"});
    lists.itemAdded("A", "x");
    lists.listRemoved("A");
    EXPECT_TRUE(lists.isEmpty()) << "a list added and removed in one change";
    lists.listRemoved("B");
    lists.listAdded("B");
    EXPECT_TRUE(lists.listsAdded.isEmpty() && lists.listsRemoved.isEmpty());
    EXPECT_TRUE(lists.listFields.value("B").contains("name"));
}
