// Two profiles of the real program on one cloud container: what a request on one device sees
// of the other's changes, and what it says when it cannot sync.
#include "ProcessTestSupport.h"

#include "cloud/CloudDevice.h"
#include "store/CloudLayout.h"
#include "store/UnreadableCopies.h"
#include "sync/ListCloudMapping.h"

namespace {

class TwoDevices : public ProcessTest {
protected:
    QString first() const { return dir.filePath(QStringLiteral("first")); }
    QString second() const { return dir.filePath(QStringLiteral("second")); }

    void setOffline(const QString& profile, bool offline) {
        auto container = cloud::Container::openFile(cloudFile());
        ASSERT_TRUE(container.ok());
        const cloud::Result<QString> device =
            cloud::CloudDevice::deviceIDForProfile(*container.value(), cloudFile(), profile);
        ASSERT_TRUE(device.ok());
        ASSERT_FALSE(container.value()->setOffline(device.value(), offline));
    }
    // The container refuses every record the profile's device saves as held by someone else,
    // as a server does while another person changes the list; or stops refusing.
    void setHeld(const QString& profile, bool held) {
        auto container = cloud::Container::openFile(cloudFile());
        ASSERT_TRUE(container.ok());
        const cloud::Result<QString> device =
            cloud::CloudDevice::deviceIDForProfile(*container.value(), cloudFile(), profile);
        ASSERT_TRUE(device.ok());
        ASSERT_FALSE(held ? container.value()->injectFault(device.value(), QStringLiteral("*"),
                                                           cloud::CloudError::Code::zoneBusy, -1)
                          : container.value()->clearFaults());
    }

    // The item of that text in the list, as the cloud holds it, changed by `change` there when
    // one is given, as the first device's program would change it.
    std::optional<TBItem> inCloud(const QString& listID, const QString& text,
                                  const std::function<void(TBItem&)>& change = {}) {
        auto container = cloud::Container::openFile(cloudFile());
        EXPECT_TRUE(container.ok());
        const cloud::Result<QString> device =
            cloud::CloudDevice::deviceIDForProfile(*container.value(), cloudFile(), first());
        EXPECT_TRUE(device.ok());
        if (!container.ok() || !device.ok())
            return std::nullopt;
        const auto fetched = container.value()->fetchZoneChanges(
            device.value(), cloud::DatabaseScope::privateScope,
            cloud::ZoneID{CloudLayout::listZoneName(listID)}, std::nullopt);
        EXPECT_TRUE(fetched.ok());
        for (const cloud::Record& record :
             fetched.ok() ? fetched.value().modifications : std::vector<cloud::Record>()) {
            std::optional<TBItem> item = ListCloudMapping::item(record);
            if (!item || item->text != text)
                continue;
            if (change) {
                change(*item);
                const auto saved = container.value()->modifyRecords(
                    device.value(), cloud::DatabaseScope::privateScope,
                    {ListCloudMapping::record(*item, record, std::nullopt)}, {});
                EXPECT_TRUE(saved.ok() && saved.value().failedRecordSaves.empty());
            }
            return item;
        }
        return std::nullopt;
    }

    // Runs a command that must succeed silently and returns what it said.
    QString said(const QStringList& words, const QString& profile) {
        const Typed typed = run(words, profile);
        EXPECT_EQ(typed.code, 0) << words.join(' ').toStdString();
        EXPECT_EQ(typed.err, QString()) << words.join(' ').toStdString();
        return typed.out;
    }
};

TEST_F(TwoDevices, ASecondDeviceAnswersFromTheCloudsLatestWithoutAProgramRunning) {
    said({"start", "Weekend shop"}, first());
    said({"add", "--list", "weekend shop", "bread"}, first());
    said({"add", "--list", "weekend shop", "milk"}, first());

    // Nothing of the second device's own happened in between: the cloud brings it all.
    EXPECT_TRUE(said({"lists"}, second()).endsWith("\tWeekend shop\n"));
    EXPECT_EQ(said({"read", "--list", "weekend shop"}, second()),
              "Two things left on Weekend shop: bread and milk.\n");
    EXPECT_EQ(said({"add", "--list", "weekend shop", "eggs"}, second()),
              "Added eggs to Weekend shop.\n");
    EXPECT_EQ(said({"tick", "--list", "weekend shop", "bread"}, first()), "Ticked off bread.\n");
    EXPECT_EQ(said({"read", "--list", "weekend shop"}, second()),
              "Two things left on Weekend shop: milk and eggs.\n");
}

TEST_F(TwoDevices, OfflineARequestGoesOnWithTheLocalStoreAndSaysItCouldNotSync) {
    said({"start", "Weekend shop"}, first());
    said({"lists"}, second());
    said({"add", "--list", "weekend shop", "bread"}, first());
    setOffline(second(), true);

    // Read never syncs: only the catching up before it could not.
    const Typed read = run({"read", "--list", "weekend shop"}, second());
    EXPECT_EQ(read.code, 0);
    EXPECT_EQ(read.out, "Nothing left on Weekend shop.\n");
    EXPECT_TRUE(read.err.startsWith("Tallybird could not sync, so changes made on other devices "
                                    "may be missing: "))
        << read.err.toStdString();
    EXPECT_EQ(read.err.count('\n'), 1);

    // A change is saved and said; that it could not reach the cloud is said apart from it.
    const Typed added = run({"add", "--list", "weekend shop", "eggs"}, second());
    EXPECT_EQ(added.code, 0);
    EXPECT_EQ(added.out, "Added eggs to Weekend shop.\n");
    EXPECT_TRUE(added.err.contains("The change is saved here but could not be synced: "))
        << added.err.toStdString();

    // Online again, each device has both; the second one's change goes out with its next.
    setOffline(second(), false);
    EXPECT_EQ(said({"read", "--list", "weekend shop"}, second()),
              "Two things left on Weekend shop: eggs and bread.\n");
    said({"add", "--list", "weekend shop", "jam"}, second());
    const QString onFirst = said({"read", "--list", "weekend shop"}, first());
    EXPECT_TRUE(onFirst.startsWith("Three things left on Weekend shop: ")) << onFirst.toStdString();
    for (const char* item : {"eggs", "bread", "jam"})
        EXPECT_TRUE(onFirst.contains(item)) << item;
}

// A tick made offline meets a rename the other device made meanwhile: the requests back online
// merge the two and send the tick, with no other change on this device to carry it.
TEST_F(TwoDevices, AChangeMergedWithAnEditElsewhereGoesWithoutAnotherChange) {
    said({"start", "Weekend shop"}, first());
    said({"add", "--list", "weekend shop", "bread"}, first());
    said({"add", "--list", "weekend shop", "milk"}, first());
    const QString listID = said({"lists"}, second()).section(u'\t', 0, 0);
    setOffline(second(), true);
    EXPECT_EQ(run({"tick", "--list", "weekend shop", "bread"}, second()).code, 0);
    ASSERT_TRUE(inCloud(listID, "bread", [](TBItem& item) { item.text = "rye bread"; }));
    setOffline(second(), false);

    // A loaded machine may need a second request to end what the first began.
    const auto ticked = [&] {
        const std::optional<TBItem> item = inCloud(listID, "rye bread");
        return item && item->done;
    };
    for (int request = 0; request < 5 && !ticked(); ++request)
        said({"lists"}, second());
    EXPECT_TRUE(ticked()) << "the tick never reached the cloud";
    EXPECT_EQ(said({"read", "--list", "weekend shop"}, first()),
              "One thing left on Weekend shop: milk.\n");
    EXPECT_EQ(said({"read", "--list", "weekend shop"}, second()),
              "One thing left on Weekend shop: milk.\n");
}

// A change the container refused because its list was held elsewhere is said not synced, and
// goes with the first request once the hold ends, though nothing else changed.
TEST_F(TwoDevices, AChangeRefusedWhileItsListWasHeldGoesWithTheFirstRequestAfter) {
    said({"start", "Weekend shop"}, first());
    const QString listID = said({"lists"}, first()).section(u'\t', 0, 0);
    setHeld(first(), true);
    const Typed added = run({"add", "--list", "weekend shop", "bread"}, first());
    EXPECT_EQ(added.code, 0);
    EXPECT_EQ(added.out, "Added bread to Weekend shop.\n");
    EXPECT_EQ(added.err, IntentFrame::notSyncedNote(
                             IntentFrame::heldElsewhereReason(QStringLiteral("Weekend shop"))) +
                             u'\n');
    EXPECT_FALSE(inCloud(listID, "bread"));
    said({"lists"}, first());
    EXPECT_FALSE(inCloud(listID, "bread")) << "still held";

    setHeld(first(), false);
    said({"lists"}, first());
    EXPECT_TRUE(inCloud(listID, "bread"));
}

TEST_F(TwoDevices, WithTheProgramRunningTheCommandLineDoesNotCatchUp) {
    said({"start", "Weekend shop"}, dir.path());
    // Something new in the cloud, which the device cannot fetch.
    said({"start", "Packing"}, first());
    setOffline(dir.path(), true);
    EXPECT_NE(run({"read", "--list", "weekend shop"}).err, QString()) << "it tried, and said so";
    startProgram();
    // The program keeps its own store current; the command line just asks it.
    const Typed read = run({"read", "--list", "weekend shop"});
    EXPECT_EQ(read.out, "Nothing left on Weekend shop.\n");
    EXPECT_EQ(read.err, QString());
    stopProgram();
}

TEST_F(TwoDevices, ListsThatASyncBringsToTheProgramReachItsIndex) {
    startProgram();
    said({"start", "Weekend shop"}, first());
    // The program's own pass for this request also fetches the other device's list.
    EXPECT_EQ(said({"start", "Packing"}, dir.path()), "Started Packing.\n");
    const QDeadlineTimer deadline(10'000);
    while (indexLines().size() < 2 && !deadline.hasExpired())
        QThread::msleep(20);
    QStringList names;
    for (const QString& line : indexLines())
        names.append(line.section(u' ', 1));
    names.sort();
    EXPECT_EQ(names, QStringList({"Packing", "Weekend shop"}));
    EXPECT_TRUE(said({"lists"}, dir.path()).contains("\tWeekend shop\n"));
    stopProgram();
}

TEST_F(TwoDevices, AnotherProgramsDatabaseAsTheContainerIsLeftAloneAndTheChangeStaysLocal) {
    QFile foreign(cloudFile());
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write(QByteArray("SQLite format 3") + '\0' + QByteArray(84, '\x01'));
    foreign.close();
    const QByteArray before = [&] {
        QFile file(cloudFile());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();

    const Typed started = run({"start", "Packing"}, first());
    EXPECT_EQ(started.code, 0);
    EXPECT_EQ(started.out, "Started Packing.\n");
    EXPECT_TRUE(started.err.contains("could not be synced")) << started.err.toStdString();
    EXPECT_TRUE(started.err.contains("is not a Tallybird cloud container"))
        << started.err.toStdString();
    QFile file(cloudFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

// A container file moved away from a device that synced with it is not made anew there, empty,
// to take that device's lists as if it were the one it synced with: the device says it cannot
// find it. Put back, it syncs as before. A profile that never synced makes one as always.
TEST_F(TwoDevices, AContainerFileMovedAwayIsSaidAndNotMadeAnewByADeviceThatSyncedWithIt) {
    said({"start", "Weekend shop"}, first());
    said({"add", "--list", "weekend shop", "bread"}, first());
    said({"lists"}, second());
    const QString moved = dir.filePath(QStringLiteral("moved"));
    ASSERT_TRUE(QDir().mkpath(moved));
    const auto move = [](const QString& from, const QString& to) {
        for (const char* end : {"", "-wal", "-shm"})
            QFile::rename(from + end, to + end);
    };
    const QString away = QDir(moved).filePath(QStringLiteral("cloud.sqlite"));
    move(cloudFile(), away);
    ASSERT_FALSE(QFile::exists(cloudFile()));

    const Typed added = run({"add", "--list", "weekend shop", "eggs"}, second());
    EXPECT_EQ(added.code, 0) << "the change is saved here";
    EXPECT_EQ(added.out, "Added eggs to Weekend shop.\n");
    EXPECT_TRUE(added.err.contains("The change is saved here but could not be synced: The cloud "
                                   "container “" +
                                   cloudFile() + "” cannot be found: "))
        << added.err.toStdString();
    const Typed listed = run({"lists"}, first());
    EXPECT_EQ(listed.code, 0);
    EXPECT_TRUE(listed.err.contains("could not sync")) << listed.err.toStdString();
    for (const char* end : {"", "-wal", "-shm"})
        EXPECT_FALSE(QFile::exists(cloudFile() + end)) << "made anew: " << end;

    move(away, cloudFile());
    said({"lists"}, second());
    const QString onFirst = said({"read", "--list", "weekend shop"}, first());
    EXPECT_TRUE(onFirst.startsWith("Two things left on Weekend shop: ")) << onFirst.toStdString();
    EXPECT_TRUE(onFirst.contains("eggs")) << onFirst.toStdString();

    // Gone again: a profile that never synced with it makes a new one, as a new user's does.
    move(cloudFile(), away);
    said({"start", "Packing"}, dir.filePath(QStringLiteral("third")));
    EXPECT_TRUE(QFile::exists(cloudFile()));
}

TEST_F(TwoDevices, ADamagedStoreFileIsSaidWithTheCopyThatKeepsIt) {
    // With sync off, nothing from the cloud mends the file first.
    FileDefaults(QDir(first()).filePath(QStringLiteral("defaults.json")))
        .setBool(QStringLiteral("cloudSyncEnabled"), false);
    said({"start", "Packing"}, first());
    const QString store = QDir(first()).filePath(QStringLiteral("store.json"));
    QFile file(store);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\"version\":3,\"lists\":[{\"id\":");
    file.close();

    const Typed listed = run({"lists"}, first());
    EXPECT_EQ(listed.code, 0);
    EXPECT_EQ(listed.out, QString());
    const QStringList copies = UnreadableCopies::copies(store);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(listed.err, "The store file “" + store +
                              "” could not be read in full; its "
                              "contents are kept in “" +
                              copies.first() + "”.\n");

    // Starting anew says it once, and the copy stays.
    const Typed started = run({"start", "Groceries"}, first());
    EXPECT_EQ(started.code, 0);
    EXPECT_EQ(started.out, "Started Groceries.\n");
    EXPECT_EQ(started.err, listed.err);
    EXPECT_EQ(UnreadableCopies::copies(store), copies);
}

} // namespace
