// The people screens' widgets: what Return, the buttons and the rows do, through the widgets.
#include "PeopleTestStore.h"

#include "model/NoteAuthor.h"
#include "ui/components/EmptyState.h"
#include "ui/components/NamePromptSheet.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/SheetDialog.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/lists/LabelButton.h"
#include "ui/people/CircleDetailModel.h"
#include "ui/people/CircleDetailPage.h"
#include "ui/people/CirclesModel.h"
#include "ui/people/CirclesPage.h"
#include "ui/people/PeopleCardList.h"
#include "ui/people/PersonAliasModel.h"
#include "ui/people/PersonAliasSheet.h"
#include "ui/people/SharingSetupSheet.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QScrollArea>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

TEST(SharingSetupSheetTest, ReturnConfirmsANameAndDoesNothingWithABlankOne) {
    MemoryDefaults defaults;
    NoteAuthor::setPreferredName(defaults, "Earlier");
    QWidget window;
    window.show();
    int continued = 0;
    bool closedFirst = false;
    auto* sheet = new SharingSetupSheet(
        defaults,
        [&] {
            ++continued;
            closedFirst = true;
        },
        &window);
    sheet->show();
    QApplication::processEvents();
    EXPECT_EQ(sheet->nameField()->text(), "");
    EXPECT_FALSE(sheet->continueButton()->isEnabled());

    sheet->nameField()->setText("\n\n"); // pasted breaks arrive as blanks: still no name
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(sheet->continueButton()->isEnabled());
    EXPECT_EQ(continued, 0);

    sheet->nameField()->setText("  Ann ");
    EXPECT_TRUE(sheet->continueButton()->isEnabled());
    QObject::connect(sheet, &QDialog::finished, [&] { closedFirst = continued == 0; });
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(continued, 1);
    EXPECT_TRUE(closedFirst) << "the sheet closes before sharing goes on";
    EXPECT_EQ(NoteAuthor::preferredName(defaults), "Ann");
    delete sheet;
}

TEST(SharingSetupSheetTest, CancelKeepsTheStoredNameAndDoesNotContinue) {
    MemoryDefaults defaults;
    NoteAuthor::setPreferredName(defaults, "Earlier");
    int continued = 0;
    SharingSetupSheet sheet(defaults, [&] { ++continued; });
    sheet.show();
    sheet.nameField()->setText("Ann");
    sheet.cancelButton()->click();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(continued, 0);
    EXPECT_EQ(NoteAuthor::preferredName(defaults), "Earlier");
}

TEST(PersonAliasSheetTest, ReturnSavesNothingAndDoneKeepsTheNickname) {
    PeopleTestStore t;
    PersonAliasSheet sheet(*t.store, "p1", "Ann");
    sheet.show();
    EXPECT_FALSE(sheet.doneButton()->isVisible()) << "only Cancel on the starting path";
    sheet.pathButton()->click();
    EXPECT_TRUE(sheet.doneButton()->isVisible());
    EXPECT_EQ(sheet.nicknameField()->placeholderText(), "Ann");

    QTest::keyClicks(sheet.nicknameField(), "Mum");
    EXPECT_TRUE(sheet.useTheirNameButton()->isVisible());
    QTest::keyClick(sheet.nicknameField(), Qt::Key_Return);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_FALSE(t.store->alias("p1"));

    sheet.doneButton()->click();
    EXPECT_FALSE(sheet.isVisible());
    ASSERT_TRUE(t.store->alias("p1"));
    EXPECT_EQ(t.store->display("p1", "Ann").name, "Mum");
}

TEST(PersonAliasSheetTest, UseTheirNameEmptiesTheFieldAndHidesItself) {
    PeopleTestStore t;
    t.store->setAlias({"p1", QString("Mum"), std::nullopt, std::nullopt, {}});
    PersonAliasSheet sheet(*t.store, "p1", "Ann");
    sheet.show();
    EXPECT_EQ(sheet.nicknameField()->text(), "Mum");
    EXPECT_FALSE(sheet.removePhotoButton()->isVisible());
    sheet.useTheirNameButton()->click();
    EXPECT_EQ(sheet.nicknameField()->text(), "");
    EXPECT_FALSE(sheet.useTheirNameButton()->isVisible());
    sheet.cancelButton()->click();
    EXPECT_EQ(t.store->alias("p1")->alias, "Mum") << "Cancel keeps nothing new";
}

TEST(CircleDetailPageTest, ReturnAddsNothingAndARefusedHandleShowsAnAlertReturnCannotClose) {
    PeopleTestStore t;
    const TBCircle circle = t.circle("Household");
    QWidget window;
    window.show();
    auto* page = new CircleDetailPage(*t.store, circle.id, &window);
    page->show();
    QTest::keyClicks(page->handleField(), "ann@example.com");
    QTest::keyClick(page->handleField(), Qt::Key_Return);
    EXPECT_TRUE(t.store->circle(circle.id)->members.isEmpty());

    page->addButton()->click();
    EXPECT_EQ(page->members()->rows().size(), 1);
    EXPECT_EQ(page->handleField()->text(), "");

    page->nameField()->setText("Bo");
    page->handleField()->setText("12-34");
    page->addButton()->click();
    QMessageBox* alert = page->alert();
    ASSERT_TRUE(alert);
    QApplication::processEvents();
    EXPECT_EQ(alert->text(), CircleDetailModel::refusedHandle());
    // The Return of the field that led here was let go before; one pressed now closes it.
    QTest::keyRelease(alert, Qt::Key_Return);
    EXPECT_TRUE(alert->isVisible()) << "a Return let go that began before the alert";
    QTest::keyClick(alert, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(page->alert());
    EXPECT_FALSE(page->model().problem());
    EXPECT_EQ(page->handleField()->text(), "12-34") << "the fields keep what was typed";
    EXPECT_EQ(page->nameField()->text(), "Bo");
}

TEST(CirclesPageTest, ThePlusAndTheEmptyStatesButtonOpenOnePromptThatAddsACircle) {
    PeopleTestStore t;
    QWidget window;
    window.resize(400, 600);
    auto* page = new CirclesPage(*t.store, "Settings", &window);
    page->resize(400, 600);
    window.show();
    ASSERT_TRUE(page->emptyState()->actionButton());
    page->emptyState()->actionButton()->click();
    ASSERT_TRUE(page->prompt());
    NamePromptSheet* prompt = page->prompt();
    page->newCircleButton()->click();
    EXPECT_EQ(page->prompt(), prompt) << "one prompt at a time";

    prompt->setText("  Household ");
    prompt->confirm();
    QApplication::processEvents();
    EXPECT_FALSE(page->model().showingNewCircle());
    ASSERT_EQ(page->circles()->rows().size(), 1);
    EXPECT_EQ(page->circles()->rows().first().title, "Household");
}

TEST(CirclesPageTest, InsideASheetTheClosedPromptLeavesThatSheetTheOneShown) {
    PeopleTestStore t;
    QWidget window;
    window.show();
    SheetDialog settings(&window);
    auto* page = new CirclesPage(*t.store, "Settings", &settings);
    ASSERT_TRUE(settings.present());
    page->newCircleButton()->click();
    ASSERT_TRUE(page->prompt());
    EXPECT_TRUE(page->prompt()->isVisible()) << "shown over the sheet that holds the page";
    EXPECT_EQ(SheetDialog::shown(), page->prompt());
    page->prompt()->reject();
    EXPECT_EQ(SheetDialog::shown(), &settings) << "no other sheet may come over it meanwhile";
    SheetDialog other(&window);
    EXPECT_FALSE(other.present());
    settings.reject();
}

TEST(CirclesPageTest, ACircleOpensInPlaceAndItsBackControlComesBack) {
    PeopleTestStore t;
    const TBCircle circle = t.circle("Household", {"ann@example.com"});
    QWidget window;
    window.resize(400, 600);
    auto* page = new CirclesPage(*t.store, "Settings", &window);
    page->resize(400, 600);
    window.show();
    QApplication::processEvents();
    PeopleCardList* list = page->circles();
    const QRect row = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_TRUE(page->detail());
    EXPECT_EQ(page->detail()->model().circleID(), circle.id);
    EXPECT_EQ(page->detail()->members()->rows().size(), 1);
    page->showCircles();
    QApplication::processEvents();
    EXPECT_FALSE(page->detail());
}

TEST(PeopleCardListTest, AFullTrailingSwipeActsAtOnceAndAShortOneOnlyShowsTheButton) {
    PeopleTestStore t;
    const TBCircle household = t.circle("Household", {"ann@example.com", "bo@example.com"});
    CircleDetailPage page(*t.store, household.id);
    page.resize(420, 600);
    page.show();
    QApplication::processEvents();
    PeopleCardList* list = page.members();
    const auto swipe = [&](int row, int dx, Qt::ScrollPhase phase) {
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QWheelEvent event(at, list->viewport()->mapToGlobal(at), QPoint(dx, 0), QPoint(dx * 3, 0),
                          Qt::NoButton, Qt::NoModifier, phase, false);
        QCoreApplication::sendEvent(list->viewport(), &event);
        QApplication::processEvents();
    };
    swipe(0, -50, Qt::ScrollUpdate);
    swipe(0, 0, Qt::ScrollEnd);
    EXPECT_EQ(t.store->circle(household.id)->members.size(), 2) << "the button shows, no more";

    swipe(1, -200, Qt::ScrollUpdate);
    swipe(1, -200, Qt::ScrollUpdate);
    swipe(1, 0, Qt::ScrollEnd);
    ASSERT_EQ(t.store->circle(household.id)->members.size(), 1);
    EXPECT_EQ(t.store->circle(household.id)->members.first().emailAddress, "ann@example.com");
}

TEST(PeopleCardListTest, AScreenReaderReadsEachCardAndOffersItsActions) {
    struct Row {
        const char* what;
        bool opens;
        QStringList actions;
    };
    const Row rows[] = {
        {"a circle opens and deletes", true, {"Press", "Delete Household"}},
        {"a person is only removed", false, {"Delete Household"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PeopleCardList list(row.opens);
        list.resize(400, 300);
        list.setRows(
            {{"c1", "Household", "2 people", "Household, 2 people", "Delete", "Delete Household"}});
        list.show();
        QStringList opened, acted;
        QObject::connect(&list, &PeopleCardList::opened, [&](const QString& id) { opened << id; });
        QObject::connect(&list, &PeopleCardList::acted, [&](const QString& id) { acted << id; });
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&list);
        ASSERT_TRUE(view);
        ASSERT_EQ(view->childCount(), 1);
        QAccessibleInterface* card = view->child(0);
        EXPECT_EQ(card->text(QAccessible::Name), "Household, 2 people");
        QAccessibleActionInterface* actions = card->actionInterface();
        ASSERT_TRUE(actions);
        QStringList names = actions->actionNames();
        for (QString& name : names)
            if (name == QAccessibleActionInterface::pressAction())
                name = "Press";
        EXPECT_EQ(names, row.actions);
        actions->doAction("Delete Household");
        EXPECT_EQ(acted, QStringList{"c1"});
        actions->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_EQ(opened, row.opens ? QStringList{"c1"} : QStringList{});
    }
}

} // namespace

namespace {

// Tab takes the keyboard to the sheet's controls and the page follows; its scrolling area is no
// stop of its own, which would have no name and show nothing.
TEST(PersonAliasSheetTest, ItsScrollingPageIsNoTabStop) {
    PeopleTestStore t;
    PersonAliasSheet sheet(*t.store, "p1", "Ann");
    sheet.show();
    for (const QScrollArea* area : sheet.findChildren<QScrollArea*>())
        EXPECT_FALSE(area->focusPolicy() & Qt::TabFocus) << area->metaObject()->className();
}

} // namespace
