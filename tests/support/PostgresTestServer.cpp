#include "PostgresTestServer.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <QUuid>

#include <gtest/gtest.h>

#include <libpq-fe.h>

namespace testsupport {

namespace {

QString infoFolder() {
    return qEnvironmentVariable("TALLYBIRD_TEST_POSTGRES");
}

QString readInfo(const char* name) {
    QFile file(QDir(infoFolder()).filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

// Runs one statement as the administrator on `database`; returns libpq's complaint, if any.
QString runAsAdmin(const QString& database, const QString& sql) {
    const QString conninfo = PostgresTestServer::adminConnection() +
                             QStringLiteral(" dbname=") + database;
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QString error;
    if (PQstatus(conn) != CONNECTION_OK) {
        error = QString::fromUtf8(PQerrorMessage(conn));
    } else {
        PGresult* result = PQexec(conn, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            error = QString::fromUtf8(PQresultErrorMessage(result));
        PQclear(result);
    }
    PQfinish(conn);
    return error;
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

QString PostgresTestServer::adminConnection() {
    // The file says dbname=postgres; a later dbname overrides it.
    return readInfo("conninfo");
}

QString PostgresTestServer::socketFolder() {
    return readInfo("cluster");
}

int PostgresTestServer::port() {
    return readInfo("port").toInt();
}

PostgresTestDatabase::PostgresTestDatabase() {
    if (auto missing = PostgresTestServer::unavailable()) {
        error_ = *missing;
        return;
    }
    name_ = QStringLiteral("tb_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
    error_ = runAsAdmin(QStringLiteral("postgres"),
                        QStringLiteral("CREATE DATABASE %1 STRATEGY FILE_COPY").arg(name_));
    if (!error_.isEmpty())
        return;
    if (auto failed = cloud::Container::createOnServer(adminUri()))
        error_ = failed->message;
}

PostgresTestDatabase::~PostgresTestDatabase() {
    admin_.reset();
    if (!name_.isEmpty())
        runAsAdmin(QStringLiteral("postgres"),
                   QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
}

QString PostgresTestDatabase::uri(const QString& role) const {
    // Built by pieces: the encoded folder holds "%2F", which QString::arg would take for a
    // place holder.
    return QStringLiteral("postgresql://") + role + QStringLiteral("@/") + name_ +
           QStringLiteral("?host=") +
           QString::fromUtf8(QUrl::toPercentEncoding(PostgresTestServer::socketFolder())) +
           QStringLiteral("&port=") + QString::number(PostgresTestServer::port());
}

QString PostgresTestDatabase::tcpUri(const QString& role) const {
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
        .arg(role)
        .arg(PostgresTestServer::port())
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

void PostgresTestDatabase::addPerson(const QString& name, const QString& password) {
    if (auto error = admin()->createUser(name, std::nullopt))
        ADD_FAILURE() << "create " << name.toStdString() << ": " << error->message.toStdString();
    const QString failed = runAsAdmin(
        name_, QStringLiteral("ALTER ROLE \"%1\" PASSWORD '%2'").arg(name, password));
    if (!failed.isEmpty())
        ADD_FAILURE() << failed.toStdString();
}

} // namespace testsupport
