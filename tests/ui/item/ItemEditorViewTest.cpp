// The item editor's wiring, offscreen: Back and focus loss write the name once, the composer's
// Return and Shift+Return, and the controls a read-only list leaves.
#include "ui/item/ItemEditorView.h"
#include "ItemEditorTestBase.h"
#include "model/ItemNotes.h"
#include "ui/components/ItemHeaderBar.h"
#include "ui/components/NoteField.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/item/ItemNameField.h"
#include "ui/item/NoteComposer.h"
#include "ui/item/NoteRowView.h"
#include "ui/item/NotesSectionView.h"
#include "ui/item/TickButton.h"

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

} // namespace
