// The circles screen's rows, texts, prompt and deletes, without widgets.
#include "PeopleTestStore.h"

#include "ui/people/CirclesModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

TEST(CirclesModelTest, AMemberCountIsSaidInWords) {
    struct Row {
        const char* what;
        qsizetype members;
        QString summary;
    };
    const Row rows[] = {
        {"no one", 0, "No one yet"},
        {"one person", 1, "1 person"},
        {"two people", 2, "2 people"},
        {"twelve people", 12, "12 people"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(CirclesModel::memberSummary(row.members), row.summary);
    }
}

TEST(CirclesModelTest, EachCircleIsARowInTheStoresOrderReadAsItsNameAndSummary) {
    PeopleTestStore t;
    t.circle("Household", {"ann@example.com", "+61 400 000 000"});
    t.circle("Climbing", {"bo@example.com"});
    t.circle("Book club");
    CirclesModel model(*t.store);

    struct Row {
        const char* what;
        QString title, detail, label, action;
    };
    const Row rows[] = {
        {"two members", "Household", "2 people", "Household, 2 people", "Delete Household"},
        {"one member", "Climbing", "1 person", "Climbing, 1 person", "Delete Climbing"},
        {"no members", "Book club", "No one yet", "Book club, No one yet", "Delete Book club"},
    };
    ASSERT_EQ(model.rows().size(), 3);
    EXPECT_FALSE(model.showsEmptyState());
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(rows[i].what);
        const PeopleRow& row = model.rows()[i];
        EXPECT_EQ(row.title, rows[i].title);
        EXPECT_EQ(row.detail, rows[i].detail);
        EXPECT_EQ(row.accessibilityLabel, rows[i].label);
        EXPECT_EQ(row.actionTitle, "Delete");
        EXPECT_EQ(row.actionLabel, rows[i].action);
    }
}

TEST(CirclesModelTest, TheEmptyStateComesAndGoesWithTheFirstAndLastCircle) {
    PeopleTestStore t;
    CirclesModel model(*t.store);
    EXPECT_TRUE(model.showsEmptyState());
    EXPECT_EQ(CirclesModel::emptyTitle(), "No circles yet");
    EXPECT_EQ(CirclesModel::emptyActionTitle(), "Make a circle");

    QSignalSpy changed(&model, &CirclesModel::changed);
    model.addCircle("Household");
    EXPECT_FALSE(model.showsEmptyState());
    ASSERT_EQ(model.rows().size(), 1);
    model.deleteCircle(model.rows().first().id);
    EXPECT_TRUE(model.showsEmptyState());
    EXPECT_EQ(changed.count(), 2);
}

TEST(CirclesModelTest, ANewCircleIsTrimmedAndShownLast) {
    PeopleTestStore t;
    t.circle("Household");
    CirclesModel model(*t.store);
    model.openNewCircle();
    EXPECT_TRUE(model.showingNewCircle());

    // The prompt hands over the name as typed; blanks and line breaks go in the store.
    NamePromptModel prompt = CirclesModel::newCirclePrompt();
    prompt.setText("  Climbing \n");
    const std::optional<QString> typed = prompt.confirm();
    ASSERT_TRUE(typed);
    model.addCircle(*typed);
    model.newCircleClosed();

    EXPECT_FALSE(model.showingNewCircle());
    ASSERT_EQ(model.rows().size(), 2);
    EXPECT_EQ(model.rows().last().title, "Climbing");
    EXPECT_EQ(t.store->circles().last().name, "Climbing");
}

TEST(CirclesModelTest, ThePromptRefusesANameOfBlanksOrLineBreaks) {
    const QString blanks[] = {"", "   ", "\t", "\n", "\r\n", " \n \t"};
    for (const QString& text : blanks) {
        SCOPED_TRACE(text.toStdString());
        NamePromptModel prompt = CirclesModel::newCirclePrompt();
        prompt.setText(text);
        EXPECT_FALSE(prompt.canConfirm());
        EXPECT_FALSE(prompt.confirm());
        EXPECT_EQ(prompt.text(), text) << "the prompt stays open with the text";
    }
    NamePromptModel prompt = CirclesModel::newCirclePrompt();
    EXPECT_EQ(prompt.title(), "New circle");
    EXPECT_EQ(prompt.placeholder(), "Name, such as Household");
    EXPECT_EQ(prompt.confirmTitle(), "Create");
}

TEST(CirclesModelTest, DeletingACircleTakesItsRowAtOnceAndLeavesTheOthers) {
    PeopleTestStore t;
    const TBCircle household = t.circle("Household", {"ann@example.com"});
    t.circle("Climbing");
    CirclesModel model(*t.store);
    model.deleteCircle(household.id);
    ASSERT_EQ(model.rows().size(), 1);
    EXPECT_EQ(model.rows().first().title, "Climbing");
    model.deleteCircle("no-such-circle");
    EXPECT_EQ(model.rows().size(), 1);
}

} // namespace
