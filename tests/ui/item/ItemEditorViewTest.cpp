// The item editor's wiring, offscreen: Back and focus loss write the name once, the composer's
// Return and Shift+Return, and the controls a read-only list leaves.
#include "ui/item/ItemEditorView.h"
#include "ItemEditorTestBase.h"
#include "model/ItemNotes.h"
#include "support/RingGap.h"
#include "ui/components/ItemHeaderBar.h"
#include "ui/components/NoteField.h"
#include "ui/components/PaintedButton.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/item/ItemNameField.h"
#include "ui/item/NoteComposer.h"
#include "ui/item/NoteRowView.h"
#include "ui/item/NotesSectionView.h"
#include "ui/item/TickButton.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>

#include <QTest>

namespace {

class ItemEditorViewTest : public ItemEditorTestBase {
public:
    ItemEditorView& open(const TBItem& item) {
        view.reset(ItemEditorView::open(*t.store, {item.id, item.listID}, {}));
        view->resize(560, 700);
        view->show();
        QApplication::setActiveWindow(view.get());
        t.turn();
        return *view;
    }
    static QAbstractButton* backButton(ItemEditorView& view) {
        return view.header().findChild<SymbolButton*>();
    }

    std::unique_ptr<ItemEditorView> view;
};

TEST_F(ItemEditorViewTest, BackWritesAnEditedNameOnceAndAsksToClose) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Milk #dairy");
    ItemEditorView& editor = open(item);
    EXPECT_EQ(editor.nameField().text(), "Milk");
    editor.nameField().setFocus();
    t.turn();
    editor.nameField().selectAll();
    QTest::keyClicks(&editor.nameField(), "Oat milk");
    QSignalSpy writes(t.store.get(), &ListStore::storeChanged);
    QSignalSpy close(&editor, &ItemEditorView::closeRequested);
    QTest::mouseClick(backButton(editor), Qt::LeftButton);
    editor.hide(); // the host takes the editor away
    view.reset();
    EXPECT_EQ(textOf(item.id), "Oat milk #dairy");
    EXPECT_EQ(writes.count(), 1);
    EXPECT_EQ(close.count(), 1);
}

TEST_F(ItemEditorViewTest, OpeningAndLeavingAnItemWritesNothing) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "#dairy  milk  #cold");
    QSignalSpy writes(t.store.get(), &ListStore::storeChanged);
    ItemEditorView& editor = open(item);
    editor.nameField().setFocus();
    t.turn();
    editor.tick().setFocus(); // focus leaves the name
    t.turn();
    QTest::mouseClick(backButton(editor), Qt::LeftButton);
    view.reset();
    EXPECT_EQ(writes.count(), 0);
    EXPECT_EQ(textOf(item.id), "#dairy  milk  #cold");
}

TEST_F(ItemEditorViewTest, ReturnSendsTheNoteAndShiftReturnBreaksTheLine) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Milk");
    ItemEditorView& editor = open(item);
    NoteField& field = editor.notes().composer().field();
    field.setFocus();
    QTest::keyClicks(&field, "Two cartons");
    QTest::keyClick(&field, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&field, "full cream");
    EXPECT_FALSE(editor.notes().composer().placeholderShown());
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_TRUE(field.text().isEmpty());
    t.turn();
    t.turn();
    const QList<ItemNotes::Entry> notes = ItemNotes::parse(t.store->findItem(item.id)->notes);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes.first().text, "Two cartons full cream") << "the line format keeps one line";
    EXPECT_EQ(editor.notes().rows().size(), 1);
    EXPECT_TRUE(editor.notes().composer().placeholderShown());
}

TEST_F(ItemEditorViewTest, AListThatBecomesReadOnlyLeavesOnlyTheTickStarAndRows) {
    const TBList list = t.list("Theirs");
    const TBItem item = t.item(list, "Milk #dairy");
    ASSERT_TRUE(t.store->addNote("Get two", item.id, "", ""));
    ItemEditorView& editor = open(item);
    EXPECT_TRUE(editor.header().canDelete());
    EXPECT_TRUE(editor.addTagButton());
    EXPECT_TRUE(editor.notes().showsComposer());
    t.shareFromOwner(list.id, TBSharePermission::readOnly);
    t.turn();
    EXPECT_FALSE(editor.header().canDelete());
    EXPECT_FALSE(editor.addTagButton());
    EXPECT_FALSE(editor.nameField().isEnabled());
    ASSERT_EQ(editor.chips().size(), 1);
    EXPECT_FALSE(editor.chips().first()->isEnabled());
    EXPECT_FALSE(editor.notes().showsComposer());
    ASSERT_EQ(editor.notes().rows().size(), 1);
    EXPECT_FALSE(editor.notes().rows().first()->deleteButton());
    QSignalSpy writes(t.store.get(), &ListStore::storeChanged);
    QTest::mouseClick(&editor.tick(), Qt::LeftButton);
    QTest::mouseClick(&editor.star(), Qt::LeftButton);
    EXPECT_EQ(writes.count(), 0);
}

// Every field of the editor is ringed clear of its text, the new tag's field too where it stands
// at the start of its row.
TEST_F(ItemEditorViewTest, EachFieldsRingKeepsClearOfItsText) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Jolly good peas");
    ItemEditorView& editor = open(item);
    RingGap::expectClearOfText("the item's name", &editor.nameField());
    auto* note = editor.findChild<NoteField*>();
    ASSERT_NE(note, nullptr);
    QTest::keyClicks(note, "Get the big bag");
    RingGap::expectClearOfText("Add a note", note);
    ASSERT_TRUE(editor.addTagButton());
    QTest::mouseClick(editor.addTagButton(), Qt::LeftButton);
    t.turn();
    ASSERT_TRUE(editor.newTagField());
    QTest::keyClicks(editor.newTagField(), "jolly");
    RingGap::expectClearOfText("New tag name", editor.newTagField());
}

TEST_F(ItemEditorViewTest, TheAddTagButtonOpensAFieldWhoseReturnAddsTheTag) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Peas");
    ItemEditorView& editor = open(item);
    ASSERT_TRUE(editor.addTagButton());
    QTest::mouseClick(editor.addTagButton(), Qt::LeftButton);
    t.turn();
    ASSERT_TRUE(editor.newTagField());
    QTest::keyClicks(editor.newTagField(), "frozen");
    QTest::keyClick(editor.newTagField(), Qt::Key_Return);
    t.turn();
    EXPECT_EQ(textOf(item.id), "Peas #frozen");
    t.turn();
    ASSERT_EQ(editor.chips().size(), 1);
    EXPECT_TRUE(editor.chips().first()->isSelected());
    EXPECT_TRUE(editor.addTagButton());
}

// The keyboard stays among the tags as they are made again: on the "+" that takes the place of a
// new tag's field once Return added the tag, on the chip that Space pressed, and on the field a
// "+" pressed from the keyboard opens. Escape then still goes back (from the field, a second one).
TEST_F(ItemEditorViewTest, TheKeyboardStaysAmongTheTagsAsTheyAreMadeAgain) {
    struct Row {
        const char* what;
        QString text;
        // Presses what has the keyboard: the new tag's field, a chip, or the "+".
        std::function<void(ItemEditorView&)> press;
        QString textAfter;
        // Where the keyboard is then.
        std::function<QWidget*(ItemEditorView&)> focus;
        int escapesToGoBack;
    };
    const auto addedTag = [this](ItemEditorView& editor) {
        editor.addTagButton()->click();
        t.turn(); // the field is shown, and has the keyboard
        ASSERT_TRUE(editor.newTagField() && editor.newTagField()->hasFocus());
        QTest::keyClicks(editor.newTagField(), "frozen");
        QTest::keyClick(editor.newTagField(), Qt::Key_Return);
    };
    const auto pressedChip = [](ItemEditorView& editor) {
        editor.chips().first()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(editor.chips().first(), Qt::Key_Space);
    };
    const auto pressedPlus = [](ItemEditorView& editor) {
        editor.addTagButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(editor.addTagButton(), Qt::Key_Space);
    };
    const Row rows[] = {
        {"Return adds a new tag", "Peas #veg", addedTag, "Peas #veg #frozen",
         [](ItemEditorView& editor) -> QWidget* { return editor.addTagButton(); }, 1},
        {"Space takes a chip's tag off", "Peas #veg", pressedChip, "Peas",
         [](ItemEditorView& editor) -> QWidget* { return editor.chips().value(0); }, 1},
        {"Space opens the new tag's field", "Peas #veg", pressedPlus, "Peas #veg",
         [](ItemEditorView& editor) -> QWidget* { return editor.newTagField(); }, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList list = t.list("Shop");
        const TBItem item = t.item(list, row.text);
        t.item(list, "Beans #veg"); // the list goes on offering the tag the item gives up
        ItemEditorView& editor = open(item);
        ASSERT_TRUE(editor.addTagButton());
        ASSERT_FALSE(editor.chips().isEmpty());
        row.press(editor);
        t.turn();
        t.turn();
        EXPECT_EQ(textOf(item.id), row.textAfter);
        QWidget* expected = row.focus(editor);
        ASSERT_TRUE(expected);
        EXPECT_EQ(QApplication::focusWidget(), expected)
            << (QApplication::focusWidget()
                    ? QApplication::focusWidget()->accessibleName().toStdString()
                    : "nothing");
        if (auto* button = qobject_cast<PaintedButton*>(expected)) {
            EXPECT_TRUE(button->showsFocusRing());
        }
        QSignalSpy close(&editor, &ItemEditorView::closeRequested);
        for (int escape = 1; escape <= row.escapesToGoBack; ++escape) {
            ASSERT_TRUE(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            t.turn();
            EXPECT_EQ(close.count(), escape == row.escapesToGoBack ? 1 : 0) << "Escape " << escape;
        }
    }
}

// Escape in the new tag's field gives up the tag being typed and leaves the field for the "+" in
// its place, the editor still open; the next Escape goes back. The tag is never made.
TEST_F(ItemEditorViewTest, EscapeInTheNewTagsFieldLeavesItAndTheNextGoesBack) {
    const TBList list = t.list("Shop");
    const TBItem item = t.item(list, "Peas");
    ItemEditorView& editor = open(item);
    ASSERT_TRUE(editor.addTagButton());
    editor.addTagButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(editor.addTagButton(), Qt::Key_Space);
    t.turn();
    ASSERT_TRUE(editor.newTagField() && editor.newTagField()->hasFocus());
    QTest::keyClicks(editor.newTagField(), "frozen");
    QSignalSpy close(&editor, &ItemEditorView::closeRequested);

    QTest::keyClick(editor.newTagField(), Qt::Key_Escape);
    t.turn();
    EXPECT_EQ(close.count(), 0) << "the editor stays";
    EXPECT_FALSE(editor.newTagField()) << "the field is gone";
    ASSERT_TRUE(editor.addTagButton());
    EXPECT_EQ(QApplication::focusWidget(), editor.addTagButton());
    EXPECT_TRUE(editor.addTagButton()->showsFocusRing());
    EXPECT_EQ(textOf(item.id), "Peas") << "no tag made";

    // The "+" opens an empty field again: the typed name went with the first Escape.
    QTest::keyClick(editor.addTagButton(), Qt::Key_Space);
    t.turn();
    ASSERT_TRUE(editor.newTagField());
    EXPECT_EQ(editor.newTagField()->text(), "");
    QTest::keyClick(editor.newTagField(), Qt::Key_Escape);
    t.turn();
    ASSERT_TRUE(editor.addTagButton());
    QTest::keyClick(editor.addTagButton(), Qt::Key_Escape);
    EXPECT_EQ(close.count(), 1) << "the next Escape goes back";
    view.reset();
    EXPECT_EQ(textOf(item.id), "Peas");
}

// Tab stops on a note's words as well as on its buttons, the note before its delete button, and
// the delete button names its note.
TEST_F(ItemEditorViewTest, TabReachesEachNoteAndItsDeleteButtonNamesIt) {
    const TBItem item = t.item(t.list("Shop"), "Milk");
    ASSERT_TRUE(t.store->addNote("Two cartons", item.id, "", ""));
    t.clock.advance(1);
    ASSERT_TRUE(t.store->addNote("Full cream", item.id, "", ""));
    ItemEditorView& editor = open(item);
    ASSERT_EQ(editor.notes().rows().size(), 2);
    const QList<QWidget*> stops = editor.focusStops();
    QStringList heard;
    for (NoteRowView* row : editor.notes().rows()) {
        ASSERT_TRUE(row->deleteButton());
        EXPECT_GE(stops.indexOf(row), 0);
        EXPECT_LT(stops.indexOf(row), stops.indexOf(row->deleteButton()));
        heard << QAccessible::queryAccessibleInterface(row)->text(QAccessible::Name) + " | " +
                     QAccessible::queryAccessibleInterface(row->deleteButton())
                         ->text(QAccessible::Name);
    }
    EXPECT_EQ(heard, QStringList({"Two cartons | Delete note: Two cartons",
                                  "Full cream | Delete note: Full cream"}));
    // Reached by Tab from the stop before it, the note has the keyboard.
    NoteRowView* first = editor.notes().rows().first();
    ASSERT_GT(stops.indexOf(first), 0);
    stops.at(stops.indexOf(first) - 1)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(first->hasFocus());
    // Ringed, with room round its words; the ring goes with the keyboard.
    QWidget& ring = editor.notes().focusRing();
    EXPECT_TRUE(ring.isVisible());
    const QRect row(first->mapTo(ring.parentWidget(), QPoint(0, 0)), first->size());
    EXPECT_TRUE(ring.geometry().contains(row));
    EXPECT_GT(ring.geometry().width(), row.width());
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_FALSE(first->hasFocus());
    EXPECT_FALSE(ring.isVisible());
}

// A note deleted from the keyboard hands the keyboard to the note that comes into its place, or
// the one before it, or the composer once none is left: never out of the editor.
TEST_F(ItemEditorViewTest, DeletingANoteFromTheKeyboardKeepsTheKeyboardAmongTheNotes) {
    struct Row {
        const char* what;
        QStringList notes;
        int deleted;
        QString focusAfter; // a note's words, or "composer"
    };
    const Row rows[] = {
        {"the first of three: the next", {"One", "Two", "Three"}, 0, "Two"},
        {"the last: the one before", {"One", "Two"}, 1, "One"},
        {"the only one: the composer", {"One"}, 0, "composer"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBItem item = t.item(t.list("Shop"), "Milk");
        for (const QString& note : row.notes) {
            ASSERT_TRUE(t.store->addNote(note, item.id, "", ""));
            t.clock.advance(1);
        }
        ItemEditorView& editor = open(item);
        ASSERT_EQ(editor.notes().rows().size(), row.notes.size());
        QAbstractButton* button = editor.notes().rows().at(row.deleted)->deleteButton();
        ASSERT_TRUE(button);
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Space);
        t.turn();
        t.turn();
        ASSERT_EQ(editor.notes().rows().size(), row.notes.size() - 1);
        QWidget* focused = QApplication::focusWidget();
        ASSERT_TRUE(focused);
        QString at;
        for (NoteRowView* note : editor.notes().rows())
            if (note == focused)
                at = QAccessible::queryAccessibleInterface(note)->text(QAccessible::Name);
        if (focused == &editor.notes().composer().field())
            at = "composer";
        EXPECT_EQ(at, row.focusAfter) << focused->metaObject()->className();
    }
}

// A screen reader hears the editor named by its item as the keyboard goes into it, and the name
// follows a rename made elsewhere.
TEST_F(ItemEditorViewTest, TheEditorIsNamedByItsItem) {
    const TBItem item = t.item(t.list("Shop"), "Oat milk #dairy");
    ItemEditorView& editor = open(item);
    QAccessibleInterface* page = QAccessible::queryAccessibleInterface(&editor);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->text(QAccessible::Name), "Oat milk");
    t.store->renameItem(item.id, "Goat milk #dairy");
    t.turn();
    EXPECT_EQ(page->text(QAccessible::Name), "Goat milk");
}

} // namespace
