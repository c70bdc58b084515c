#include "ListsTestSupport.h"

#include "ui/lists/CollectionEditorModel.h"

namespace {

class CollectionEditor : public ListsTest {
protected:
    // Lists A B C D; B and C in "Home", D in "Work".
    void SetUp() override {
        ListsTest::SetUp();
        for (const QString name : {"A", "B", "C", "D"})
            ids[name] = makeList(name).id;
        store->setCollection(QString("Home"), ids["B"]);
        store->setCollection(QString("Home"), ids["C"]);
        store->setCollection(QString("Work"), ids["D"]);
    }

    std::unique_ptr<CollectionEditorModel> open(CollectionEditorMode mode) {
        return std::make_unique<CollectionEditorModel>(*store, mode);
    }

    QString groupOf(const QString& name) { return store->collection(ids[name]).value_or("-"); }

    // "Currently in …" of each row, "-" for none.
    static QStringList currentlyIn(CollectionEditorModel& editor) {
        QStringList lines;
        for (int i = 0; i < editor.rows().rowCount(); ++i)
            lines.append(editor.rows().row(i).currentlyIn.value_or("-"));
        return lines;
    }

    QMap<QString, QString> ids;
};

TEST_F(CollectionEditor, OpensEmptyForANewGroupAndFilledInForAnEditedOne) {
    auto created = open(CollectionEditorMode::create());
    EXPECT_EQ(created->title(), "New group");
    EXPECT_TRUE(created->focusesNameOnOpen());
    EXPECT_FALSE(created->showsUngroupButton());
    EXPECT_EQ(created->name(), "");
    EXPECT_EQ(created->rows().rowCount(), 4);

    auto edited = open(CollectionEditorMode::edit("Home"));
    EXPECT_EQ(edited->title(), "Edit group");
    EXPECT_FALSE(edited->focusesNameOnOpen());
    EXPECT_TRUE(edited->showsUngroupButton());
    EXPECT_EQ(edited->name(), "Home");
    QStringList ticked;
    for (int i = 0; i < edited->rows().rowCount(); ++i) {
        if (edited->rows().row(i).chosen)
            ticked.append(edited->rows().row(i).name);
    }
    EXPECT_EQ(ticked, (QStringList{"B", "C"}));
    EXPECT_EQ(CollectionEditorMode::edit("Home").id(), "edit-Home");
    EXPECT_EQ(CollectionEditorMode::create().id(), "create");
}

TEST_F(CollectionEditor, SaveNeedsANameThatIsNotBlankAndATickedListThatExists) {
    const struct {
        const char* what;
        const char* name;
        QStringList ticks;
        bool canSave;
    } cases[] = {
        {"nothing typed", "", {"A"}, false},
        {"only blanks", "  \t ", {"A"}, false},
        {"only a line break", "\n", {"A"}, false},
        {"blanks and line breaks around a name", " \n Home \r\n", {"A"}, true},
        {"a name but no list", "Home", {}, false},
        {"a name and a list", "Home", {"A"}, true},
    };
    for (const auto& c : cases) {
        auto editor = open(CollectionEditorMode::create());
        editor->setName(c.name);
        for (const QString& name : c.ticks)
            editor->toggle(ids[name]);
        EXPECT_EQ(editor->canSave(), c.canSave) << c.what;
    }

    // A ticked list deleted while the sheet is open no longer counts.
    auto editor = open(CollectionEditorMode::create());
    editor->setName("Garden");
    editor->toggle(ids["A"]);
    store->deleteList(ids["A"]);
    settle();
    EXPECT_FALSE(editor->canSave());
    EXPECT_EQ(editor->rows().rowCount(), 3);
    EXPECT_FALSE(editor->save());
    EXPECT_EQ(store->collections(), (QStringList{"Home", "Work"}));
}

TEST_F(CollectionEditor, CurrentlyInShowsForListsFiledUnderAnotherName) {
    auto editor = open(CollectionEditorMode::edit("Home"));
    const struct {
        const char* what;
        const char* name;
        QStringList lines; // for A B C D
    } cases[] = {
        {"the group's own name", "Home", {"-", "-", "-", "Currently in Work"}},
        {"the same name with a line break typed after it",
         "Home\n",
         {"-", "-", "-", "Currently in Work"}},
        {"a new name",
         "House",
         {"-", "Currently in Home", "Currently in Home", "Currently in Work"}},
        {"another group's name", "Work", {"-", "Currently in Home", "Currently in Home", "-"}},
    };
    for (const auto& c : cases) {
        editor->setName(c.name);
        EXPECT_EQ(currentlyIn(*editor), c.lines) << c.what;
    }
    // Unticking every member disables Save: only the ungroup button empties a group.
    editor->setName("Home");
    editor->toggle(ids["B"]);
    editor->toggle(ids["C"]);
    EXPECT_FALSE(editor->canSave());
}

TEST_F(CollectionEditor, SavingFilesTheTickedListsUnderTheTrimmedName) {
    auto editor = open(CollectionEditorMode::create());
    editor->setName(" \tGarden \n");
    editor->toggle(ids["A"]);
    editor->toggle(ids["D"]); // moves out of Work
    EXPECT_TRUE(editor->save());
    EXPECT_EQ(groupOf("A"), "Garden");
    EXPECT_EQ(groupOf("D"), "Garden");
    EXPECT_EQ(groupOf("B"), "Home");
    EXPECT_TRUE(store->dirtyFilings().contains(ids["A"]));
}

TEST_F(CollectionEditor, EditingRenamesMergesAndLetsUntickedMembersGo) {
    // Rename to another group's name: the two groups become one; C, unticked, leaves.
    auto editor = open(CollectionEditorMode::edit("Home"));
    editor->setName("Work");
    editor->toggle(ids["C"]);
    EXPECT_TRUE(editor->save());
    EXPECT_EQ(groupOf("B"), "Work");
    EXPECT_EQ(groupOf("C"), "-");
    EXPECT_EQ(groupOf("D"), "Work");
    EXPECT_EQ(store->collections(), QStringList{"Work"});
}

TEST_F(CollectionEditor, ListsFiledElsewhereMeanwhileStayWhereTheyWerePut) {
    ids["E"] = makeList("E").id;
    store->setCollection(QString("Home"), ids["E"]);
    auto editor = open(CollectionEditorMode::edit("Home"));
    editor->toggle(ids["C"]); // C unticked: it leaves Home on save
    // Meanwhile, another device files A into Home and moves C to Work; E is deleted.
    store->confirmFilingSaved(ids["C"], "Home", {});
    store->applyServerFiling(ids["A"], "Home", {});
    store->applyServerFiling(ids["C"], "Work", {});
    store->deleteList(ids["E"]);
    EXPECT_TRUE(editor->save());
    EXPECT_EQ(groupOf("A"), "Home");
    EXPECT_EQ(groupOf("B"), "Home");
    EXPECT_EQ(groupOf("C"), "Work");
    EXPECT_FALSE(store->filings().contains(ids["E"])) << "a deleted list was filed";
    EXPECT_FALSE(store->dirtyFilings().contains(ids["A"])) << "a list not touched was written";
}

TEST_F(CollectionEditor, UngroupTakesEveryListOutAndKeepsTheLists) {
    auto editor = open(CollectionEditorMode::edit("Home"));
    editor->ungroup();
    EXPECT_EQ(groupOf("B"), "-");
    EXPECT_EQ(groupOf("C"), "-");
    EXPECT_EQ(groupOf("D"), "Work");
    EXPECT_EQ(store->lists().size(), 4);

    // Closing without saving changes nothing.
    auto cancelled = open(CollectionEditorMode::edit("Work"));
    cancelled->setName("Office");
    cancelled.reset();
    EXPECT_EQ(groupOf("D"), "Work");
}

} // namespace
