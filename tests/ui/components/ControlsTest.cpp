// The buttons, chips, picker and headers: clicks, inactive states and what they announce.
#include "ui/components/Accessibility.h"
#include "ui/components/BrandHeader.h"
#include "ui/components/ContactCircle.h"
#include "ui/components/EmptyState.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/ItemHeaderBar.h"
#include "ui/components/NewGroupPill.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/SegmentedPicker.h"
#include "ui/components/SettingsHeaderBar.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TextButton.h"

#include <QAccessible>
#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(PrimaryButtonTest, AnInactiveButtonTakesNoClickAndAnActiveOneDoes) {
    PrimaryButton button("Create", true);
    button.resize(button.sizeHint());
    button.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    button.setFocus();
    QTest::keyClick(&button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_TRUE(button.isEnabled()); // inactive, not disabled: it is still announced
    button.setInactive(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}

TEST(PrimaryButtonTest, ALongTitleWrapsAndTheButtonGrowsTaller) {
    PrimaryButton button("Make a list for the whole family and everyone else");
    EXPECT_EQ(button.sizeHint().height(), 44);
    EXPECT_GT(button.heightForWidth(160), 44);
    EXPECT_EQ(button.heightForWidth(2000), 44);
}

TEST(FloatingAddButtonTest, InactiveOnlyGreysItAPressStillRuns) {
    FloatingAddButton button("New list", true);
    button.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(button.accessibleName(), "New list");
}

bool announcedSelected(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face && face->state().selected;
}

// Checked as well: what a change is told by on the desktop's accessibility bus.
bool announcedChecked(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face && face->state().checkable && face->state().checked;
}

TEST(SegmentedPickerTest, PressingASegmentSelectsItAndOnlyItIsAnnouncedSelected) {
    SegmentedPicker picker({"System", "Light", "Dark"}, -1);
    picker.resize(360, picker.sizeHint().height());
    picker.show();
    const QList<QAbstractButton*> segments = picker.findChildren<QAbstractButton*>();
    ASSERT_EQ(segments.size(), 3);
    for (QAbstractButton* segment : segments)
        EXPECT_FALSE(announcedSelected(segment)); // a value that is no option: none selected
    EXPECT_EQ(segments.at(0)->width(), segments.at(2)->width()); // equal segments

    QSignalSpy changes(&picker, &SegmentedPicker::selectionChanged);
    QTest::mouseClick(segments.at(1), Qt::LeftButton);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toInt(), 1);
    EXPECT_EQ(picker.selected(), 1);
    EXPECT_FALSE(announcedSelected(segments.at(0)));
    EXPECT_TRUE(announcedSelected(segments.at(1)));
    EXPECT_FALSE(announcedSelected(segments.at(2)));
    for (int i = 0; i < segments.size(); ++i) {
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(segments.at(i))->state().checkable);
        EXPECT_EQ(announcedChecked(segments.at(i)), i == 1) << i;
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(segments.at(1))->text(QAccessible::Name),
              "Light");
}

TEST(HeaderBarsTest, TheirButtonsAskTheHostAndDeleteComesAndGoes) {
    BrandHeader brand;
    QSignalSpy settings(&brand, &BrandHeader::settingsRequested);
    auto* gear = brand.findChild<SymbolButton*>();
    ASSERT_NE(gear, nullptr);
    EXPECT_EQ(gear->accessibleName(), "Settings");
    EXPECT_EQ(gear->sizeHint(), QSize(44, 44));
    gear->click();
    EXPECT_EQ(settings.count(), 1);

    ItemHeaderBar item(true);
    item.show();
    const int height = item.sizeHint().height();
    QSignalSpy back(&item, &ItemHeaderBar::backRequested);
    QSignalSpy removal(&item, &ItemHeaderBar::deleteRequested);
    item.findChild<SymbolButton*>()->click();
    item.findChild<TextButton*>()->click();
    EXPECT_EQ(back.count(), 1);
    EXPECT_EQ(removal.count(), 1);
    item.setCanDelete(false);
    EXPECT_FALSE(item.findChild<TextButton*>()->isVisible());
    EXPECT_EQ(item.sizeHint().height(), height);

    SettingsHeaderBar bar;
    QSignalSpy done(&bar, &SettingsHeaderBar::doneRequested);
    bar.findChild<TextButton*>()->click();
    EXPECT_EQ(done.count(), 1);
}

TEST(EmptyStateTest, TheButtonShowsOnlyWithBothATitleAndAnAction) {
    struct Row {
        const char* what;
        std::optional<QString> title;
        bool action;
        bool button;
    };
    const Row rows[] = {
        {"title and action", QString("New list"), true, true},
        {"title but no action", QString("New list"), false, false},
        {"action but no title", std::nullopt, true, false},
        {"neither", std::nullopt, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        int runs = 0;
        EmptyStateContent content{"No lists yet", "Make one.", "checklist", row.title, {}};
        if (row.action)
            content.action = [&runs] { ++runs; };
        EXPECT_EQ(content.showsButton(), row.button);
        EmptyState state(content);
        auto* button = state.findChild<PrimaryButton*>();
        EXPECT_EQ(button != nullptr, row.button);
        if (button) {
            button->click();
            EXPECT_EQ(runs, 1);
        }
    }
}

TEST(NewGroupPillTest, IconOnlyKeepsTheTitleAsItsNameAndIsNarrower) {
    NewGroupPill pill;
    EXPECT_EQ(pill.sizeHint(), QSize(pill.fullWidth(), 44));
    pill.setIconOnly(true);
    EXPECT_EQ(pill.sizeHint(), QSize(pill.iconOnlyWidth(), 44));
    EXPECT_LT(pill.iconOnlyWidth(), pill.fullWidth());
    EXPECT_EQ(pill.accessibleName(), "New group");
}

TEST(ContactCircleTest, APhotoThatDoesNotDecodeFallsThrough) {
    PersonDisplay::Resolved display;
    display.photo = QByteArray("not an image");
    EXPECT_TRUE(ContactCircle::decodedPhoto(display).isNull());
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    display.photo = png;
    EXPECT_FALSE(ContactCircle::decodedPhoto(display).isNull());
}

} // namespace
