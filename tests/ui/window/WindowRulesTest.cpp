// The window's rules without widgets: pane layout and list selection, the menus, the text-size
// buttons, the cloud refresh throttle and the launch order.
#include "model/TextScale.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "ui/window/CloudRefresher.h"
#include "ui/window/LaunchTask.h"
#include "ui/window/ListSelection.h"
#include "ui/window/PaneLayout.h"
#include "ui/window/TextScaleControls.h"
#include "ui/window/WindowMenus.h"

#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(PaneLayout, TwoPanesOnlyForAKnownRegularWidth) {
    EXPECT_EQ(PaneLayouts::decide(HorizontalSizeClass::regular), PaneLayout::split);
    EXPECT_EQ(PaneLayouts::decide(HorizontalSizeClass::compact), PaneLayout::stack);
    EXPECT_EQ(PaneLayouts::decide(std::nullopt), PaneLayout::stack);
}

TEST(ListSelection, ShowsTheSelectedListOnlyWhileItExists) {
    QList<TBList> lists(2);
    lists[0].id = QStringLiteral("a");
    lists[1].id = QStringLiteral("b");
    const struct {
        const char* what;
        std::optional<QString> selected;
        QList<TBList> lists;
        std::optional<QString> shown;
    } rows[] = {
        {"an existing list", QStringLiteral("b"), lists, QStringLiteral("b")},
        {"a list deleted since", QStringLiteral("gone"), lists, std::nullopt},
        {"ids compare case-sensitively", QStringLiteral("A"), lists, std::nullopt},
        {"nothing selected", std::nullopt, lists, std::nullopt},
        {"no lists at all", QStringLiteral("a"), {}, std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ListSelection::resolve(row.selected, row.lists), row.shown) << row.what;
}

TEST(WindowMenus, TitlesOrderShortcutsAndEnabledStates) {
    struct Line {
        QString menu;
        QString title;
        QString shortcut;
        bool enabled;
        bool separatorBefore;
        bool operator==(const Line&) const = default;
    };
    const auto lines = [](const WindowMenus::State& state) {
        QList<Line> out;
        for (const WindowMenus::Menu& menu : WindowMenus::menus(state)) {
            for (const WindowMenus::Entry& entry : menu.entries)
                out.append({menu.title, entry.title, entry.shortcut, entry.enabled,
                            entry.separatorBefore});
        }
        return out;
    };
    const QList<Line> expected{
        {"Tallybird", "About Tallybird", "", true, false},
        {"Tallybird", "Check for Updates\u2026", "", false, false},
        {"Tallybird", "Settings\u2026", "Ctrl+,", true, true},
        {"Tallybird", "Quit Tallybird", "Ctrl+Q", true, true},
        {"View", "Hide Sidebar", "Ctrl+Alt+S", true, false},
    };
    EXPECT_EQ(lines({}), expected);

    // Only the update check follows the updater; the sidebar command names what it will do.
    QList<Line> changed = expected;
    changed[1].enabled = true;
    changed[4].title = "Show Sidebar";
    EXPECT_EQ(lines({.canCheckForUpdates = true, .sidebarVisible = false}), changed);
    for (const WindowMenus::Menu& menu : WindowMenus::menus({})) {
        for (const WindowMenus::Entry& entry : menu.entries)
            EXPECT_FALSE(entry.title.contains(QStringLiteral("..."))) << entry.title.toStdString();
    }
}

class TextScaleButtons : public testing::Test {
protected:
    void SetUp() override { Defaults::setStandard(defaults); }
    void TearDown() override { Defaults::setStandard(std::make_shared<MemoryDefaults>()); }
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
};

TEST_F(TextScaleButtons, EachStoredStepEnablesAndStoresAsTheRuleSays) {
    using TextScaleControls::Direction;
    const struct {
        const char* what;
        std::optional<QString> stored;
        bool smallerEnabled;
        bool biggerEnabled;
        QString afterSmaller; // what a press stores; the stored text when it is disabled
        QString afterBigger;
    } rows[] = {
        {"nothing stored", std::nullopt, true, true, "small", "large"},
        {"small", "small", false, true, "small", "standard"},
        {"standard", "standard", true, true, "small", "large"},
        {"large", "large", true, true, "standard", "larger"},
        {"larger", "larger", true, true, "large", "largest"},
        {"largest", "largest", true, false, "larger", "largest"},
        {"a text that names no scale", "huge", true, true, "small", "large"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto reset = [&] {
            if (row.stored)
                defaults->setString(TextScale::key, *row.stored);
            else
                defaults->remove(TextScale::key);
        };
        reset();
        const QList<TextScaleControls::Button> buttons = TextScaleControls::buttons(
            TextScale::stored(*defaults), TextScaleControls::Form::window);
        ASSERT_EQ(buttons.size(), 2);
        EXPECT_EQ(buttons[0].enabled, row.smallerEnabled);
        EXPECT_EQ(buttons[1].enabled, row.biggerEnabled);

        TextScaleControls::press(Direction::smaller, *defaults);
        EXPECT_EQ(defaults->string(TextScale::key).value_or("nothing"),
                  row.smallerEnabled ? row.afterSmaller : row.stored.value_or("nothing"));
        reset();
        TextScaleControls::press(Direction::bigger, *defaults);
        EXPECT_EQ(defaults->string(TextScale::key).value_or("nothing"),
                  row.biggerEnabled ? row.afterBigger : row.stored.value_or("nothing"));
    }
}

TEST_F(TextScaleButtons, FourBiggerPressesFromSmallReachLargest) {
    TextScale::store(*defaults, TextScale::small);
    QStringList stored;
    for (int press = 0; press < 5; ++press) {
        TextScaleControls::press(TextScaleControls::Direction::bigger, *defaults);
        stored.append(*defaults->string(TextScale::key));
    }
    EXPECT_EQ(stored, QStringList({"standard", "large", "larger", "largest", "largest"}));
    EXPECT_FALSE(
        TextScaleControls::buttons(TextScale::largest, TextScaleControls::Form::window)[1].enabled);
}

TEST(TextScaleControls, FacesOfBothForms) {
    const auto window =
        TextScaleControls::buttons(TextScale::standard, TextScaleControls::Form::window);
    const auto screen =
        TextScaleControls::buttons(TextScale::standard, TextScaleControls::Form::screen);
    EXPECT_EQ(window[0].symbol, "textformat.size.smaller");
    EXPECT_EQ(window[0].accessibilityLabel, "Smaller text");
    EXPECT_EQ(window[0].toolTip, "Smaller text");
    EXPECT_EQ(window[1].symbol, "textformat.size.larger");
    EXPECT_EQ(window[1].accessibilityLabel, "Bigger text");
    EXPECT_EQ(window[1].toolTip, "Bigger text");
    EXPECT_EQ(screen[0].toolTip, QString());
    EXPECT_EQ(screen[1].toolTip, QString());
}

TEST(CloudRefreshThrottle, AtMostOneRefreshInThreeSecondsOnTheInjectedClock) {
    FixedClock clock(Date(1'000'000));
    int refreshes = 0;
    CloudRefresher refresher(clock, [&] { ++refreshes; });
    const struct {
        const char* what;
        double advance; // seconds since the previous row
        bool starts;
    } rows[] = {
        {"the first activation after launch", 0, true},
        {"at once again", 0, false},
        {"just under three seconds", 2.999, false},
        {"exactly three seconds after the last start", 0.001, true},
        {"2.9 seconds later", 2.9, false},
        {"3.0 seconds after the last start", 0.1, true},
        {"the clock set back an hour", -3600, true},
        {"then a second later, from the new time", 1, false},
        {"a long pause", 600, true},
    };
    int expected = 0;
    for (const auto& row : rows) {
        clock.advance(row.advance);
        refresher.activated();
        expected += row.starts ? 1 : 0;
        EXPECT_EQ(refreshes, expected) << row.what;
        if (row.starts) {
            EXPECT_EQ(refresher.throttle().lastCloudRefresh(), clock.now()) << row.what;
        }
    }
}

TEST(CloudRefresher, EachTickRefreshesWhenDueAndAlwaysAnnouncesTheRepaint) {
    FixedClock clock(Date(5'000));
    int refreshes = 0;
    CloudRefresher refresher(clock, [&] { ++refreshes; });
    QSignalSpy ticks(&refresher, &CloudRefresher::ticked);
    EXPECT_FALSE(refresher.isTicking());
    refresher.start();
    EXPECT_TRUE(refresher.isTicking());

    refresher.activated();
    clock.advance(1);
    refresher.tick(); // within three seconds of the activation: repaint only
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(ticks.count(), 1);
    clock.advance(CloudRefresher::tickMilliseconds / 1000.0);
    refresher.tick(); // whether or not the program is active
    EXPECT_EQ(refreshes, 2);
    EXPECT_EQ(ticks.count(), 2);
}

class RecordingSteps final : public LaunchSteps {
public:
    void startStore() override { done.append("store.start"); }
    void startSyncCoordinator() override { done.append("coordinator.start"); }
    void rebuildDerivedCaches() override { done.append("caches"); }
    void refreshListIndex() override { done.append("index"); }
    QStringList done;
};

TEST(LaunchTask, RunsTheStepsInOrderOnce) {
    RecordingSteps steps;
    LaunchTask task(steps);
    EXPECT_TRUE(task.run());
    EXPECT_FALSE(task.run());
    EXPECT_TRUE(task.hasRun());
    EXPECT_EQ(steps.done, QStringList({"store.start", "coordinator.start", "caches", "index"}));
}

} // namespace
