// Requests whose sync cannot end before they do: the first sync of a large store through a
// container file, and a server where someone else holds what a write needs. Every request ends
// within its bound (a process that does not is killed and fails the test), says what became of
// the sync, and what it did not send goes with the next sync, once.
#include "ProcessTestSupport.h"

#include "cloud/CloudDevice.h"
#include "intents/RequestRoute.h"
#include "store/DiskV2.h"
#include "support/PostgresTestServer.h"
#include "sync/ListCloudMapping.h"

#include <QElapsedTimer>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdio>

namespace {

using testsupport::PostgresTestDatabase;

// How long a request may take when its catch-up runs out of time: the catch-up's two seconds,
// the container call under way when the process ends (bounded by the container's own waits),
// loading and writing the store; with room for a loaded machine. A request that waits for an
// event loop that has ended never ends at all.
constexpr int endBoundMs = 20'000;
// A whole first upload, which a change's own sync waits for.
constexpr int uploadBoundMs = 240'000;

class UnfinishedSync : public ProcessTest {
protected:
    // A store filled while sync was off: one list whose items all wait to be sent. The first
    // item is added as a person would, the others are copies of it, marked as it is: adding
    // tens of thousands one by one would take longer than the test.
    void fillNeverSynced(int count) {
        {
            ListStore store(storePath(), false, false, defaults, *clock);
            store.addItem(store.addList(QStringLiteral("Groceries")).id, QStringLiteral("Item 0"));
            store.flushSaves();
        }
        QFile file(storePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        DiskV2 disk = DiskV2::decode(file.readAll(), clock->now());
        file.close();
        ASSERT_EQ(disk.items.size(), 1);
        const TBItem first = disk.items.first();
        const FieldSet marks = disk.dirtyItems.value(first.id);
        ASSERT_FALSE(marks.isEmpty());
        for (int i = 1; i < count; ++i) {
            TBItem item = first;
            item.id = Ids::newId();
            item.text = QStringLiteral("Item %1").arg(i);
            item.order = i;
            disk.items.append(item);
            disk.dirtyItems.insert(item.id, marks);
        }
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(disk.encode(file));
    }

    // Runs a request that must end within `ms`, and notes how long it took.
    Typed within(int ms, const QStringList& words) {
        QElapsedTimer took;
        took.start();
        QProcess process;
        launch(process, words);
        process.closeWriteChannel();
        const bool ended = process.waitForFinished(ms);
        std::printf("[ figures  ] %s ended after %lld ms\n", words.first().toUtf8().constData(),
                    static_cast<long long>(took.elapsed()));
        EXPECT_TRUE(ended) << words.join(' ').toStdString() << " did not end within " << ms
                           << " ms";
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // A first upload of `items` cut short, and another device's change to what it had sent;
    // with `tickReachesHere`, this device must also take the change in.
    void tickDuringAnInterruptedUpload(int items, bool tickReachesHere);

    int waitingItems() { return int(readStore()->dirtyItems().size()); }
    int storedItems() {
        const auto store = readStore();
        return store->lists().isEmpty() ? 0 : int(store->items(store->lists().first().id).size());
    }
};

// The item records in a container file.
int itemRecordsIn(const QString& file) {
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 10'000);
        sqlite3_stmt* query = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM records WHERE type = 'TB_Item'", -1,
                               &query, nullptr) == SQLITE_OK &&
            sqlite3_step(query) == SQLITE_ROW)
            count = sqlite3_column_int(query, 0);
        sqlite3_finalize(query);
    }
    sqlite3_close(db);
    return count;
}

// A store whose first sync outlasts the catch-up: 60,000 items, as a user reported; the
// sanitizers slow the program down several times, so that a fifth of them is enough there.
#ifdef __SANITIZE_ADDRESS__
constexpr int firstSyncItems = 12'000;
#else
constexpr int firstSyncItems = 60'000;
#endif

TEST_F(UnfinishedSync, AFirstSyncLongerThanTheCatchUpEndsTheRequestAndGoesOnWithTheNextOne) {
    constexpr int items = firstSyncItems;
    fillNeverSynced(items);

    // Requests in a row, each cut short by its catch-up: each ends, says what became of the
    // upload, and keeps what the cloud confirmed, so that the next one goes on from there. One
    // the cloud answered says that the upload goes on, and so does one still getting the changes
    // ready to send; one cut short while its first batch waited for the cloud says that the cloud
    // did not answer in time. A busy machine may take a few requests, or all of them, before a
    // batch is confirmed. Once everything is sent, a catch-up can still run out of time fetching
    // it back.
    const QString tooSlow = RequestRoute::notCaughtUpNote(IntentFrame::syncTooSlowReason()) + "\n";
    const QString underWay =
        RequestRoute::notCaughtUpNote(IntentFrame::uploadUnderWayReason()) + "\n";
    const QString fetching =
        RequestRoute::notCaughtUpNote(IntentFrame::downloadUnderWayReason()) + "\n";
    int waiting = items;
    int roundsSent = 0; // since the first batch was confirmed
    for (int round = 0; round < 8 && roundsSent < 2; ++round) {
        SCOPED_TRACE(round);
        const int waitingBefore = waiting;
        const Typed listed = within(endBoundMs, {"lists"});
        ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
        EXPECT_TRUE(listed.out.endsWith("\tGroceries\n")) << listed.out.toStdString();
        waiting = waitingItems();
        EXPECT_LE(waiting, waitingBefore) << "what the cloud confirmed is sent again";
        // Whatever the store counts as sent is in the cloud.
        EXPECT_EQ(itemRecordsIn(cloudFile()), items - waiting);
        if (waiting == 0) {
            EXPECT_TRUE(listed.err.isEmpty() || listed.err == tooSlow || listed.err == fetching)
                << listed.err.toStdString();
            break;
        }
        // A batch answered only as the request ended is kept all the same.
        EXPECT_TRUE(listed.err == underWay || listed.err == tooSlow) << listed.err.toStdString();
        if (waiting < items)
            ++roundsSent;
    }

    // A change's own sync sends the rest: every item is in the cloud once, and nothing waits.
    const Typed added = within(uploadBoundMs, {"add", "--list", "Groceries", "one more"});
    EXPECT_EQ(added.out, "Added one more to Groceries.\n");
    // Nor does it say that the upload goes on, whether or not its catch-up ran out of time.
    EXPECT_FALSE(added.err.contains(IntentFrame::uploadUnderWayReason()))
        << added.err.toStdString();
    EXPECT_FALSE(added.err.contains(IntentFrame::notSyncedNote(QString())))
        << added.err.toStdString();
    EXPECT_EQ(itemRecordsIn(cloudFile()), items + 1);
    EXPECT_EQ(storedItems(), items + 1);
    EXPECT_EQ(waitingItems(), 0);
}

// A change's own sync waits for the upload its catch-up began: once that sync has sent it all,
// nothing is left to go on, and the request says nothing of it.
TEST_F(UnfinishedSync, AChangeWhoseSyncSentTheWholeUploadDoesNotSayItGoesOn) {
    constexpr int items = firstSyncItems;
    fillNeverSynced(items);
    const Typed added = within(uploadBoundMs, {"add", "--list", "Groceries", "one more"});
    EXPECT_EQ(added.code, 0);
    EXPECT_EQ(added.out, "Added one more to Groceries.\n");
    // Its catch-up may have run out of time while fetching, and says so; the upload it began
    // is done, and so is the change's own sync.
    EXPECT_FALSE(added.err.contains(IntentFrame::uploadUnderWayReason()))
        << added.err.toStdString();
    EXPECT_FALSE(added.err.contains(IntentFrame::notSyncedNote(QString())))
        << added.err.toStdString();
    EXPECT_EQ(itemRecordsIn(cloudFile()), items + 1);
    EXPECT_EQ(waitingItems(), 0);
}

// Another device of the same person, reaching the container as the program does.
class OtherDevice {
public:
    OtherDevice(const QString& location, const QString& profile) {
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

    // The server's copies of the records of a zone, by name: one fetch, as a device's first.
    std::map<QString, cloud::Record> records(const cloud::ZoneID& zone) {
        std::map<QString, cloud::Record> found;
        if (!container_)
            return found;
        auto fetched = container_->fetchZoneChanges(device_, cloud::DatabaseScope::privateScope,
                                                    zone, std::nullopt);
        EXPECT_TRUE(fetched.ok());
        if (!fetched.ok())
            return found;
        for (cloud::Record& record : fetched.value().modifications)
            found.emplace(record.recordID().recordName, std::move(record));
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

    // Ticks the item off as this device's program would: on the server's latest copy.
    void tick(const cloud::RecordID& id) {
        const std::optional<cloud::Record> latest = record(id);
        ASSERT_TRUE(latest);
        std::optional<TBItem> item = ListCloudMapping::item(*latest);
        ASSERT_TRUE(item);
        item->done = true;
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

// Each batch the container commits is this device's to record as sent, however the request
// that sent it ends: a batch recorded as waiting would be sent again, every field of it, over
// what another device changed meanwhile.
void UnfinishedSync::tickDuringAnInterruptedUpload(int items, bool tickReachesHere) {
    fillNeverSynced(items);
    const Typed listed = within(endBoundMs, {"lists"});
    ASSERT_EQ(listed.code, 0) << listed.err.toStdString();

    // What the cloud holds of this device's items, and nothing more, counts as sent.
    const auto store = readStore();
    const QString listID = store->lists().first().id;
    const QMap<QString, FieldSet> waiting = store->dirtyItems();
    const cloud::ZoneID zone{CloudLayout::listZoneName(listID)};
    const QString phoneProfile = dir.filePath(QStringLiteral("phone"));
    OtherDevice phone(cloudFor(phoneProfile), phoneProfile);
    std::map<QString, cloud::Record> inCloud = phone.records(zone);
    inCloud.erase(CloudLayout::listRecordName);
    std::optional<QString> sentLast;
    int inCloudAndWaiting = 0;
    for (const TBItem& item : store->items(listID)) {
        if (!inCloud.contains(item.id))
            continue;
        if (waiting.contains(item.id)) {
            ++inCloudAndWaiting;
            sentLast = item.id;
        } else if (!sentLast || !waiting.contains(*sentLast)) {
            sentLast = item.id;
        }
    }
    EXPECT_GT(inCloud.size(), 0u);
    EXPECT_EQ(inCloudAndWaiting, 0) << "items the cloud holds are still waiting to be sent";
    EXPECT_EQ(int(inCloud.size()), items - int(waiting.size()));

    // The phone ticks off an item the cloud got last (one still waiting here, if any is), then
    // this device goes on with its upload and makes a change.
    ASSERT_TRUE(sentLast);
    const cloud::RecordID ticked{*sentLast, zone};
    phone.tick(ticked);
    const Typed again = within(endBoundMs, {"lists"});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    const Typed added = within(uploadBoundMs, {"add", "--list", "Groceries", "one more"});
    EXPECT_EQ(added.out, "Added one more to Groceries.\n");

    const std::optional<cloud::Record> kept = phone.record(ticked);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(ListCloudMapping::item(*kept)->done) << "the tick made on the phone was undone";
    if (!tickReachesHere)
        return;
    // And the tick reaches this device, with a request or two more on a loaded machine.
    const auto tickedHere = [&] {
        const auto now = readStore();
        const TBItem* here = now->findItem(*sentLast);
        return here && here->done;
    };
    for (int more = 0; more < 5 && !tickedHere(); ++more)
        within(endBoundMs, {"lists"});
    EXPECT_TRUE(tickedHere());
}

TEST_F(UnfinishedSync, ABatchTheCloudCommittedIsNeverSentAgainOverAChangeMadeElsewhere) {
    tickDuringAnInterruptedUpload(firstSyncItems, true);
}

TEST_F(UnfinishedSync, AChangeThroughTheProgramDuringItsFirstUploadSaysTheUploadIsUnderWay) {
    constexpr int items = firstSyncItems;
    fillNeverSynced(items);
    // The program's first pass starts the upload; the change waits for the pass after it. It is
    // asked once the cloud has confirmed a batch: before that, a slow machine's program is still
    // making the upload ready, and the request rightly says only that the cloud did not answer.
    startProgram();
    const QDeadlineTimer started(uploadBoundMs);
    while (itemRecordsIn(cloudFile()) <= 0 && !started.hasExpired())
        QThread::msleep(50);
    ASSERT_GT(itemRecordsIn(cloudFile()), 0) << "the program's upload never began";
    const Typed added = within(endBoundMs, {"add", "--list", "Groceries", "one more"});
    EXPECT_EQ(added.code, 0);
    EXPECT_EQ(added.out, "Added one more to Groceries.\n");
    // A machine that sends it all within the reply's wait has nothing to say; one that sent it
    // all and is still taking the cloud's answers in is only slow. The upload may end between
    // the reply and this look, so once it is all in the cloud either is right.
    if (!added.err.isEmpty()) {
        const QString underWay = IntentFrame::notSyncedNote(IntentFrame::uploadUnderWayReason());
        const QString slow = IntentFrame::notSyncedNote(IntentFrame::syncTooSlowReason());
        const bool uploaded = itemRecordsIn(cloudFile()) >= items;
        EXPECT_TRUE(added.err == underWay + "\n" || (uploaded && added.err == slow + "\n"))
            << added.err.toStdString();
    }

    // The program goes on until everything is in the cloud, once, and says so in its store.
    const QDeadlineTimer deadline(uploadBoundMs);
    while (waitingItems() > 0 && !deadline.hasExpired())
        QThread::msleep(200);
    EXPECT_EQ(waitingItems(), 0);
    EXPECT_EQ(itemRecordsIn(cloudFile()), items + 1);
    stopProgram();
}

TEST_F(UnfinishedSync, AProgramQuitDuringItsFirstUploadKeepsWhatTheCloudConfirmed) {
    constexpr int items = firstSyncItems;
    fillNeverSynced(items);
    startProgram();
    // Batches go one after another, each made once the one before was taken in: records of a
    // third batch in the cloud mean the first one's are the store's to keep.
    constexpr int batch = 400;
    const QDeadlineTimer deadline(uploadBoundMs);
    while (itemRecordsIn(cloudFile()) <= 2 * batch && !deadline.hasExpired())
        QThread::msleep(20);
    ASSERT_GT(itemRecordsIn(cloudFile()), 2 * batch);
    stopProgram();
    // What the store counts as sent is in the cloud, and not all of it is left to send again.
    const int waiting = waitingItems();
    EXPECT_LT(waiting, items) << "the next start sends everything again";
    EXPECT_GE(itemRecordsIn(cloudFile()), items - waiting);
}

// Ann syncs through a server where someone holds what her device's writes need.
class UnfinishedSyncOnServer : public UnfinishedSync {
protected:
    void SetUp() override {
        UnfinishedSync::SetUp();
        TALLYBIRD_REQUIRE_POSTGRES();
        server = std::make_unique<PostgresTestDatabase>();
        ASSERT_TRUE(server->ok()) << server->error().toStdString();
        server->addPerson(QStringLiteral("ann"));
        server->addPerson(QStringLiteral("bob"));
        // Her device is known to the server, as after any earlier request: what the requests
        // below wait for is the lock, not signing in.
        const auto device = cloud::CloudDevice::deviceIDForProfile(
            *server->admin(), cloudFor(QString()), AppPaths::dataDir());
        ASSERT_TRUE(device.ok());
        ASSERT_FALSE(server->admin()->signIn(device.value(), QStringLiteral("ann")));
    }
    QString cloudFor(const QString&) const override { return server->uri(QStringLiteral("ann")); }

    std::unique_ptr<PostgresTestDatabase> server;
};

// A transaction that holds a lock until it is let go.
class HeldLock {
public:
    HeldLock(const QString& uri, const QString& lock)
        : connection_(PQconnectdb(uri.toUtf8().constData())) {
        PGresult* result = PQexec(connection_, ("BEGIN; " + lock).toUtf8().constData());
        held_ =
            PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
        if (!held_)
            error_ = QString::fromUtf8(PQerrorMessage(connection_));
        PQclear(result);
    }
    ~HeldLock() { PQfinish(connection_); }
    bool held() const { return held_; }
    const QString& error() const { return error_; }

private:
    PGconn* connection_;
    bool held_ = false;
    QString error_;
};

// Fewer items than on a file still outlast the catch-up there. What the server keeps is the
// point here: a request fetches a list's records in one statement, which a loaded machine may
// not end within a request's two-second bound, so that the tick reaching the device is left to
// the file's case.
TEST_F(UnfinishedSyncOnServer, ABatchTheServerCommittedIsNeverSentAgainOverAChangeMadeElsewhere) {
    tickDuringAnInterruptedUpload(std::min(firstSyncItems, 20'000), false);
}

TEST_F(UnfinishedSyncOnServer, ARequestEndsWhileItsWritesWaitForALockHeldElsewhere) {
    constexpr int items = 50;
    fillNeverSynced(items);
    const struct {
        const char* what;
        const char* role;
        const char* lock;
    } holders[] = {
        // What a person's new lists take turns by.
        {"the administrator holds Ann's row of lists", "tallybird",
         "SELECT 1 FROM tallybird.feeds WHERE user_name = 'ann' FOR UPDATE"},
        // Whatever the writes take turns by, none gets past this.
        {"the administrator holds the records", "tallybird",
         "LOCK TABLE tallybird.records IN EXCLUSIVE MODE"},
    };
    for (const auto& holder : holders) {
        SCOPED_TRACE(holder.what);
        const HeldLock lock(server->uri(QString::fromLatin1(holder.role)),
                            QString::fromLatin1(holder.lock));
        ASSERT_TRUE(lock.held()) << lock.error().toStdString();
        // The call stuck behind the lock and the catch-up's wait end close together: the
        // request must end whichever comes first.
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(round);
            const Typed listed = within(endBoundMs, {"lists"});
            EXPECT_EQ(listed.code, 0);
            EXPECT_TRUE(listed.out.endsWith("\tGroceries\n")) << listed.out.toStdString();
            EXPECT_TRUE(listed.err.startsWith(RequestRoute::notCaughtUpNote(QString())))
                << listed.err.toStdString();
        }
    }

    // With the locks let go, a change's sync sends everything, once.
    const Typed added = within(endBoundMs, {"add", "--list", "Groceries", "one more"});
    EXPECT_EQ(added.out, "Added one more to Groceries.\n");
    EXPECT_FALSE(added.err.contains(IntentFrame::notSyncedNote(QString())))
        << added.err.toStdString();
    EXPECT_EQ(server->value("SELECT count(*) FROM tallybird.records WHERE type = 'TB_Item'"),
              QString::number(items + 1));
    EXPECT_EQ(waitingItems(), 0);
}

} // namespace
