// Wiring of the lists page's widgets: clicks, edit mode, menus, drags, swipes, the removal
// question, the group editor and texts shown exactly as typed.
#include "ListsTestSupport.h"

#include "support/AccessibleWalk.h"
#include "support/RingGap.h"

#include "ui/components/AccessibleRows.h"
#include "ui/components/EmptyState.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/NewGroupPill.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/RowDragController.h"
#include "ui/components/RowSwipeController.h"
#include "ui/components/SingleLineField.h"
#include "ui/lists/CollectionEditorModel.h"
#include "ui/lists/CollectionEditorSheet.h"
#include "ui/lists/LabelButton.h"
#include "ui/lists/ListRemovalAlert.h"
#include "ui/lists/ListsFooter.h"
#include "ui/lists/ListsHeading.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/PageListView.h"
#include "ui/lists/PageRowDelegate.h"
#include "ui/theme/Theme.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <functional>

namespace {

class ListsPaneTest : public ListsTest {
protected:
    void build() {
        screen = std::make_unique<ListsScreenModel>(
            *store, defaults(), clock, ListNavigation::shared(), SettingsPresentation::shared(),
            nullptr, "en_US", berlin());
        pane = std::make_unique<ListsPane>(*screen, *store);
        // Every control shows once the window has its sheet; here none is drawn.
        for (auto sheet : {ListsScreenModel::Sheet::settings, ListsScreenModel::Sheet::createList,
                           ListsScreenModel::Sheet::editList})
            pane->setPresenter(sheet, [](QWidget*) -> QDialog* { return nullptr; });
        pane->resize(340, 900);
        pane->show();
        settle();
    }
    void TearDown() override {
        pane.reset();
        screen.reset();
    }

    PageListView& view() { return *pane->rowsView(); }
    QRect rowRect(int row) { return view().visualRect(screen->rows().index(row)); }
    int rowOf(const TBList& list) { return screen->rows().rowOf("L#" + list.id); }
    void click(const QPoint& at) {
        QTest::mouseClick(view().viewport(), Qt::LeftButton, Qt::NoModifier, at);
        settle();
    }
    QStringList names() {
        QStringList result;
        for (const PageRow& row : store->pageRows())
            result.append(row.isHeader() ? "[" + row.name + "]" : row.list.name);
        return result;
    }
    void swipe(int row, int dx, Qt::ScrollPhase phase = Qt::ScrollUpdate) {
        const QPoint at = rowRect(row).center();
        QWheelEvent event(at, view().viewport()->mapToGlobal(at), QPoint(dx, 0), QPoint(dx * 3, 0),
                          Qt::NoButton, Qt::NoModifier, phase, false);
        QCoreApplication::sendEvent(view().viewport(), &event);
    }
    void endSwipe(int row) {
        const QPoint at = rowRect(row).center();
        QWheelEvent event(at, view().viewport()->mapToGlobal(at), QPoint(), QPoint(), Qt::NoButton,
                          Qt::NoModifier, Qt::ScrollEnd, false);
        QCoreApplication::sendEvent(view().viewport(), &event);
        settle();
    }
    QAccessibleInterface* accessibleRow(int row) {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&view());
        return list ? list->child(row) : nullptr;
    }

    std::unique_ptr<ListsScreenModel> screen;
    std::unique_ptr<ListsPane> pane;
};

TEST_F(ListsPaneTest, AClickOpensAListAndFoldsAGroup) {
    const TBList a = makeList("A");
    const TBList b = makeList("B");
    store->setCollection(QString("Home"), b.id);
    build();
    EXPECT_EQ(screen->openListID(), a.id) << "the first list is restored when shown";
    click(rowRect(rowOf(b)).center());
    EXPECT_EQ(screen->openListID(), b.id);

    click(rowRect(screen->rows().rowOf("H#Home")).center());
    EXPECT_EQ(names(), (QStringList{"A", "[Home]"}));
    EXPECT_EQ(screen->rows().rowCount(), 2);
}

TEST_F(ListsPaneTest, EditModeShowsRemoveAndPencilButtonsAndOpensNothing) {
    const TBList a = makeList("A");
    const TBList b = makeList("B");
    store->setCollection(QString("Home"), b.id);
    build();
    screen->closeList();
    QTest::mouseClick(pane->heading()->editButton(), Qt::LeftButton);
    EXPECT_TRUE(screen->editing());
    EXPECT_EQ(pane->heading()->editButton()->title(), "Done");
    click(rowRect(rowOf(a)).center());
    EXPECT_EQ(screen->openListID(), std::nullopt);

    // The trash button asks about the row's list.
    const QRect trash = view().rowDelegate().removeButtonRect(rowRect(rowOf(a)), rowOf(a));
    ASSERT_FALSE(trash.isEmpty());
    click(trash.center());
    ASSERT_TRUE(pane->removalAlert()->box());
    EXPECT_EQ(pane->removalAlert()->box()->text(), "Delete “A”?");
    pane->removalAlert()->cancelButton()->click();
    settle();

    // The pencil opens the group editor for its group.
    const int header = screen->rows().rowOf("H#Home");
    click(view().rowDelegate().pencilRect(rowRect(header), header).center());
    auto* sheet = qobject_cast<CollectionEditorSheet*>(pane->presentedSheet());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->model().mode(), CollectionEditorMode::edit("Home"));
    sheet->reject();
    settle();
    EXPECT_EQ(screen->presentedSheet(), std::nullopt);
}

TEST_F(ListsPaneTest, MenusOfferWhatTheRowAllows) {
    makeList("Mine");
    makeList("Theirs", [](TBList& l) {
        l.zoneOwnerName = "_o";
        l.sharePermission = TBSharePermission::readOnly;
    });
    build();
    const auto texts = [&](int row) {
        std::unique_ptr<QMenu> menu(view().menuForRow(row));
        QStringList result;
        for (QAction* action : menu->actions())
            result.append(action->isSeparator() ? "---" : action->text());
        return result;
    };
    EXPECT_EQ(texts(0), (QStringList{"Rename…", "Pin", "---", "Delete"}));
    EXPECT_EQ(texts(1), QStringList{"Remove from my lists"});

    std::unique_ptr<QMenu> menu(view().menuForRow(0));
    menu->actions()[1]->trigger();
    settle();
    EXPECT_TRUE(store->lists()[0].pinned);
}

// From the keyboard alone: the menu key and Shift+F10 both open the menu of the keyboard's row,
// over that row.
TEST_F(ListsPaneTest, TheMenuKeyAndShiftF10OpenTheKeyboardsRowsMenu) {
    const struct {
        const char* what;
        std::function<void(PageListView&)> ask;
    } ways[] = {
        {"the menu key",
         [](PageListView& rows) {
             // Qt turns the menu key into a context menu event at the focused widget.
             QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                     rows.mapToGlobal(QPoint(1, 1)));
             QCoreApplication::sendEvent(&rows, &event);
         }},
        {"Shift+F10",
         [](PageListView& rows) { QTest::keyClick(&rows, Qt::Key_F10, Qt::ShiftModifier); }},
    };
    makeList("A");
    const TBList b = makeList("B");
    build();
    QApplication::setActiveWindow(pane.get());
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        view().setFocus(Qt::TabFocusReason);
        view().setCurrentIndex(screen->rows().index(rowOf(b)));
        way.ask(view());
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->actions().first()->text(), "Rename…");
        // A screen reader says the menu and its first item as it opens.
        EXPECT_EQ(menu->activeAction(), menu->actions().first());
        EXPECT_TRUE(menu->geometry().intersects(QRect(
            view().viewport()->mapToGlobal(rowRect(rowOf(b)).topLeft()), rowRect(rowOf(b)).size())))
            << "shown over the row";
        menu->close();
        settle();
        QApplication::setActiveWindow(pane.get());
    }
}

TEST_F(ListsPaneTest, ADragMakesOneStoreMoveWithTheDroppedOffsets) {
    for (const QString name : {"A", "B", "C", "D"})
        makeList(name);
    build();
    screen->closeList();
    QSignalSpy drops(&view().drag(), &RowDragController::dropped);
    QWidget* viewport = view().viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, rowRect(0).center());
    QTest::mouseMove(viewport, rowRect(1).center());
    QTest::mouseMove(viewport, rowRect(2).bottomLeft() + QPoint(40, -3));
    EXPECT_TRUE(view().drag().isDragging());
    EXPECT_EQ(view().drag().destination(), 3);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier,
                        rowRect(2).bottomLeft() + QPoint(40, -3));
    settle();
    ASSERT_EQ(drops.count(), 1);
    EXPECT_EQ(drops[0][0].toInt(), 0);
    EXPECT_EQ(drops[0][1].toInt(), 3);
    EXPECT_EQ(names(), (QStringList{"B", "C", "A", "D"}));
    EXPECT_EQ(screen->openListID(), std::nullopt) << "a drag is no click";

    // Escape puts a lifted row back; a drop on its own place moves nothing.
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, rowRect(0).center());
    QTest::mouseMove(viewport, rowRect(3).center());
    QTest::keyClick(&view(), Qt::Key_Escape);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, rowRect(3).center());
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, rowRect(1).center());
    QTest::mouseMove(viewport, rowRect(1).center() + QPoint(0, 12));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier,
                        rowRect(1).center() + QPoint(0, 12));
    settle();
    EXPECT_EQ(drops.count(), 1);
    EXPECT_EQ(names(), (QStringList{"B", "C", "A", "D"}));
}

TEST_F(ListsPaneTest, ADragNearTheBottomEdgeScrollsOnAndDropsFarDown) {
    for (int i = 0; i < 40; ++i)
        makeList(QStringLiteral("List %1").arg(i));
    build();
    QWidget* viewport = view().viewport();
    const QPoint nearBottom(100, viewport->height() - 4);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, rowRect(0).center());
    QTest::mouseMove(viewport, rowRect(1).center());
    QTest::mouseMove(viewport, nearBottom);
    const int shownAtFirst = view().drag().destination();
    for (int i = 0; i < 400; ++i)
        view().drag().stepAutoScroll();
    EXPECT_EQ(view().verticalScrollBar()->value(), view().verticalScrollBar()->maximum());
    EXPECT_EQ(view().drag().destination(), 40);
    EXPECT_GT(40, shownAtFirst);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, nearBottom);
    settle();
    EXPECT_EQ(names().last(), "List 0");
}

TEST_F(ListsPaneTest, RowsInViewStayPutWhenRowsComeAndGoAboveThem) {
    QList<TBList> lists;
    for (int i = 0; i < 40; ++i)
        lists.append(makeList(QStringLiteral("List %1").arg(i)));
    build();
    view().scrollTo(screen->rows().index(20), QAbstractItemView::PositionAtTop);
    settle();
    const QModelIndex before = view().indexAt(QPoint(100, 5));
    const QString topID = before.data(PageRowModel::IdRole).toString();
    const int top = view().visualRect(before).top();

    // Another device adds a list at the top and deletes one further up.
    makeList("New", [](TBList& l) { l.pinned = true; });
    store->deleteList(lists[3].id);
    settle();
    const QModelIndex after = view().indexAt(QPoint(100, 5));
    EXPECT_EQ(after.data(PageRowModel::IdRole).toString(), topID);
    EXPECT_EQ(view().visualRect(after).top(), top);
}

TEST_F(ListsPaneTest, DraggingAHeaderMovesItsGroup) {
    const TBList a = makeList("A");
    const TBList b = makeList("B");
    const TBList c = makeList("C");
    store->setCollection(QString("Home"), b.id);
    store->setCollection(QString("Home"), c.id);
    build();
    ASSERT_EQ(names(), (QStringList{"A", "[Home]", "B", "C"}));
    QWidget* viewport = view().viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, rowRect(1).center());
    QTest::mouseMove(viewport, rowRect(0).center());
    QTest::mouseMove(viewport, rowRect(0).topLeft() + QPoint(40, 3));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier,
                        rowRect(0).topLeft() + QPoint(40, 3));
    settle();
    EXPECT_EQ(names(), (QStringList{"[Home]", "B", "C", "A"}));
    (void)a;
}

TEST_F(ListsPaneTest, RemovalAlertDefaultsToCancelAndDeletesOnlyWhenAsked) {
    const TBList list = makeList("<b>x</b> & y");
    build();
    screen->askToRemove(list.id);
    settle();
    QMessageBox* box = pane->removalAlert()->box();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->text(), "Delete “<b>x</b> & y”?");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->informativeText(), "This cannot be undone.");
    EXPECT_EQ(box->defaultButton(), pane->removalAlert()->cancelButton());
    EXPECT_EQ(pane->removalAlert()->removeButton()->text(), "Delete");
    EXPECT_EQ(pane->removalAlert()->cancelButton()->text(), "Cancel");

    // The list gets a share while the question is up: the question says what would happen now.
    store->setHasShare(list.id);
    settle();
    EXPECT_EQ(box->text(), "Delete “<b>x</b> & y” for everyone?");
    EXPECT_EQ(pane->removalAlert()->removeButton()->text(), "Delete for everyone");

    QTest::keyClick(box, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(screen->isConfirmingRemoval());
    EXPECT_EQ(store->lists().size(), 1);

    screen->askToRemove(list.id);
    settle();
    pane->removalAlert()->removeButton()->click();
    settle();
    EXPECT_TRUE(store->lists().isEmpty());
    EXPECT_FALSE(pane->removalAlert()->box());
}

TEST_F(ListsPaneTest, NamesShowAsTypedInRowsHeadersAndMenus) {
    const TBList list = makeList("<b>x</b> & y");
    store->setCollection(QString("<i>Home</i> & co"), list.id);
    build();
    ASSERT_NE(accessibleRow(0), nullptr);
    EXPECT_EQ(accessibleRow(0)->text(QAccessible::Name), "<i>Home</i> & co, 1 list");
    EXPECT_EQ(accessibleRow(1)->text(QAccessible::Name), "<b>x</b> & y, Empty");
    EXPECT_EQ(screen->rows().header(0).title, "<I>HOME</I> & CO");
    EXPECT_EQ(screen->rows().listRow(1).name, "<b>x</b> & y");
    // The swipe button's label names the list; a menu's "&" would be a shortcut mark.
    EXPECT_EQ(screen->rows().trailingSwipe(1)[0].accessibleLabel, "Delete: <b>x</b> & y");
}

TEST_F(ListsPaneTest, TouchpadSwipesRevealButtonsAndAFullSwipeActs) {
    const TBList own = makeList("Own");
    const TBList theirs = makeList("Theirs", [](TBList& l) {
        l.zoneOwnerName = "_o";
        l.sharePermission = TBSharePermission::readOnly;
    });
    build();
    // Sliding left a little and letting go leaves the trailing button open; a click on it asks.
    swipe(rowOf(own), -50);
    endSwipe(rowOf(own));
    EXPECT_EQ(view().swipe().offset(screen->rows().index(rowOf(own))),
              -RowSwipeController::buttonWidth);
    const QList<QRect> buttons = view().swipe().buttonRects(screen->rows().index(rowOf(own)),
                                                            RowSwipeController::Edge::trailing);
    ASSERT_EQ(buttons.size(), 1);
    click(buttons[0].center());
    EXPECT_TRUE(screen->isConfirmingRemoval());
    screen->cancelRemoval();

    // A full swipe to the right pins at once.
    swipe(rowOf(own), 150);
    swipe(rowOf(own), 150);
    endSwipe(rowOf(own));
    EXPECT_TRUE(store->lists()[0].pinned);

    // Another person's read-only list has nothing on its leading side.
    swipe(rowOf(theirs), 300);
    endSwipe(rowOf(theirs));
    EXPECT_FALSE(view().swipe().isOpen());
    EXPECT_FALSE(store->lists()[1].pinned);
}

TEST_F(ListsPaneTest, ScreenReadersGetTheRowsActions) {
    const TBList list = makeList("Tea");
    build();
    QAccessibleInterface* row = accessibleRow(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(QAccessible::Description), "Press to open");
    QAccessibleActionInterface* actions = row->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(actions->actionNames(),
              (QStringList{QAccessibleActionInterface::pressAction(), "Rename…", "Pin", "Delete"}));
    actions->doAction("Pin");
    settle();
    EXPECT_TRUE(store->lists()[0].pinned);
    screen->closeList();
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(screen->openListID(), list.id);
}

// A screen reader keeps the names it was told: a row whose name or counts change says its new
// name, and the rows that did not change say nothing.
TEST_F(ListsPaneTest, ARowWhoseNameChangesTellsAScreenReaderItsNewNameAndOnlyIt) {
    const TBList packing = makeList("Packing");
    for (const char* text : {"Socks", "Towel", "Hat"})
        store->addItem(packing.id, text);
    TBList groceries = makeList("Groceries");
    store->addItem(groceries.id, "Milk");
    const TBList chores = makeList("Chores");
    store->setCollection(QString("Home"), chores.id);
    build();
    QStringList heard;
    struct Ears {
        explicit Ears(QStringList& heard) {
            AccessibleRows::setAnnouncer([&heard](QAccessibleEvent* event) {
                if (event->type() == QAccessible::NameChanged && event->accessibleInterface())
                    heard.append(event->accessibleInterface()->text(QAccessible::Name));
            });
        }
        ~Ears() { AccessibleRows::setAnnouncer({}); }
    } ears(heard);
    const auto nameOf = [&](const QString& rowID) {
        return screen->rows()
            .index(screen->rows().rowOf(rowID))
            .data(Qt::AccessibleTextRole)
            .toString();
    };
    const struct {
        const char* what;
        std::function<void()> change;
        QString rowID; // the row told; empty for none
    } rows[] = {
        {"an item added", [&] { store->addItem(packing.id, "Sunscreen"); }, "L#" + packing.id},
        {"an item ticked", [&] { store->setDone(store->items(packing.id).first().id, true); },
         "L#" + packing.id},
        {"the list renamed, moving it",
         [&] {
             groceries.name = "Shopping";
             store->updateList(groceries);
         },
         "L#" + groceries.id},
        {"an item renamed, the counts as they were",
         [&] { store->renameItem(store->items(packing.id).last().id, "Sun hat"); },
         {}},
    };
    for (const auto& row : rows) {
        heard.clear();
        row.change();
        for (int turn = 0; turn < 3; ++turn)
            settle();
        EXPECT_EQ(heard, row.rowID.isEmpty() ? QStringList() : QStringList{nameOf(row.rowID)})
            << row.what;
    }
}

TEST_F(ListsPaneTest, AGroupHeaderIsAFoldingButtonAndEditModesPaintedButtonsAreItsChildren) {
    const TBList a = makeList("A");
    const TBList b = makeList("B");
    store->setCollection(QString("Home"), b.id);
    build();
    const int header = screen->rows().rowOf("H#Home");
    QAccessibleInterface* row = accessibleRow(header);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->role(), QAccessible::Button);
    EXPECT_EQ(row->text(QAccessible::Name), "Home, 1 list");
    EXPECT_TRUE(row->state().expandable && row->state().expanded);
    EXPECT_EQ(row->childCount(), 0) << "no pencil outside edit mode";
    EXPECT_EQ(accessibleRow(rowOf(a))->role(), QAccessible::ListItem);

    screen->toggleEditing();
    settle();
    const struct {
        const char* what;
        int row;
        QString name;
    } controls[] = {
        {"the group's pencil", header, "Edit group Home"},
        {"a list's remove button", rowOf(a), "Delete: A"},
    };
    for (const auto& control : controls) {
        QAccessibleInterface* parent = accessibleRow(control.row);
        ASSERT_EQ(parent->childCount(), 1) << control.what;
        QAccessibleInterface* button = parent->child(0);
        EXPECT_EQ(button->text(QAccessible::Name), control.name) << control.what;
        EXPECT_EQ(button->role(), QAccessible::Button) << control.what;
        EXPECT_EQ(button->parent(), parent) << control.what;
        EXPECT_EQ(AccessibleWalk::actionsOf(button),
                  QStringList{QAccessibleActionInterface::pressAction()})
            << control.what;
    }
    accessibleRow(header)->child(0)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    settle();
    auto* sheet = qobject_cast<CollectionEditorSheet*>(pane->presentedSheet());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->model().mode(), CollectionEditorMode::edit("Home"));
    sheet->reject();
    settle();
    accessibleRow(rowOf(a))->child(0)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    settle();
    ASSERT_TRUE(pane->removalAlert()->box());
    EXPECT_EQ(pane->removalAlert()->box()->text(), "Delete “A”?");
    pane->removalAlert()->cancelButton()->click();
    settle();
    EXPECT_EQ(AccessibleWalk::faults(QAccessible::queryAccessibleInterface(pane.get())),
              QStringList());
}

TEST_F(ListsPaneTest, NewGroupPillOpensTheGroupEditorWhichSavesTickedLists) {
    const TBList a = makeList("A");
    makeList("B");
    build();
    EXPECT_TRUE(pane->footer()->pill()->isVisible());
    QTest::mouseClick(pane->footer()->pill(), Qt::LeftButton);
    settle();
    auto* sheet = qobject_cast<CollectionEditorSheet*>(pane->presentedSheet());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(sheet->saveButton()->isEnabled());

    QTest::keyClicks(sheet->nameField(), "  Trip ");
    QTest::keyClick(sheet->nameField(), Qt::Key_Return); // Return saves nothing
    settle();
    EXPECT_EQ(pane->presentedSheet(), sheet);
    EXPECT_FALSE(sheet->saveButton()->isEnabled());
    QListView* lists = sheet->listsView();
    QTest::mouseClick(lists->viewport(), Qt::LeftButton, Qt::NoModifier,
                      lists->visualRect(lists->model()->index(0, 0)).center());
    EXPECT_TRUE(sheet->saveButton()->isEnabled());
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(store->collection(a.id), "Trip");
    EXPECT_EQ(pane->presentedSheet(), nullptr);
    EXPECT_EQ(screen->presentedSheet(), std::nullopt);
}

// The group editor's list of lists is named by its section, and a row says it has the focus only
// while the list has the keyboard: not while the keyboard is on Cancel. Back on the list, the
// keyboard is on the row it left.
TEST_F(ListsPaneTest, TheGroupEditorsListsAreNamedAndARowHasTheFocusOnlyWithTheKeyboard) {
    makeList("A");
    makeList("B");
    makeList("C");
    build();
    QTest::mouseClick(pane->footer()->pill(), Qt::LeftButton);
    settle();
    auto* sheet = qobject_cast<CollectionEditorSheet*>(pane->presentedSheet());
    ASSERT_TRUE(sheet);
    QApplication::setActiveWindow(sheet);
    QListView* lists = sheet->listsView();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(lists);
    EXPECT_EQ(list->text(QAccessible::Name), "Lists in this group");
    const auto focusedRows = [&] {
        QStringList focused;
        for (int row = 0; row < lists->model()->rowCount(); ++row)
            if (QAccessibleInterface* cell = list->child(row); cell && cell->state().focused)
                focused.append(cell->text(QAccessible::Name));
        return focused;
    };
    lists->setFocus(Qt::TabFocusReason);
    QTest::keyClick(lists, Qt::Key_Down);
    EXPECT_EQ(focusedRows(), QStringList{"B"});
    sheet->cancelButton()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(focusedRows(), QStringList()) << "the keyboard is on Cancel";
    lists->setFocus(Qt::BacktabFocusReason);
    EXPECT_EQ(focusedRows(), QStringList{"B"});
    sheet->reject();
    settle();
}

// The summary line's text starts at its edge, level with the title: its ring stands around it,
// as clear of the text as a text field's.
TEST_F(ListsPaneTest, TheSummaryLinesRingKeepsClearOfItsText) {
    const TBList list = makeList("Groceries");
    store->addItem(list.id, "Gouda");
    defaults().setString("listsSummaryView", "itemCount");
    build();
    ASSERT_EQ(pane->heading()->summaryButton()->accessibleName(), "Items to go: 1 item to go");
    RingGap::expectClearOfText("the summary line", pane->heading()->summaryButton());
}

TEST_F(ListsPaneTest, EmptyStoreShowsTheEmptyStateAndNoPill) {
    build();
    EXPECT_TRUE(pane->emptyState()->isVisible());
    EXPECT_FALSE(pane->footer()->pill()->isVisible());
    makeList("First");
    settle();
    EXPECT_FALSE(pane->emptyState()->isVisible());
    EXPECT_TRUE(pane->footer()->pill()->isVisible());
}

TEST_F(ListsPaneTest, TheEmptyStateIsACentredBlockAndItsButtonKeepsItsOwnSize) {
    for (const double scale : {1.0, 1.5}) {
        SCOPED_TRACE(scale);
        Theme::setTextScaleFactor(scale); // fonts take the scale when they are built
        build();
        const EmptyState* empty = pane->emptyState();
        ASSERT_TRUE(empty->isVisible());
        const QRect rows(view().mapTo(pane.get(), QPoint()), view().size());
        const QRect block(empty->mapTo(pane.get(), QPoint()), empty->size());
        EXPECT_EQ(block.height(), empty->heightForWidth(block.width()));
        EXPECT_LT(block.height(), rows.height()) << "not stretched over the whole column";
        EXPECT_NEAR(block.center().y(), rows.center().y(), 1);

        auto* button = empty->findChild<PrimaryButton*>();
        ASSERT_TRUE(button);
        EXPECT_EQ(button->title(), "Make a list");
        EXPECT_EQ(button->size(), button->sizeHint()) << "a capsule, not a square";
        QSignalSpy sheets(screen.get(), &ListsScreenModel::sheetChanged);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_GE(sheets.count(), 1);
        TearDown();
    }
    Theme::setTextScaleFactor(1.0);
}

TEST_F(ListsPaneTest, RowsGrowWithAWrappedNameAndFollowTheWidth) {
    const TBList shortName = makeList("Garden");
    const TBList longName = makeList("Groceries for the street party on Saturday, with the "
                                     "neighbours from number twelve");
    build();
    const int plain = rowRect(rowOf(shortName)).height();
    const int wide = rowRect(rowOf(longName)).height();
    EXPECT_GT(wide, plain);
    pane->resize(260, 900);
    settle();
    view().doItemsLayout();
    EXPECT_GT(rowRect(rowOf(longName)).height(), wide) << "narrower, more lines";
    EXPECT_EQ(rowRect(rowOf(shortName)).height(), plain);
    EXPECT_EQ(rowRect(rowOf(longName)).top(), rowRect(rowOf(shortName)).bottom() + 1);

    // Renamed shorter: measured again.
    TBList renamed = *store->findList(longName.id);
    renamed.name = "Groceries";
    store->updateList(renamed);
    settle();
    view().doItemsLayout();
    EXPECT_EQ(rowRect(rowOf(longName)).height(), plain);
}

TEST_F(ListsPaneTest, OnlyTheKeyboardShowsAFocusRingAndItIsNotTheOpenListsOutline) {
    const TBList a = makeList("A");
    const TBList b = makeList("B");
    const TBList c = makeList("C");
    build();
    PageRowDelegate& rows = view().rowDelegate();
    view().setFocus(Qt::OtherFocusReason);

    // A click opens B and puts the current row there, without a ring.
    click(rowRect(rowOf(b)).center());
    EXPECT_EQ(screen->openListID(), b.id);
    EXPECT_FALSE(rows.focusVisible());

    // A right click on C makes it current: still one outlined row and no ring.
    QTest::mousePress(view().viewport(), Qt::RightButton, Qt::NoModifier,
                      rowRect(rowOf(c)).center());
    QTest::mouseRelease(view().viewport(), Qt::RightButton, Qt::NoModifier,
                        rowRect(rowOf(c)).center());
    EXPECT_FALSE(rows.focusVisible());
    for (QMenu* menu : view().findChildren<QMenu*>())
        menu->close();

    // Arrow keys show where the keyboard is.
    QTest::keyClick(&view(), Qt::Key_Up);
    EXPECT_TRUE(rows.focusVisible());
    EXPECT_EQ(view().currentIndex().row(), rowOf(b));
    click(rowRect(rowOf(a)).center());
    EXPECT_FALSE(rows.focusVisible());

    // Painted: the ring lies outside the card, where the open list's outline never goes.
    const auto pixelOutside = [&](int row) {
        const QRect card = rows.cardRect(rowRect(row), row);
        const QImage image = view().viewport()->grab().toImage();
        return image.pixelColor(card.center().x(), card.top() - 3); // across the gap
    };
    const QColor ground = pixelOutside(rowOf(c));
    EXPECT_EQ(pixelOutside(rowOf(a)), ground) << "the open row has no ring";
    QTest::keyClick(&view(), Qt::Key_Down);
    ASSERT_EQ(view().currentIndex().row(), rowOf(b));
    EXPECT_NE(pixelOutside(rowOf(b)), ground) << "the keyboard's row has one";

    // On a group header the ring goes around the words and the count, never over them.
    store->setCollection(QString("Home"), c.id);
    settle();
    const int header = screen->rows().rowOf("H#Home");
    const QRect words = rows.cardRect(rowRect(header), header);
    const QImage plain = view().viewport()->grab(words).toImage();
    const QImage plainRow = view().viewport()->grab(rowRect(header)).toImage();
    view().setCurrentIndex(screen->rows().index(header));
    QTest::keyClick(&view(), Qt::Key_Up);
    QTest::keyClick(&view(), Qt::Key_Down);
    ASSERT_EQ(view().currentIndex().row(), header);
    ASSERT_TRUE(rows.focusVisible());
    EXPECT_EQ(view().viewport()->grab(words).toImage(), plain);
    EXPECT_NE(view().viewport()->grab(rowRect(header)).toImage(), plainRow)
        << "the ring is there, around them";
}

TEST_F(ListsPaneTest, ANarrowRowShowsTheIconOnlyPillAndKeepsTheAddButtonAtTheEdge) {
    makeList("A");
    build();
    ListsFooter* footer = pane->footer();
    footer->resize(400, footer->height());
    EXPECT_FALSE(footer->pill()->isIconOnly());
    // Centred in the whole row while it is clear of the add button.
    EXPECT_NEAR(footer->pill()->geometry().center().x(), 200, 1);
    footer->resize(200, footer->height());
    EXPECT_TRUE(footer->pill()->isIconOnly());
    EXPECT_EQ(footer->addButton()->geometry().right(), 200 - 16 - 1);
    EXPECT_LE(footer->pill()->geometry().right() + ListsFooter::gap,
              footer->addButton()->geometry().left());
}

} // namespace
