// Wiring of the list editor's widgets: typing, clicks, Save and Cancel, Return, the new-tag
// prompt over the sheet, the window's factory and the sheet closing when its list goes.
#include "lists/ListsTestSupport.h"
#include "support/RingGap.h"

#include "ui/components/Accessibility.h"
#include "ui/components/NamePromptSheet.h"
#include "ui/components/SingleLineField.h"
#include "ui/editor/DueDatePicker.h"
#include "ui/editor/KindRowButton.h"
#include "ui/editor/ListEditorFactory.h"
#include "ui/editor/ListEditorModel.h"
#include "ui/editor/ListEditorSheet.h"
#include "ui/editor/MenuField.h"
#include "ui/editor/SwitchRow.h"
#include "ui/editor/TagOfferView.h"
#include "ui/lists/LabelButton.h"
#include "ui/window/WindowNavigation.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDateTimeEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace {

class ListEditorSheetTest : public ListsTest {
protected:
    void open(const ListEditorMode& mode) {
        sheet = new ListEditorSheet(*store, mode);
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        ASSERT_TRUE(sheet->present());
        settle();
    }
    void TearDown() override { delete sheet.data(); }
    void settleMarksOf(const QString& listID) {
        store->confirmListSaved(*store->findList(listID), {});
    }
    void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
        settle();
    }

    // A wheel turned over the middle of a widget, handed from the widget under the pointer to
    // its parents until one takes it, as the application does with the wheel of a real mouse.
    static void wheelOver(QWidget* widget, int notches) {
        const QPoint global = widget->mapToGlobal(widget->rect().center());
        QWidget* under = widget->childAt(widget->rect().center());
        for (QWidget* w = under ? under : widget; w; w = w->parentWidget()) {
            const QPointF local = w->mapFromGlobal(QPointF(global));
            QWheelEvent wheel(local, QPointF(global), QPoint(), QPoint(0, 120 * notches),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w, &wheel);
            if (wheel.isAccepted() || w->isWindow())
                break;
        }
        QApplication::processEvents();
    }

    QPointer<ListEditorSheet> sheet;
};

TEST_F(ListEditorSheetTest, TypingANamePickingAKindAndSavingMakesTheList) {
    open(ListEditorMode::create());
    EXPECT_FALSE(sheet->confirmButton()->isEnabled());
    EXPECT_EQ(sheet->focusWidget(), sheet->nameField());
    QTest::keyClicks(sheet->nameField(), "Pantry");
    EXPECT_TRUE(sheet->confirmButton()->isEnabled());
    click(sheet->kindRows().at(1));
    EXPECT_TRUE(sheet->kindRows().at(1)->isChosen());
    // Each kind says whether it is the one chosen, in the state whose change a reader hears.
    for (int kind = 0; kind < 2; ++kind) {
        const QAccessible::State state =
            QAccessible::queryAccessibleInterface(sheet->kindRows().at(kind))->state();
        EXPECT_TRUE(state.checkable) << kind;
        EXPECT_EQ(bool(state.checked), kind == 1) << kind;
    }
    EXPECT_FALSE(sheet->dueSwitch()->isVisible()) << "an ongoing list has no due date";

    QSignalSpy created(sheet.data(), &ListEditorSheet::listCreated);
    click(sheet->confirmButton());
    ASSERT_EQ(store->lists().size(), 1);
    const TBList& list = store->lists().first();
    EXPECT_EQ(list.name, "Pantry");
    EXPECT_EQ(list.kind, TBListKind::ongoing);
    ASSERT_EQ(created.count(), 1);
    EXPECT_EQ(created.first().first().toString(), list.id);
    EXPECT_TRUE(sheet.isNull()) << "the sheet closes";
}

TEST_F(ListEditorSheetTest, CancelAndEscapeWriteNothing) {
    for (const bool escape : {false, true}) {
        open(ListEditorMode::create());
        QTest::keyClicks(sheet->nameField(), "Pantry");
        click(sheet->kindRows().at(1));
        if (escape)
            QTest::keyClick(sheet->nameField(), Qt::Key_Escape);
        else
            click(sheet->cancelButton());
        settle();
        EXPECT_TRUE(sheet.isNull()) << escape;
        EXPECT_TRUE(store->lists().isEmpty()) << escape;
    }
}

TEST_F(ListEditorSheetTest, ReturnSavesNothingOutsideThePrompts) {
    open(ListEditorMode::create());
    QTest::keyClicks(sheet->nameField(), "Pantry");
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    click(sheet->dueSwitch());
    ASSERT_TRUE(sheet->duePicker()->isVisible());
    QTest::keyClick(sheet->duePicker()->editor(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(sheet.isNull());
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(store->lists().isEmpty());
}

TEST_F(ListEditorSheetTest, PastedLineBreaksBecomeSpaces) {
    open(ListEditorMode::create());
    sheet->nameField()->insert("Weekly\nshop");
    emit sheet->nameField()->textEdited(sheet->nameField()->text());
    EXPECT_EQ(sheet->model().name(), "Weekly shop");
}

TEST_F(ListEditorSheetTest, TheDatePickerCountsOnlyWhenTheUserPicks) {
    const TBList list = makeList("Far future", [](TBList& l) {
        l.dueDate = Date::fromQDateTime(QDateTime(QDate(12000, 1, 1), QTime(9, 0), Qt::UTC));
    });
    settleMarksOf(list.id);
    open(ListEditorMode::edit(list));
    // The picker cannot show year 12000; showing it clamped changes nothing.
    ASSERT_TRUE(sheet->duePicker()->isVisible());
    EXPECT_EQ(sheet->model().dueDate(), *list.dueDate);
    click(sheet->confirmButton());
    EXPECT_EQ(store->findList(list.id)->dueDate, list.dueDate);
    EXPECT_FALSE(store->dirtyLists().contains(list.id));

    open(ListEditorMode::edit(*store->findList(list.id)));
    QDateTimeEdit* edit = sheet->duePicker()->editor();
    edit->setFocus();
    edit->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_NE(sheet->model().dueDate(), *list.dueDate) << "a date the user picked counts";
}

// Scrolling the sheet with the wheel while the date passes under the pointer, or while the
// field has the focus, scrolls the sheet and leaves the date alone.
TEST_F(ListEditorSheetTest, TheWheelScrollsTheSheetAndNeverChangesTheDate) {
    const Date due = Date::fromQDateTime(QDateTime(QDate(2025, 12, 18), QTime(9, 0)));
    const TBList list = makeList("Trip", [&](TBList& l) { l.dueDate = due; });
    const struct {
        const char* what;
        bool focused;
        QDateTimeEdit::Section section;
        int notches; // up is positive
    } cases[] = {
        {"passing under the pointer", false, QDateTimeEdit::DaySection, -1},
        {"passing, the other way", false, QDateTimeEdit::DaySection, 2},
        {"with the focus on its day", true, QDateTimeEdit::DaySection, -2},
        {"with the focus on its year", true, QDateTimeEdit::YearSection, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        open(ListEditorMode::edit(*store->findList(list.id)));
        sheet->resize(480, 420); // shorter than the sheet's content: it scrolls
        settle();
        QScrollBar* bar = sheet->scrollArea()->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0);
        bar->setValue(bar->maximum() / 2);
        QDateTimeEdit* edit = sheet->duePicker()->editor();
        sheet->scrollArea()->ensureWidgetVisible(edit);
        if (c.focused) {
            edit->setFocus();
            edit->setCurrentSection(c.section);
        }
        const int before = bar->value();
        wheelOver(edit, c.notches);
        EXPECT_EQ(Date::fromQDateTime(edit->dateTime()), due);
        EXPECT_EQ(sheet->model().dueDate(), due);
        if (c.notches < 0)
            EXPECT_GT(bar->value(), before) << "the sheet scrolled down";
        else
            EXPECT_LT(bar->value(), before) << "the sheet scrolled up";
        sheet->reject();
        settle();
    }
}

TEST_F(ListEditorSheetTest, TheNewTagPromptStandsOverTheSheetAndReturnConfirmsIt) {
    open(ListEditorMode::create());
    QTest::keyClicks(sheet->nameField(), "Coles");
    auto* add = sheet->findChild<QAbstractButton*>("newStarterTag");
    ASSERT_TRUE(add);
    click(add);
    ASSERT_TRUE(sheet->prompt());
    EXPECT_TRUE(sheet->prompt()->isVisible());
    EXPECT_EQ(SheetDialog::shown(), sheet->prompt());
    QTest::keyClicks(sheet->prompt()->focusWidget(), "snacks");
    QTest::keyClick(sheet->prompt()->focusWidget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(sheet->prompt());
    EXPECT_EQ(sheet->model().tagOffer().tags().last(), "snacks");
    // The editor is the shown sheet again: no other sheet may open over it.
    EXPECT_EQ(SheetDialog::shown(), sheet.data());
    EXPECT_TRUE(store->lists().isEmpty()) << "the prompt's Return saves no list";
}

// The visible button whose accessible label is `label`.
QAbstractButton* buttonLabelled(QWidget* in, const QString& label) {
    for (QAbstractButton* button : in->findChildren<QAbstractButton*>()) {
        const AccessibleSpec* spec = Accessibility::specOf(button);
        if (spec && spec->label == label && button->isVisible())
            return button;
    }
    return nullptr;
}

TEST_F(ListEditorSheetTest, PickingTheHammerAsksWhichKindAndTheChoiceOffersItsTags) {
    open(ListEditorMode::create());
    QTest::keyClicks(sheet->nameField(), "Deck");
    EXPECT_FALSE(sheet->tagOffer()->isVisible());
    QAbstractButton* hammer = buttonLabelled(sheet, "Hammer");
    ASSERT_TRUE(hammer);
    click(hammer);
    EXPECT_TRUE(sheet->tagOffer()->isVisible());
    QAbstractButton* renovation = buttonLabelled(sheet, "Renovation list");
    ASSERT_TRUE(renovation);
    click(renovation);
    EXPECT_TRUE(buttonLabelled(sheet, "Remove tag demolition"));
    click(buttonLabelled(sheet, "Remove tag demolition"));
    EXPECT_FALSE(buttonLabelled(sheet, "Remove tag demolition"));
    click(buttonLabelled(sheet, "Red"));
    EXPECT_EQ(sheet->model().colourID(), "red");
    EXPECT_EQ(Accessibility::specOf(buttonLabelled(sheet, "Hammer"))->traits &
                  AccessibleTrait::selected,
              AccessibleTrait::selected);

    click(sheet->confirmButton());
    const TBList& made = store->lists().first();
    EXPECT_EQ(made.icon, "hammer");
    EXPECT_EQ(made.colourID, "red");
    EXPECT_EQ(defaults().stringList("starterTags." + made.id),
              QStringList({"materials", "paint", "fittings", "hire"}));
}

// The menu a drop-down opened, and its action titled `title`.
QAction* menuAction(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* menu = qobject_cast<QMenu*>(widget);
        if (!menu || !menu->isVisible())
            continue;
        for (QAction* action : menu->actions()) {
            if (action->text() == title)
                return action;
        }
    }
    return nullptr;
}

// The entry of the shown menu that the keyboard is on.
QString activeEntry() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* menu = qobject_cast<QMenu*>(widget);
        if (menu && menu->isVisible())
            return menu->activeAction() ? menu->activeAction()->text() : QString();
    }
    return QStringLiteral("(no menu)");
}

void closeMenus() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible())
            menu->close();
    QApplication::processEvents();
}

// Each menu opens with the keyboard on the choice its field shows, which a screen reader says as
// the menu opens.
TEST_F(ListEditorSheetTest, TheMenusChooseRetentionAndANewGroup) {
    store->setCollection(QString("Work"), makeList("Reports").id);
    open(ListEditorMode::create());
    QTest::keyClicks(sheet->nameField(), "Pantry");
    click(sheet->kindRows().at(1));
    click(sheet->retentionMenu());
    EXPECT_EQ(activeEntry(), sheet->model().retentionValue());
    QAction* keep50 = menuAction("Last 50");
    ASSERT_TRUE(keep50);
    keep50->trigger();
    settle();
    EXPECT_EQ(sheet->model().retention(), CompletedRetention::keep50);
    closeMenus();
    click(sheet->retentionMenu());
    EXPECT_EQ(activeEntry(), "Last 50");
    closeMenus();

    click(sheet->groupMenu());
    EXPECT_EQ(activeEntry(), "None");
    ASSERT_TRUE(menuAction("Work"));
    menuAction("Work")->trigger();
    settle();
    closeMenus();
    click(sheet->groupMenu());
    EXPECT_EQ(activeEntry(), "Work");
    QAction* newGroup = menuAction("New group\u2026");
    ASSERT_TRUE(newGroup);
    newGroup->trigger();
    settle();
    ASSERT_TRUE(sheet->prompt());
    QTest::keyClicks(sheet->prompt()->focusWidget(), "  Home ");
    QTest::keyClick(sheet->prompt()->focusWidget(), Qt::Key_Return);
    settle();
    EXPECT_EQ(sheet->model().groupValue(), "Home");
    closeMenus();

    click(sheet->confirmButton());
    const TBList& made = store->lists().last();
    EXPECT_EQ(made.name, "Pantry");
    EXPECT_EQ(made.completedRetentionRaw, "50");
    EXPECT_EQ(store->collection(made.id), "Home");
}

// A drop-down's value starts at its edge: its ring stands around it, as clear of the value as a
// text field's.
TEST_F(ListEditorSheetTest, TheMenuFieldsRingsKeepClearOfTheirValue) {
    store->setCollection(QString("Jobs"), makeList("Reports").id);
    open(ListEditorMode::create());
    click(sheet->kindRows().at(1));
    sheet->model().setCollection(QString("Jobs"));
    settle();
    RingGap::expectClearOfText("the Group picker", sheet->groupMenu());
    RingGap::expectClearOfText("the Completed picker", sheet->retentionMenu());
}

TEST_F(ListEditorSheetTest, TheSheetClosesWhenItsListIsDeleted) {
    const TBList list = makeList("Trip");
    open(ListEditorMode::edit(list));
    QTest::keyClicks(sheet->nameField(), " again");
    store->deleteList(list.id);
    settle();
    EXPECT_TRUE(sheet.isNull());
    EXPECT_TRUE(store->lists().isEmpty());
}

// The owner makes a shared list view only while it is being edited here: the edit cannot be
// kept, and the sheet says so instead of closing as if it had saved.
TEST_F(ListEditorSheetTest, AListTurnedViewOnlyIsSaidAndNothingIsSaved) {
    const struct {
        const char* what;
        bool promptOpen; // a name prompt stands over the sheet when the right goes
        bool turnsFirst; // the right goes before Save is pressed (else the store is told only
                         // by the save's own look, as when its change had not been heard yet)
    } cases[] = {
        {"while editing", false, true},
        {"while a prompt is open", true, true},
        {"found by Save", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        startAfresh();
        const TBList list = makeList("Weekend shop", [](TBList& l) {
            l.zoneOwnerName = "_sam";
            l.sharePermission = TBSharePermission::readWrite;
        });
        settleMarksOf(list.id);
        open(ListEditorMode::edit(list));
        QTest::keyClicks(sheet->nameField(), " again");
        if (c.promptOpen) {
            sheet->groupMenu()->click();
            QMenu* menu = sheet->findChild<QMenu*>();
            ASSERT_TRUE(menu);
            menu->actions().last()->trigger(); // "New group…"
            ASSERT_TRUE(sheet->prompt());
        }
        const TBList before = *store->findList(list.id);
        if (c.turnsFirst) {
            store->applySharePermission(list.id, TBSharePermission::readOnly);
            settle();
        } else {
            const QSignalBlocker unheard(store.get());
            store->applySharePermission(list.id, TBSharePermission::readOnly);
        }
        if (!c.turnsFirst)
            click(sheet->confirmButton());

        ASSERT_FALSE(sheet.isNull()) << "the sheet stays until the alert is read";
        QMessageBox* alert = sheet->viewOnlyAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->text(), "Weekend shop is view only now, so your changes were not saved.");
        EXPECT_FALSE(sheet->prompt());
        EXPECT_FALSE(sheet->confirmButton()->isEnabled());
        alert->buttons().first()->click();
        settle();
        EXPECT_TRUE(sheet.isNull()) << "the sheet closes with the alert";
        EXPECT_EQ(store->findList(list.id)->name, before.name);
        EXPECT_EQ(store->findList(list.id)->sharePermission, TBSharePermission::readOnly);
        EXPECT_FALSE(store->dirtyLists().contains(list.id));
    }
}

TEST_F(ListEditorSheetTest, TheWindowsFactoryOpensOnlyEditableListsAndOpensWhatItMade) {
    WindowNavigation navigation;
    const TBList theirs = makeList("Theirs", [](TBList& l) {
        l.zoneOwnerName = "_sam";
        l.sharePermission = TBSharePermission::readOnly;
    });
    EXPECT_EQ(makeListEditorSheet(*store, &navigation, theirs.id, nullptr), nullptr);
    EXPECT_EQ(makeListEditorSheet(*store, &navigation, QString("gone"), nullptr), nullptr);

    sheet = qobject_cast<ListEditorSheet*>(
        makeListEditorSheet(*store, &navigation, std::nullopt, nullptr));
    ASSERT_TRUE(sheet);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->present();
    QTest::keyClicks(sheet->nameField(), "Groceries");
    click(sheet->confirmButton());
    ASSERT_EQ(store->lists().size(), 2);
    EXPECT_EQ(navigation.openListID(), store->lists().last().id);
}

} // namespace

namespace {

// Tab takes the keyboard to the sheet's controls and the page follows; its scrolling area is no
// stop of its own, which would have no name and show nothing.
TEST_F(ListEditorSheetTest, ItsScrollingPageIsNoTabStop) {
    open(ListEditorMode::create());
    for (const QScrollArea* area : sheet->findChildren<QScrollArea*>())
        EXPECT_FALSE(area->focusPolicy() & Qt::TabFocus) << area->metaObject()->className();
}

} // namespace
