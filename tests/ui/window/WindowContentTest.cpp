// The window's content, offscreen: every way of opening a list shows it in the detail column, the
// column follows the list (renamed, gone), and the window shows the sheets its screens ask for,
// hiding each control whose sheet it does not have.
#include "ui/window/WindowContent.h"
#include "model/LastOpenedList.h"
#include "model/ListNavigation.h"
#include "model/SettingsPresentation.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "support/QStringPrinting.h"
#include "ui/components/BrandHeader.h"
#include "ui/components/EmptyState.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/ItemHeaderBar.h"
#include "ui/components/NewGroupPill.h"
#include "ui/components/SheetDialog.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ItemRowGeometry.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/ListDetailView.h"
#include "ui/detail/ListHeroView.h"
#include "ui/editor/ListEditorModel.h"
#include "ui/editor/ListEditorSheet.h"
#include "ui/item/ItemEditorView.h"
#include "ui/item/ItemNameField.h"
#include "ui/item/NotesThreadModel.h"
#include "ui/lists/CollectionEditorSheet.h"
#include "ui/lists/LabelButton.h"
#include "ui/lists/ListsFooter.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/ListsScreenModel.h"
#include "ui/lists/PageListView.h"
#include "ui/people/PersonAliasModel.h"
#include "ui/people/PersonAliasSheet.h"
#include "ui/window/ListPlaceholderPane.h"
#include "ui/window/ListScreenSheets.h"
#include "ui/window/StandardSheets.h"
#include "ui/window/WindowNavigation.h"
#include "ui/window/WindowSheets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A sheet that remembers what it was asked for.
class FakeSheet : public SheetDialog {
public:
    FakeSheet(WindowSheet kind, WindowSheetSubject subject, QWidget* parent)
        : SheetDialog(parent), kind(kind), subject(std::move(subject)) {}
    WindowSheet kind;
    WindowSheetSubject subject;
};

class WindowContentTest : public testing::Test {
protected:
    void SetUp() override {
        Defaults::setStandard(defaults);
        store = std::make_unique<ListStore>(dir.filePath("store.json"), false, false, *defaults);
    }
    void TearDown() override {
        listSheets.reset();
        content.reset();
        listScreen.reset();
        ListNavigation::shared().setRequestedListID(std::nullopt);
        SettingsPresentation::shared().setOpen(false);
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
    }

    WindowContent& show() {
        listScreen = std::make_unique<ListDetailModel>(*store);
        content = std::make_unique<WindowContent>(*store, navigation, sheets, *listScreen);
        listSheets = std::make_unique<ListScreenSheets>(*listScreen, sheets, content.get());
        content->resize(1180, 800);
        content->show();
        settle();
        return *content;
    }
    void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        content->refreshDetailNow();
    }
    void fake(WindowSheet kind) {
        sheets.add(kind, [this, kind](const WindowSheetSubject& subject, QWidget* parent) {
            auto* sheet = new FakeSheet(kind, subject, parent);
            made.append(sheet);
            return sheet;
        });
    }
    ListsScreenModel& lists() { return content->sidebar()->screen(); }
    void clickRow(const QString& listID) {
        PageListView* view = content->sidebar()->rowsView();
        lists().refreshNow();
        const int row = lists().rows().rowOf(QStringLiteral("L#") + listID);
        ASSERT_GE(row, 0);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          view->visualRect(lists().rows().index(row)).center());
        settle();
    }
    // The list the detail column shows, or none while it shows the placeholder.
    std::optional<QString> shownName() {
        if (content->showsPlaceholder())
            return std::nullopt;
        const auto& hero = content->listScreen().snapshot().hero;
        return hero ? std::optional(hero->name) : std::nullopt;
    }
    QRect itemRect(const QString& itemID) {
        DetailItemsView& items = content->listView()->items();
        items.doItemsLayout();
        for (int i = 0; i < items.rows().rowCount(); ++i)
            if (items.rows().row(i).kind == DetailRow::Kind::item &&
                items.rows().row(i).item.id == itemID)
                return items.visualRect(items.rows().index(i));
        return {};
    }

    QTemporaryDir dir;
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    std::unique_ptr<ListStore> store;
    WindowNavigation navigation;
    WindowSheets sheets;
    std::unique_ptr<ListDetailModel> listScreen;
    std::unique_ptr<WindowContent> content;
    std::unique_ptr<ListScreenSheets> listSheets;
    QList<QPointer<FakeSheet>> made;
};

TEST_F(WindowContentTest, EveryWayOfOpeningAListShowsItInTheDetailColumn) {
    const QString groceries = store->addList("Groceries").id;
    const QString packing = store->addList("Packing").id;
    const QString garden = store->addList("Garden").id;
    defaults->setString(LastOpenedList::key, packing);
    show();
    EXPECT_EQ(shownName(), "Packing") << "the remembered list, restored at launch";

    clickRow(groceries);
    EXPECT_EQ(shownName(), "Groceries") << "a click on its row";
    EXPECT_EQ(defaults->string(LastOpenedList::key), groceries);

    PageListView& rows = *content->sidebar()->rowsView();
    rows.setCurrentIndex(lists().rows().index(lists().rows().rowOf(QStringLiteral("L#") + garden)));
    QTest::keyClick(&rows, Qt::Key_Return);
    settle();
    EXPECT_EQ(shownName(), "Garden") << "Return on its row";

    ListNavigation::shared().setRequestedListID(packing);
    settle();
    EXPECT_EQ(shownName(), "Packing") << "a request from the command line";
    EXPECT_EQ(ListNavigation::shared().requestedListID(), std::nullopt);

    navigation.setOpenListID(garden);
    settle();
    EXPECT_EQ(shownName(), "Garden") << "the window's own navigation";
    EXPECT_EQ(lists().openListID(), garden) << "the row follows";
}

TEST_F(WindowContentTest, TheFirstListMadeOnAnEmptyProfileOpens) {
    show();
    EXPECT_TRUE(content->showsPlaceholder());
    store->addList("Groceries");
    settle();
    EXPECT_EQ(shownName(), "Groceries");
}

TEST_F(WindowContentTest, TheDetailColumnFollowsARenameAndFallsBackWhenTheListGoes) {
    TBList groceries = store->addList("Groceries");
    const QString packing = store->addList("Packing").id;
    show();
    clickRow(groceries.id);
    groceries.name = "Weekly shop";
    store->updateList(groceries);
    settle();
    EXPECT_EQ(shownName(), "Weekly shop");
    auto* hero = content->listView()->findChild<ListHeroView*>();
    ASSERT_NE(hero, nullptr);
    EXPECT_TRUE(hero->accessibleName().contains("Weekly shop") ||
                hero->accessibleDescription().contains("Weekly shop"));

    store->deleteList(packing);
    settle();
    EXPECT_EQ(shownName(), "Weekly shop") << "another list's removal leaves the open one";
    store->deleteList(groceries.id);
    settle();
    EXPECT_TRUE(content->showsPlaceholder());
    EXPECT_EQ(content->findChild<ListPlaceholderPane*>()->isVisible(), true);
}

TEST_F(WindowContentTest, AnotherListStartsTheScreenAfreshAndTheSameOneKeepsItsState) {
    const TBList groceries = store->addList("Groceries");
    store->addItem(groceries.id, "Milk #dairy");
    const QString packing = store->addList("Packing").id;
    show();
    clickRow(groceries.id);
    ListDetailModel& screen = content->listScreen();
    screen.toggleGrouping();
    ASSERT_TRUE(screen.state().grouping);
    store->addItem(groceries.id, "Eggs #dairy");
    settle();
    EXPECT_TRUE(screen.state().grouping) << "a store change keeps the state";
    clickRow(packing);
    EXPECT_EQ(screen.state(), ListDetailState());
    clickRow(groceries.id);
    EXPECT_FALSE(screen.state().grouping);
}

TEST_F(WindowContentTest, AClickOnAnItemsTickTicksIt) {
    const TBList groceries = store->addList("Groceries");
    const QString milk = store->addItem(groceries.id, "Milk")->id;
    show();
    clickRow(groceries.id);
    QTest::mouseClick(content->listView()->items().viewport(), Qt::LeftButton, Qt::NoModifier,
                      ItemRowGeometry::of(itemRect(milk), true).tick.center());
    EXPECT_TRUE(store->items(groceries.id).at(0).done);
}

// The item editor is no sheet: it takes the detail column, whatever sheets the window has.
TEST_F(WindowContentTest, AClickOnAnItemsTextOpensItsEditorAndBackReturnsToTheList) {
    const TBList groceries = store->addList("Groceries");
    const TBList packing = store->addList("Packing");
    const QString milk = store->addItem(groceries.id, "Milk #dairy")->id;
    show();
    clickRow(groceries.id);
    QTest::mouseClick(content->listView()->items().viewport(), Qt::LeftButton, Qt::NoModifier,
                      ItemRowGeometry::of(itemRect(milk), true).text.center());
    settle();
    ItemEditorView* editor = content->itemEditor();
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(content->listView()->isVisible());
    EXPECT_EQ(editor->nameField().text(), "Milk");

    editor->nameField().selectAll();
    QTest::keyClicks(&editor->nameField(), "Oat milk");
    QTest::mouseClick(editor->header().findChild<SymbolButton*>(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(content->itemEditor());
    EXPECT_TRUE(content->listView()->isVisible());
    EXPECT_EQ(store->items(groceries.id).at(0).text, "Oat milk #dairy");

    // Return on the item opens it too. Opening another list takes the editor away, and the name
    // typed in it is kept.
    DetailItemsView& items = content->listView()->items();
    items.setCurrentIndex(items.indexAt(itemRect(milk).center()));
    QTest::keyClick(&items, Qt::Key_Return);
    settle();
    ASSERT_TRUE(content->itemEditor());
    content->itemEditor()->nameField().selectAll();
    QTest::keyClicks(&content->itemEditor()->nameField(), "Soy milk");
    clickRow(packing.id);
    EXPECT_FALSE(content->itemEditor());
    EXPECT_EQ(shownName(), "Packing");
    EXPECT_EQ(store->items(groceries.id).at(0).text, "Soy milk #dairy");
}

TEST_F(WindowContentTest, BackFromAnItemsEditorGivesTheFocusToItsRingedRow) {
    const TBList groceries = store->addList("Groceries");
    store->addItem(groceries.id, "Bread");
    const QString milk = store->addItem(groceries.id, "Milk")->id;
    show();
    clickRow(groceries.id);
    QApplication::setActiveWindow(content.get());
    DetailItemsView& items = content->listView()->items();
    QTest::mouseClick(items.viewport(), Qt::LeftButton, Qt::NoModifier,
                      ItemRowGeometry::of(itemRect(milk), true).text.center());
    settle();
    ASSERT_TRUE(content->itemEditor());
    content->itemEditor()->nameField().setFocus();
    ASSERT_TRUE(content->itemEditor()->isAncestorOf(QApplication::focusWidget()));

    QTest::mouseClick(content->itemEditor()->header().findChild<SymbolButton*>(), Qt::LeftButton);
    settle();
    ASSERT_FALSE(content->itemEditor());
    EXPECT_EQ(QApplication::focusWidget(), &items);
    ASSERT_TRUE(items.currentIndex().isValid());
    EXPECT_EQ(items.rows().row(items.currentIndex().row()).item.id, milk);
    // The focused row is ringed, so the keyboard's place can be seen; without focus it is not.
    const QRect row = itemRect(milk);
    const QImage ringed = items.viewport()->grab(row).toImage();
    items.clearFocus();
    EXPECT_NE(items.viewport()->grab(row).toImage(), ringed);
    items.setFocus();
    EXPECT_EQ(items.viewport()->grab(row).toImage(), ringed);

    // Another list opened from the lists page leaves the focus where the click put it.
    const TBList packing = store->addList("Packing");
    QTest::keyClick(&items, Qt::Key_Return);
    settle();
    ASSERT_TRUE(content->itemEditor());
    content->sidebar()->setFocus();
    clickRow(packing.id);
    EXPECT_NE(QApplication::focusWidget(), &items);
}

TEST_F(WindowContentTest, ANoteAuthorsButtonOpensThePersonSheetOverTheItemEditor) {
    addStandardSheets(sheets, *store, navigation);
    store->signedIn("_me", EngineScope::privateDatabase); // so the note is known as another's
    TBList shared = store->addList("Groceries");
    const QString milk = store->addItem(shared.id, "Milk")->id;
    ASSERT_TRUE(store->addNote("The blue one", milk, "_sam", "Sam Jones"));
    shared = store->lists().first();
    shared.zoneOwnerName = QStringLiteral("_sam");
    shared.sharePermission = TBSharePermission::readWrite;
    store->updateList(shared);
    show();
    clickRow(shared.id);
    QTest::mouseClick(content->listView()->items().viewport(), Qt::LeftButton, Qt::NoModifier,
                      ItemRowGeometry::of(itemRect(milk), true).text.center());
    settle();
    ASSERT_TRUE(content->itemEditor());
    NotesThreadModel& notes = content->itemEditor()->model().notes();
    const QList<NoteThread::Row> rows = notes.thread().rows;
    ASSERT_EQ(rows.size(), 1);
    notes.editPerson(rows.first().id);
    ASSERT_TRUE(notes.editingPerson()) << "the note is another person's";
    settle();
    auto* sheet = qobject_cast<PersonAliasSheet*>(sheets.presented());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->model().personID(), "_sam");
    EXPECT_EQ(sheet->model().storedName(), "Sam Jones");
    sheet->reject();
    settle();
    EXPECT_FALSE(notes.editingPerson());
}

TEST_F(WindowContentTest, AControlWithoutItsSheetIsHiddenUntilTheSheetIsAdded) {
    const TBList groceries = store->addList("Groceries");
    const QString milk = store->addItem(groceries.id, "Milk")->id;
    show();
    ListsPane& pane = *content->sidebar();
    auto* placeholder = content->findChild<ListPlaceholderPane*>();
    struct Control {
        const char* what;
        WindowSheet sheet;
        std::function<bool()> offered;
    };
    const QList<Control> controls = {
        {"the gear", WindowSheet::settings,
         [&] { return pane.brandHeader()->settingsButton()->isVisibleTo(&pane); }},
        {"the round add button", WindowSheet::createList,
         [&] { return pane.footer()->addButton()->isVisibleTo(&pane); }},
        {"Make a list", WindowSheet::createList,
         [&] { return !pane.emptyState()->actionButton()->isHidden(); }},
        {"the placeholder's New list", WindowSheet::createList,
         [&] { return !placeholder->newListButton()->isHidden(); }},
        {"the placeholder's add button", WindowSheet::createList,
         [&] { return !placeholder->addButton()->isHidden(); }},
        {"Rename…", WindowSheet::editList,
         [&] {
             const int row = lists().rows().rowOf(QStringLiteral("L#") + groceries.id);
             for (const RowCommand& command : lists().rows().menu(row))
                 if (command.action == RowCommand::Action::rename)
                     return true;
             return false;
         }},
        {"the list's header", WindowSheet::editList,
         [&] { return content->listScreen().snapshot().hero->editable; }},
    };
    navigation.setOpenListID(groceries.id);
    settle();
    for (const Control& control : controls)
        EXPECT_FALSE(control.offered()) << control.what;
    for (WindowSheet sheet :
         {WindowSheet::settings, WindowSheet::createList, WindowSheet::editList})
        fake(sheet);
    settle();
    for (const Control& control : controls)
        EXPECT_TRUE(control.offered()) << control.what;
}

TEST_F(WindowContentTest, SheetsOpenWindowModalOneAtATimeAndEachCloses) {
    fake(WindowSheet::createList);
    fake(WindowSheet::settings);
    const TBList groceries = store->addList("Groceries");
    show();
    QTest::mouseClick(content->sidebar()->footer()->addButton(), Qt::LeftButton);
    QTest::mouseClick(content->sidebar()->brandHeader()->settingsButton(), Qt::LeftButton);
    settle();
    ASSERT_EQ(made.size(), 1) << "the second waits";
    EXPECT_EQ(made[0]->kind, WindowSheet::createList);
    EXPECT_TRUE(made[0]->isVisible());
    EXPECT_EQ(made[0]->windowModality(), Qt::WindowModal);
    made[0]->reject();
    QTRY_COMPARE(made.size(), 2);
    EXPECT_EQ(made[1]->kind, WindowSheet::settings);
    EXPECT_TRUE(made[1]->isVisible());
    made[1]->reject();
    settle();
    EXPECT_FALSE(SettingsPresentation::shared().isOpen()) << "closing resets the request";
    EXPECT_EQ(lists().presentedSheet(), std::nullopt);

    // "Rename…" on a row opens the list editor for that row's list.
    fake(WindowSheet::editList);
    lists().refreshNow();
    lists().perform(QStringLiteral("L#") + groceries.id, RowCommand::Action::rename);
    QTRY_COMPARE(made.size(), 3);
    ASSERT_TRUE(made.last()->subject.list.has_value());
    EXPECT_EQ(made.last()->subject.list->id, groceries.id);
    made.last()->reject();
    settle();
    made.removeLast();

    // The list screen's header opens the list editor for its list, and again once closed.
    clickRow(groceries.id);
    for (int time = 0; time < 2; ++time) {
        content->listScreen().editList();
        QTRY_COMPARE(made.size(), 3 + time);
        EXPECT_EQ(made.last()->kind, WindowSheet::editList);
        ASSERT_TRUE(made.last()->subject.list.has_value());
        EXPECT_EQ(made.last()->subject.list->id, groceries.id);
        EXPECT_TRUE(made.last()->isVisible());
        made.last()->reject();
        settle();
        EXPECT_FALSE(content->listScreen().state().editing);
    }
}

TEST_F(WindowContentTest, TheListScreensMessageShowsAsAnAlertThatClosesWithOK) {
    addStandardSheets(sheets, *store, navigation);
    const TBList groceries = store->addList("Groceries");
    show();
    clickRow(groceries.id);
    content->listScreen().showMessage("Could not paste <b>that</b>.");
    settle();
    auto* alert = qobject_cast<QMessageBox*>(sheets.presented());
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
    EXPECT_EQ(alert->text(), "Could not paste <b>that</b>.");
    EXPECT_EQ(alert->textFormat(), Qt::PlainText);
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().at(0)->text(), "OK");
    alert->buttons().at(0)->click();
    settle();
    EXPECT_EQ(content->listScreen().state().message, std::nullopt);
    content->listScreen().showMessage("Again");
    settle();
    ASSERT_NE(sheets.presented(), nullptr) << "closing it lets the next one show";
    sheets.presented()->reject();
}

TEST_F(WindowContentTest, AListMadeInTheEditorOpensAndItsHeaderEditsIt) {
    addStandardSheets(sheets, *store, navigation);
    show();
    // A new user's only way in: the empty page's "Make a list".
    ASSERT_TRUE(content->sidebar()->emptyState()->isVisibleTo(content.get()));
    lists().requestNewList();
    settle();
    auto* editor = qobject_cast<ListEditorSheet*>(SheetDialog::shown());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowModality(), Qt::WindowModal);
    QTest::keyClicks(editor->nameField(), "Weekend jobs");
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    settle();
    ASSERT_EQ(store->lists().size(), 1);
    EXPECT_EQ(navigation.openListID(), store->lists().first().id);
    EXPECT_EQ(shownName(), "Weekend jobs");
    EXPECT_EQ(lists().openListID(), store->lists().first().id) << "its row is highlighted";

    content->listScreen().editList();
    settle();
    editor = qobject_cast<ListEditorSheet*>(SheetDialog::shown());
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->model().isEdit());
    editor->nameField()->selectAll();
    QTest::keyClicks(editor->nameField(), "Garden jobs");
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(shownName(), "Garden jobs");
    EXPECT_FALSE(content->listScreen().state().editing);
}

TEST_F(WindowContentTest, TheGroupEditorShowsInTheWindow) {
    addStandardSheets(sheets, *store, navigation);
    store->addList("Groceries");
    show();
    ASSERT_TRUE(content->sidebar()->footer()->pill()->isVisibleTo(content.get()));
    QTest::mouseClick(content->sidebar()->footer()->pill(), Qt::LeftButton);
    settle();
    auto* editor = qobject_cast<CollectionEditorSheet*>(SheetDialog::shown());
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->windowModality(), Qt::WindowModal);
    editor->cancelButton()->click();
    settle();
    EXPECT_EQ(lists().presentedSheet(), std::nullopt);
}

} // namespace

namespace {

TEST(WindowSheetsTest, ASheetThatCannotBeMadeClosesAtOnceAndAGoneRequesterIsSkipped) {
    WindowSheets sheets;
    QWidget window;
    window.show();
    int made = 0;
    sheets.add(WindowSheet::tagOrder, [&](const WindowSheetSubject& subject, QWidget* parent) {
        ++made;
        return subject.list ? new SheetDialog(parent) : nullptr;
    });
    EXPECT_FALSE(sheets.has(WindowSheet::itemEditor));

    QStringList closed;
    QObject requester;
    sheets.present(WindowSheet::itemEditor, {}, &window, &requester, [&] { closed << "none"; });
    sheets.present(WindowSheet::tagOrder, {}, &window, &requester, [&] { closed << "no list"; });
    EXPECT_EQ(closed, QStringList({"none", "no list"})) << "nothing to show: closed at once";

    WindowSheetSubject subject;
    subject.list = TBList();
    sheets.present(WindowSheet::tagOrder, subject, &window, &requester, [&] { closed << "first"; });
    QPointer<QDialog> first = sheets.presented();
    ASSERT_NE(first, nullptr);
    {
        QObject gone;
        sheets.present(WindowSheet::tagOrder, subject, &window, &gone, [&] { closed << "gone"; });
    }
    sheets.present(WindowSheet::tagOrder, subject, &window, &requester, [&] { closed << "third"; });
    EXPECT_EQ(made, 2) << "one at a time: the later ones wait";
    first->reject();
    QTRY_VERIFY(sheets.presented() != nullptr && sheets.presented() != first);
    EXPECT_EQ(made, 3) << "the request of a requester that went is dropped unmade";
    sheets.presented()->reject();
    QTRY_COMPARE(closed, QStringList({"none", "no list", "first", "third"}));
    EXPECT_TRUE(first.isNull()) << "a closed sheet is deleted";
}

} // namespace
