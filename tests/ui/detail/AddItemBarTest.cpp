// Adding items from the add bar, driven by keys and clicks offscreen: the draft rule, the
// proposed tag, the focus and adding mode, the tag chips and the sounds.
#include "ui/detail/AddItemBar.h"
#include "DetailPaneTest.h"
#include "ui/components/AddItemField.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/detail/AddDraftRule.h"
#include "ui/detail/TagChipBar.h"
#include "ui/detail/TagSuggester.h"

#include <QApplication>
#include <QFocusEvent>

namespace {

QStringList texts(const QList<TBItem>& items) {
    return DetailTestStore::texts(items);
}

class AddItemBarTest : public DetailPaneTest {
protected:
    // The pane of a list that has one tagged item, "Milk #dairy", with the add field focused.
    AddItemField& typingIn(const TBList& list) {
        open(list);
        QApplication::setActiveWindow(view.get());
        AddItemField& field = *view->addBar().field();
        QTest::mouseClick(&field, Qt::LeftButton);
        return field;
    }
    // Lets the proposed tag for the draft come back from its worker.
    void settle() {
        model.suggester().settle();
        QCoreApplication::processEvents();
    }
    QStringList chipTexts() const {
        QStringList out;
        for (const AddBarFace::Chip& chip : model.addBar().chips)
            out.append((chip.on ? "on " : chip.suggested ? "suggested " : "") + chip.tag);
        return out;
    }
};

TEST(AddDraftRule, TrimsBlanksAndLineBreaksAndFlattensInnerBreaks) {
    const struct {
        const char* what;
        QString draft;
        QString text;
    } rows[] = {
        {"spaces only", "   ", ""},
        {"tabs only", "\t\t", ""},
        {"a line break only", "\n", ""},
        {"line breaks of every kind", "\r\n\u2028\u0085\v\f\u2029", ""},
        {"blanks around a word", "  milk  ", "milk"},
        {"a trailing tab", "milk\t", "milk"},
        {"a trailing line break", "milk\n", "milk"},
        {"a no-break space", "\u00a0milk\u00a0", "milk"},
        {"inner spaces kept", "oat  milk", "oat  milk"},
        {"an inner line break", "oat\nmilk", "oat milk"},
        {"CR LF is one break", "oat\r\nmilk", "oat milk"},
        {"two breaks, two spaces", "oat\n\nmilk", "oat  milk"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AddDraftRule::itemText(row.draft), row.text) << row.what;
        EXPECT_EQ(AddDraftRule::isBlank(row.draft), row.text.isEmpty()) << row.what;
    }
}

TEST_F(AddItemBarTest, TypingAndReturnAddTheItemWithItsProposedTagAndKeepTheFocus) {
    const TBList list = t.list("Shop");
    t.item(list, "Milk #dairy");
    AddItemField& field = typingIn(list);
    EXPECT_TRUE(field.hasFocus());
    EXPECT_TRUE(model.state().adding);

    QTest::keyClicks(&field, "oat milk");
    EXPECT_EQ(model.state().draft, "oat milk");
    settle();
    EXPECT_EQ(model.addBar().suggestion, "dairy");
    EXPECT_EQ(chipTexts(), QStringList({"suggested dairy"}));
    EXPECT_FALSE(view->addBar().showsPlaceholder());
    EXPECT_TRUE(view->addBar().plusButton()->isEnabled());

    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(texts(t.store->items(list.id)), QStringList({"Milk #dairy", "oat milk #dairy"}));
    EXPECT_EQ(field.text(), "");
    EXPECT_TRUE(field.hasFocus());
    EXPECT_TRUE(model.state().inputFocused);
    EXPECT_EQ(sound->played, QStringList({"Tink"}));
    EXPECT_TRUE(view->addBar().showsPlaceholder());
    EXPECT_FALSE(view->addBar().plusButton()->isEnabled());

    // Typing goes on in the same field; the plus button adds as Return does.
    QTest::keyClicks(&field, "zzz");
    QTest::mouseClick(view->addBar().plusButton(), Qt::LeftButton);
    EXPECT_EQ(texts(t.store->items(list.id)).last(), "zzz");
    EXPECT_TRUE(field.hasFocus());
}

TEST_F(AddItemBarTest, ABlankOrLineBreakOnlyDraftAddsNothingAndKeepsItsText) {
    const TBList list = t.list("Shop");
    AddItemField& field = typingIn(list);
    for (const QString& draft : {QString("   "), QString("\t"), QString("\n"), QString("\r\n\n")}) {
        model.setDraft(draft);
        EXPECT_TRUE(view->addBar().showsPlaceholder()) << draft.size();
        EXPECT_FALSE(view->addBar().plusButton()->isEnabled()) << draft.size();
        QTest::keyClick(&field, Qt::Key_Return);
        EXPECT_TRUE(t.store->items(list.id).isEmpty()) << draft.size();
        EXPECT_EQ(model.state().draft, draft) << draft.size();
    }
    EXPECT_TRUE(sound->played.isEmpty());
}

TEST_F(AddItemBarTest, TheProposalShownIsAlwaysTheCurrentDraftsAndReturnWorksItOutAfresh) {
    const TBList list = t.list("Shop");
    t.item(list, "Milk #dairy");
    t.item(list, "Bread #bakery");
    typingIn(list);
    model.setDraft("oat milk");
    settle();
    EXPECT_EQ(model.addBar().suggestion, "dairy");
    // A new draft shows no proposal until its own is known, never the last one's.
    model.setDraft("brown bread");
    EXPECT_EQ(model.addBar().suggestion, std::nullopt);
    settle();
    EXPECT_EQ(model.addBar().suggestion, "bakery");

    // Return does not wait for the worker.
    model.setDraft("goat milk");
    model.addDraft();
    EXPECT_EQ(texts(t.store->items(list.id)).last(), "goat milk #dairy");
    // A draft that carries the tag already is added as it is.
    model.setDraft("milk #dairy");
    model.addDraft();
    EXPECT_EQ(texts(t.store->items(list.id)).last(), "milk #dairy");
}

TEST_F(AddItemBarTest, ADismissedProposalIsLeftOutOfTheNextItemOnly) {
    const TBList list = t.list("Shop");
    t.item(list, "Milk #dairy");
    typingIn(list);
    model.setDraft("oat milk");
    settle();
    model.pressChip("dairy"); // the suggested chip turns the proposal down
    EXPECT_EQ(model.state().draft, "oat milk");
    EXPECT_EQ(model.addBar().suggestion, std::nullopt);
    EXPECT_EQ(chipTexts(), QStringList({"dairy"}));
    model.addDraft();
    model.setDraft("soy milk");
    model.addDraft();
    EXPECT_EQ(texts(t.store->items(list.id)),
              QStringList({"Milk #dairy", "oat milk", "soy milk #dairy"}));
}

TEST_F(AddItemBarTest, DeclinedTagsHideTheChipsAndTheProposalUntilTheListHasATag) {
    const TBList list = t.list("Shop");
    t.store->defaults().setBool("tagsDeclined." + list.id, true);
    typingIn(list);
    EXPECT_FALSE(model.addBar().showsChipBar);
    EXPECT_TRUE(view->addBar().chipBar()->isHidden());
    model.setDraft("milk #dairy");
    model.addDraft();
    QCoreApplication::processEvents();
    EXPECT_TRUE(model.addBar().showsChipBar);
    model.setDraft("oat milk");
    settle();
    EXPECT_EQ(model.addBar().suggestion, "dairy");
}

TEST_F(AddItemBarTest, QuickAddsChimeOnce) {
    const TBList list = t.list("Shop");
    typingIn(list);
    for (const char* text : {"a", "b", "c"}) {
        model.setDraft(text);
        model.addDraft();
        monotonic->advance(0.5);
    }
    EXPECT_EQ(sound->played.size(), 1);
    monotonic->advance(2);
    model.setDraft("d");
    model.addDraft();
    EXPECT_EQ(sound->played.size(), 2);
}

// The focus rules: a field losing the focus to a menu, a popup or another window stays in
// adding mode; losing it any other way ends adding unless a tag is being named.
TEST_F(AddItemBarTest, FocusAndAddingMode) {
    const TBList list = t.list("Shop");
    t.item(list, "Milk #dairy");
    AddItemField& field = typingIn(list);
    const struct {
        const char* what;
        Qt::FocusReason reason;
        bool naming;
        bool adding;
    } rows[] = {
        {"a menu opens", Qt::PopupFocusReason, false, true},
        {"another window comes up", Qt::ActiveWindowFocusReason, false, true},
        {"a click elsewhere", Qt::MouseFocusReason, false, false},
        {"Tab", Qt::TabFocusReason, false, false},
        {"a click elsewhere while naming a tag", Qt::MouseFocusReason, true, true},
    };
    for (const auto& row : rows) {
        model.setInputFocused(true);
        if (row.naming)
            model.startNamingTag();
        QFocusEvent out(QEvent::FocusOut, row.reason);
        QCoreApplication::sendEvent(&field, &out);
        EXPECT_EQ(model.state().adding, row.adding) << row.what;
        if (row.naming)
            model.commitNewTag(QString());
    }

    // Ending the naming gives the focus back to the add field; ending adding ends naming.
    field.setFocus();
    model.startNamingTag();
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->addBar().chipBar()->newTagField()->hasFocus());
    EXPECT_FALSE(model.state().inputFocused);
    EXPECT_TRUE(model.state().adding);
    model.commitNewTag(QString());
    EXPECT_TRUE(model.state().inputFocused);
    EXPECT_TRUE(field.hasFocus());
    model.startNamingTag();
    model.setInputFocused(true);
    model.tapList();
    EXPECT_FALSE(model.state().adding);
    EXPECT_FALSE(model.state().namingTag);

    // A click on the items ends adding, and the row still acts.
    model.setInputFocused(true);
    QTest::mouseClick(
        view->items().viewport(), Qt::LeftButton, {},
        view->items()
            .visualRect(view->items().rows().index(rowOf(t.store->items(list.id).first().id)))
            .center());
    EXPECT_FALSE(model.state().adding);
    EXPECT_FALSE(field.hasFocus());
}

TEST_F(AddItemBarTest, TheChipBarOffersTheListsTagsAndTheDraftsOwn) {
    const TBList list = t.list("Shop");
    t.item(list, "Milk #dairy");
    t.item(list, "Bread #bakery");
    AddItemField& field = typingIn(list);
    QTest::keyClicks(&field, "rolls #bread");
    settle();
    EXPECT_EQ(chipTexts(), QStringList({"bakery", "dairy", "on bread"}));
    const QList<TagChip*> chips = view->addBar().chipBar()->chips();
    ASSERT_EQ(chips.size(), 3);
    EXPECT_TRUE(chips[2]->isSelected());
    const AddBarFace::Chip on = model.addBar().chips[2];
    EXPECT_EQ(on.accessibilityLabel, "Remove tag bread");
    EXPECT_EQ(model.addBar().chips[1].accessibilityLabel, "Tag with dairy");

    // Clicking a chip toggles its tag in the draft; the add field keeps the focus.
    QTest::mouseClick(chips[1], Qt::LeftButton);
    EXPECT_EQ(field.text(), "rolls #bread #dairy");
    EXPECT_TRUE(field.hasFocus());
    model.pressChip("dairy");
    EXPECT_EQ(model.state().draft, "rolls #bread");

    // A new tag: the button opens the field, Return puts the tag into the draft.
    QTest::mouseClick(view->addBar().chipBar()->newTagButton(), Qt::LeftButton);
    SingleLineField* newTag = view->addBar().chipBar()->newTagField();
    EXPECT_TRUE(newTag->isVisible());
    EXPECT_TRUE(newTag->hasFocus());
    QTest::keyClicks(newTag, "#Frozen food");
    QTest::keyClick(newTag, Qt::Key_Return);
    EXPECT_EQ(model.state().draft, "rolls #bread #Frozen-food");
    EXPECT_FALSE(newTag->isVisible());
    EXPECT_TRUE(field.hasFocus());
    EXPECT_EQ(chipTexts(), QStringList({"bakery", "dairy", "on bread", "on Frozen-food"}));

    // The proposal's chip speaks as one.
    model.setDraft("oat milk");
    settle();
    EXPECT_EQ(model.addBar().chips[1].accessibilityLabel, "Suggested tag dairy");
    EXPECT_EQ(model.addBar().chips[1].accessibilityHint,
              "Applied when you add the item. Press to remove.");
}

TEST_F(AddItemBarTest, TheAddBarComesUpAtItsFullHeightWhenItsChipsAppear) {
    const TBList list = t.list("Shop");
    t.item(list, "Milk #dairy");
    for (const bool shownFirst : {false, true}) {
        // As the window makes it: the pane first, then a list with tags shown in it, before or
        // after the pane is first on screen.
        model.show(t.list("Empty").id);
        view = std::make_unique<ListDetailView>(model);
        view->resize(900, 700);
        if (shownFirst) {
            view->show();
            QCoreApplication::processEvents();
        }
        model.show(list.id);
        view->show();
        QCoreApplication::processEvents(); // one turn: the gallery grabs after one
        AddItemBar& bar = view->addBar();
        EXPECT_FALSE(bar.chipBar()->isHidden()) << shownFirst;
        EXPECT_EQ(bar.chipBar()->height(), bar.chipBar()->sizeHint().height()) << shownFirst;
        EXPECT_EQ(bar.height(), bar.sizeHint().height()) << shownFirst;
        EXPECT_EQ(bar.geometry().bottom(), view->rect().bottom()) << shownFirst;
        // The column keeps to the reading width, centred.
        EXPECT_EQ(bar.chipBar()->width(), 640) << shownFirst;
        EXPECT_EQ(bar.chipBar()->mapTo(view.get(), QPoint(0, 0)).x(), (900 - 640) / 2)
            << shownFirst;
    }
}

TEST_F(AddItemBarTest, AReadOnlyListHasNoAddBar) {
    const TBList list = t.list("Theirs");
    t.shareFromOwner(list.id, TBSharePermission::readOnly);
    open(list);
    EXPECT_TRUE(view->addBar().isHidden());
    EXPECT_TRUE(view->showsViewOnlyNote());
    model.setDraft("milk");
    model.addDraft();
    EXPECT_TRUE(t.store->items(list.id).isEmpty());
}

} // namespace
