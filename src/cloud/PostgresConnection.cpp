// A libpq connection in pipeline mode, with bound waits and prepared statements.
#include "PostgresConnection.h"

#include "ContainerStorage.h"
#include "LibPq.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QUrl>
#include <QtEndian>

#include <poll.h>

namespace cloud {

namespace {

// The client library. Only what needs the server calls it, and open() loads it before anything
// else: everything else runs on a connection or a result that exists only once it is loaded.
const LibPq& pq() {
    QString error;
    if (const LibPq* library = LibPq::get(&error))
        return *library;
    throw StorageError(error.toStdString());
}

// The type the server is told for each kind of value (from the server's pg_type.h).
unsigned int typeOid(PgValue::Type type) {
    switch (type) {
    case PgValue::Type::text:
        return 25;
    case PgValue::Type::integer:
        return 20;
    case PgValue::Type::bytes:
        return 17;
    case PgValue::Type::boolean:
        return 16;
    case PgValue::Type::null:
        break;
    }
    return 0; // the server infers it
}

// Connection failures and server stops are the server being away, not a refusal.
bool meansUnreachable(const QString& sqlState) {
    return sqlState.startsWith(QLatin1String("08")) || sqlState == QLatin1String("57P01") ||
           sqlState == QLatin1String("57P02") || sqlState == QLatin1String("57P03") ||
           sqlState == QLatin1String("53300");
}

} // namespace

// libpq says one sentence over several lines, each line after the first indented ("This
// probably means the server terminated abnormally\n\tbefore or while processing the
// request."), and puts a hint on a line of its own after a sentence with no stop ("Connection
// refused\n\tIs the server running…"). An indented line that starts in lower case goes on with
// the sentence before it; any other line starts a sentence, and the one before gets its stop.
QString PostgresConnection::joinedLines(const QString& text) {
    QString joined;
    for (const QString& part : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString line = part.simplified();
        if (line.isEmpty())
            continue;
        if (!joined.isEmpty()) {
            const bool goesOn = part.front().isSpace() && line.front().isLower();
            if (!goesOn && !QStringLiteral(".?!:;,").contains(joined.back()))
                joined += QLatin1Char('.');
            joined += QLatin1Char(' ');
        }
        joined += line;
    }
    return joined;
}

namespace {

QString oneLine(const char* message) {
    return PostgresConnection::joinedLines(QString::fromUtf8(message));
}

// A connection's error while it connects, said verbosely so that the server's SQLSTATE comes
// with it whatever language the server speaks ("FATAL:  28P01: password authentication failed
// …"): the code, the server's own words, and the whole text without the code and the server's
// source location.
struct ConnectError {
    QString state;
    QString server;
    QString text;
};

ConnectError readConnectError(const char* raw) {
    static const QRegularExpression answer(
        QStringLiteral(R"(([^\s:]+):  ([0-9A-Z]{5}): ([^\n]*))"));
    static const QRegularExpression location(QStringLiteral(R"(\n\s*LOCATION:[^\n]*)"));
    QString text = QString::fromUtf8(raw);
    text.remove(location);
    ConnectError error;
    if (const QRegularExpressionMatch match = answer.match(text); match.hasMatch()) {
        error.state = match.captured(2);
        error.server = match.captured(3).simplified();
        text.replace(match.capturedStart(), match.capturedLength(),
                     match.captured(1) + QLatin1Char(' ') + match.captured(3));
    }
    error.text = PostgresConnection::joinedLines(text);
    return error;
}

// The server has as many connections of the role open as it lets the role have. Its code is
// also that of all the server's connections, or a database's, being taken, but only this answer
// names the role (a database of the role's very name aside).
bool meansRoleLimit(const ConnectError& error, const QString& role) {
    if (error.state != QLatin1String("53300") || role.isEmpty())
        return false;
    const QRegularExpression named(
        QStringLiteral("(^|\\W)%1(\\W|$)").arg(QRegularExpression::escape(role)),
        QRegularExpression::UseUnicodePropertiesOption);
    return error.server.contains(named);
}

} // namespace

PgValue PgValue::integer(qint64 value) {
    QByteArray data(8, Qt::Uninitialized);
    qToBigEndian(value, data.data());
    return PgValue(Type::integer, data);
}

PgRows::PgRows(pg_result* result) : result_(result) {}
PgRows::~PgRows() {
    pq().PQclear(result_);
}
PgRows::PgRows(PgRows&& other) noexcept : result_(other.result_) {
    other.result_ = nullptr;
}

int PgRows::size() const {
    return pq().PQntuples(result_);
}

bool PgRows::isNull(int row, int column) const {
    return pq().PQgetisnull(result_, row, column);
}

QString PgRows::text(int row, int column) const {
    return QString::fromUtf8(pq().PQgetvalue(result_, row, column),
                             pq().PQgetlength(result_, row, column));
}

std::optional<QString> PgRows::optionalText(int row, int column) const {
    if (isNull(row, column))
        return std::nullopt;
    return text(row, column);
}

qint64 PgRows::integer(int row, int column) const {
    const char* data = pq().PQgetvalue(result_, row, column);
    switch (pq().PQgetlength(result_, row, column)) {
    case 8:
        return qFromBigEndian<qint64>(data);
    case 4:
        return qFromBigEndian<qint32>(data);
    case 2:
        return qFromBigEndian<qint16>(data);
    default:
        throw StorageError("The server sent a number of an unexpected size.");
    }
}

QByteArray PgRows::bytes(int row, int column) const {
    return QByteArray(pq().PQgetvalue(result_, row, column),
                      pq().PQgetlength(result_, row, column));
}

bool PgRows::boolean(int row, int column) const {
    return pq().PQgetlength(result_, row, column) == 1 &&
           pq().PQgetvalue(result_, row, column)[0] != 0;
}

PostgresConnection::PostgresConnection(QString uri, int timeoutMs)
    : uri_(std::move(uri)), timeoutMs_(std::max(1, timeoutMs)) {}

PostgresConnection::~PostgresConnection() {
    close();
}

bool PostgresConnection::isOpen() const {
    return conn_ && pq().PQstatus(conn_) == CONNECTION_OK;
}

void PostgresConnection::close() {
    if (conn_)
        pq().PQfinish(conn_);
    conn_ = nullptr;
    statements_.clear();
    prepares_ = 0;
    pending_.clear();
    syncs_ = 0;
    behind_ = false;
}

namespace {

// Waits until the socket is ready for `events` or the deadline passes; false when it passed.
bool waitFor(int socket, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd fd{socket, events, 0};
        const qint64 left = deadline.remainingTime();
        const int rc = ::poll(&fd, 1, int(std::min<qint64>(left < 0 ? 0 : left, 60'000)));
        if (rc > 0)
            return true;
        if (rc == 0 && deadline.hasExpired())
            return false;
        if (rc < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

namespace {

// The server's own bounds match the client's: a lock held elsewhere or a slow statement ends
// in an error, and a client that went away mid-transaction lets go of its locks. They travel
// with the connection request, after any options the address gives.
QByteArray serverOptions(const QString& uri, int timeoutMs) {
    QString options;
    char* error = nullptr;
    if (PQconninfoOption* parsed = pq().PQconninfoParse(uri.toUtf8().constData(), &error)) {
        for (PQconninfoOption* option = parsed; option->keyword; ++option) {
            if (option->val && QLatin1String(option->keyword) == QLatin1String("options"))
                options = QString::fromUtf8(option->val) + QLatin1Char(' ');
        }
        pq().PQconninfoFree(parsed);
    }
    pq().PQfreemem(error);
    options += QStringLiteral("-c statement_timeout=%1 -c lock_timeout=%1 "
                              "-c idle_in_transaction_session_timeout=%2")
                   .arg(timeoutMs)
                   .arg(timeoutMs + 1000);
    return options.toUtf8();
}

} // namespace

void PostgresConnection::open() {
    close();
    const QDeadlineTimer deadline(timeoutMs_);
    const QByteArray uri = uri_.toUtf8();
    const QByteArray options = serverOptions(uri_, timeoutMs_);
    const char* const keys[] = {"dbname", "options", "fallback_application_name", nullptr};
    const char* const values[] = {uri.constData(), options.constData(), "tallybird", nullptr};
    conn_ = pq().PQconnectStartParams(keys, values, 1);
    if (!conn_)
        throw StorageError("Out of memory for a connection to the cloud server.");
    // A refused sign-in is told apart by the server's code, which only verbose errors carry.
    pq().PQsetErrorVerbosity(conn_, PQERRORS_VERBOSE);
    if (pq().PQstatus(conn_) == CONNECTION_BAD)
        fail(QStringLiteral("cannot connect"));
    PostgresPollingStatusType status = PGRES_POLLING_WRITING;
    while (status != PGRES_POLLING_OK) {
        if (status == PGRES_POLLING_FAILED)
            fail(QStringLiteral("cannot connect"));
        const short events = status == PGRES_POLLING_READING ? POLLIN : POLLOUT;
        if (!waitFor(pq().PQsocket(conn_), events, deadline))
            lost(QStringLiteral("The cloud server %1 did not answer within %2 ms.")
                     .arg(describe(uri_))
                     .arg(timeoutMs_));
        status = pq().PQconnectPoll(conn_);
    }
    if (pq().PQsetnonblocking(conn_, 1) != 0 || !pq().PQenterPipelineMode(conn_))
        fail(QStringLiteral("cannot set up the connection"));
    pq().PQsetErrorVerbosity(conn_, PQERRORS_DEFAULT);
    // The role the server took the login as: what policies compare with.
    role_ = QString::fromUtf8(pq().PQuser(conn_));
}

void PostgresConnection::fail(const QString& what) {
    const ConnectError error =
        conn_ ? readConnectError(pq().PQerrorMessage(conn_)) : ConnectError{};
    const QString& message = error.text;
    // The server turned the role away (class 28), or asked for a password and libpq found none.
    if (conn_ &&
        (error.state.startsWith(QLatin1String("28")) || pq().PQconnectionNeedsPassword(conn_))) {
        const QString role = QString::fromUtf8(pq().PQuser(conn_));
        const QString why = error.state.startsWith(QLatin1String("28"))
                                ? error.server
                                : QStringLiteral("it asks for a password, and none was found in "
                                                 "the address, ~/.pgpass, PGPASSWORD or a "
                                                 "service file");
        const QString text = QStringLiteral("The cloud server %1 refused the sign-in of %2: %3.")
                                 .arg(describe(uri_), role, why);
        close();
        throw StorageSignInRefused(text.toStdString());
    }
    if (const QString role = conn_ ? QString::fromUtf8(pq().PQuser(conn_)) : QString();
        meansRoleLimit(error, role)) {
        const QString text = QStringLiteral("The cloud server %1 turned %2 away: all of %2's "
                                            "connections are in use, as many as the server lets "
                                            "one person have. Sync goes on once one of them ends.")
                                 .arg(describe(uri_), role);
        close();
        throw StorageSignInRefused(text.toStdString());
    }
    const bool answered = message.contains(QLatin1String("FATAL")) &&
                          !message.contains(QLatin1String("the database system is")) &&
                          !message.contains(QLatin1String("too many clients"));
    const bool connectionGone = !conn_ || pq().PQstatus(conn_) == CONNECTION_BAD;
    const QString text = QStringLiteral("The cloud server %1: %2 (%3)")
                             .arg(describe(uri_), what, message.isEmpty() ? what : message);
    close();
    // A server that answered with a refusal (an unknown database) is not away.
    if (connectionGone && !answered)
        throw StorageUnreachable(text.toStdString());
    throw StorageError(text.toStdString());
}

void PostgresConnection::failWith(pg_result* result) {
    const QString state = QString::fromLatin1(pq().PQresultErrorField(result, PG_DIAG_SQLSTATE));
    const QString message = oneLine(pq().PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
    pq().PQclear(result);
    if (meansUnreachable(state))
        lost(QStringLiteral("The cloud server %1 stopped: %2").arg(describe(uri_), message));
    if (state == QLatin1String("55P03"))
        throw StorageRowHeld(
            QStringLiteral("The cloud server refused: %1 (%2)").arg(message, state).toStdString());
    if (state == QLatin1String("57014"))
        throw StorageCutShort(
            QStringLiteral("The cloud server refused: %1 (%2)").arg(message, state).toStdString());
    throw StorageError(
        QStringLiteral("The cloud server refused: %1 (%2)").arg(message, state).toStdString());
}

void PostgresConnection::forgetPrepare(const Pending& pending) {
    // A statement that was prepared after all stays on the server under a name not used again.
    if (pending.kind == Pending::Kind::prepare)
        statements_.erase(pending.sql);
}

void PostgresConnection::lost(const QString& why) {
    close();
    throw StorageUnreachable(why.toStdString());
}

void PostgresConnection::flush() {
    const QDeadlineTimer deadline(timeoutMs_ + 1000);
    for (;;) {
        const int rc = pq().PQflush(conn_);
        if (rc == 0)
            return;
        if (rc < 0)
            lost(QStringLiteral("The connection to the cloud server %1 broke: %2")
                     .arg(describe(uri_), oneLine(pq().PQerrorMessage(conn_))));
        // The server may wait for us to read before it reads more.
        if (!waitFor(pq().PQsocket(conn_), POLLIN | POLLOUT, deadline))
            lost(QStringLiteral("The cloud server %1 did not take what was sent within %2 ms.")
                     .arg(describe(uri_))
                     .arg(timeoutMs_));
        if (!pq().PQconsumeInput(conn_))
            lost(QStringLiteral("The connection to the cloud server %1 broke: %2")
                     .arg(describe(uri_), oneLine(pq().PQerrorMessage(conn_))));
    }
}

// The next result the server sent, waiting for it; null marks the end of one statement's
// results (outside pipeline mode, of all of them).
pg_result* PostgresConnection::nextResult() {
    // The server gives up first (its statement and lock timeouts), so its error arrives.
    const QDeadlineTimer deadline(timeoutMs_ + std::min(timeoutMs_, 1000));
    while (pq().PQisBusy(conn_)) {
        if (!waitFor(pq().PQsocket(conn_), POLLIN, deadline))
            lost(QStringLiteral("The cloud server %1 did not answer within %2 ms.")
                     .arg(describe(uri_))
                     .arg(timeoutMs_));
        if (!pq().PQconsumeInput(conn_))
            lost(QStringLiteral("The connection to the cloud server %1 broke: %2")
                     .arg(describe(uri_), oneLine(pq().PQerrorMessage(conn_))));
    }
    return pq().PQgetResult(conn_);
}

void PostgresConnection::catchUp() {
    if (!behind_)
        return;
    behind_ = false;
    try {
        while (!pending_.empty()) {
            // A statement prepared there is checked still: one that failed is prepared anew.
            if (pending_.front().kind != Pending::Kind::sync &&
                pending_.front().kind != Pending::Kind::prepare)
                pending_.front().kind = Pending::Kind::ignored;
            take();
        }
        drain();
    } catch (const StorageUnreachable&) {
        throw;
    } catch (const StorageError&) {
        // A read-only step's commit failed after all: nothing was lost, but the pipeline
        // must be ended before the next step.
        recover();
    }
}

void PostgresConnection::syncLater() {
    if (!isOpen())
        throw StorageUnreachable("The connection to the cloud server is closed.");
    endPipelineStep();
    flush();
    behind_ = true;
}

void PostgresConnection::sendSync() {
    if (!isOpen())
        throw StorageUnreachable("The connection to the cloud server is closed.");
    catchUp();
    endPipelineStep();
    pending_.push_back({Pending::Kind::sync});
}

void PostgresConnection::readSent() {
    if (pending_.empty())
        return;
    if (!pq().PQsendFlushRequest(conn_))
        fail(QStringLiteral("cannot send a statement"));
    flush();
    while (!pending_.empty())
        take();
}

void PostgresConnection::sendKeeping(const char* sql, const std::vector<PgValue>& params,
                                     std::shared_ptr<std::optional<PgRows>> slot) {
    const std::string& name = prepared(sql, params);
    sendPrepared(name, params);
    pending_.push_back({Pending::Kind::kept, 0, std::move(slot)});
}

const std::string& PostgresConnection::prepared(const char* sql,
                                                const std::vector<PgValue>& params) {
    if (!isOpen())
        throw StorageUnreachable("The connection to the cloud server is closed.");
    catchUp();
    auto it = statements_.find(sql);
    if (it != statements_.end())
        return it->second;
    const std::string name = "tb" + std::to_string(++prepares_);
    std::vector<unsigned int> types;
    for (const PgValue& value : params)
        types.push_back(typeOid(value.type()));
    if (!pq().PQsendPrepare(conn_, name.c_str(), sql, int(types.size()), types.data()))
        fail(QStringLiteral("cannot prepare a statement"));
    pending_.push_back({Pending::Kind::prepare, 0, {}, sql});
    return statements_.emplace(sql, name).first->second;
}

void PostgresConnection::sendPrepared(const std::string& name, const std::vector<PgValue>& params) {
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats(params.size(), 1);
    for (const PgValue& value : params) {
        values.push_back(value.type() == PgValue::Type::null ? nullptr : value.data().constData());
        lengths.push_back(int(value.data().size()));
    }
    if (!pq().PQsendQueryPrepared(conn_, name.c_str(), int(params.size()), values.data(),
                                  lengths.data(), formats.data(), 1))
        fail(QStringLiteral("cannot send a statement"));
}

void PostgresConnection::send(const char* sql, const std::vector<PgValue>& params) {
    const std::string& name = prepared(sql, params);
    sendPrepared(name, params);
    pending_.push_back({Pending::Kind::command});
}

void PostgresConnection::sendOnce(const QByteArray& sql) {
    if (!isOpen())
        throw StorageUnreachable("The connection to the cloud server is closed.");
    catchUp();
    if (!pq().PQsendQueryParams(conn_, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 1))
        fail(QStringLiteral("cannot send a statement"));
    pending_.push_back({Pending::Kind::command});
}

QString PostgresConnection::quoteIdentifier(const QString& name) {
    if (!isOpen())
        throw StorageUnreachable("The connection to the cloud server is closed.");
    const QByteArray utf8 = name.toUtf8();
    char* quoted = pq().PQescapeIdentifier(conn_, utf8.constData(), size_t(utf8.size()));
    if (!quoted)
        throw StorageError("A name cannot be quoted for the server.");
    const QString out = QString::fromUtf8(quoted);
    pq().PQfreemem(quoted);
    return out;
}

void PostgresConnection::sendExpecting(const char* sql, const std::vector<PgValue>& params,
                                       qint64 expected) {
    const std::string& name = prepared(sql, params);
    sendPrepared(name, params);
    pending_.push_back({Pending::Kind::value, expected});
}

PgRows PostgresConnection::query(const char* sql, const std::vector<PgValue>& params, bool ending) {
    const std::string& name = prepared(sql, params);
    sendPrepared(name, params);
    pending_.push_back({Pending::Kind::rows});
    if (ending) {
        if (!pq().PQpipelineSync(conn_))
            fail(QStringLiteral("cannot send a statement"));
        ++syncs_;
    } else if (!pq().PQsendFlushRequest(conn_)) {
        fail(QStringLiteral("cannot send a statement"));
    }
    flush();
    for (;;) {
        const bool last = pending_.size() == 1;
        std::optional<PgRows> rows = take();
        if (!last)
            continue;
        if (ending)
            drain();
        return std::move(*rows);
    }
}

std::optional<PgRows> PostgresConnection::take() {
    const Pending next = pending_.front();
    pending_.pop_front();
    pg_result* result = nullptr;
    while (!result)
        result = nextResult();
    const ExecStatusType status = pq().PQresultStatus(result);
    if (next.kind == Pending::Kind::sync) {
        pq().PQclear(result);
        --syncs_;
        if (status != PGRES_PIPELINE_SYNC)
            throw StorageError("The cloud server's answers came out of step.");
        return std::nullopt;
    }
    if (next.kind == Pending::Kind::prepare && status != PGRES_COMMAND_OK)
        forgetPrepare(next);
    if (next.kind == Pending::Kind::ignored) {
        pq().PQclear(result);
        return std::nullopt;
    }
    if (status == PGRES_FATAL_ERROR)
        failWith(result);
    if (status == PGRES_PIPELINE_ABORTED) {
        pq().PQclear(result);
        throw StorageError("The cloud server dropped a statement after an earlier failure.");
    }
    switch (next.kind) {
    case Pending::Kind::prepare:
    case Pending::Kind::command:
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            failWith(result);
        pq().PQclear(result);
        return std::nullopt;
    case Pending::Kind::value: {
        PgRows rows(result);
        if (status != PGRES_TUPLES_OK || rows.size() != 1 || rows.integer(0, 0) != next.expected)
            throw StorageError("The container's sequence moved while it was held.");
        return std::nullopt;
    }
    case Pending::Kind::rows:
        if (status != PGRES_TUPLES_OK)
            failWith(result);
        return PgRows(result);
    case Pending::Kind::kept:
        if (status != PGRES_TUPLES_OK)
            failWith(result);
        next.slot->emplace(result);
        return std::nullopt;
    case Pending::Kind::ignored:
    case Pending::Kind::sync:
        break;
    }
    return std::nullopt;
}

void PostgresConnection::sync() {
    if (!isOpen())
        throw StorageUnreachable("The connection to the cloud server is closed.");
    catchUp();
    endPipelineStep();
    flush();
    drain();
}

void PostgresConnection::endPipelineStep() {
    if (!pq().PQpipelineSync(conn_))
        fail(QStringLiteral("cannot send"));
    ++syncs_;
}

void PostgresConnection::drain() {
    while (!pending_.empty())
        take();
    while (syncs_ > 0) {
        pg_result* result = nextResult();
        if (!result)
            continue;
        const ExecStatusType status = pq().PQresultStatus(result);
        pq().PQclear(result);
        if (status == PGRES_PIPELINE_SYNC)
            --syncs_;
    }
}

void PostgresConnection::recover() {
    if (!isOpen()) {
        close();
        return;
    }
    try {
        if (!pq().PQpipelineSync(conn_))
            throw StorageError("cannot send");
        ++syncs_;
        flush();
        // Whatever was pending failed or was dropped; only the end of the pipeline matters.
        while (syncs_ > 0) {
            pg_result* result = nextResult();
            if (!result)
                continue;
            const ExecStatusType status = pq().PQresultStatus(result);
            pq().PQclear(result);
            if (status == PGRES_PIPELINE_SYNC)
                --syncs_;
        }
        for (const Pending& pending : pending_)
            forgetPrepare(pending);
        pending_.clear();
        behind_ = false;
        if (pq().PQtransactionStatus(conn_) != PQTRANS_IDLE) {
            send("ROLLBACK");
            sync();
        }
    } catch (const std::exception&) {
        close();
    }
}

namespace {

// One host of an address as a URI writes it: a socket folder percent-encoded (a bare "/" would
// end the address's host part), an IPv6 address in brackets.
QString uriHost(const QString& host) {
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('/')))
        return QLatin1Char('[') + host + QLatin1Char(']');
    return QString::fromUtf8(QUrl::toPercentEncoding(host));
}

} // namespace

QString PostgresConnection::describe(const QString& uri) {
    if (!LibPq::get())
        return QStringLiteral("(a PostgreSQL address)");
    char* error = nullptr;
    PQconninfoOption* options = pq().PQconninfoParse(uri.toUtf8().constData(), &error);
    pq().PQfreemem(error);
    if (!options)
        return QStringLiteral("(an address that cannot be read)");
    QString user;
    QString host;
    QString port;
    QString dbname;
    // Every other parameter the address gives, in libpq's order, as the URI's query.
    QStringList query;
    for (PQconninfoOption* option = options; option->keyword; ++option) {
        if (!option->val)
            continue;
        const QString value = QString::fromUtf8(option->val);
        const QLatin1String key(option->keyword);
        if (key == QLatin1String("user"))
            user = value;
        else if (key == QLatin1String("host"))
            host = value;
        else if (key == QLatin1String("port"))
            port = value;
        else if (key == QLatin1String("dbname"))
            dbname = value;
        else if (key != QLatin1String("password") && key != QLatin1String("sslpassword"))
            query.append(key + QLatin1Char('=') +
                         QString::fromUtf8(QUrl::toPercentEncoding(value, "/:")));
    }
    pq().PQconninfoFree(options);
    // The same address as a URI that psql and libpq read back as it is, without the password.
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        text += QString::fromUtf8(QUrl::toPercentEncoding(user)) + QLatin1Char('@');
    // Several hosts go with one port each, or share one.
    const QStringList hosts = host.split(QLatin1Char(','));
    const QStringList ports = port.split(QLatin1Char(','));
    for (qsizetype i = 0; i < hosts.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += uriHost(hosts[i]);
        const QString& itsPort = ports.size() == hosts.size() ? ports[i] : ports.first();
        if (!itsPort.isEmpty())
            text += QLatin1Char(':') + itsPort;
    }
    text += QLatin1Char('/') + QString::fromUtf8(QUrl::toPercentEncoding(dbname));
    if (!query.isEmpty())
        text += QLatin1Char('?') + query.join(QLatin1Char('&'));
    return text;
}

std::optional<QString> PostgresConnection::checkUri(const QString& uri) {
    QString unloaded;
    if (!LibPq::get(&unloaded))
        return unloaded;
    char* error = nullptr;
    PQconninfoOption* options = pq().PQconninfoParse(uri.toUtf8().constData(), &error);
    // libpq's own message may quote the address, password and all.
    pq().PQfreemem(error);
    if (!options)
        return QStringLiteral("The cloud address is not a PostgreSQL connection URI that libpq "
                              "can read.");
    pq().PQconninfoFree(options);
    return std::nullopt;
}

} // namespace cloud
