// The settings' sync switch with real sync on a container file: what is changed while the
// switch is off stays on this device, and reaches the container once it is switched on again.
#include "sync/SyncTestSupport.h"
#include "ui/settings/SettingsModel.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The item texts of a list, sorted.
QStringList items(ListStore& store, const QString& listID) {
    QStringList texts;
    for (const TBItem& item : store.items(listID))
        texts << item.text;
    texts.sort();
    return texts;
}

TEST(SyncSwitch, ChangesMadeWhileOffReachTheContainerWhenSwitchedOn) {
    synctest::ensureApplication();
    QTemporaryDir folder;
    const auto opened = cloud::Container::openFile(folder.filePath("container.sqlite"));
    ASSERT_TRUE(opened.ok());
    synctest::Device here(opened.value(), "here");
    synctest::Device there(opened.value(), "there");
    SettingsModel settings(here.store(), nullptr, {"tallybird"}, {});

    const QString listID = here.store().addList("Groceries").id;
    const QString milk = here.store().addItem(listID, "Milk")->id;
    const QString eggs = here.store().addItem(listID, "Eggs")->id;
    ASSERT_FALSE(here.syncNow());
    ASSERT_FALSE(there.syncNow());
    ASSERT_EQ(items(there.store(), listID), QStringList({"Eggs", "Milk"}));

    settings.setSyncOn(false);
    EXPECT_FALSE(settings.syncOn());
    here.store().renameItem(milk, "Oat milk");
    here.store().deleteItem(eggs);
    here.store().addItem(listID, "Bread");
    ASSERT_FALSE(here.syncNow());
    ASSERT_FALSE(there.syncNow());
    EXPECT_EQ(items(there.store(), listID), QStringList({"Eggs", "Milk"}))
        << "nothing left this device";

    settings.setSyncOn(true);
    ASSERT_FALSE(here.syncNow());
    ASSERT_FALSE(there.syncNow());
    EXPECT_EQ(items(there.store(), listID), QStringList({"Bread", "Oat milk"}))
        << "the edit, the deletion and the addition all arrived";
    EXPECT_EQ(items(here.store(), listID), QStringList({"Bread", "Oat milk"}));
}

} // namespace
