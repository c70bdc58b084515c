#pragma once

#include <QByteArray>
#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

struct pg_conn;
struct pg_result;

namespace cloud {

// One value sent to the server or read from it: text, a whole number, bytes, a truth value or
// SQL's null. Values travel in the protocol's binary form, so nothing is quoted or parsed.
class PgValue {
public:
    enum class Type { null, text, integer, bytes, boolean };

    static PgValue null() { return PgValue(Type::null, {}); }
    static PgValue text(const QString& text) { return PgValue(Type::text, text.toUtf8()); }
    static PgValue text(const std::optional<QString>& text) {
        return text ? PgValue::text(*text) : null();
    }
    static PgValue integer(qint64 value);
    static PgValue bytes(const QByteArray& data) { return PgValue(Type::bytes, data); }
    static PgValue boolean(bool value) { return PgValue(Type::boolean, QByteArray(1, value)); }

    Type type() const { return type_; }
    const QByteArray& data() const { return data_; }

private:
    PgValue(Type type, QByteArray data) : type_(type), data_(std::move(data)) {}
    Type type_;
    QByteArray data_;
};

// The rows a statement returned; columns are read by position, in the binary form.
class PgRows {
public:
    explicit PgRows(pg_result* result);
    ~PgRows();
    PgRows(PgRows&& other) noexcept;
    PgRows& operator=(PgRows&&) = delete;
    PgRows(const PgRows&) = delete;
    PgRows& operator=(const PgRows&) = delete;

    int size() const;
    bool isNull(int row, int column) const;
    QString text(int row, int column) const;
    std::optional<QString> optionalText(int row, int column) const;
    qint64 integer(int row, int column) const; // a bigint, integer or smallint column
    QByteArray bytes(int row, int column) const;
    bool boolean(int row, int column) const;

private:
    pg_result* result_;
};

// A connection to a PostgreSQL server through libpq, in pipeline mode: statements whose result
// is only checked go out at once and are answered together with the next statement whose rows
// are needed, so a transaction of many writes costs few round trips. Every statement is
// prepared once per connection, every value is a bound parameter, and no wait for the server
// lasts longer than the connection's timeout: a server that does not answer in time is given
// up on (the connection is closed) and reported as unreachable.
//
// Not thread-safe: its owner serialises every call.
class PostgresConnection {
public:
    // `uri` is anything libpq takes as a connection string. Nothing is connected yet.
    PostgresConnection(QString uri, int timeoutMs);
    ~PostgresConnection();
    PostgresConnection(const PostgresConnection&) = delete;
    PostgresConnection& operator=(const PostgresConnection&) = delete;

    bool isOpen() const;
    // Connects, sets the server's own timeouts to the same bound and enters pipeline mode;
    // throws StorageUnreachable when the server cannot be reached in time, StorageError when
    // it refuses.
    void open();
    void close();
    // The role the server knows this connection as; empty before `open`.
    const QString& role() const { return role_; }

    // Queues a statement; its result is checked when the pipeline is next read.
    void send(const char* sql, const std::vector<PgValue>& params = {});
    // Queues a statement without preparing it (one that runs once, or takes no parameters).
    void sendOnce(const QByteArray& sql);
    // A name quoted for a statement that cannot take it as a parameter.
    QString quoteIdentifier(const QString& name);
    // Queues a statement whose rows are kept in `slot` when the pipeline is next read.
    void sendKeeping(const char* sql, const std::vector<PgValue>& params,
                     std::shared_ptr<std::optional<PgRows>> slot);
    // Ends the server's pipeline without waiting for its answers: they are read (and their
    // failures dropped) before the connection is next used. For the end of a step that only
    // read, whose commit cannot lose anything.
    void syncLater();
    // Ends the server's pipeline here without waiting for its answers, so that what was sent
    // before runs as a transaction of its own, committed before anything sent after begins.
    void sendSync();
    // Waits for the answers to everything sent so far (which fills the slots of
    // `sendKeeping`); throws the first failure.
    void readSent();
    // Queues a statement that returns one whole number, which must then be `expected`.
    void sendExpecting(const char* sql, const std::vector<PgValue>& params, qint64 expected);
    // Sends a statement and waits for its rows (and for everything queued before it); with
    // `ending`, ends the server's pipeline too, as `sync` does.
    PgRows query(const char* sql, const std::vector<PgValue>& params = {}, bool ending = false);
    // Waits for everything queued and ends the server's pipeline; throws the first failure.
    void sync();
    // After a failure: lets the server forget the failed pipeline and rolls back what was
    // begun. Closes the connection when even that does not work.
    void recover();

    // A connection string as a URI for messages: every parameter but the passwords, so that
    // psql given it reaches the server as the program does.
    static QString describe(const QString& uri);
    // A message of libpq's on one line, its lines joined as the sentences they are.
    static QString joinedLines(const QString& text);
    // Whether libpq can read the connection string; says why not.
    static std::optional<QString> checkUri(const QString& uri);

private:
    struct Pending {
        enum class Kind { prepare, command, value, rows, kept, ignored, sync } kind;
        qint64 expected = 0;
        std::shared_ptr<std::optional<PgRows>> slot = {};
        const char* sql = nullptr; // of a statement being prepared
    };

    const std::string& prepared(const char* sql, const std::vector<PgValue>& params);
    void sendPrepared(const std::string& name, const std::vector<PgValue>& params);
    void flush();
    // Reads the answers to everything pending, up to the end of the server's pipeline.
    void drain();
    // Ends what was sent so far with a pipeline sync, whose answer is counted in `syncs_`.
    void endPipelineStep();
    // Reads what `syncLater` left, before anything new is sent.
    void catchUp();
    pg_result* nextResult();
    // Reads the answer to the oldest pending statement; returns its rows when it has some.
    std::optional<PgRows> take();
    [[noreturn]] void fail(const QString& what);
    [[noreturn]] void failWith(pg_result* result);
    [[noreturn]] void lost(const QString& why);
    // A statement whose preparing failed, or was dropped after an earlier failure, is prepared
    // anew when next sent.
    void forgetPrepare(const Pending& pending);

    QString uri_;
    int timeoutMs_;
    pg_conn* conn_ = nullptr;
    QString role_;
    std::unordered_map<const char*, std::string> statements_; // by the text's address
    int prepares_ = 0; // statements prepared on this connection, for names never used twice
    std::deque<Pending> pending_;
    int syncs_ = 0;       // pipeline syncs sent whose answer has not been read
    bool behind_ = false; // answers sent by `syncLater` still to be read
};

} // namespace cloud
