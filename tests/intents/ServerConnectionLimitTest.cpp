// One person holds every connection the server lets their role have: another person's requests
// sync as ever, and the person's own next device says why it could not sync.
#include "ProcessTestSupport.h"

#include "cloud/PostgresSchema.h"
#include "support/PostgresTestServer.h"

#include <QElapsedTimer>
#include <QUuid>
#include <libpq-fe.h>

#include <vector>

namespace {

using testsupport::PostgresTestDatabase;
using testsupport::PostgresTestServer;

class ServerConnectionLimit : public ProcessTest {
protected:
    void TearDown() override {
        for (PGconn* conn : held)
            PQfinish(conn);
        ProcessTest::TearDown();
    }
    QString eveProfile() const { return dir.filePath(QStringLiteral("eve")); }
    QString cloudFor(const QString& profile) const override {
        return server.uri(profile == eveProfile() ? eve : QStringLiteral("ann"));
    }

    // Takes every connection the server lets Eve's role have, once none of hers is left over
    // from before (a session counts until its server process has ended); false when the server
    // let in more, or refused one of them.
    bool takeEveryConnectionOfEve() {
        QElapsedTimer clock;
        clock.start();
        while (server.value("SELECT count(*) FROM pg_catalog.pg_stat_activity WHERE usename = '" +
                            eve + "'") != QLatin1String("0")) {
            if (clock.elapsed() > 20'000)
                return false;
            QThread::msleep(20);
        }
        const QString conninfo =
            PostgresTestServer::adminConnection() + " user=" + eve + " dbname=" + server.name();
        for (int i = 0; i <= cloud::PostgresSchema::personConnections; ++i) {
            held.push_back(PQconnectdb(conninfo.toUtf8().constData()));
            const bool in = PQstatus(held.back()) == CONNECTION_OK;
            if (in != (i < cloud::PostgresSchema::personConnections)) {
                ADD_FAILURE() << "session " << i + 1 << " of eve's was "
                              << (in ? "let in" : "refused") << " " << PQerrorMessage(held.back());
                return false;
            }
        }
        return true;
    }

    PostgresTestDatabase server;
    // A role of a name of its own, which no other test has made or holds connections of.
    const QString eve = QStringLiteral("eve_") + QUuid::createUuid().toString(QUuid::Id128).left(8);
    std::vector<PGconn*> held;
};

TEST_F(ServerConnectionLimit, APersonWhoseConnectionsAreAllInUseIsToldSoAndOthersSync) {
    TALLYBIRD_REQUIRE_POSTGRES();
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    server.addPerson(QStringLiteral("ann"));
    server.addPerson(eve);
    ASSERT_EQ(run({"start", "Groceries"}).err, QString());
    ASSERT_EQ(run({"start", "Eve's list"}, eveProfile()).err, QString());

    ASSERT_TRUE(takeEveryConnectionOfEve());
    const Typed ann = run({"add", "--list", "groceries", "milk"});
    EXPECT_EQ(ann.code, 0);
    EXPECT_EQ(ann.err, QString());
    const Typed eves = run({"add", "--list", "eve's list", "bread"}, eveProfile());
    EXPECT_EQ(eves.out, "Added bread to Eve's list.\n");
    EXPECT_TRUE(eves.err.contains("all of " + eve + "'s connections are in use"))
        << eves.err.toStdString();
    EXPECT_FALSE(eves.err.contains("network")) << eves.err.toStdString();
    // Ann's item reached the server; Eve's waits on her device.
    EXPECT_EQ(server.value("SELECT string_agg(owner, ',') FROM tallybird.records "
                           "WHERE type = 'TB_Item'"),
              "ann");
}

} // namespace
