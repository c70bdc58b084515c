// The name prompt: when a name may be confirmed, and the sheet's keys and buttons.
#include "ui/components/NamePromptModel.h"
#include "ui/components/NamePromptSheet.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/SheetDialog.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/TextButton.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(NamePromptModelTest, ANameOfOnlyBlanksOrLineBreaksCannotBeConfirmed) {
    struct Row {
        const char* what;
        QString text;
        bool canConfirm;
    };
    const Row rows[] = {
        {"empty", "", false},
        {"spaces", "   ", false},
        {"a tab", "\t", false},
        {"only a line break", "\n", false},
        {"carriage return and line feed", "\r\n", false},
        {"blanks and breaks mixed", " \n\t\r ", false},
        {"a name", "Weekly shop", true},
        {"a name with blanks around it", "  Weekly shop\t", true},
        {"a name after a line break", "\nWeekly", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        NamePromptModel model("New group", "Group name", "Create", row.text);
        EXPECT_EQ(model.canConfirm(), row.canConfirm);
        const std::optional<QString> confirmed = model.confirm();
        EXPECT_EQ(confirmed.has_value(), row.canConfirm);
        // A refused confirmation leaves the text alone; an accepted one empties it.
        EXPECT_EQ(model.text(), row.canConfirm ? QString() : row.text);
    }
}

TEST(NamePromptModelTest, ConfirmingHandsOnTheTextAsTypedAndCancellingEmptiesIt) {
    NamePromptModel model("New group", "Group name", "Create", "  Weekly shop ");
    EXPECT_EQ(model.confirm(), QString("  Weekly shop "));
    EXPECT_EQ(model.text(), "");
    model.setText("Camping");
    model.cancel();
    EXPECT_EQ(model.text(), "");
}

struct Prompt {
    QWidget window;
    NamePromptSheet* sheet = new NamePromptSheet({"New group", "Group name", "Create"}, &window);
    SingleLineField* field = sheet->findChild<SingleLineField*>();
    PrimaryButton* confirm = sheet->findChild<PrimaryButton*>();
    TextButton* cancel = sheet->findChild<TextButton*>();

    Prompt() {
        window.resize(600, 400);
        window.show();
        EXPECT_TRUE(sheet->present());
        QApplication::setActiveWindow(sheet);
        EXPECT_TRUE(QTest::qWaitForWindowActive(sheet));
    }
};

TEST(NamePromptSheetTest, OpensWithTheFocusInTheFieldAndBlankNamesGoNowhere) {
    Prompt prompt;
    ASSERT_TRUE(prompt.field && prompt.confirm && prompt.cancel);
    EXPECT_TRUE(prompt.field->hasFocus());
    QSignalSpy confirmed(prompt.sheet, &NamePromptSheet::confirmed);
    QTest::keyClicks(prompt.field, "   ");
    EXPECT_TRUE(prompt.confirm->isInactive());
    QTest::keyClick(prompt.field, Qt::Key_Return);
    QTest::mouseClick(prompt.confirm, Qt::LeftButton);
    EXPECT_EQ(confirmed.count(), 0);
    EXPECT_TRUE(prompt.sheet->isVisible());
    EXPECT_EQ(prompt.sheet->text(), "   ");
}

TEST(NamePromptSheetTest, ReturnConfirmsWithTheTypedTextThenEmptiesAndCloses) {
    Prompt prompt;
    QString seen;
    QString textDuringConfirm;
    QObject::connect(prompt.sheet, &NamePromptSheet::confirmed, [&](const QString& typed) {
        seen = typed;
        textDuringConfirm = prompt.sheet->text();
    });
    QTest::keyClicks(prompt.field, " Weekly shop ");
    EXPECT_FALSE(prompt.confirm->isInactive());
    QTest::keyClick(prompt.field, Qt::Key_Return);
    EXPECT_EQ(seen, " Weekly shop ");
    EXPECT_EQ(textDuringConfirm, ""); // the model hands the text on and is already empty
    EXPECT_EQ(prompt.sheet->text(), "");
    EXPECT_EQ(prompt.field->text(), "");
    EXPECT_FALSE(prompt.sheet->isVisible());
    EXPECT_EQ(prompt.sheet->result(), QDialog::Accepted);
}

TEST(NamePromptSheetTest, CancelAndEscapeEmptyTheNameAndCloseWithoutConfirming) {
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        Prompt prompt;
        QSignalSpy confirmed(prompt.sheet, &NamePromptSheet::confirmed);
        QTest::keyClicks(prompt.field, "Camping");
        if (escape)
            QTest::keyClick(prompt.field, Qt::Key_Escape);
        else
            QTest::mouseClick(prompt.cancel, Qt::LeftButton);
        EXPECT_EQ(confirmed.count(), 0);
        EXPECT_EQ(prompt.sheet->text(), "");
        EXPECT_FALSE(prompt.sheet->isVisible());
        EXPECT_EQ(prompt.sheet->result(), QDialog::Rejected);
    }
}

TEST(SheetDialogTest, OneSheetAtATimeAndNoButtonIsPressedByReturn) {
    QWidget window;
    window.show();
    SheetDialog first(&window);
    auto* button = new QPushButton("Remove", &first);
    auto* field = new QLineEdit(&first);
    field->move(0, 40);
    QSignalSpy pressed(button, &QPushButton::clicked);
    ASSERT_TRUE(first.present());
    EXPECT_EQ(first.windowModality(), Qt::WindowModal);
    EXPECT_EQ(SheetDialog::shown(), &first);

    SheetDialog second(&window);
    EXPECT_FALSE(second.present());
    EXPECT_FALSE(second.isVisible());

    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return); // a focused QPushButton would be auto-default
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(pressed.count(), 0);
    EXPECT_FALSE(button->isDefault());
    EXPECT_TRUE(first.isVisible());

    first.reject();
    EXPECT_EQ(SheetDialog::shown(), nullptr);
    EXPECT_TRUE(second.present());
    second.reject();
}

} // namespace
