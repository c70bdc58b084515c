// The item editor's model: when the name is written back (and when it is not), the edit right
// read live from the store, the tags, the tick and the star.
#include "ui/item/ItemEditorModel.h"
#include "ItemEditorTestBase.h"

namespace {

class ItemEditorModelTest : public ItemEditorTestBase {
protected:
    void open(const TBItem& item) { model.show({item.id, item.listID}); }

    ItemEditorModel model{*t.store};
};

TEST_F(ItemEditorModelTest, TheNameIsWrittenOnlyWhenTheUserChangedIt) {
    struct Row {
        const char* what;
        QString stored;
        std::optional<QString> typed;     // what the user leaves in the field
        std::optional<QString> elsewhere; // a rename arriving while the field has the focus
        QString expected;
        int writes; // the editor's own store changes
        QString shownAfter;
    };
    const Row rows[] = {
        {"untouched", "Milk #dairy", std::nullopt, std::nullopt, "Milk #dairy", 0, "Milk"},
        {"tag-only text", "#dairy", std::nullopt, std::nullopt, "#dairy", 0, "#dairy"},
        {"double spaces", "Oat  milk  #dairy", std::nullopt, std::nullopt, "Oat  milk  #dairy", 0,
         "Oat milk"},
        {"a tag between words", "Milk #dairy fresh", std::nullopt, std::nullopt,
         "Milk #dairy fresh", 0, "Milk fresh"},
        {"a rename from elsewhere while open", "Milk #dairy", std::nullopt, "Oat milk #dairy",
         "Oat milk #dairy", 0, "Oat milk"},
        {"a trimmed rename keeps both tags", "Milk #dairy #cold", "  Oat milk \n", std::nullopt,
         "Oat milk #dairy #cold", 1, "Oat milk"},
        {"an emptied name keeps the old one", "Milk #dairy", " \n ", std::nullopt, "Milk #dairy", 0,
         "Milk"},
        {"typed and typed back", "Milk", "Milk", std::nullopt, "Milk", 0, "Milk"},
        {"an edit wins over a rename from elsewhere", "Milk #dairy", "Butter", "Cream #dairy",
         "Butter #dairy", 1, "Butter"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list("Shop");
        const TBItem item = t.item(list, row.stored);
        open(item);
        model.setNameFocused(true);
        if (row.typed) {
            model.editName(QStringLiteral("something else"));
            model.editName(*row.typed);
        }
        if (row.elsewhere) {
            t.store->renameItem(item.id, *row.elsewhere);
            t.turn();
        }
        QSignalSpy writes(t.store.get(), &ListStore::storeChanged);
        model.setNameFocused(false);
        model.back(); // leaving writes nothing more
        EXPECT_EQ(textOf(item.id), row.expected);
        EXPECT_EQ(writes.count(), row.writes);
        t.turn();
        EXPECT_EQ(model.name(), row.shownAfter);
        EXPECT_FALSE(model.nameEdited());
    }
}

TEST_F(ItemEditorModelTest, AnUnfocusedUneditedNameFollowsTheStoreAndAFocusedOneWaits) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Milk #dairy");
    open(item);
    QSignalSpy replaced(&model, &ItemEditorModel::nameReplaced);
    t.store->renameItem(item.id, "Oat milk #dairy");
    t.turn();
    EXPECT_EQ(model.name(), "Oat milk");
    EXPECT_EQ(replaced.count(), 1);

    model.setNameFocused(true);
    t.store->renameItem(item.id, "Soy milk #dairy");
    t.turn();
    EXPECT_EQ(model.name(), "Oat milk") << "the caret's text does not move under the user";
    model.setNameFocused(false);
    EXPECT_EQ(model.name(), "Soy milk");
    EXPECT_EQ(textOf(item.id), "Soy milk #dairy");
}

TEST_F(ItemEditorModelTest, AListThatBecomesReadOnlyWhileOpenStopsEveryWrite) {
    struct Row {
        const char* what;
        bool readOnly;
    };
    const Row rows[] = {{"read-write share: every action writes", false},
                        {"read-only share: nothing is written", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list("Theirs");
        const TBItem item = t.item(list, "Milk #dairy");
        t.item(list, "Bread #bakery");
        open(item);
        model.setNameFocused(true);
        model.editName("Oat milk");
        shareReadOnly(list, row.readOnly); // while the editor is open
        t.turn();

        QSignalSpy writes(t.store.get(), &ListStore::storeChanged);
        sound->played.clear();
        const ItemEditorModel::Face face = model.face();
        EXPECT_EQ(face.canEdit, !row.readOnly);
        EXPECT_EQ(face.showsAddTag, !row.readOnly);
        EXPECT_EQ(face.canDelete, !row.readOnly);
        int expected = 0;
        model.setNameFocused(false); // commit
        expected += 1;
        model.tick();
        expected += 1;
        model.toggleStar();
        expected += 1;
        model.toggleTag("bakery");
        expected += 1;
        model.startNewTag();
        EXPECT_EQ(model.addingTag(), !row.readOnly);
        model.setNewTag("cold");
        model.commitNewTag();
        expected += 1;
        model.notes().setDraft("Get two");
        model.notes().commitNote();
        t.turn();
        expected += 1;
        EXPECT_EQ(model.notes().face().showsComposer, !row.readOnly);
        model.deleteItem();
        expected += 1;
        EXPECT_EQ(writes.count(), row.readOnly ? 0 : expected);
        EXPECT_EQ(t.store->findItem(item.id) == nullptr, !row.readOnly);
        if (row.readOnly) {
            EXPECT_EQ(textOf(item.id), "Milk #dairy");
            EXPECT_TRUE(sound->played.isEmpty());
        }
    }
}

TEST_F(ItemEditorModelTest, ChipsOfferTheItemsAndTheListsTagsSortedWithCapitalsFirst) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Milk #dairy #Cold");
    t.item(list, "Bread #bakery #dairy");
    open(item);
    QStringList shown;
    for (const ItemEditorModel::Chip& chip : model.face().chips)
        shown << (chip.selected ? "+" : "-") + chip.tag + " / " + chip.accessibilityLabel;
    EXPECT_EQ(shown, QStringList({"+Cold / Remove tag Cold", "-bakery / Add tag bakery",
                                  "+dairy / Remove tag dairy"}));

    model.toggleTag("bakery");
    EXPECT_EQ(textOf(item.id), "Milk #dairy #Cold #bakery");
    model.toggleTag("bakery");
    EXPECT_EQ(textOf(item.id), "Milk #dairy #Cold");
}

TEST_F(ItemEditorModelTest, ANewTagIsAddedOnceAndClosesTheField) {
    struct Row {
        const char* what;
        QString typed;
        QString expected;
        int writes;
    };
    const Row rows[] = {
        {"a new tag is appended", "  #frozen food ", "Peas #veg #frozen-food", 1},
        {"nothing usable just closes", " ### ", "Peas #veg", 0},
        {"a tag the item has writes nothing", "veg", "Peas #veg", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list("Shop");
        const TBItem item = t.item(list, "Peas #veg");
        open(item);
        model.startNewTag();
        ASSERT_TRUE(model.addingTag());
        model.setNewTag(row.typed);
        QSignalSpy writes(t.store.get(), &ListStore::storeChanged);
        model.commitNewTag();
        EXPECT_EQ(textOf(item.id), row.expected);
        EXPECT_EQ(writes.count(), row.writes);
        EXPECT_FALSE(model.addingTag());
        EXPECT_TRUE(model.newTag().isEmpty());
    }
}

TEST_F(ItemEditorModelTest, TickingPlaysTheSoundOnceAndUntickingPlaysNothing) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Milk");
    open(item);
    EXPECT_EQ(model.face().tickLabel, "Tick item");
    model.tick();
    EXPECT_TRUE(t.store->findItem(item.id)->done);
    EXPECT_EQ(model.face().tickLabel, "Untick item");
    EXPECT_EQ(sound->played.size(), 1);
    model.tick();
    EXPECT_FALSE(t.store->findItem(item.id)->done);
    EXPECT_EQ(sound->played.size(), 1);

    model.toggleStar();
    EXPECT_TRUE(t.store->findItem(item.id)->pinned);
    EXPECT_EQ(model.face().starLabel, "Unstar item");
}

TEST_F(ItemEditorModelTest, AVanishedItemShowsItsLastNameAndEveryActionDoesNothing) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Milk #dairy");
    t.item(list, "Bread #bakery");
    open(item);
    t.store->deleteItem(item.id);
    t.turn();
    const ItemEditorModel::Face face = model.face();
    EXPECT_FALSE(face.itemExists);
    EXPECT_EQ(face.tickLabel, "Tick item");
    EXPECT_EQ(face.starLabel, "Star item");
    ASSERT_EQ(face.chips.size(), 1);
    EXPECT_FALSE(face.chips.first().selected);
    EXPECT_EQ(model.name(), "Milk");
    QSignalSpy writes(t.store.get(), &ListStore::storeChanged);
    model.tick();
    model.toggleStar();
    model.toggleTag("bakery");
    model.editName("Butter");
    model.commit();
    EXPECT_EQ(writes.count(), 0);
}

TEST_F(ItemEditorModelTest, TheEditorIsNamedByItsItemForAScreenReader) {
    struct Row {
        const char* what;
        QString stored;
        QString typed; // left in the focused name field, not yet written
        bool deleted;
        QString label;
    };
    const Row rows[] = {
        {"the name without its tags", "Oat milk #dairy", "", false, "Oat milk"},
        {"a tag between words", "Milk #dairy fresh", "", false, "Milk fresh"},
        {"only tags", "#dairy #cold", "", false, "#dairy #cold"},
        {"the stored name while another is typed", "Milk", "Butter", false, "Milk"},
        {"a deleted item: the last name shown", "Milk #dairy", "", true, "Milk"},
        {"a deleted item of only tags", "#dairy", "", true, "#dairy"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBItem item = t.item(t.list("Shop"), row.stored);
        open(item);
        if (!row.typed.isEmpty()) {
            model.setNameFocused(true);
            model.editName(row.typed);
        }
        if (row.deleted) {
            t.store->deleteItem(item.id);
            t.turn();
        }
        EXPECT_EQ(model.face().pageLabel, row.label);
        model.setNameFocused(false);
    }
}

TEST_F(ItemEditorModelTest, DeletingAsksToCloseAndBackCommitsFirst) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Milk");
    open(item);
    QSignalSpy close(&model, &ItemEditorModel::closeRequested);
    model.setNameFocused(true);
    model.editName("Oat milk");
    model.back();
    EXPECT_EQ(textOf(item.id), "Oat milk");
    EXPECT_EQ(close.count(), 1);
    model.deleteItem();
    EXPECT_EQ(t.store->findItem(item.id), nullptr);
    EXPECT_EQ(close.count(), 2);
}

} // namespace
