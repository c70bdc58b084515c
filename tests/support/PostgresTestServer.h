// The throw-away PostgreSQL server of a test run, and containers on it, one database each.
#pragma once

#include "cloud/Container.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct pg_conn; // libpq's PGconn

namespace testsupport {

// The server CTest starts for the suites that need one (scripts/pg-cluster, named by the
// TALLYBIRD_TEST_POSTGRES folder). Run by hand without it, those tests are skipped with a
// message that says so; under CTest a missing server fails them.
//
// A test that stops and starts its server (see scripts/pg-cluster) has one of its own: then
// `info` names the folder `scripts/pg-cluster start` wrote; empty, it is the run's server.
class PostgresTestServer {
public:
    // Why there is no server to test on, when there is none.
    static std::optional<QString> unavailable();
    // Whether a missing server is a failure (CTest named one) rather than a reason to skip.
    static bool required();
    // libpq's connection string of the administrator (the role `tallybird`), over the socket.
    static QString adminConnection(const QString& info = {});
    // The folder the server lives in (its socket is there) and its loopback port.
    static QString socketFolder(const QString& info = {});
    static int port(const QString& info = {});
    // The helper script that starts, halts, resumes and stops a server.
    static QString clusterScript();
};

// A server of a test's own, started at once and removed at the end, which the test may stop as
// a crash stops it and start again (see scripts/pg-cluster). `info` is a folder for its files.
class PostgresTestCluster {
public:
    explicit PostgresTestCluster(QString info);
    ~PostgresTestCluster();
    PostgresTestCluster(const PostgresTestCluster&) = delete;
    PostgresTestCluster& operator=(const PostgresTestCluster&) = delete;

    bool ok() const { return ok_; }
    const QString& info() const { return info_; }
    bool halt() { return script("halt"); }
    bool resume() { return script("resume"); }
    // A backup of the stopped server's files, and putting it back: stop cleanly (`shut`), then
    // `save` or `putBack`, then `resume`.
    bool shut() { return script("shut"); }
    bool save() { return script("save"); }
    bool putBack() { return script("put-back"); }
    // A database's dump by pg_dump into `file`, and the database made anew from it by
    // pg_restore, as the administrator.
    bool dump(const QString& database, const QString& file) {
        return script("dump", {database, file});
    }
    bool load(const QString& database, const QString& file) {
        return script("load", {database, file});
    }
    // Sets one of the server's settings as its superuser and has it read them again; libpq's
    // complaint, if any.
    QString set(const QString& name, const QString& value);

private:
    bool script(const char* command, const QStringList& arguments = {});
    QString info_;
    bool ok_ = false;
};

// A fresh database holding an empty container (or nothing at all), made by the administrator;
// dropped at the end (with whatever connections are still open to it).
class PostgresTestDatabase {
public:
    explicit PostgresTestDatabase(bool withContainer = true, QString info = {});
    ~PostgresTestDatabase();
    PostgresTestDatabase(const PostgresTestDatabase&) = delete;
    PostgresTestDatabase& operator=(const PostgresTestDatabase&) = delete;

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    const QString& name() const { return name_; }
    // The folder that names its server (empty: the test run's).
    const QString& info() const { return info_; }

    // A postgresql:// URI to this database as `role`, over the socket (trusted).
    QString uri(const QString& role) const;
    QString adminUri() const { return uri(QStringLiteral("tallybird")); }
    // The same over the loopback port, where the server asks for a password.
    QString tcpUri(const QString& role) const;
    // The administrator's container.
    std::shared_ptr<cloud::Container> admin();
    // A user of the container and the role behind it, with a password for the loopback port.
    void addPerson(const QString& name, const QString& password = QStringLiteral("secret"));
    // Runs SQL in this database as `role` over the socket; libpq's complaint, if any.
    QString run(const QString& sql, const QString& role = QStringLiteral("tallybird")) const;
    // The one value a query returns, as text (empty on failure or null).
    QString value(const QString& sql, const QString& role = QStringLiteral("tallybird")) const;

private:
    QString info_;
    QString name_;
    QString error_;
    std::shared_ptr<cloud::Container> admin_;
};

// One connection to a test database as a role, with plain SQL, for one thread.
class PostgresSession {
public:
    PostgresSession(const PostgresTestDatabase& db, const QString& role);
    ~PostgresSession();
    PostgresSession(const PostgresSession&) = delete;
    PostgresSession& operator=(const PostgresSession&) = delete;

    bool ok() const;
    // The first value the statement returns (empty when none); nothing when it is refused.
    std::optional<QString> run(const QString& sql);
    // The same as a whole number; -1 when it is refused.
    qint64 number(const QString& sql) { return run(sql).value_or("-1").toLongLong(); }

private:
    pg_conn* conn_;
};

} // namespace testsupport

// Skips (by hand) or fails (under CTest) a test that needs the server when there is none.
#define TALLYBIRD_REQUIRE_POSTGRES()                                                               \
    do {                                                                                           \
        if (auto missing = ::testsupport::PostgresTestServer::unavailable()) {                     \
            if (::testsupport::PostgresTestServer::required())                                     \
                FAIL() << missing->toStdString();                                                  \
            GTEST_SKIP() << missing->toStdString();                                                \
        }                                                                                          \
    } while (false)
