// A user's sessions with the real program on a real X server (run under xvfb-run by CTest). Each
// launch is the real program (ProgramMain::run, as main() runs it) in a child process of this
// test, on one profile and store file; its steps run in the program's window, clicking and
// typing as a user would, and the last one quits with Ctrl+Q. Between launches the test looks at
// the store through the command line. A later screen adds its own steps: a named function,
// listed in `journey()`.
#include "ProgramMain.h"
#include "ScreenReader.h"
#include "cloud/Container.h"
#include "model/SettingsPresentation.h"
#include "model/TBItem.h"
#include "store/ListStore.h"
#include "support/PostgresTestServer.h"
#include "support/QStringPrinting.h"
#include "ui/components/AccessibleRows.h"
#include "ui/components/AddItemField.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/ItemHeaderBar.h"
#include "ui/components/NewGroupPill.h"
#include "ui/components/NoteField.h"
#include "ui/components/PaintedButton.h"
#include "ui/components/SettingsHeaderBar.h"
#include "ui/components/SheetDialog.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/detail/AddItemBar.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ItemRowGeometry.h"
#include "ui/detail/ItemRowText.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/ListDetailView.h"
#include "ui/detail/TagChipBar.h"
#include "ui/detail/TagFilterBar.h"
#include "ui/editor/DueDatePicker.h"
#include "ui/editor/KindRowButton.h"
#include "ui/editor/ListEditorSheet.h"
#include "ui/editor/SwitchRow.h"
#include "ui/item/ItemEditorView.h"
#include "ui/item/ItemNameField.h"
#include "ui/item/NoteComposer.h"
#include "ui/item/NoteRowView.h"
#include "ui/item/NotesSectionView.h"
#include "ui/lists/LabelButton.h"
#include "ui/lists/ListRemovalAlert.h"
#include "ui/lists/ListsFooter.h"
#include "ui/lists/ListsHeading.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/ListsScreenModel.h"
#include "ui/lists/PageListView.h"
#include "ui/lists/PageRowDelegate.h"
#include "ui/settings/SettingsRootPage.h"
#include "ui/settings/SettingsSheet.h"
#include "ui/window/MainWindow.h"
#include "ui/window/StoreNoticeBanner.h"
#include "ui/window/StoreNoticeModel.h"
#include "ui/window/WindowContent.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr const char* launchFlag = "--journey-launch";
constexpr int waitMs = 10'000;

// What a step works with: the program's window, and the profile's paths for requests.
class Session {
public:
    Session(MainWindow& window, QStringList profileArguments)
        : window_(window), profileArguments_(std::move(profileArguments)) {}

    MainWindow& window() const { return window_; }
    ScreenReader& reader() { return reader_; }
    const QStringList& profileArguments() const { return profileArguments_; }
    WindowContent& content() const { return *window_.content(); }
    ListsScreenModel& lists() const { return content().sidebar()->screen(); }
    ListDetailModel& listScreen() const { return content().listScreen(); }

    // Clicks the toolbar's smaller (0) or bigger (1) text button.
    bool clickTextSizeButton(int which) {
        QToolBar* toolbar = window_.toolbar();
        QWidget* button = toolbar && toolbar->actions().size() > which
                              ? toolbar->widgetForAction(toolbar->actions().at(which))
                              : nullptr;
        if (!button || !button->isEnabled())
            return fail(QStringLiteral("no text size button %1").arg(which));
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }

    // Says what went wrong; the step returns false after it.
    bool fail(const QString& what) {
        failure_ = what;
        return false;
    }
    const QString& failure() const { return failure_; }

    // Waits, running the program, until `condition` holds; false (with `what` said) when it
    // never does.
    bool waitFor(const std::function<bool()>& condition, const QString& what) {
        return QTest::qWaitFor(condition, waitMs) || fail(QStringLiteral("never: ") + what);
    }

    // The name of the list the detail column shows; empty while it shows the placeholder.
    QString shownList() const {
        if (content().showsPlaceholder() || !listScreen().snapshot().hero)
            return {};
        return listScreen().snapshot().hero->name;
    }

    // A click on the row of the list of that name, in the sidebar.
    bool clickList(const QString& name) {
        PageListView& view = *content().sidebar()->rowsView();
        QRect rect;
        const bool laidOut = waitFor(
            [&] {
                for (int row = 0; row < lists().rows().rowCount(); ++row) {
                    const auto& row_ = lists().rows().content(row);
                    if (!row_.isHeader() && row_.row.list.name == name)
                        rect = view.visualRect(lists().rows().index(row));
                }
                return rect.isValid() && view.viewport()->rect().contains(rect.center());
            },
            QStringLiteral("a row for ") + name);
        if (!laidOut)
            return false;
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        return true;
    }

    // The item of that text in the open list, as the list screen shows it.
    std::optional<TBItem> shownItem(const QString& text) const {
        for (const TBItem& item : listScreen().snapshot().items)
            if (item.text == text)
                return item;
        return std::nullopt;
    }

    // A click on the tick of the item of that text in the open list.
    bool clickTick(const QString& text) { return clickItem(text, &ItemRowGeometry::tick); }
    // A click on the words of the item of that text in the open list: it opens the item.
    bool clickItemText(const QString& text) { return clickItem(text, &ItemRowGeometry::text); }

    // A key pressed on the keyboard: it reaches the window as the desktop's keys do, through
    // the window's shortcuts and then whatever has the focus.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window_.windowHandle(), key, modifiers);
        QCoreApplication::processEvents();
    }
    void type(const QString& text) {
        for (const QChar c : text)
            QTest::keyClick(window_.windowHandle(), c.toLatin1());
        QCoreApplication::processEvents();
    }
    // Presses Tab until `arrived` holds, at most once round the window; false when it never does.
    bool tabTo(const std::function<bool()>& arrived, const QString& what) {
        for (int tab = 0; tab < 40 && !arrived(); ++tab)
            key(Qt::Key_Tab);
        return arrived() || fail(QStringLiteral("Tab never reached ") + what);
    }
    // What the keyboard is on in the open list: the item's text, or empty.
    QString keyboardItem() const {
        const DetailItemsView& items = content().listView()->items();
        const QModelIndex index = items.currentIndex();
        if (!items.hasFocus() || !index.isValid() ||
            items.rows().row(index.row()).kind != DetailRow::Kind::item)
            return {};
        return items.rows().row(index.row()).item.text;
    }

    // A request typed in another terminal while the program runs; true once it ended well,
    // having said `reply`.
    bool request(const QStringList& words, const QString& reply) {
        QProcess process;
        process.start(QStringLiteral(TALLYBIRD_EXECUTABLE), profileArguments_ + words);
        if (!waitFor([&] { return process.state() == QProcess::NotRunning; },
                     words.join(' ') + QStringLiteral(" to end")))
            return false;
        const QString said = QString::fromUtf8(process.readAllStandardOutput()) +
                             QString::fromUtf8(process.readAllStandardError());
        return (process.exitCode() == 0 && said == reply) ||
               fail(words.join(' ') +
                    QStringLiteral(" ended with %1 and said: ").arg(process.exitCode()) +
                    said.trimmed());
    }

private:
    bool clickItem(const QString& text, QRect ItemRowGeometry::*part) {
        DetailItemsView& items = content().listView()->items();
        QRect rect;
        const bool laidOut = waitFor(
            [&] {
                for (int row = 0; row < items.rows().rowCount(); ++row) {
                    const DetailRow& shown = items.rows().row(row);
                    if (shown.kind == DetailRow::Kind::item && shown.item.text == text)
                        rect = items.visualRect(items.rows().index(row));
                }
                return rect.isValid() && items.viewport()->rect().contains(rect.center());
            },
            QStringLiteral("a row for ") + text);
        if (!laidOut)
            return false;
        const QPoint at = (ItemRowGeometry::of(rect, listScreen().mayWrite()).*part).center();
        QTest::mouseClick(items.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        return true;
    }

    MainWindow& window_;
    QStringList profileArguments_;
    QString failure_;
    ScreenReader reader_;
};

// --- The steps ---

bool findTheFirstListOpenAtLaunch(Session& s) {
    return s.waitFor([&] { return s.lists().rows().rowCount() == 2; },
                     "two lists in the sidebar") &&
           s.waitFor([&] { return s.shownList() == "Groceries"; }, "Groceries open at launch");
}

bool openPackingByAClick(Session& s) {
    return s.clickList("Packing") &&
           s.waitFor([&] { return s.shownList() == "Packing"; }, "Packing in the detail");
}

bool tickSocksByAClick(Session& s) {
    return s.clickTick("Socks") &&
           s.waitFor([&] { return s.shownItem("Socks").value_or(TBItem()).done; }, "Socks ticked");
}

// The round "+" of the sidebar opens the list editor with the name ready for typing; a name, the
// ongoing kind and Create make the list, and the window opens it.
bool makeAList(Session& s) {
    QTest::mouseClick(s.content().sidebar()->footer()->addButton(), Qt::LeftButton);
    ListEditorSheet* editor = nullptr;
    if (!s.waitFor(
            [&] {
                editor = qobject_cast<ListEditorSheet*>(SheetDialog::shown());
                return editor && editor->isVisible() && editor->nameField()->hasFocus();
            },
            "the list editor with its name field focused"))
        return false;
    QTest::keyClicks(editor->nameField(), "Weekend jobs");
    QTest::mouseClick(editor->kindRows().at(1), Qt::LeftButton);
    QTest::mouseClick(editor->confirmButton(), Qt::LeftButton);
    return s.waitFor([&] { return s.shownList() == "Weekend jobs"; },
                     "Weekend jobs open in the detail") &&
           s.waitFor([&] { return s.lists().rows().rowCount() == 3; }, "three lists");
}

bool openGroceriesByARequest(Session& s) {
    return s.request({"open", "--list", "Groceries"}, "") &&
           s.waitFor([&] { return s.shownList() == "Groceries"; }, "Groceries in the detail") &&
           s.waitFor([&] { return s.lists().openListID() == s.listScreen().listID(); },
                     "Groceries' row highlighted");
}

bool addItemsInTheAddBar(Session& s) {
    AddItemField& field = *s.content().listView()->addBar().field();
    if (!s.waitFor([&] { return field.isVisible(); }, "the add field"))
        return false;
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    QTest::mouseClick(&field, Qt::LeftButton);
    if (!s.waitFor([&] { return field.hasFocus(); }, "the add field focused"))
        return false;
    // "Goat milk" is like "Oat milk #dairy": it is proposed the same tag.
    QTest::keyClicks(&field, "Goat milk");
    QTest::keyClick(&field, Qt::Key_Return);
    if (!s.waitFor([&] { return s.shownItem("Goat milk #dairy").has_value(); },
                   "Goat milk added with its tag"))
        return false;
    if (!field.hasFocus() || !field.text().isEmpty())
        return s.fail("the add field did not stay focused and empty");
    QTest::keyClicks(&field, "   ");
    QTest::keyClick(&field, Qt::Key_Return);
    QTest::keyClicks(&field, "Rye bread");
    QTest::keyClick(&field, Qt::Key_Return);
    return s.waitFor([&] { return s.listScreen().snapshot().items.size() == 3; },
                     "Rye bread added, the blank draft not");
}

// Two lines pasted into the add field are two items, said in an alert that takes the focus;
// Return closes it, and typing goes on in the add field.
bool pasteTwoLinesAndCloseTheAlertWithReturn(Session& s) {
    AddItemField& field = *s.content().listView()->addBar().field();
    const int before = int(s.listScreen().snapshot().items.size());
    QGuiApplication::clipboard()->setText(QStringLiteral("Eggs\nTea\n"));
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    QMessageBox* alert = nullptr;
    if (!s.waitFor(
            [&] {
                alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                return alert && alert->isVisible() && QApplication::activeWindow() == alert;
            },
            "the alert shown and active"))
        return false;
    if (alert->text() != QStringLiteral("Added 2 items."))
        return s.fail(QStringLiteral("the alert said: ") + alert->text());
    if (s.listScreen().snapshot().items.size() != before + 2 || !s.shownItem("Eggs") ||
        !s.shownItem("Tea"))
        return s.fail(QStringLiteral("the lines were not added as two items"));
    const QPointer<QMessageBox> shown = alert;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    return s.waitFor([&] { return !shown || !shown->isVisible(); }, "the alert closed by Return") &&
           s.waitFor([&] { return field.hasFocus(); }, "the add field focused again") &&
           (field.text().isEmpty() || s.fail("the lines went into the add field"));
}

bool editAnItem(Session& s) {
    if (!s.clickItemText("Oat milk #dairy") ||
        !s.waitFor([&] { return s.content().itemEditor() != nullptr; }, "the item's editor"))
        return false;
    ItemEditorView& editor = *s.content().itemEditor();
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    QTest::mouseClick(editor.nameField().viewport(), Qt::LeftButton);
    QTest::keyClick(&editor.nameField(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&editor.nameField(), " 2L");
    NoteField& note = editor.notes().composer().field();
    QTest::mouseClick(note.viewport(), Qt::LeftButton); // the name is written as it loses focus
    if (!s.waitFor([&] { return s.shownItem("Oat milk 2L #dairy").has_value(); },
                   "the name written when the field lost focus"))
        return false;
    // Half a note, then a bigger text: the editor is built anew around what is being typed.
    QTest::keyClicks(&note, "Unsweet");
    if (!s.clickTextSizeButton(1))
        return false;
    QWidget* typing = QApplication::focusWidget();
    if (!typing || typing == &note ||
        !(s.content().itemEditor() &&
          typing == &s.content().itemEditor()->notes().composer().field()))
        return s.fail("the keyboard left the note at a new text size");
    QTest::keyClicks(typing, "ened");
    QTest::keyClick(typing, Qt::Key_Return);
    if (!s.waitFor(
            [&] {
                return s.shownItem("Oat milk 2L #dairy")
                    .value_or(TBItem())
                    .notes.contains("Unsweetened");
            },
            "the note added"))
        return false;
    if (!s.clickTextSizeButton(0))
        return false;
    QTest::mouseClick(s.content().itemEditor()->header().findChild<SymbolButton*>(),
                      Qt::LeftButton);
    return s.waitFor(
        [&] { return !s.content().itemEditor() && s.content().listView()->isVisible(); },
        "back on the list");
}

// --- What a screen reader finds (over the accessibility bus when the test has one) ---

using ReaderTree = QList<ScreenReader::Element>;

std::optional<ReaderTree> readerTree(Session& s) {
    std::optional<ReaderTree> tree = s.reader().tree();
    if (!tree)
        s.fail(s.reader().failure());
    return tree;
}

bool readerAct(Session& s, const QString& name, const QString& action = QStringLiteral("Press")) {
    return s.reader().act(name, action) || s.fail(s.reader().failure());
}

const ScreenReader::Element* elementNamed(const ReaderTree& tree, const QString& name) {
    for (const ScreenReader::Element& e : tree)
        if (e.name == name)
            return &e;
    return nullptr;
}

// The elements under the list screen's scrolling content: the list that holds the header.
ReaderTree listScreenElements(const ReaderTree& tree) {
    for (int i = 1; i < tree.size(); ++i) {
        if (tree.at(i).name != "Edit list details" || tree.at(i - 1).role != "list")
            continue;
        ReaderTree under;
        for (int j = i; j < tree.size() && tree.at(j).depth > tree.at(i - 1).depth; ++j)
            under.append(tree.at(j));
        return under;
    }
    return {};
}

QStringList namesOfRole(const ReaderTree& tree, const QString& role) {
    QStringList names;
    for (const ScreenReader::Element& e : tree)
        if (e.role == role)
            names.append(e.name);
    return names;
}

// The header is a button that edits the list, and says which list is open; the window is the
// program's, and the two lists of rows say what they hold.
bool hearWhichListIsOpen(Session& s) {
    const auto tree = readerTree(s);
    if (!tree)
        return false;
    if (!namesOfRole(*tree, "frame").contains("Tallybird"))
        return s.fail("the window is called " + namesOfRole(*tree, "frame").join(", "));
    const QStringList lists = namesOfRole(*tree, "list");
    for (const char* name : {"Lists", "Items of Groceries"})
        if (!lists.contains(name))
            return s.fail(QStringLiteral("no list named %1 among %2").arg(name, lists.join(", ")));
    const ScreenReader::Element* hero = elementNamed(*tree, "Edit list details");
    if (!hero)
        return s.fail("no element named Edit list details");
    const QString said = hero->role + ": " + hero->description;
    return (hero->role == "push button" && hero->description.startsWith("Groceries, ") &&
            hero->description.endsWith(". Opens this list's name, icon and colour") &&
            hero->actions.contains("Press")) ||
           s.fail("the header says " + said);
}

// An item's row offers what its tick, menu and swipe do, by name: starring it through the screen
// reader stars it, and then the row says so and offers to unstar it.
bool starAnItemThroughTheScreenReader(Session& s) {
    const QString text = "Goat milk #dairy";
    // The item's row as the screen reader hears it, once the item is starred or not.
    const auto heard = [&](bool starred) -> std::optional<ScreenReader::Element> {
        const std::optional<TBItem> item = s.shownItem(text);
        if (!item || item->pinned != starred) {
            s.fail(text + (starred ? " is not starred" : " is starred"));
            return std::nullopt;
        }
        const auto tree = readerTree(s);
        if (!tree)
            return std::nullopt;
        const ScreenReader::Element* row = elementNamed(*tree, ItemRowText::textLabel(*item));
        if (!row || row->role != "list item") {
            s.fail("no row named " + ItemRowText::textLabel(*item));
            return std::nullopt;
        }
        return *row;
    };
    std::optional<ScreenReader::Element> row = heard(false);
    if (!row)
        return false;
    if (row->actions != QStringList{"Press", "Tick", "Star", "Delete"})
        return s.fail("the row offers " + row->actions.join(", "));
    if (!readerAct(s, row->name, "Star") ||
        !s.waitFor([&] { return s.shownItem(text).value_or(TBItem()).pinned; }, text + " starred"))
        return false;
    row = heard(true);
    if (!row)
        return false;
    if (!row->name.endsWith(", starred") || !row->actions.contains("Unstar"))
        return s.fail("the starred row is heard as " + row->name + ": " + row->actions.join(", "));
    return readerAct(s, row->name, "Unstar") &&
           s.waitFor([&] { return !s.shownItem(text).value_or(TBItem()).pinned; },
                     text + " unstarred");
}

bool filterByATagThroughTheScreenReader(Session& s) {
    QStringList dairy;
    for (const TBItem& item : s.listScreen().snapshot().items)
        if (item.text.contains("#dairy"))
            dairy.append(ItemRowText::textLabel(item));
    if (dairy.size() < 2 || dairy.size() == s.listScreen().snapshot().items.size())
        return s.fail("Groceries should hold dairy and other items");
    if (!readerAct(s, "Filter by dairy") ||
        !s.waitFor([&] { return s.listScreen().state().selectedTag == "dairy"; },
                   "the list filtered by dairy"))
        return false;
    const auto tree = readerTree(s);
    if (!tree)
        return false;
    const ReaderTree shown = listScreenElements(*tree);
    const ScreenReader::Element* chip = elementNamed(shown, "Stop filtering by dairy");
    if (!chip || !chip->states.contains("checked"))
        return s.fail("no checked chip named Stop filtering by dairy");
    const QStringList items = namesOfRole(shown, "list item");
    return items == dairy || s.fail("the items heard are " + items.join(" | "));
}

bool groupByTagThroughTheScreenReader(Session& s) {
    if (!readerAct(s, "Group by tag") ||
        !s.waitFor([&] { return s.listScreen().state().grouping; }, "the items grouped"))
        return false;
    const auto tree = readerTree(s);
    if (!tree)
        return false;
    const ReaderTree shown = listScreenElements(*tree);
    const ScreenReader::Element* chip = elementNamed(shown, "Stop grouping by tag");
    if (!chip || !chip->states.contains("checked"))
        return s.fail("no checked chip named Stop grouping by tag");
    const QStringList headings = namesOfRole(shown, "heading");
    return headings == QStringList{"DAIRY"} ||
           s.fail("the headings heard are " + headings.join(" | "));
}

// Every element shown that takes a press, shows words, is a stop of its own (a row, a button) or
// a place (the window, a list of rows) has a name to be heard by.
bool walkTheWindowForNamelessElements(Session& s) {
    const auto tree = readerTree(s);
    if (!tree)
        return false;
    QStringList nameless;
    QStringList above; // the roles and names of the elements above the one looked at
    for (const ScreenReader::Element& e : *tree) {
        above.resize(e.depth);
        QStringList presses = e.actions;
        presses.removeAll("SetFocus");
        const bool showsWords = e.role == "label" || e.role == "heading" || !e.text.isEmpty();
        // A row or a button is a stop of its own, which must have something to say.
        const bool stop = e.role == "list item" || e.role == "push button" || e.role == "check box";
        const bool place = e.role == "frame" || e.role == "list";
        if ((!presses.isEmpty() || showsWords || stop || place) && e.name.trimmed().isEmpty())
            nameless.append(QStringLiteral("a %1 in %2 (%3)")
                                .arg(e.role, above.join(" > "),
                                     presses.isEmpty() ? "text: " + e.text : presses.join(", ")));
        above.append(e.role + (e.name.isEmpty() ? QString() : " '" + e.name + "'"));
    }
    if (tree->size() < 30)
        return s.fail(QStringLiteral("only %1 elements found").arg(tree->size()));
    return nameless.isEmpty() || s.fail("nameless: " + nameless.join("; "));
}

bool stopGroupingAndFilteringThroughTheScreenReader(Session& s) {
    return readerAct(s, "Stop grouping by tag") && readerAct(s, "Stop filtering by dairy") &&
           s.waitFor(
               [&] {
                   return !s.listScreen().state().grouping &&
                          !s.listScreen().state().selectedTag.has_value();
               },
               "the items ungrouped and unfiltered");
}

// The main job with the keyboard alone: to the lists with Tab, down to Weekend jobs and open it,
// two items typed in the add field, back to the items with Shift+Tab, Space ticks the first,
// Return opens the one the keyboard moved on to, and Escape comes back to it.
// Space on a chip filters the list and makes the filter bar again; the keyboard stays on the
// chip, ringed, and Space again takes the filter off.
bool filterByAChipFromTheKeyboard(Session& s) {
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    DetailItemsView& items = s.content().listView()->items();
    const auto dairyChip = [&]() -> PaintedButton* {
        TagFilterBar* bar = items.filterBar();
        const int place = bar ? bar->placeOfTag("dairy") : -1;
        return place < 0 ? nullptr : qobject_cast<PaintedButton*>(bar->chipButtons().at(place));
    };
    const auto onTheChip = [&] {
        PaintedButton* chip = dairyChip();
        return chip && chip->hasFocus() && chip->showsFocusRing();
    };
    if (!s.tabTo(onTheChip, "the #dairy chip"))
        return false;
    for (const bool filtered : {true, false}) {
        s.key(Qt::Key_Space);
        if (!s.waitFor([&] { return s.listScreen().state().selectedTag.has_value() == filtered; },
                       filtered ? "the list filtered by Space" : "the filter taken off by Space") ||
            !s.waitFor(onTheChip, "the keyboard still on the #dairy chip, ringed"))
            return false;
    }
    return true;
}

bool doTheMainJobByKeyboard(Session& s) {
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    PageListView& lists = *s.content().sidebar()->rowsView();
    if (!s.tabTo([&] { return lists.hasFocus(); }, "the lists"))
        return false;
    auto rowName = [&] {
        const QModelIndex index = lists.currentIndex();
        const auto& row = s.lists().rows().content(index.isValid() ? index.row() : 0);
        return index.isValid() && !row.isHeader() ? row.row.list.name : QString();
    };
    s.key(Qt::Key_Home);
    for (int down = 0; down < 5 && rowName() != "Weekend jobs"; ++down)
        s.key(Qt::Key_Down);
    if (rowName() != "Weekend jobs")
        return s.fail("the arrows never reached Weekend jobs");
    s.key(Qt::Key_Return);
    if (!s.waitFor([&] { return s.shownList() == "Weekend jobs"; }, "Weekend jobs open by Return"))
        return false;

    AddItemField& field = *s.content().listView()->addBar().field();
    if (!s.tabTo([&] { return field.hasFocus(); }, "the add field"))
        return false;
    s.type("Paint the fence");
    s.key(Qt::Key_Return);
    s.type("Fix the gate");
    s.key(Qt::Key_Return);
    if (!s.waitFor([&] { return s.listScreen().snapshot().items.size() == 2; }, "two items added"))
        return false;

    s.key(Qt::Key_Backtab, Qt::ShiftModifier);
    if (s.keyboardItem() != "Paint the fence")
        return s.fail("Shift+Tab from the add field did not reach the first item, but " +
                      s.keyboardItem());
    s.key(Qt::Key_Space);
    if (!s.waitFor([&] { return s.shownItem("Paint the fence").value_or(TBItem()).done; },
                   "Paint the fence ticked by Space"))
        return false;
    // Ticked on an ongoing list, it went to the completed section: the keyboard is on the next.
    if (!s.waitFor([&] { return s.keyboardItem() == "Fix the gate"; },
                   "the keyboard on Fix the gate"))
        return false;
    s.key(Qt::Key_Return);
    if (!s.waitFor(
            [&] {
                return s.content().itemEditor() &&
                       s.content().itemEditor()->nameField().toPlainText() == "Fix the gate";
            },
            "Fix the gate open in its editor"))
        return false;
    s.key(Qt::Key_Escape);
    return s.waitFor([&] { return !s.content().itemEditor(); }, "back on the list by Escape") &&
           s.waitFor([&] { return s.keyboardItem() == "Fix the gate"; },
                     "the keyboard back on Fix the gate");
}

// The ancestors of the element the keyboard is on, nearest first, as a screen reader says them
// when the focus comes into a new place; none (with the failure said) when nothing is focused.
std::optional<ReaderTree> aroundTheFocus(Session& s, ScreenReader::Element* focused) {
    const auto tree = readerTree(s);
    if (!tree)
        return std::nullopt;
    for (qsizetype i = tree->size() - 1; i >= 0; --i) {
        if (!tree->at(i).states.contains("focused") || tree->at(i).role == "frame")
            continue;
        *focused = tree->at(i);
        ReaderTree above;
        int depth = tree->at(i).depth;
        for (qsizetype j = i - 1; j >= 0 && depth > 0; --j) {
            if (tree->at(j).depth < depth) {
                above.append(tree->at(j));
                depth = tree->at(j).depth;
            }
        }
        return above;
    }
    s.fail("no element has the keyboard");
    return std::nullopt;
}

// An item opened from the keyboard: the screen reader hears its editor named by the item as the
// keyboard goes in. A new tag typed after "+" and Return leaves the keyboard on the "+", ringed,
// not elsewhere in the window; a note is reached by Tab, and deleted by its named button from
// the keyboard; Escape then goes back to the item's row.
bool openAnItemByKeyboardAndAddATag(Session& s) {
    if (s.keyboardItem() != "Fix the gate")
        return s.fail("the keyboard is not on Fix the gate but on " + s.keyboardItem());
    s.key(Qt::Key_Return);
    if (!s.waitFor([&] { return s.content().itemEditor() != nullptr; }, "Fix the gate's editor"))
        return false;
    ItemEditorView& editor = *s.content().itemEditor();
    if (!s.waitFor([&] { return editor.isAncestorOf(QApplication::focusWidget()); },
                   "the keyboard in the editor"))
        return false;
    ScreenReader::Element focused;
    const std::optional<ReaderTree> around = aroundTheFocus(s, &focused);
    if (!around)
        return false;
    QStringList heard;
    for (const ScreenReader::Element& e : *around)
        if (!e.name.isEmpty())
            heard.append(e.role + " '" + e.name + "'");
    if (!elementNamed(*around, "Fix the gate"))
        return s.fail("the reader hears " + focused.name + " in " + heard.join(" > "));

    const auto onThePlus = [&] {
        PaintedButton* plus =
            s.content().itemEditor()
                ? qobject_cast<PaintedButton*>(s.content().itemEditor()->addTagButton())
                : nullptr;
        return plus && plus->hasFocus() && plus->showsFocusRing();
    };
    if (!s.tabTo(onThePlus, "the editor's \"+\""))
        return false;
    s.key(Qt::Key_Space);
    if (!s.waitFor([&] { return editor.newTagField() && editor.newTagField()->hasFocus(); },
                   "the new tag's field with the keyboard"))
        return false;
    s.type("outdoor");
    s.key(Qt::Key_Return);
    if (!s.waitFor([&] { return s.shownItem("Fix the gate #outdoor").has_value(); },
                   "the tag added") ||
        !s.waitFor(onThePlus, "the keyboard on the \"+\", ringed, once the tag was added"))
        return false;

    // A note typed in the composer; Shift+Tab reaches its words, ringed, then its delete button,
    // whose Space deletes it and leaves the keyboard in the composer.
    NoteField& composer = editor.notes().composer().field();
    if (!s.tabTo([&] { return composer.hasFocus(); }, "the note composer"))
        return false;
    s.type("Oil the hinge");
    s.key(Qt::Key_Return);
    if (!s.waitFor([&] { return editor.notes().rows().size() == 1; }, "the note added"))
        return false;
    NoteRowView* note = editor.notes().rows().first();
    s.key(Qt::Key_Backtab, Qt::ShiftModifier);
    s.key(Qt::Key_Backtab, Qt::ShiftModifier);
    if (!note->hasFocus() || !editor.notes().focusRing().isVisible())
        return s.fail("Shift+Tab from the composer did not reach the note's words, ringed");
    s.key(Qt::Key_Tab);
    if (!note->deleteButton() || !note->deleteButton()->hasFocus() ||
        note->deleteButton()->accessibleName() != "Delete note: Oil the hinge")
        return s.fail("Tab from the note did not reach its delete button");
    s.key(Qt::Key_Space);
    if (!s.waitFor([&] { return editor.notes().rows().isEmpty(); }, "the note deleted") ||
        !s.waitFor([&] { return composer.hasFocus(); }, "the keyboard in the composer"))
        return false;
    s.key(Qt::Key_Escape);
    return s.waitFor([&] { return !s.content().itemEditor(); }, "back on the list by Escape") &&
           s.waitFor([&] { return s.keyboardItem() == "Fix the gate #outdoor"; },
                     "the keyboard back on the item's row");
}

// --- What the program tells a screen reader as the keyboard goes about ---

// What the program hands the desktop's accessibility bridge while it lives, one line per event,
// "what: name" with the element's name as it was sent ("focus: Fix the gate, not ticked",
// "name: Completed, 1 item"); "outside: …" is a focus outside the detail column, and
// "chips gone"/"chips shown" a filter bar (or a part of one) hidden or shown. Qt sends nothing
// while no screen reader listens: it waits for the bus first, and hears nothing without one.
// Meanwhile the bridge hears nothing either: no step asks the bus while it is heard.
class Heard {
public:
    explicit Heard(Session& s) {
        if (!s.reader().onTheBus()) {
            std::fprintf(stderr, "journey: no accessibility bus, so nothing is heard\n");
            return;
        }
        failed_ = true;
        // A first question over the bus makes sure the bus is there for the program to join.
        if (!readerTree(s) || !s.waitFor([] { return QAccessible::isActive(); },
                                         "the program telling the accessibility bus"))
            return;
        failed_ = false;
        heard_ = this;
        previous_ = QAccessible::installUpdateHandler(&hear);
    }
    ~Heard() {
        if (heard_ == this) {
            QAccessible::installUpdateHandler(previous_);
            heard_ = nullptr;
        }
    }
    // Whether the events are heard: with the bus only. When they are not, the step ends there,
    // passing without a bus and failing when the bus could not be reached.
    bool listening() const { return heard_ == this; }
    bool passesUnheard() const { return !failed_; }
    const QStringList& lines() const { return lines_; }
    QStringList starting(const QString& what) const {
        return lines_.filter(QRegularExpression("^" + QRegularExpression::escape(what) + ": "));
    }
    QString lastFocus() const {
        const QStringList focus = starting("focus");
        return focus.isEmpty() ? QString() : focus.last().mid(QStringLiteral("focus: ").size());
    }
    QString said() const { return lines_.join(" | "); }

private:
    static bool inFilterBar(const QObject* object) {
        for (const QObject* o = object; o; o = o->parent())
            if (qobject_cast<const TagFilterBar*>(o))
                return true;
        return false;
    }
    static void hear(QAccessibleEvent* event) {
        QAccessibleInterface* element = event->accessibleInterface();
        const QString name = element ? element->text(QAccessible::Name) : QString();
        auto* widget = qobject_cast<QWidget*>(event->object());
        QString what;
        switch (event->type()) {
        case QAccessible::Focus:
            what = widget && !WindowContent::isInDetailPane(widget) ? "outside" : "focus";
            break;
        case QAccessible::NameChanged:
            what = "name";
            break;
        case QAccessible::DescriptionChanged:
            what = "description";
            break;
        case QAccessible::StateChanged:
            what = "state";
            break;
        case QAccessible::ObjectHide:
            what = inFilterBar(event->object()) ? "chips gone" : QString();
            break;
        case QAccessible::ObjectShow:
            what = inFilterBar(event->object()) ? "chips shown" : QString();
            break;
        default:
            break;
        }
        if (!what.isEmpty())
            heard_->lines_.append(what + ": " + name);
    }

    static inline Heard* heard_ = nullptr;
    QAccessible::UpdateHandler previous_ = nullptr;
    bool failed_ = false;
    QStringList lines_;
};

// Lets the program finish what it does after an event (what it tells later in the same turn).
void settle() {
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
}

// Items added while the keyboard is in the add field, typed there or asked for from the command
// line, leave the screen reader in the add field: no row is said to have the focus.
bool hearNoRowWhileAddingInTheAddField(Session& s) {
    AddItemField& field = *s.content().listView()->addBar().field();
    if (!s.tabTo([&] { return field.hasFocus(); }, "the add field"))
        return false;
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    s.type("Sand the deck");
    s.key(Qt::Key_Return);
    // Added with whatever tag the window proposes for it.
    const auto sanded = [&] {
        for (const TBItem& item : s.listScreen().snapshot().items)
            if (item.text.startsWith("Sand the deck"))
                return true;
        return false;
    };
    if (!s.waitFor(sanded, "Sand the deck added") ||
        !s.request({"add", "--list", "Weekend jobs", "Sweep the path"},
                   "Added Sweep the path to Weekend jobs.\n") ||
        !s.waitFor([&] { return s.shownItem("Sweep the path").has_value(); },
                   "Sweep the path added"))
        return false;
    settle();
    const QStringList moved = heard.starting("focus") + heard.starting("outside");
    return (field.hasFocus() && moved.isEmpty()) ||
           s.fail("typing in the add field, the reader heard " + moved.join(" | "));
}

// Return on a row opens its item: the keyboard goes straight into the editor, not through the
// lists page; an item added from the command line meanwhile is not said to have the focus; and
// Escape brings the keyboard back to the row, the last thing the reader hears.
bool hearTheEditorAndThenTheRowByKeyboard(Session& s) {
    DetailItemsView& items = s.content().listView()->items();
    if (!s.tabTo([&] { return items.hasFocus(); }, "the items"))
        return false;
    const QString text = s.keyboardItem();
    const std::optional<TBItem> item = s.shownItem(text);
    if (!item)
        return s.fail("the keyboard is on no item");
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    s.key(Qt::Key_Return);
    if (!s.waitFor(
            [&] {
                return s.content().itemEditor() &&
                       s.content().itemEditor()->isAncestorOf(QApplication::focusWidget());
            },
            text + "'s editor with the keyboard") ||
        !s.request({"add", "--list", "Weekend jobs", "Rake the leaves"},
                   "Added Rake the leaves to Weekend jobs.\n") ||
        !s.waitFor([&] { return s.shownItem("Rake the leaves").has_value(); },
                   "Rake the leaves added"))
        return false;
    settle();
    const QStringList inTheEditor = heard.starting("focus") + heard.starting("outside");
    if (!heard.starting("outside").isEmpty() || inTheEditor.size() != 1 ||
        inTheEditor.first().contains(", not ticked"))
        return s.fail("going into the editor, the reader heard " + inTheEditor.join(" | "));
    s.key(Qt::Key_Escape);
    const QString row = ItemRowText::textLabel(*item);
    return (s.waitFor([&] { return s.keyboardItem() == text; }, "the keyboard back on " + text) &&
            s.waitFor([&] { return heard.lastFocus() == row; }, "the reader hearing " + row) &&
            heard.starting("outside").isEmpty()) ||
           s.fail(s.failure() + "; heard: " + heard.said());
}

// A tick from the command line while the keyboard is on a filter chip leaves the chip as it was:
// the reader hears nothing of it, nor of the controls the tick did not change.
bool hearNothingOfAChipWhileATickComesFromTheCommandLine(Session& s) {
    DetailItemsView& items = s.content().listView()->items();
    QString chipName;
    QPointer<QWidget> chip;
    const auto onTheChip = [&] {
        TagFilterBar* bar = items.filterBar();
        const int place = bar ? bar->placeOfTag("outdoor") : -1;
        if (place < 0 || !bar->chipButtons().at(place)->hasFocus())
            return false;
        chip = bar->chipButtons().at(place);
        chipName = bar->chips().at(place).accessibilityLabel;
        return true;
    };
    if (!s.tabTo(onTheChip, "the #outdoor chip"))
        return false;
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    if (!s.request({"tick", "--list", "Weekend jobs", "Sweep the path"},
                   "Ticked off Sweep the path.\n") ||
        !s.waitFor([&] { return s.shownItem("Sweep the path").value_or(TBItem()).done; },
                   "Sweep the path ticked"))
        return false;
    settle();
    QStringList unchanged;
    for (const QString& name :
         {chipName, QStringLiteral("Group by tag"), QStringLiteral("Edit lists")})
        unchanged += heard.lines().filter(QRegularExpression(": " + name + "$"));
    const QStringList wrong = heard.starting("focus") + heard.starting("outside") +
                              heard.starting("chips gone") + heard.starting("chips shown") +
                              unchanged;
    return (chip && chip->hasFocus() && wrong.isEmpty()) ||
           s.fail("on the chip, the reader heard " + heard.said());
}

// Space on the first item of the completed section unticks it; the keyboard lands on the
// section's header, which the reader hears renamed first ("Completed, 1 item"), then focused.
bool hearTheCompletedHeaderRenamedBeforeTheKeyboardLandsOnIt(Session& s) {
    DetailItemsView& items = s.content().listView()->items();
    const auto keyboardRow = [&] {
        const QModelIndex index = items.currentIndex();
        return items.hasFocus() && index.isValid() ? items.rows().row(index.row()) : DetailRow();
    };
    const auto onTheHeader = [&] { return keyboardRow().kind == DetailRow::Kind::completedHeader; };
    if (!s.tabTo([&] { return items.hasFocus(); }, "the items"))
        return false;
    s.key(Qt::Key_End);
    if (onTheHeader() && !s.listScreen().snapshot().completedHeader->expanded) {
        s.key(Qt::Key_Space);
        if (!s.waitFor([&] { return s.listScreen().snapshot().completedHeader->expanded; },
                       "the completed section unfolded"))
            return false;
    }
    for (int up = 0; up < 10 && !onTheHeader(); ++up)
        s.key(Qt::Key_Up);
    s.key(Qt::Key_Down);
    const DetailRow first = keyboardRow();
    const auto header = s.listScreen().snapshot().completedHeader;
    if (first.kind != DetailRow::Kind::item || !first.completed || !header || header->count < 2)
        return s.fail("the keyboard is not on the first of two completed items");
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    s.key(Qt::Key_Space);
    if (!s.waitFor([&] { return !s.shownItem(first.item.text).value_or(TBItem()).done; },
                   first.item.text + " unticked") ||
        !s.waitFor(onTheHeader, "the keyboard on the completed header"))
        return false;
    const QString label = s.listScreen().snapshot().completedHeader->label;
    if (!s.waitFor([&] { return heard.lastFocus() == label; }, "the reader hearing " + label))
        return s.fail(s.failure() + "; heard: " + heard.said());
    const qsizetype renamed = heard.lines().indexOf("name: " + label);
    const qsizetype focused = heard.lines().indexOf("focus: " + label);
    if (renamed < 0 || renamed > focused)
        return s.fail("the header was not renamed before it was focused: " + heard.said());
    // The journey's later launches find Paint the fence ticked.
    return first.item.text != "Paint the fence" ||
           s.request({"tick", "--list", "Weekend jobs", "Paint the fence"},
                     "Ticked off Paint the fence.\n");
}

// A removal confirmation opened by a click on a row's trash button takes the keyboard: it is
// the window the keyboard's keys go to, and an Escape pressed there closes it, removing nothing.
bool removeAListAndCancelWithEscape(Session& s) {
    ListsPane& pane = *s.content().sidebar();
    QTest::mouseClick(pane.heading()->editButton(), Qt::LeftButton);
    if (!s.waitFor([&] { return s.lists().editing(); }, "the lists in edit mode"))
        return false;
    PageListView& view = *pane.rowsView();
    QRect trash;
    if (!s.waitFor(
            [&] {
                for (int row = 0; row < s.lists().rows().rowCount(); ++row) {
                    const auto& shown = s.lists().rows().content(row);
                    if (!shown.isHeader() && shown.row.list.name == "Packing")
                        trash = view.rowDelegate().removeButtonRect(
                            view.visualRect(s.lists().rows().index(row)), row);
                }
                return trash.isValid() && view.viewport()->rect().contains(trash.center());
            },
            "Packing's trash button"))
        return false;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, trash.center());
    QPointer<QMessageBox> box;
    if (!s.waitFor(
            [&] {
                box = pane.removalAlert()->box();
                return box && box->isVisible() &&
                       QGuiApplication::focusWindow() == box->windowHandle() &&
                       QApplication::activeWindow() == box;
            },
            "the confirmation shown with the keyboard"))
        return false;
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Escape);
    if (!s.waitFor([&] { return !box || !box->isVisible(); }, "the confirmation closed by Escape"))
        return false;
    QTest::mouseClick(pane.heading()->editButton(), Qt::LeftButton);
    return s.waitFor([&] { return !s.lists().editing(); }, "the lists out of edit mode") &&
           (s.lists().rows().rowCount() == 3 || s.fail("a list was removed"));
}

// The list open last, by the keyboard, opens again.
bool findWeekendJobsStillOpen(Session& s) {
    return s.waitFor([&] { return s.shownList() == "Weekend jobs"; },
                     "Weekend jobs open at launch");
}

bool findSocksTicked(Session& s) {
    return openPackingByAClick(s) &&
           (s.shownItem("Socks").value_or(TBItem()).done || s.fail("Socks is not ticked"));
}

// The due date's calendar, opened from a field near the sheet's bottom edge, opens over the
// field, whole inside the sheet; Escape closes it and the sheet closes without a change.
bool openTheCalendarNearTheSheetsBottom(Session& s) {
    s.listScreen().editList();
    ListEditorSheet* editor = nullptr;
    if (!s.waitFor(
            [&] {
                editor = qobject_cast<ListEditorSheet*>(SheetDialog::shown());
                return editor && editor->isVisible();
            },
            "the list editor"))
        return false;
    const QPointer<ListEditorSheet> sheet = editor;
    QTest::mouseClick(editor->dueSwitch(), Qt::LeftButton);
    QDateTimeEdit* field = editor->duePicker()->editor();
    if (!s.waitFor([&] { return field->isVisible(); }, "the due date field"))
        return false;
    // The field's foot a few pixels above the sheet's bottom edge.
    QScrollArea* scroll = editor->scrollArea();
    scroll->verticalScrollBar()->setValue(0);
    const int foot = field->mapTo(scroll->viewport(), QPoint(0, field->height())).y();
    scroll->verticalScrollBar()->setValue(foot - scroll->viewport()->height() + 8);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier,
                      QPoint(field->width() - 6, field->height() / 2));
    QWidget* calendar = field->calendarWidget() ? field->calendarWidget()->window() : nullptr;
    if (!calendar || !s.waitFor([&] { return calendar->isVisible(); }, "the calendar open"))
        return false;
    const QRect fieldRect(field->mapToGlobal(QPoint(0, 0)), field->size());
    if (!editor->geometry().contains(calendar->geometry()))
        return s.fail(QStringLiteral("the calendar is cut by the sheet's edge"));
    if (calendar->geometry().bottom() >= fieldRect.top())
        return s.fail(QStringLiteral("the calendar does not open over the field"));
    QTest::keyClick(calendar, Qt::Key_Escape);
    if (!s.waitFor([&] { return !calendar->isVisible(); }, "the calendar closed by Escape"))
        return false;
    QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
    return s.waitFor([&] { return !sheet || !sheet->isVisible(); }, "the editor cancelled") &&
           (!s.listScreen().snapshot().list->dueDate || s.fail("a due date was saved"));
}

// Opens the settings sheet with Ctrl+, and returns it; null (with the failure said) when it never
// shows.
SettingsSheet* openSettingsWithTheShortcut(Session& s) {
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs)) {
        s.fail("the window never became active");
        return nullptr;
    }
    QTest::keyClick(&s.window(), Qt::Key_Comma, Qt::ControlModifier);
    SettingsSheet* sheet = nullptr;
    s.waitFor(
        [&] {
            sheet = qobject_cast<SettingsSheet*>(SheetDialog::shown());
            return sheet && sheet->isVisible();
        },
        "the settings sheet shown after Ctrl+,");
    return sheet && sheet->isVisible() ? sheet : nullptr;
}

// Gone from the screen, and the window no longer asks for it.
bool settingsClosed(const QPointer<SettingsSheet>& sheet) {
    return (!sheet || !sheet->isVisible()) && !SettingsPresentation::shared().isOpen();
}

bool openSettingsAndCloseWithEscape(Session& s) {
    const QPointer<SettingsSheet> sheet = openSettingsWithTheShortcut(s);
    if (!sheet)
        return false;
    QTest::keyClick(sheet, Qt::Key_Escape);
    return s.waitFor([&] { return settingsClosed(sheet); }, "the settings sheet closed by Escape");
}

bool openSettingsAndCloseWithDone(Session& s) {
    const QPointer<SettingsSheet> sheet = openSettingsWithTheShortcut(s);
    if (!sheet)
        return false;
    auto* done = sheet->rootPage()->header()->findChild<TextButton*>();
    if (!done)
        return s.fail("the settings sheet has no Done button");
    QTest::mouseClick(done, Qt::LeftButton);
    return s.waitFor([&] { return settingsClosed(sheet); }, "the settings sheet closed by Done");
}

// Settings opened from the keyboard: the sheet hands its first control, Done, the keyboard as it
// comes up, ringed, and Space presses it.
bool openSettingsOnDoneRingedAndPressItWithSpace(Session& s) {
    const QPointer<SettingsSheet> sheet = openSettingsWithTheShortcut(s);
    if (!sheet)
        return false;
    auto* done = sheet->rootPage()->header()->findChild<TextButton*>();
    if (!done)
        return s.fail("the settings sheet has no Done button");
    if (!s.waitFor([&] { return done->hasFocus() && done->showsFocusRing(); },
                   "the keyboard on Done, ringed"))
        return false;
    QTest::keyClick(sheet->windowHandle(), Qt::Key_Space);
    return s.waitFor([&] { return settingsClosed(sheet); }, "the settings sheet closed by Space");
}

// Shift+F10 on a row of the lists opens its menu, as the menu key does; Escape closes it.
bool openAListsMenuWithShiftF10(Session& s) {
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    PageListView& lists = *s.content().sidebar()->rowsView();
    if (!s.tabTo([&] { return lists.hasFocus() && lists.currentIndex().isValid(); }, "the lists"))
        return false;
    s.key(Qt::Key_F10, Qt::ShiftModifier);
    QMenu* menu = nullptr;
    if (!s.waitFor(
            [&] {
                menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                return menu && menu->isVisible();
            },
            "the row's menu open by Shift+F10"))
        return false;
    QTest::keyClick(menu, Qt::Key_Escape);
    return s.waitFor([&] { return !QApplication::activePopupWidget(); }, "the menu closed");
}

// Where the window is left when the first launch ends: smaller, elsewhere, with the lists
// column dragged wider.
constexpr QRect leftWindow(60, 40, 1000, 700);
constexpr int leftSidebarWidth = 360;

bool leaveTheWindowSmallerElsewhere(Session& s) {
    s.window().setGeometry(leftWindow);
    if (!s.waitFor([&] { return s.window().geometry() == leftWindow; }, "the window moved"))
        return false;
    // The divider dragged as a user drags it.
    QSplitter& split = *s.content().splitter();
    QSplitterHandle* handle = split.handle(1);
    const QPoint grip = handle->rect().center();
    // The handle follows the point it was gripped by.
    const QPoint target = handle->mapFrom(&split, QPoint(leftSidebarWidth + grip.x(), grip.y()));
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, handle->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &event);
    };
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    send(QEvent::MouseMove, target, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, target, Qt::NoButton);
    return s.waitFor([&] { return split.sizes().value(0) == leftSidebarWidth; },
                     "the lists column dragged wider");
}

bool findTheWindowWhereItWasLeft(Session& s) {
    return s.waitFor([&] { return s.window().geometry() == leftWindow; },
                     QStringLiteral("the window back at 60,40 1000×700, not %1,%2 %3×%4")
                         .arg(s.window().x())
                         .arg(s.window().y())
                         .arg(s.window().width())
                         .arg(s.window().height())) &&
           s.waitFor([&] { return s.content().splitter()->sizes().value(0) == leftSidebarWidth; },
                     "the lists column as wide as it was left");
}

bool quitWithTheShortcut(Session& s) {
    // Keys go to the active window, as they would to the one a user looks at.
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    bool quitting = false;
    const QMetaObject::Connection heard =
        QObject::connect(s.window().action(WindowMenus::Command::quit), &QAction::triggered,
                         [&] { quitting = true; });
    QTest::keyClick(&s.window(), Qt::Key_Q, Qt::ControlModifier);
    QObject::disconnect(heard);
    return quitting || s.fail("Ctrl+Q did not quit");
}

// --- A settings file that cannot be read: moved aside, and said in the window ---

// The window's notice about its files shows `title`, and its message says `says`.
bool waitForTheNotice(Session& s, const QString& title, const QString& says, const char* what) {
    auto* banner = s.window().findChild<StoreNoticeBanner*>();
    if (!banner)
        return s.fail("the window has no store notice");
    return s.waitFor(
        [&] {
            return banner->isVisible() && banner->titleLabel()->text() == title &&
                   banner->messageLabel()->text().contains(says);
        },
        what);
}

bool findTheUnreadableSettingsNamedInTheNotice(Session& s) {
    return waitForTheNotice(s, StoreNoticeModel::settingsTitle(), "defaults.json.unreadable-",
                            "the notice of a settings file moved aside, naming where it went");
}

// --- A store file of an older layout: upgraded, and its copy named in the window ---

bool findTheUpgradeAndItsCopyNamedInTheNotice(Session& s) {
    return waitForTheNotice(s, QStringLiteral("Your lists were upgraded"),
                            "was in an older layout and is upgraded",
                            "the notice of a store upgraded, naming its copy") &&
           waitForTheNotice(s, QStringLiteral("Your lists were upgraded"), "store.json.unreadable-",
                            "the notice naming where the copy is") &&
           s.waitFor([&] { return s.shownList() == "Groceries"; }, "Groceries open at launch");
}

// --- A store file from a newer Tallybird: shown, never changed ---

bool findTheNewerStoreShownViewOnly(Session& s) {
    return waitForTheNotice(s, StoreNoticeModel::newerTitle(), "come from a newer version",
                            "the notice of a store from a newer Tallybird") &&
           s.waitFor([&] { return s.shownList() == "Groceries"; }, "Groceries open at launch") &&
           s.waitFor([&] { return s.content().listView()->showsViewOnlyNote(); },
                     "Groceries shown as view only");
}

// The sidebar offers nothing that would change these lists: no "+", no New group, no Edit; a
// right click on a row opens no menu, and a screen reader hears the row offer only to open.
bool findNothingInTheSidebarThatChangesTheLists(Session& s) {
    ListsPane& pane = *s.content().sidebar();
    const struct {
        const char* what;
        QWidget* control;
    } hidden[] = {{"+", pane.footer()->addButton()},
                  {"New group", pane.footer()->pill()},
                  {"Edit", pane.heading()->editButton()}};
    for (const auto& control : hidden)
        if (control.control->isVisible())
            return s.fail(QStringLiteral("the sidebar offers ") + control.what);

    // Through the window, as the desktop delivers it: the window turns it into a menu request.
    PageListView& view = *pane.rowsView();
    const QPoint at =
        view.viewport()->mapTo(&s.window(), view.visualRect(s.lists().rows().index(0)).center());
    QTest::mouseClick(s.window().windowHandle(), Qt::RightButton, Qt::NoModifier, at);
    QTest::qWait(200);
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        return s.fail("a right click on Groceries opened a menu");
    }

    const auto tree = readerTree(s);
    if (!tree)
        return false;
    const QString label = s.lists().rows().listRow(0).accessibilityLabel;
    const ScreenReader::Element* row = elementNamed(*tree, label);
    if (!row)
        return s.fail("no row named " + label);
    return row->actions == QStringList{"Press"} ||
           s.fail("the row offers " + row->actions.join(", "));
}

bool tickOatMilkByAClickChangesNothing(Session& s) {
    if (!s.clickTick("Oat milk"))
        return false;
    QTest::qWait(200);
    return !s.shownItem("Oat milk").value_or(TBItem()).done || s.fail("Oat milk was ticked");
}

bool addByARequestIsRefused(Session& s) {
    QProcess process;
    process.start(QStringLiteral(TALLYBIRD_EXECUTABLE),
                  s.profileArguments() + QStringList{"add", "--list", "Groceries", "butter"});
    if (!s.waitFor([&] { return process.state() == QProcess::NotRunning; }, "the request to end"))
        return false;
    const QString said = QString::fromUtf8(process.readAllStandardError());
    return (process.exitCode() != 0 && said.contains("come from a newer version of Tallybird") &&
            !s.shownItem("butter")) ||
           s.fail(QStringLiteral("the request ended with %1 and said: ").arg(process.exitCode()) +
                  said.trimmed());
}

// --- Another person's list, open while its owner changes the rights on it ---

// The owner's list shared with the journey's user, and the one of its items the steps act on.
// Its items carry more tags than its header's chip bar shows at once.
const QString sharedList = QStringLiteral("Pantry");
const QString sharedItem = QStringLiteral("Rice #grains");
const QStringList sharedTags = {"grains", "tins",   "spices", "baking", "breakfast", "drinks",
                                "snacks", "frozen", "sauces", "pasta",  "oils",      "cleaning"};

// What `--cloud` names in the profile's arguments: the container the steps administer.
QString cloudOf(const Session& s) {
    const QStringList& arguments = s.profileArguments();
    return arguments.value(arguments.indexOf("--cloud") + 1);
}

// `tallybird-cloud` run by the owner's administrator while the window runs; true once it ended
// well.
bool cloudAdmin(Session& s, const QStringList& words) {
    QProcess process;
    process.start(QStringLiteral(TALLYBIRD_CLOUD_EXECUTABLE),
                  QStringList{"--cloud", cloudOf(s)} + words);
    if (!s.waitFor([&] { return process.state() == QProcess::NotRunning; },
                   words.join(' ') + QStringLiteral(" to end")))
        return false;
    return process.exitCode() == 0 ||
           s.fail(words.join(' ') + ": " + QString::fromUtf8(process.readAllStandardError()));
}

// The row of the shared list's item, as the items view lays it out now; empty while not shown.
QRect sharedRow(Session& s) {
    DetailItemsView& items = s.content().listView()->items();
    for (int row = 0; row < items.rows().rowCount(); ++row) {
        const DetailRow& shown = items.rows().row(row);
        if (shown.kind == DetailRow::Kind::item && shown.item.text == sharedItem)
            return items.visualRect(items.rows().index(row));
    }
    return {};
}

// Whether the item's row draws a star: the place a star takes is not all of one colour.
bool drawsAStar(Session& s) {
    DetailItemsView& items = s.content().listView()->items();
    const QRect star = ItemRowGeometry::of(sharedRow(s), true).star;
    if (star.isEmpty())
        return false;
    const QImage drawn = items.viewport()->grab(star).toImage();
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixel(x, y) != drawn.pixel(0, 0))
                return true;
    return false;
}

// The owner changes the journey's user's rights on the shared list; a change of the user's own
// (added to their own list by a request) starts the sync pass that brings the new rights in.
bool ownerMakesTheSharedList(Session& s, bool writable) {
    static int passes = 0;
    const QString zone = QStringLiteral("TB-") + s.listScreen().listID();
    const QString pass = QStringLiteral("Pass %1").arg(++passes);
    return cloudAdmin(s, {"permission", cloud::Container::defaultUserName, zone, "sam",
                          writable ? "read-write" : "read-only"}) &&
           s.request({"add", "--list", "Scratch", pass}, "Added " + pass + " to Scratch.\n") &&
           s.waitFor([&] { return s.listScreen().mayWrite() == writable; },
                     writable ? "the list open read-write" : "the list open read-only");
}

// The list arrives shared read-only: it opens view only, and its rows draw no star.
bool openTheSharedListViewOnly(Session& s) {
    return s.clickList(sharedList) &&
           s.waitFor([&] { return s.shownList() == sharedList; }, sharedList + " open") &&
           s.waitFor([&] { return !s.listScreen().mayWrite() && sharedRow(s).isValid(); },
                     sharedList + " shown view only") &&
           (!drawsAStar(s) || s.fail("a view-only row draws a star"));
}

// Made read-write while open: after the pass its rows draw their stars, and a click on one stars
// the item, as the menu's Star would.
bool seeTheStarsComeWhenTheListIsMadeReadWrite(Session& s) {
    if (!ownerMakesTheSharedList(s, true) ||
        !s.waitFor([&] { return drawsAStar(s); }, "the row drawing its star"))
        return false;
    const QPoint star = ItemRowGeometry::of(sharedRow(s), true).star.center();
    QTest::mouseClick(s.content().listView()->items().viewport(), Qt::LeftButton, Qt::NoModifier,
                      star);
    return s.waitFor([&] { return s.shownItem(sharedItem).value_or(TBItem()).pinned; },
                     sharedItem + " starred by a click on its star");
}

// A tick is heard by a screen reader: the row's name and its ticked state change, and the tick's
// own name, as a reader listening to the program hears them.
bool hearATickThroughTheScreenReader(Session& s) {
    const QString ticked = sharedItem + ", ticked, starred";
    const QStringList expected = {"object:property-change:accessible-name " + ticked,
                                  "object:state-changed:checked 1 " + ticked,
                                  "object:property-change:accessible-name Untick " + sharedItem};
    QStringList heard;
    const auto tick = [&] {
        const QPoint at = ItemRowGeometry::of(sharedRow(s), true).tick.center();
        QTest::mouseClick(s.content().listView()->items().viewport(), Qt::LeftButton,
                          Qt::NoModifier, at);
    };
    const auto heardAll = [&] {
        return std::all_of(expected.cbegin(), expected.cend(),
                           [&](const QString& line) { return heard.contains(line); });
    };
    if (!s.reader().onTheBus()) {
        // No bus: what the rows hand Qt's accessibility, as the bridge would take it.
        static QStringList* told = nullptr;
        told = &heard;
        AccessibleRows::setAnnouncer([](QAccessibleEvent* event) {
            QAccessibleInterface* element = event->accessibleInterface();
            const QString name = element ? element->text(QAccessible::Name) : QString();
            if (event->type() == QAccessible::NameChanged)
                told->append("object:property-change:accessible-name " + name);
            else if (event->type() == QAccessible::StateChanged &&
                     static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().checked)
                told->append(QStringLiteral("object:state-changed:checked %1 ")
                                 .arg(element && element->state().checked ? 1 : 0) +
                             name);
        });
        tick();
        const bool ok = s.waitFor(heardAll, "the tick told: " + expected.join(" | "));
        AccessibleRows::setAnnouncer({});
        return ok || s.fail(s.failure() + "; told: " + heard.join(" | "));
    }
    QProcess listener;
    listener.start(qEnvironmentVariable("TALLYBIRD_SCREEN_READER_PYTHON"),
                   {qEnvironmentVariable("TALLYBIRD_SCREEN_READER_CLIENT"), "listen",
                    QString::number(QCoreApplication::applicationPid())});
    const auto read = [&] {
        while (listener.canReadLine()) {
            const QByteArray line = listener.readLine().trimmed();
            if (line == "listening") {
                heard.append(QString::fromUtf8(line));
                continue;
            }
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            const QString type = o.value("type").toString();
            heard.append(type +
                         (type.startsWith("object:state-changed")
                              ? QStringLiteral(" %1").arg(o.value("detail1").toInt())
                              : QString()) +
                         " " + o.value("source").toString());
        }
    };
    QObject::connect(&listener, &QProcess::readyReadStandardOutput, read);
    bool ok = s.waitFor([&] { return heard.contains("listening"); }, "the screen reader listening");
    if (ok) {
        // The program learns of a new listener from the bus before it sends it anything.
        QTest::qWait(1000);
        tick();
        ok = s.waitFor(heardAll, "the tick heard: " + expected.join(" | "));
    }
    listener.closeWriteChannel();
    if (!listener.waitForFinished(waitMs))
        listener.kill();
    return ok || s.fail(s.failure() + "; heard: " + heard.filter("Rice").join(" | "));
}

// A strip of chips more than its width: the cut edge shows a cue; the wheel over a chip turns
// the strip, and clicks on the cue bring the last chip whole into sight.
bool scrollChipsByTheWheelAndTheCue(Session& s, const QString& strip,
                                    const std::function<SidewaysScrollArea*()>& find,
                                    const std::function<QList<QWidget*>()>& chips) {
    SidewaysScrollArea* bar = nullptr;
    if (!s.waitFor(
            [&] {
                bar = find();
                return bar && bar->isVisible() && bar->cue(Qt::RightEdge) && chips().size() > 1;
            },
            strip + ": the chips cut at the right, with a cue"))
        return false;
    const int before = bar->horizontalScrollBar()->value();
    // A turn reaches the chip under the pointer, and goes on to what holds it until taken, as Qt
    // hands on a mouse wheel's turns.
    QWidget* chip = chips().at(1);
    const QPoint on = chip->rect().center();
    bool taken = false;
    for (QWidget* w = chip; w && !taken && !w->isWindow(); w = w->parentWidget()) {
        const QPoint at = chip->mapTo(w, on);
        QWheelEvent turn(at, w->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &turn);
        taken = turn.isAccepted();
    }
    if (bar->horizontalScrollBar()->value() <= before)
        return s.fail(strip + ": a turn of the wheel over a chip did not move the chips");
    QWidget* last = chips().last();
    const auto lastInSight = [&] {
        const QRect shown(last->mapTo(bar->viewport(), QPoint(0, 0)), last->size());
        return bar->viewport()->rect().contains(shown);
    };
    for (int click = 0; click < 20 && !lastInSight(); ++click) {
        QWidget* cue = bar->cue(Qt::RightEdge);
        if (!cue)
            return s.fail(strip + ": no cue while the last chip is out of sight");
        QTest::mouseClick(cue, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    return (lastInSight() && !bar->cue(Qt::RightEdge) && bar->cue(Qt::LeftEdge)) ||
           s.fail(strip + ": the cue did not bring the last chip into sight");
}

// The list's header and its add bar each show their chips cut at the right edge.
bool scrollTheChipsByTheWheelAndTheCue(Session& s) {
    DetailItemsView& items = s.content().listView()->items();
    AddItemBar& addBar = s.content().listView()->addBar();
    const auto widgets = [](const auto& list) {
        QList<QWidget*> all;
        for (auto* widget : list)
            all.append(widget);
        return all;
    };
    return scrollChipsByTheWheelAndTheCue(
               s, QStringLiteral("the header"), [&] { return items.filterBar(); },
               [&] { return widgets(items.filterBar()->chipButtons()); }) &&
           scrollChipsByTheWheelAndTheCue(
               s, QStringLiteral("the add bar"), [&] { return addBar.chipBar(); },
               [&] { return widgets(addBar.chipBar()->chips()); });
}

// Back by Escape from an item low in the list, scrolled up to the chips, a click on Group groups
// the items where they are: the list does not scroll to the item the keyboard was on, and the chips
// stay under the pointer. A click on Group again ungroups them, as still.
bool clickGroupAfterComingBackFromAnItemLowerDown(Session& s) {
    DetailItemsView& items = s.content().listView()->items();
    const QString low = QStringLiteral("Some cleaning #cleaning");
    int row = -1;
    for (int i = 0; i < items.rows().rowCount(); ++i)
        if (items.rows().row(i).kind == DetailRow::Kind::item &&
            items.rows().row(i).item.text == low)
            row = i;
    if (row < 0)
        return s.fail("no row for " + low);
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    items.scrollTo(items.rows().index(row));
    QCoreApplication::processEvents();
    const QRect rect = items.visualRect(items.rows().index(row));
    QTest::mouseClick(items.viewport(), Qt::LeftButton, Qt::NoModifier,
                      ItemRowGeometry::of(rect, s.listScreen().mayWrite()).text.center());
    if (!s.waitFor([&] { return s.content().itemEditor() != nullptr; }, low + " open"))
        return false;
    s.key(Qt::Key_Escape);
    if (!s.waitFor([&] { return !s.content().itemEditor() && s.keyboardItem() == low; },
                   "back on the list by Escape, the keyboard on " + low))
        return false;
    QScrollBar& scroll = *items.verticalScrollBar();
    if (scroll.value() == 0)
        return s.fail(low + " was in sight without scrolling");
    scroll.setValue(0); // the wheel, back up to the chips
    for (const bool grouping : {true, false}) {
        TagFilterBar* bar = items.filterBar();
        if (!bar)
            return s.fail("no chips");
        QTest::mouseClick(bar->chipButtons().first(), Qt::LeftButton);
        if (!s.waitFor([&] { return s.listScreen().state().grouping == grouping; },
                       grouping ? "the items grouped" : "the items ungrouped"))
            return false;
        QTest::qWait(100); // a scroll would come on the next turns
        if (scroll.value() != 0)
            return s.fail(
                QStringLiteral("a click on Group scrolled the list by %1").arg(scroll.value()));
    }
    return true;
}

// Made read-only again while open: the stars go, and a click where one was opens the item
// instead of unstarring it; Back comes back.
bool seeTheStarsGoWhenTheListIsMadeReadOnly(Session& s) {
    if (!ownerMakesTheSharedList(s, false) ||
        !s.waitFor([&] { return !drawsAStar(s); }, "the row without its star"))
        return false;
    const QPoint star = ItemRowGeometry::of(sharedRow(s), true).star.center();
    QTest::mouseClick(s.content().listView()->items().viewport(), Qt::LeftButton, Qt::NoModifier,
                      star);
    if (!s.waitFor([&] { return s.content().itemEditor() != nullptr; },
                   "the item open by a click where its star was"))
        return false;
    if (!s.shownItem(sharedItem).value_or(TBItem()).pinned)
        return s.fail("a click on a view-only row unstarred it");
    QTest::mouseClick(s.content().itemEditor()->header().findChild<SymbolButton*>(),
                      Qt::LeftButton);
    return s.waitFor([&] { return !s.content().itemEditor(); }, "back on the list");
}

// --- The cloud server stops with the window open, and starts again ---

// Where the test's own server is, for the steps that stop and start it.
constexpr const char* serverInfoVariable = "TALLYBIRD_JOURNEY_SERVER";

// Runs scripts/pg-cluster on the test's own server, the program answering meanwhile.
bool serverCommand(Session& s, const char* command) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(testsupport::PostgresTestServer::clusterScript(),
                 {QString::fromLatin1(command), qEnvironmentVariable(serverInfoVariable)});
    if (!QTest::qWaitFor([&] { return script.state() == QProcess::NotRunning; }, 60'000))
        return s.fail(QStringLiteral("pg-cluster %1 never ended").arg(command));
    return (script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0) ||
           s.fail(QStringLiteral("pg-cluster %1 said: ").arg(command) +
                  QString::fromUtf8(script.readAll()).trimmed());
}

bool syncWithTheServerUp(Session& s) {
    auto* banner = s.window().findChild<StoreNoticeBanner*>();
    // A request's reply says nothing more when its sync pass got through.
    return s.waitFor([&] { return s.lists().rows().rowCount() == 1; }, "Packing in the sidebar") &&
           openPackingByAClick(s) &&
           s.request({"add", "--list", "Packing", "Towel"}, "Added Towel to Packing.\n") &&
           (!banner->isVisible() ||
            s.fail("a notice while sync works: " + banner->titleLabel()->text()));
}

// Typing in the add field while the server is down: the pass after the new item fails, and the
// window says so above the lists while the keyboard stays in the add field, typing on; a screen
// reader hears the notice. The items wait on this computer.
bool stopTheServerAndFindTheNotice(Session& s) {
    AddItemField& field = *s.content().listView()->addBar().field();
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    QTest::mouseClick(&field, Qt::LeftButton);
    if (!s.waitFor([&] { return field.hasFocus(); }, "the add field focused") ||
        !serverCommand(s, "halt"))
        return false;
    s.type("Sunscreen");
    s.key(Qt::Key_Return);
    if (!s.waitFor([&] { return s.shownItem("Sunscreen").has_value(); }, "Sunscreen added") ||
        !waitForTheNotice(s, StoreNoticeModel::syncTitle(),
                          "Tallybird could not sync: ", "the notice that sync could not be done"))
        return false;
    if (!field.hasFocus())
        return s.fail("the notice took the keyboard from the add field");
    s.type("Hat");
    s.key(Qt::Key_Return);
    if (!s.waitFor([&] { return s.shownItem("Hat").has_value(); }, "Hat typed on and added"))
        return false;
    const auto tree = readerTree(s);
    if (!tree)
        return false;
    const ScreenReader::Element* heard = elementNamed(*tree, StoreNoticeModel::syncTitle());
    return (heard && heard->description.startsWith("Tallybird could not sync: ")) ||
           s.fail("the screen reader hears no notice that sync could not be done");
}

// Once the server is back, the next pass (after an edit) gets through and the notice goes.
bool startTheServerAndSeeTheNoticeGo(Session& s) {
    auto* banner = s.window().findChild<StoreNoticeBanner*>();
    if (!serverCommand(s, "resume") || !s.clickTick("Towel"))
        return false;
    return QTest::qWaitFor([&] { return !banner->isVisible(); }, 2 * waitMs) ||
           s.fail("the notice stayed once the server was back: " + banner->messageLabel()->text());
}

// --- The add bar's chips and the filter chips by keyboard, as a screen reader hears them ---

// The add bar's chip of a tag, or null.
TagChip* addBarChip(Session& s, const QString& tag) {
    for (TagChip* chip : s.content().listView()->addBar().chipBar()->chips())
        if (chip->tag() == tag)
            return chip;
    return nullptr;
}

// Typing a new item, the reader is told the proposed tag once, on the add field, and nothing of
// the chips at each keystroke; Tab reaches the proposed chip after the plus, Space turns the
// proposal down, and the item is added without it.
bool turnTheProposedTagDownByKeyboard(Session& s) {
    if (!s.waitFor([&] { return s.shownList() == "Groceries"; }, "Groceries open"))
        return false;
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    AddItemField& field = *s.content().listView()->addBar().field();
    if (!s.tabTo([&] { return field.hasFocus(); }, "the add field"))
        return false;
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    s.type("yoghurt");
    if (!s.waitFor([&] { return s.listScreen().addBar().suggestion == "dairy"; },
                   "dairy proposed for yoghurt"))
        return false;
    settle();
    const QStringList proposed = heard.lines();
    const QString told = "Suggested tag dairy. Applied when you add the item.";
    if (field.accessibleDescription() != told ||
        proposed.filter("description: New item").size() != 1)
        return s.fail("the proposal was not told once on the add field: " + heard.said());
    s.type(" natural");
    // Each keystroke waits for its proposal, the same one.
    if (!s.waitFor([&] { return s.listScreen().addBar().suggestion == "dairy"; },
                   "dairy proposed for yoghurt natural"))
        return false;
    settle();
    const QStringList typing = heard.lines().mid(proposed.size());
    if (!typing.isEmpty())
        return s.fail("typing on with the same proposal, the reader heard " + typing.join(" | "));

    const auto onTheProposal = [&] {
        TagChip* chip = addBarChip(s, "dairy");
        return chip && chip->hasFocus() && chip->showsFocusRing();
    };
    if (!s.tabTo(onTheProposal, "the proposed #dairy chip"))
        return false;
    if (heard.lastFocus() != "Suggested tag dairy")
        return s.fail("on the proposed chip, the reader heard " + heard.said());
    s.key(Qt::Key_Space);
    if (!s.waitFor([&] { return !s.listScreen().addBar().suggestion.has_value(); },
                   "the proposal turned down by Space") ||
        !s.waitFor(onTheProposal, "the keyboard still on the #dairy chip"))
        return false;
    settle();
    if (heard.lastFocus() != "Suggested tag dairy" ||
        !heard.lines().contains("name: Tag with dairy"))
        return s.fail("turning the proposal down, the reader heard " + heard.said());
    for (int back = 0; back < 10 && !field.hasFocus(); ++back)
        s.key(Qt::Key_Tab, Qt::ShiftModifier);
    if (!field.hasFocus())
        return s.fail("Shift+Tab from the chips never reached the add field");
    s.key(Qt::Key_Return);
    return s.waitFor([&] { return s.shownItem("yoghurt natural").has_value(); },
                     "yoghurt natural added without the tag turned down");
}

// With the keyboard on a filter chip, a tag that comes from the command line and Space on the
// chip tell only the chips that changed, and the reader is not told the chip again.
bool hearOnlyTheFilterChipsThatChange(Session& s) {
    DetailItemsView& items = s.content().listView()->items();
    const auto dairyChip = [&]() -> PaintedButton* {
        TagFilterBar* bar = items.filterBar();
        const int place = bar ? bar->placeOfTag("dairy") : -1;
        return place < 0 ? nullptr : qobject_cast<PaintedButton*>(bar->chipButtons().at(place));
    };
    if (!s.tabTo([&] { return dairyChip() && dairyChip()->hasFocus(); }, "the #dairy chip"))
        return false;
    QPointer<PaintedButton> chip = dairyChip();
    // The chips there already: none of them is renamed by a tag that comes.
    QStringList there;
    for (const DetailSnapshot::FilterChip& shown : items.filterBar()->chips())
        there.append(QRegularExpression::escape(shown.accessibilityLabel));
    const QRegularExpression thereRenamed("^name: (" + there.join('|') + ")$");
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    if (!s.request({"add", "--list", "Groceries", "Pears #orchard"},
                   "Added Pears #orchard to Groceries.\n") ||
        !s.waitFor(
            [&] { return items.filterBar() && items.filterBar()->placeOfTag("orchard") > 0; },
            "the #orchard chip"))
        return false;
    settle();
    QStringList wrong = heard.starting("focus") + heard.starting("outside") +
                        heard.starting("chips gone") + heard.lines().filter(thereRenamed);
    if (!chip || !chip->hasFocus() || !wrong.isEmpty())
        return s.fail("a tag coming, the reader heard " + heard.said());
    const qsizetype before = heard.lines().size();
    s.key(Qt::Key_Space);
    if (!s.waitFor([&] { return s.listScreen().state().selectedTag == "dairy"; },
                   "the list filtered by Space"))
        return false;
    settle();
    const QStringList pressed = heard.lines().mid(before);
    wrong = pressed.filter(QRegularExpression("^(focus|outside|chips gone|chips shown): "));
    if (!chip || !chip->hasFocus() || !wrong.isEmpty() ||
        pressed.filter(QRegularExpression("^name: (Filter by|Stop filtering by|Group by|Stop "
                                          "grouping)")) !=
            QStringList({"name: Stop filtering by dairy"}))
        return s.fail("Space on the chip, the reader heard " + pressed.join(" | "));
    s.key(Qt::Key_Space);
    return s.waitFor([&] { return !s.listScreen().state().selectedTag.has_value(); },
                     "the filter taken off by Space");
}

// --- Menus heard as they open, and the keyboard's row kept through the header ---

// The menu shown now, or null.
QMenu* shownMenu() {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return menu && menu->isVisible() ? menu : nullptr;
}

// Opens a menu by `open` (with the keyboard already where it asks from) and checks that the
// reader hears its first entry, `first`, as it opens, before any arrow key; Escape closes it.
bool hearAMenuOpen(Session& s, const QString& what, const QString& first,
                   const std::function<void()>& open) {
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    open();
    QMenu* menu = nullptr;
    if (!s.waitFor([&] { return (menu = shownMenu()) != nullptr; }, what + " open"))
        return false;
    settle();
    // A menu of the detail column's is in it, the lists' menu outside it.
    const bool said =
        heard.lines().contains("focus: " + first) || heard.lines().contains("outside: " + first);
    QTest::keyClick(menu, Qt::Key_Escape);
    if (!s.waitFor([] { return !shownMenu(); }, what + " closed by Escape"))
        return false;
    return said ||
           s.fail(what + " opened with nothing said of " + first + "; heard: " + heard.said());
}

// A row's menu in the lists, the list actions and an item's menu: each is heard as it opens,
// with the entry the keyboard is on.
bool hearEachMenuAsItOpens(Session& s) {
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs))
        return s.fail("the window never became active");
    PageListView& lists = *s.content().sidebar()->rowsView();
    if (!s.tabTo([&] { return lists.hasFocus() && lists.currentIndex().isValid(); }, "the lists") ||
        !hearAMenuOpen(s, "the list's menu", "Rename…",
                       [&] { s.key(Qt::Key_F10, Qt::ShiftModifier); }))
        return false;
    QWidget& actions = s.content().listView()->actionsButton();
    if (!s.tabTo([&] { return actions.hasFocus(); }, "the list actions") ||
        !hearAMenuOpen(s, "the list actions", "Edit list…", [&] { s.key(Qt::Key_Space); }))
        return false;
    DetailItemsView& items = s.content().listView()->items();
    return s.tabTo([&] { return items.hasFocus(); }, "the items") &&
           hearAMenuOpen(s, "the item's menu", "Star",
                         [&] { s.key(Qt::Key_F10, Qt::ShiftModifier); });
}

// The keyboard on the fourth item goes on to the header, opens the list editor and cancels it,
// and comes back by Shift+Tab: it lands on the same item, the last thing the reader hears.
bool comeBackToTheRowLeftThroughTheHeader(Session& s) {
    DetailItemsView& items = s.content().listView()->items();
    if (!s.tabTo([&] { return items.hasFocus(); }, "the items"))
        return false;
    s.key(Qt::Key_Home);
    for (int down = 0; down < 3; ++down)
        s.key(Qt::Key_Down);
    const QString text = s.keyboardItem();
    const std::optional<TBItem> item = s.shownItem(text);
    if (text != "cheese" || !item)
        return s.fail("Down three times from the first item reached " + text);
    // Between the items and the header: the add field, its plus and the add bar's chips.
    QWidget* header = items.heroView();
    int tabs = 0;
    while (header && !header->hasFocus() && tabs < 12) {
        s.key(Qt::Key_Tab);
        ++tabs;
    }
    if (!header || !header->hasFocus())
        return s.fail("Tab from the items did not reach the header");
    s.key(Qt::Key_Space);
    QPointer<ListEditorSheet> editor;
    if (!s.waitFor(
            [&] {
                editor = qobject_cast<ListEditorSheet*>(SheetDialog::shown());
                return editor && editor->isActiveWindow();
            },
            "the list editor open with the keyboard"))
        return false;
    QTest::keyClick(editor->windowHandle(), Qt::Key_Escape);
    if (!s.waitFor([&] { return !editor || !editor->isVisible(); }, "the editor cancelled") ||
        !s.waitFor([&] { return header->hasFocus(); }, "the keyboard back on the header"))
        return false;
    Heard heard(s);
    for (int back = 0; back < tabs; ++back)
        s.key(Qt::Key_Backtab, Qt::ShiftModifier);
    if (!s.waitFor([&] { return s.keyboardItem() == text; },
                   "the keyboard back on " + text + ", not on " + s.keyboardItem()))
        return false;
    if (!heard.listening())
        return heard.passesUnheard();
    const QString row = ItemRowText::textLabel(*item);
    return s.waitFor([&] { return heard.lastFocus() == row; }, "the reader hearing " + row) ||
           s.fail(s.failure() + "; heard: " + heard.said());
}

// --- Where the keyboard is and what a choice changed, as a screen reader hears it ---

// The name a screen reader is told for the widget that has the keyboard.
QString focusedName() {
    QAccessibleInterface* focused =
        QAccessible::queryAccessibleInterface(static_cast<QObject*>(QApplication::focusWidget()));
    return focused ? focused->text(QAccessible::Name) : QString();
}

// A key pressed in the window the keyboard is in: the main window or a sheet over it.
void pressInFocusWindow(Session& s, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWindow* window = QGuiApplication::focusWindow();
    QTest::keyClick(window ? window : s.window().windowHandle(), key, modifiers);
    QCoreApplication::processEvents();
}

// Presses Tab in the window the keyboard is in until the control of that name has it.
bool tabToNamed(Session& s, const std::function<bool(const QString&)>& named, const QString& what) {
    for (int tab = 0; tab < 40 && !named(focusedName()); ++tab)
        pressInFocusWindow(s, Qt::Key_Tab);
    return named(focusedName()) || s.fail("Tab never reached " + what);
}

// The last focus the program told, wherever it was: "Lists" for the pane, a row by its name.
QString lastFocusHeard(const Heard& heard) {
    const QStringList focus =
        heard.lines().filter(QRegularExpression(QStringLiteral("^(focus|outside): ")));
    return focus.isEmpty() ? QString() : focus.last().section(QStringLiteral(": "), 1);
}

// What a screen reader listening on the accessibility bus hears, one line per event: "type
// detail1 source" for a state change ("object:state-changed:checked 1 Dark"), "type source"
// for the others. It hears nothing without a bus.
class BusEars {
public:
    explicit BusEars(Session& s) : s_(s) {
        if (!s.reader().onTheBus())
            return;
        listener_.start(qEnvironmentVariable("TALLYBIRD_SCREEN_READER_PYTHON"),
                        {qEnvironmentVariable("TALLYBIRD_SCREEN_READER_CLIENT"), "listen",
                         QString::number(QCoreApplication::applicationPid())});
        QObject::connect(&listener_, &QProcess::readyReadStandardOutput, [this] { read(); });
        listening_ = s.waitFor([&] { return started_; }, "the screen reader listening");
        // The program learns of a new listener from the bus before it sends it anything.
        if (listening_)
            QTest::qWait(1000);
    }
    ~BusEars() {
        // The listener may be asking the program about an event as it goes: the program answers
        // meanwhile.
        listener_.closeWriteChannel();
        if (!QTest::qWaitFor([&] { return listener_.state() == QProcess::NotRunning; }, waitMs)) {
            listener_.kill();
            listener_.waitForFinished();
        }
    }
    bool onTheBus() const { return s_.reader().onTheBus(); }
    // Waits until `line` is heard; false (with what was heard said) when it never is.
    bool hear(const QString& line) {
        return (listening_ && s_.waitFor([&] { return heard_.contains(line); }, "heard " + line)) ||
               s_.fail(s_.failure() + "; heard: " + heard_.join(" | "));
    }

private:
    void read() {
        while (listener_.canReadLine()) {
            const QByteArray line = listener_.readLine().trimmed();
            if (line == "listening") {
                started_ = true;
                continue;
            }
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            const QString type = o.value("type").toString();
            heard_.append(type +
                          (type.startsWith("object:state-changed")
                               ? QStringLiteral(" %1").arg(o.value("detail1").toInt())
                               : QString()) +
                          " " + o.value("source").toString());
        }
    }

    Session& s_;
    QProcess listener_;
    bool started_ = false;
    bool listening_ = false;
    QStringList heard_;
};

// The list editor, once it shows with the keyboard in it; null (with the failure said) when never.
ListEditorSheet* listEditorWithTheKeyboard(Session& s) {
    ListEditorSheet* editor = nullptr;
    s.waitFor(
        [&] {
            editor = qobject_cast<ListEditorSheet*>(SheetDialog::shown());
            return editor && editor->isVisible() &&
                   editor->isAncestorOf(QApplication::focusWidget());
        },
        "the list editor with the keyboard");
    return editor && editor->isAncestorOf(QApplication::focusWidget()) ? editor : nullptr;
}

// The main window active again with a control of its own holding the keyboard, once a sheet or
// a prompt over it went.
bool backInTheWindow(Session& s) {
    s.window().activateWindow();
    return s.waitFor(
        [&] {
            QWidget* focus = QApplication::focusWidget();
            return QGuiApplication::focusWindow() == s.window().windowHandle() && focus &&
                   focus->window() == &s.window();
        },
        "the window active with the keyboard in it");
}

bool cancelTheSheet(Session& s, const QPointer<SheetDialog>& sheet, const QString& what) {
    pressInFocusWindow(s, Qt::Key_Escape);
    return s.waitFor([&] { return !sheet || !sheet->isVisible(); }, what + " closed by Escape");
}

// In the lists pane, the keyboard's row is the last focus heard: after a Tab away and back,
// after the row's menu, and after Rename… given up with Escape.
bool hearTheListsRowLastAfterTabBackAMenuAndRename(Session& s) {
    PageListView& lists = *s.content().sidebar()->rowsView();
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs) ||
        !s.tabTo([&] { return lists.hasFocus() && lists.currentIndex().isValid(); }, "the lists"))
        return false;
    s.key(Qt::Key_Down);
    const QString row = lists.currentIndex().data(Qt::AccessibleTextRole).toString();
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    const auto rowHeardLast = [&](const QString& after) {
        return (s.waitFor([&] { return lists.hasFocus(); }, "the keyboard back on the lists") &&
                s.waitFor([&] { return lastFocusHeard(heard) == row; },
                          "the reader hearing " + row + " last " + after)) ||
               s.fail(s.failure() + "; heard: " + heard.said());
    };
    s.key(Qt::Key_Tab);
    s.key(Qt::Key_Tab, Qt::ShiftModifier);
    if (!rowHeardLast("after Tab and Shift+Tab"))
        return false;
    const auto openMenu = [&]() -> QMenu* {
        s.key(Qt::Key_F10, Qt::ShiftModifier);
        QMenu* menu = nullptr;
        s.waitFor(
            [&] {
                menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                return menu && menu->isVisible();
            },
            "the row's menu open by Shift+F10");
        return menu;
    };
    QMenu* menu = openMenu();
    if (!menu)
        return false;
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Escape);
    if (!s.waitFor([] { return !QApplication::activePopupWidget(); }, "the menu closed") ||
        !rowHeardLast("after its menu"))
        return false;
    menu = openMenu();
    if (!menu)
        return false;
    // The menu opens with the keyboard on its first entry.
    if (!s.waitFor([&] { return menu->activeAction() != nullptr; }, "the menu on an entry") ||
        !menu->activeAction()->text().startsWith("Rename"))
        return s.fail("the menu's first item is not Rename…");
    QTest::keyClick(menu, Qt::Key_Return);
    QPointer<QWidget> prompt;
    if (!s.waitFor(
            [&] {
                prompt = QApplication::activeModalWidget();
                return prompt && prompt->isVisible() &&
                       QGuiApplication::focusWindow() == prompt->windowHandle();
            },
            "the name prompt of Rename… with the keyboard"))
        return false;
    pressInFocusWindow(s, Qt::Key_Escape);
    return s.waitFor([&] { return !prompt || !prompt->isVisible(); }, "the prompt given up") &&
           rowHeardLast("after Rename… given up");
}

// A list's counts changed from the command line while the keyboard is on its row: the reader is
// told the row's new name, and of no other row.
bool hearAListsRowRenamedWhenItsCountsChange(Session& s) {
    PageListView& lists = *s.content().sidebar()->rowsView();
    const auto rowName = [&](const QString& listName) {
        const PageRowModel& rows = s.lists().rows();
        for (int row = 0; row < rows.rowCount(); ++row)
            if (!rows.content(row).isHeader() && rows.content(row).row.list.name == listName)
                return rows.index(row).data(Qt::AccessibleTextRole).toString();
        return QString();
    };
    s.window().activateWindow();
    if (!QTest::qWaitForWindowActive(&s.window(), waitMs) ||
        !s.tabTo([&] { return lists.hasFocus() && lists.currentIndex().isValid(); }, "the lists"))
        return false;
    for (int up = 0; up < 10 && lists.currentIndex().row() > 0; ++up)
        s.key(Qt::Key_Up);
    for (int down = 0;
         down < 10 && lists.currentIndex().data(Qt::AccessibleTextRole) != rowName("Packing");
         ++down)
        s.key(Qt::Key_Down);
    const QString before = rowName("Packing");
    if (lists.currentIndex().data(Qt::AccessibleTextRole).toString() != before)
        return s.fail("the keyboard never reached Packing");
    QStringList others;
    for (int row = 0; row < s.lists().rows().rowCount(); ++row)
        if (row != lists.currentIndex().row())
            others.append(s.lists().rows().index(row).data(Qt::AccessibleTextRole).toString());
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    if (!s.request({"add", "--list", "Packing", "Sunscreen"}, "Added Sunscreen to Packing.\n") ||
        !s.waitFor([&] { return rowName("Packing") != before; }, "Packing's row counting anew"))
        return false;
    settle();
    const QString after = rowName("Packing");
    QStringList wrong;
    for (const QString& line : heard.starting("name"))
        if (others.contains(line.section(QStringLiteral(": "), 1)))
            wrong.append(line);
    return (s.waitFor([&] { return heard.lines().contains("name: " + after); },
                      "the reader told " + after) &&
            (wrong.isEmpty() ||
             s.fail("rows that did not change were renamed: " + wrong.join(" | ")))) ||
           s.fail(s.failure() + "; heard: " + heard.said());
}

// Space on a choice tells a screen reader its new state, as a check box does: the appearance
// in Settings, the kind in the list editor, a list in New group.
bool hearDarkChosenInSettings(Session& s) {
    const QPointer<SettingsSheet> sheet = openSettingsWithTheShortcut(s);
    if (!sheet || !tabToNamed(
                      s, [](const QString& name) { return name == "Dark"; }, "Dark"))
        return false;
    BusEars ears(s);
    if (!ears.onTheBus())
        return cancelTheSheet(s, sheet.data(), "the settings");
    pressInFocusWindow(s, Qt::Key_Space);
    return ears.hear("object:state-changed:checked 1 Dark") &&
           ears.hear("object:state-changed:checked 0 System") &&
           cancelTheSheet(s, sheet.data(), "the settings");
}

// Space on "Edit list details" opens the list editor with the keyboard on its first control:
// the first and only focus the reader hears is that control's, nothing of the due date's
// calendar, which is made with the sheet and stays closed. Nor does a day stepped by the
// arrow keys in the due date's field move the reader into that closed calendar.
bool hearOnlyTheFirstControlAsTheListEditorOpens(Session& s) {
    if (!backInTheWindow(s) ||
        !s.tabTo([] { return focusedName() == "Edit list details"; }, "Edit list details"))
        return false;
    Heard heard(s);
    if (!heard.listening())
        return heard.passesUnheard();
    s.key(Qt::Key_Space);
    const QPointer<SheetDialog> editor = listEditorWithTheKeyboard(s);
    if (!editor)
        return false;
    settle();
    const QString first = focusedName();
    const QStringList focus =
        heard.lines().filter(QRegularExpression(QStringLiteral("^(focus|outside): ")));
    if (first.isEmpty() || focus.size() != 1 || focus.first().section(": ", 1) != first)
        return s.fail("the list editor opened on " + first + ", and the reader heard " +
                      focus.join(" | "));
    auto* sheet = qobject_cast<ListEditorSheet*>(editor.data());
    if (!sheet)
        return s.fail("the sheet shown is not the list editor");
    QTest::mouseClick(sheet->dueSwitch(), Qt::LeftButton);
    QDateTimeEdit* field = sheet->duePicker()->editor();
    if (!s.waitFor([&] { return field->isVisible(); }, "the due date field"))
        return false;
    field->setFocus(Qt::TabFocusReason);
    if (!s.waitFor([&] { return field->hasFocus(); }, "the keyboard in the due date field"))
        return false;
    settle();
    const QString due = focusedName();
    const qsizetype before = heard.lines().size();
    field->setCurrentSection(QDateTimeEdit::DaySection);
    pressInFocusWindow(s, Qt::Key_Up);
    pressInFocusWindow(s, Qt::Key_Up);
    settle();
    const QStringList stepped = heard.lines()
                                    .mid(before)
                                    .filter(QRegularExpression(QStringLiteral("^(focus|outside): ")))
                                    .filter(QRegularExpression("^\\w+: (?!" +
                                                               QRegularExpression::escape(due) +
                                                               "$)"));
    if (!stepped.isEmpty())
        return s.fail("stepping the due date's day, the reader heard " + stepped.join(" | "));
    return cancelTheSheet(s, editor, "the list editor");
}

bool hearOngoingChosenInTheListEditor(Session& s) {
    if (!backInTheWindow(s) ||
        !s.tabTo([] { return focusedName() == "Edit list details"; }, "Edit list details"))
        return false;
    s.key(Qt::Key_Space);
    const QPointer<SheetDialog> editor = listEditorWithTheKeyboard(s);
    const auto ongoing = [](const QString& name) { return name.startsWith("Ongoing. "); };
    if (!editor || !tabToNamed(s, ongoing, "Ongoing"))
        return false;
    const QString name = focusedName();
    BusEars ears(s);
    if (!ears.onTheBus())
        return cancelTheSheet(s, editor, "the list editor");
    pressInFocusWindow(s, Qt::Key_Space);
    return ears.hear("object:state-changed:checked 1 " + name) &&
           cancelTheSheet(s, editor, "the list editor");
}

bool hearAListTickedInNewGroup(Session& s) {
    auto* pill = s.window().findChild<NewGroupPill*>();
    if (!backInTheWindow(s) || !pill)
        return s.fail(s.failure() + " (New group)");
    // Where Tab brings the keyboard from the lists.
    pill->setFocus(Qt::TabFocusReason);
    if (!s.waitFor([&] { return pill->hasFocus(); }, "the keyboard on New group"))
        return false;
    QPointer<SheetDialog> sheet;
    QListView* lists = nullptr;
    const auto open = [&] {
        sheet = SheetDialog::shown();
        lists = sheet ? sheet->findChild<QListView*>("groupEditorLists") : nullptr;
        return lists && lists->isVisible();
    };
    s.key(Qt::Key_Space);
    // A press that comes while the window is still taking the keyboard back from the sheet
    // before can be lost; the pill, still focused and opening nothing, is pressed again.
    if (!QTest::qWaitFor(open, 3'000) && pill->hasFocus() &&
        !(SheetDialog::shown() && SheetDialog::shown()->isVisible()))
        s.key(Qt::Key_Space);
    if (!s.waitFor(open, "New group with its lists"))
        return false;
    if (!tabToNamed(
            s, [&](const QString&) { return lists->hasFocus(); }, "the lists to group"))
        return false;
    const QModelIndex current = lists->currentIndex();
    if (!current.isValid())
        return s.fail("no list has the keyboard in New group");
    const QString name = current.data(Qt::AccessibleTextRole).toString();
    BusEars ears(s);
    if (!ears.onTheBus())
        return cancelTheSheet(s, sheet, "New group");
    pressInFocusWindow(s, Qt::Key_Space);
    if (!ears.hear("object:state-changed:checked 1 " + name))
        return false;
    pressInFocusWindow(s, Qt::Key_Space);
    return ears.hear("object:state-changed:checked 0 " + name) &&
           cancelTheSheet(s, sheet, "New group");
}

struct Step {
    const char* name;
    bool (*run)(Session&);
};

// Every launch of the journey, in order, with its steps; each launch ends by quitting.
const std::vector<std::pair<const char*, std::vector<Step>>>& journey() {
    static const std::vector<std::pair<const char*, std::vector<Step>>> launches = {
        {"first",
         {{"find the first list open at launch", findTheFirstListOpenAtLaunch},
          {"open Packing by a click", openPackingByAClick},
          {"tick Socks by a click", tickSocksByAClick},
          {"make a list", makeAList},
          {"open Groceries by a request", openGroceriesByARequest},
          {"add items in the add bar", addItemsInTheAddBar},
          {"paste two lines and close the alert with Return",
           pasteTwoLinesAndCloseTheAlertWithReturn},
          {"edit an item", editAnItem},
          {"open the due date's calendar near the sheet's bottom edge",
           openTheCalendarNearTheSheetsBottom},
          {"hear which list is open", hearWhichListIsOpen},
          {"star an item through the screen reader", starAnItemThroughTheScreenReader},
          {"filter by a tag through the screen reader", filterByATagThroughTheScreenReader},
          {"group by tag through the screen reader", groupByTagThroughTheScreenReader},
          {"walk the window for nameless elements", walkTheWindowForNamelessElements},
          {"stop grouping and filtering through the screen reader",
           stopGroupingAndFilteringThroughTheScreenReader},
          {"filter by a chip from the keyboard", filterByAChipFromTheKeyboard},
          {"do the main job by keyboard", doTheMainJobByKeyboard},
          {"open an item by keyboard and add a tag", openAnItemByKeyboardAndAddATag},
          {"hear no row while adding in the add field", hearNoRowWhileAddingInTheAddField},
          {"hear the editor and then the row by keyboard", hearTheEditorAndThenTheRowByKeyboard},
          {"hear nothing of a chip while a tick comes from the command line",
           hearNothingOfAChipWhileATickComesFromTheCommandLine},
          {"hear the completed header renamed before the keyboard lands on it",
           hearTheCompletedHeaderRenamedBeforeTheKeyboardLandsOnIt},
          {"remove a list and cancel with Escape", removeAListAndCancelWithEscape},
          {"open settings with Ctrl+, and close them with Escape", openSettingsAndCloseWithEscape},
          {"open settings with Ctrl+, and close them with Done", openSettingsAndCloseWithDone},
          {"open settings on Done, ringed, and press it with Space",
           openSettingsOnDoneRingedAndPressItWithSpace},
          {"open a list's menu with Shift+F10", openAListsMenuWithShiftF10},
          {"leave the window smaller, elsewhere", leaveTheWindowSmallerElsewhere},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
        {"again",
         {{"find the window where it was left", findTheWindowWhereItWasLeft},
          {"find Weekend jobs still open", findWeekendJobsStillOpen},
          {"find Socks ticked", findSocksTicked},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
        {"newer",
         {{"find the lists of a newer Tallybird shown as view only",
           findTheNewerStoreShownViewOnly},
          {"find nothing in the sidebar that changes the lists",
           findNothingInTheSidebarThatChangesTheLists},
          {"tick Oat milk by a click, which changes nothing", tickOatMilkByAClickChangesNothing},
          {"add by a request, which is refused", addByARequestIsRefused},
          {"quit with Ctrl+Q, asked nothing", quitWithTheShortcut}}},
        {"shared",
         {{"open the shared list, view only", openTheSharedListViewOnly},
          {"see the stars come when the list is made read-write",
           seeTheStarsComeWhenTheListIsMadeReadWrite},
          {"hear a tick through the screen reader", hearATickThroughTheScreenReader},
          {"scroll the chips by the wheel and the cue", scrollTheChipsByTheWheelAndTheCue},
          {"click Group after coming back from an item lower down",
           clickGroupAfterComingBackFromAnItemLowerDown},
          {"see the stars go when the list is made read-only",
           seeTheStarsGoWhenTheListIsMadeReadOnly},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
        {"older layout",
         {{"find the upgrade and its copy named in the notice",
           findTheUpgradeAndItsCopyNamedInTheNotice},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
        {"unreadable settings",
         {{"find the settings file moved aside named in the notice",
           findTheUnreadableSettingsNamedInTheNotice},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
        {"menus and the row",
         {{"hear each menu as it opens", hearEachMenuAsItOpens},
          {"come back to the row left through the header", comeBackToTheRowLeftThroughTheHeader},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
        {"server stopped",
         {{"sync with the server up", syncWithTheServerUp},
          {"stop the server and find the notice", stopTheServerAndFindTheNotice},
          {"start the server and see the notice go", startTheServerAndSeeTheNoticeGo},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
        {"add bar chips",
         {{"turn the proposed tag down by keyboard", turnTheProposedTagDownByKeyboard},
          {"hear only the filter chips that change", hearOnlyTheFilterChipsThatChange},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
        {"keyboard and reader",
         {{"hear the lists row last after Tab back, its menu and Rename…",
           hearTheListsRowLastAfterTabBackAMenuAndRename},
          {"hear a lists row renamed when its counts change",
           hearAListsRowRenamedWhenItsCountsChange},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
        {"choices and reader",
         {{"hear only the first control as the list editor opens",
           hearOnlyTheFirstControlAsTheListEditorOpens},
          {"hear Dark chosen in settings", hearDarkChosenInSettings},
          {"hear Ongoing chosen in the list editor", hearOngoingChosenInTheListEditor},
          {"hear a list ticked in New group", hearAListTickedInNewGroup},
          {"quit with Ctrl+Q", quitWithTheShortcut}}},
    };
    return launches;
}

// --- One launch, in the child process ---

// Runs the program with the steps of the launch named `launch`; 0 when every step passed and the
// program quit as a user quits it.
int runLaunch(const char* launch, int argc, char* argv[]) {
    const std::vector<Step>* steps = nullptr;
    for (const auto& [name, its] : journey())
        if (std::strcmp(name, launch) == 0)
            steps = &its;
    if (!steps)
        return 64;
    QStringList profileArguments;
    for (int i = 1; i < argc; ++i)
        profileArguments.append(QString::fromLocal8Bit(argv[i]));
    bool passed = false;
    ProgramMain::Hooks hooks;
    hooks.windowShown = [&](MainWindow& window) {
        QTimer::singleShot(0, &window, [&] {
            Session session(window, profileArguments);
            passed = true;
            std::fprintf(stderr, "journey: %s: the screen reader asks %s\n", launch,
                         session.reader().onTheBus() ? "over the accessibility bus"
                                                     : "inside the program (no bus)");
            for (const Step& step : *steps) {
                if (!step.run(session)) {
                    std::fprintf(stderr, "journey: %s: %s: %s\n", launch, step.name,
                                 qPrintable(session.failure()));
                    passed = false;
                    QCoreApplication::quit();
                    return;
                }
                std::fprintf(stderr, "journey: %s: %s\n", launch, step.name);
            }
        });
    };
    const int code = ProgramMain::run(argc, argv, hooks);
    return passed ? code : 65;
}

// --- The test, in this process ---

class FirstSessionJourney : public testing::Test {
protected:
    QStringList profileArguments() const {
        return {"--profile", dir.filePath("profile"), "--cloud",
                cloud.isEmpty() ? dir.filePath("cloud.sqlite") : cloud};
    }
    // A command-line request with no program running: its reply.
    QString type(const QStringList& words) { return typeAs(profileArguments(), words); }
    // The same on another profile.
    QString typeAs(const QStringList& profile, const QStringList& words) {
        QProcess request;
        request.start(QStringLiteral(TALLYBIRD_EXECUTABLE), profile + words);
        EXPECT_TRUE(request.waitForFinished(waitMs));
        return QString::fromUtf8(request.readAllStandardOutput());
    }
    // One launch of the program with the steps of `name`; its exit code and what it said.
    std::pair<int, QString> launch(const char* name) {
        QProcess program;
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QCoreApplication::applicationFilePath(),
                      QStringList{launchFlag, name} + profileArguments());
        if (!program.waitForFinished(40'000)) {
            program.kill();
            program.waitForFinished();
            return {-1, QString::fromUtf8(program.readAll()) + "(did not end)"};
        }
        return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2,
                QString::fromUtf8(program.readAll())};
    }

    QTemporaryDir dir;
    QString cloud; // the container, when not a file in `dir`
};

TEST_F(FirstSessionJourney, ListsOpenTickAndStayAsLeftAcrossALaunch) {
    ASSERT_EQ(type({"start", "Groceries"}), "Started Groceries.\n");
    ASSERT_EQ(type({"add", "--list", "Groceries", "Oat milk #dairy"}),
              "Added Oat milk #dairy to Groceries.\n");
    ASSERT_EQ(type({"start", "Packing"}), "Started Packing.\n");
    ASSERT_EQ(type({"add", "--list", "Packing", "Socks"}), "Added Socks to Packing.\n");

    const auto [firstCode, firstSaid] = launch("first");
    ASSERT_EQ(firstCode, 0) << firstSaid.toStdString();
    // The tick is in the store file: Packing has nothing left, Groceries its one item.
    EXPECT_FALSE(type({"read", "--list", "Packing", "--yes"}).contains("Socks"));
    const QString groceries = type({"read", "--list", "Groceries", "--yes"});
    EXPECT_TRUE(groceries.contains("Oat milk"));
    // The name edited in the item editor is in the store file too.
    EXPECT_TRUE(groceries.contains("Oat milk 2L")) << groceries.toStdString();
    // The items added in the add bar are in the store file too.
    EXPECT_TRUE(groceries.contains("Goat milk")) << groceries.toStdString();
    EXPECT_TRUE(groceries.contains("Rye bread")) << groceries.toStdString();
    // The list made in the window is in the store file too, with what the keyboard did there.
    const QString weekend = type({"read", "--list", "Weekend jobs", "--yes"});
    EXPECT_TRUE(weekend.contains("Fix the gate")) << weekend.toStdString();
    EXPECT_FALSE(weekend.contains("Paint the fence")) << weekend.toStdString();

    const auto [againCode, againSaid] = launch("again");
    EXPECT_EQ(againCode, 0) << againSaid.toStdString();
}

TEST_F(FirstSessionJourney, ListsFromANewerVersionAreShownAndTheirFileLeftAsItWas) {
    const QByteArray newer =
        R"({"version":4,"lists":[{"id":"0C5A3D9E-1111-4222-8333-944455556666","name":"Groceries"}],)"
        R"("items":[{"id":"1C5A3D9E-1111-4222-8333-944455556666",)"
        R"("listID":"0C5A3D9E-1111-4222-8333-944455556666","text":"Oat milk","aisle":7}],)"
        R"("dirtyLists":{},"dirtyItems":{},"archivedRecords":{},"reminders":[]})";
    ASSERT_TRUE(QDir().mkpath(dir.filePath("profile")));
    QFile file(dir.filePath("profile/store.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(newer);
    file.close();

    const auto [code, said] = launch("newer");
    EXPECT_EQ(code, 0) << said.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), newer);
}

TEST_F(FirstSessionJourney, AnotherPersonsListFollowsItsRightsWhileOpenAndIsHeardAsItChanges) {
    // The owner, another device of the container, starts a list and shares it read-only with
    // Sam, the user the window's profile is signed into.
    const QStringList owner{"--profile", dir.filePath("owner"), "--cloud",
                            dir.filePath("cloud.sqlite")};
    ASSERT_EQ(typeAs(owner, {"start", sharedList}), "Started " + sharedList + ".\n");
    for (const QString& tag : sharedTags) {
        const QString text = tag == "grains" ? sharedItem : "Some " + tag + " #" + tag;
        ASSERT_EQ(typeAs(owner, {"add", "--list", sharedList, text}),
                  "Added " + text + " to " + sharedList + ".\n");
    }
    const QString listID = typeAs(owner, {"lists"}).section(u'\t', 0, 0);
    ASSERT_FALSE(listID.isEmpty());
    const QString zone = "TB-" + listID;
    for (const QStringList& words :
         {QStringList{"create-user", "sam", "Sam", "Jones"},
          QStringList{"sign-in", dir.filePath("profile"), "sam"},
          QStringList{"share", cloud::Container::defaultUserName, zone, "sam", "read-only"},
          QStringList{"accept", cloud::Container::defaultUserName, zone, "sam"}}) {
        QProcess admin;
        admin.start(QStringLiteral(TALLYBIRD_CLOUD_EXECUTABLE),
                    QStringList{"--cloud", dir.filePath("cloud.sqlite")} + words);
        ASSERT_TRUE(admin.waitForFinished(waitMs));
        ASSERT_EQ(admin.exitCode(), 0) << admin.readAllStandardError().toStdString();
    }
    // Sam's own list, for the changes that start the window's sync passes.
    ASSERT_EQ(type({"start", "Scratch"}), "Started Scratch.\n");

    const auto [code, said] = launch("shared");
    EXPECT_EQ(code, 0) << said.toStdString();
}

TEST_F(FirstSessionJourney, AStoreOfAnOlderLayoutIsUpgradedAndItsCopyNamed) {
    const QByteArray older =
        R"({"lists":[{"id":"0C5A3D9E-1111-4222-8333-944455556666","name":"Groceries"}],)"
        R"("items":[{"id":"1C5A3D9E-1111-4222-8333-944455556666",)"
        R"("listID":"0C5A3D9E-1111-4222-8333-944455556666","text":"Oat milk"}]})";
    ASSERT_TRUE(QDir().mkpath(dir.filePath("profile")));
    QFile file(dir.filePath("profile/store.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(older);
    file.close();

    const auto [code, said] = launch("older layout");
    EXPECT_EQ(code, 0) << said.toStdString();
    EXPECT_TRUE(said.contains("was in an older layout and is upgraded")) << said.toStdString();
    EXPECT_FALSE(said.contains("could not be read in full")) << said.toStdString();
    const QStringList kept =
        QDir(dir.filePath("profile")).entryList({"store.json.unreadable-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1) << said.toStdString();
    QFile copy(dir.filePath("profile/" + kept.first()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), older);
    EXPECT_TRUE(type({"read", "--list", "Groceries", "--yes"}).contains("Oat milk"));
}

TEST_F(FirstSessionJourney, ASettingsFileThatCannotBeReadIsMovedAsideAndSaid) {
    ASSERT_TRUE(QDir().mkpath(dir.filePath("profile")));
    QFile file(dir.filePath("profile/defaults.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"cloudSyncEnabled\": tru");
    file.close();

    const auto [code, said] = launch("unreadable settings");
    EXPECT_EQ(code, 0) << said.toStdString();
    const QStringList kept =
        QDir(dir.filePath("profile")).entryList({"defaults.json.unreadable-*"}, QDir::Files);
    EXPECT_EQ(kept.size(), 1) << said.toStdString();
}

TEST_F(FirstSessionJourney, MenusAreHeardAsTheyOpenAndTheKeyboardKeepsItsRowThroughTheHeader) {
    ASSERT_EQ(type({"start", "Groceries"}), "Started Groceries.\n");
    for (const char* text : {"apples", "bread", "butter", "cheese", "eggs"})
        ASSERT_EQ(type({"add", "--list", "Groceries", text}),
                  QString("Added %1 to Groceries.\n").arg(text));
    const auto [code, said] = launch("menus and the row");
    EXPECT_EQ(code, 0) << said.toStdString();
}

// The test's own server, since it stops it: made at first, removed at the end however it ends.
class OwnServer {
public:
    explicit OwnServer(QString info) : info_(std::move(info)) { started_ = run("start") == 0; }
    ~OwnServer() { run("stop"); }
    bool started() const { return started_; }

private:
    int run(const char* command) const {
        QProcess script;
        script.start(testsupport::PostgresTestServer::clusterScript(),
                     {QString::fromLatin1(command), info_});
        script.waitForFinished(120'000);
        return script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1;
    }
    QString info_;
    bool started_ = false;
};

TEST_F(FirstSessionJourney, AServerThatStopsIsToldInTheWindowUntilItIsBack) {
    TALLYBIRD_REQUIRE_POSTGRES();
    const QString info = dir.filePath("server");
    const OwnServer own(info);
    ASSERT_TRUE(own.started()) << "the test's own server did not start";
    testsupport::PostgresTestDatabase server(true, info);
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    server.addPerson("ann");
    cloud = server.uri("ann");
    ASSERT_EQ(type({"start", "Packing"}), "Started Packing.\n");
    ASSERT_EQ(type({"add", "--list", "Packing", "Socks"}), "Added Socks to Packing.\n");

    qputenv(serverInfoVariable, info.toUtf8());
    const auto [code, said] = launch("server stopped");
    qunsetenv(serverInfoVariable);
    EXPECT_EQ(code, 0) << said.toStdString();
    // What was added while the server was down reached it once it was back: another device of
    // Ann's finds it, and not Towel, ticked since.
    QProcess laptop;
    laptop.start(QStringLiteral(TALLYBIRD_EXECUTABLE),
                 {"--profile", dir.filePath("laptop"), "--cloud", cloud, "read", "--list",
                  "Packing", "--yes"});
    ASSERT_TRUE(laptop.waitForFinished(waitMs));
    const QString read = QString::fromUtf8(laptop.readAllStandardOutput());
    EXPECT_EQ(laptop.exitCode(), 0) << read.toStdString();
    EXPECT_EQ(QString::fromUtf8(laptop.readAllStandardError()), QString());
    for (const char* added : {"Sunscreen", "Hat"})
        EXPECT_TRUE(read.contains(added)) << read.toStdString();
    EXPECT_FALSE(read.contains("Towel")) << read.toStdString();
}

// The add bar's chips and the filter chips by keyboard alone, as a screen reader hears them.
TEST_F(FirstSessionJourney, TheChipsAreReachedByKeyboardAndOnlyWhatChangesIsTold) {
    ASSERT_EQ(type({"start", "Groceries"}), "Started Groceries.\n");
    for (const char* text : {"Oat milk #dairy", "Bread #bakery"})
        ASSERT_EQ(type({"add", "--list", "Groceries", text}),
                  QString("Added ") + text + " to Groceries.\n");
    const auto [code, said] = launch("add bar chips");
    EXPECT_EQ(code, 0) << said.toStdString();
    const QString groceries = type({"read", "--list", "Groceries", "--yes"});
    EXPECT_TRUE(groceries.contains("yoghurt natural")) << groceries.toStdString();
    EXPECT_FALSE(groceries.contains("yoghurt natural #dairy")) << groceries.toStdString();
}

// The keyboard alone, a screen reader listening: where the keyboard is and what a choice
// changed are told, and nothing the user cannot see.
TEST_F(FirstSessionJourney, TheReaderHearsWhereTheKeyboardIsAndWhatAChoiceChanged) {
    ASSERT_EQ(type({"start", "Groceries"}), "Started Groceries.\n");
    ASSERT_EQ(type({"add", "--list", "Groceries", "Oat milk #dairy"}),
              "Added Oat milk #dairy to Groceries.\n");
    ASSERT_EQ(type({"start", "Packing"}), "Started Packing.\n");
    for (const char* item : {"Socks", "Towel", "Hat"})
        ASSERT_EQ(type({"add", "--list", "Packing", item}),
                  QStringLiteral("Added %1 to Packing.\n").arg(item));
    const auto [code, said] = launch("keyboard and reader");
    EXPECT_EQ(code, 0) << said.toStdString();
    const auto [choicesCode, choicesSaid] = launch("choices and reader");
    EXPECT_EQ(choicesCode, 0) << choicesSaid.toStdString();
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], launchFlag) == 0) {
        // The program's own arguments follow the launch's name; argv[0] stays the program.
        const char* launch = argv[2];
        std::vector<char*> arguments{argv[0]};
        arguments.insert(arguments.end(), argv + 3, argv + argc);
        arguments.push_back(nullptr);
        return runLaunch(launch, int(arguments.size()) - 1, arguments.data());
    }
    QCoreApplication app(argc, argv);
    // The program's sockets live in the runtime folder, which must be the user's own.
    QFile::setPermissions(qEnvironmentVariable("XDG_RUNTIME_DIR"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
