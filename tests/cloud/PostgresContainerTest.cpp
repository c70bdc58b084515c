// The container on a PostgreSQL server, where it differs from a file: how a database becomes a
// container, a container of an earlier version, a server that is away or drops the connection,
// credentials and sign-out, a list somebody else holds.
#include "EarlierContainer.h"
#include "TestSupport.h"

#include "support/QStringPrinting.h"

#include "cloud/CloudDevice.h"
#include "cloud/PostgresConnection.h"
#include "cloud/PostgresSchema.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include <libpq-fe.h>

using namespace cloudtest;
using Code = CloudError::Code;
using testsupport::PostgresSession;
using testsupport::PostgresTestDatabase;
using testsupport::PostgresTestServer;

namespace {

class PostgresContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
    }
};

TEST_F(PostgresContainerTest, AContainerIsMadeOnlyInADatabaseThatHoldsNothingElse) {
    const struct {
        const char* what;
        const char* before;  // SQL run first, as the administrator
        const char* refusal; // empty: the container is made
    } cases[] = {
        {"an empty database", "", ""},
        {"a table of another program", "CREATE TABLE public.orders (id int)", "other things"},
        {"a schema of another program", "CREATE SCHEMA shop", "other things"},
        {"a function of another program",
         "CREATE FUNCTION public.f() RETURNS int LANGUAGE sql AS 'SELECT 1'", "other things"},
        {"a container already", "", "already"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        PostgresTestDatabase db(false);
        ASSERT_TRUE(db.ok()) << db.error().toStdString();
        if (*test.before) {
            ASSERT_EQ(db.run(test.before), QString());
        }
        if (QLatin1String(test.what) == QLatin1String("a container already")) {
            ASSERT_FALSE(Container::createOnServer(db.adminUri()));
        }
        const QString schemasBefore =
            db.value("SELECT string_agg(nspname, ',' ORDER BY nspname) FROM pg_namespace");
        const auto error = Container::createOnServer(db.adminUri());
        if (!*test.refusal) {
            EXPECT_FALSE(error);
            db.addPerson(Container::defaultUserName);
            auto device = Container::openServer(db.uri(Container::defaultUserName)).value();
            EXPECT_EQ(device->currentUser("mac").value(), Container::defaultUserName);
            continue;
        }
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->message.contains(test.refusal)) << error->message.toStdString();
        EXPECT_EQ(db.value("SELECT string_agg(nspname, ',' ORDER BY nspname) FROM pg_namespace"),
                  schemasBefore);
    }
}

TEST_F(PostgresContainerTest, ADatabaseWithoutAContainerOrOfALaterVersionIsAnError) {
    PostgresTestDatabase empty(false);
    ASSERT_TRUE(empty.ok());
    auto none = Container::openServer(empty.adminUri()).value()->users();
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().code, Code::internalError);
    EXPECT_TRUE(none.error().message.contains("init")) << none.error().message.toStdString();

    PostgresTestDatabase later;
    ASSERT_TRUE(later.ok());
    ASSERT_EQ(
        later.run(QStringLiteral("UPDATE tallybird.meta SET value = '%1' WHERE key = 'version'")
                      .arg(cloud::PostgresSchema::version + 1)),
        QString());
    auto refused = Container::openServer(later.adminUri()).value()->users();
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().message.contains("later version"))
        << refused.error().message.toStdString();
}

TEST_F(PostgresContainerTest, AContainerOfTheFirstVersionWorksAndItsAdministratorUpgradesIt) {
    PostgresTestDatabase db(false);
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    {
        cloud::PostgresConnection connection(db.adminUri(), 10'000);
        connection.open();
        cloud::PostgresSchema::create(connection, 1);
    }
    // People let in as the first version did: a user row, and these rights for their role.
    const char* const firstVersionRights[] = {
        "GRANT USAGE ON SCHEMA tallybird TO %1",
        "GRANT SELECT ON tallybird.meta, tallybird.sequence, tallybird.users TO %1",
        "GRANT UPDATE ON tallybird.writer TO %1",
        "GRANT SELECT, INSERT, UPDATE, DELETE ON tallybird.devices, tallybird.records, "
        "tallybird.deletions, tallybird.participants TO %1",
        "GRANT SELECT, INSERT, DELETE ON tallybird.zones TO %1",
        "GRANT UPDATE (changed_seq) ON tallybird.zones TO %1",
        "GRANT SELECT, INSERT ON tallybird.zone_removals TO %1",
    };
    for (const char* person : {"ann", "bob"}) {
        db.run(QStringLiteral("CREATE ROLE %1 LOGIN").arg(person)); // roles are the server's
        ASSERT_EQ(
            db.run(QStringLiteral("INSERT INTO tallybird.users VALUES ('%1', NULL)").arg(person)),
            QString());
        for (const char* grant : firstVersionRights)
            ASSERT_EQ(db.run(QString::fromLatin1(grant).arg(person)), QString());
    }

    // Before its administrator comes by, people sync and share as they did.
    auto annLaptop = Container::openServer(db.uri("ann")).value();
    auto annDesktop = Container::openServer(db.uri("ann")).value();
    auto bobs = Container::openServer(db.uri("bob")).value();
    RecordingDelegate laptop;
    RecordingDelegate desktop;
    RecordingDelegate shared;
    SyncEngine laptopEngine(
        {Database(annLaptop, "annLaptop", DatabaseScope::privateScope), {}, &laptop, false, 400});
    SyncEngine desktopEngine({Database(annDesktop, "annDesktop", DatabaseScope::privateScope),
                              {},
                              &desktop,
                              false,
                              400});
    SyncEngine bobEngine(
        {Database(bobs, "bobLaptop", DatabaseScope::sharedScope), {}, &shared, false, 400});
    queueSaves(laptopEngine, laptop, {note("before", zone("TB-1"), "x")});
    ASSERT_FALSE(send(laptopEngine));
    ASSERT_FALSE(fetch(desktopEngine));
    ASSERT_FALSE(annLaptop->shareZone("ann", "TB-1", "bob", ParticipantPermission::readOnly));
    ASSERT_FALSE(bobs->acceptShare("ann", "TB-1", "bob"));
    ASSERT_FALSE(fetch(bobEngine));
    EXPECT_EQ(db.value("SELECT value FROM tallybird.meta WHERE key = 'version'"), "1");

    // The administrator's program opens it: it becomes this version, and people keep only the
    // rights this version gives.
    auto admin = Container::openServer(db.adminUri()).value();
    ASSERT_TRUE(admin->users().ok());
    EXPECT_EQ(db.value("SELECT value FROM tallybird.meta WHERE key = 'version'"),
              QString::number(cloud::PostgresSchema::version));
    EXPECT_EQ(db.value("SELECT count(*) FROM pg_catalog.pg_class WHERE relnamespace = "
                       "'tallybird'::regnamespace AND relname IN ('writer', 'sequence')"),
              "0");
    EXPECT_EQ(db.value("SELECT bool_or(has_table_privilege(p, 'tallybird.' || t, r)) "
                       "FROM unnest(ARRAY['ann', 'bob']) p, unnest(ARRAY['devices', 'zones', "
                       "'records', 'deletions', 'participants']) t, "
                       "unnest(ARRAY['UPDATE', 'DELETE']) r"),
              "f");
    EXPECT_EQ(db.value("SELECT has_column_privilege('bob', 'tallybird.records', 'data', "
                       "'UPDATE')"),
              "t");
    EXPECT_EQ(db.value("SELECT string_agg(user_name, ',' ORDER BY user_name) FROM "
                       "tallybird.feeds"),
              "ann,bob");
    // Opened again, it is left as it is.
    ASSERT_TRUE(Container::openServer(db.adminUri()).value()->users().ok());

    // The devices go on through the connections they had, the new way; their tokens from
    // before still hold, so they get only what is new.
    queueSaves(laptopEngine, laptop, {note("after", zone("TB-1"), "y")});
    ASSERT_FALSE(send(laptopEngine));
    ASSERT_FALSE(fetch(desktopEngine));
    ASSERT_FALSE(fetch(bobEngine));
    for (RecordingDelegate* device : {&desktop, &shared}) {
        std::vector<QString> names;
        for (const Record& record : device->fetchedRecords()) {
            if (!record.recordID().recordName.startsWith('~'))
                names.push_back(record.recordID().recordName);
        }
        EXPECT_EQ(names, (std::vector<QString>{"before", "after"}));
        for (const auto& changes : device->eventsOf<SyncEvents::FetchedDatabaseChanges>())
            EXPECT_FALSE(changes.tokenExpired);
    }
}

TEST_F(PostgresContainerTest, AServerThatIsAwayIsOfflineWithinTheTimeout) {
    // A port nobody listens on, and one that takes connections and never answers.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 closedPort = closed.serverPort();
    closed.close();
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const struct {
        const char* what;
        quint16 port;
    } cases[] = {{"nothing listens", closedPort}, {"nothing answers", silent.serverPort()}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        auto container = Container::openServer(
            QStringLiteral("postgresql://local@127.0.0.1:%1/none").arg(test.port), 300);
        ASSERT_TRUE(container.ok());
        QElapsedTimer timer;
        timer.start();
        auto user = container.value()->currentUser("mac");
        ASSERT_FALSE(user.ok());
        EXPECT_EQ(user.error().code, Code::networkUnavailable)
            << user.error().message.toStdString();
        EXPECT_LT(timer.elapsed(), 1500);
        // libpq's lines are joined as sentences: "refused. Is the server running…".
        static const QRegularExpression runOn(QStringLiteral("\\w \\p{Lu}\\w* the server"));
        EXPECT_FALSE(user.error().message.contains(runOn)) << user.error().message.toStdString();
        // And again: a container that was away is tried anew at each call.
        EXPECT_EQ(container.value()->changeMark("mac").error().code, Code::networkUnavailable);
    }
}

TEST_F(PostgresContainerTest, CredentialsComeFromLibpqAndAPasswordIsNeverPrinted) {
    PostgresTestDatabase db;
    ASSERT_TRUE(db.ok());
    db.addPerson("ann", "hunter2");
    QString uri = db.tcpUri("ann");
    const QString withPassword = uri.replace("ann@", "ann:hunter2@");
    const QString wrongPassword = QString(withPassword).replace("hunter2", "swordfish");
    EXPECT_FALSE(Container::describeLocation(withPassword).contains("hunter2"));

    // A wrong or missing password, or a role the server does not know, is a refusal of the
    // sign-in, said as one and naming the server without the password; not the server being
    // away, nor the container failing to read or write.
    QTemporaryDir noPasswords;
    QFile emptyPassFile(noPasswords.filePath("pgpass"));
    ASSERT_TRUE(emptyPassFile.open(QIODevice::WriteOnly));
    emptyPassFile.close();
    emptyPassFile.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray savedPassFile = qgetenv("PGPASSFILE");
    qputenv("PGPASSFILE", emptyPassFile.fileName().toUtf8());
    const struct {
        const char* what;
        QString uri;
        QString role;
    } refusals[] = {
        {"a wrong password", wrongPassword, "ann"},
        {"no password", db.tcpUri("ann"), "ann"},
        {"an unknown role", QString(wrongPassword).replace("ann:", "nobody:"), "nobody"},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        auto refused = Container::openServer(refusal.uri).value()->currentUser("annLaptop");
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().code, Code::internalError);
        const QString& message = refused.error().message;
        EXPECT_TRUE(
            message.startsWith(QStringLiteral("The cloud server %1 refused the sign-in of %2: ")
                                   .arg(Container::describeLocation(refusal.uri), refusal.role)))
            << message.toStdString();
        EXPECT_FALSE(message.contains("swordfish") || message.contains("network") ||
                     message.contains("could not be read or written") ||
                     message.contains("LOCATION"))
            << message.toStdString();
    }
    qputenv("PGPASSFILE", savedPassFile);

    EXPECT_EQ(Container::openServer(withPassword).value()->currentUser("annLaptop").value(), "ann");

    // Without a password in the address, libpq takes it from the password file.
    QTemporaryDir dir;
    const QString passFile = dir.filePath("pgpass");
    QFile file(passFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("127.0.0.1:%1:%2:ann:hunter2\n")
                   .arg(PostgresTestServer::port())
                   .arg(db.name())
                   .toUtf8());
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray saved = qgetenv("PGPASSFILE");
    qputenv("PGPASSFILE", passFile.toUtf8());
    auto fromFile = Container::openServer(db.tcpUri("ann")).value()->currentUser("annLaptop");
    qputenv("PGPASSFILE", saved);
    ASSERT_TRUE(fromFile.ok()) << fromFile.error().message.toStdString();
    EXPECT_EQ(fromFile.value(), "ann");
}

TEST_F(PostgresContainerTest, AConnectionTheServerDroppedIsMadeAgainWithoutAFailure) {
    PostgresTestDatabase db;
    ASSERT_TRUE(db.ok());
    db.addPerson("ann");
    auto ann = Container::openServer(db.uri("ann")).value();
    ASSERT_TRUE(
        ann->modifyZones("annLaptop", DatabaseScope::privateScope, {zone("TB-1")}, {}).ok());

    // The server ends the session, as a restart or an idle timeout would.
    ASSERT_EQ(db.run("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                     "WHERE usename = 'ann' AND datname = current_database()",
                     "tallybird_super"),
              QString());
    auto saved = ann->modifyRecords("annLaptop", DatabaseScope::privateScope,
                                    {note("a", zone("TB-1"), "x")}, {});
    ASSERT_TRUE(saved.ok()) << saved.error().message.toStdString();
    EXPECT_EQ(saved.value().savedRecords.size(), 1u);
    EXPECT_EQ(db.value("SELECT count(*) FROM tallybird.records"), "1");
}

TEST_F(PostgresContainerTest, ADeviceIsItsRolesAndSignsOutAndInAgain) {
    PostgresTestDatabase db;
    ASSERT_TRUE(db.ok());
    db.addPerson("ann");
    db.addPerson("bob");
    auto ann = Container::openServer(db.uri("ann")).value();
    auto bob = Container::openServer(db.uri("bob")).value();
    // A device first seen is signed into the role it connects as; the same folder name on
    // another role is another device.
    EXPECT_EQ(ann->currentUser("mac").value(), "ann");
    EXPECT_EQ(bob->currentUser("mac").value(), "bob");
    EXPECT_EQ(db.value("SELECT count(*) FROM tallybird.devices"), "2");

    auto admin = db.admin();
    ASSERT_FALSE(admin->signOut("mac"));
    // The administrator signed out the first of them: Ann's, by the order of the roles.
    EXPECT_EQ(ann->currentUser("mac").value(), std::nullopt);
    EXPECT_EQ(
        ann->fetchDatabaseChanges("mac", DatabaseScope::privateScope, std::nullopt).error().code,
        Code::notAuthenticated);
    EXPECT_EQ(bob->currentUser("mac").value(), "bob");
    ASSERT_FALSE(admin->signIn("mac", "ann"));
    EXPECT_EQ(ann->currentUser("mac").value(), "ann");

    // The device ids of a server carry the machine's, so one folder on two machines differs.
    const QString id = CloudDevice::deviceID(db.uri("ann"), "/home/ann/.local/share/tallybird");
    EXPECT_TRUE(id.endsWith(":/home/ann/.local/share/tallybird")) << id.toStdString();
    EXPECT_GT(id.size(), QStringLiteral(":/home/ann/.local/share/tallybird").size());
}

} // namespace

namespace {

// Who acts on a device in the table below: the administrator, the person whose role the
// device connects as, or another person who knows its id and connects with it as their own.
enum class Who { admin, person, other };
enum class Act { connect, offline, online, signOut, signIn };
struct DeviceStep {
    Who who;
    Act act;
};

} // namespace

TEST_F(PostgresContainerTest, WhatTheAdministratorSwitchesOnADeviceHoldsWhicheverWayItConnects) {
    PostgresTestDatabase db;
    ASSERT_TRUE(db.ok());
    std::map<QString, std::shared_ptr<Container>> roles;
    // Zoe's name comes after the administrator's, Ann's before it.
    for (const char* name : {"ann", "bob", "zoe"}) {
        db.addPerson(name);
        roles[name] = Container::openServer(db.uri(name)).value();
    }
    auto administrator = db.admin();
    const std::optional<Code> works;
    const Code unreachable = Code::networkUnavailable;
    const Code signedOut = Code::notAuthenticated;
    using enum Who;
    using enum Act;
    const struct {
        const char* what;
        const char* person; // the role the device connects as
        std::vector<DeviceStep> steps;
        std::optional<Code> after; // what the device's send and fetch meet at the end
    } cases[] = {
        {"switched offline before it connected",
         "zoe",
         {{admin, offline}, {person, connect}},
         unreachable},
        {"the same for a person named before the administrator",
         "ann",
         {{admin, offline}, {person, connect}},
         unreachable},
        {"switched offline after it connected",
         "zoe",
         {{person, connect}, {admin, offline}},
         unreachable},
        {"online again", "zoe", {{admin, offline}, {person, connect}, {admin, online}}, works},
        {"and offline again",
         "zoe",
         {{admin, offline}, {person, connect}, {admin, online}, {admin, offline}},
         unreachable},
        {"signed out before it connected", "zoe", {{admin, signOut}, {person, connect}}, signedOut},
        {"signed in again", "zoe", {{admin, signOut}, {person, connect}, {admin, signIn}}, works},
        {"signed out once it connected after an earlier switch",
         "zoe",
         {{admin, offline}, {person, connect}, {admin, online}, {admin, signOut}},
         signedOut},
        {"signed in and switched before it connected, then online",
         "zoe",
         {{admin, offline}, {admin, signIn}, {person, connect}, {admin, online}},
         works},
        {"another person connecting with its id first takes nothing from it",
         "zoe",
         {{admin, offline}, {other, connect}, {person, connect}},
         unreachable},
        {"nor does their own switch of it before it connected",
         "zoe",
         {{admin, offline}, {other, online}, {person, connect}},
         unreachable},
        {"nor after", "ann", {{person, connect}, {other, offline}, {other, signOut}}, works},
    };
    int made = 0;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const QString device = QStringLiteral("device-%1").arg(++made);
        const QString name = QString::fromLatin1(test.person);
        Container& own = *roles[name];
        Container& stranger = *roles[name == "bob" ? "ann" : "bob"];
        for (const DeviceStep& step : test.steps) {
            Container& by = step.who == admin    ? *administrator
                            : step.who == person ? own
                                                 : stranger;
            switch (step.act) {
            case connect:
                ASSERT_TRUE(by.currentUser(device).ok());
                break;
            case offline:
            case online:
                ASSERT_FALSE(by.setOffline(device, step.act == offline));
                break;
            case signOut:
                ASSERT_FALSE(by.signOut(device));
                break;
            case signIn:
                ASSERT_FALSE(by.signIn(device, name));
                break;
            }
        }
        const auto sent =
            own.modifyZones(device, DatabaseScope::privateScope, {zone("TB-" + device)}, {});
        const auto fetched =
            own.fetchDatabaseChanges(device, DatabaseScope::privateScope, std::nullopt);
        EXPECT_EQ(sent.ok() ? works : sent.error().code, test.after);
        EXPECT_EQ(fetched.ok() ? works : fetched.error().code, test.after);
    }
}

TEST_F(PostgresContainerTest, AContainerOfTheSecondVersionIsUpgradedAndSwitchesReachItsDevices) {
    PostgresTestDatabase db(false);
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    makeEarlierContainer(db, 2, {"zoe"});

    // The administrator's earlier build switched Zoe's phone offline before it connected, which
    // left a row of the administrator's; the phone then connected and synced all the same.
    ASSERT_EQ(db.run("INSERT INTO tallybird.devices VALUES ('tallybird', 'zoePhone', "
                     "'tallybird', true)"),
              QString());
    auto zoe = Container::openServer(db.uri("zoe")).value();
    const auto works = [&](const QString& device) {
        const auto sent =
            zoe->modifyZones(device, DatabaseScope::privateScope, {zone("TB-" + device)}, {});
        const auto fetched =
            zoe->fetchDatabaseChanges(device, DatabaseScope::privateScope, std::nullopt);
        EXPECT_EQ(sent.ok(), fetched.ok());
        return sent.ok() && fetched.ok();
    };
    EXPECT_TRUE(works("zoePhone"));
    EXPECT_TRUE(works("zoeLaptop"));
    EXPECT_EQ(db.value("SELECT value FROM tallybird.meta WHERE key = 'version'"), "2");

    // The administrator's program opens it and brings it up to this version.
    auto admin = Container::openServer(db.adminUri()).value();
    ASSERT_TRUE(admin->users().ok());
    EXPECT_EQ(db.value("SELECT value FROM tallybird.meta WHERE key = 'version'"),
              QString::number(cloud::PostgresSchema::version));
    EXPECT_EQ(db.value("SELECT has_column_privilege('zoe', 'tallybird.devices', 'offline', "
                       "'UPDATE') AND NOT has_table_privilege('zoe', 'tallybird.devices', "
                       "'DELETE')"),
              "t");

    // The switch now reaches the phone, past the row the earlier build left; a tablet switched
    // before it connects starts offline; the laptop goes on as it was.
    ASSERT_FALSE(admin->setOffline("zoePhone", true));
    EXPECT_FALSE(works("zoePhone"));
    ASSERT_FALSE(admin->setOffline("zoeTablet", true));
    EXPECT_FALSE(works("zoeTablet"));
    EXPECT_TRUE(works("zoeLaptop"));
    for (const char* device : {"zoePhone", "zoeTablet"}) {
        ASSERT_FALSE(admin->setOffline(device, false));
        EXPECT_TRUE(works(device)) << device;
    }
}

TEST_F(PostgresContainerTest, ABatchGoesOnWithoutAListSomebodyElseHoldsAndSendsItOnceTheyLetGo) {
    PostgresTestDatabase db;
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    db.addPerson("ann");
    db.addPerson("eve");
    auto ann = Container::openServer(db.uri("ann")).value();
    ASSERT_TRUE(ann->modifyZones("annSetup", DatabaseScope::privateScope,
                                 {zone("TB-a"), zone("TB-held"), zone("TB-z")}, {})
                    .ok());
    auto admin = db.admin();
    ASSERT_FALSE(admin->shareZone("ann", "TB-held", "eve", ParticipantPermission::readWrite));
    ASSERT_FALSE(admin->acceptShare("ann", "TB-held", "eve"));

    // Eve takes the list's writer's lock and keeps her transaction open.
    PGconn* eve = PQconnectdb(
        (PostgresTestServer::adminConnection() + " user=eve dbname=" + db.name()).toUtf8());
    const auto eveRuns = [&](const char* sql) {
        PGresult* result = PQexec(eve, sql);
        const bool ok =
            PQresultStatus(result) == PGRES_TUPLES_OK || PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        return ok;
    };
    ASSERT_TRUE(eveRuns("SET idle_in_transaction_session_timeout = 0; BEGIN"));
    ASSERT_TRUE(eveRuns("SELECT tallybird.lock_zone('ann', 'TB-held')"));

    // Ann's laptop sends one batch with a change in each list: the held list's change stays
    // pending, the others are on the server.
    RecordingDelegate delegate;
    SyncEngine engine(
        {Database(ann, "annLaptop", DatabaseScope::privateScope), {}, &delegate, false, 400});
    queueSaves(engine, delegate,
               {note("in-a", zone("TB-a"), "a"), note("in-held", zone("TB-held"), "held"),
                note("in-z", zone("TB-z"), "z")});
    const auto stored = [&] {
        return db.value("SELECT string_agg(name, ',' ORDER BY name) FROM tallybird.records "
                        "WHERE owner = 'ann' AND name LIKE 'in-%'");
    };
    ASSERT_FALSE(send(engine));
    EXPECT_EQ(stored(), "in-a,in-z");
    ASSERT_EQ(delegate.failedSaves().size(), 1u);
    EXPECT_EQ(delegate.failedSaves()[0].first.recordID().recordName, "in-held");
    EXPECT_EQ(delegate.failedSaves()[0].second.code, Code::zoneBusy);
    EXPECT_EQ(engine.state().pendingRecordZoneChanges().size(), 1u);

    // Once Eve lets go, the next send brings it.
    ASSERT_TRUE(eveRuns("ROLLBACK"));
    PQfinish(eve);
    ASSERT_FALSE(send(engine));
    EXPECT_EQ(stored(), "in-a,in-held,in-z");
    EXPECT_TRUE(engine.state().pendingRecordZoneChanges().empty());
}

// A device's send ids are its person's alone: nobody else reads them, writes them, or gives up
// a send of theirs by asking after it. An answer holds for good: a batch still at work when its
// device asks is waited for, and one asked after before it came fails as it comes.
TEST_F(PostgresContainerTest, ASendIdIsItsPersonsAloneAndWhatTheServerSaysOfItHolds) {
    PostgresTestDatabase db;
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    db.addPerson("ann");
    db.addPerson("eve");
    auto ann = Container::openServer(db.uri("ann")).value();
    ASSERT_TRUE(
        ann->modifyZones("annLaptop", DatabaseScope::privateScope, {zone("TB-a")}, {}).ok());
    const auto sendAs = [&](const char* name, const char* sendID) {
        return ann->modifyRecords("annLaptop", DatabaseScope::privateScope,
                                  {note(name, zone("TB-a"), "x")}, {}, sendID);
    };
    const auto fate = [&](const char* sendID) {
        const auto told = ann->sendLanded("annLaptop", sendID);
        EXPECT_TRUE(told.ok());
        return told.ok() ? told.value().fate : SendOutcome::Fate::notKept;
    };
    ASSERT_TRUE(sendAs("r1", "s1").ok());

    const struct {
        const char* what;
        const char* sql; // as Eve
        bool refused;
    } tries[] = {
        {"writes one of Ann's",
         "INSERT INTO tallybird.sends (holder, device, id, landed) "
         "VALUES ('ann', 'annLaptop', 's2', true)",
         true},
        {"changes one", "UPDATE tallybird.sends SET landed = false", true},
        {"removes one", "DELETE FROM tallybird.sends", true},
        {"asks after an id of Ann's device", "SELECT tallybird.settle_send('annLaptop', 's3')",
         false},
        {"notes one for Ann's device", "SELECT tallybird.note_send('annLaptop', 's4', NULL)",
         false},
    };
    EXPECT_EQ(db.value("SELECT count(*) FROM tallybird.sends", "eve"), "0");
    for (const auto& test : tries)
        EXPECT_EQ(db.run(test.sql, "eve").isEmpty(), !test.refused) << test.what;
    EXPECT_EQ(fate("s1"), SendOutcome::Fate::landed);
    EXPECT_TRUE(sendAs("r3", "s3").ok()) << "Eve's asking gave up a send of Ann's";
    EXPECT_EQ(fate("s3"), SendOutcome::Fate::landed);
    EXPECT_EQ(fate("s4"), SendOutcome::Fate::neverLanded);
    EXPECT_EQ(db.value("SELECT string_agg(id, ',' ORDER BY id) FROM tallybird.sends", "ann"),
              "s1,s3,s4");

    // A batch at work: the question waits for its commit.
    PostgresSession raw(db, "ann");
    ASSERT_TRUE(raw.ok());
    ASSERT_TRUE(raw.run("BEGIN"));
    ASSERT_TRUE(raw.run("SELECT tallybird.note_send('annLaptop', 's5', NULL)"));
    auto asker = Container::openServer(db.uri("ann"), 30'000).value();
    std::optional<SendOutcome::Fate> answered;
    std::thread asking([&] {
        const auto told = asker->sendLanded("annLaptop", "s5");
        answered = told.ok() ? told.value().fate : SendOutcome::Fate::notKept;
    });
    const QDeadlineTimer bound(20'000);
    while (db.value("SELECT count(*) FROM pg_catalog.pg_stat_activity "
                    "WHERE wait_event_type = 'Lock' AND query LIKE '%settle_send%'",
                    "ann") != "1" &&
           !bound.hasExpired())
        QThread::msleep(5);
    ASSERT_TRUE(raw.run("COMMIT"));
    asking.join();
    EXPECT_EQ(answered, SendOutcome::Fate::landed);

    // Asked after first: the batch fails as it comes.
    EXPECT_EQ(fate("s6"), SendOutcome::Fate::neverLanded);
    EXPECT_FALSE(raw.run("SELECT tallybird.note_send('annLaptop', 's6', NULL)"));
    EXPECT_EQ(fate("s6"), SendOutcome::Fate::neverLanded);
}

// The connection of a batch is cut while the server works on its commit: the device is told the
// answer was lost, not that nothing was written, and the server then says the batch never
// landed.
TEST_F(PostgresContainerTest, ABatchWhoseConnectionIsCutDuringItsCommitIsNotTakenAsRefused) {
    PostgresTestDatabase db;
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    db.addPerson("ann");
    auto ann = Container::openServer(db.uri("ann"), 30'000).value();
    ASSERT_TRUE(
        ann->modifyZones("annLaptop", DatabaseScope::privateScope, {zone("TB-a")}, {}).ok());
    // The commit of the batch sent as "slow" takes its time.
    ASSERT_EQ(db.run("CREATE FUNCTION tallybird.slow_commit() RETURNS trigger LANGUAGE plpgsql "
                     "AS $$ BEGIN PERFORM pg_sleep(60); RETURN NULL; END $$"),
              QString());
    ASSERT_EQ(db.run("CREATE CONSTRAINT TRIGGER slow_commit AFTER INSERT ON tallybird.sends "
                     "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW "
                     "WHEN (NEW.id = 'slow' AND NEW.landed) "
                     "EXECUTE FUNCTION tallybird.slow_commit()"),
              QString());

    std::optional<CloudError> error;
    std::thread sending([&] {
        const auto sent = ann->modifyRecords("annLaptop", DatabaseScope::privateScope,
                                             {note("r", zone("TB-a"), "x")}, {}, "slow");
        if (!sent.ok())
            error = sent.error();
    });
    const QDeadlineTimer bound(20'000);
    while (db.value("SELECT count(*) FROM pg_catalog.pg_stat_activity WHERE usename = 'ann' "
                    "AND datname = current_database() AND wait_event = 'PgSleep'",
                    "tallybird_super") != "1" &&
           !bound.hasExpired())
        QThread::msleep(5);
    // The one connection in the middle of that commit, and no other.
    ASSERT_EQ(db.value("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE usename = "
                       "'ann' AND datname = current_database() AND wait_event = 'PgSleep'",
                       "tallybird_super"),
              "t");
    sending.join();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, Code::networkUnavailable);
    EXPECT_TRUE(error->answerLost) << error->message.toStdString();
    const auto told = ann->sendLanded("annLaptop", "slow");
    ASSERT_TRUE(told.ok()) << told.error().message.toStdString();
    EXPECT_EQ(told.value().fate, SendOutcome::Fate::neverLanded);
    EXPECT_EQ(db.value("SELECT count(*) FROM tallybird.records WHERE name = 'r'"), "0");
}

// A person's role belongs to the whole server: suites running side by side make the same people
// in databases of their own at the same moment, and each gets them with their passwords.
TEST_F(PostgresContainerTest, TheSamePeopleAreMadeInDatabasesSideBySide) {
    constexpr int databases = 4;
    std::vector<std::unique_ptr<PostgresTestDatabase>> dbs;
    for (int i = 0; i < databases; ++i) {
        dbs.push_back(std::make_unique<PostgresTestDatabase>());
        ASSERT_TRUE(dbs.back()->ok()) << dbs.back()->error().toStdString();
    }
    const QString stem = QStringLiteral("pat%1-").arg(QCoreApplication::applicationPid());
    std::vector<std::thread> makers;
    for (int i = 0; i < databases; ++i)
        makers.emplace_back([&, i] {
            for (int person = 0; person < 8; ++person)
                dbs[size_t(i)]->addPerson(stem + QString::number(person));
        });
    for (std::thread& maker : makers)
        maker.join();
    for (const auto& db : dbs)
        EXPECT_EQ(db->value(QStringLiteral("SELECT count(*) FROM tallybird.users WHERE name LIKE "
                                           "'%1%'")
                                .arg(stem)),
                  "8");
}
