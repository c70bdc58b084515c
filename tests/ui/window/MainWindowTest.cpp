// The window's wiring, offscreen: its menus and toolbar as built from their rules, its sizes,
// the split view, the placeholder, and the content rebuilt at a new text scale.
#include "ui/window/MainWindow.h"
#include "model/ListNavigation.h"
#include "model/SettingsPresentation.h"
#include "model/TextScale.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/components/NoteField.h"
#include "ui/components/ReadingColumn.h"
#include "ui/components/SheetDialog.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/ListDetailView.h"
#include "ui/item/ItemEditorView.h"
#include "ui/item/ItemNameField.h"
#include "ui/item/NoteComposer.h"
#include "ui/item/NotesSectionView.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/ListsScreenModel.h"
#include "ui/theme/Theme.h"
#include "ui/window/ListPlaceholderPane.h"
#include "ui/window/TextScaleToolbarItems.h"
#include "ui/window/UpdateChecker.h"
#include "ui/window/UpdateDialog.h"
#include "ui/window/WindowContent.h"
#include "ui/window/WindowNavigation.h"
#include "ui/window/WindowSheets.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "support/QStringPrinting.h"

#include <memory>

namespace {

class ScriptedBackEnd final : public UpdateBackEnd {
public:
    void start() override { emit canCheckForUpdatesChanged(can); }
    bool canCheckForUpdates() const override { return can; }
    void checkForUpdates() override { ++checks; }
    bool can = false;
    int checks = 0;
};

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        Defaults::setStandard(defaults);
        store = std::make_unique<ListStore>(dir.filePath("store.json"), false, false, *defaults);
        updater = std::make_unique<UpdateChecker>(backEnd);
        window = std::make_unique<MainWindow>(*store, *updater);
    }
    void TearDown() override {
        window.reset();
        Theme::setTextScaleFactor(1.0);
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
    }

    static void dragDivider(QSplitter& splitter, int x) {
        QSplitterHandle* handle = splitter.handle(1);
        const QPoint grip = handle->rect().center();
        const auto send = [&](QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
            QMouseEvent event(type, local, handle->mapToGlobal(local), Qt::LeftButton, buttons,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(handle, &event);
        };
        send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
        const QPoint target = handle->mapFrom(&splitter, QPoint(x, grip.y()));
        send(QEvent::MouseMove, target, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, target, Qt::NoButton);
    }

    QLabel& placeholderTitle() const {
        for (QLabel* label : window->content()->findChildren<QLabel*>()) {
            if (label->text() == "No list open")
                return *label;
        }
        ADD_FAILURE() << "no title";
        static QLabel none;
        return none;
    }

    QAbstractButton* toolButton(int index) const {
        return qobject_cast<QAbstractButton*>(
            window->toolbar()->widgetForAction(window->toolbar()->actions().at(index)));
    }

    QTemporaryDir dir;
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    std::shared_ptr<ScriptedBackEnd> backEnd = std::make_shared<ScriptedBackEnd>();
    std::unique_ptr<ListStore> store;
    std::unique_ptr<UpdateChecker> updater;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, MenuBarHoldsTheCommandsInOrderWithTheirShortcuts) {
    const auto menuLines = [this] {
        QStringList lines;
        for (QAction* menuAction : window->menuBar()->actions()) {
            lines.append(menuAction->text());
            for (QAction* action : menuAction->menu()->actions()) {
                lines.append(action->isSeparator()
                                 ? QStringLiteral("  ---")
                                 : QStringLiteral("  %1 [%2]%3%4")
                                       .arg(action->text(),
                                            action->shortcut().toString(QKeySequence::PortableText),
                                            action->isEnabled() ? "" : " disabled",
                                            action->isVisible() ? "" : " hidden"));
            }
        }
        return lines;
    };
    const auto expected = [](const QString& settings) {
        return QStringList({"Tallybird", "  About Tallybird []",
                            "  Check for Updates\u2026 [] disabled", "  ---",
                            "  Settings\u2026 [Ctrl+,]" + settings, "  ---",
                            "  Quit Tallybird [Ctrl+Q]", "View", "  Hide Sidebar [Ctrl+Alt+S]"});
    };
    if (window->sheets().has(WindowSheet::settings)) {
        EXPECT_EQ(menuLines(), expected(""));
        return;
    }
    // Without its sheet "Settings…" is not offered, however often the commands are refreshed;
    // it appears once the sheet is there.
    EXPECT_EQ(menuLines(), expected(" disabled hidden"));
    window->action(WindowMenus::Command::toggleSidebar)->trigger();
    window->action(WindowMenus::Command::toggleSidebar)->trigger();
    EXPECT_EQ(menuLines(), expected(" disabled hidden"));
    window->sheets().add(WindowSheet::settings,
                         [](QWidget* parent) -> QDialog* { return new SheetDialog(parent); });
    EXPECT_EQ(menuLines(), expected(""));
}

TEST_F(MainWindowTest, CommandsActAndFollowTheirState) {
    QAction* check = window->action(WindowMenus::Command::checkForUpdates);
    backEnd->can = true;
    emit backEnd->canCheckForUpdatesChanged(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(check->isEnabled());
    check->trigger();
    EXPECT_EQ(backEnd->checks, 1);

    SettingsPresentation::shared().setOpen(false);
    if (!window->sheets().has(WindowSheet::settings)) {
        window->action(WindowMenus::Command::settings)->trigger();
        EXPECT_FALSE(SettingsPresentation::shared().isOpen()) << "no settings sheet: no command";
        window->sheets().add(WindowSheet::settings, [](QWidget*) -> QDialog* { return nullptr; });
    }
    window->action(WindowMenus::Command::settings)->trigger();
    EXPECT_TRUE(SettingsPresentation::shared().isOpen());
    SettingsPresentation::shared().setOpen(false);

    QAction* sidebar = window->action(WindowMenus::Command::toggleSidebar);
    sidebar->trigger();
    EXPECT_FALSE(window->content()->sidebarVisible());
    EXPECT_EQ(sidebar->text(), "Show Sidebar");
    sidebar->trigger();
    EXPECT_TRUE(window->content()->sidebarVisible());
    EXPECT_EQ(sidebar->text(), "Hide Sidebar");
}

TEST_F(MainWindowTest, OpensAtItsDefaultSizeAndNeverShrinksBelowTheContentMinimum) {
    window->show();
    EXPECT_EQ(window->size(), QSize(1180, 800));
    window->resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_GE(window->content()->width(), 820);
    EXPECT_GE(window->content()->height(), 560);
}

TEST_F(MainWindowTest, SplitViewKeepsTheSidebarAndDetailWithinTheirWidths) {
    window->show();
    QCoreApplication::processEvents();
    QSplitter* splitter = window->content()->splitter();
    ASSERT_EQ(splitter->count(), 2);
    EXPECT_EQ(splitter->sizes().at(0), 300) << "the sidebar starts at its ideal width";
    EXPECT_EQ(splitter->widget(0)->minimumWidth(), 260);
    EXPECT_EQ(splitter->widget(0)->maximumWidth(), 420);
    EXPECT_EQ(splitter->widget(1)->minimumWidth(), 400);
    EXPECT_FALSE(splitter->childrenCollapsible());
    // Dragging the divider far either way stops at the sidebar's maximum and minimum.
    for (const auto& [x, sidebar] : {std::pair{1100, 420}, std::pair{10, 260}}) {
        dragDivider(*splitter, x);
        EXPECT_EQ(splitter->widget(0)->width(), sidebar) << x;
        EXPECT_GE(splitter->widget(1)->width(), 400) << x;
    }

    // With no list open the detail column shows the placeholder and the title is empty.
    EXPECT_TRUE(window->content()->showsPlaceholder());
    EXPECT_EQ(window->windowTitle(), QString());
    const auto panes = window->findChildren<ListPlaceholderPane*>();
    ASSERT_EQ(panes.size(), 1);
    EXPECT_TRUE(WindowContent::isInDetailPane(panes[0]));
    EXPECT_FALSE(WindowContent::isInDetailPane(window->content()->sidebar()));
}

TEST_F(MainWindowTest, BothNewListControlsOfThePlaceholderAskForANewList) {
    if (!window->sheets().has(WindowSheet::createList))
        window->sheets().add(WindowSheet::createList,
                             [](QWidget* parent) -> QDialog* { return new SheetDialog(parent); });
    window->show();
    ListsScreenModel& lists = window->content()->sidebar()->screen();
    ListPlaceholderPane* pane = window->findChild<ListPlaceholderPane*>();
    for (QAbstractButton* control : {pane->newListButton(), pane->addButton()}) {
        ASSERT_TRUE(control->isVisible());
        QTest::mouseClick(control, Qt::LeftButton);
        EXPECT_EQ(lists.presentedSheet(), ListsScreenModel::Sheet::createList);
        lists.dismissSheet();
    }
    EXPECT_EQ(pane->addButton()->accessibleName(), "New list");
    // In a wide pane the text keeps to a centred reading column.
    window->resize(2400, 900);
    QCoreApplication::processEvents();
    const QRect column = pane->readingColumn()->content()->geometry();
    EXPECT_EQ(column.width(), 640);
    EXPECT_NEAR(column.center().x(), pane->readingColumn()->rect().center().x(), 1);
    EXPECT_EQ(pane->readingColumn()->width(), pane->width()) << "the background fills the pane";
}

TEST_F(MainWindowTest, TextSizeButtonsRebuildTheContentAndKeepTheOpenList) {
    window->show();
    ASSERT_EQ(window->toolbar()->actions().size(), 2);
    QAbstractButton* smaller = toolButton(0);
    QAbstractButton* bigger = toolButton(1);
    EXPECT_EQ(smaller->accessibleName(), "Smaller text");
    EXPECT_EQ(smaller->toolTip(), "Smaller text");
    EXPECT_EQ(bigger->accessibleName(), "Bigger text");

    const QString listID = store->addList("Groceries").id;
    window->navigation().setOpenListID(listID);
    window->content()->setSplitterSizes({350, 830});
    QPointer<WindowContent> before = window->content();
    const double titleSize = placeholderTitle().font().pointSizeF();

    QTest::mouseClick(bigger, Qt::LeftButton);
    EXPECT_EQ(defaults->string(TextScale::key), "large");
    EXPECT_DOUBLE_EQ(Theme::textScaleFactor(), 1.15);
    EXPECT_NEAR(placeholderTitle().font().pointSizeF(), titleSize * 1.15, 0.01)
        << "the fonts of the new content are built at the new scale";
    EXPECT_NE(window->content(), before.data()) << "rebuilt at the new scale";
    EXPECT_EQ(window->navigation().openListID(), listID);
    EXPECT_EQ(window->content()->sidebar()->screen().openListID(), listID)
        << "the rebuilt lists page shows the open list";
    EXPECT_EQ(window->content()->splitterSizes().at(0), 350);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(before.isNull()) << "the old content goes once its slot has returned";

    QTest::mouseClick(bigger, Qt::LeftButton);
    QTest::mouseClick(bigger, Qt::LeftButton);
    EXPECT_EQ(defaults->string(TextScale::key), "largest");
    EXPECT_FALSE(bigger->isEnabled());
    EXPECT_TRUE(smaller->isEnabled());
}

// Removing the open list shows the placeholder, however often the text size was changed
// before or after: the remembered list is restored at launch only.
TEST_F(MainWindowTest, RemovingTheOpenListAfterANewTextSizeShowsThePlaceholder) {
    const struct {
        const char* what;
        QList<int> before; // the toolbar buttons pressed before the removal: 0 A−, 1 A+
        QList<int> after;  // and after it
    } cases[] = {
        {"no new size", {}, {}},
        {"bigger then smaller", {1, 0}, {}},
        {"bigger", {1}, {}},
        {"a new size over the placeholder", {}, {1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        window.reset();
        defaults->remove(TextScale::key);
        store = std::make_unique<ListStore>(dir.filePath(QStringLiteral("%1.json").arg(c.what)),
                                            false, false, *defaults);
        const QString groceries = store->addList("Groceries").id;
        store->addList("Packing");
        defaults->setString("lastOpenedList", groceries);
        window = std::make_unique<MainWindow>(*store, *updater);
        window->show();
        QCoreApplication::processEvents();
        ASSERT_EQ(window->navigation().openListID(), groceries) << "restored at launch";

        for (int button : c.before)
            QTest::mouseClick(toolButton(button), Qt::LeftButton);
        ListsScreenModel& lists = window->content()->sidebar()->screen();
        lists.askToRemove(groceries);
        lists.confirmRemoval();
        QCoreApplication::processEvents();
        for (int button : c.after)
            QTest::mouseClick(toolButton(button), Qt::LeftButton);
        QCoreApplication::processEvents();
        window->content()->refreshDetailNow();

        EXPECT_EQ(window->navigation().openListID(), std::nullopt);
        EXPECT_EQ(window->content()->sidebar()->screen().openListID(), std::nullopt);
        EXPECT_TRUE(window->content()->showsPlaceholder());
        EXPECT_FALSE(defaults->contains("lastOpenedList"));
    }
}

TEST_F(MainWindowTest, ANewTextSizeKeepsTheOpenListsScreenAsItWas) {
    const QString groceries = store->addList("Groceries").id;
    store->addItem(groceries, "Milk #dairy");
    window->show();
    window->navigation().setOpenListID(groceries);
    window->content()->refreshDetailNow();
    window->content()->listScreen().toggleTag("dairy");
    QTest::mouseClick(toolButton(1), Qt::LeftButton);
    window->content()->refreshDetailNow();
    EXPECT_FALSE(window->content()->showsPlaceholder());
    EXPECT_EQ(window->content()->listScreen().state().selectedTag, "dairy");
    EXPECT_EQ(window->content()->listView()->parentWidget()->parentWidget(),
              window->content()->splitter())
        << "the rebuilt content shows the list in its own detail column";
}

TEST_F(MainWindowTest, ANewTextSizeKeepsWhatIsBeingTypedInTheItemEditor) {
    const QString groceries = store->addList("Groceries").id;
    const QString milk = store->addItem(groceries, "Milk #dairy")->id;
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->navigation().setOpenListID(groceries);
    window->content()->refreshDetailNow();
    window->content()->listScreen().openItem(milk);
    window->content()->refreshDetailNow();
    const auto editor = [this] {
        ItemEditorView* open = window->content()->itemEditor();
        EXPECT_NE(open, nullptr);
        return open;
    };
    ASSERT_NE(editor(), nullptr);

    // Typing in the name, then the size changes with the keyboard still in the name field.
    editor()->nameField().setFocus();
    editor()->nameField().moveCursor(QTextCursor::End);
    QTest::keyClicks(&editor()->nameField(), " whole");
    defaults->setString(TextScale::key, "larger");
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->nameField().text(), "Milk whole");
    EXPECT_EQ(QApplication::focusWidget(), &editor()->nameField());
    EXPECT_EQ(store->findItem(milk)->text, "Milk whole #dairy");

    // Half a note, then another size.
    NoteField& note = editor()->notes().composer().field();
    note.setFocus();
    QTest::keyClicks(&note, "the big one");
    defaults->setString(TextScale::key, "largest");
    ASSERT_NE(editor(), nullptr);
    NoteField& rebuilt = editor()->notes().composer().field();
    EXPECT_NE(&rebuilt, &note);
    EXPECT_EQ(rebuilt.text(), "the big one");
    EXPECT_EQ(editor()->model().notes().draft(), "the big one");
    EXPECT_EQ(QApplication::focusWidget(), &rebuilt);
    QTest::keyClicks(&rebuilt, ", please");
    EXPECT_EQ(editor()->model().notes().draft(), "the big one, please");
}

TEST_F(MainWindowTest, ContentReplacedAtANewTextSizeGoesWithAWindowClosedBeforeTheLoopTurns) {
    const QString groceries = store->addList("Groceries").id;
    window->show();
    QPointer<WindowContent> before = window->content();
    QTest::mouseClick(toolButton(1), Qt::LeftButton);
    ASSERT_NE(window->content(), before.data());
    ASSERT_FALSE(before.isNull()) << "the old content waits for the event loop";

    // Left behind, its lists page would follow the shared navigation into a dead store and
    // settings.
    window.reset();
    EXPECT_TRUE(before.isNull());
    ListNavigation::shared().setRequestedListID(groceries);
    ListNavigation::shared().setRequestedListID(std::nullopt);
}

TEST_F(MainWindowTest, TheListsPageAndTheWindowAgreeOnTheOpenList) {
    const QString groceries = store->addList("Groceries").id;
    const QString packing = store->addList("Packing").id;
    window->show();
    QCoreApplication::processEvents();
    ListsScreenModel& lists = window->content()->sidebar()->screen();
    lists.openList(packing);
    EXPECT_EQ(window->navigation().openListID(), packing);
    window->navigation().setOpenListID(groceries);
    EXPECT_EQ(lists.openListID(), groceries);
}

TEST_F(MainWindowTest, AContentReplacedByANewTextSizeGoesWithTheWindow) {
    window->show();
    QPointer<WindowContent> old = window->content();
    defaults->setString(TextScale::key, "larger"); // builds a new content, the old one goes later
    ASSERT_NE(window->content(), old.data());
    ASSERT_FALSE(old.isNull());
    // A refresh the old content asks for now must never run once the window and its store
    // have gone.
    window->navigation().setOpenListID(store->addList("Groceries").id);
    window.reset();
    EXPECT_TRUE(old.isNull());
}

TEST_F(MainWindowTest, AnUpdateCheckShowsWhatTheFeedSaysAsPlainText) {
    window->show();
    emit backEnd->checkFinished({UpdateCheckResult::Kind::available, "9.0", "<b>New</b> & more",
                                 QUrl("https://example.org/get")});
    QCoreApplication::processEvents();
    auto* dialog = window->findChild<UpdateDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    auto* notes = dialog->findChild<QPlainTextEdit*>();
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->toPlainText(), "<b>New</b> & more");
    EXPECT_TRUE(notes->isReadOnly());
    ASSERT_NE(dialog->openDownloadButton(), nullptr);
    EXPECT_EQ(dialog->openDownloadButton()->text(), "Open Download Page");
    dialog->reject();
}

TEST_F(MainWindowTest, AScreensOwnTextSizeButtonsFollowTheSameRule) {
    EXPECT_EQ(TextScaleToolbarItems::make(false, *defaults), nullptr) << "hidden: nothing added";
    defaults->setString(TextScale::key, "larger");
    std::unique_ptr<TextScaleToolbarItems> items(TextScaleToolbarItems::make(true, *defaults));
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(items->smallerButton()->accessibleName(), "Smaller text");
    EXPECT_EQ(items->biggerButton()->accessibleName(), "Bigger text");
    EXPECT_EQ(items->biggerButton()->toolTip(), QString()) << "no tooltips in a screen's toolbar";
    items->show();
    QTest::mouseClick(items->biggerButton(), Qt::LeftButton);
    EXPECT_EQ(defaults->string(TextScale::key), "largest");
    EXPECT_FALSE(items->biggerButton()->isEnabled());
    EXPECT_TRUE(items->smallerButton()->isEnabled());
}

TEST_F(MainWindowTest, BringToFrontShowsAHiddenOrMinimisedWindow) {
    window->bringToFront();
    EXPECT_TRUE(window->isVisible());
    window->showMinimized();
    window->bringToFront();
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(MainWindowTest, TheFirstPaintIsAnnouncedOnce) {
    QSignalSpy painted(window.get(), &MainWindow::firstFramePainted);
    window->show();
    EXPECT_TRUE(painted.wait(5'000));
    window->update();
    window->repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(painted.count(), 1);
}

} // namespace
