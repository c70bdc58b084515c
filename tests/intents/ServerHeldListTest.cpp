// On a server, another person holds a list the owner shares with them, a transaction left open
// with its writer's lock: the owner's requests on another device, without the window, still
// bring in what the owner's other device adds to their own lists, and take no longer for it; a
// request that answers from the held list says it could not bring that list up to date. A change
// of the owner's in the held list waits for it, and holds up nothing else.
#include "ProcessTestSupport.h"

#include "support/PostgresTestServer.h"

#include "intents/RequestRoute.h"

#include <QElapsedTimer>

#include <libpq-fe.h>

namespace {

class ServerHeldList : public ProcessTest {
protected:
    void TearDown() override {
        if (eve)
            PQfinish(eve);
        ProcessTest::TearDown();
    }
    QString laptop() const { return dir.filePath(QStringLiteral("laptop")); }
    QString cloudFor(const QString&) const override { return server.uri(QStringLiteral("ann")); }

    // A request of Ann's; says what it answered, and how long it took.
    QString said(const QStringList& words, const QString& profile, qint64* ms = nullptr) {
        QElapsedTimer clock;
        clock.start();
        const Typed typed = run(words, profile);
        if (ms)
            *ms = clock.elapsed();
        EXPECT_EQ(typed.code, 0) << words.join(' ').toStdString();
        EXPECT_EQ(typed.err, QString()) << words.join(' ').toStdString();
        return typed.out;
    }
    QString sql(PGconn* conn, const QString& statement) {
        PGresult* result = PQexec(conn, statement.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        QString value = status == PGRES_TUPLES_OK && PQntuples(result) > 0
                            ? QString::fromUtf8(PQgetvalue(result, 0, 0))
                        : status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK
                            ? QString()
                            : QStringLiteral("refused: ") + QString::fromUtf8(PQerrorMessage(conn));
        PQclear(result);
        return value;
    }

    // Ann and Eve are people of the server; Ann's desktop starts her two lists.
    void annStartsChoresAndGroceries() {
        server.addPerson(QStringLiteral("ann"));
        server.addPerson(QStringLiteral("eve"));
        said({"start", "Chores"}, dir.path());
        said({"start", "Groceries"}, dir.path());
    }

    // Ann's laptop takes in the lists her desktop started; then Ann shares Chores with Eve to
    // read and write, and Eve takes its writer's lock, changes it and stays in her transaction.
    void letEveHoldChores() {
        said({"lists"}, laptop());
        const QString chores =
            server.value("SELECT z.name FROM tallybird.zones z "
                         "JOIN tallybird.records r ON r.owner = z.owner "
                         "AND r.zone = z.name WHERE z.owner = 'ann' "
                         "AND convert_from(r.data, 'UTF8') LIKE '%Chores%' LIMIT 1");
        ASSERT_FALSE(chores.isEmpty());
        auto admin = server.admin();
        ASSERT_FALSE(
            admin->shareZone("ann", chores, "eve", cloud::ParticipantPermission::readWrite));
        ASSERT_FALSE(admin->acceptShare("ann", chores, "eve"));
        eve = PQconnectdb((testsupport::PostgresTestServer::adminConnection() +
                           " user=eve dbname=" + server.name())
                              .toUtf8()
                              .constData());
        ASSERT_EQ(PQstatus(eve), CONNECTION_OK);
        sql(eve, "SET statement_timeout = 0; SET idle_in_transaction_session_timeout = 0");
        sql(eve, "BEGIN");
        ASSERT_EQ(sql(eve, QStringLiteral("SELECT tallybird.lock_zone('ann', '%1')").arg(chores)),
                  "0");
        const QString taken = sql(eve, "SELECT tallybird.take_blocks(1)");
        ASSERT_EQ(
            sql(eve,
                QStringLiteral("SELECT tallybird.touch_zone('ann', '%1', %2)").arg(chores, taken)),
            QString());
    }

    // How many of Ann's items on the server hold the text.
    int onServer(const QString& text) {
        return server
            .value(QStringLiteral("SELECT count(*) FROM tallybird.records WHERE owner = 'ann' "
                                  "AND type = 'TB_Item' AND convert_from(data, 'UTF8') LIKE '%%1%'")
                       .arg(text))
            .toInt();
    }

    testsupport::PostgresTestDatabase server;
    PGconn* eve = nullptr;
};

TEST_F(ServerHeldList, AListAnotherPersonHoldsLeavesTheOwnersOtherListsCurrentForRequests) {
    TALLYBIRD_REQUIRE_POSTGRES();
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    annStartsChoresAndGroceries();
    letEveHoldChores();
    if (HasFatalFailure())
        return;

    // Ann's desktop adds to Groceries, her laptop reads it, again and again.
    for (const char* item : {"milk", "flour", "eggs"}) {
        SCOPED_TRACE(item);
        qint64 added = 0;
        said({"add", "--list", "groceries", item}, dir.path(), &added);
        qint64 read = 0;
        const QString answer = said({"read", "--list", "groceries"}, laptop(), &read);
        EXPECT_TRUE(answer.contains(QLatin1String(item))) << answer.toStdString();
        // A request's catch-up is bounded by seconds; without a wait it takes well under one.
        EXPECT_LT(added, 10'000);
        EXPECT_LT(read, 10'000);
        RecordProperty(QStringLiteral("%1_ms").arg(QLatin1String(item)).toStdString(),
                       QStringLiteral("add %1, read %2").arg(added).arg(read).toStdString());
    }
    sql(eve, "ROLLBACK");
}

TEST_F(ServerHeldList, ARequestSaysWhenTheListItAnswersFromIsHeldAndOnlyThen) {
    TALLYBIRD_REQUIRE_POSTGRES();
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    annStartsChoresAndGroceries();
    said({"add", "--list", "chores", "sweep"}, dir.path());
    letEveHoldChores();
    if (HasFatalFailure())
        return;
    const QString held = RequestRoute::heldListNote(QStringLiteral("Chores")) + u'\n';

    // In this order, on Ann's laptop or desktop; the second read of Chores comes when there is
    // nothing new to catch up on.
    const struct {
        const char* what;
        QStringList words;
        bool onLaptop;
        bool says; // that Chores could not be brought up to date
    } requests[] = {
        {"a read of the held list", {"read", "--list", "chores"}, true, true},
        {"the same read again", {"read", "--list", "chores"}, true, true},
        {"an add to another list", {"add", "--list", "groceries", "milk"}, false, false},
        {"a read of another list", {"read", "--list", "groceries"}, true, false},
        {"a read of the held list where the other was changed",
         {"read", "--list", "chores"},
         false,
         true},
    };
    for (const auto& request : requests) {
        SCOPED_TRACE(request.what);
        const Typed typed = run(request.words, request.onLaptop ? laptop() : dir.path());
        // The request answers as ever, from what the device has.
        EXPECT_EQ(typed.code, 0);
        EXPECT_FALSE(typed.out.isEmpty());
        if (request.words.contains(QLatin1String("chores"))) {
            EXPECT_TRUE(typed.out.contains(QLatin1String("sweep"))) << typed.out.toStdString();
        }
        EXPECT_EQ(typed.err, request.says ? held : QString());
    }

    // Once Eve commits, nothing holds Chores.
    ASSERT_EQ(sql(eve, "COMMIT"), QString());
    for (const QString& profile : {laptop(), dir.path()}) {
        SCOPED_TRACE(profile.toStdString());
        const Typed typed = run({"read", "--list", "chores"}, profile);
        EXPECT_EQ(typed.code, 0);
        EXPECT_TRUE(typed.out.contains(QLatin1String("sweep"))) << typed.out.toStdString();
        EXPECT_EQ(typed.err, QString());
    }
}

} // namespace

TEST_F(ServerHeldList, AChangeInAListAnotherPersonHoldsWaitsForItAndHoldsUpNoOtherList) {
    TALLYBIRD_REQUIRE_POSTGRES();
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    annStartsChoresAndGroceries();
    letEveHoldChores();
    if (HasFatalFailure())
        return;

    // Ann's desktop adds to Chores while Eve holds it: the change stays on the desktop, and
    // the reply says it was not synced.
    const Typed swept = run({"add", "--list", "chores", "sweep"}, dir.path());
    EXPECT_EQ(swept.code, 0) << swept.err.toStdString();
    EXPECT_EQ(swept.out, "Added sweep to Chores.\n");
    EXPECT_TRUE(swept.err.contains(
        IntentFrame::notSyncedNote(IntentFrame::heldElsewhereReason(QStringLiteral("Chores")))))
        << swept.err.toStdString();
    EXPECT_EQ(onServer("sweep"), 0);

    // Each add to Groceries reaches the server at once, and the laptop brings it in.
    for (const char* item : {"milk", "flour", "eggs"}) {
        SCOPED_TRACE(item);
        said({"add", "--list", "groceries", item}, dir.path());
        EXPECT_EQ(onServer(item), 1);
        EXPECT_TRUE(said({"read", "--list", "groceries"}, laptop()).contains(QLatin1String(item)));
    }
    EXPECT_EQ(onServer("sweep"), 0);

    // Once Eve lets go, the desktop's next request sends what waited, a read as well as a
    // change.
    ASSERT_EQ(sql(eve, "ROLLBACK"), QString());
    said({"lists"}, dir.path());
    EXPECT_EQ(onServer("sweep"), 1);
    said({"add", "--list", "groceries", "bread"}, dir.path());
    EXPECT_EQ(onServer("sweep"), 1);
    EXPECT_TRUE(said({"read", "--list", "chores"}, laptop()).contains(QLatin1String("sweep")));
}
