// The list pane's wiring: clicks on a row's parts, the context menu, read-only rows and rights
// that change under an open list, the foot and the empty state.
#include "DetailPaneTest.h"
#include "ui/components/RowDragController.h"
#include "ui/components/RowSwipeController.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ItemRowGeometry.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/sound/SoundEffectPlayer.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

class ListDetailViewTest : public DetailPaneTest {
public:
    // For the steps of a table's rows.
    using DetailPaneTest::rowRect;
    using DetailPaneTest::t;
    using DetailPaneTest::view;

    // The rows as a pane of this list opened afresh draws them, at the size of the open one.
    QImage drawnAfresh(const TBList& list) {
        ListDetailModel freshModel(*t.store, t.clock);
        freshModel.show(list.id);
        ListDetailView fresh(freshModel);
        fresh.resize(view->size());
        fresh.show();
        t.turn();
        fresh.items().doItemsLayout();
        return fresh.items().viewport()->grab().toImage();
    }
    QImage drawn() { return view->items().viewport()->grab().toImage(); }
    // A press on the item's words, moved down past the drag distance with the button held.
    void lift(const QString& itemID) {
        QWidget* viewport = view->items().viewport();
        const QPoint from = ItemRowGeometry::of(rowRect(itemID), true).text.center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 3; ++step) {
            const QPoint at = from + QPoint(0, 20 * step);
            QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, {});
            QCoreApplication::sendEvent(viewport, &move);
        }
    }
    // A touchpad's sideways swipe over the item's row, left a little, fingers lifted.
    void swipeOpen(const QString& itemID) {
        QWidget* viewport = view->items().viewport();
        const QPoint at = rowRect(itemID).center();
        for (const auto& [dx, phase] :
             {std::pair{-50, Qt::ScrollUpdate}, std::pair{0, Qt::ScrollEnd}}) {
            QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(dx, 0), QPoint(dx * 3, 0),
                              Qt::NoButton, Qt::NoModifier, phase, false);
            QCoreApplication::sendEvent(viewport, &event);
        }
        t.turn();
    }
};

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

TEST_F(ListDetailViewTest, RowsFollowRightsThatChangeWhileTheListIsOpenDrawnAndHitAlike) {
    const struct {
        const char* what;
        TBSharePermission from;
        TBSharePermission to;
    } rows[] = {
        {"a read-only list made read-write", TBSharePermission::readOnly,
         TBSharePermission::readWrite},
        {"a read-write list made read-only", TBSharePermission::readWrite,
         TBSharePermission::readOnly},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list(row.what);
        const TBItem milk = t.item(list, "Milk");
        // Long enough to wrap where the star takes room from its words, and not where it does not.
        t.item(list, "Bread from the baker at the corner of the market square, the dark rye one "
                     "with seeds");
        t.shareFromOwner(list.id, row.from);
        open(list);
        t.permissionChanged(list.id, row.to);
        t.turn();
        view->items().doItemsLayout();
        const bool writable = row.to == TBSharePermission::readWrite;
        ASSERT_EQ(model.mayWrite(), writable);

        EXPECT_TRUE(drawn() == drawnAfresh(list)) << "drawn as a pane opened with the new rights";
        // Where a star is drawn now, or was before the change.
        click(ItemRowGeometry::of(rowRect(milk.id), true).star.center());
        EXPECT_EQ(stored(milk.id).pinned, writable);
        EXPECT_EQ(model.state().openItem.has_value(), !writable) << "the words open it";
        model.closeItem();
    }
}

TEST_F(ListDetailViewTest, WhatWasBegunOnARowGoesWhenTheListIsMadeReadOnly) {
    const struct {
        const char* what;
        std::function<void(ListDetailViewTest&, const QString&)> begin;
        std::function<bool(ListDetailViewTest&)> stillThere;
    } rows[] = {
        {"a row swiped open",
         [](ListDetailViewTest& test, const QString& id) { test.swipeOpen(id); },
         [](ListDetailViewTest& test) { return test.view->items().swipe().isOpen(); }},
        {"a row's menu",
         [](ListDetailViewTest& test, const QString& id) {
             DetailItemsView& items = test.view->items();
             const QPoint at = test.rowRect(id).center();
             QContextMenuEvent event(QContextMenuEvent::Mouse, at,
                                     items.viewport()->mapToGlobal(at));
             QCoreApplication::sendEvent(items.viewport(), &event);
             test.t.turn();
         },
         [](ListDetailViewTest&) {
             return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr;
         }},
        {"a row lifted to be dragged",
         [](ListDetailViewTest& test, const QString& id) { test.lift(id); },
         [](ListDetailViewTest& test) { return test.view->items().drag().isDragging(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list(row.what);
        const TBItem milk = t.item(list, "Milk");
        t.item(list, "Eggs");
        t.item(list, "Bread");
        t.shareFromOwner(list.id, TBSharePermission::readWrite);
        open(list);
        row.begin(*this, milk.id);
        ASSERT_TRUE(row.stillThere(*this)) << "begun";

        t.permissionChanged(list.id, TBSharePermission::readOnly);
        t.turn();
        EXPECT_FALSE(row.stillThere(*this));
        QSignalSpy changes(t.store.get(), &ListStore::changed);
        QTest::mouseRelease(view->items().viewport(), Qt::LeftButton, {},
                            rowRect(milk.id).center() + QPoint(0, 60));
        t.turn();
        EXPECT_EQ(changes.count(), 0) << "nothing the list no longer allows";
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }
}

} // namespace
