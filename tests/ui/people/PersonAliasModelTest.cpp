// The person name sheet: its stages, its heading as the nickname is typed, and what it keeps.
#include "PeopleTestStore.h"

#include "ui/people/PersonAliasModel.h"

#include <gtest/gtest.h>

namespace {

TEST(PersonAliasModelTest, SomeoneWithNothingKeptStartsOnThePathAndCreateProfileShowsTheDetails) {
    PeopleTestStore t;
    PersonAliasModel model(*t.store, "p1", "Ann Smith");
    EXPECT_FALSE(model.started()) << "no Done, only Cancel";
    model.createProfile();
    EXPECT_TRUE(model.started());
    EXPECT_EQ(model.alias(), "");
    EXPECT_EQ(model.placeholder(), "Ann Smith");
    EXPECT_EQ(PersonAliasModel::pathLabel(),
              "Create Profile. Give them a name yourself. No contact needed.");
}

TEST(PersonAliasModelTest, AKeptAliasOpensOnTheDetails) {
    PeopleTestStore t;
    t.store->setAlias({"p1", std::nullopt, QByteArray("png"), QString("Ann's card"), {}});
    PersonAliasModel model(*t.store, "p1", "Ann");
    EXPECT_TRUE(model.started());
    EXPECT_EQ(model.alias(), "") << "an absent alias text loads as an empty field";
    EXPECT_TRUE(model.hasPhoto());
    EXPECT_EQ(model.photoNote(), "Copied from Ann's card when you linked. If their photo "
                                 "changes, this one does not — link again to refresh it.");
    model.removePhoto();
    EXPECT_FALSE(model.hasPhoto());
}

TEST(PersonAliasModelTest, TheHeadingAndUseTheirNameFollowTheField) {
    struct Row {
        const char* what;
        QString storedName, alias;
        QString heading;
        std::optional<QString> note;
        bool useTheirName;
        QString placeholder;
    };
    const Row rows[] = {
        {"nothing typed", "Ann", "", "Ann", std::nullopt, false, "Ann"},
        {"a nickname", "Ann", "Mum", "Mum", "They call themselves Ann", true, "Ann"},
        {"a nickname with blanks", "Ann", "  Mum ", "Mum", "They call themselves Ann", true, "Ann"},
        {"blanks only", "Ann", "   ", "Ann", std::nullopt, false, "Ann"},
        {"line breaks only", "Ann", "\n\n", "Ann", std::nullopt, false, "Ann"},
        {"no stored name, a nickname", "", "Mum", "Mum", std::nullopt, false, "Name"},
        {"no name at all", "", " ", "Someone else", std::nullopt, false, "Name"},
        {"a stored name of blanks", "  ", "", "Someone else", std::nullopt, false, "  "},
    };
    PeopleTestStore t;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PersonAliasModel model(*t.store, "p1", row.storedName);
        model.createProfile();
        model.setAlias(row.alias);
        EXPECT_EQ(model.headingName(), row.heading);
        EXPECT_EQ(model.headingNote(), row.note);
        EXPECT_EQ(model.showsUseTheirName(), row.useTheirName);
        EXPECT_EQ(model.placeholder(), row.placeholder);
    }
}

TEST(PersonAliasModelTest, UseTheirNameEmptiesTheField) {
    PeopleTestStore t;
    PersonAliasModel model(*t.store, "p1", "Ann");
    model.createProfile();
    model.setAlias("Mum");
    model.useTheirName();
    EXPECT_EQ(model.alias(), "");
    EXPECT_FALSE(model.showsUseTheirName());
    EXPECT_EQ(model.headingName(), "Ann");
}

TEST(PersonAliasModelTest, SavingKeepsTheNicknameAsTypedOrForgetsAnEmptyOne) {
    struct Row {
        const char* what;
        QString typed;
        bool kept;
    };
    const Row rows[] = {
        {"a nickname with blanks around it", "  Mum ", true},
        {"an empty field", "", false},
        {"blanks only", "  \t", false},
        {"line breaks only", "\n", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PeopleTestStore t;
        t.store->setAlias({"p1", QString("Old name"), std::nullopt, std::nullopt, {}});
        PersonAliasModel model(*t.store, "p1", "Ann");
        model.setAlias(row.typed);
        model.save();
        EXPECT_EQ(t.store->alias("p1").has_value(), row.kept);
        if (row.kept) {
            EXPECT_EQ(t.store->alias("p1")->alias, row.typed) << "stored as typed";
            EXPECT_EQ(t.store->display("p1", "Ann").name, "Mum") << "shown trimmed";
        } else {
            EXPECT_EQ(t.store->display("p1", "Ann").name, "Ann");
        }
    }
}

TEST(PersonAliasModelTest, NothingIsKeptBeforeSave) {
    PeopleTestStore t;
    {
        PersonAliasModel model(*t.store, "p1", "Ann");
        model.createProfile();
        model.setAlias("Mum"); // and the sheet is cancelled
    }
    EXPECT_FALSE(t.store->alias("p1"));
    PersonAliasModel again(*t.store, "p1", "Ann");
    EXPECT_FALSE(again.started());
}

TEST(PersonAliasModelTest, OtherKeptValuesTravelThroughASave) {
    PeopleTestStore t;
    t.store->setAlias({"p1", QString("Mum"), std::nullopt, std::nullopt, {"ann@example.com"}});
    PersonAliasModel model(*t.store, "p1", "Ann");
    model.setAlias("");
    model.save();
    ASSERT_TRUE(t.store->alias("p1")) << "the handle keeps the entry";
    EXPECT_EQ(t.store->alias("p1")->handles, QStringList{"ann@example.com"});
    EXPECT_EQ(t.store->alias("p1")->alias, QString(""));
}

} // namespace
