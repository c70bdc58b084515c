#include "SqliteStorage.h"

#include "RecordCoding.h"

#include "platform/RegularFile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <QUuid>

#include <sqlite3.h>

#include <unordered_map>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cloud {

namespace {

[[noreturn]] void raise(sqlite3* db, const char* what) {
    throw StorageError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no database"));
}

// A new container file is made for its owner only, whatever the umask; SQLite gives its journal
// files the same mode. Anything but a regular file in its place is refused: SQLite would wait
// for ever on a pipe's first read.
void prepareFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            throw StorageError("cannot open the container: " +
                               RegularFile::notRegular(info.st_mode).toStdString());
        return;
    }
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return; // made by another process meanwhile, or SQLite says what is wrong
    ::fchmod(fd, 0600);
    ::close(fd);
}

} // namespace

// One cached prepared statement, reset and cleared of bindings when this handle goes away.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    ~SqliteStatement() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& bind(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        check(
            sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
        return *this;
    }
    SqliteStatement& bind(int index, const std::optional<QString>& text) {
        return text ? bind(index, *text) : bindNull(index);
    }
    SqliteStatement& bind(int index, qint64 value) {
        check(sqlite3_bind_int64(stmt_, index, value));
        return *this;
    }
    SqliteStatement& bindBlob(int index, const QByteArray& data) {
        check(
            sqlite3_bind_blob(stmt_, index, data.constData(), int(data.size()), SQLITE_TRANSIENT));
        return *this;
    }
    SqliteStatement& bindNull(int index) {
        check(sqlite3_bind_null(stmt_, index));
        return *this;
    }

    // True while there is a row to read.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        raise(db_, "step");
    }
    void run() {
        while (step()) {
        }
    }

    QString text(int column) const {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return data ? QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column)) : QString();
    }
    std::optional<QString> optionalText(int column) const {
        if (sqlite3_column_type(stmt_, column) == SQLITE_NULL)
            return std::nullopt;
        return text(column);
    }
    qint64 integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    QByteArray blob(int column) const {
        const void* data = sqlite3_column_blob(stmt_, column);
        return data
                   ? QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(stmt_, column))
                   : QByteArray();
    }

private:
    void check(int rc) {
        if (rc != SQLITE_OK)
            raise(db_, "bind");
    }
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

namespace {

const char* const schema = R"sql(
CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS users (name TEXT PRIMARY KEY, names TEXT);
CREATE TABLE IF NOT EXISTS devices (id TEXT PRIMARY KEY, user TEXT, offline INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS zones (owner TEXT NOT NULL, name TEXT NOT NULL,
    incarnation TEXT NOT NULL, changed_seq INTEGER NOT NULL, PRIMARY KEY (owner, name));
CREATE TABLE IF NOT EXISTS records (owner TEXT NOT NULL, zone TEXT NOT NULL, name TEXT NOT NULL,
    type TEXT NOT NULL, tag TEXT NOT NULL, data BLOB NOT NULL, seq INTEGER NOT NULL,
    PRIMARY KEY (owner, zone, name));
CREATE INDEX IF NOT EXISTS records_by_seq ON records (owner, zone, seq);
CREATE TABLE IF NOT EXISTS deletions (owner TEXT NOT NULL, zone TEXT NOT NULL, name TEXT NOT NULL,
    type TEXT NOT NULL, seq INTEGER NOT NULL, PRIMARY KEY (owner, zone, name));
CREATE INDEX IF NOT EXISTS deletions_by_seq ON deletions (owner, zone, seq);
CREATE TABLE IF NOT EXISTS participants (owner TEXT NOT NULL, zone TEXT NOT NULL,
    user TEXT NOT NULL, role TEXT NOT NULL, permission TEXT NOT NULL, acceptance TEXT NOT NULL,
    seq INTEGER NOT NULL, PRIMARY KEY (owner, zone, user));
CREATE INDEX IF NOT EXISTS participants_by_user ON participants (user);
CREATE TABLE IF NOT EXISTS zone_removals (seq INTEGER NOT NULL, user TEXT NOT NULL,
    scope TEXT NOT NULL, zone_owner TEXT NOT NULL, zone_name TEXT NOT NULL, reason TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS zone_removals_by_user ON zone_removals (user, scope, seq);
CREATE TABLE IF NOT EXISTS faults (id INTEGER PRIMARY KEY AUTOINCREMENT, device TEXT NOT NULL,
    pattern TEXT NOT NULL, code INTEGER NOT NULL, remaining INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS sends (device TEXT NOT NULL, id TEXT NOT NULL,
    landed INTEGER NOT NULL, refused TEXT, at INTEGER NOT NULL, PRIMARY KEY (device, id));
CREATE INDEX IF NOT EXISTS sends_by_time ON sends (device, at);
)sql";

// The last table added to the schema, which a file made by an earlier build lacks.
const char* const latestTableTest =
    "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name = 'sends'";

// How long a device's sends are kept, in seconds (a month).
constexpr qint64 sendsKeptSeconds = 30 * 24 * 3600;

QString namesToText(const std::optional<PersonNameComponents>& names) {
    return names ? QString::fromStdString(RecordCoding::toJson(*names).dump()) : QString();
}

std::optional<PersonNameComponents> namesFromText(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    std::optional<PersonNameComponents> names;
    try {
        names = RecordCoding::namesFromJson(JsonRead::parse(text.toUtf8()));
    } catch (const DecodeError&) {
    }
    if (!names)
        throw StorageError("A stored user name does not decode.");
    return names;
}

} // namespace

SqliteStorage::SqliteStorage(const QString& path, int busyTimeoutMs, bool create) {
    if (create)
        prepareFile(path);
    const int rc = sqlite3_open_v2(
        path.toUtf8().constData(), &db_,
        SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw StorageError("cannot open the container: " + message);
    }
    try {
        sqlite3_busy_timeout(db_, busyTimeoutMs);
        // Looked at before the journal switch, which already writes to the file.
        checkContents(path);
        // Two processes opening a new file at once both switch it to WAL; the loser is told
        // "busy" at once, without the busy timeout, so it waits here the same way.
        execWhileBusy("PRAGMA journal_mode=WAL", busyTimeoutMs);
        exec("PRAGMA synchronous=NORMAL");
        createSchema(path);
    } catch (...) {
        // A connection with statements left open is not closed, and would leak.
        for (auto& [sql, stmt] : statements_)
            sqlite3_finalize(stmt);
        statements_.clear();
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

SqliteStorage::~SqliteStorage() {
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    sqlite3_close(db_);
}

void SqliteStorage::exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "error";
        sqlite3_free(message);
        throw StorageError(std::string("container file: ") + text);
    }
}

void SqliteStorage::execWhileBusy(const char* sql, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    while ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && !deadline.hasExpired()) {
        QThread::msleep(5);
        rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK)
        raise(db_, "container file");
}

SqliteStatement SqliteStorage::prepare(const char* sql) {
    std::lock_guard lock(mutex_);
    auto it = statements_.find(sql);
    if (it == statements_.end()) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
            SQLITE_OK)
            raise(db_, "prepare");
        it = statements_.emplace(sql, stmt).first;
    }
    return SqliteStatement(db_, it->second);
}

namespace {

// A container made before files were marked carries the container's own meta rows.
const char* const unmarkedContainerTest =
    "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name = 'meta'";

} // namespace

bool SqliteStorage::checkContents(const QString& path) {
    const auto integer = [this](const char* sql) {
        auto stmt = prepare(sql);
        if (!stmt.step())
            raise(db_, "container file");
        return stmt.integer(0);
    };
    qint64 id = 0;
    qint64 version = 0;
    qint64 tables = 0;
    try {
        id = integer("PRAGMA application_id");
        version = integer("PRAGMA user_version");
        tables = integer("SELECT count(*) FROM sqlite_schema");
    } catch (const StorageError&) {
        if (sqlite3_errcode(db_) != SQLITE_NOTADB)
            throw;
        throw StorageError(QStringLiteral("%1 is not a Tallybird cloud container (%2).")
                               .arg(path, QString::fromUtf8(sqlite3_errmsg(db_)))
                               .toStdString());
    }
    if (id == applicationId) {
        if (version > schemaVersion)
            throw StorageError(QStringLiteral("%1 is a cloud container of a later version of "
                                              "Tallybird; it was left as it is.")
                                   .arg(path)
                                   .toStdString());
        return version == schemaVersion && integer(latestTableTest) == 1;
    }
    if (id == 0 && tables == 0)
        return false;
    if (id == 0 && integer(unmarkedContainerTest) == 1) {
        auto meta = prepare("SELECT count(*) FROM meta WHERE key IN ('container', 'sequence')");
        if (meta.step() && meta.integer(0) == 2)
            return false;
    }
    throw StorageError(QStringLiteral("%1 is another program's database, not a Tallybird cloud "
                                      "container; it was left as it is.")
                           .arg(path)
                           .toStdString());
}

void SqliteStorage::createSchema(const QString& path) {
    // A container this version has set up already is only read, so that opening one while
    // another process writes to it waits for nobody.
    if (checkContents(path)) {
        auto find = prepare("SELECT value FROM meta WHERE key = 'container'");
        if (find.step()) {
            containerId_ = find.text(0);
            return;
        }
    }
    transact(Step::writing, [&] {
        // Again inside the transaction: another process may have set the file up meanwhile.
        const bool marked = checkContents(path);
        exec(schema);
        if (!marked) {
            exec(("PRAGMA application_id = " + std::to_string(applicationId)).c_str());
            exec(("PRAGMA user_version = " + std::to_string(schemaVersion)).c_str());
        }
        auto find = prepare("SELECT value FROM meta WHERE key = 'container'");
        if (find.step()) {
            containerId_ = find.text(0);
        } else {
            containerId_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
            prepare("INSERT INTO meta (key, value) VALUES ('container', ?1)")
                .bind(1, containerId_)
                .run();
            prepare("INSERT INTO meta (key, value) VALUES ('sequence', '0')").run();
        }
    });
}

void SqliteStorage::transact(Step, const std::function<void()>& work) {
    std::lock_guard lock(mutex_);
    exec("BEGIN IMMEDIATE");
    try {
        work();
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    try {
        exec("COMMIT");
    } catch (const StorageError& e) {
        // What a failed commit left on the disk is the file's to say, not this process's.
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw StorageAnswerLost(e.what(), false);
    }
}

QString SqliteStorage::containerId() {
    // Read anew each time: the run may have changed in another process.
    auto run = prepare("SELECT value FROM meta WHERE key = 'run'");
    if (!run.step())
        return containerId_;
    return containerId_ + QLatin1Char('.') + run.text(0);
}

void SqliteStorage::startNewRun() {
    prepare("INSERT OR REPLACE INTO meta (key, value) VALUES ('run', ?1)")
        .bind(1, QUuid::createUuid().toString(QUuid::Id128).left(12))
        .run();
}

qint64 SqliteStorage::currentSequence() {
    auto stmt = prepare("SELECT CAST(value AS INTEGER) FROM meta WHERE key = 'sequence'");
    if (!stmt.step())
        throw StorageError("The container has no sequence.");
    return stmt.integer(0);
}

qint64 SqliteStorage::nextSequence() {
    prepare("UPDATE meta SET value = CAST(value AS INTEGER) + 1 WHERE key = 'sequence'").run();
    return currentSequence();
}

std::optional<UserRow> SqliteStorage::findUser(const QString& name) {
    auto stmt = prepare("SELECT name, names FROM users WHERE name = ?1");
    stmt.bind(1, name);
    if (!stmt.step())
        return std::nullopt;
    return UserRow{stmt.text(0), namesFromText(stmt.text(1))};
}

void SqliteStorage::putUser(const UserRow& row) {
    prepare("INSERT OR REPLACE INTO users (name, names) VALUES (?1, ?2)")
        .bind(1, row.name)
        .bind(2, namesToText(row.nameComponents))
        .run();
}

std::vector<UserRow> SqliteStorage::users() {
    auto stmt = prepare("SELECT name, names FROM users ORDER BY name");
    std::vector<UserRow> rows;
    while (stmt.step())
        rows.push_back(UserRow{stmt.text(0), namesFromText(stmt.text(1))});
    return rows;
}

std::optional<DeviceRow> SqliteStorage::findDevice(const QString& id) {
    auto stmt = prepare("SELECT id, user, offline FROM devices WHERE id = ?1");
    stmt.bind(1, id);
    if (!stmt.step())
        return std::nullopt;
    return DeviceRow{stmt.text(0), stmt.optionalText(1), stmt.integer(2) != 0, {}};
}

void SqliteStorage::putDevice(const DeviceRow& row) {
    prepare("INSERT OR REPLACE INTO devices (id, user, offline) VALUES (?1, ?2, ?3)")
        .bind(1, row.id)
        .bind(2, row.user)
        .bind(3, qint64(row.offline ? 1 : 0))
        .run();
}

std::vector<DeviceRow> SqliteStorage::devices() {
    auto stmt = prepare("SELECT id, user, offline FROM devices ORDER BY id");
    std::vector<DeviceRow> rows;
    while (stmt.step())
        rows.push_back(DeviceRow{stmt.text(0), stmt.optionalText(1), stmt.integer(2) != 0, {}});
    return rows;
}

namespace {
ZoneRow zoneRow(const SqliteStatement& stmt) {
    return ZoneRow{stmt.text(0), stmt.text(1), stmt.text(2), stmt.integer(3)};
}
} // namespace

std::optional<ZoneRow> SqliteStorage::findZone(const QString& owner, const QString& name) {
    auto stmt = prepare("SELECT owner, name, incarnation, changed_seq FROM zones "
                        "WHERE owner = ?1 AND name = ?2");
    stmt.bind(1, owner).bind(2, name);
    if (!stmt.step())
        return std::nullopt;
    return zoneRow(stmt);
}

void SqliteStorage::putZone(const ZoneRow& row) {
    prepare("INSERT OR REPLACE INTO zones (owner, name, incarnation, changed_seq) "
            "VALUES (?1, ?2, ?3, ?4)")
        .bind(1, row.owner)
        .bind(2, row.name)
        .bind(3, row.incarnation)
        .bind(4, row.changedSeq)
        .run();
}

void SqliteStorage::removeZone(const QString& owner, const QString& name) {
    prepare("DELETE FROM zones WHERE owner = ?1 AND name = ?2").bind(1, owner).bind(2, name).run();
}

std::vector<ZoneRow> SqliteStorage::zones(const QString& owner) {
    auto stmt = prepare("SELECT owner, name, incarnation, changed_seq FROM zones "
                        "WHERE owner = ?1 ORDER BY name");
    stmt.bind(1, owner);
    std::vector<ZoneRow> rows;
    while (stmt.step())
        rows.push_back(zoneRow(stmt));
    return rows;
}

std::vector<ZoneRow> SqliteStorage::allZones() {
    auto stmt = prepare("SELECT owner, name, incarnation, changed_seq FROM zones "
                        "ORDER BY owner, name");
    std::vector<ZoneRow> rows;
    while (stmt.step())
        rows.push_back(zoneRow(stmt));
    return rows;
}

namespace {
RecordRow recordRow(const SqliteStatement& stmt) {
    return RecordRow{stmt.text(0), stmt.text(1), stmt.text(2),   stmt.text(3),
                     stmt.text(4), stmt.blob(5), stmt.integer(6)};
}
} // namespace

std::optional<RecordRow> SqliteStorage::findRecord(const QString& owner, const QString& zone,
                                                   const QString& name) {
    auto stmt = prepare("SELECT owner, zone, name, type, tag, data, seq FROM records "
                        "WHERE owner = ?1 AND zone = ?2 AND name = ?3");
    stmt.bind(1, owner).bind(2, zone).bind(3, name);
    if (!stmt.step())
        return std::nullopt;
    return recordRow(stmt);
}

void SqliteStorage::putRecord(const RecordRow& row) {
    prepare("INSERT OR REPLACE INTO records (owner, zone, name, type, tag, data, seq) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")
        .bind(1, row.owner)
        .bind(2, row.zone)
        .bind(3, row.name)
        .bind(4, row.type)
        .bind(5, row.tag)
        .bindBlob(6, row.data)
        .bind(7, row.seq)
        .run();
}

void SqliteStorage::removeRecord(const QString& owner, const QString& zone, const QString& name) {
    prepare("DELETE FROM records WHERE owner = ?1 AND zone = ?2 AND name = ?3")
        .bind(1, owner)
        .bind(2, zone)
        .bind(3, name)
        .run();
}

std::vector<RecordRow> SqliteStorage::recordsSince(const QString& owner, const QString& zone,
                                                   qint64 seq) {
    auto stmt = prepare("SELECT owner, zone, name, type, tag, data, seq FROM records "
                        "WHERE owner = ?1 AND zone = ?2 AND seq > ?3 ORDER BY seq");
    stmt.bind(1, owner).bind(2, zone).bind(3, seq);
    std::vector<RecordRow> rows;
    while (stmt.step())
        rows.push_back(recordRow(stmt));
    return rows;
}

void SqliteStorage::removeZoneRecords(const QString& owner, const QString& zone) {
    prepare("DELETE FROM records WHERE owner = ?1 AND zone = ?2")
        .bind(1, owner)
        .bind(2, zone)
        .run();
}

void SqliteStorage::putDeletion(const DeletionRow& row) {
    prepare("INSERT OR REPLACE INTO deletions (owner, zone, name, type, seq) "
            "VALUES (?1, ?2, ?3, ?4, ?5)")
        .bind(1, row.owner)
        .bind(2, row.zone)
        .bind(3, row.name)
        .bind(4, row.type)
        .bind(5, row.seq)
        .run();
}

void SqliteStorage::removeDeletion(const QString& owner, const QString& zone, const QString& name) {
    prepare("DELETE FROM deletions WHERE owner = ?1 AND zone = ?2 AND name = ?3")
        .bind(1, owner)
        .bind(2, zone)
        .bind(3, name)
        .run();
}

std::vector<DeletionRow> SqliteStorage::deletionsSince(const QString& owner, const QString& zone,
                                                       qint64 seq) {
    auto stmt = prepare("SELECT owner, zone, name, type, seq FROM deletions "
                        "WHERE owner = ?1 AND zone = ?2 AND seq > ?3 ORDER BY seq");
    stmt.bind(1, owner).bind(2, zone).bind(3, seq);
    std::vector<DeletionRow> rows;
    while (stmt.step())
        rows.push_back(
            DeletionRow{stmt.text(0), stmt.text(1), stmt.text(2), stmt.text(3), stmt.integer(4)});
    return rows;
}

void SqliteStorage::removeZoneDeletions(const QString& owner, const QString& zone) {
    prepare("DELETE FROM deletions WHERE owner = ?1 AND zone = ?2")
        .bind(1, owner)
        .bind(2, zone)
        .run();
}

namespace {
ParticipantRow participantRow(const SqliteStatement& stmt) {
    return ParticipantRow{stmt.text(0), stmt.text(1), stmt.text(2),   stmt.text(3),
                          stmt.text(4), stmt.text(5), stmt.integer(6)};
}
} // namespace

std::vector<ParticipantRow> SqliteStorage::participants(const QString& owner, const QString& zone) {
    auto stmt = prepare("SELECT owner, zone, user, role, permission, acceptance, seq "
                        "FROM participants WHERE owner = ?1 AND zone = ?2 ORDER BY user");
    stmt.bind(1, owner).bind(2, zone);
    std::vector<ParticipantRow> rows;
    while (stmt.step())
        rows.push_back(participantRow(stmt));
    return rows;
}

std::vector<ParticipantRow> SqliteStorage::participations(const QString& user) {
    auto stmt = prepare("SELECT owner, zone, user, role, permission, acceptance, seq "
                        "FROM participants WHERE user = ?1 ORDER BY owner, zone");
    stmt.bind(1, user);
    std::vector<ParticipantRow> rows;
    while (stmt.step())
        rows.push_back(participantRow(stmt));
    return rows;
}

void SqliteStorage::putParticipant(const ParticipantRow& row) {
    prepare("INSERT OR REPLACE INTO participants "
            "(owner, zone, user, role, permission, acceptance, seq) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")
        .bind(1, row.owner)
        .bind(2, row.zone)
        .bind(3, row.user)
        .bind(4, row.role)
        .bind(5, row.permission)
        .bind(6, row.acceptance)
        .bind(7, row.seq)
        .run();
}

void SqliteStorage::removeParticipant(const QString& owner, const QString& zone,
                                      const QString& user) {
    prepare("DELETE FROM participants WHERE owner = ?1 AND zone = ?2 AND user = ?3")
        .bind(1, owner)
        .bind(2, zone)
        .bind(3, user)
        .run();
}

void SqliteStorage::addZoneRemoval(const ZoneRemovalRow& row) {
    prepare("INSERT INTO zone_removals (seq, user, scope, zone_owner, zone_name, reason) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6)")
        .bind(1, row.seq)
        .bind(2, row.user)
        .bind(3, rawValue(row.scope))
        .bind(4, row.zoneOwner)
        .bind(5, row.zoneName)
        .bind(6, row.reason)
        .run();
}

std::vector<ZoneRemovalRow> SqliteStorage::zoneRemovalsSince(const QString& user,
                                                             DatabaseScope scope, qint64 seq) {
    auto stmt = prepare("SELECT seq, user, zone_owner, zone_name, reason FROM zone_removals "
                        "WHERE user = ?1 AND scope = ?2 AND seq > ?3 ORDER BY seq, rowid");
    stmt.bind(1, user).bind(2, rawValue(scope)).bind(3, seq);
    std::vector<ZoneRemovalRow> rows;
    while (stmt.step())
        rows.push_back(ZoneRemovalRow{stmt.integer(0), stmt.text(1), scope, stmt.text(2),
                                      stmt.text(3), stmt.text(4)});
    return rows;
}

void SqliteStorage::putSend(const SendRow& row) {
    // A row there already is a send given up: the insert fails, and the step with it.
    prepare("INSERT INTO sends (device, id, landed, refused, at) "
            "VALUES (?1, ?2, 1, ?3, CAST(strftime('%s', 'now') AS INTEGER))")
        .bind(1, row.device)
        .bind(2, row.id)
        .bind(3,
              row.refused.isEmpty() ? std::nullopt : std::optional(QString::fromUtf8(row.refused)))
        .run();
    prepare("DELETE FROM sends WHERE device = ?1 "
            "AND at < CAST(strftime('%s', 'now') AS INTEGER) - ?2")
        .bind(1, row.device)
        .bind(2, sendsKeptSeconds)
        .run();
}

std::optional<SendRow> SqliteStorage::settleSend(const QString& device, const QString& id) {
    prepare("INSERT OR IGNORE INTO sends (device, id, landed, at) "
            "VALUES (?1, ?2, 0, CAST(strftime('%s', 'now') AS INTEGER))")
        .bind(1, device)
        .bind(2, id)
        .run();
    auto stmt = prepare("SELECT landed, refused FROM sends WHERE device = ?1 AND id = ?2");
    stmt.bind(1, device).bind(2, id);
    if (!stmt.step())
        throw StorageError("A send's row went missing.");
    return SendRow{device, id, stmt.integer(0) != 0, stmt.text(1).toUtf8()};
}

std::vector<FaultRow> SqliteStorage::faults() {
    auto stmt = prepare("SELECT id, device, pattern, code, remaining FROM faults ORDER BY id");
    std::vector<FaultRow> rows;
    while (stmt.step())
        rows.push_back(FaultRow{stmt.integer(0), stmt.text(1), stmt.text(2), int(stmt.integer(3)),
                                int(stmt.integer(4))});
    return rows;
}

void SqliteStorage::putFault(const FaultRow& row) {
    if (row.id == 0) {
        prepare("INSERT INTO faults (device, pattern, code, remaining) VALUES (?1, ?2, ?3, ?4)")
            .bind(1, row.device)
            .bind(2, row.pattern)
            .bind(3, qint64(row.code))
            .bind(4, qint64(row.remaining))
            .run();
    } else {
        prepare("UPDATE faults SET device = ?2, pattern = ?3, code = ?4, remaining = ?5 "
                "WHERE id = ?1")
            .bind(1, row.id)
            .bind(2, row.device)
            .bind(3, row.pattern)
            .bind(4, qint64(row.code))
            .bind(5, qint64(row.remaining))
            .run();
    }
}

void SqliteStorage::removeFault(qint64 id) {
    prepare("DELETE FROM faults WHERE id = ?1").bind(1, id).run();
}

void SqliteStorage::removeAllFaults() {
    prepare("DELETE FROM faults").run();
}

} // namespace cloud
