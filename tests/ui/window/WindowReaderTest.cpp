// The whole window as a screen reader walks it, offscreen, in the states a first week of use
// brings: the window and every element shown that takes a press, shows words or holds rows has
// a name (the window the program's, each list of rows what it holds), and every element names
// as its parent the element it was found under.
#include "model/TBItem.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "support/AccessibleWalk.h"
#include "support/NoUpdates.h"
#include "support/QStringPrinting.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/ListsScreenModel.h"
#include "ui/window/MainWindow.h"
#include "ui/window/UpdateChecker.h"
#include "ui/window/WindowContent.h"

#include <QAccessible>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class WindowReaderTest : public testing::Test {
protected:
    void SetUp() override {
        Defaults::setStandard(defaults);
        store = std::make_unique<ListStore>(dir.filePath("store.json"), false, false, *defaults);
        updater = std::make_unique<UpdateChecker>(std::make_shared<NoUpdates>());
    }
    void TearDown() override {
        window.reset();
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
    }
    void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    std::unique_ptr<ListStore> store;
    std::unique_ptr<UpdateChecker> updater;
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowReaderTest, EveryElementThatTakesAPressOrShowsWordsHasAName) {
    TBList groceries = store->addList("Groceries");
    groceries.kind = TBListKind::ongoing;
    groceries.pinned = true;
    store->updateList(groceries);
    for (const char* text : {"Milk #dairy", "Bread #bakery", "Soap", "Eggs #dairy"})
        store->addItem(groceries.id, text);
    store->setDone(store->items(groceries.id).last().id, true);
    const TBList packing = store->addList("Packing");
    store->addItem(packing.id, "Socks");
    store->setCollection(QString("Trips"), packing.id);
    TBList theirs = store->addList("Theirs");
    store->addItem(theirs.id, "Tea");
    theirs.zoneOwnerName = QStringLiteral("_owner");
    theirs.sharePermission = TBSharePermission::readOnly;
    store->updateList(theirs);

    window = std::make_unique<MainWindow>(*store, *updater);
    window->resize(1180, 800);
    window->show();
    settle();
    const auto open = [&](const QString& listID) {
        window->content()->sidebar()->screen().openList(listID);
        settle();
    };
    const struct {
        const char* what;
        std::function<void()> change;
        QStringList rowLists; // the names of the lists of rows
    } rows[] = {
        {"a list open", [&] { open(groceries.id); }, {"Lists", "Items of Groceries"}},
        {"filtered, grouped, completed shown",
         [&] {
             ListDetailModel& screen = window->content()->listScreen();
             screen.toggleTag("dairy");
             screen.toggleGrouping();
             screen.toggleCompleted();
         },
         {"Lists", "Items of Groceries"}},
        {"the lists in edit mode",
         [&] { window->content()->sidebar()->screen().toggleEditing(); },
         {"Lists", "Items of Groceries"}},
        {"a list that may only be read",
         [&] {
             // A list opens only outside edit mode.
             window->content()->sidebar()->screen().toggleEditing();
             open(theirs.id);
         },
         {"Lists", "Items of Theirs"}},
        {"a group folded, no list open",
         [&] {
             ListsScreenModel& lists = window->content()->sidebar()->screen();
             lists.activate(QStringLiteral("H#Trips"));
             lists.closeList();
         },
         {"Lists"}},
    };
    for (const auto& row : rows) {
        row.change();
        settle();
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
        ASSERT_NE(root, nullptr);
        EXPECT_GT(AccessibleWalk::shown(root).size(), 20) << row.what;
        EXPECT_EQ(AccessibleWalk::faults(root), QStringList()) << row.what;
        EXPECT_EQ(root->text(QAccessible::Name), "Tallybird") << row.what;
        QStringList rowLists = AccessibleWalk::namesOf(root, QAccessible::List);
        rowLists.sort();
        QStringList expected = row.rowLists;
        expected.sort();
        EXPECT_EQ(rowLists, expected) << row.what;
    }
}

} // namespace
