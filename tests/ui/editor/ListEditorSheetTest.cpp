// Wiring of the list editor's widgets: typing, clicks, Save and Cancel, Return, the new-tag
// prompt over the sheet, the window's factory and the sheet closing when its list goes.
#include "lists/ListsTestSupport.h"

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
#include <QApplication>
#include <QDateTimeEdit>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

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
    QAbstractButton* hammer = buttonLabelled(sheet, "hammer");
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
    EXPECT_EQ(Accessibility::specOf(buttonLabelled(sheet, "hammer"))->traits &
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

TEST_F(ListEditorSheetTest, TheMenusChooseRetentionAndANewGroup) {
    store->setCollection(QString("Work"), makeList("Reports").id);
    open(ListEditorMode::create());
    QTest::keyClicks(sheet->nameField(), "Pantry");
    click(sheet->kindRows().at(1));
    click(sheet->retentionMenu());
    QAction* keep50 = menuAction("Last 50");
    ASSERT_TRUE(keep50);
    keep50->trigger();
    settle();
    EXPECT_EQ(sheet->model().retention(), CompletedRetention::keep50);

    click(sheet->groupMenu());
    EXPECT_TRUE(menuAction("Work"));
    QAction* newGroup = menuAction("New group\u2026");
    ASSERT_TRUE(newGroup);
    newGroup->trigger();
    settle();
    ASSERT_TRUE(sheet->prompt());
    QTest::keyClicks(sheet->prompt()->focusWidget(), "  Home ");
    QTest::keyClick(sheet->prompt()->focusWidget(), Qt::Key_Return);
    settle();
    EXPECT_EQ(sheet->model().groupValue(), "Home");

    click(sheet->confirmButton());
    const TBList& made = store->lists().last();
    EXPECT_EQ(made.name, "Pantry");
    EXPECT_EQ(made.completedRetentionRaw, "50");
    EXPECT_EQ(store->collection(made.id), "Home");
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
