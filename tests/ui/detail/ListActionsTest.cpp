// The list actions menu: its entries, paste, the Markdown file and its name, sharing by copy
// and by mail, and the list editor's sheet.
#include "DetailPaneTest.h"
#include "ui/components/SymbolButton.h"
#include "ui/detail/DetailSheetHost.h"
#include "ui/detail/ListActionsMenu.h"
#include "ui/detail/MarkdownExport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QUrlQuery>

namespace {

QStringList titles(const QList<ListActionsMenu::Entry>& entries) {
    QStringList out;
    for (const ListActionsMenu::Entry& entry : entries)
        out.append(entry.title);
    return out;
}

class ListActionsTest : public DetailPaneTest {
protected:
    // The pane's menu as the user sees it, with the share submenu's entries after "›".
    QStringList shownMenu() {
        view->fillActionsMenu();
        QStringList out;
        for (QAction* action : view->actionsMenu().actions()) {
            out.append(action->text());
            if (action->menu())
                for (QAction* way : action->menu()->actions())
                    out.append("› " + way->text());
        }
        return out;
    }
    QAction* menuAction(const QString& text) {
        view->fillActionsMenu();
        for (QAction* action : view->actionsMenu().actions()) {
            if (action->text() == text)
                return action;
            if (action->menu())
                for (QAction* way : action->menu()->actions())
                    if (way->text() == text)
                        return way;
        }
        return nullptr;
    }
};

TEST(ListActionsMenu, EntriesFollowEditRightsAndTags) {
    const struct {
        const char* what;
        bool canEdit;
        int tags;
        QStringList titles;
    } rows[] = {
        {"own list, one tag",
         true,
         1,
         {"Edit list…", "Paste items from clipboard", "Share as Markdown", "Save…"}},
        {"own list, two tags",
         true,
         2,
         {"Edit list…", "Paste items from clipboard", "Arrange tags…", "Share as Markdown",
          "Save…"}},
        {"read-only list, two tags", false, 2, {"Arrange tags…", "Share as Markdown", "Save…"}},
        {"read-only list, no tags", false, 0, {"Share as Markdown", "Save…"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(titles(ListActionsMenu::entries(row.canEdit, row.tags)), row.titles) << row.what;
}

TEST(MarkdownExport, FileNames) {
    const QString long300 = QString(300, QChar(u'a'));
    // 125 two-byte letters fill 250 bytes; one more would not fit.
    const QString longTwoByte = QString(130, QChar(u'é'));
    // A family emoji of 25 bytes of UTF-8 is never cut in half.
    const QString family =
        QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466");
    const struct {
        const char* what;
        std::optional<QString> name;
        QString file;
    } rows[] = {
        {"a plain name", "Groceries", "Groceries"},
        {"a missing list", std::nullopt, "List"},
        {"an empty name", "", "List"},
        {"slashes", "Mum/Dad 2/3", "Mum-Dad 2-3"},
        {"NUL and control characters", QString("a") + QChar(0) + "b\tc\nd\u007fe\u0085f",
         "a-b-c-d-e-f"},
        {"leading dots", "..hidden.list", "hidden.list"},
        {"only dots", "...", "List"},
        {"a dot after a slash stays", "./x", "-x"},
        {"300 ASCII letters", long300, QString(250, QChar(u'a'))},
        {"two-byte letters", longTwoByte, QString(125, QChar(u'é'))},
        {"an emoji at the cut", QString(240, QChar(u'b')) + family, QString(240, QChar(u'b'))},
    };
    for (const auto& row : rows) {
        const QString file = MarkdownExport::fileName(row.name);
        EXPECT_EQ(file, row.file) << row.what;
        EXPECT_LE(file.toUtf8().size(), MarkdownExport::maxNameBytes) << row.what;
    }
    EXPECT_EQ(MarkdownExport::fileNameWithExtension(QString("Groceries")), "Groceries.md");
}

TEST(MarkdownExport, TheMailLinkCarriesTheMarkdownWhole) {
    const QString markdown = "# Fish & chips\n\n- [ ] Cod + 2 #fish\n- [x] 100% vinegar?\n";
    const QUrl link = MarkdownExport::mailLink(markdown);
    EXPECT_EQ(link.scheme(), "mailto");
    EXPECT_EQ(link.path(), "");
    const QUrlQuery query(link);
    EXPECT_EQ(query.queryItems().size(), 1);
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded), markdown);
}

TEST_F(ListActionsTest, PastedTextBecomesItemsInOneBatchWithAMessage) {
    const struct {
        const char* what;
        std::optional<QString> clipboard;
        QStringList added; // "x " marks a done item
        QString message;
    } rows[] = {
        {"no text", std::nullopt, {}, "The clipboard has no text."},
        {"empty text", "", {}, "There is nothing on the clipboard to add."},
        {"blank lines", "  \n\n\t\n", {}, "There is nothing on the clipboard to add."},
        {"one line", "Milk", {"Milk"}, "Added 1 item."},
        {"a checklist",
         "- [ ] Bread #bakery\n- [x] Eggs\n- [ ] Tea",
         {"Bread #bakery", "x Eggs", "Tea"},
         "Added 3 items."},
        {"bullets and numbers", "* Soap\n2. Towels\n", {"Soap", "Towels"}, "Added 2 items."},
    };
    for (const auto& row : rows) {
        const TBList list = t.list(row.what);
        t.item(list, "Already there");
        model.show(list.id);
        model.setClipboardReader([&row] { return row.clipboard; });
        QSignalSpy changes(t.store.get(), &ListStore::changed);
        model.pasteFromClipboard();
        QStringList added;
        const QList<TBItem> items = t.store->items(list.id);
        for (qsizetype i = 1; i < items.size(); ++i)
            added.append((items[i].done ? "x " : "") + items[i].text);
        EXPECT_EQ(added, row.added) << row.what;
        EXPECT_EQ(model.state().message, row.message) << row.what;
        EXPECT_EQ(changes.count(), row.added.isEmpty() ? 0 : 1) << row.what;
        EXPECT_EQ(items.first().text, "Already there") << row.what;
    }
    EXPECT_TRUE(sound->played.isEmpty()); // pasting is silent
}

TEST_F(ListActionsTest, PastedNotesJoinTheirItemsThread) {
    const TBList list = t.list("Shop");
    model.show(list.id);
    model.setClipboardReader(
        [] { return std::optional<QString>("- [ ] Cake\n  Sam: with candles\n"); });
    model.pasteFromClipboard();
    ASSERT_EQ(t.store->items(list.id).size(), 1);
    EXPECT_TRUE(t.store->items(list.id).first().notes.contains("with candles"));
}

TEST_F(ListActionsTest, TheMenuAsShownAndItsShareEntries) {
    const TBList list = t.list("Groceries");
    t.item(list, "Milk #dairy");
    t.item(list, "Bread #bakery");
    open(list);
    EXPECT_EQ(shownMenu(),
              QStringList({"Edit list…", "Paste items from clipboard", "Arrange tags…",
                           "Share as Markdown", "› Copy Markdown", "› Send by Email…", "Save…"}));
    const QString markdown = t.store->exportMarkdown(list.id);
    menuAction("Copy Markdown")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), markdown);
    QList<QUrl> opened;
    view->setUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    menuAction("Send by Email…")->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QUrlQuery(opened.first()).queryItemValue("body", QUrl::FullyDecoded), markdown);

    // A read-only list: no editing, no pasting.
    t.shareFromOwner(list.id, TBSharePermission::readOnly);
    QCoreApplication::processEvents();
    EXPECT_EQ(shownMenu(), QStringList({"Arrange tags…", "Share as Markdown", "› Copy Markdown",
                                        "› Send by Email…", "Save…"}));
}

// Space on the button opens the menu with the keyboard on its first entry, which a screen reader
// says as the menu opens.
TEST_F(ListActionsTest, TheMenuOpensOnItsFirstEntry) {
    const TBList list = t.list("Groceries");
    t.item(list, "Milk");
    open(list);
    QApplication::setActiveWindow(view.get());
    view->actionsButton().setFocus(Qt::TabFocusReason);
    QTest::keyClick(&view->actionsButton(), Qt::Key_Space);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_EQ(menu, &view->actionsMenu());
    ASSERT_NE(menu->activeAction(), nullptr);
    EXPECT_EQ(menu->activeAction()->text(), "Edit list…");
    menu->close();
    QCoreApplication::processEvents();
}

TEST_F(ListActionsTest, SavingWritesTheMarkdownExportAndSaysWhenItFails) {
    const TBList list = t.list("Groceries");
    t.item(list, "Crème fraîche #dairy");
    t.item(list, "Bread", true);
    open(list);
    DetailSheetHost sheets(model, view.get());
    QTemporaryDir folder;
    QString proposed;
    std::optional<QString> answer;
    view->setSaveChooser([&](QWidget*, const QString& name, auto done) {
        proposed = name;
        done(answer);
    });

    answer = folder.filePath("Groceries.md");
    menuAction("Save…")->trigger();
    EXPECT_EQ(proposed, "Groceries.md");
    QFile file(*answer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), t.store->exportMarkdown(list.id).toUtf8());
    EXPECT_EQ(model.state().message, std::nullopt);
    EXPECT_FALSE(model.state().showingFileExporter);

    answer.reset(); // cancelled: nothing said
    menuAction("Save…")->trigger();
    EXPECT_EQ(model.state().message, std::nullopt);

    answer = folder.filePath("no such folder/Groceries.md");
    menuAction("Save…")->trigger();
    EXPECT_EQ(model.state().message, "Could not save the file.");
    ASSERT_TRUE(sheets.alert());
    EXPECT_EQ(sheets.alert()->text(), "Could not save the file.");
    sheets.alert()->button(QMessageBox::Ok)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(model.state().message, std::nullopt);
}

TEST_F(ListActionsTest, TheListEditorOpensOnlyForAListThatExistsAndClosesWhenItGoes) {
    const TBList list = t.list("Groceries");
    open(list);
    QStringList asked;
    QPointer<QDialog> editor;
    DetailSheetHost sheets(model, view.get());
    sheets.setPresenter(ListDetailModel::Sheet::listEditor,
                        [&](QWidget* parent, const DetailSheetHost::Request& request) {
                            asked.append(request.listID);
                            editor = new QDialog(parent);
                            return editor.data();
                        });
    menuAction("Edit list…")->trigger();
    ASSERT_EQ(asked, QStringList({list.id}));
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isVisible());
    editor->reject();
    EXPECT_FALSE(model.state().editing);

    // Open, then the list is deleted elsewhere: the editor closes.
    model.editList();
    ASSERT_TRUE(editor);
    t.store->deleteList(list.id);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(!editor || !editor->isVisible());
    EXPECT_FALSE(model.state().editing);

    // Gone: "Edit list…" opens nothing.
    model.editList();
    EXPECT_FALSE(model.state().editing);
    EXPECT_EQ(asked.size(), 2);
}

TEST_F(ListActionsTest, ControlsOfSheetsTheWindowLacksAreLeftOut) {
    const TBList list = t.list("Groceries");
    const TBItem milk = t.item(list, "Milk #dairy");
    t.item(list, "Bread #bakery");
    open(list);
    model.setSheetsOffered([](ListDetailModel::Sheet) { return false; });
    EXPECT_EQ(shownMenu(), QStringList({"Paste items from clipboard", "Share as Markdown",
                                        "› Copy Markdown", "› Send by Email…", "Save…"}));
    EXPECT_FALSE(model.snapshot().hero->editable);
    model.editList();
    model.arrangeTags();
    model.openItem(milk.id);
    EXPECT_FALSE(model.state().editing);
    EXPECT_FALSE(model.state().arrangingTags);
    EXPECT_EQ(model.state().openItem, std::nullopt);

    model.setSheetsOffered(
        [](ListDetailModel::Sheet sheet) { return sheet == ListDetailModel::Sheet::tagOrder; });
    EXPECT_TRUE(shownMenu().contains("Arrange tags…"));
    EXPECT_FALSE(shownMenu().contains("Edit list…"));
}

TEST_F(ListActionsTest, StartingToShareSaysWhyItCannot) {
    const TBList list = t.list("Groceries");
    model.show(list.id);
    model.setSharePreparer([](const QString&, auto done) {
        done(QString("Invite people with tallybird-cloud for now."));
    });
    model.presentShare();
    EXPECT_EQ(model.state().message,
              "Could not start sharing. Invite people with tallybird-cloud for now.");
    // Without the cloud the store's own reason is given.
    ListDetailModel plain(*t.store, t.clock);
    plain.show(list.id);
    plain.presentShare();
    EXPECT_EQ(plain.state().message,
              "Could not start sharing. " + errorDescription(SharingError::notAvailableHere));
}

} // namespace
