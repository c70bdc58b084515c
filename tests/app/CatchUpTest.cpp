// Catching a device up before a request, while no program runs: one sync pass on the request's
// own store with one write of the store file, and none at all while the cloud holds nothing new
// for the device.
#include "CloudSetup.h"
#include "cloud/CloudDevice.h"
#include "platform/AppPaths.h"
#include "store/CloudLayout.h"
#include "store/ListStore.h"
#include "store/StoreLocation.h"
#include "sync/CloudSync.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace {

// Counts the times a file is replaced (a rename into its folder), as the store writes it.
class ReplacementCounter {
public:
    explicit ReplacementCounter(const QString& path)
        : name_(QFileInfo(path).fileName().toUtf8()), fd_(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(fd_, QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~ReplacementCounter() { ::close(fd_); }

    int count() {
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            const ssize_t length = ::read(fd_, buffer, sizeof buffer);
            if (length <= 0)
                return count_;
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && name_ == event->name)
                    ++count_;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    QByteArray name_;
    int fd_;
    int count_ = 0;
};

void passOf(CloudSync& cloud) {
    bool ended = false;
    std::optional<cloud::CloudError> failure;
    cloud.syncNow([&](std::optional<cloud::CloudError> error) {
        failure = error;
        ended = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 20'000));
    ASSERT_FALSE(failure) << failure->message.toStdString();
}

class CatchUp : public testing::Test {
protected:
    void SetUp() override { AppPaths::setProfile(dir.filePath(QStringLiteral("profile"))); }
    void TearDown() override { AppPaths::setProfile(QString()); }

    QString containerPath() const { return dir.filePath(QStringLiteral("cloud.sqlite")); }
    QString storeFile() const { return SharedStore::source().fileURL(); }

    // The other device puts lists of items in the cloud.
    void elsewhereAdd(int lists, int itemsEach) {
        const QString folder = dir.filePath(QStringLiteral("other"));
        QDir().mkpath(folder);
        ListStore store(QDir(folder).filePath(QStringLiteral("store.json")), true, false,
                        otherDefaults);
        CloudSync* cloud =
            CloudSync::attach(store, cloud::CloudDevice::open(containerPath(), folder));
        for (int l = 0; l < lists; ++l) {
            const QString listID = store.addList(QStringLiteral("List %1").arg(++made)).id;
            for (int i = 0; i < itemsEach; ++i)
                store.addItem(listID, QStringLiteral("Item %1").arg(i));
        }
        passOf(*cloud);
    }

    // Runs the catch-up as a request does, on a store it opens; returns that store's lists.
    int caughtUp() {
        ListStore store(storeFile(), true, false, defaults);
        setup.catchUp(defaults).run(store, [&](const QString& note) { notes.append(note); });
        return int(store.lists().size());
    }
    bool due() { return setup.catchUp(defaults).due(); }

    QTemporaryDir dir;
    MemoryDefaults defaults;
    MemoryDefaults otherDefaults;
    CloudSetup setup{containerPath()};
    QStringList notes;
    int made = 0;
};

TEST_F(CatchUp, OnePassWritesTheStoreOnceAndIsNotDueAgainUntilTheCloudChanges) {
    elsewhereAdd(20, 30);
    EXPECT_TRUE(due()) << "never caught up";

    ReplacementCounter writes(storeFile());
    EXPECT_EQ(caughtUp(), 20);
    EXPECT_EQ(writes.count(), 1) << "one pass, one write";
    EXPECT_EQ(notes, QStringList());

    EXPECT_FALSE(due()) << "nothing new";
    elsewhereAdd(1, 1);
    EXPECT_TRUE(due()) << "a change elsewhere";
    EXPECT_EQ(caughtUp(), 21);
    EXPECT_FALSE(due());

    // The device's own change, sent by the request's sync, is nothing new to fetch.
    {
        ListStore store(storeFile(), true, false, defaults);
        store.addList(QStringLiteral("Mine"));
        bool synced = false;
        setup.syncStep()(store, [&](const std::optional<QString>& error) {
            EXPECT_FALSE(error);
            synced = true;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return synced; }, 20'000));
    }
    EXPECT_FALSE(due()) << "after the device's own sync";

    // A store file replaced behind the mark's back (lost, or set aside as unreadable) is
    // brought up to date again.
    QFile::remove(storeFile());
    EXPECT_TRUE(due());
    EXPECT_EQ(caughtUp(), 22);
}

TEST_F(CatchUp, IsNeverDueWithSyncOffAndSaysWhyItCouldNotFetch) {
    elsewhereAdd(1, 1);
    defaults.setBool(QStringLiteral("cloudSyncEnabled"), false);
    EXPECT_FALSE(due());
    defaults.setBool(QStringLiteral("cloudSyncEnabled"), true);
    EXPECT_TRUE(due());

    const auto container = cloud::Container::openFile(containerPath()).value();
    const cloud::Result<QString> device =
        cloud::CloudDevice::deviceIDForProfile(*container, containerPath(), AppPaths::dataDir());
    ASSERT_TRUE(device.ok());
    ASSERT_FALSE(container->setOffline(device.value(), true));
    EXPECT_EQ(caughtUp(), 0);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].startsWith("Tallybird could not sync")) << notes[0].toStdString();
    EXPECT_TRUE(due()) << "still missing what it could not fetch";
}

// A change the container would not take yet (someone else holds its list there) keeps the
// catch-up due, request after request, until it goes: the mark says only that nothing is owed.
TEST_F(CatchUp, IsDueWhileTheStoreStillOwesTheCloudAChange) {
    elsewhereAdd(1, 0);
    EXPECT_EQ(caughtUp(), 1);
    ASSERT_FALSE(due());

    const auto container = cloud::Container::openFile(containerPath()).value();
    const cloud::Result<QString> device =
        cloud::CloudDevice::deviceIDForProfile(*container, containerPath(), AppPaths::dataDir());
    ASSERT_TRUE(device.ok());
    QString listID;
    QString itemID;
    {
        ListStore store(storeFile(), true, false, defaults);
        listID = store.lists().first().id;
        itemID = store.addItem(listID, QStringLiteral("late")).value().id;
        ASSERT_FALSE(
            container->injectFault(device.value(), itemID, cloud::CloudError::Code::zoneBusy, -1));
        bool synced = false;
        setup.syncStep()(store, [&](const std::optional<QString>& error) {
            EXPECT_FALSE(error);
            synced = true;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return synced; }, 20'000));
        EXPECT_TRUE(store.listHeldElsewhere(listID));
    }
    EXPECT_TRUE(due()) << "the change is still owed";
    EXPECT_EQ(caughtUp(), 1);
    EXPECT_TRUE(due()) << "refused again";

    ASSERT_FALSE(container->clearFaults());
    EXPECT_EQ(caughtUp(), 1);
    EXPECT_FALSE(due()) << "sent";
    EXPECT_EQ(notes, QStringList());
    const auto records =
        container->records(cloud::Container::defaultUserName, CloudLayout::listZoneName(listID));
    ASSERT_TRUE(records.ok());
    EXPECT_TRUE(std::ranges::any_of(records.value(), [&](const cloud::Record& record) {
        return record.recordID().recordName == itemID;
    }));
}

} // namespace
