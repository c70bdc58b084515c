// The settings' sync switch with real sync on a container file: what is changed while the
// switch is off stays on this device, and reaches the container once it is switched on again.
#include "cloud/CloudDevice.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "store/StoreFileSink.h"
#include "support/CompletionWait.h"
#include "support/QStringPrinting.h"
#include "sync/CloudSync.h"
#include "ui/settings/SettingsModel.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// One copy of the program: a store in a folder of its own, syncing as one device.
struct Device {
    Device(const std::shared_ptr<cloud::Container>& container, const QString& id)
        : clock(Date(800'000'000)),
          store(dir.filePath("store.json"), true, false, defaults, clock) {
        store.setFileSink(StoreFileSink::unsynced());
        sync = CloudSync::attach(store, cloud::CloudDevice(container, id));
        store.start();
    }
    void syncNow() {
        const auto error = testsupport::waitForCompletion<std::optional<cloud::CloudError>>(
            [&](auto done) { sync->syncNow(done); }, std::chrono::seconds(30));
        ASSERT_TRUE(error.has_value()) << "the pass never ended";
        ASSERT_FALSE(error->has_value()) << error->value().message.toStdString();
    }
    // Each item of the list as "text" in display order.
    QStringList items(const QString& listID) {
        QStringList texts;
        for (const TBItem& item : store.items(listID))
            texts << item.text;
        texts.sort();
        return texts;
    }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    FixedClock clock;
    ListStore store;
    CloudSync* sync = nullptr;
};

TEST(SyncSwitch, ChangesMadeWhileOffReachTheContainerWhenSwitchedOn) {
    QTemporaryDir folder;
    const auto opened = cloud::Container::openFile(folder.filePath("container.sqlite"));
    ASSERT_TRUE(opened.ok());
    Device here(opened.value(), "here");
    Device there(opened.value(), "there");
    SettingsModel settings(here.store, nullptr, {"tallybird"}, {});

    const QString listID = here.store.addList("Groceries").id;
    const QString milk = here.store.addItem(listID, "Milk")->id;
    const QString eggs = here.store.addItem(listID, "Eggs")->id;
    here.syncNow();
    there.syncNow();
    ASSERT_EQ(there.items(listID), QStringList({"Eggs", "Milk"}));

    settings.setSyncOn(false);
    EXPECT_FALSE(settings.syncOn());
    here.store.renameItem(milk, "Oat milk");
    here.store.deleteItem(eggs);
    here.store.addItem(listID, "Bread");
    here.syncNow();
    there.syncNow();
    EXPECT_EQ(there.items(listID), QStringList({"Eggs", "Milk"})) << "nothing left this device";

    settings.setSyncOn(true);
    here.syncNow();
    there.syncNow();
    EXPECT_EQ(there.items(listID), QStringList({"Bread", "Oat milk"}))
        << "the edit, the deletion and the addition all arrived";
    EXPECT_EQ(here.items(listID), QStringList({"Bread", "Oat milk"}));
}

} // namespace
