// A fresh device of a person whose account already holds thousands of lists, on a container file
// and on a server. Bringing them all takes longer than a request may: each request ends within
// its bound, says that the rest goes on, and the next one goes on from where it stopped, so that
// successive requests bring every list once. The other way too: a device that made thousands of
// lists before it ever synced sends them over a few requests to a server.
#include "ProcessTestSupport.h"

#include "cloud/CloudDevice.h"
#include "intents/RequestRoute.h"
#include "support/PostgresTestServer.h"
#include "sync/ListCloudMapping.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

using testsupport::PostgresTestDatabase;

// Enough that bringing them takes a loaded machine well past a request's bound, as a user
// reported; the sanitizers slow the program down several times, so fewer are enough there.
#ifdef __SANITIZE_ADDRESS__
constexpr int manyLists = 1'000;
#else
constexpr int manyLists = 3'000;
#endif

// How long a change request may take: its catch-up's two seconds and its own sync's, the
// container call under way as each ends, loading and writing a store of thousands of lists and
// rewriting their index; with room for a loaded machine. A request that fetches everything
// before it ends takes several times as long.
constexpr int requestBoundMs = 12'000;

class ManyLists : public ProcessTest {
protected:
    // Another device of the same person has made the lists, each with its record and an item,
    // and sent them a batch at a time as the program does.
    void fill(int lists) {
        const QString location = cloudFor(QString());
        auto opened = cloud::Container::isServerLocation(location)
                          ? cloud::Container::openServer(location)
                          : cloud::Container::openFile(location);
        ASSERT_TRUE(opened.ok()) << opened.error().message.toStdString();
        const auto container = opened.value();
        const auto maker =
            cloud::CloudDevice::deviceIDForProfile(*container, location, dir.filePath("maker"));
        ASSERT_TRUE(maker.ok());
        ASSERT_TRUE(container->currentUser(maker.value()).ok());
        constexpr int batch = 400;
        for (int from = 0; from < lists; from += batch) {
            std::vector<cloud::ZoneID> zones;
            std::vector<cloud::Record> records;
            for (int l = from; l < std::min(lists, from + batch); ++l) {
                TBList list;
                list.id = Ids::newId();
                list.name = QStringLiteral("List %1").arg(l);
                list.order = l;
                TBItem item;
                item.id = Ids::newId();
                item.listID = list.id;
                item.text = QStringLiteral("Bread");
                zones.push_back(cloud::ZoneID{CloudLayout::listZoneName(list.id)});
                records.push_back(ListCloudMapping::record(list, std::nullopt));
                records.push_back(ListCloudMapping::record(item, std::nullopt, std::nullopt));
                made.insert(list.id);
            }
            const auto zonesSaved = container->modifyZones(
                maker.value(), cloud::DatabaseScope::privateScope, zones, {});
            ASSERT_TRUE(zonesSaved.ok()) << zonesSaved.error().message.toStdString();
            const auto saved = container->modifyRecords(
                maker.value(), cloud::DatabaseScope::privateScope, records, {});
            ASSERT_TRUE(saved.ok()) << saved.error().message.toStdString();
            ASSERT_TRUE(saved.value().failedRecordSaves.empty());
        }
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

    // The ids of the lists a `lists` request printed, each once.
    static std::set<QString> listed(const QString& out, int* lines) {
        std::set<QString> ids;
        const QStringList rows = out.split(u'\n', Qt::SkipEmptyParts);
        *lines = int(rows.size());
        for (const QString& row : rows)
            ids.insert(row.section(u'\t', 0, 0));
        return ids;
    }

    void requestsBringEveryListInTurn();

    // This device's own lists, each with an item, made before it ever synced.
    void makeHere(int lists) {
        auto store = openStore();
        for (int l = 0; l < lists; ++l) {
            const QString id = store->addList(QStringLiteral("Mine %1").arg(l)).id;
            ASSERT_TRUE(store->addItem(id, QStringLiteral("Bread")).has_value());
            made.insert(id);
        }
        store->flushSaves();
    }

    std::set<QString> made; // the lists' ids
};

void ManyLists::requestsBringEveryListInTurn() {
    fill(manyLists);
    const QString goesOn =
        RequestRoute::notCaughtUpNote(IntentFrame::downloadUnderWayReason()) + "\n";

    // A request that has not brought every list says so: the download goes on, or, when the
    // cloud had not answered its first lists by the time the request's wait ended, that it did
    // not answer in time.
    const QString tooSlow = RequestRoute::notCaughtUpNote(IntentFrame::syncTooSlowReason()) + "\n";

    // A change first: its catch-up and its own sync each end in time, and the change is sent.
    const Typed started = within(requestBoundMs, {"start", "Holiday"});
    EXPECT_EQ(started.code, 0) << started.err.toStdString();
    EXPECT_EQ(started.out, "Started Holiday.\n");
    EXPECT_TRUE(started.err.isEmpty() || started.err == goesOn || started.err == tooSlow)
        << started.err.toStdString();

    // Then each request brings more, never one list twice, until every list is here.
    int held = 0;
    for (int round = 0; round < 40 && held < manyLists + 1; ++round) {
        SCOPED_TRACE(round);
        const Typed listed = within(requestBoundMs, {"lists"});
        ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
        int lines = 0;
        const std::set<QString> ids = this->listed(listed.out, &lines);
        EXPECT_EQ(lines, int(ids.size())) << "a list is here twice";
        EXPECT_GE(lines, held) << "lists went away";
        held = lines;
        std::printf("[ figures  ] %d lists here\n", held);
        // Every list but the new one is one the other device made.
        EXPECT_EQ(std::count_if(ids.begin(), ids.end(),
                                [&](const QString& id) { return !made.contains(id); }),
                  1);
        if (listed.err.isEmpty()) {
            // Brought up to date: every list is here.
            EXPECT_EQ(held, manyLists + 1);
            break;
        }
        EXPECT_TRUE(listed.err == goesOn || listed.err == tooSlow) << listed.err.toStdString();
    }
    EXPECT_EQ(held, manyLists + 1) << "successive requests did not bring every list";
}

TEST_F(ManyLists, RequestsOnAFreshDeviceEndInTimeAndBringEveryListInTurn) {
    requestsBringEveryListInTurn();
}

// Ann's account on a server.
class ManyListsOnServer : public ManyLists {
protected:
    void SetUp() override {
        ManyLists::SetUp();
        TALLYBIRD_REQUIRE_POSTGRES();
        server = std::make_unique<PostgresTestDatabase>();
        ASSERT_TRUE(server->ok()) << server->error().toStdString();
        server->addPerson(QStringLiteral("ann"));
    }
    QString cloudFor(const QString&) const override { return server->uri(QStringLiteral("ann")); }

    void requestsSendEveryListInTurn();

    // The server cuts short, at a request's bound, every step that adds more than `rows` zones
    // or records, as a busy server does one whose statements take too long: such a step keeps
    // nothing. Each cut is counted.
    void cutStepsLargerThan(int rows) {
        const QString made = server->run(
            QStringLiteral(
                "CREATE SEQUENCE public.cuts; GRANT USAGE ON SEQUENCE public.cuts TO PUBLIC; "
                "CREATE FUNCTION public.cut_large_steps() RETURNS trigger LANGUAGE plpgsql "
                "AS $$ DECLARE counted text := 'cut.' || TG_TABLE_NAME; added integer; BEGIN "
                "added := coalesce(nullif(current_setting(counted, true), ''), '0')::integer + 1; "
                "PERFORM set_config(counted, added::text, true); "
                "IF added > %1 THEN PERFORM nextval('public.cuts'); PERFORM pg_sleep(600); END IF; "
                "RETURN NEW; END $$; "
                "CREATE TRIGGER cut_large_steps BEFORE INSERT ON tallybird.zones "
                "FOR EACH ROW EXECUTE FUNCTION public.cut_large_steps(); "
                "CREATE TRIGGER cut_large_steps BEFORE INSERT ON tallybird.records "
                "FOR EACH ROW EXECUTE FUNCTION public.cut_large_steps()")
                .arg(rows));
        ASSERT_TRUE(made.isEmpty()) << made.toStdString();
    }
    int cuts() const {
        return server
            ->value(QStringLiteral("SELECT CASE WHEN is_called THEN last_value ELSE 0 "
                                   "END FROM public.cuts"))
            .toInt();
    }

    std::unique_ptr<PostgresTestDatabase> server;
};

TEST_F(ManyListsOnServer, RequestsOnAFreshDeviceEndInTimeAndBringEveryListInTurn) {
    requestsBringEveryListInTurn();
}

// A device that made thousands of lists before it ever synced, whose first requests are
// `lists`: each ends in time and sends more, until the server holds every list and item, and a
// fresh device then brings every list.
void ManyListsOnServer::requestsSendEveryListInTurn() {
    makeHere(manyLists);
    if (HasFatalFailure())
        return;
    const auto count = [&](const QString& rows) {
        return server->value(QStringLiteral("SELECT count(*) FROM tallybird.") + rows).toInt();
    };
    int lists = 0;
    int items = 0;
    int sent = 0; // zones and records
    for (int round = 0; round < 20 && (lists < manyLists || items < manyLists); ++round) {
        SCOPED_TRACE(round);
        const Typed listed = within(requestBoundMs, {"lists"});
        EXPECT_EQ(listed.code, 0) << listed.err.toStdString();
        const int zones = count(QStringLiteral("zones WHERE owner = 'ann'"));
        lists = count(QStringLiteral("records WHERE owner = 'ann' AND type = 'TB_List'"));
        items = count(QStringLiteral("records WHERE owner = 'ann' AND type = 'TB_Item'"));
        std::printf("[ figures  ] %d zones, %d lists and %d items on the server\n", zones, lists,
                    items);
        // Each request sends some: the first at least the lists' zones.
        EXPECT_GT(zones + lists + items, sent) << "a request sent nothing";
        if (zones + lists + items == sent)
            break;
        sent = zones + lists + items;
    }
    EXPECT_EQ(lists, manyLists);
    EXPECT_EQ(items, manyLists);

    // A fresh device of Ann's brings every list, each once.
    const QString fresh = dir.filePath(QStringLiteral("fresh"));
    int held = 0;
    for (int round = 0; round < 40 && held < manyLists; ++round) {
        QProcess process;
        launch(process, {"lists"}, fresh);
        process.closeWriteChannel();
        ASSERT_TRUE(process.waitForFinished(60'000));
        std::set<QString> ids;
        held = 0;
        for (const QString& row :
             QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
            ids.insert(row.section(u'\t', 0, 0));
            ++held;
        }
        EXPECT_EQ(held, int(ids.size())) << "a list is here twice";
        EXPECT_TRUE(std::includes(made.begin(), made.end(), ids.begin(), ids.end()));
    }
    EXPECT_EQ(held, manyLists);
}

TEST_F(ManyListsOnServer, RequestsOfADeviceThatNeverSyncedSendEveryListInTurn) {
    requestsSendEveryListInTurn();
}

// A server too busy to take the program's usual steps in time: each request still sends some.
TEST_F(ManyListsOnServer, RequestsOfADeviceThatNeverSyncedSendEveryListInTurnWhenLargeStepsAreCut) {
    cutStepsLargerThan(200);
    if (HasFatalFailure())
        return;
    requestsSendEveryListInTurn();
    EXPECT_GT(cuts(), 0) << "no step was cut short";
}

} // namespace
