// What a screen reader finds on a list's screen, asked through Qt's accessibility interfaces as
// the desktop's bridge asks them: the header, the filter chips, the group headings, the
// completed section's header and each item's tick and star, each with its name, role, state and
// actions, found in a tree whose parents and children agree.
#include "DetailPaneTest.h"
#include "support/AccessibleWalk.h"
#include "ui/detail/TagFilterBar.h"

#include <QAccessible>

namespace {

class ListScreenReaderTest : public DetailPaneTest {
protected:
    QAccessibleInterface* list() { return QAccessible::queryAccessibleInterface(&view->items()); }
    QAccessibleInterface* named(const QString& name) { return AccessibleWalk::named(list(), name); }
    // Presses the element of that name as a screen reader does, and lets the screen follow.
    void press(const QString& name) {
        QAccessibleInterface* element = named(name);
        ASSERT_NE(element, nullptr) << name.toStdString();
        ASSERT_TRUE(element->actionInterface()) << name.toStdString();
        element->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
        view->items().doItemsLayout();
    }
    QStringList itemNames() { return AccessibleWalk::namesOf(list(), QAccessible::ListItem); }
    QStringList headings() { return AccessibleWalk::namesOf(list(), QAccessible::Heading); }
};

TEST_F(ListScreenReaderTest, TheHeaderSaysWhichListIsOpenAndOpensTheEditorWhenItMay) {
    const QString editHint = "Opens this list's name, icon and colour";
    const struct {
        const char* what;
        std::function<TBList(DetailTestStore&)> make;
        QAccessible::Role role;
        QString name;
        QString value;
        QString description;
        bool opensEditor;
    } rows[] = {
        {"a pinned one-off list of mine, two of five done",
         [](DetailTestStore& t) {
             TBList list = t.list("Groceries");
             for (const char* text : {"a", "b", "c", "d", "e"})
                 t.item(list, text, QString(text) < "c");
             list = t.current(list.id);
             list.pinned = true;
             t.store->updateList(list);
             return list;
         },
         QAccessible::Button, "Edit list details", "Groceries, 40% done · 3 left, pinned",
         "Groceries, 40% done · 3 left, pinned. " + editHint, true},
        {"an ongoing list of mine",
         [](DetailTestStore& t) {
             TBList list = t.list("Chores", TBListKind::ongoing);
             t.item(list, "Sweep");
             t.item(list, "Dust");
             return list;
         },
         QAccessible::Button, "Edit list details", "Chores, 2 items",
         "Chores, 2 items. " + editHint, true},
        {"someone else's list I may only read",
         [](DetailTestStore& t) {
             TBList list = t.list("Theirs", TBListKind::ongoing);
             t.item(list, "Tea");
             t.shareFromOwner(list.id, TBSharePermission::readOnly);
             return list;
         },
         QAccessible::StaticText, "Theirs, 1 item", "", "", false},
    };
    for (const auto& row : rows) {
        open(row.make(t));
        QAccessibleInterface* hero = list()->child(0);
        ASSERT_NE(hero, nullptr) << row.what;
        EXPECT_EQ(hero->role(), row.role) << row.what;
        EXPECT_EQ(hero->text(QAccessible::Name), row.name) << row.what;
        EXPECT_EQ(hero->text(QAccessible::Value), row.value) << row.what;
        EXPECT_EQ(hero->text(QAccessible::Description), row.description) << row.what;
        EXPECT_EQ(hero->parent(), list()) << row.what;
        const QStringList actions = AccessibleWalk::actionsOf(hero);
        EXPECT_EQ(actions.contains(QAccessibleActionInterface::pressAction()), row.opensEditor)
            << row.what;
        if (row.opensEditor) {
            hero->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            EXPECT_TRUE(model.state().editing) << row.what;
            model.sheetClosed(ListDetailModel::Sheet::listEditor);
        }
    }
}

TEST_F(ListScreenReaderTest, TheFilterChipsAreTogglesThatFilterAndGroupTheItems) {
    const TBList shop = t.list("Shop", TBListKind::ongoing);
    t.item(shop, "Milk #dairy");
    t.item(shop, "Bread #bakery");
    t.item(shop, "Cheese #dairy");
    open(shop);
    QAccessibleInterface* bar = list()->child(1);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->object(), view->items().findChild<TagFilterBar*>());
    QStringList expected{"Group by tag"};
    for (const QString& tag : model.snapshot().vocabulary)
        expected.append("Filter by " + tag);
    QStringList chips;
    for (int i = 0; i < bar->childCount(); ++i) {
        QAccessibleInterface* chip = bar->child(i);
        chips.append(chip->text(QAccessible::Name));
        EXPECT_EQ(chip->role(), QAccessible::Button) << chips.last().toStdString();
        EXPECT_TRUE(chip->state().checkable) << chips.last().toStdString();
        EXPECT_FALSE(chip->state().checked) << chips.last().toStdString();
    }
    EXPECT_EQ(chips, expected);
    // The header, the bar, three items; the closing spacer is passed over.
    EXPECT_EQ(list()->childCount(), 5);
    EXPECT_EQ(view->items().rows().rowCount(), 6);

    press("Filter by dairy");
    EXPECT_EQ(model.state().selectedTag, "dairy");
    QAccessibleInterface* on = named("Stop filtering by dairy");
    ASSERT_NE(on, nullptr);
    EXPECT_TRUE(on->state().checked && on->state().selected);
    EXPECT_EQ(itemNames(), QStringList({"Milk #dairy, not ticked", "Cheese #dairy, not ticked"}));

    press("Group by tag");
    EXPECT_TRUE(model.state().grouping);
    EXPECT_TRUE(named("Stop grouping by tag")->state().checked);
    EXPECT_EQ(headings(), QStringList({"DAIRY"}));

    press("Stop filtering by dairy");
    EXPECT_EQ(model.state().selectedTag, std::nullopt);
    EXPECT_EQ(headings().size(), 2);
    EXPECT_TRUE(headings().contains("BAKERY"));
    EXPECT_EQ(itemNames().size(), 3);
}

TEST_F(ListScreenReaderTest, TheCompletedHeaderIsAButtonThatShowsAndHidesItsItems) {
    const TBList chores = t.list("Chores", TBListKind::ongoing);
    t.item(chores, "Sweep");
    t.item(chores, "Dust", true);
    open(chores);
    QAccessibleInterface* header = named("Completed, 1 item");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->role(), QAccessible::Button);
    EXPECT_EQ(header->text(QAccessible::Description), "Press to show");
    EXPECT_TRUE(header->state().expandable && header->state().collapsed);
    EXPECT_EQ(itemNames(), QStringList({"Sweep, not ticked"}));

    press("Completed, 1 item");
    EXPECT_TRUE(model.state().showingCompleted);
    header = named("Completed, 1 item");
    EXPECT_EQ(header->text(QAccessible::Description), "Press to hide");
    EXPECT_TRUE(header->state().expanded);
    EXPECT_EQ(itemNames(), QStringList({"Sweep, not ticked", "Dust, ticked"}));
    // The painted chevron follows the section's state, not the words of its hint.
    const DetailRowModel& rows = view->items().rows();
    const QModelIndex at = rows.index(rows.rowOf(DetailRow::Kind::completedHeader));
    EXPECT_TRUE(at.data(DetailRowModel::expandedRole).toBool());
    EXPECT_EQ(at.data(DetailRowModel::countRole).toInt(), 1);
}

TEST_F(ListScreenReaderTest, AnItemsTickAndStarAreItsChildrenAndDoWhatTheirNamesSay) {
    const TBList shop = t.list("Shop");
    const TBItem milk = t.item(shop, "Milk #dairy");
    open(shop);
    QAccessibleInterface* row = named("Milk #dairy, not ticked");
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->childCount(), 2);
    QAccessibleInterface* tick = row->child(0);
    QAccessibleInterface* star = row->child(1);
    EXPECT_EQ(tick->text(QAccessible::Name), "Tick Milk #dairy");
    EXPECT_EQ(star->text(QAccessible::Name), "Star Milk #dairy");
    for (QAccessibleInterface* control : {tick, star}) {
        EXPECT_EQ(control->role(), QAccessible::Button);
        EXPECT_EQ(control->parent(), row);
        EXPECT_TRUE(row->rect().contains(control->rect()));
        EXPECT_EQ(row->childAt(control->rect().center().x(), control->rect().center().y()),
                  control);
    }

    star->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_TRUE(stored(milk.id).pinned);
    EXPECT_EQ(star->text(QAccessible::Name), "Unstar Milk #dairy") << "the same element, anew";
    EXPECT_TRUE(star->state().selected);
    tick->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_TRUE(stored(milk.id).done);
    EXPECT_EQ(sound->played, QStringList({"Glass"}));
}

TEST_F(ListScreenReaderTest, OnAListThatMayNotBeChangedTheTickIsShownAndDoesNothing) {
    const TBList theirs = t.list("Theirs");
    const TBItem tea = t.item(theirs, "Tea");
    t.shareFromOwner(theirs.id, TBSharePermission::readOnly);
    open(theirs);
    QAccessibleInterface* row = named("Tea, not ticked");
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->childCount(), 1) << "no star";
    QAccessibleInterface* tick = row->child(0);
    EXPECT_EQ(tick->text(QAccessible::Name), "Tick Tea");
    EXPECT_TRUE(tick->state().disabled);
    EXPECT_TRUE(AccessibleWalk::actionsOf(tick).isEmpty());
    EXPECT_FALSE(stored(tea.id).done);
}

} // namespace
