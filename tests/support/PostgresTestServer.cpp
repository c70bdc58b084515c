// Finding the test run's PostgreSQL server and making databases on it, through plain libpq.
#include "PostgresTestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QUrl>
#include <QUuid>

#include <gtest/gtest.h>

#include <libpq-fe.h>

namespace testsupport {

namespace {

QString infoFolder() {
    return qEnvironmentVariable("TALLYBIRD_TEST_POSTGRES");
}

QString readInfo(const char* name, const QString& info = {}) {
    QFile file(QDir(info.isEmpty() ? infoFolder() : info).filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

// Runs SQL as `role` on `database`; returns libpq's complaint, if any, and the first value.
QString runAs(const QString& info, const QString& role, const QString& database, const QString& sql,
              QString* value = nullptr) {
    const QString conninfo = PostgresTestServer::adminConnection(info) + QStringLiteral(" user=") +
                             role + QStringLiteral(" dbname=") + database;
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QString error;
    if (PQstatus(conn) != CONNECTION_OK) {
        error = QString::fromUtf8(PQerrorMessage(conn));
    } else {
        PGresult* result = PQexec(conn, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            error = QString::fromUtf8(PQresultErrorMessage(result));
        else if (value && PQntuples(result) > 0 && PQnfields(result) > 0)
            *value = QString::fromUtf8(PQgetvalue(result, 0, 0));
        PQclear(result);
    }
    PQfinish(conn);
    return error;
}

QString runAsAdmin(const QString& info, const QString& database, const QString& sql) {
    return runAs(info, QStringLiteral("tallybird"), database, sql);
}

} // namespace

bool PostgresTestServer::required() {
    return !infoFolder().isEmpty();
}

std::optional<QString> PostgresTestServer::unavailable() {
    if (infoFolder().isEmpty())
        return QStringLiteral("No PostgreSQL test server: these tests run under CTest, which "
                              "starts one (scripts/pg-cluster), or with TALLYBIRD_TEST_POSTGRES "
                              "naming the folder `scripts/pg-cluster start` wrote.");
    if (readInfo("conninfo").isEmpty())
        return QStringLiteral("TALLYBIRD_TEST_POSTGRES names %1, which holds no running test "
                              "server (did its start fail?).")
            .arg(infoFolder());
    return std::nullopt;
}

QString PostgresTestServer::adminConnection(const QString& info) {
    // The file says dbname=postgres; a later dbname overrides it.
    return readInfo("conninfo", info);
}

QString PostgresTestServer::socketFolder(const QString& info) {
    return readInfo("cluster", info);
}

int PostgresTestServer::port(const QString& info) {
    return readInfo("port", info).toInt();
}

QString PostgresTestServer::clusterScript() {
    return QStringLiteral(TALLYBIRD_PG_CLUSTER_SCRIPT);
}

PostgresTestCluster::PostgresTestCluster(QString info) : info_(std::move(info)) {
    ok_ = script("start");
}

PostgresTestCluster::~PostgresTestCluster() {
    script("stop");
}

bool PostgresTestCluster::script(const char* command, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(PostgresTestServer::clusterScript(),
                  QStringList{QString::fromLatin1(command), info_} + arguments);
    process.waitForFinished(120'000);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString PostgresTestCluster::set(const QString& name, const QString& value) {
    const QString error =
        runAs(info_, QStringLiteral("tallybird_super"), QStringLiteral("postgres"),
              QStringLiteral("ALTER SYSTEM SET %1 = '%2'").arg(name, value));
    return error.isEmpty() ? runAs(info_, QStringLiteral("tallybird_super"),
                                   QStringLiteral("postgres"), "SELECT pg_reload_conf()")
                           : error;
}

PostgresTestDatabase::PostgresTestDatabase(bool withContainer, QString info)
    : info_(std::move(info)) {
    if (info_.isEmpty()) {
        if (auto missing = PostgresTestServer::unavailable()) {
            error_ = *missing;
            return;
        }
    }
    name_ = QStringLiteral("tb_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
    error_ = runAsAdmin(info_, QStringLiteral("postgres"),
                        QStringLiteral("CREATE DATABASE %1 STRATEGY FILE_COPY").arg(name_));
    if (!error_.isEmpty() || !withContainer)
        return;
    if (auto failed = cloud::Container::createOnServer(adminUri()))
        error_ = failed->message;
}

PostgresTestDatabase::~PostgresTestDatabase() {
    admin_.reset();
    if (!name_.isEmpty())
        runAsAdmin(info_, QStringLiteral("postgres"),
                   QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
}

QString PostgresTestDatabase::uri(const QString& role) const {
    // Built by pieces: the encoded folder holds "%2F", which QString::arg would take for a
    // place holder.
    return QStringLiteral("postgresql://") + role + QStringLiteral("@/") + name_ +
           QStringLiteral("?host=") +
           QString::fromUtf8(QUrl::toPercentEncoding(PostgresTestServer::socketFolder(info_))) +
           QStringLiteral("&port=") + QString::number(PostgresTestServer::port(info_));
}

QString PostgresTestDatabase::tcpUri(const QString& role) const {
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
        .arg(role)
        .arg(PostgresTestServer::port(info_))
        .arg(name_);
}

std::shared_ptr<cloud::Container> PostgresTestDatabase::admin() {
    if (!admin_) {
        auto opened = cloud::Container::openServer(adminUri());
        if (opened.ok())
            admin_ = opened.value();
    }
    return admin_;
}

// A person's role is the whole server's, not one database's, and test processes running side by
// side make and change the same people ("ann", "sam"). PostgreSQL refuses the second of two
// changes to one role at once ("tuple concurrently updated"); such a change is tried again.
void PostgresTestDatabase::addPerson(const QString& name, const QString& password) {
    if (auto error = admin()->createUser(name, std::nullopt))
        ADD_FAILURE() << "create " << name.toStdString() << ": " << error->message.toStdString();
    QString failed;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (attempt > 0)
            QThread::msleep(ulong(10 * attempt));
        failed = runAsAdmin(info_, name_,
                            QStringLiteral("ALTER ROLE \"%1\" PASSWORD '%2'").arg(name, password));
        if (!failed.contains(QLatin1String("concurrently")))
            break;
    }
    if (!failed.isEmpty())
        ADD_FAILURE() << failed.toStdString();
}

QString PostgresTestDatabase::run(const QString& sql, const QString& role) const {
    return runAs(info_, role, name_, sql);
}

QString PostgresTestDatabase::value(const QString& sql, const QString& role) const {
    QString out;
    runAs(info_, role, name_, sql, &out);
    return out;
}

PostgresSession::PostgresSession(const PostgresTestDatabase& db, const QString& role)
    : conn_(PQconnectdb((PostgresTestServer::adminConnection(db.info()) + QStringLiteral(" user=") +
                         role + QStringLiteral(" dbname=") + db.name())
                            .toUtf8()
                            .constData())) {
    run(QStringLiteral(
        "SET statement_timeout = '60s'; SET idle_in_transaction_session_timeout = 0"));
}

PostgresSession::~PostgresSession() {
    PQfinish(conn_);
}

bool PostgresSession::ok() const {
    return PQstatus(conn_) == CONNECTION_OK;
}

std::optional<QString> PostgresSession::run(const QString& sql) {
    PGresult* result = PQexec(conn_, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    std::optional<QString> value;
    if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK || status == PGRES_EMPTY_QUERY)
        value = PQntuples(result) > 0 ? QString::fromUtf8(PQgetvalue(result, 0, 0)) : QString();
    PQclear(result);
    return value;
}

} // namespace testsupport
