// The window from the keyboard alone, offscreen: Tab goes round the lists page and the open
// list in order, an item opened by Return hands the keyboard to its editor and Escape, Alt+Left,
// or Space or Return on Back bring it back to the item's row, and a sheet closing gives the
// focus back to where the user was.
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
#include "ui/components/SheetDialog.h"
#include "ui/components/SymbolButton.h"
#include "ui/detail/AddItemBar.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/ListDetailView.h"
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
        press(Qt::Key_Return);
        ItemEditorView* editor = content->itemEditor();
        ASSERT_NE(editor, nullptr);
        auto* back = editor->header().findChild<SymbolButton*>();
        EXPECT_EQ(QApplication::focusWidget(), back) << "the editor has the keyboard";
        EXPECT_TRUE(back->showsFocusRing());
        way.back(*this, *editor);
        ASSERT_EQ(content->itemEditor(), nullptr) << "back on the list";
        EXPECT_EQ(QApplication::focusWidget(), &items());
        EXPECT_EQ(currentItem(), "Bread #bakery");
        EXPECT_TRUE(items().showsFocusRing());
    }
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
        {"a chip that was made again while the sheet was up: its rows",
         [](WindowKeyboardTest& test) { return test.items().filterBar()->chipButtons().at(2); },
         [](WindowKeyboardTest& test) { test.listScreen->arrangeTags(); },
         [](WindowKeyboardTest& test) {
             const QString id = test.store->items(test.listScreen->listID()).first().id;
             test.store->renameItem(id, "Milk #dairy #cold"); // one more chip
         },
         [](WindowKeyboardTest& test) -> QWidget* { return &test.items(); }},
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
