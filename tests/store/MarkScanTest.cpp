// The look through the items' marks: what it finds marked, what it finds not marked in full, and
// whether the store's marks are still the ones it looked through.
#include "StoreTestSupport.h"

#include "store/MarkScan.h"

namespace {

TBItem item(const QString& id, const QString& listID) {
    TBItem item;
    item.id = id;
    item.listID = listID;
    item.text = id;
    return item;
}

} // namespace

TEST(MarkScan, FindsTheMarkedItemsAndThoseNotMarkedInFull) {
    const FieldSet all = ListStore::allItemFields();
    struct Case {
        const char* what;
        QMap<QString, FieldSet> marks;
        QList<TBItem> items;
        std::vector<std::pair<QString, QString>> marked; // in the order of the marks
        QStringList notFullyMarked;                      // in the order of the items
    };
    const Case cases[] = {
        {"nothing", {}, {}, {}, {}},
        {"every item marked in full",
         {{"a", all}, {"b", all}},
         {item("b", "L"), item("a", "M")},
         {{"a", "M"}, {"b", "L"}},
         {}},
        {"an item without a mark, one with an empty mark and one with a part",
         {{"a", all}, {"b", {}}, {"c", {"done"}}},
         {item("a", "L"), item("b", "L"), item("c", "L"), item("d", "L")},
         {{"a", "L"}, {"c", "L"}},
         {"b", "c", "d"}},
        {"a mark of an item that is not there, and one naming a field no record has",
         {{"gone", all}, {"a", FieldSet{"text", "done", "order", "pinned", "completedAt", "x"}}},
         {item("a", "L")},
         {{"a", "L"}},
         {"a"}},
        {"two items of one id: the first is the one",
         {{"a", all}},
         {item("a", "L"), item("a", "M"), item("b", "L")},
         {{"a", "L"}},
         {"b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MarkScan scan(c.marks, c.items);
        EXPECT_FALSE(scan.done());
        scan.run();
        scan.run(); // once only
        EXPECT_TRUE(scan.done());
        EXPECT_EQ(scan.marked(), c.marked);
        EXPECT_EQ(scan.notFullyMarked(), c.notFullyMarked);
    }
}

TEST(MarkScan, KnowsWhetherTheMarksChangedSince) {
    QMap<QString, FieldSet> marks{{"a", ListStore::allItemFields()}};
    MarkScan scan(marks, {item("a", "L")});
    scan.run();
    EXPECT_TRUE(scan.stillFor(marks));
    const QMap<QString, FieldSet> copy = marks;
    EXPECT_TRUE(scan.stillFor(copy));
    marks["b"] = {"done"};
    EXPECT_FALSE(scan.stillFor(marks));
    EXPECT_TRUE(scan.stillFor(copy));
    scan.release();
    EXPECT_FALSE(scan.stillFor(copy));
}
