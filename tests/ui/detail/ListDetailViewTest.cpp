// The list pane's wiring: clicks on a row's parts, the context menu, read-only rows, the foot and
// the empty state.
#include "DetailPaneTest.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ItemRowGeometry.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/sound/SoundEffectPlayer.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using ListDetailViewTest = DetailPaneTest;

TEST_F(ListDetailViewTest, AClickOnTheTickTicksAndPlaysTheSoundAndUntickingIsSilent) {
    const TBList list = t.list("Shop");
    const TBItem milk = t.item(list, "Milk #dairy");
    t.item(list, "Eggs");
    open(list);
    const QPoint tick = ItemRowGeometry::of(rowRect(milk.id), true).tick.center();

    click(tick);
    EXPECT_TRUE(stored(milk.id).done);
    EXPECT_EQ(sound->played, QStringList({"Glass"}));

    click(ItemRowGeometry::of(rowRect(milk.id), true).tick.center());
    EXPECT_FALSE(stored(milk.id).done);
    EXPECT_EQ(sound->played.size(), 1);

    click(ItemRowGeometry::of(rowRect(milk.id), true).star.center());
    EXPECT_TRUE(stored(milk.id).pinned);
    click(ItemRowGeometry::of(rowRect(milk.id), true).text.center());
    EXPECT_EQ(model.state().openItem, (ItemRoute{milk.id, list.id}));
}

TEST_F(ListDetailViewTest, TheContextMenuStarsAndDeletes) {
    const TBList list = t.list("Shop");
    const TBItem milk = t.item(list, "Milk");
    open(list);
    std::unique_ptr<QMenu> menu(view->items().menuFor(view->items().rows().index(rowOf(milk.id))));
    ASSERT_TRUE(menu);
    QStringList entries;
    for (QAction* action : menu->actions())
        entries.append(action->isSeparator() ? "--" : action->text());
    EXPECT_EQ(entries, QStringList({"Star", "--", "Delete"}));
    menu->actions().last()->trigger();
    EXPECT_TRUE(t.store->items(list.id).isEmpty());
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->showsEmptyState());
    EXPECT_FALSE(view->showsViewOnlyNote());
}

TEST_F(ListDetailViewTest, AReadOnlyListsRowsDoNotAct) {
    const TBList list = t.list("Theirs");
    const TBItem milk = t.item(list, "Milk");
    t.shareFromOwner(list.id, TBSharePermission::readOnly);
    open(list);
    QSignalSpy changes(t.store.get(), &ListStore::changed);
    const ItemRowGeometry g = ItemRowGeometry::of(rowRect(milk.id), false);
    EXPECT_TRUE(g.star.isEmpty());
    click(g.tick.center());
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(sound->played.isEmpty());
    EXPECT_EQ(view->items().menuFor(view->items().rows().index(rowOf(milk.id))), nullptr);
    EXPECT_TRUE(view->showsViewOnlyNote());
    EXPECT_EQ(view->items().rows().data(view->items().rows().index(rowOf(milk.id)),
                                        Qt::AccessibleDescriptionRole),
              "View only");
    click(g.text.center()); // the text still opens the item
    EXPECT_EQ(model.state().openItem, (ItemRoute{milk.id, list.id}));
}

TEST_F(ListDetailViewTest, OneDragIsOneStoreCallAndOneRefresh) {
    const TBList list = t.list("Order");
    QStringList ids;
    for (const char* text : {"a", "b", "c", "d"})
        ids.append(t.item(list, text).id);
    open(list);
    QWidget* viewport = view->items().viewport();
    const QPoint from = ItemRowGeometry::of(rowRect(ids[0]), true).text.center();
    const QPoint to(from.x(), rowRect(ids[2]).bottom() - 4);
    QSignalSpy changes(t.store.get(), &ListStore::changed);
    QSignalSpy refreshes(&model, &ListDetailModel::refreshed);
    drag(viewport, from, to);
    QCoreApplication::processEvents();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(refreshes.count(), 1);
    QStringList order;
    for (const TBItem& item : t.store->items(list.id))
        order.append(item.text);
    EXPECT_EQ(order, QStringList({"b", "c", "a", "d"}));
    EXPECT_EQ(model.state().openItem, std::nullopt); // the drag did not also click

    const TBList theirs = t.list("Theirs");
    const QString x = t.item(theirs, "x").id;
    t.item(theirs, "y");
    t.shareFromOwner(theirs.id, TBSharePermission::readOnly);
    open(theirs);
    QSignalSpy none(t.store.get(), &ListStore::changed);
    const QPoint start = ItemRowGeometry::of(rowRect(x), false).text.center();
    QTest::mousePress(view->items().viewport(), Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, start + QPoint(0, 120),
                     view->items().viewport()->mapToGlobal(start + QPoint(0, 120)), Qt::NoButton,
                     Qt::LeftButton, {});
    QCoreApplication::sendEvent(view->items().viewport(), &move);
    QTest::mouseRelease(view->items().viewport(), Qt::LeftButton, {}, start + QPoint(0, 120));
    EXPECT_EQ(none.count(), 0); // a read-only list's rows do not move
}

} // namespace
