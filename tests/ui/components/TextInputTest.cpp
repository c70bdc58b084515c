// The text fields: line breaks kept out of one-line fields, Return in the add field and in the
// note field, and the note field's growth.
#include "ui/components/AddItemField.h"
#include "ui/components/NoteField.h"
#include "ui/components/SingleLineField.h"
#include "ui/item/ItemNameField.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SingleLineFieldTest, EveryLineBreakBecomesOneSpace) {
    struct Row {
        const char* what;
        QString text;
        int cursor;
        QString flattened;
        int movedCursor;
    };
    const Row rows[] = {
        {"nothing to do", "milk", 4, "milk", 4},
        {"line feed", "milk\neggs", 9, "milk eggs", 9},
        {"carriage return and line feed are one break", "milk\r\neggs", 10, "milk eggs", 9},
        {"a lone carriage return", "milk\reggs", 9, "milk eggs", 9},
        {"two breaks are two spaces", "a\n\nb", 4, "a  b", 4},
        {"Unicode line and paragraph separators",
         QString("a") + QChar(0x2028) + "b" + QChar(0x2029), 4, "a b ", 4},
        {"next line, vertical tab, form feed", QString("a") + QChar(0x85) + "b\vc\fd", 7, "a b c d",
         7},
        {"cursor before a CR LF stays put", "ab\r\ncd", 1, "ab cd", 1},
        {"only line breaks", "\n\r\n", 3, "  ", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        int cursor = row.cursor;
        EXPECT_EQ(SingleLineField::flatten(row.text, &cursor), row.flattened);
        EXPECT_EQ(cursor, row.movedCursor);
    }
}

TEST(SingleLineFieldTest, PastedAndSetLineBreaksArriveAsSpaces) {
    SingleLineField field;
    field.show();
    field.setFocus();
    QGuiApplication::clipboard()->setText("Salt\nand\r\npepper");
    QTest::keySequence(&field, QKeySequence::Paste);
    EXPECT_EQ(field.text(), "Salt and pepper");
    field.setText("a\nb");
    EXPECT_EQ(field.text(), "a b");
}

TEST(AddItemFieldTest, ReturnSubmitsOnceAndKeepsTheFocusForTheNextItem) {
    QWidget window;
    auto* field = new AddItemField(true, &window);
    auto* elsewhere = new QLineEdit(&window);
    elsewhere->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(field->hasFocus()); // shown with the host wanting the focus

    QSignalSpy submitted(field, &AddItemField::submitted);
    // The host handles the text by moving the focus away; the field takes it back.
    QObject::connect(field, &AddItemField::submitted, elsewhere, [&] { elsewhere->setFocus(); });
    QTest::keyClicks(field, "Milk");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(submitted.count(), 1);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_TRUE(field->isFocused());
}

TEST(AddItemFieldTest, FocusFollowsTheHostAndTheHostLearnsOfTheUsersFocus) {
    QWidget window;
    auto* field = new AddItemField(false, &window);
    auto* elsewhere = new QLineEdit(&window);
    elsewhere->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    elsewhere->setFocus();
    QSignalSpy changes(field, &AddItemField::focusedChanged);

    field->setFocused(true); // the host asks
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(changes.count(), 0); // no echo of the host's own wish

    elsewhere->setFocus(Qt::MouseFocusReason); // the user clicks elsewhere
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toBool(), false);
    EXPECT_FALSE(field->isFocused());
}

TEST(NoteFieldTest, ReturnSubmitsAndShiftReturnBreaksTheLine) {
    NoteField field;
    field.show();
    QSignalSpy submitted(&field, &NoteField::submitted);
    QTest::keyClicks(&field, "Ripe");
    QTest::keyClick(&field, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&field, "ones");
    EXPECT_EQ(field.text(), "Ripe\nones");
    EXPECT_EQ(submitted.count(), 0);
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(submitted.count(), 1);
    EXPECT_EQ(field.text(), "Ripe\nones"); // the host decides what becomes of the text
}

TEST(NoteFieldTest, GrowsFromOneToSixLinesThenScrolls) {
    NoteField field;
    field.resize(300, field.sizeHint().height());
    field.show();
    const int oneLine = field.height();
    EXPECT_EQ(field.visibleLines(), 1);
    field.setText("one\ntwo\nthree");
    EXPECT_EQ(field.visibleLines(), 3);
    EXPECT_GT(field.height(), oneLine);
    field.setText("1\n2\n3\n4\n5\n6\n7");
    EXPECT_EQ(field.visibleLines(), 6);
    const int sixLines = field.height();
    field.setText("1\n2\n3\n4\n5\n6\n7\n8\n9");
    EXPECT_EQ(field.height(), sixLines);
    EXPECT_EQ(field.verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    field.clear();
    EXPECT_EQ(field.height(), oneLine);
}

TEST(GrowingTextFieldTest, TheNameFieldGrowsWithItsWrappedTextAndNeverScrolls) {
    ItemNameField field;
    field.resize(300, field.sizeHint().height());
    field.show();
    const int oneLine = field.height();
    EXPECT_EQ(field.visibleLines(), 1);
    field.replaceText(QString("A long name for one item ").repeated(12));
    EXPECT_GT(field.visibleLines(), 6) << "no six-line limit for a name";
    EXPECT_EQ(field.height(), field.visibleLines() * field.fontMetrics().lineSpacing());
    EXPECT_EQ(field.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    const int wrapped = field.visibleLines();
    field.resize(600, field.height()); // wider: fewer lines, a lower field
    EXPECT_LT(field.visibleLines(), wrapped);
    EXPECT_EQ(field.height(), field.visibleLines() * field.fontMetrics().lineSpacing());
    field.replaceText(QString());
    EXPECT_EQ(field.height(), oneLine);
}

} // namespace
