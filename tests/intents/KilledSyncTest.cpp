// A device killed (a power cut) at a random moment while it sends its changes: whatever the
// container committed before the kill is never sent again over a change another device made to
// it since, and the device then shows that other change. What the container confirmed is also
// kept as such on disk, batch by batch, so that at most the batch the kill cut short is left in
// doubt. Run on a container file and on a server, for one change, a few and thousands. A change
// made after a kill, while the device cannot sync, is never taken for one the container
// confirmed before it.
//
// TALLYBIRD_KILL_ROUNDS sets the number of kills per case (by default as many as fit in a few
// seconds, at least three).
#include "ProcessTestSupport.h"

#include "cloud/CloudDevice.h"
#include "store/CloudLayout.h"
#include "store/DiskV2.h"
#include "store/RecordField.h"
#include "store/SendingJournal.h"
#include "support/PostgresTestServer.h"
#include "sync/CloudSync.h"
#include "sync/ListCloudMapping.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <random>
#include <set>

#include <sys/stat.h>

namespace {

using testsupport::PostgresTestDatabase;

// How many records the engine sends in one batch.
constexpr int batchSize = 400;
constexpr int storeItems = 2'000;
// A request's bound, with room for a loaded machine, and a first upload's.
constexpr int requestBoundMs = 60'000;

// Another device of the same person, reaching the container as the program does.
class Phone {
public:
    Phone(const QString& location, const QString& profile) {
        auto opened = cloud::Container::isServerLocation(location)
                          ? cloud::Container::openServer(location)
                          : cloud::Container::openFile(location);
        EXPECT_TRUE(opened.ok());
        if (!opened.ok())
            return;
        container_ = opened.value();
        const auto id = cloud::CloudDevice::deviceIDForProfile(*container_, location, profile);
        EXPECT_TRUE(id.ok());
        if (id.ok())
            device_ = id.value();
        EXPECT_TRUE(container_->currentUser(device_).ok());
    }

    // The zone's records changed since `token` (all of them without one), by name, and the
    // token that follows them.
    std::pair<std::map<QString, cloud::Record>, std::optional<QString>>
    changes(const cloud::ZoneID& zone, const std::optional<QString>& token = std::nullopt) {
        std::map<QString, cloud::Record> found;
        if (!container_)
            return {found, token};
        auto fetched =
            container_->fetchZoneChanges(device_, cloud::DatabaseScope::privateScope, zone, token);
        if (!fetched.ok())
            return {found, token};
        for (cloud::Record& record : fetched.value().modifications)
            found.emplace(record.recordID().recordName, std::move(record));
        return {found, fetched.value().token};
    }

    // The server's copies of those of `ids` it holds.
    std::vector<cloud::Record> records(const std::vector<cloud::RecordID>& ids) {
        std::vector<cloud::Record> found;
        if (!container_)
            return found;
        auto fetched = container_->fetchRecords(device_, cloud::DatabaseScope::privateScope, ids);
        if (!fetched.ok())
            return found;
        for (auto& [id, record] : fetched.value()) {
            if (record.ok())
                found.push_back(std::move(record.value()));
        }
        return found;
    }
    std::optional<cloud::Record> record(const cloud::RecordID& id) {
        if (!container_)
            return std::nullopt;
        auto fetched = container_->fetchRecords(device_, cloud::DatabaseScope::privateScope, {id});
        if (!fetched.ok() || fetched.value().empty() || !fetched.value().front().second.ok())
            return std::nullopt;
        return fetched.value().front().second.value();
    }
    std::optional<bool> done(const cloud::RecordID& id) {
        const auto latest = record(id);
        const auto item = latest ? ListCloudMapping::item(*latest) : std::nullopt;
        return item ? std::optional(item->done) : std::nullopt;
    }

    // Ticks the item off or on as this device's program would: on the server's latest copy.
    void setDone(const cloud::RecordID& id, bool done, Date now) {
        const std::optional<cloud::Record> latest = record(id);
        ASSERT_TRUE(latest);
        std::optional<TBItem> item = ListCloudMapping::item(*latest);
        ASSERT_TRUE(item);
        item->done = done;
        item->completedAt = done ? std::optional(now) : std::nullopt;
        const auto saved =
            container_->modifyRecords(device_, cloud::DatabaseScope::privateScope,
                                      {ListCloudMapping::record(*item, latest, std::nullopt)}, {});
        ASSERT_TRUE(saved.ok()) << saved.error().message.toStdString();
        ASSERT_TRUE(saved.value().failedRecordSaves.empty());
    }

private:
    std::shared_ptr<cloud::Container> container_;
    QString device_;
};

struct Figures {
    int kills = 0;
    int killsLeavingConfirmedMarked = 0; // kills after which a confirmed change was still marked
    int confirmedMarked = 0;             // such changes, in all
    int mostConfirmedMarked = 0;         // the most after one kill
    int overwritten = 0;                 // the phone's change lost to this device's next request
    int notShown = 0;                    // this device never showed the phone's change
};

class KilledSync : public ProcessTest {
protected:
    virtual const char* containerKind() const { return "file"; }

    // A store of `count` items, every one of them in the container and nothing waiting.
    void syncedStore(int count) {
        {
            ListStore store(storePath(), false, false, defaults, *clock);
            store.addItem(store.addList(QStringLiteral("Groceries")).id, QStringLiteral("Item 0"));
            store.flushSaves();
        }
        DiskV2 disk = readDisk();
        ASSERT_EQ(disk.items.size(), 1);
        addItemsLikeTheFirst(disk, count, disk.dirtyItems.value(disk.items.first().id));
        writeDisk(disk);
        settle();
        ASSERT_EQ(waiting(), 0) << "the first upload did not end";
    }
    // A store whose list and first item are in the container, with `count - 1` items made
    // since that are not.
    void storeWithUnsentItems(int count) {
        syncedStore(1);
        DiskV2 disk = readDisk();
        addItemsLikeTheFirst(disk, count, ListStore::allItemFields());
        writeDisk(disk);
    }
    // Items 1 to `count - 1` after the store's first, each marked with `marks`.
    static void addItemsLikeTheFirst(DiskV2& disk, int count, const FieldSet& marks) {
        const TBItem first = disk.items.first();
        for (int i = 1; i < count; ++i) {
            TBItem item = first;
            item.id = Ids::newId();
            item.text = QStringLiteral("Item %1").arg(i);
            item.order = i;
            disk.items.append(item);
            disk.dirtyItems.insert(item.id, marks);
        }
    }

    DiskV2 readDisk() {
        QFile file(storePath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return DiskV2::decode(file.readAll(), clock->now());
    }
    void writeDisk(const DiskV2& disk) {
        QFile file(storePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(disk.encode(file));
    }
    int waiting() { return int(readDisk().dirtyItems.size()); }
    // The store as the program takes it in when it starts again: its file, with what the
    // sending journal beside it adds (written into the file as the store goes).
    DiskV2 readTakenIn() {
        {
            ListStore store(storePath(), true, false, defaults, *clock);
            CloudSync::attach(store,
                              cloud::CloudError::make(cloud::CloudError::Code::networkUnavailable));
        }
        return readDisk();
    }

    // Requests until nothing waits to be sent (a loaded machine's requests may each send only
    // part of it).
    void settle() {
        for (int request = 0; request < 30 && waiting() > 0; ++request) {
            const Typed listed = run({"lists"});
            ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
        }
    }

    // Flips `count` items made while offline, as ticks and unticks made on this device with
    // no way to the container: marked as unsent. Returns their ids and new values.
    std::map<QString, bool> changeOffline(int count, std::mt19937& random) {
        DiskV2 disk = readDisk();
        std::vector<int> rows(size_t(disk.items.size()));
        std::iota(rows.begin(), rows.end(), 0);
        std::shuffle(rows.begin(), rows.end(), random);
        const FieldSet marks = RecordFields::marks({ItemField::done, ItemField::completedAt});
        std::map<QString, bool> changed;
        for (int i = 0; i < count; ++i) {
            TBItem& item = disk.items[rows[size_t(i)]];
            item.done = !item.done;
            item.completedAt = item.done ? std::optional(clock->now()) : std::nullopt;
            disk.dirtyItems[item.id].unite(marks);
            changed.emplace(item.id, item.done);
        }
        writeDisk(disk);
        return changed;
    }

    // Device 1 sends `count` changes and is killed at a random moment once the container has
    // committed some; the phone then changes back one the container holds, and device 1's
    // next change request must leave it, and bring it here.
    void killWhileSending(int count, Figures& figures, std::mt19937& random) {
        const std::map<QString, bool> changed = changeOffline(count, random);
        const QString listID = readDisk().lists.first().id;
        const cloud::ZoneID zone{CloudLayout::listZoneName(listID)};
        const QString phoneProfile = dir.filePath(QStringLiteral("phone"));
        Phone phone(cloudFor(phoneProfile), phoneProfile);
        const std::optional<QString> before = phone.changes(zone).second;

        // Killed between 0 and the time a few batches take after the container first holds
        // one of the changes: some of them, looked at often, tell when that is.
        std::vector<cloud::RecordID> sample;
        for (const auto& [id, done] : changed) {
            if (sample.size() < 20)
                sample.push_back({id, zone});
        }
        const auto sentSome = [&] {
            for (const cloud::Record& record : phone.records(sample)) {
                const auto item = ListCloudMapping::item(record);
                if (item && item->done == changed.at(item->id))
                    return true;
            }
            return false;
        };
        std::uniform_int_distribution<int> after(0, count == 1           ? 30
                                                    : count <= batchSize ? 60
                                                                         : 150);
        // On a slow machine a request can end, its upload going on with the next one, before
        // the container confirmed any batch: the next request then goes on with it.
        bool killed = false;
        for (int request = 0; request < 20; ++request) {
            QProcess device;
            launch(device, {"lists"});
            device.closeWriteChannel();
            ASSERT_TRUE(device.waitForStarted());
            const QDeadlineTimer deadline(requestBoundMs);
            while (!sentSome() && device.state() == QProcess::Running && !deadline.hasExpired())
                QThread::usleep(500);
            const bool some = sentSome();
            if (some)
                QThread::msleep(ulong(after(random)));
            killed = killNow(device, requestBoundMs);
            ASSERT_TRUE(device.state() == QProcess::NotRunning ||
                        device.waitForFinished(requestBoundMs));
            if (some)
                break;
        }

        // What the container holds of the changes, and what the device still counts as unsent.
        const DiskV2 afterKill = readTakenIn();
        const auto inCloud = phone.changes(zone, before).first;
        std::vector<QString> held;
        std::vector<QString> heldAndMarked;
        for (const auto& [id, done] : changed) {
            const auto record = inCloud.find(id);
            if (record == inCloud.end() || ListCloudMapping::item(record->second)->done != done)
                continue;
            held.push_back(id);
            if (afterKill.dirtyItems.value(id).contains(RecordFields::name(ItemField::done)))
                heldAndMarked.push_back(id);
        }
        if (killed) {
            ++figures.kills;
            figures.confirmedMarked += int(heldAndMarked.size());
            figures.mostConfirmedMarked =
                std::max(figures.mostConfirmedMarked, int(heldAndMarked.size()));
            if (!heldAndMarked.empty())
                ++figures.killsLeavingConfirmedMarked;
        }
        ASSERT_FALSE(held.empty()) << "the container holds none of the changes";

        // The phone changes back one the container holds, one still marked here if any is.
        const std::vector<QString>& pool = heldAndMarked.empty() ? held : heldAndMarked;
        const QString target =
            pool[std::uniform_int_distribution<size_t>(0, pool.size() - 1)(random)];
        const cloud::RecordID targetRecord{target, zone};
        const bool phoneValue = !changed.at(target);
        phone.setDone(targetRecord, phoneValue, clock->now());

        const Typed added = run({"add", "--list", "Groceries", "one more"});
        EXPECT_EQ(added.code, 0) << added.err.toStdString();
        const bool overwritten = phone.done(targetRecord) != phoneValue;
        if (overwritten)
            ++figures.overwritten;
        EXPECT_FALSE(overwritten) << "the phone's change was overwritten by a change it followed";
        const auto shown = [&] {
            for (const TBItem& item : readDisk().items) {
                if (item.id == target)
                    return item.done == phoneValue;
            }
            return false;
        };
        for (int more = 0; more < 5 && !shown(); ++more)
            run({"lists"});
        if (!shown())
            ++figures.notShown;
        EXPECT_TRUE(shown()) << "this device does not show the phone's change";
        settle();
    }

    // How a device is kept from syncing.
    enum class Away {
        outOfReach, // the container cannot be opened
        syncOff,    // the user switched sync off
    };
    // Keeps this device from syncing that way, or lets it sync again.
    virtual void keepAway(Away away, bool on) {
        if (away == Away::syncOff) {
            FileDefaults(dir.filePath(QStringLiteral("defaults.json")))
                .setBool(QStringLiteral("cloudSyncEnabled"), !on);
            return;
        }
        // A folder stands where the container file was; the file waits aside.
        const QDir aside(dir.filePath(QStringLiteral("aside")));
        if (on) {
            ASSERT_TRUE(aside.mkpath(QStringLiteral(".")));
        } else {
            ASSERT_TRUE(QDir().rmdir(cloudFile()));
        }
        for (const char* suffix : {"", "-wal", "-shm"}) {
            const QString file = cloudFile() + QLatin1String(suffix);
            const QString kept = aside.filePath(QFileInfo(file).fileName());
            if (on && QFile::exists(file)) {
                ASSERT_TRUE(QFile::rename(file, kept));
            }
            if (!on && QFile::exists(kept)) {
                ASSERT_TRUE(QFile::rename(kept, file));
            }
        }
        if (on) {
            ASSERT_TRUE(QDir().mkdir(cloudFile()));
        }
    }

    // The items whose save the sending journal beside the store file says the container
    // confirmed.
    QStringList confirmedInJournal() {
        QFile file(SendingJournal::pathBeside(storePath()));
        QStringList items;
        if (!file.open(QIODevice::ReadOnly))
            return items;
        const QString prefix = CloudLayout::itemArchiveKey(QString());
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject entry = QJsonDocument::fromJson(line).object();
            for (const QJsonValue& saved : entry.value(QStringLiteral("saved")).toArray()) {
                const QString key = saved.toArray().first().toString();
                if (key.startsWith(prefix))
                    items.append(key.mid(prefix.size()));
            }
        }
        return items;
    }

    // An upload of new items killed once the container confirmed a batch that only the sending
    // journal holds (the store file is written as the pass ends); then, kept from syncing, the
    // device ticks an item of that batch. The tick stays, and reaches the container once the
    // device syncs again.
    void tickAfterJournaledBatch(Away away) {
        storeWithUnsentItems(storeItems);
        QStringList confirmed;
        {
            QProcess device;
            launch(device, {"lists"});
            device.closeWriteChannel();
            ASSERT_TRUE(device.waitForStarted());
            const QDeadlineTimer deadline(requestBoundMs);
            while (confirmed.isEmpty() && device.state() == QProcess::Running &&
                   !device.waitForFinished(0) && !deadline.hasExpired()) {
                QThread::usleep(200);
                confirmed = confirmedInJournal();
            }
            const bool running = device.state() == QProcess::Running;
            ASSERT_TRUE(!running || killNow(device, requestBoundMs))
                << "the request ended on its own as it was killed";
            ASSERT_TRUE(device.state() == QProcess::NotRunning ||
                        device.waitForFinished(requestBoundMs));
        }
        const DiskV2 killed = readDisk();
        const auto item = std::find_if(killed.items.begin(), killed.items.end(), [&](auto& item) {
            return confirmed.contains(item.id) && killed.dirtyItems.contains(item.id);
        });
        ASSERT_NE(item, killed.items.end())
            << "the request ended before a confirmed batch was only in the journal";
        const cloud::RecordID ticked{item->id,
                                     cloud::ZoneID{CloudLayout::listZoneName(item->listID)}};

        keepAway(away, true);
        const Typed tick = run({"tick", "--list", "Groceries", item->text});
        EXPECT_EQ(tick.code, 0) << tick.err.toStdString();
        EXPECT_EQ(tick.out, "Ticked off " + item->text + ".\n");
        if (away == Away::outOfReach) {
            EXPECT_TRUE(tick.err.contains("could not be synced")) << tick.err.toStdString();
        }
        keepAway(away, false);

        settle();
        const DiskV2 after = readDisk();
        EXPECT_TRUE(after.dirtyItems.isEmpty()) << "changes were never sent";
        const auto shown = std::find_if(after.items.begin(), after.items.end(),
                                        [&](auto& each) { return each.id == item->id; });
        ASSERT_NE(shown, after.items.end());
        EXPECT_TRUE(shown->done) << "the tick is gone from the device";
        const QString phoneProfile = dir.filePath(QStringLiteral("phone"));
        Phone phone(cloudFor(phoneProfile), phoneProfile);
        EXPECT_EQ(phone.done(ticked), true) << "the tick never reached the container";
    }

    void killRounds(const char* what, int count, int seed) {
        syncedStore(storeItems);
        std::mt19937 random(seed);
        const int asked = qEnvironmentVariableIntValue("TALLYBIRD_KILL_ROUNDS");
        Figures figures;
        QElapsedTimer took;
        took.start();
        // Without a number asked for, as many rounds as fit in a few seconds on this machine.
        for (int round = 0; asked > 0 ? round < asked : (round < 3 || took.elapsed() < 12'000);
             ++round) {
            SCOPED_TRACE(round);
            killWhileSending(count, figures, random);
            if (HasFatalFailure())
                break;
        }
        std::printf("[ figures  ] %s, %s: %d kills, %d left confirmed changes marked (%d in all, "
                    "at most %d), %d overwrote the other device's change, %d never showed it\n",
                    containerKind(), what, figures.kills, figures.killsLeavingConfirmedMarked,
                    figures.confirmedMarked, figures.mostConfirmedMarked, figures.overwritten,
                    figures.notShown);
        // What the container confirmed is on disk as each batch is confirmed: only the batch
        // whose answer the kill cut short can be left marked.
        EXPECT_LE(figures.mostConfirmedMarked, batchSize);
        EXPECT_EQ(figures.overwritten, 0);
        EXPECT_EQ(figures.notShown, 0);
    }
};

TEST_F(KilledSync, OneChangeTheContainerHeldIsNeverSentAgainOverALaterChangeElsewhere) {
    killRounds("one tick", 1, 1);
}

TEST_F(KilledSync, FiftyOfflineChangesTheContainerHeldAreNeverSentAgainOverALaterChange) {
    killRounds("50 offline ticks", 50, 50);
}

TEST_F(KilledSync, ThousandsOfOfflineChangesKeepWhatTheContainerConfirmedBatchByBatch) {
    killRounds("2,000 offline ticks", storeItems, 2000);
}

TEST_F(KilledSync, ATickAfterABatchOnlyTheJournalHeldIsSentOnceTheContainerIsBack) {
    tickAfterJournaledBatch(Away::outOfReach);
}

TEST_F(KilledSync, ATickAfterABatchOnlyTheJournalHeldIsSentOnceSyncIsOnAgain) {
    tickAfterJournaledBatch(Away::syncOff);
}

// The same with Ann's device and phone on a server.
class KilledSyncOnServer : public KilledSync {
protected:
    void SetUp() override {
        KilledSync::SetUp();
        TALLYBIRD_REQUIRE_POSTGRES();
        server = std::make_unique<PostgresTestDatabase>();
        ASSERT_TRUE(server->ok()) << server->error().toStdString();
        server->addPerson(QStringLiteral("ann"));
        const auto device = cloud::CloudDevice::deviceIDForProfile(
            *server->admin(), cloudFor(QString()), AppPaths::dataDir());
        ASSERT_TRUE(device.ok());
        ASSERT_FALSE(server->admin()->signIn(device.value(), QStringLiteral("ann")));
    }
    QString cloudFor(const QString&) const override { return server->uri(QStringLiteral("ann")); }
    const char* containerKind() const override { return "server"; }
    // Out of reach: the server refuses every new connection to the container's database.
    void keepAway(Away away, bool on) override {
        if (away != Away::outOfReach) {
            KilledSync::keepAway(away, on);
            return;
        }
        const QString database = QStringLiteral("DATABASE \"%1\"").arg(server->name());
        ASSERT_EQ(server->run(on ? "REVOKE CONNECT ON " + database + " FROM PUBLIC"
                                 : "GRANT CONNECT ON " + database + " TO PUBLIC"),
                  QString());
    }

    std::unique_ptr<PostgresTestDatabase> server;
};

TEST_F(KilledSyncOnServer, OneChangeTheServerHeldIsNeverSentAgainOverALaterChangeElsewhere) {
    killRounds("one tick", 1, 1);
}

TEST_F(KilledSyncOnServer, FiftyOfflineChangesTheServerHeldAreNeverSentAgainOverALaterChange) {
    killRounds("50 offline ticks", 50, 50);
}

TEST_F(KilledSyncOnServer, ThousandsOfOfflineChangesKeepWhatTheServerConfirmedBatchByBatch) {
    killRounds("2,000 offline ticks", storeItems, 2000);
}

TEST_F(KilledSyncOnServer, ATickAfterABatchOnlyTheJournalHeldIsSentOnceTheServerIsBack) {
    tickAfterJournaledBatch(Away::outOfReach);
}

// A participant's device ticks an item of the owner's shared list and adds one while out of
// reach, is signed into another account and back, and its first request back is killed: once it
// has replaced its store file a number of times, a moment more or less later. The tick and the
// added item stay on the device, and the next requests bring them to the owner.
class KilledFirstRequestBack : public KilledSync {
protected:
    virtual bool onServer() const { return false; }
    const char* containerKind() const override { return onServer() ? "server" : "file"; }
    QString cloudFor(const QString& profile) const override {
        if (!server)
            return dir.filePath(QStringLiteral("cloud-%1.sqlite").arg(round));
        const auto account = accountOf.find(profile);
        return server->uri(account != accountOf.end() ? account->second : QStringLiteral("ann"));
    }

    // A container of its own for each round, with the three people.
    void freshCloud() {
        ++round;
        accountOf.clear();
        server.reset();
        const QStringList people{"ann", "sam", "kim"};
        if (onServer()) {
            server = std::make_unique<PostgresTestDatabase>();
            ASSERT_TRUE(server->ok()) << server->error().toStdString();
            for (const QString& person : people)
                server->addPerson(person);
            admin = server->admin();
            return;
        }
        admin = cloud::Container::openFile(cloudFor(QString())).value();
        for (const QString& person : people)
            ASSERT_FALSE(admin->createUser(person, std::nullopt));
    }
    QString deviceOf(const QString& profile) {
        const auto id = cloud::CloudDevice::deviceIDForProfile(*admin, cloudFor(profile), profile);
        EXPECT_TRUE(id.ok());
        return id.ok() ? id.value() : QString();
    }
    // Signs the profile's device into `person` (on a server, it connects as their role too).
    void moveInto(const QString& profile, const QString& person) {
        accountOf[profile] = person;
        ASSERT_FALSE(admin->signIn(deviceOf(profile), person));
    }
    QString said(const QStringList& words, const QString& profile) {
        const Typed typed = run(words, profile);
        EXPECT_EQ(typed.code, 0) << words.join(' ').toStdString() << ": "
                                 << typed.err.toStdString();
        return typed.out;
    }
    DiskV2 diskOf(const QString& profile) {
        QFile file(QDir(profile).filePath(QStringLiteral("store.json")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return DiskV2::decode(file.readAll(), clock->now());
    }
    static bool waits(const DiskV2& disk) {
        return !disk.dirtyItems.isEmpty() || (disk.heldMarks && !disk.heldMarks->isEmpty());
    }
    // The store file's identity: a new one each time the file is replaced.
    static ino_t storeFileNode(const QString& profile) {
        struct stat info {};
        return ::stat(
                   QDir(profile).filePath(QStringLiteral("store.json")).toLocal8Bit().constData(),
                   &info) == 0
                   ? info.st_ino
                   : 0;
    }

    // Runs a request on the profile and kills it once it has replaced the store file `writes`
    // times and `laterMs` more have passed; false when it ended before that.
    bool killPlaced(const QString& profile, int writes, int laterMs) {
        QProcess device;
        launch(device, {"lists"}, profile);
        device.closeWriteChannel();
        EXPECT_TRUE(device.waitForStarted());
        const auto running = [&] {
            return device.state() == QProcess::Running && !device.waitForFinished(0);
        };
        ino_t node = storeFileNode(profile);
        int seen = 0;
        const QDeadlineTimer deadline(requestBoundMs);
        while (seen < writes && running() && !deadline.hasExpired()) {
            QThread::usleep(100);
            if (const ino_t now = storeFileNode(profile); now != node) {
                node = now;
                ++seen;
            }
        }
        QThread::msleep(ulong(laterMs));
        const bool killed = killNow(device, requestBoundMs);
        EXPECT_TRUE(device.state() == QProcess::NotRunning ||
                    device.waitForFinished(requestBoundMs));
        return killed;
    }

    struct Outcome {
        int kills = 0;
        int reverted = 0;     // the device shows the item unticked again
        int unsent = 0;       // the owner never got the tick or the added item
        int mostRequests = 0; // the most requests after a kill before nothing waited
    };

    // In a cloud made anew, Ann starts Tools with a hammer in it and shares it with Sam to
    // change, and Sam's device takes it in. Gives the list's id, or nothing when it failed.
    QString annSharesToolsWithSam(const QString& ann, const QString& sam) {
        freshCloud();
        moveInto(ann, "ann");
        moveInto(sam, "sam");
        said({"start", "Tools"}, ann);
        said({"add", "--list", "tools", "hammer"}, ann);
        const QString tools = said({"lists"}, ann).section(u'\t', 0, 0);
        const QString zone = CloudLayout::listZoneName(tools);
        if (tools.isEmpty() ||
            admin->shareZone("ann", zone, "sam", cloud::ParticipantPermission::readWrite) ||
            admin->acceptShare("ann", zone, "sam"))
            return {};
        said({"lists"}, sam);
        return tools;
    }

    void killedRound(Outcome& outcome, std::mt19937& random) {
        const QString ann = dir.filePath(QStringLiteral("ann-%1").arg(round));
        const QString sam = dir.filePath(QStringLiteral("sam-%1").arg(round));
        const QString tools = annSharesToolsWithSam(ann, sam);
        ASSERT_FALSE(tools.isEmpty());
        const QString zone = CloudLayout::listZoneName(tools);

        // Out of reach, Sam ticks Ann's hammer and adds nails; then the device goes to Kim and
        // back.
        ASSERT_FALSE(admin->setOffline(deviceOf(sam), true));
        EXPECT_EQ(run({"tick", "--list", "tools", "hammer"}, sam).code, 0);
        EXPECT_EQ(run({"add", "--list", "tools", "nails"}, sam).code, 0);
        ASSERT_FALSE(admin->setOffline(deviceOf(sam), false));
        moveInto(sam, "kim");
        said({"lists"}, sam);
        moveInto(sam, "sam");

        // Most kills come soon after the first write, when the request has taken the account
        // back and sends what it held; the others anywhere from the start to the fourth.
        const int writes = round % 4 == 0 ? (round / 4) % 5 : 1;
        const int laterMs = std::uniform_int_distribution<int>(0, writes == 0 ? 100 : 4)(random);
        if (killPlaced(sam, writes, laterMs))
            ++outcome.kills;
        int requests = 0;
        for (; requests < 5 && waits(diskOf(sam)); ++requests)
            said({"lists"}, sam);
        outcome.mostRequests = std::max(outcome.mostRequests, requests);

        const DiskV2 device = diskOf(sam);
        EXPECT_FALSE(waits(device)) << "the changes were never sent";
        const auto hammer = std::find_if(device.items.begin(), device.items.end(),
                                         [](const TBItem& item) { return item.text == "hammer"; });
        const bool ticked = hammer != device.items.end() && hammer->done;
        if (!ticked)
            ++outcome.reverted;
        EXPECT_TRUE(ticked) << "the tick was reverted on the device";
        const auto records = admin->records("ann", zone);
        ASSERT_TRUE(records.ok());
        QStringList owner;
        for (const cloud::Record& record : records.value()) {
            if (const auto item = ListCloudMapping::item(record))
                owner.append(item->done ? item->text + " ✓" : item->text);
        }
        owner.sort();
        if (owner != QStringList({"hammer ✓", "nails"}))
            ++outcome.unsent;
        EXPECT_EQ(owner, QStringList({"hammer ✓", "nails"})) << "what the owner's list holds";
    }

    // Sam ticks Ann's hammer while his change cannot reach the container, or while the answer
    // of its send is lost on its way back (the send committed first, or not); Ann's phone then
    // renames the hammer. Sam's next requests bring both changes to both of them.
    void tickBesideTheOwnersRename() {
        using LostAnswer = cloud::Container::LostAnswer;
        const struct {
            const char* what;
            std::optional<LostAnswer> lost; // none: out of reach
        } ways[] = {
            {"out of reach", std::nullopt},
            {"the answer lost, nothing committed", LostAnswer::beforeCommit},
            {"the answer lost after the commit", LostAnswer::afterCommit},
        };
        for (const auto& way : ways) {
            SCOPED_TRACE(way.what);
            const QString ann = dir.filePath(QStringLiteral("ann-%1").arg(round));
            const QString sam = dir.filePath(QStringLiteral("sam-%1").arg(round));
            const QString tools = annSharesToolsWithSam(ann, sam);
            ASSERT_FALSE(tools.isEmpty());
            const cloud::ZoneID zone{CloudLayout::listZoneName(tools)};

            if (way.lost)
                ASSERT_FALSE(admin->injectLostAnswer(deviceOf(sam), *way.lost));
            else
                ASSERT_FALSE(admin->setOffline(deviceOf(sam), true));
            const Typed ticked = run({"tick", "--list", "tools", "hammer"}, sam);
            EXPECT_EQ(ticked.code, 0) << ticked.err.toStdString();
            EXPECT_TRUE(ticked.err.contains("could not be synced: The network is unavailable"))
                << ticked.err.toStdString();
            ASSERT_FALSE(admin->setOffline(deviceOf(sam), false));

            // Ann's phone renames the hammer on the server's latest copy, as her program would.
            auto phone = onServer() ? cloud::Container::openServer(cloudFor(ann)).value()
                                    : cloud::Container::openFile(cloudFor(ann)).value();
            if (!onServer()) {
                ASSERT_FALSE(admin->signIn("annPhone", "ann"));
            }
            const auto latest = [&]() -> std::optional<cloud::Record> {
                const auto records = admin->records("ann", zone.zoneName);
                if (!records.ok())
                    return std::nullopt;
                for (const cloud::Record& record : records.value()) {
                    if (const auto item = ListCloudMapping::item(record);
                        item && item->text.endsWith("hammer"))
                        return record;
                }
                return std::nullopt;
            };
            const auto before = latest();
            ASSERT_TRUE(before);
            std::optional<TBItem> renamed = ListCloudMapping::item(*before);
            renamed->text = QStringLiteral("claw hammer");
            const auto saved = phone->modifyRecords(
                "annPhone", cloud::DatabaseScope::privateScope,
                {ListCloudMapping::record(*renamed, before, std::nullopt)}, {});
            ASSERT_TRUE(saved.ok()) << saved.error().message.toStdString();
            ASSERT_TRUE(saved.value().failedRecordSaves.empty());

            // The first request back meets Ann's copy; what it left marked goes with the next
            // change.
            said({"lists"}, sam);
            said({"add", "--list", "tools", "nails"}, sam);
            for (int requests = 0; requests < 5 && waits(diskOf(sam)); ++requests)
                said({"lists"}, sam);
            const DiskV2 device = diskOf(sam);
            EXPECT_FALSE(waits(device)) << "the tick was never sent";
            const auto hammer =
                std::find_if(device.items.begin(), device.items.end(),
                             [](const TBItem& item) { return item.text.endsWith("hammer"); });
            ASSERT_NE(hammer, device.items.end());
            EXPECT_TRUE(hammer->done) << "the tick was given up on the device";
            EXPECT_EQ(hammer->text, "claw hammer");
            const auto held = latest();
            ASSERT_TRUE(held);
            const auto inCloud = ListCloudMapping::item(*held);
            EXPECT_TRUE(inCloud->done) << "the tick was given up in the container";
            EXPECT_EQ(inCloud->text, "claw hammer");
        }
    }

    void killRounds() {
        std::mt19937 random(52);
        const int asked = qEnvironmentVariableIntValue("TALLYBIRD_KILL_ROUNDS");
        Outcome outcome;
        for (int done = 0; done < (asked > 0 ? asked : 10); ++done) {
            SCOPED_TRACE(round + 1);
            killedRound(outcome, random);
            if (HasFatalFailure())
                break;
        }
        std::printf("[ figures  ] %s, first request back: %d kills, %d reverted the tick, %d "
                    "never reached the owner, at most %d requests after a kill\n",
                    containerKind(), outcome.kills, outcome.reverted, outcome.unsent,
                    outcome.mostRequests);
        EXPECT_GT(outcome.kills, 0) << "no request was killed";
        EXPECT_EQ(outcome.reverted, 0);
        EXPECT_EQ(outcome.unsent, 0);
    }

    std::shared_ptr<cloud::Container> admin;
    std::unique_ptr<PostgresTestDatabase> server;
    std::map<QString, QString> accountOf; // profile to the person its device is signed into
    int round = 0;
};

TEST_F(KilledFirstRequestBack, HeldChangesOfASharedListOutliveAKillInTheFirstRequestBack) {
    killRounds();
}

TEST_F(KilledFirstRequestBack, AParticipantsTickThatNeverLandedOrLostItsAnswerOutlivesARename) {
    tickBesideTheOwnersRename();
}

class KilledFirstRequestBackOnServer : public KilledFirstRequestBack {
protected:
    void SetUp() override {
        KilledFirstRequestBack::SetUp();
        TALLYBIRD_REQUIRE_POSTGRES();
    }
    bool onServer() const override { return true; }
};

TEST_F(KilledFirstRequestBackOnServer, HeldChangesOfASharedListOutliveAKillInTheFirstRequestBack) {
    killRounds();
}

TEST_F(KilledFirstRequestBackOnServer,
       AParticipantsTickThatNeverLandedOrLostItsAnswerOutlivesARename) {
    tickBesideTheOwnersRename();
}

} // namespace
