// A person's role, connected with plain SQL as a modified client would, tries what the server
// must refuse it. The shares are made the honest way first, through the container.
#include "TestSupport.h"

#include "support/QStringPrinting.h"

#include <libpq-fe.h>

#include <gtest/gtest.h>

using namespace cloudtest;
using testsupport::PostgresTestDatabase;
using testsupport::PostgresTestServer;

namespace {

struct Attempt {
    QString error;   // empty when the server carried it out
    qint64 rows = 0; // rows changed, or returned
    QString first;   // the first value returned
};

class PostgresSecurityTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
        db = std::make_unique<PostgresTestDatabase>();
        ASSERT_TRUE(db->ok()) << db->error().toStdString();
        for (const char* person : {"ann", "bob", "carol", "dave"})
            db->addPerson(person);
        auto admin = db->admin();
        for (const char* person : {"ann", "bob", "carol"})
            ASSERT_FALSE(admin->signIn(QStringLiteral("%1Laptop").arg(person), person));

        // Ann's private list, and one shared read-only with Bob and read-write with Carol.
        auto ann = Container::openServer(db->uri("ann")).value();
        for (const char* zoneName : {"TB-private", "TB-shared"}) {
            ASSERT_TRUE(
                ann->modifyZones("annLaptop", DatabaseScope::privateScope, {zone(zoneName)}, {})
                    .ok());
            auto saved = ann->modifyRecords("annLaptop", DatabaseScope::privateScope,
                                            {note("r1", zone(zoneName), "ann's")}, {});
            ASSERT_TRUE(saved.ok() && saved.value().failedRecordSaves.empty());
        }
        ASSERT_FALSE(admin->shareZone("ann", "TB-shared", "bob", ParticipantPermission::readOnly));
        ASSERT_FALSE(
            admin->shareZone("ann", "TB-shared", "carol", ParticipantPermission::readWrite));
        ASSERT_FALSE(admin->acceptShare("ann", "TB-shared", "bob"));
        ASSERT_FALSE(admin->acceptShare("ann", "TB-shared", "carol"));
        ASSERT_FALSE(admin->injectFault("annLaptop", {}, CloudError::Code::internalError, -1));
    }

    Attempt as(const char* role, const QString& sql) {
        const QString conninfo =
            PostgresTestServer::adminConnection() + " user=" + role + " dbname=" + db->name();
        PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
        Attempt attempt;
        if (PQstatus(conn) != CONNECTION_OK) {
            ADD_FAILURE() << PQerrorMessage(conn);
            PQfinish(conn);
            return attempt;
        }
        PGresult* result = PQexec(conn, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_TUPLES_OK) {
            attempt.rows = PQntuples(result);
            if (attempt.rows > 0)
                attempt.first = QString::fromUtf8(PQgetvalue(result, 0, 0));
        } else if (status == PGRES_COMMAND_OK) {
            attempt.rows = QByteArray(PQcmdTuples(result)).toLongLong();
        } else {
            attempt.error = QString::fromUtf8(PQresultErrorMessage(result)).simplified();
        }
        PQclear(result);
        PQfinish(conn);
        return attempt;
    }

    // Everything the container holds, as its administrator sees it.
    QString everything() {
        QString all;
        for (const char* table : {"users", "feeds", "devices", "zones", "records", "deletions",
                                  "participants", "zone_removals", "faults"}) {
            all += db->value(QStringLiteral("SELECT coalesce(string_agg(t::text, ';' ORDER BY "
                                            "t::text), '') FROM tallybird.%1 t")
                                 .arg(table));
            all += '\n';
        }
        return all;
    }

    std::unique_ptr<PostgresTestDatabase> db;
};

TEST_F(PostgresSecurityTest, APersonsRoleIsRefusedWhatIsNotTheirs) {
    // The latest change number: one the role did not take itself.
    const QString next = QStringLiteral("(SELECT mark FROM tallybird.settle())");
    struct Case {
        const char* what;
        QString sql;
    };
    const Case writes[] = {
        {"change a record of a read-only shared zone",
         "UPDATE tallybird.records SET data = 'x' WHERE owner = 'ann' AND zone = 'TB-shared'"},
        {"add a record to a read-only shared zone",
         "INSERT INTO tallybird.records VALUES ('ann', 'TB-shared', 'evil', 'Note', 't1', 'x', " +
             next + ")"},
        {"delete from a read-only shared zone",
         "DELETE FROM tallybird.records WHERE owner = 'ann' AND zone = 'TB-shared'"},
        {"touch a zone with a record of any shape",
         "INSERT INTO tallybird.records VALUES ('ann', 'TB-shared', '~zone-share', '~share', "
         "'t1', 'x', " +
             next + ")"},
        {"write into another person's private zone",
         "INSERT INTO tallybird.records VALUES ('ann', 'TB-private', 'evil', 'Note', 't1', 'x', " +
             next + ")"},
        {"make a zone in another person's name",
         "INSERT INTO tallybird.zones VALUES ('ann', 'TB-new', 'i', " + next + ")"},
        {"add themselves to a private zone",
         "INSERT INTO tallybird.participants VALUES ('ann', 'TB-private', 'bob', 'privateUser', "
         "'readWrite', 'accepted', " +
             next + ")"},
        {"raise their own permission",
         "UPDATE tallybird.participants SET permission = 'readWrite' WHERE user_name = 'bob'"},
        {"change another person's permission",
         "UPDATE tallybird.participants SET permission = 'readOnly' WHERE user_name = 'carol'"},
        {"remove another participant",
         "DELETE FROM tallybird.participants WHERE user_name = 'carol'"},
        {"move the change numbers backwards",
         "SELECT pg_catalog.setval('tallybird.change_blocks', 1)"},
        {"stamp a change with an old sequence value",
         "INSERT INTO tallybird.zones VALUES ('bob', 'TB-bob', 'i', 1)"},
        {"change the fault table", "DELETE FROM tallybird.faults"},
        {"sign a device into another person",
         "INSERT INTO tallybird.devices VALUES ('bob', 'bobPhone', 'ann', false)"},
        {"take another person's device",
         "UPDATE tallybird.devices SET offline = true WHERE holder = 'ann'"},
        {"make a user", "INSERT INTO tallybird.users VALUES ('eve', NULL)"},
    };
    const QString before = everything();
    for (const Case& test : writes) {
        const Attempt attempt = as("bob", test.sql);
        EXPECT_TRUE(!attempt.error.isEmpty() || attempt.rows == 0) << test.what;
    }
    EXPECT_EQ(everything(), before);

    // What people once did with the rights to update and delete rows goes through functions
    // that keep the same rules.
    const Case calls[] = {
        {"remove a record of a read-only shared zone",
         "SELECT tallybird.remove_records('[{\"owner\": \"ann\", \"zone\": \"TB-shared\", "
         "\"name\": \"r1\"}]')"},
        {"remove every record of another person's private zone",
         "SELECT tallybird.remove_zone_records('ann', 'TB-private')"},
        {"remove the deletions of another person's private zone",
         "SELECT tallybird.remove_zone_deletions('ann', 'TB-private')"},
        {"remove another participant", "SELECT tallybird.remove_participant('ann', 'TB-shared', "
                                       "'carol')"},
        {"remove another person's zone", "SELECT tallybird.remove_zone('ann', 'TB-shared')"},
        {"touch another person's private zone",
         "SELECT tallybird.touch_zone('ann', 'TB-private', " + next + " + 1)"},
        {"touch a shared zone with a number taken by someone else",
         "SELECT tallybird.touch_zone('ann', 'TB-shared', " + next + " + 1)"},
        {"take more numbers than a step may", "SELECT tallybird.take_blocks(1000)"},
    };
    for (const Case& test : calls) {
        as("bob", test.sql);
        EXPECT_EQ(everything(), before) << test.what;
    }

    const Case reads[] = {
        {"read another person's private zone",
         "SELECT * FROM tallybird.records WHERE owner = 'ann' AND zone = 'TB-private'"},
        {"see that the private zone exists",
         "SELECT * FROM tallybird.zones WHERE name = 'TB-private'"},
        {"read the fault table", "SELECT * FROM tallybird.faults"},
        {"see the faults aimed at another person's device",
         "SELECT * FROM tallybird.device_faults()"},
        {"see a person they share nothing with",
         "SELECT * FROM tallybird.users WHERE name = 'dave'"},
        {"see another person's devices", "SELECT * FROM tallybird.devices WHERE holder = 'ann'"},
    };
    for (const Case& test : reads) {
        const Attempt attempt = as("bob", test.sql);
        EXPECT_TRUE(!attempt.error.isEmpty() || attempt.rows == 0) << test.what;
    }
}

TEST_F(PostgresSecurityTest, APersonsRoleLocksNoTableBeyondAnInsert) {
    // A stronger lock on any table of the container would keep everybody else's reads or
    // writes waiting for as long as the role liked.
    const QStringList tables =
        db->value("SELECT string_agg(c.relname, ',' ORDER BY c.relname) FROM pg_catalog.pg_class c "
                  "WHERE c.relnamespace = 'tallybird'::regnamespace AND c.relkind = 'r'")
            .split(',');
    ASSERT_GT(tables.size(), 8);
    for (const QString& table : tables) {
        for (const char* mode : {"SHARE UPDATE EXCLUSIVE", "SHARE", "SHARE ROW EXCLUSIVE",
                                 "EXCLUSIVE", "ACCESS EXCLUSIVE"}) {
            const Attempt attempt =
                as("carol", QStringLiteral("BEGIN; LOCK TABLE tallybird.%1 IN %2 MODE; COMMIT")
                                .arg(table, mode));
            EXPECT_FALSE(attempt.error.isEmpty()) << table.toStdString() << " in " << mode;
        }
    }
}

TEST_F(PostgresSecurityTest, APersonsRoleLocksOnlyRowsOfWhatItTakesPartIn) {
    const struct {
        const char* what;
        const char* role;
        const char* sql;
        const char* first; // empty: refused
    } cases[] = {
        {"a zone they write", "carol", "SELECT tallybird.lock_zone('ann', 'TB-shared')", "0"},
        {"a zone they only read", "bob", "SELECT tallybird.lock_zone('ann', 'TB-shared')", "2"},
        {"a zone of their own to come", "dave", "SELECT tallybird.lock_zone('dave', 'TB-new')",
         "1"},
        {"another person's private zone", "bob", "SELECT tallybird.lock_zone('ann', 'TB-private')",
         "2"},
        {"a zone shared with others only", "dave", "SELECT tallybird.lock_zone('ann', 'TB-shared')",
         "2"},
        {"their own row", "bob", "SELECT tallybird.lock_feed('bob')", "t"},
        {"another person's row", "bob", "SELECT tallybird.lock_feed('ann')", "f"},
        {"the rows of zones directly", "bob",
         "SELECT count(*) FROM (SELECT 1 FROM tallybird.zones FOR KEY SHARE) AS locked", ""},
        {"the people's rows directly", "bob",
         "SELECT count(*) FROM (SELECT 1 FROM tallybird.users FOR KEY SHARE) AS locked", ""},
        {"the records of a zone they only read, the share record too", "bob",
         "SELECT count(*) FROM (SELECT 1 FROM tallybird.records WHERE zone = 'TB-shared' "
         "FOR KEY SHARE) AS locked",
         "0"},
        {"the records of a zone they write", "carol",
         "SELECT count(*) FROM (SELECT 1 FROM tallybird.records WHERE zone = 'TB-shared' "
         "FOR KEY SHARE) AS locked",
         "2"},
    };
    for (const auto& test : cases) {
        const Attempt attempt = as(test.role, QString::fromLatin1(test.sql));
        if (!*test.first) {
            EXPECT_FALSE(attempt.error.isEmpty()) << test.what;
            continue;
        }
        EXPECT_EQ(attempt.error, QString()) << test.what;
        EXPECT_EQ(attempt.first, QString::fromLatin1(test.first)) << test.what;
    }
}

TEST_F(PostgresSecurityTest, WhatIsTheirsAndSharedWithThemIsReachable) {
    // The same role through plain SQL sees what the rules give it, so the refusals above are
    // the policies at work and not a role that can do nothing.
    const struct {
        const char* what;
        const char* role;
        const char* sql;
        const char* first;
    } cases[] = {
        {"a read-only participant reads the shared zone and its share", "bob",
         "SELECT count(*) FROM tallybird.records WHERE zone = 'TB-shared'", "2"},
        {"people see those they share with", "bob",
         "SELECT string_agg(name, ',' ORDER BY name) FROM tallybird.users", "ann,bob,carol"},
        {"someone who shares nothing sees only themselves", "dave",
         "SELECT string_agg(name, ',' ORDER BY name) FROM tallybird.users", "dave"},
        {"the owner sees every participant", "ann",
         "SELECT count(*) FROM tallybird.participants WHERE zone = 'TB-shared'", "3"},
        {"faults aimed elsewhere stay hidden", "bob",
         "SELECT count(*) FROM tallybird.device_faults()", "0"},
        {"the device's own faults are seen", "ann",
         "SELECT count(*) FROM tallybird.device_faults()", "1"},
    };
    for (const auto& test : cases) {
        const Attempt attempt = as(test.role, test.sql);
        EXPECT_EQ(attempt.error, QString()) << test.what;
        EXPECT_EQ(attempt.first, QString::fromLatin1(test.first)) << test.what;
    }

    // A read-write participant changes the shared zone through the container's rules.
    auto carol = Container::openServer(db->uri("carol")).value();
    auto saved = carol->modifyRecords("carolLaptop", DatabaseScope::sharedScope,
                                      {note("c1", zone("TB-shared", "ann"), "carol's")}, {});
    ASSERT_TRUE(saved.ok()) << saved.error().message.toStdString();
    EXPECT_EQ(saved.value().savedRecords.size(), 1u);
    EXPECT_TRUE(saved.value().failedRecordSaves.empty());
}

} // namespace
