// One circle's screen: its form, its members and its alert, without widgets.
#include "PeopleTestStore.h"

#include "ui/people/CircleDetailModel.h"

#include <gtest/gtest.h>

namespace {

TEST(CircleDetailModelTest, AddingActsOnlyOnceTheHandleHoldsMoreThanBlanks) {
    struct Row {
        const char* what;
        QString name, handle;
        bool canAdd;
    };
    const Row rows[] = {
        {"nothing typed", "", "", false},
        {"only a name", "Ann", "", false},
        {"spaces", "Ann", "   ", false},
        {"a tab", "", "\t", false},
        {"line breaks only", "Ann", "\n\r\n", false},
        {"one character", "", "a", true},
        {"a number with blanks around it", "", " 0400 ", true},
    };
    PeopleTestStore t;
    const TBCircle circle = t.circle("Household");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CircleDetailModel model(*t.store, circle.id);
        model.setName(row.name);
        model.setHandle(row.handle);
        EXPECT_EQ(model.canAdd(), row.canAdd);
    }
}

TEST(CircleDetailModelTest, WhatAnAddDoesToTheFieldsTheMembersAndTheAlert) {
    struct Row {
        const char* what;
        QString name, handle;
        bool refused;
        QString shownName, shownHandle; // of the last member when not refused
        int members;                    // after the add, starting from ann@example.com
    };
    const Row rows[] = {
        {"four digits and a hyphen", "Bo", "12-34", true, "", "", 1},
        {"four digits and a plus", "Bo", "+1234", false, "Bo", "+1234", 2},
        {"an address in capitals", "Cy", " Cy@Example.COM ", false, "Cy", "cy@example.com", 2},
        {"a phone number with brackets", "Di", "+61 (400) 000-000", false, "Di", "+61400000000", 2},
        {"no name: the handle twice", "", "ed@example.com", false, "ed@example.com",
         "ed@example.com", 2},
        {"the same address again, in capitals", "Ann again", "ANN@example.com", false, "",
         "ann@example.com", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PeopleTestStore t;
        const TBCircle circle = t.circle("Household", {"ann@example.com"});
        CircleDetailModel model(*t.store, circle.id);
        model.setName(row.name);
        model.setHandle(row.handle);
        model.addPerson();
        ASSERT_EQ(model.members().size(), row.members);
        EXPECT_EQ(model.problem().has_value(), row.refused);
        if (row.refused) {
            EXPECT_EQ(*model.problem(), CircleDetailModel::refusedHandle());
            EXPECT_EQ(model.name(), row.name) << "the fields keep what was typed";
            EXPECT_EQ(model.handle(), row.handle);
            model.dismissProblem();
            EXPECT_FALSE(model.problem());
            continue;
        }
        EXPECT_EQ(model.name(), "");
        EXPECT_EQ(model.handle(), "");
        const PeopleRow& last = model.members().last();
        if (!row.shownName.isEmpty()) {
            EXPECT_EQ(last.title, row.shownName);
        }
        EXPECT_EQ(last.detail, row.shownHandle);
        EXPECT_EQ(last.accessibilityLabel, last.title + ", " + last.detail);
        EXPECT_EQ(last.actionLabel, "Remove " + last.title);
    }
}

TEST(CircleDetailModelTest, TheTitleAndMemberHeaderFollowTheCircle) {
    PeopleTestStore t;
    const TBCircle circle = t.circle("Household");
    CircleDetailModel model(*t.store, circle.id);
    EXPECT_EQ(model.title(), "Household");
    EXPECT_FALSE(model.memberHeader()) << "no members, no header";

    model.setHandle("ann@example.com");
    model.addPerson();
    EXPECT_EQ(model.memberHeader(), "IN THIS CIRCLE");

    model.removePerson(model.members().first().id);
    EXPECT_TRUE(model.members().isEmpty());
    EXPECT_FALSE(model.memberHeader());

    t.store->deleteCircle(circle.id);
    EXPECT_EQ(model.title(), "Circle");
}

TEST(CircleDetailModelTest, WithoutItsCircleEveryAddIsRefused) {
    PeopleTestStore t;
    CircleDetailModel model(*t.store, "gone");
    EXPECT_EQ(model.title(), "Circle");
    model.setHandle("ann@example.com");
    model.addPerson();
    EXPECT_EQ(model.problem(), CircleDetailModel::refusedHandle());
    EXPECT_TRUE(model.members().isEmpty());
    EXPECT_FALSE(model.memberHeader());
}

} // namespace
