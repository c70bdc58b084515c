// A request on a server connects to it once: its look whether to catch up, the catch-up and its
// own sync share one connection, each of which costs a password exchange and a server process.
#include "ProcessTestSupport.h"

#include "support/PostgresTestServer.h"

#include <QElapsedTimer>
#include <libpq-fe.h>

#include <QThread>

namespace {

class ServerConnections : public ProcessTest {
protected:
    void TearDown() override {
        if (observer)
            PQfinish(observer);
        ProcessTest::TearDown();
    }
    QString cloudFor(const QString&) const override { return server.uri(QStringLiteral("ann")); }

    // Sessions the server has seen end on the test's database, read on a connection of the
    // test's own that stays open, so that the looks add none. A session is counted as its server
    // process ends, a moment after its client has gone: this waits for the count to stay put.
    int endedSessions() {
        if (!observer)
            observer = PQconnectdb(server.adminUri().toUtf8().constData());
        int last = -1;
        QElapsedTimer quiet;
        quiet.start();
        while (quiet.elapsed() < 400) {
            PQclear(PQexec(observer, "SELECT pg_stat_clear_snapshot()"));
            PGresult* result = PQexec(observer, "SELECT sessions FROM pg_stat_database "
                                                "WHERE datname = current_database()");
            const int now = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1
                                ? QByteArray(PQgetvalue(result, 0, 0)).toInt()
                                : -1;
            PQclear(result);
            if (now != last) {
                last = now;
                quiet.restart();
            }
            QThread::msleep(50);
        }
        return last;
    }

    testsupport::PostgresTestDatabase server;
    PGconn* observer = nullptr;
};

TEST_F(ServerConnections, EachRequestConnectsOnce) {
    TALLYBIRD_REQUIRE_POSTGRES();
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    server.addPerson(QStringLiteral("ann"));
    const struct {
        const char* what;
        QStringList words;
    } requests[] = {
        {"a first request, which catches up", {"start", "Groceries"}},
        {"an add", {"add", "--list", "groceries", "milk"}},
        {"a look at the lists with nothing new", {"lists"}},
        {"a read", {"read", "--list", "groceries"}},
    };
    for (const auto& request : requests) {
        SCOPED_TRACE(request.what);
        const int before = endedSessions();
        ASSERT_GE(before, 0);
        const Typed typed = run(request.words);
        EXPECT_EQ(typed.code, 0) << typed.err.toStdString();
        EXPECT_EQ(typed.err, QString());
        EXPECT_EQ(endedSessions() - before, 1);
    }
}

} // namespace
