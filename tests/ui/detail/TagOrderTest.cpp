// The tag order sheet: its rows and moves, "Done" and "Cancel", and the order written for the
// list, which its grouping and chips then follow.
#include "DetailPaneTest.h"
#include "ui/components/RowDragController.h"
#include "ui/components/TextButton.h"
#include "ui/detail/ArrangeTagsSheet.h"
#include "ui/detail/DetailSheetHost.h"
#include "ui/detail/TagOrderModel.h"

#include <QListView>
#include <QMenu>
#include <QSignalSpy>

namespace {

TEST(TagOrderModel, MovesFollowTheListMoveConvention) {
    const struct {
        const char* what;
        int row;
        int destination;
        QStringList order;
    } rows[] = {
        {"last to the top", 3, 0, {"d", "a", "b", "c"}},
        {"first to the end", 0, 4, {"b", "c", "d", "a"}},
        {"first before the third", 0, 2, {"b", "a", "c", "d"}},
        {"onto its own place", 1, 1, {"a", "b", "c", "d"}},
        {"just below itself", 1, 2, {"a", "b", "c", "d"}},
        {"out of range", 5, 0, {"a", "b", "c", "d"}},
    };
    for (const auto& row : rows) {
        TagOrderModel model({"a", "b", "c", "d"});
        model.move(row.row, row.destination);
        EXPECT_EQ(model.order(), row.order) << row.what;
        EXPECT_EQ(model.data(model.index(0), Qt::AccessibleTextRole).toString(),
                  "Tag " + row.order.first())
            << row.what;
    }
}

TEST(ArrangeTagsSheet, DoneHandsOverTheOrderOnceAndCancelNothing) {
    QList<QStringList> saved;
    {
        ArrangeTagsSheet sheet({"veg", "dairy"}, [&](const QStringList& o) { saved.append(o); });
        sheet.show();
        sheet.doneButton()->click();
        EXPECT_EQ(saved, QList<QStringList>({{"veg", "dairy"}})); // no move: as given
    }
    {
        ArrangeTagsSheet sheet({"veg", "dairy"}, [&](const QStringList& o) { saved.append(o); });
        sheet.show();
        sheet.order().move(1, 0);
        sheet.cancelButton()->click();
        EXPECT_FALSE(sheet.isVisible());
    }
    {
        ArrangeTagsSheet sheet({}, [&](const QStringList& o) { saved.append(o); });
        sheet.show();
        EXPECT_TRUE(sheet.rows()->isHidden()); // only the footer
        sheet.doneButton()->click();
    }
    EXPECT_EQ(saved, QList<QStringList>({{"veg", "dairy"}, {}}));
}

using TagOrderTest = DetailPaneTest;

TEST_F(TagOrderTest, ADraggedOrderIsWrittenAndTheListRegroupsAtOnce) {
    const TBList list = t.list("Shop", TBListKind::ongoing);
    t.item(list, "Milk #dairy");
    t.item(list, "Bread #bakery");
    t.item(list, "Peas #veg");
    open(list);
    DetailSheetHost sheets(model, view.get());
    model.toggleGrouping();
    auto headings = [&] {
        QStringList out;
        for (const DetailRow& row : model.snapshot().rows)
            if (row.kind == DetailRow::Kind::groupHeading)
                out.append(row.heading);
        return out;
    };
    ASSERT_EQ(headings(), QStringList({"BAKERY", "DAIRY", "VEG"}));

    view->fillActionsMenu();
    for (QAction* action : view->actionsMenu().actions())
        if (action->text() == "Arrange tags…")
            action->trigger();
    auto* sheet = qobject_cast<ArrangeTagsSheet*>(sheets.presented());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->order().order(), QStringList({"bakery", "dairy", "veg"}));

    // Cancel writes nothing.
    sheet->cancelButton()->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(t.store->defaults().contains("tagOrder." + list.id));
    EXPECT_FALSE(model.state().arrangingTags);

    // Drag "veg" from the bottom to the top, then Done.
    model.arrangeTags();
    sheet = qobject_cast<ArrangeTagsSheet*>(sheets.presented());
    ASSERT_TRUE(sheet);
    sheet->resize(420, 520);
    QCoreApplication::processEvents();
    sheet->rows()->doItemsLayout();
    QWidget* viewport = sheet->rows()->viewport();
    const QPoint from = sheet->rows()->visualRect(sheet->order().index(2)).center();
    const QPoint to = sheet->rows()->visualRect(sheet->order().index(0)).topLeft() + QPoint(20, 2);
    drag(viewport, from, to);
    EXPECT_EQ(sheet->order().order(), QStringList({"veg", "bakery", "dairy"}));
    sheet->doneButton()->click();
    EXPECT_EQ(t.store->defaults().stringList("tagOrder." + list.id),
              QStringList({"veg", "bakery", "dairy"}));
    EXPECT_EQ(headings(), QStringList({"VEG", "BAKERY", "DAIRY"}));
    EXPECT_EQ(model.snapshot().vocabulary, QStringList({"veg", "bakery", "dairy"}));
    QCoreApplication::processEvents();
    EXPECT_FALSE(sheets.presented());
}

TEST_F(TagOrderTest, TheWindowsTagOrderSheetWritesTheOrderForItsList) {
    const TBList list = t.list("Shop");
    t.item(list, "Milk #dairy");
    t.item(list, "Peas #veg");
    std::unique_ptr<ArrangeTagsSheet> sheet(ArrangeTagsSheet::forList(*t.store, list.id, nullptr));
    EXPECT_EQ(sheet->order().order(), QStringList({"dairy", "veg"}));
    sheet->order().move(1, 0);
    QSignalSpy changes(t.store.get(), &ListStore::changed);
    sheet->doneButton()->click();
    EXPECT_EQ(t.store->defaults().stringList("tagOrder." + list.id), QStringList({"veg", "dairy"}));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(t.store->vocabulary(list.id), QStringList({"veg", "dairy"}));
}

} // namespace
