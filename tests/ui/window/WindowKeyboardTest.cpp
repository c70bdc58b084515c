// The window from the keyboard alone, offscreen: Tab goes round the lists page and the open
// list in order, an item opened by Return hands the keyboard to its editor and Escape, Alt+Left,
// or Space or Return on Back bring it back to the item's row, straight both ways, a sheet closing
// gives the focus back to where the user was, a chip pressed keeps it while its bar changes,
// and a header that stops opening anything gives it up.
#include "model/ListNavigation.h"
#include "model/SettingsPresentation.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "support/QStringPrinting.h"
#include "ui/components/AddItemField.h"
#include "ui/components/BrandHeader.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/ItemHeaderBar.h"
#include "ui/components/NewGroupPill.h"
#include "ui/components/PaintedButton.h"
#include "ui/components/SheetDialog.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/detail/AddItemBar.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/ListDetailView.h"
#include "ui/detail/TagChipBar.h"
#include "ui/detail/TagFilterBar.h"
#include "ui/item/ItemEditorView.h"
#include "ui/item/ItemNameField.h"
#include "ui/lists/LabelButton.h"
#include "ui/lists/ListsFooter.h"
#include "ui/lists/ListsHeading.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/PageListView.h"
#include "ui/window/ListScreenSheets.h"
#include "ui/window/WindowContent.h"
#include "ui/window/WindowNavigation.h"
#include "ui/window/WindowSheets.h"

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Public: the tables' rows act through it.
class WindowKeyboardTest : public testing::Test {
public:
    void SetUp() override {
        Defaults::setStandard(defaults);
        store = std::make_unique<ListStore>(dir.filePath("store.json"), false, false, *defaults);
        // Every sheet the controls ask for, so that every control is there.
        for (WindowSheet kind : {WindowSheet::settings, WindowSheet::createList,
                                 WindowSheet::editList, WindowSheet::tagOrder})
            sheets.add(kind, [this](const WindowSheetSubject&, QWidget* parent) -> QDialog* {
                made = new SheetDialog(parent);
                return made;
            });
        // An alert is no sheet of ours: a plain message box.
        sheets.add(WindowSheet::message,
                   [this](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                       made = new QMessageBox(QMessageBox::NoIcon, subject.message, QString(),
                                              QMessageBox::Ok, parent);
                       return made;
                   });
    }
    void TearDown() override {
        listSheets.reset();
        content.reset();
        listScreen.reset();
        ListNavigation::shared().setRequestedListID(std::nullopt);
        SettingsPresentation::shared().setOpen(false);
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
    }

    // The window with Groceries open: two tagged items and one without a tag.
    void showGroceries() {
        const TBList groceries = store->addList("Groceries");
        store->addItem(groceries.id, "Milk #dairy");
        store->addItem(groceries.id, "Bread #bakery");
        store->addItem(groceries.id, "Eggs");
        listScreen = std::make_unique<ListDetailModel>(*store);
        content = std::make_unique<WindowContent>(*store, navigation, sheets, *listScreen);
        listSheets = std::make_unique<ListScreenSheets>(*listScreen, sheets, content.get());
        content->resize(1180, 800);
        content->show();
        navigation.setOpenListID(groceries.id);
        settle();
        QApplication::setActiveWindow(content.get());
    }
    void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        content->refreshDetailNow();
        QCoreApplication::processEvents();
    }
    // A key as the window gets it: at whatever has the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* to = QApplication::focusWidget();
        ASSERT_NE(to, nullptr) << "no focus for the key";
        QTest::keyClick(to, key, modifiers);
        settle();
    }
    ListDetailView& list() { return *content->listView(); }
    DetailItemsView& items() { return list().items(); }
    // Tab from the items over the add field, its plus and the add bar's chips to the list's
    // header; how many presses it took.
    int tabToTheHeader() {
        int tabs = 0;
        while (QApplication::focusWidget() != items().heroView() && tabs < 12) {
            press(Qt::Key_Tab);
            ++tabs;
        }
        return tabs;
    }
    QString currentItem() {
        const QModelIndex index = items().currentIndex();
        return index.isValid() ? items().rows().row(index.row()).item.text : QString();
    }

    QTemporaryDir dir;
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    std::unique_ptr<ListStore> store;
    WindowNavigation navigation;
    WindowSheets sheets;
    std::unique_ptr<ListDetailModel> listScreen;
    std::unique_ptr<WindowContent> content;
    std::unique_ptr<ListScreenSheets> listSheets;
    QPointer<QDialog> made;
};

TEST_F(WindowKeyboardTest, TabGoesRoundTheListsPageThenTheMainJobThenTheListsOtherControls) {
    showGroceries();
    ListsPane& pane = *content->sidebar();
    // A typed draft, so that the add button may be pressed.
    list().addBar().field()->setText("Apples");
    listScreen->setDraft("Apples");
    settle();
    TagFilterBar* chips = items().filterBar();
    ASSERT_NE(chips, nullptr);
    ASSERT_EQ(chips->chipButtons().size(), 3) << "Group, #bakery, #dairy";
    ASSERT_EQ(list().addBar().chipBar()->chips().size(), 2) << "the add bar's #bakery, #dairy";
    const QList<std::pair<const char*, QWidget*>> order = {
        {"the gear", pane.brandHeader()->settingsButton()},
        {"the summary line", pane.heading()->summaryButton()},
        {"Edit", pane.heading()->editButton()},
        {"the lists' rows", pane.rowsView()},
        {"New group", pane.footer()->pill()},
        {"the add button", pane.footer()->addButton()},
        {"the items", &items()},
        {"the add field", list().addBar().field()},
        {"the add button", list().addBar().plusButton()},
        {"the add bar's #bakery", list().addBar().chipBar()->chips().value(0)},
        {"the add bar's #dairy", list().addBar().chipBar()->chips().value(1)},
        {"the add bar's new tag", list().addBar().chipBar()->newTagButton()},
        {"the header", items().heroView()},
        {"Group", chips->chipButtons().at(0)},
        {"#bakery", chips->chipButtons().at(1)},
        {"#dairy", chips->chipButtons().at(2)},
        {"the list actions", &list().actionsButton()},
    };
    order.first().second->setFocus(Qt::TabFocusReason);
    // Twice round, each way.
    for (int step = 1; step <= 2 * order.size(); ++step) {
        press(Qt::Key_Tab);
        const auto& [what, expected] = order.at(step % order.size());
        ASSERT_EQ(QApplication::focusWidget(), expected) << "Tab " << step << ": " << what;
    }
    for (int step = 1; step <= 2 * order.size(); ++step) {
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        const auto& [what, expected] = order.at((order.size() * 2 - step) % order.size());
        ASSERT_EQ(QApplication::focusWidget(), expected) << "Shift+Tab " << step << ": " << what;
    }
    // The items are one stop: Tab from any row goes on to the add field.
    items().setFocus(Qt::TabFocusReason);
    press(Qt::Key_Down);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), list().addBar().field());

    // A list without items has no rows to stop on: from the lists page straight to the field.
    navigation.setOpenListID(store->addList("Packing").id);
    settle();
    pane.footer()->addButton()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), list().addBar().field());
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), pane.footer()->addButton());
}

// The items are one stop: the keyboard that leaves them for the controls after them (the add
// field, the header) and comes back by Shift+Tab lands on the row it left, not on the first one;
// so it does after the header's sheet was opened and cancelled on the way, and coming back
// from the lists page by Tab.
TEST_F(WindowKeyboardTest, BackOnTheItemsTheKeyboardLandsOnTheRowItLeft) {
    const struct {
        const char* what;
        std::function<void(WindowKeyboardTest&)> away;
    } ways[] = {
        {"Tab to the header, Shift+Tab back",
         [](WindowKeyboardTest& test) {
             const int tabs = test.tabToTheHeader();
             ASSERT_EQ(QApplication::focusWidget(), test.items().heroView());
             for (int back = 0; back < tabs; ++back)
                 test.press(Qt::Key_Backtab, Qt::ShiftModifier);
         }},
        {"the list editor opened from the header and cancelled",
         [](WindowKeyboardTest& test) {
             const int tabs = test.tabToTheHeader();
             ASSERT_EQ(QApplication::focusWidget(), test.items().heroView());
             test.press(Qt::Key_Space);
             ASSERT_TRUE(test.made) << "the list editor is shown";
             QApplication::setActiveWindow(test.made);
             test.made->reject();
             test.settle();
             QApplication::setActiveWindow(test.content.get());
             ASSERT_EQ(QApplication::focusWidget(), test.items().heroView());
             for (int back = 0; back < tabs; ++back)
                 test.press(Qt::Key_Backtab, Qt::ShiftModifier);
         }},
        {"Shift+Tab to the lists page, Tab back",
         [](WindowKeyboardTest& test) {
             test.press(Qt::Key_Backtab, Qt::ShiftModifier);
             ASSERT_EQ(QApplication::focusWidget(), test.content->sidebar()->footer()->addButton());
             test.press(Qt::Key_Tab);
         }},
    };
    const TBList shop = store->addList("Shop");
    for (const char* text : {"apples", "bread", "butter", "cheese", "eggs", "flour"})
        store->addItem(shop.id, text);
    listScreen = std::make_unique<ListDetailModel>(*store);
    content = std::make_unique<WindowContent>(*store, navigation, sheets, *listScreen);
    listSheets = std::make_unique<ListScreenSheets>(*listScreen, sheets, content.get());
    content->resize(1180, 800);
    content->show();
    navigation.setOpenListID(shop.id);
    settle();
    QApplication::setActiveWindow(content.get());
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        content->sidebar()->footer()->addButton()->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), &items());
        ASSERT_EQ(currentItem(), "apples");
        for (int down = 0; down < 3; ++down)
            press(Qt::Key_Down);
        ASSERT_EQ(currentItem(), "cheese");
        way.away(*this);
        EXPECT_EQ(QApplication::focusWidget(), &items());
        EXPECT_EQ(currentItem(), "cheese");
        EXPECT_TRUE(items().showsFocusRing());
        // The next way starts from the top again.
        press(Qt::Key_Home);
    }
}

TEST_F(WindowKeyboardTest, AnItemOpenedByReturnGoesBackToItsRowByEveryWayBack) {
    const struct {
        const char* what;
        std::function<void(WindowKeyboardTest&, ItemEditorView&)> back;
    } ways[] = {
        {"Escape in the name field",
         [](WindowKeyboardTest& test, ItemEditorView& editor) {
             editor.nameField().setFocus(Qt::MouseFocusReason);
             test.press(Qt::Key_Escape);
         }},
        {"Alt+Left in the name field",
         [](WindowKeyboardTest& test, ItemEditorView& editor) {
             editor.nameField().setFocus(Qt::MouseFocusReason);
             test.press(Qt::Key_Left, Qt::AltModifier);
         }},
        {"Escape on Back",
         [](WindowKeyboardTest& test, ItemEditorView&) { test.press(Qt::Key_Escape); }},
        {"Space on Back",
         [](WindowKeyboardTest& test, ItemEditorView&) { test.press(Qt::Key_Space); }},
        {"Return on Back",
         [](WindowKeyboardTest& test, ItemEditorView&) { test.press(Qt::Key_Return); }},
    };
    showGroceries();
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        items().setFocus(Qt::TabFocusReason);
        press(Qt::Key_Home);
        press(Qt::Key_Down);
        ASSERT_EQ(currentItem(), "Bread #bakery");
        // The controls outside the detail column that the keyboard passes on the way in and
        // out: a screen reader says each.
        QStringList passed;
        const QMetaObject::Connection watch = QObject::connect(
            qApp, &QApplication::focusChanged, content.get(), [&](QWidget*, QWidget* now) {
                if (now && !WindowContent::isInDetailPane(now))
                    passed.append(now->accessibleName());
            });
        press(Qt::Key_Return);
        ItemEditorView* editor = content->itemEditor();
        ASSERT_NE(editor, nullptr);
        auto* back = editor->header().findChild<SymbolButton*>();
        EXPECT_EQ(QApplication::focusWidget(), back) << "the editor has the keyboard";
        EXPECT_TRUE(back->showsFocusRing());
        way.back(*this, *editor);
        QObject::disconnect(watch);
        EXPECT_EQ(passed, QStringList()) << "the keyboard passed through the lists page";
        ASSERT_EQ(content->itemEditor(), nullptr) << "back on the list";
        EXPECT_EQ(QApplication::focusWidget(), &items());
        EXPECT_EQ(currentItem(), "Bread #bakery");
        EXPECT_TRUE(items().showsFocusRing());
    }
}

// Pressing a chip filters or groups, which makes the whole bar again: the keyboard stays on the
// chip of the same tag, ringed, so that the next press undoes it.
TEST_F(WindowKeyboardTest, APressedChipKeepsTheFocusAndItsRingWhenItsBarIsMadeAgain) {
    const struct {
        const char* what;
        std::function<void(QWidget* chip)> press;
    } ways[] = {
        {"Space", [](QWidget* chip) { QTest::keyClick(chip, Qt::Key_Space); }},
        {"Return", [](QWidget* chip) { QTest::keyClick(chip, Qt::Key_Return); }},
        {"its accessible action",
         [](QWidget* chip) {
             QAccessible::queryAccessibleInterface(chip)->actionInterface()->doAction(
                 QAccessibleActionInterface::pressAction());
         }},
    };
    showGroceries();
    for (const auto& way : ways) {
        for (const QString tag : {"", "bakery", "dairy"}) {
            // On, then off again from the same place.
            for (int press = 1; press <= 2; ++press) {
                SCOPED_TRACE(std::string(way.what) + " on the chip of \"" + tag.toStdString() +
                             "\", press " + std::to_string(press));
                TagFilterBar* before = items().filterBar();
                ASSERT_NE(before, nullptr);
                const int place = before->placeOfTag(tag);
                ASSERT_GE(place, 0);
                const bool wasOn = before->chips().at(place).selected;
                if (press == 1)
                    before->chipButtons().at(place)->setFocus(Qt::TabFocusReason);
                ASSERT_EQ(QApplication::focusWidget(), before->chipButtons().at(place));
                way.press(before->chipButtons().at(place));
                settle();
                TagFilterBar* after = items().filterBar();
                ASSERT_NE(after, nullptr);
                ASSERT_EQ(after->placeOfTag(tag), place);
                EXPECT_NE(after->chips().at(place).selected, wasOn) << "the press took";
                auto* chip = qobject_cast<PaintedButton*>(after->chipButtons().at(place));
                EXPECT_EQ(QApplication::focusWidget(), chip);
                ASSERT_NE(chip, nullptr);
                EXPECT_TRUE(chip->showsFocusRing());
            }
        }
    }
}

// A chip that goes while it has the focus hands it to the chip that took its place, or, with
// the whole bar gone, to the rows; never to a control elsewhere in the window.
TEST_F(WindowKeyboardTest, AFocusedChipThatGoesHandsTheFocusToItsNeighbourOrTheRows) {
    showGroceries();
    const auto itemID = [this](const QString& text) {
        for (const TBItem& item : store->items(listScreen->listID()))
            if (item.text == text)
                return item.id;
        return QString();
    };
    const struct {
        const char* what;
        QStringList removed;
        std::function<QWidget*(WindowKeyboardTest&)> expected;
    } rows[] = {
        {"#bakery goes: #dairy took its place",
         {"Bread #bakery"},
         [](WindowKeyboardTest& test) -> QWidget* {
             return test.items().filterBar()->chipButtons().at(1);
         }},
        {"the last tag goes with the bar",
         {"Milk #dairy"},
         [](WindowKeyboardTest& test) -> QWidget* { return &test.items(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_NE(items().filterBar(), nullptr);
        items().filterBar()->chipButtons().at(1)->setFocus(Qt::TabFocusReason);
        for (const QString& text : row.removed)
            store->deleteItem(itemID(text));
        settle();
        EXPECT_EQ(QApplication::focusWidget(), row.expected(*this));
    }
}

// The header keeps the focus while its row is made again. A shared list whose permission turns
// view only while its header has the focus: the header no longer opens the editor, so it gives
// up the focus (to the rows), its pointing hand and its place in the Tab order.
TEST_F(WindowKeyboardTest, AHeaderThatStopsOpeningTheEditorGivesUpTheFocusAndThePointingHand) {
    showGroceries();
    TBList list = *store->findList(listScreen->listID());
    const auto permit = [&](TBSharePermission permission) {
        list.zoneOwnerName = QStringLiteral("_owner");
        list.sharePermission = permission;
        store->updateList(list);
        settle();
    };
    const auto tabStops = [&] {
        QList<QWidget*> reached;
        for (int i = 0; i < 30; ++i) {
            press(Qt::Key_Tab);
            reached.append(QApplication::focusWidget());
        }
        return reached;
    };
    permit(TBSharePermission::readWrite);
    QWidget* hero = items().heroView();
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(hero->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(tabStops().contains(hero));
    hero->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), hero);
    // Rows made anew (an item added elsewhere) make the header again: it keeps the focus.
    store->addItem(list.id, "Butter #dairy");
    settle();
    hero = items().heroView();
    EXPECT_EQ(QApplication::focusWidget(), hero);

    permit(TBSharePermission::readOnly);
    ASSERT_EQ(items().heroView(), hero) << "the same header, told it no longer opens the editor";
    EXPECT_EQ(QApplication::focusWidget(), &items());
    EXPECT_TRUE(items().showsFocusRing());
    EXPECT_NE(hero->cursor().shape(), Qt::PointingHandCursor);
    const QList<QWidget*> reached = tabStops();
    EXPECT_FALSE(reached.contains(hero)) << "Tab passes it by";
    EXPECT_TRUE(reached.contains(items().filterBar()->chipButtons().first())) << "and goes on";
}

TEST_F(WindowKeyboardTest, AClosingSheetGivesTheFocusBackToWhereTheUserWas) {
    const struct {
        const char* what;
        std::function<QWidget*(WindowKeyboardTest&)> focus; // where the user is
        std::function<void(WindowKeyboardTest&)> open;
        std::function<void(WindowKeyboardTest&)> meanwhile;
        std::function<QWidget*(WindowKeyboardTest&)> expected;
    } rows[] = {
        {"the tag order sheet, from the list actions",
         [](WindowKeyboardTest& test) -> QWidget* { return &test.list().actionsButton(); },
         [](WindowKeyboardTest& test) { test.listScreen->arrangeTags(); },
         {},
         [](WindowKeyboardTest& test) -> QWidget* { return &test.list().actionsButton(); }},
        {"the list editor, from the header",
         [](WindowKeyboardTest& test) { return test.items().heroView(); },
         [](WindowKeyboardTest& test) { test.listScreen->editList(); },
         {},
         [](WindowKeyboardTest& test) { return test.items().heroView(); }},
        {"an alert, over the add field",
         [](WindowKeyboardTest& test) -> QWidget* { return test.list().addBar().field(); },
         [](WindowKeyboardTest& test) { test.listScreen->showMessage("Added 2 items."); },
         {},
         [](WindowKeyboardTest& test) -> QWidget* { return test.list().addBar().field(); }},
        {"a chip whose bar changed while the sheet was up: the chip, kept",
         [](WindowKeyboardTest& test) { return test.items().filterBar()->chipButtons().at(2); },
         [](WindowKeyboardTest& test) { test.listScreen->arrangeTags(); },
         [](WindowKeyboardTest& test) {
             const QString id = test.store->items(test.listScreen->listID()).first().id;
             test.store->renameItem(id, "Milk #dairy #cold"); // one more chip
         },
         [](WindowKeyboardTest& test) -> QWidget* {
             TagFilterBar* bar = test.items().filterBar();
             return bar->chipButtons().at(bar->placeOfTag("dairy"));
         }},
    };
    showGroceries();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QWidget* start = row.focus(*this);
        ASSERT_NE(start, nullptr);
        start->setFocus(Qt::TabFocusReason);
        row.open(*this);
        settle();
        ASSERT_TRUE(made) << "the sheet is shown";
        QApplication::setActiveWindow(made);
        if (row.meanwhile)
            row.meanwhile(*this);
        made->reject();
        settle();
        QApplication::setActiveWindow(content.get()); // as the desktop hands the window back
        EXPECT_EQ(QApplication::focusWidget(), row.expected(*this))
            << "not the window's first control, the gear";
    }
}

} // namespace
