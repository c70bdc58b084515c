// The list's rows from the keyboard: the focus rests on items and the completed header only, the
// arrow keys move among them, Space ticks, Return opens, the menu key opens the row's menu,
// Delete removes, and when rows go the keyboard stays in place; a click on the filter chips never
// scrolls the list to the keyboard's row.
#include "DetailPaneTest.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ItemRowGeometry.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/TagFilterBar.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

class ItemRowKeysTest : public DetailPaneTest {
public:
    // For the checks of a table's rows.
    using DetailPaneTest::model;
    using DetailPaneTest::sound;
    using DetailPaneTest::stored;
    using DetailPaneTest::t;

protected:
    // Opens the list, arranges the screen, and moves the keyboard onto its rows as Tab does.
    DetailItemsView& focusRows(const TBList& list,
                               const std::function<void(ListDetailModel&)>& arrange = {}) {
        open(list);
        if (arrange) {
            arrange(model);
            t.turn();
            view->items().doItemsLayout();
        }
        QApplication::setActiveWindow(view.get());
        view->items().setFocus(Qt::TabFocusReason);
        t.turn();
        return view->items();
    }
    // The keyboard's row: an item's text, "COMPLETED" for the completed header, or what else
    // it rests on.
    QString current() const {
        const DetailItemsView& items = view->items();
        const QModelIndex index = items.currentIndex();
        if (!index.isValid())
            return QStringLiteral("(none)");
        const DetailRow& row = items.rows().row(index.row());
        switch (row.kind) {
        case DetailRow::Kind::item:
            return row.item.text;
        case DetailRow::Kind::completedHeader:
            return QStringLiteral("COMPLETED");
        default:
            return QStringLiteral("(not a row: %1)").arg(row.key());
        }
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&view->items(), key, modifiers);
        t.turn();
    }
    // An ongoing list grouped by tag, with its completed section open: headings to pass over.
    DetailItemsView& focusGroupedShop() {
        const TBList list = t.list("Shop", TBListKind::ongoing);
        t.item(list, "Bread #bakery");
        t.item(list, "Milk #dairy");
        t.item(list, "Eggs");
        t.item(list, "Butter #dairy", true);
        t.defaults.setStringList("tagOrder." + list.id, {"bakery", "dairy"});
        return focusRows(list, [](ListDetailModel& m) {
            m.toggleGrouping();
            m.toggleCompleted();
        });
    }
};

TEST_F(ItemRowKeysTest, TheKeyboardRestsOnItemsAndTheCompletedHeaderOnly) {
    const struct {
        const char* what;
        QList<Qt::Key> keys;
        const char* expected;
    } rows[] = {
        {"Tab in: the first item, not the header above it", {}, "Bread #bakery"},
        {"Down passes over a heading", {Qt::Key_Down}, "Milk #dairy"},
        {"and over the next", {Qt::Key_Down, Qt::Key_Down}, "Eggs"},
        {"the completed header is a row", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, "COMPLETED"},
        {"then the ticked items", QList<Qt::Key>(4, Qt::Key_Down), "Butter #dairy"},
        {"the last row stays the last, not the spacer", QList<Qt::Key>(7, Qt::Key_Down),
         "Butter #dairy"},
        {"Up from the first stays, not the chips or the header", {Qt::Key_Up}, "Bread #bakery"},
        {"End", {Qt::Key_End}, "Butter #dairy"},
        {"Home", {Qt::Key_End, Qt::Key_Home}, "Bread #bakery"},
        {"sideways does nothing", {Qt::Key_Down, Qt::Key_Right, Qt::Key_Left}, "Milk #dairy"},
        {"typing finds an item, not a heading", {Qt::Key_E}, "Eggs"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        DetailItemsView& items = focusGroupedShop();
        for (Qt::Key key : row.keys)
            press(key);
        EXPECT_EQ(current(), row.expected);
        EXPECT_EQ(QApplication::focusWidget(), &items) << "the focus stays on the rows";
        EXPECT_TRUE(items.showsFocusRing());
    }
}

TEST_F(ItemRowKeysTest, TheKeysActOnTheFocusedRow) {
    enum class Start { open, ticked, completedHeader };
    const struct {
        const char* what;
        Start start;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::function<bool(ItemRowKeysTest&, const TBItem&)> happened;
    } rows[] = {
        {"Space ticks, with the sound", Start::open, Qt::Key_Space, Qt::NoModifier,
         [](ItemRowKeysTest& test, const TBItem& item) {
             return test.stored(item.id).done && test.sound->played == QStringList({"Glass"});
         }},
        {"Space unticks, silently", Start::ticked, Qt::Key_Space, Qt::NoModifier,
         [](ItemRowKeysTest& test, const TBItem& item) {
             return !test.stored(item.id).done && test.sound->played.isEmpty();
         }},
        {"Return opens", Start::open, Qt::Key_Return, Qt::NoModifier,
         [](ItemRowKeysTest& test, const TBItem& item) {
             return test.model.state().openItem == ItemRoute{item.id, item.listID};
         }},
        {"Enter opens", Start::ticked, Qt::Key_Enter, Qt::KeypadModifier,
         [](ItemRowKeysTest& test, const TBItem& item) {
             return test.model.state().openItem == ItemRoute{item.id, item.listID};
         }},
        {"Delete removes", Start::open, Qt::Key_Delete, Qt::NoModifier,
         [](ItemRowKeysTest& test, const TBItem& item) {
             return !test.t.store->findItem(item.id);
         }},
        {"Space folds the completed section", Start::completedHeader, Qt::Key_Space, Qt::NoModifier,
         [](ItemRowKeysTest& test, const TBItem&) { return !test.model.state().showingCompleted; }},
        {"Return folds it too", Start::completedHeader, Qt::Key_Return, Qt::NoModifier,
         [](ItemRowKeysTest& test, const TBItem&) { return !test.model.state().showingCompleted; }},
        {"Backspace removes nothing: it is too near typing", Start::open, Qt::Key_Backspace,
         Qt::NoModifier,
         [](ItemRowKeysTest& test, const TBItem& item) {
             return test.t.store->findItem(item.id) != nullptr;
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list(row.what, TBListKind::ongoing);
        t.item(list, "Eggs");
        const TBItem item = t.item(list, "Milk", row.start != Start::open);
        // The ticked items in sight.
        DetailItemsView& items = focusRows(list, [](ListDetailModel& m) { m.toggleCompleted(); });
        const int target = row.start == Start::completedHeader
                               ? items.rows().rowOf(DetailRow::Kind::completedHeader)
                               : rowOf(item.id);
        ASSERT_GE(target, 0);
        items.setCurrentIndex(items.rows().index(target));
        sound->played.clear();
        press(row.key, row.modifiers);
        EXPECT_TRUE(row.happened(*this, item));
    }
}

TEST_F(ItemRowKeysTest, AClickedRowIsTheKeyboardsRowWithoutARing) {
    const TBList list = t.list("Shop");
    t.item(list, "Eggs");
    const TBItem milk = t.item(list, "Milk");
    t.item(list, "Bread");
    DetailItemsView& items = focusRows(list);
    ASSERT_EQ(current(), "Eggs");
    // A click on Milk's star stars it and makes it the row Space acts on.
    click(ItemRowGeometry::of(rowRect(milk.id), true).star.center());
    EXPECT_TRUE(stored(milk.id).pinned);
    EXPECT_EQ(current(), "Milk");
    EXPECT_FALSE(items.showsFocusRing()) << "a click shows no ring";
    press(Qt::Key_Space);
    EXPECT_TRUE(stored(milk.id).done);
    EXPECT_TRUE(items.showsFocusRing()) << "the keyboard does";
}

TEST_F(ItemRowKeysTest, TheMenuKeyOpensTheRowsMenuWhoseDeleteHandsTheKeyboardOn) {
    const struct {
        const char* what;
        std::function<void(DetailItemsView&)> ask;
    } ways[] = {
        {"the menu key",
         [](DetailItemsView& items) {
             // Qt turns the menu key into a context menu event at the focused widget.
             QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                     items.mapToGlobal(QPoint(1, 1)));
             QCoreApplication::sendEvent(&items, &event);
         }},
        {"Shift+F10",
         [](DetailItemsView& items) { QTest::keyClick(&items, Qt::Key_F10, Qt::ShiftModifier); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        const TBList list = t.list(way.what);
        t.item(list, "Eggs");
        const TBItem milk = t.item(list, "Milk");
        t.item(list, "Bread");
        DetailItemsView& items = focusRows(list);
        press(Qt::Key_Down);
        ASSERT_EQ(current(), "Milk");
        way.ask(items);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->geometry().intersects(QRect(
            items.viewport()->mapToGlobal(rowRect(milk.id).topLeft()), rowRect(milk.id).size())))
            << "shown over the row";
        // A screen reader says the menu and its first item as it opens.
        EXPECT_EQ(menu->activeAction(), menu->actions().first());
        QAction* remove = menu->actions().last();
        ASSERT_EQ(remove->text(), "Delete");
        menu->setActiveAction(remove);
        QTest::keyClick(menu, Qt::Key_Return);
        t.turn();
        // The window is active again once the menu has gone (the offscreen platform leaves
        // that to us).
        QApplication::setActiveWindow(view.get());
        EXPECT_FALSE(t.store->findItem(milk.id));
        EXPECT_EQ(current(), "Bread") << "the row that took its place";
        EXPECT_EQ(QApplication::focusWidget(), &items);
    }
}

TEST_F(ItemRowKeysTest, WhenItsRowGoesTheKeyboardStaysInPlace) {
    const struct {
        const char* what;
        TBListKind kind;
        const char* on;
        Qt::Key key;
        const char* expected;
    } rows[] = {
        {"a tick on an ongoing list moves the item away", TBListKind::ongoing, "Milk",
         Qt::Key_Space, "Bread"},
        {"a tick on a one-off list leaves it in place", TBListKind::oneOff, "Milk", Qt::Key_Space,
         "Milk"},
        {"removing the last row", TBListKind::oneOff, "Bread", Qt::Key_Delete, "Milk"},
        {"removing a middle row", TBListKind::oneOff, "Milk", Qt::Key_Delete, "Bread"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list(row.what, row.kind);
        t.item(list, "Eggs");
        t.item(list, "Milk");
        t.item(list, "Bread");
        focusRows(list);
        while (current() != row.on && current() != "Bread")
            press(Qt::Key_Down);
        ASSERT_EQ(current(), row.on);
        press(row.key);
        EXPECT_EQ(current(), row.expected);
        EXPECT_EQ(QApplication::focusWidget(), &view->items());
    }
}

// Rows that come and go around the header and the chips leave those widgets as they were: the
// chip with the keyboard is the same one, still focused, not hidden and made again (which a
// screen reader hears as the chip going and coming back).
TEST_F(ItemRowKeysTest, RowsReplacedAroundTheChipsLeaveTheChipWithTheKeyboardInPlace) {
    const struct {
        const char* what;
        std::function<void(DetailTestStore&, const TBList&, const QString& milk)> change;
    } rows[] = {
        {"an add", [](DetailTestStore& t, const TBList& list,
                      const QString&) { t.store->addItem(list.id, "Cream #dairy"); }},
        {"a tick that moves the item to the completed section",
         [](DetailTestStore& t, const TBList&, const QString& milk) {
             t.store->setDone(milk, true);
         }},
        {"a removal",
         [](DetailTestStore& t, const TBList&, const QString& milk) { t.store->deleteItem(milk); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list(row.what, TBListKind::ongoing);
        const QString milk = t.item(list, "Milk #dairy").id;
        t.item(list, "Bread #bakery");
        t.item(list, "Butter #dairy");
        DetailItemsView& items = focusRows(list);
        TagFilterBar* bar = items.filterBar();
        ASSERT_NE(bar, nullptr);
        const QPointer<QWidget> chip = bar->chipButtons().at(bar->placeOfTag("dairy"));
        const QPointer<QWidget> hero = items.heroView();
        chip->setFocus(Qt::TabFocusReason);
        t.turn();
        const QPointer<TagFilterBar> shownBar = bar;

        row.change(t, list, milk);
        t.turn();
        items.doItemsLayout();
        EXPECT_TRUE(shownBar && items.filterBar() == shownBar) << "the same filter bar";
        EXPECT_TRUE(hero && items.heroView() == hero) << "the same header";
        ASSERT_TRUE(chip);
        EXPECT_TRUE(chip->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), chip.data());
    }
}

TEST_F(ItemRowKeysTest, AClickOnTheFilterChipsNeverScrollsTheList) {
    const struct {
        const char* what;
        const char* chip; // empty for Group
        bool keyboardOnTheChip;
    } rows[] = {
        {"Group, the keyboard on an item far down", "", false},
        {"a tag, the keyboard on an item far down", "dairy", false},
        {"Group, the keyboard on it, the bar half scrolled off", "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list(row.what);
        for (int i = 0; i < 30; ++i)
            t.item(list, QStringLiteral("Item %1").arg(i) + (i % 3 ? " #dairy" : " #bakery"));
        DetailItemsView& items = focusRows(list);
        // The keyboard goes far down (as when it comes back from an item opened there), and the
        // list is scrolled back up to the chips.
        press(Qt::Key_End);
        ASSERT_EQ(current(), "Item 29 #dairy");
        TagFilterBar* bar = items.filterBar();
        ASSERT_NE(bar, nullptr);
        QWidget* chip = bar->chipButtons().at(std::max(0, bar->placeOfTag(row.chip)));
        const QRect barRow =
            items.visualRect(items.rows().index(items.rows().rowOf(DetailRow::Kind::filterBar)));
        int scrolled = 0;
        if (row.keyboardOnTheChip) {
            scrolled = barRow.top() + items.verticalScrollBar()->value() + barRow.height() / 2;
            chip->setFocus(Qt::TabFocusReason);
            t.turn();
        }
        items.verticalScrollBar()->setValue(scrolled);
        t.turn();
        ASSERT_EQ(items.verticalScrollBar()->value(), scrolled);

        // Clicked low on the chip: still in sight when the bar is half off the top.
        QTest::mouseClick(chip, Qt::LeftButton, {}, QPoint(chip->width() / 2, chip->height() - 4));
        t.turn();
        items.doItemsLayout();
        EXPECT_TRUE(model.state().grouping || model.state().selectedTag) << "the chip acted";
        EXPECT_EQ(items.verticalScrollBar()->value(), scrolled);
    }
}

} // namespace
