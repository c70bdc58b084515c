#include "StoreTestSupport.h"

#include <algorithm>
#include <functional>
#include <random>

TEST_F(StoreTest, CirclesTakeOrdersTrimmedNamesAndNeverRenumber) {
    auto store = open();
    EXPECT_EQ(store->addCircle(" \nFamily\t").name, "Family");
    const TBCircle second = store->addCircle("   ");
    EXPECT_EQ(second.name, "");
    EXPECT_EQ(second.order, 1);
    store->deleteCircle(store->circles()[0].id);
    EXPECT_EQ(store->circles()[0].order, 1);
    EXPECT_EQ(store->addCircle("Next").order, 2);
    EXPECT_EQ(store->circle(second.id), second);
    EXPECT_FALSE(store->circle("missing").has_value());
}

TEST_F(StoreTest, PeopleAreAddedOncePerContactAndRemovedByID) {
    auto store = open();
    const TBCircle one = store->addCircle("One");
    const TBCircle two = store->addCircle("Two");
    const ino_t before = fileIdentity();
    EXPECT_FALSE(store->addPerson("Short", "1234", one.id).has_value());
    EXPECT_FALSE(store->addPerson("Nobody", "ann@example.com", "no circle").has_value());
    EXPECT_EQ(fileIdentity(), before);

    const auto ann = store->addPerson("Ann", "ann@example.com", one.id);
    ASSERT_TRUE(ann.has_value());
    const auto again = store->addPerson("Annie", "ANN@Example.com", one.id);
    EXPECT_EQ(again, ann); // the existing member, not the new name
    store->addPerson("Phone", "+44 1234 5678", one.id);
    store->addPerson("Phone", "+44 1234 5678", one.id);
    store->addPerson("Phone", "+44 1234 5678", two.id);
    EXPECT_EQ(store->circle(one.id)->members.size(), 2);
    EXPECT_EQ(store->circle(two.id)->members.size(), 1);

    const ino_t added = fileIdentity();
    store->removePerson(ann->id, "no circle");
    EXPECT_EQ(fileIdentity(), added);
    store->removePerson(ann->id, one.id);
    EXPECT_EQ(store->circle(one.id)->members.size(), 1);
}

TEST_F(StoreTest, EmptyAliasesAreRemovedAndOthersKept) {
    auto store = open();
    PersonAlias alias;
    alias.personID = "_p";
    alias.photo = QByteArray("img");
    store->setAlias(alias); // a photo alone is worth keeping
    EXPECT_EQ(store->alias("_p"), alias);
    alias.alias = "Bobby";
    store->setAlias(alias);
    EXPECT_EQ(store->display("_p", "Stored").name, "Bobby");

    alias.photo.reset();
    alias.alias = "  ";
    store->setAlias(alias);
    EXPECT_FALSE(store->alias("_p").has_value());
    EXPECT_EQ(store->display("_p", "Stored").name, "Stored");

    alias.personID = "";
    alias.alias = "Someone";
    store->setAlias(alias);
    EXPECT_TRUE(store->aliases().isEmpty());
}

TEST_F(StoreTest, DisplayOrderIsPinnedFirstThenOrderAndStable) {
    writeFile(R"({"version":3,"lists":[
        {"id":"a","name":"a","order":1},{"id":"b","name":"b","order":0},
        {"id":"c","name":"c","order":1},{"id":"d","name":"d","order":9,"pinned":true}],
        "items":[],"dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})");
    auto store = open();
    store->rebuildDerivedCacheIfNeeded();
    QStringList names;
    for (const TBList& list : store->sortedListsCache())
        names.append(list.name);
    EXPECT_EQ(names, (QStringList{"d", "b", "a", "c"}));

    // Any change of a list makes the cache stale; the next read sees it.
    store->setListPinned("c", true);
    EXPECT_FALSE(store->listsCacheValid());
    store->rebuildDerivedCacheIfNeeded();
    EXPECT_EQ(store->sortedListsCache()[0].name, "c");
}

TEST_F(StoreTest, ListsAndOneListsItemsInDisplayOrderComeWithoutSortingEveryList) {
    writeFile(R"({"version":3,"lists":[
        {"id":"a","name":"a","order":1},{"id":"b","name":"b","order":0},
        {"id":"c","name":"c","order":2}],
        "items":[{"id":"i1","listID":"a","text":"one","order":1},
                 {"id":"i2","listID":"a","text":"two","order":0}],
        "dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})");
    auto store = open();
    const auto names = [&] {
        QStringList shown;
        for (const TBList& list : store->sortedLists())
            shown.append(list.name);
        return shown;
    };
    EXPECT_EQ(names(), (QStringList{"b", "a", "c"}));
    // Finding a list leaves the items unsorted until they are asked for.
    EXPECT_FALSE(store->itemsKept("a"));

    struct Step {
        const char* what;
        std::function<void()> change;
        QStringList expected;
    };
    const Step steps[] = {
        {"a pin", [&] { store->setListPinned("c", true); }, {"c", "b", "a"}},
        {"a new list", [&] { store->addList("d"); }, {"c", "b", "a", "d"}},
        {"a deleted list", [&] { store->deleteList("b"); }, {"c", "a", "d"}},
        {"an unpin", [&] { store->setListPinned("c", false); }, {"a", "c", "d"}},
    };
    for (const Step& step : steps) {
        step.change();
        EXPECT_EQ(names(), step.expected) << step.what;
    }
    // The items, sorted when asked for, are those of a full rebuild; a single look at one
    // list sorts that list alone.
    const auto texts = [](const QList<TBItem>& items) {
        QStringList shown;
        for (const TBItem& item : items)
            shown.append(item.text);
        return shown;
    };
    EXPECT_EQ(texts(store->itemsOf("a")), (QStringList{"two", "one"}));
    EXPECT_FALSE(store->itemsKept("a"));
    EXPECT_EQ(texts(store->items("a")), (QStringList{"two", "one"}));
    EXPECT_TRUE(store->itemsKept("a"));
    store->rebuildDerivedCacheIfNeeded();
    EXPECT_EQ(store->sortedListsCache(), store->sortedLists());
}

TEST_F(StoreTest, ItemsOfAListFollowEveryChangeInPlace) {
    auto store = open();
    const QString list = store->addList("L").id;
    const TBItem a = store->addItem(list, "a").value();
    const TBItem b = store->addItem(list, "b").value();
    EXPECT_EQ(store->items(list)[0].id, a.id);
    store->setItemPinned(b.id, true);
    EXPECT_EQ(store->items(list)[0].id, b.id);
    EXPECT_TRUE(store->items("nothing").isEmpty());
}

namespace {

// The items as a test compares them: id, tick and text, in order.
QStringList shown(const QList<TBItem>& items) {
    QStringList ids;
    for (const TBItem& item : items)
        ids.append(item.id + (item.done ? "+" : "") + item.text);
    return ids;
}

// Each list's items in display order as a full rebuild makes them: the reference for the
// cache, which after an edit rebuilds only the lists the edit touched.
QStringList displayOrder(const ListStore& store, const QString& listID) {
    QList<TBItem> items;
    for (const TBItem& item : store.allItems()) {
        if (item.listID == listID)
            items.append(item);
    }
    std::stable_sort(items.begin(), items.end(), [](const TBItem& a, const TBItem& b) {
        return a.pinned != b.pinned ? a.pinned : a.order < b.order;
    });
    return shown(items);
}

} // namespace

TEST_F(StoreTest, ItemsOfEveryListStayRightWhateverTheEditsBetweenReads) {
    auto store = open();
    QStringList lists;
    for (int l = 0; l < 4; ++l)
        lists.append(store->addList(QString("L%1").arg(l)).id);
    std::mt19937 random(11);
    const auto pick = [&](const QStringList& from) { return from[int(random() % from.size())]; };
    const auto anyItem = [&]() -> std::optional<TBItem> {
        if (store->allItems().isEmpty())
            return std::nullopt;
        return store->allItems()[qsizetype(random() % store->allItems().size())];
    };
    for (int step = 0; step < 600; ++step) {
        SCOPED_TRACE(step);
        const std::optional<TBItem> some = anyItem();
        switch (random() % 9) {
        case 0:
        case 1:
            store->addItem(pick(lists), QString("t%1").arg(step));
            break;
        case 2:
            if (some)
                store->setDone(some->id, !some->done);
            break;
        case 3:
            if (some)
                store->setItemPinned(some->id, !some->pinned);
            break;
        case 4:
            if (some)
                store->renameItem(some->id, QString("r%1").arg(step));
            break;
        case 5:
            if (some)
                store->deleteItem(some->id);
            break;
        case 6: {
            const QString list = pick(lists);
            const QList<TBItem> shown = store->items(list);
            if (shown.size() > 1)
                store->moveItems(list, {}, {int(random() % shown.size())}, 0);
            break;
        }
        case 7: {
            // A server's version of an item, or one this store has not seen, in a batch with
            // a local edit of another list.
            TBItem server = some.value_or(TBItem{});
            if (random() % 2 || !some) {
                server.id = QString("S%1").arg(step);
                server.listID = pick(lists);
            }
            server.order = double(random() % 5);
            store->batch([&] {
                store->applyServerItem(server, QByteArray("x"));
                store->addItem(pick(lists), "b");
            });
            break;
        }
        default:
            if (random() % 10 == 0) {
                const QString gone = pick(lists);
                store->deleteList(gone);
                lists.removeAll(gone);
                lists.append(store->addList("new").id);
            }
        }
        // A single look at one list sees every edit, whether the cache has taken it in or not.
        const QString looked = lists[step % lists.size()];
        ASSERT_EQ(shown(store->itemsOf(looked)), displayOrder(*store, looked));
        // Reads come now and then, so that stale lists pile up between them.
        if (random() % 3 == 0) {
            for (const QString& list : lists)
                ASSERT_EQ(shown(store->items(list)), displayOrder(*store, list));
        }
    }
}

TEST_F(StoreTest, TagsAndVocabularyFollowTheSavedOrderAndStarterTags) {
    writeFile(R"({"version":3,"lists":[{"id":"L","name":"l"}],"items":[],
        "dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})");
    auto store = open();
    store->addItem("L", "Milk #Milk #milk");
    store->addItem("L", "Eggs #a #b");
    store->addItem("L", "Apples #Zed #b");
    EXPECT_EQ(store->tags("L"), (QStringList{"Milk", "Zed", "a", "b", "milk"}));

    struct Case {
        QStringList saved;
        std::optional<QStringList> starters;
        QStringList expected;
    };
    const Case cases[] = {
        {{"b", "x"}, std::nullopt, {"b", "Milk", "Zed", "a", "milk"}},
        {{"b", "x"}, QStringList{"x"}, {"b", "x", "Milk", "Zed", "a", "milk"}},
        {{}, QStringList{"c"}, {"Milk", "Zed", "a", "b", "c", "milk"}},
    };
    for (const Case& c : cases) {
        defaults.setStringList("tagOrder.L", c.saved);
        if (c.starters)
            defaults.setStringList("starterTags.L", *c.starters);
        else
            defaults.remove("starterTags.L");
        EXPECT_EQ(store->vocabulary("L"), c.expected);
    }
    defaults.setBool("tagOrder.L", true); // a value of the wrong kind counts as none
    EXPECT_EQ(store->vocabulary("L").first(), "Milk");
}

TEST_F(StoreTest, MarksAndEnginesFollowTheSyncSwitch) {
    auto store = open();
    store->setEngineFactory(factory);
    defaults.setString("cloudSyncEnabled", "yes"); // not a Boolean: on
    EXPECT_TRUE(store->syncEnabled());
    store->setSyncEnabled(false);
    store->start();
    EXPECT_EQ(store->privateEngine(), nullptr);

    TBList own = store->addList("Own");
    const TBItem item = store->addItem(own.id, "x").value();
    store->deleteItem(store->addItem(own.id, "y").value().id);
    store->setCollection(QString("G"), own.id);
    store->deleteList("GONE");
    EXPECT_TRUE(factory->log.isEmpty());

    store->setSyncEnabled(true);
    EXPECT_TRUE(store->enginesStarted());
    const QString zone = "TB-" + own.id;
    // The list's zone once, for its record and its item's.
    const QStringList expected{
        "private saveZone " + zone + " __defaultOwner__",
        "private saveRecord " + zone + " list",
        "private saveRecord " + zone + " " + item.id,
        "private saveZone TBMeta __defaultOwner__",
        "private saveRecord TBMeta " + own.id,
        "private deleteZone TB-GONE __defaultOwner__",
        "private saveRecord " + zone + " tomb-" + store->tombstones().firstKey(),
        // The item deleted while sync was off loses its server record too.
        "private deleteRecord " + zone + " " + store->tombstones().firstKey(),
    };
    EXPECT_EQ(factory->log, expected);
}

TEST_F(StoreTest, OldTombstonesArePrunedAfterThirtyDays) {
    auto store = openWithEngines();
    const QString list = store->addList("L").id;
    store->deleteItem(store->addItem(list, "old").value().id);
    clock.advance(1);
    store->deleteItem(store->addItem(list, "newer").value().id);
    factory->log.clear();

    const ino_t before = fileIdentity();
    store->pruneTombstones(clock.now().addingSeconds(2'592'000 - 1)); // old one exactly 30 days
    EXPECT_EQ(store->tombstones().size(), 2);
    EXPECT_EQ(fileIdentity(), before);

    store->pruneTombstones(clock.now().addingSeconds(2'592'000));
    ASSERT_EQ(store->tombstones().size(), 1);
    EXPECT_EQ(store->dirtyTombstones().size(), 1);
    EXPECT_EQ(factory->log.size(), 1);
    EXPECT_TRUE(factory->log[0].startsWith("private deleteRecord " + QString("TB-") + list));
}
