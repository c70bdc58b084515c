// The sheet sharing opens into: what the window's registry makes of a request, and how the sheet
// lays out its two lines at each text size. Nothing in the window opens it yet, so these tests
// open it directly.
#include "PeopleTestStore.h"

#include "../../sync/SyncTestSupport.h"
#include "support/TextScaleGuard.h"
#include "ui/components/TextLabel.h"
#include "ui/people/CloudSharingSheetView.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"
#include "ui/window/StandardSheets.h"
#include "ui/window/WindowNavigation.h"
#include "ui/window/WindowSheets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLayout>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

cloud::Record shareOf(const QString& listID) {
    return cloud::Record::zoneWideShare(cloud::ZoneID{"TB-" + listID});
}

class CloudSharingSheetTest : public ::testing::Test {
protected:
    CloudSharingSheetTest() { addStandardSheets(sheets, *people.store, navigation); }

    // The registry's sheet for `subject`, or null when it made none.
    std::unique_ptr<CloudSharingSheetView> make(const WindowSheetSubject& subject) {
        QDialog* dialog = sheets.make(WindowSheet::cloudSharing, subject, &window);
        auto* sheet = qobject_cast<CloudSharingSheetView*>(dialog);
        EXPECT_EQ(sheet, dialog) << "another kind of sheet";
        return std::unique_ptr<CloudSharingSheetView>(sheet);
    }

    PeopleTestStore people;
    WindowNavigation navigation;
    WindowSheets sheets;
    QWidget window;
};

TEST_F(CloudSharingSheetTest, TheWindowMakesItForAShareAndNothingWithoutOne) {
    EXPECT_TRUE(sheets.has(WindowSheet::cloudSharing));
    const TBList groceries = people.store->addList("Groceries");
    int changes = 0;
    struct Row {
        const char* what;
        std::optional<TBList> list;
        bool share;
        QString message; // empty: no sheet
    };
    const Row rows[] = {
        {"a list with its share", groceries, true,
         "Invite people with tallybird-cloud for now. Groceries will keep syncing here."},
        {"a list that has gone", std::nullopt, true,
         "Invite people with tallybird-cloud for now. List will keep syncing here."},
        {"no share", groceries, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WindowSheetSubject subject;
        subject.list = row.list;
        if (row.share)
            subject.share = shareOf(groceries.id);
        subject.shareChanged = [&changes] { ++changes; };
        const std::unique_ptr<CloudSharingSheetView> sheet = make(subject);
        if (row.message.isEmpty()) {
            EXPECT_FALSE(sheet);
            continue;
        }
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->titleLabel()->text(), "Sharing is not available on this computer yet");
        EXPECT_EQ(sheet->messageLabel()->text(), row.message);
        EXPECT_EQ(sheet->windowTitle(), sheet->titleLabel()->text());
        EXPECT_EQ(sheet->sheet().share, shareOf(groceries.id));
        EXPECT_FALSE(sheet->sheet().container) << "this store has no cloud";
        const int before = changes;
        ASSERT_TRUE(sheet->sheet().onChange);
        sheet->sheet().onChange();
        EXPECT_EQ(changes, before + 1) << "the screen's action is the one the sheet holds";
        EXPECT_TRUE(sheet->findChildren<QAbstractButton*>().isEmpty());
    }
}

TEST_F(CloudSharingSheetTest, ItHoldsTheContainerTheStoreSyncsThrough) {
    const std::shared_ptr<cloud::Container> container = cloud::Container::inMemory();
    synctest::Device ann(container, "annLaptop");
    WindowSheets annSheets;
    addStandardSheets(annSheets, ann.store(), navigation);
    WindowSheetSubject subject;
    subject.list = ann.store().addList("Groceries");
    subject.share = shareOf(subject.list->id);
    std::unique_ptr<QDialog> sheet(annSheets.make(WindowSheet::cloudSharing, subject, &window));
    auto* view = qobject_cast<CloudSharingSheetView*>(sheet.get());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->sheet().container, container);
}

TEST_F(CloudSharingSheetTest, TwoCentredLinesInScaledFontsWithTheirSpacingAndPadding) {
    const struct {
        const char* what;
        double scale;
    } scales[] = {{"standard text", 1.0}, {"the largest text", 1.5}};
    const TBList list = people.store->addList("A rather long list name for the weekend away");
    for (const auto& scale : scales) {
        SCOPED_TRACE(scale.what);
        TextScaleGuard guard(scale.scale);
        WindowSheetSubject subject;
        subject.list = list;
        subject.share = shareOf(list.id);
        const std::unique_ptr<CloudSharingSheetView> sheet = make(subject);
        ASSERT_TRUE(sheet);
        sheet->setWindowModality(Qt::NonModal);
        sheet->show();
        QApplication::processEvents();

        const TextLabel* title = sheet->titleLabel();
        const TextLabel* message = sheet->messageLabel();
        EXPECT_DOUBLE_EQ(title->font().pointSizeF(), DesignFont::qtPointSize(17 * scale.scale));
        EXPECT_DOUBLE_EQ(message->font().pointSizeF(), DesignFont::qtPointSize(15 * scale.scale));
        EXPECT_EQ(title->font().weight(), QFont::Normal);
        EXPECT_EQ(message->font().weight(), QFont::Normal);
        EXPECT_EQ(message->colour(), Theme::Colour::onSurfaceVariant);
        EXPECT_EQ(title->colour(), Theme::Colour::onSurface);
        EXPECT_EQ(title->textFormat(), Qt::PlainText);
        EXPECT_EQ(message->textFormat(), Qt::PlainText);
        for (const TextLabel* line : {title, message}) {
            EXPECT_TRUE(line->alignment() & Qt::AlignHCenter);
            EXPECT_TRUE(line->wordWrap());
        }

        EXPECT_EQ(sheet->minimumWidth(), 320);
        EXPECT_GE(sheet->width(), 320);
        const QRect titleBox = title->geometry();
        const QRect messageBox = message->geometry();
        EXPECT_EQ(messageBox.top() - titleBox.bottom() - 1, 12) << "the spacing between them";
        EXPECT_EQ(titleBox.left(), 24);
        EXPECT_EQ(sheet->width() - titleBox.right() - 1, 24);
        EXPECT_EQ(sheet->height() - messageBox.bottom() - 1, titleBox.top())
            << "as much room below as above";
        EXPECT_GE(titleBox.top(), 24);
        EXPECT_GT(message->height(), QFontMetrics(message->font()).height())
            << "the long name wraps onto a second line at the least width";
    }
}

TEST_F(CloudSharingSheetTest, TheListsNameIsShownAsTypedAndEscapeClosesTheSheet) {
    WindowSheetSubject subject;
    subject.list = people.store->addList("<b>Tools</b> & stuff");
    subject.share = shareOf(subject.list->id);
    window.show();
    bool closed = false;
    sheets.present(WindowSheet::cloudSharing, subject, &window, &window, [&] { closed = true; });
    QApplication::processEvents();
    auto* sheet = qobject_cast<CloudSharingSheetView*>(sheets.presented());
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->messageLabel()->text().contains("<b>Tools</b> & stuff will keep syncing"));
    QTest::keyClick(sheet, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(closed);
}

} // namespace
