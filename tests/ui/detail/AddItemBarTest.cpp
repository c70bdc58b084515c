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

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>

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
    // A new draft proposes nothing until its own is known, never the last one's; meanwhile the
    // chip marked before stays marked, and then the new proposal's is.
    model.setDraft("brown bread");
    EXPECT_EQ(model.addBar().suggestion, std::nullopt);
    EXPECT_EQ(chipTexts(), QStringList({"bakery", "suggested dairy"}));
    settle();
    EXPECT_EQ(model.addBar().suggestion, "bakery");
    EXPECT_EQ(chipTexts(), QStringList({"suggested bakery", "dairy"}));

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

// A paste of several lines into the add field adds one item a line, as the actions menu's paste
// does; one line goes into the draft as text.
TEST_F(AddItemBarTest, APasteOfSeveralLinesAddsAnItemALineAndOneLineGoesIntoTheDraft) {
    const struct {
        const char* what;
        QString pasted;
        QStringList added; // "x " marks a done item
        QString draft;     // after "half " was typed and the paste made
        std::optional<QString> message;
    } rows[] = {
        {"one line", "Bread", {}, "half Bread", std::nullopt},
        {"one line and its line break", "Bread\n", {}, "half Bread ", std::nullopt},
        {"one line among blank ones", "\n \nBread\n\n", {}, "half    Bread  ", std::nullopt},
        {"lines", "Bread\nEggs\n\nTea", {"Bread", "Eggs", "Tea"}, "half ", "Added 3 items."},
        {"lines ended by CR LF", "Bread\r\nEggs\r\n", {"Bread", "Eggs"}, "half ", "Added 2 items."},
        {"a checklist",
         "- [ ] Soap #home\n- [x] Towels",
         {"Soap #home", "x Towels"},
         "half ",
         "Added 2 items."},
        {"bullets and numbers", "* Soap\n2. Towels", {"Soap", "Towels"}, "half ", "Added 2 items."},
        {"lines of bullets alone",
         "-\n*",
         {},
         "half ",
         "There is nothing on the clipboard to add."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list(row.what);
        t.item(list, "Already there");
        AddItemField& field = typingIn(list);
        QTest::keyClicks(&field, "half ");
        QGuiApplication::clipboard()->setText(row.pasted);
        QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
        QCoreApplication::processEvents();

        QStringList added;
        const QList<TBItem> items = t.store->items(list.id);
        for (qsizetype i = 1; i < items.size(); ++i)
            added.append((items[i].done ? "x " : "") + items[i].text);
        EXPECT_EQ(added, row.added);
        EXPECT_EQ(field.text(), row.draft);
        EXPECT_EQ(model.state().draft, row.draft);
        EXPECT_EQ(model.state().message, row.message);
        EXPECT_TRUE(field.hasFocus());
        model.dismissMessage();
    }
    EXPECT_TRUE(sound->played.isEmpty()); // pasting is silent, as from the menu
}

// The context menu's Paste, by its title.
QAction* pasteIn(const QMenu& menu) {
    for (QAction* action : menu.actions())
        if (action->text().startsWith(QLineEdit::tr("&Paste")))
            return action;
    return nullptr;
}

TEST_F(AddItemBarTest, TheFieldsContextMenuPastesLinesAsItemsToo) {
    const TBList list = t.list("Shop");
    AddItemField& field = typingIn(list);
    QGuiApplication::clipboard()->setText(QStringLiteral("Bread\nEggs"));
    QContextMenuEvent event(QContextMenuEvent::Mouse, field.rect().center(),
                            field.mapToGlobal(field.rect().center()));
    QApplication::sendEvent(&field, &event);
    QMenu* menu = field.findChild<QMenu*>();
    ASSERT_TRUE(menu);
    QAction* paste = pasteIn(*menu);
    ASSERT_TRUE(paste);
    paste->trigger();
    menu->close();
    EXPECT_EQ(texts(t.store->items(list.id)), QStringList({"Bread", "Eggs"}));
    EXPECT_EQ(model.state().message, "Added 2 items.");
    EXPECT_EQ(field.text(), "");

    // One line through the menu goes into the field, as a paste always did.
    model.dismissMessage();
    QGuiApplication::clipboard()->setText(QStringLiteral("Tea"));
    QApplication::sendEvent(&field, &event);
    menu = nullptr;
    for (QMenu* shown : field.findChildren<QMenu*>())
        if (shown->isVisible())
            menu = shown;
    ASSERT_TRUE(menu);
    ASSERT_TRUE(pasteIn(*menu));
    pasteIn(*menu)->trigger();
    menu->close();
    EXPECT_EQ(field.text(), "Tea");
    EXPECT_EQ(texts(t.store->items(list.id)), QStringList({"Bread", "Eggs"}));
}

// In a list longer than the pane, the item the add bar adds lands below the fold: the list
// scrolls it into sight. Where a filter hides it, nothing moves.
TEST_F(AddItemBarTest, AnAddedItemIsScrolledIntoSight) {
    const TBList list = t.list("Long");
    for (int i = 1; i <= 40; ++i)
        t.item(list, QStringLiteral("thing %1").arg(i));
    AddItemField& field = typingIn(list);
    DetailItemsView& items = view->items();
    ASSERT_GT(items.verticalScrollBar()->maximum(), 0) << "the list is longer than the pane";
    ASSERT_EQ(items.verticalScrollBar()->value(), 0);

    QTest::keyClicks(&field, "the new one");
    QTest::keyClick(&field, Qt::Key_Return);
    QCoreApplication::processEvents();
    const QString added = t.store->items(list.id).last().id;
    ASSERT_GE(rowOf(added), 0);
    EXPECT_TRUE(items.viewport()->rect().contains(rowRect(added)))
        << "the new row at " << rowRect(added).y() << " in a view of "
        << items.viewport()->height();
    EXPECT_TRUE(field.hasFocus());

    // Shown from the top again, an item a filter leaves out is not looked for.
    t.item(list, "tagged #red");
    model.toggleTag("red");
    QCoreApplication::processEvents();
    items.verticalScrollBar()->setValue(0);
    QTest::keyClicks(&field, "plain");
    QTest::keyClick(&field, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(items.verticalScrollBar()->value(), 0);
}

// A strip of chips wider than the column: the proposed tag's chip is scrolled into sight each
// time it is proposed, as the draft is typed.
TEST_F(AddItemBarTest, TheProposedChipIsScrolledIntoSight) {
    const TBList list = t.list("Many tags");
    for (int i = 1; i <= 16; ++i)
        t.item(list, QStringLiteral("thing %1 #tag%2").arg(i).arg(i, 2, 10, QChar(u'0')));
    t.item(list, "Milk #zdairy");
    AddItemField& field = typingIn(list);
    TagChipBar& bar = *view->addBar().chipBar();
    const auto chipOf = [&](const QString& tag) -> TagChip* {
        for (TagChip* chip : bar.chips())
            if (chip->tag() == tag)
                return chip;
        return nullptr;
    };
    // Within the strip, and under no edge cue's fade.
    const auto inSight = [&](const QString& tag) {
        TagChip* chip = chipOf(tag);
        if (!chip)
            return false;
        const QRect shown(chip->mapTo(&bar, QPoint(0, 0)), chip->size());
        for (const Qt::Edge edge : {Qt::LeftEdge, Qt::RightEdge}) {
            if (QWidget* cue = bar.cue(edge); cue && cue->geometry().intersects(shown))
                return false;
        }
        return bar.viewport()->geometry().contains(shown);
    };
    ASSERT_FALSE(inSight("zdairy")) << "the last chip starts beyond the column's edge";
    EXPECT_NE(bar.cue(Qt::RightEdge), nullptr) << "the cut edge shows there is more";
    EXPECT_EQ(bar.cue(Qt::LeftEdge), nullptr);

    QTest::keyClicks(&field, "oat milk");
    settle();
    ASSERT_EQ(model.addBar().suggestion, "zdairy");
    QCoreApplication::processEvents();
    EXPECT_TRUE(inSight("zdairy"));

    // The user scrolls back and types on: the proposal, worked out again, comes back in sight.
    bar.horizontalScrollBar()->setValue(0);
    QTest::keyClicks(&field, " 2L");
    settle();
    QCoreApplication::processEvents();
    EXPECT_EQ(model.addBar().suggestion, "zdairy");
    EXPECT_TRUE(inSight("zdairy"));

    // Turned down, nothing is proposed and the strip stays where the user leaves it.
    model.pressChip("zdairy");
    bar.horizontalScrollBar()->setValue(0);
    QTest::keyClicks(&field, "!");
    settle();
    QCoreApplication::processEvents();
    EXPECT_EQ(model.addBar().suggestion, std::nullopt);
    EXPECT_EQ(bar.horizontalScrollBar()->value(), 0);
}

} // namespace
