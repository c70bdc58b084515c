// What one person's role may take of the server: so many connections, however many it opens,
// and change numbers in one transaction as often as it likes, without a commit that takes the
// server's time for the square of it.
#include "EarlierContainer.h"
#include "TestSupport.h"

#include "support/QStringPrinting.h"

#include "cloud/PostgresConnection.h"
#include "cloud/PostgresSchema.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <QUuid>

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>

#include <gtest/gtest.h>

using namespace cloudtest;
using Code = CloudError::Code;
using testsupport::PostgresTestDatabase;
using testsupport::PostgresTestServer;

namespace {

// A connection of `role`'s with plain libpq, as a modified client would make it.
PGconn* connectAs(const PostgresTestDatabase& db, const QString& role) {
    const QString conninfo =
        PostgresTestServer::adminConnection() + " user=" + role + " dbname=" + db.name();
    return PQconnectdb(conninfo.toUtf8().constData());
}

// Runs SQL on a connection; libpq's complaint, if any.
QString exec(PGconn* conn, const QString& sql) {
    PGresult* result = PQexec(conn, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    QString error;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        error = QString::fromUtf8(PQresultErrorMessage(result)).simplified();
    PQclear(result);
    return error;
}

// Commits the connection's transaction, or cancels the commit once it has taken `boundMs`
// (the server's statement timeout does not bound a commit); libpq's complaint, if any.
QString commitWithin(PGconn* conn, int boundMs) {
    if (!PQsendQuery(conn, "COMMIT"))
        return QString::fromUtf8(PQerrorMessage(conn));
    const QDeadlineTimer deadline(boundMs);
    while (PQisBusy(conn) && !deadline.hasExpired()) {
        pollfd socket{PQsocket(conn), POLLIN, 0};
        ::poll(&socket, 1, int(std::min<qint64>(deadline.remainingTime(), 100)));
        if (!PQconsumeInput(conn))
            return QString::fromUtf8(PQerrorMessage(conn));
    }
    QString error;
    if (PQisBusy(conn)) {
        error = QStringLiteral("the commit took longer than %1 ms").arg(boundMs);
        PGcancel* cancel = PQgetCancel(conn);
        char why[256];
        PQcancel(cancel, why, sizeof why);
        PQfreeCancel(cancel);
    }
    while (PGresult* result = PQgetResult(conn)) {
        if (error.isEmpty() && PQresultStatus(result) != PGRES_COMMAND_OK)
            error = QString::fromUtf8(PQresultErrorMessage(result)).simplified();
        PQclear(result);
    }
    return error;
}

// The connections the server has of `role`, waited for until it has none: a session counts
// until its server process has ended, a moment after its client went.
bool waitUntilNoneOf(const PostgresTestDatabase& db, const QString& role) {
    QElapsedTimer clock;
    clock.start();
    const QString count =
        QStringLiteral("SELECT count(*) FROM pg_catalog.pg_stat_activity WHERE usename = '%1'")
            .arg(role);
    while (db.value(count) != QLatin1String("0")) {
        if (clock.elapsed() > 20'000)
            return false;
        QThread::msleep(20);
    }
    return true;
}

// A container of the third version, with people let in as that version did; its administrator
// has not opened it since.
void makeThirdVersion(PostgresTestDatabase& db, const QStringList& people) {
    makeEarlierContainer(db, 3, people);
}

class PostgresLimitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
    }
    void TearDown() override {
        for (PGconn* conn : held)
            PQfinish(conn);
    }
    std::vector<PGconn*> held;
};

TEST_F(PostgresLimitsTest, OnePersonsConnectionsAreLimitedAndTheirNextDeviceIsToldSo) {
    PostgresTestDatabase db;
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    db.addPerson("ann");
    // A role of a name of its own, which no other test has made or holds connections of.
    const QString eve = QStringLiteral("eve_") + QUuid::createUuid().toString(QUuid::Id128).left(8);
    db.addPerson(eve);
    EXPECT_EQ(
        db.value("SELECT rolconnlimit FROM pg_catalog.pg_roles WHERE rolname = '" + eve + "'"),
        QString::number(cloud::PostgresSchema::personConnections));

    // Eve opens idle sessions until the server refuses one.
    ASSERT_TRUE(waitUntilNoneOf(db, eve));
    QString refusal;
    while (refusal.isEmpty() &&
           held.size() < size_t(cloud::PostgresSchema::personConnections) + 5) {
        held.push_back(connectAs(db, eve));
        if (PQstatus(held.back()) != CONNECTION_OK)
            refusal = QString::fromUtf8(PQerrorMessage(held.back()));
    }
    ASSERT_FALSE(refusal.isEmpty()) << held.size() << " sessions of Eve's were let in";
    EXPECT_EQ(held.size() - 1, size_t(cloud::PostgresSchema::personConnections))
        << refusal.toStdString();

    // Ann's devices sync all the same.
    auto ann = Container::openServer(db.uri("ann")).value();
    RecordingDelegate annDelegate;
    SyncEngine annEngine(
        {Database(ann, "annLaptop", DatabaseScope::privateScope), {}, &annDelegate, false, 400});
    queueSaves(annEngine, annDelegate, {note("n1", zone("TB-1", "ann"), "bread")});
    EXPECT_FALSE(send(annEngine));
    EXPECT_FALSE(fetch(annEngine));

    // Eve's next device is told her connections are all in use: neither the network nor the
    // container failing.
    auto phone = Container::openServer(db.uri(eve)).value();
    auto refused = phone->currentUser("evePhone");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, Code::internalError);
    const QString& message = refused.error().message;
    EXPECT_TRUE(message.contains("all of " + eve + "'s connections are in use"))
        << message.toStdString();
    EXPECT_FALSE(message.contains("network") || message.contains("could not be read or written"))
        << message.toStdString();

    // Once one of them ends, her device gets in.
    PQfinish(held.front());
    held.erase(held.begin());
    QElapsedTimer clock;
    clock.start();
    auto user = phone->currentUser("evePhone");
    while (!user.ok() && clock.elapsed() < 20'000) {
        QThread::msleep(50);
        user = phone->currentUser("evePhone");
    }
    ASSERT_TRUE(user.ok()) << user.error().message.toStdString();
    EXPECT_EQ(user.value(), eve);
}

TEST_F(PostgresLimitsTest, AnUpgradedContainerLimitsItsPeoplesConnectionsAndKeepsALimitSet) {
    PostgresTestDatabase db(false);
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    makeThirdVersion(db, {"lou", "max"});
    ASSERT_EQ(db.run("ALTER ROLE lou CONNECTION LIMIT -1"), QString());
    // An administrator gave Max a limit of their own.
    ASSERT_EQ(db.run("ALTER ROLE max CONNECTION LIMIT 3"), QString());

    ASSERT_TRUE(Container::openServer(db.adminUri()).value()->users().ok());
    EXPECT_EQ(db.value("SELECT string_agg(rolname || ' ' || rolconnlimit, ', ' ORDER BY rolname) "
                       "FROM pg_catalog.pg_roles WHERE rolname IN ('lou', 'max', 'tallybird')")
                  .toStdString(),
              QStringLiteral("lou %1, max 3, tallybird -1")
                  .arg(cloud::PostgresSchema::personConnections)
                  .toStdString());
}

TEST_F(PostgresLimitsTest, ManyBlocksTakenInOneTransactionCommitWithinABound) {
    // The server commits this many in well under a second; a commit whose time grows with the
    // square of the count took over a minute.
    constexpr int calls = 40'000;
    constexpr int boundMs = 15'000;
    const struct {
        const char* what;
        bool upgraded;
    } containers[] = {
        {"a container made now", false},
        {"a container of the third version its administrator opened since", true},
    };
    for (const auto& container : containers) {
        SCOPED_TRACE(container.what);
        PostgresTestDatabase db(!container.upgraded);
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        if (container.upgraded) {
            makeThirdVersion(db, {"ann"});
            ASSERT_TRUE(Container::openServer(db.adminUri()).value()->users().ok());
        } else {
            db.addPerson("ann");
        }

        PGconn* conn = connectAs(db, "ann");
        held.push_back(conn);
        ASSERT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
        ASSERT_EQ(exec(conn, "BEGIN"), QString());
        ASSERT_EQ(exec(conn, QStringLiteral("SELECT count(*) FROM (SELECT tallybird.take_blocks(1) "
                                            "FROM generate_series(1, %1)) AS taken")
                                 .arg(calls)),
                  QString());
        EXPECT_EQ(commitWithin(conn, boundMs).toStdString(), "");
        // What the transaction took is forgotten with it.
        EXPECT_EQ(db.value("SELECT count(*) FROM tallybird.taken"), "0");
    }
}

} // namespace
