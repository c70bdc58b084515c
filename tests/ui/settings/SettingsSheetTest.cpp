// The settings sheet's wiring: closing it, pushing a page and coming back, choosing a sound,
// the sound switch, and the appearance applied to the open sheet at once.
#include "ui/settings/SettingsSheet.h"
#include "SettingsTestStore.h"
#include "support/RingGap.h"
#include "ui/components/PaintedButton.h"
#include "ui/components/SegmentedPicker.h"
#include "ui/components/SettingsHeaderBar.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/settings/SettingsDisclosure.h"
#include "ui/settings/SettingsModel.h"
#include "ui/settings/SettingsPieces.h"
#include "ui/settings/SettingsRootPage.h"
#include "ui/settings/SoundPickerPage.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Theme.h"
#include "ui/window/StandardSheets.h"
#include "ui/window/WindowNavigation.h"
#include "ui/window/WindowSheets.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SettingsSheetTest : public ::testing::Test {
protected:
    void open(SettingsSheet::CirclesPageFactory circles = {}) {
        window.resize(900, 800);
        window.show();
        sheet = new SettingsSheet(*test.store, nullptr, {"tallybird"}, {"0.4.1", "57", "abc"},
                                  std::move(circles), &window);
        sheet->present();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        delete sheet.data();
        Theme::setTextScaleFactor(1.0);
    }

    // The clickable row whose accessible label starts with `label`.
    SettingsLink* link(const QString& label) {
        for (SettingsLink* each : sheet->findChildren<SettingsLink*>()) {
            if (QAccessible::queryAccessibleInterface(each)
                    ->text(QAccessible::Name)
                    .startsWith(label))
                return each;
        }
        return nullptr;
    }
    QAbstractButton* button(QWidget* parent, const QString& label) {
        for (QAbstractButton* each : parent->findChildren<QAbstractButton*>()) {
            if (QAccessible::queryAccessibleInterface(each)->text(QAccessible::Name) == label)
                return each;
        }
        return nullptr;
    }
    static void click(QWidget* widget) {
        ASSERT_NE(widget, nullptr);
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(widget->width() - 4, 4));
        QCoreApplication::processEvents();
    }

    SettingsTestStore test;
    QWidget window;
    QPointer<SettingsSheet> sheet;
};

TEST_F(SettingsSheetTest, DoneAndEscapeCloseTheSheet) {
    open();
    ASSERT_TRUE(sheet->isVisible());
    TextButton* done = sheet->rootPage()->header()->findChild<TextButton*>();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->title(), "Done");
    QTest::mouseClick(done, Qt::LeftButton);
    EXPECT_FALSE(sheet->isVisible());

    delete sheet.data();
    open();
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(SettingsSheetTest, APushedPageReplacesTheHeaderUntilBack) {
    open();
    SettingsLink* adding = link("Adding sound, Tick");
    click(adding);
    auto* picker = qobject_cast<SoundPickerPage*>(sheet->pushedPage());
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_FALSE(sheet->rootPage()->header()->isVisible()) << "the whole page is replaced";
    EXPECT_EQ(picker->model().title(), "Adding");

    click(button(picker, "Back"));
    EXPECT_EQ(sheet->pushedPage(), nullptr);
    EXPECT_TRUE(sheet->rootPage()->header()->isVisible()) << "Done is reachable again";
}

TEST_F(SettingsSheetTest, ChoosingASoundStoresAndPlaysItAndTheRowShowsIt) {
    open();
    click(link("Completing sound, Ding"));
    auto* picker = qobject_cast<SoundPickerPage*>(sheet->pushedPage());
    ASSERT_NE(picker, nullptr);
    ASSERT_EQ(picker->rowButtons().size(), 8);
    click(picker->rowButtons()[5]); // Chime
    EXPECT_EQ(test.defaults->string("soundChoice.itemCompleted"), "chime");
    EXPECT_EQ(test.sounds->played, QStringList{"Ping"});
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(picker->rowButtons()[5])->state().selected);

    click(button(picker, "Back"));
    EXPECT_NE(link("Completing sound, Chime"), nullptr) << "the row shows the new choice";
}

TEST_F(SettingsSheetTest, TheSoundSwitchHidesTheSoundRows) {
    open();
    SettingsLink* adding = link("Adding sound");
    ASSERT_NE(adding, nullptr);
    EXPECT_TRUE(adding->isVisible());
    click(button(sheet, "Sound effects"));
    EXPECT_EQ(test.defaults->boolValue("soundEffects"), false);
    EXPECT_FALSE(adding->isVisible());
    click(button(sheet, "Sound effects"));
    EXPECT_TRUE(adding->isVisible());
    EXPECT_EQ(test.sounds->played, QStringList{"Glass"});
}

TEST_F(SettingsSheetTest, ChoosingDarkTurnsTheOpenSheetDarkAtOnce) {
    open();
    EXPECT_FALSE(Theme::isDark());
    auto* picker = sheet->findChild<SegmentedPicker*>();
    ASSERT_NE(picker, nullptr);
    const QList<QAbstractButton*> segments = picker->findChildren<QAbstractButton*>();
    ASSERT_EQ(segments.size(), 3);
    click(segments[2]);
    EXPECT_EQ(test.defaults->string("appearance"), "dark");
    EXPECT_TRUE(Theme::isDark());
    const QImage shot = sheet->grab().toImage();
    EXPECT_LT(shot.pixelColor(shot.width() / 2, shot.height() - 4).lightness(), 60)
        << "the sheet's background is painted dark";
    click(segments[0]);
    EXPECT_FALSE(Theme::isDark()) << "System follows the light desktop again";
}

TEST_F(SettingsSheetTest, TheOpenSheetFollowsSettingsChangedElsewhere) {
    open();
    // As another screen or process would change them: straight in the settings.
    test.defaults->setString("soundChoice.itemAdded", "tap");
    EXPECT_NE(link("Adding sound, Tap"), nullptr);
    test.defaults->setBool("soundEffects", false);
    EXPECT_FALSE(link("Adding sound")->isVisible());
    QAccessibleInterface* sync =
        QAccessible::queryAccessibleInterface(button(sheet, "Sync with the cloud container"));
    EXPECT_EQ(sync->role(), QAccessible::CheckBox);
    EXPECT_TRUE(sync->state().checked);
    test.defaults->setBool("cloudSyncEnabled", false);
    EXPECT_FALSE(button(sheet, "Sync with the cloud container")->isChecked());
    EXPECT_FALSE(sync->state().checked) << "a screen reader hears the switch is off";
    test.defaults->setString("notes.authorName", "Bo");
    EXPECT_EQ(sheet->findChild<QLineEdit*>()->text(), "Bo");
    test.defaults->setString("appearance", "dark");
    EXPECT_EQ(sheet->findChild<SegmentedPicker*>()->selected(), 2);
    EXPECT_TRUE(Theme::isDark());
    test.defaults->setString("appearance", "sepia");
    EXPECT_EQ(sheet->findChild<SegmentedPicker*>()->selected(), 0) << "unknown: shown as System";
    EXPECT_FALSE(Theme::isDark()) << "and applied as System";
}

TEST_F(SettingsSheetTest, TheNameFieldStoresTheTrimmedName) {
    open();
    auto* field = sheet->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->placeholderText(), "Your name");
    QTest::keyClicks(field, " Ann ");
    EXPECT_EQ(field->text(), " Ann ");
    EXPECT_EQ(test.defaults->string("notes.authorName"), "Ann");
}

// The name field stands flush with its row's edges: its ring still goes whole around it, as clear
// of the name as every text field's.
TEST_F(SettingsSheetTest, TheNameFieldsRingKeepsClearOfTheName) {
    open();
    auto* field = sheet->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field, "Ann Lee");
    RingGap::expectClearOfText("Your name", field);
}

TEST_F(SettingsSheetTest, AChevronFoldsItsExplanation) {
    open();
    QAbstractButton* chevron = button(sheet, "About syncing");
    ASSERT_NE(chevron, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(chevron)->text(QAccessible::Value),
              "Collapsed");
    click(chevron);
    EXPECT_TRUE(sheet->model().isOpen(SettingsExplanation::sync));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(chevron)->text(QAccessible::Value), "Expanded");
    auto* details = sheet->findChildren<SettingsDisclosure*>().value(0);
    ASSERT_NE(details, nullptr);
    click(details->titleButton());
    EXPECT_TRUE(details->isOpen());
}

TEST_F(SettingsSheetTest, TheCirclesRowOpensNothingWithoutItsPage) {
    test.store->addCircle("Family");
    open();
    EXPECT_EQ(link("Circles"), nullptr) << "no control that does nothing";
    auto* badge = sheet->findChild<SettingsCountBadge*>();
    ASSERT_NE(badge, nullptr);
    EXPECT_EQ(badge->count(), 1);
    delete sheet.data();

    int backs = 0;
    open([&](QWidget* parent, std::function<void()> back) {
        auto* page = new QWidget(parent);
        ++backs;
        QObject::connect(page, &QObject::objectNameChanged, page, [back] { back(); });
        return page;
    });
    click(link("Circles, a group you share to, 1 circle"));
    ASSERT_NE(sheet->pushedPage(), nullptr);
    sheet->pushedPage()->setObjectName("leave");
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet->pushedPage(), nullptr);
    EXPECT_EQ(backs, 1);
}

TEST_F(SettingsSheetTest, RowTextsFollowTheTextScale) {
    for (const double scale : {1.0, 1.5}) {
        Theme::setTextScaleFactor(scale);
        open();
        QAbstractButton* sync = button(sheet, "Sync with the cloud container");
        ASSERT_NE(sync, nullptr);
        TextLabel* label = nullptr;
        for (TextLabel* each : sheet->findChildren<TextLabel*>())
            if (each->text() == "Sync with the cloud container")
                label = each;
        ASSERT_NE(label, nullptr);
        EXPECT_DOUBLE_EQ(label->font().pointSizeF(), DesignFont::qtPointSize(17 * scale));
        delete sheet.data();
    }
}

TEST_F(SettingsSheetTest, ALongSheetScrollsInsteadOfSqueezingItsTexts) {
    Theme::setTextScaleFactor(1.5);
    open();
    for (SettingsExplanation each :
         {SettingsExplanation::name, SettingsExplanation::sync, SettingsExplanation::sounds,
          SettingsExplanation::technicalDetails})
        sheet->model().toggle(each);
    QCoreApplication::processEvents();
    int checked = 0;
    for (TextLabel* label : sheet->findChildren<TextLabel*>()) {
        if (!label->isVisibleTo(sheet) || !label->wordWrap())
            continue;
        EXPECT_GE(label->height(), label->heightForWidth(label->width()))
            << label->text().toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

// Tab goes round each page of the sheet from its first control, and every stop it makes says
// what it is and shows where the keyboard is: no stop without a name, no scrolling area as a stop.
TEST_F(SettingsSheetTest, EveryTabStopOfTheSheetHasANameAndShowsTheKeyboard) {
    struct Row {
        const char* what;
        std::function<QWidget*(SettingsSheet&)> firstStop;
    };
    const Row rows[] = {
        {"the first page, from Done",
         [](SettingsSheet& sheet) -> QWidget* {
             return sheet.rootPage()->header()->findChild<TextButton*>();
         }},
        {"a sound's page, from Back",
         [this](SettingsSheet& sheet) -> QWidget* {
             click(link("Adding sound, Tick"));
             return sheet.pushedPage() ? button(sheet.pushedPage(), "Back") : nullptr;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        delete sheet.data();
        open();
        QApplication::setActiveWindow(sheet);
        QWidget* first = row.firstStop(*sheet);
        ASSERT_NE(first, nullptr);
        first->setFocus(Qt::TabFocusReason);
        QStringList stops;
        for (int tab = 0; tab < 60; ++tab) {
            QWidget* stop = QApplication::focusWidget();
            ASSERT_NE(stop, nullptr);
            const QString name =
                QAccessible::queryAccessibleInterface(stop)->text(QAccessible::Name);
            stops << name;
            EXPECT_FALSE(name.trimmed().isEmpty())
                << "a nameless stop, a " << stop->metaObject()->className() << ", after "
                << stops.join(" | ").toStdString();
            EXPECT_EQ(qobject_cast<QAbstractScrollArea*>(stop), nullptr)
                << "the scrolling area is a stop after " << stops.join(" | ").toStdString();
            // The first one may have had the focus from the sheet opening, which shows no ring.
            if (auto* button = qobject_cast<PaintedButton*>(stop); button && tab > 0) {
                EXPECT_TRUE(button->showsFocusRing()) << name.toStdString();
            }
            QTest::keyClick(stop, Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                break;
        }
        EXPECT_EQ(QApplication::focusWidget(), first) << "Tab never came round";
        EXPECT_GT(stops.size(), 2);
    }
}

// Shift+Tab from Done goes round to the last control, at the foot of the page, and the page
// scrolls to show it; Tab from there comes back to Done.
TEST_F(SettingsSheetTest, TheKeyboardGoingRoundFromDoneScrollsToTheLastControl) {
    open();
    QApplication::setActiveWindow(sheet);
    QWidget* done = sheet->rootPage()->header()->findChild<TextButton*>();
    ASSERT_NE(done, nullptr);
    done->setFocus(Qt::TabFocusReason);
    QTest::keyClick(done, Qt::Key_Backtab, Qt::ShiftModifier);
    QWidget* last = QApplication::focusWidget();
    ASSERT_NE(last, nullptr);
    ASSERT_NE(last, done);
    auto* scroll = sheet->rootPage()->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    ASSERT_TRUE(scroll->isAncestorOf(last));
    const QRect shown(last->mapTo(scroll->viewport(), QPoint(0, 0)), last->size());
    EXPECT_TRUE(scroll->viewport()->rect().contains(shown))
        << "the last control lies at " << shown.y() << " in a page " << scroll->viewport()->height()
        << " high";
    QTest::keyClick(last, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), done);
}

TEST_F(SettingsSheetTest, TheWindowOffersSettingsOnceTheSheetIsRegistered) {
    WindowSheets sheets;
    WindowNavigation navigation;
    EXPECT_FALSE(sheets.has(WindowSheet::settings));
    addStandardSheets(sheets, *test.store, navigation);
    ASSERT_TRUE(sheets.has(WindowSheet::settings));
    std::unique_ptr<QDialog> made(sheets.make(WindowSheet::settings, {}, &window));
    EXPECT_NE(qobject_cast<SettingsSheet*>(made.get()), nullptr);
}

} // namespace
