#include "StoreTestSupport.h"

namespace {

// Lists named by one letter, in display order as given, with their groups.
class PageTest : public StoreTest {
protected:
    void SetUp() override { store = open(); }

    void makeLists(const QString& names, const QMap<QString, QString>& groups = {}) {
        for (const QChar name : names) {
            const TBList list = store->addList(QString(name));
            ids[QString(name)] = list.id;
        }
        for (auto it = groups.begin(); it != groups.end(); ++it)
            store->setCollection(it.value(), ids[it.key()]);
    }

    // "A", "[S]", ... for the rows; headers in brackets.
    QStringList rows() {
        QStringList result;
        for (const PageRow& row : store->pageRows())
            result.append(row.isHeader() ? "[" + row.name + "]" : row.list.name);
        return result;
    }

    QString groupOf(const QString& name) { return store->collection(ids[name]).value_or("-"); }

    double orderOf(const QString& name) {
        for (const TBList& list : store->lists()) {
            if (list.id == ids[name])
                return list.order;
        }
        return -1;
    }

    std::unique_ptr<ListStore> store;
    QMap<QString, QString> ids;
};

} // namespace

TEST_F(PageTest, GroupsStandAtTheirFirstMemberAndCollapsedGroupsHideTheirLists) {
    makeLists("ABCD", {{"B", "S"}, {"D", "S"}});
    store->setListPinned(ids["A"], true);
    EXPECT_EQ(rows(), (QStringList{"A", "[S]", "B", "D", "C"}));
    store->setCollectionCollapsed("S", true);
    EXPECT_EQ(rows(), (QStringList{"A", "[S]", "C"}));
    EXPECT_EQ(defaults.stringList("collapsedCollections"), QStringList{"S"});

    // A pinned member pulls its group among the pinned lists, unpinned members with it.
    store->setCollectionCollapsed("S", false);
    store->setListPinned(ids["D"], true);
    EXPECT_EQ(rows(), (QStringList{"A", "[S]", "D", "B", "C"}));
    EXPECT_EQ(orderOf("D"), 3); // pinning never renumbers
}

TEST_F(PageTest, CollectionsFollowTheDisplayOrderOfTheirFirstMember) {
    makeLists("BCD", {{"B", "S"}, {"C", "T"}, {"D", "S"}});
    store->setCollection(QString("X"), "NO-SUCH-LIST");
    EXPECT_EQ(store->collections(), (QStringList{"S", "T"}));
}

TEST_F(PageTest, DroppedListTakesTheGroupOfItsPlace) {
    struct Case {
        const char* name;
        QMap<QString, QString> groups;
        QStringList collapsed;
        int from;
        int to;
        QStringList rows; // after the drop
        QString group;    // of the moved list; "-" for none
    };
    // Lists A B C D E in this display order.
    const Case cases[] = {
        {"to the top leaves the group",
         {{"A", "S"}, {"B", "S"}},
         {},
         2,
         0,
         {"B", "[S]", "A", "C", "D", "E"},
         "-"},
        {"below a header joins", {{"C", "S"}}, {}, 0, 3, {"B", "[S]", "A", "C", "D", "E"}, "S"},
        {"below a collapsed header joins", {{"C", "S"}}, {"S"}, 1, 3, {"A", "[S]", "D", "E"}, "S"},
        {"between members joins",
         {{"A", "S"}, {"B", "S"}},
         {},
         4,
         2,
         {"[S]", "A", "D", "B", "C", "E"},
         "S"},
        {"after the last member keeps none",
         {{"A", "S"}, {"B", "S"}},
         {},
         4,
         3,
         {"[S]", "A", "B", "D", "C", "E"},
         "-"},
        {"after the last member keeps its group",
         {{"A", "S"}, {"B", "S"}, {"E", "T"}},
         {},
         6,
         3,
         {"[S]", "A", "B", "[T]", "E", "C", "D"},
         "T"},
        {"below an ungrouped list leaves",
         {{"A", "S"}, {"B", "S"}},
         {},
         1,
         5,
         {"[S]", "B", "C", "D", "A", "E"},
         "-"},
        {"in place stays",
         {{"A", "S"}, {"B", "S"}},
         {},
         2,
         3,
         {"[S]", "A", "B", "C", "D", "E"},
         "S"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.reset();
        QFile::remove(path());
        defaults.setStringList("collapsedCollections", c.collapsed);
        store = open();
        ids.clear();
        makeLists("ABCDE", c.groups);
        const QString moved = store->pageRows()[c.from].list.name;
        store->movePageRows({c.from}, c.to);
        EXPECT_EQ(rows(), c.rows);
        EXPECT_EQ(groupOf(moved), c.group);
    }
}

TEST_F(PageTest, DragRenumbersThePageSequenceAndWritesOnlyChangedOrders) {
    store.reset();
    store = openWithEngines();
    makeLists("ABCDE", {{"B", "S"}, {"C", "S"}});
    store->setCollectionCollapsed("S", true); // rows: A [S] D E
    const ino_t before = fileIdentity();
    store->movePageRows({3}, 0); // E to the top
    EXPECT_NE(fileIdentity(), before);
    EXPECT_EQ(rows(), (QStringList{"E", "A", "[S]", "D"}));
    // Hidden members keep consecutive places at their header.
    const QMap<QString, double> expected{{"E", 0}, {"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}};
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(orderOf(it.key()), it.value()) << it.key().toStdString();
    EXPECT_TRUE(store->dirtyLists().value(ids["E"]).contains("order"));

    // A second drag sends only the lists whose order changed.
    factory->log.clear();
    store->movePageRows({1}, 0); // A above E
    QStringList sent;
    for (const QString& entry : factory->log) {
        if (entry.contains("saveRecord"))
            sent.append(entry);
    }
    EXPECT_EQ(sent, (QStringList{"private saveRecord TB-" + ids["A"] + " list",
                                 "private saveRecord TB-" + ids["E"] + " list"}));
    EXPECT_EQ(orderOf("A"), 0);
    EXPECT_EQ(orderOf("E"), 1);
}

TEST_F(PageTest, GroupHeaderMovesItsWholeBlock) {
    makeLists("ABCDE", {{"B", "S"}, {"C", "S"}, {"D", "T"}});
    // Rows: A [S] B C [T] D E
    store->movePageRows({1}, 6); // inside T's block: goes after it
    EXPECT_EQ(rows(), (QStringList{"A", "[T]", "D", "[S]", "B", "C", "E"}));
    EXPECT_EQ(groupOf("B"), "S");
    store->setCollectionCollapsed("S", true);
    store->movePageRows({3}, 0);
    EXPECT_EQ(rows(), (QStringList{"[S]", "A", "[T]", "D", "E"}));
    EXPECT_EQ(orderOf("B"), 0);
    EXPECT_EQ(orderOf("C"), 1);
    EXPECT_EQ(orderOf("A"), 2);
    store->movePageRows({7}, 0); // outside the rows: nothing
    store->movePageRows({}, 0);
    EXPECT_EQ(orderOf("A"), 2);
}

TEST_F(PageTest, FilingTrimsNamesAndDissolvingKeepsTheCollapsedName) {
    makeLists("AB");
    store->setCollection(QString(" \tHome\n"), ids["A"]);
    EXPECT_EQ(groupOf("A"), "Home");
    store->setCollection(QString("   "), ids["A"]);
    EXPECT_EQ(groupOf("A"), "-");
    EXPECT_TRUE(store->dirtyFilings().contains(ids["A"]));

    store->setCollection(QString("Home"), ids["A"]);
    store->setCollection(QString("Home"), ids["B"]);
    store->setCollectionCollapsed("Home", true);
    const ino_t before = fileIdentity();
    store->dissolveCollection("Home");
    EXPECT_NE(fileIdentity(), before);
    EXPECT_TRUE(store->filings().isEmpty());
    EXPECT_EQ(defaults.stringList("collapsedCollections"), QStringList{"Home"});
}

TEST_F(PageTest, FilingChangesQueueTheFilingRecordOnThePrivateEngine) {
    store.reset();
    store = openWithEngines();
    makeLists("A");
    factory->log.clear();
    store->setCollection(QString("S"), ids["A"]);
    store->setCollection(std::nullopt, ids["A"]);
    EXPECT_EQ(factory->log, (QStringList{"private saveZone TBMeta __defaultOwner__",
                                         "private saveRecord TBMeta " + ids["A"],
                                         "private saveZone TBMeta __defaultOwner__",
                                         "private deleteRecord TBMeta " + ids["A"]}));
}
