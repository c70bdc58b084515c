// Container tables on a PostgreSQL server.
#include "PostgresStorage.h"

#include "PostgresSchema.h"
#include "RecordCoding.h"
#include "Share.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace cloud {

namespace {

// Thrown inside a step to run it again, rolled back: one that was to read only and wants to
// write runs again as one that writes; a writer that wants the container's mark runs again
// waiting for the writers of its rows first; a writer that needs a lock out of order or after
// it took change numbers runs again with its locks taken first; one that met a zone somebody
// else holds runs again without it. Not exceptions of the standard kind, so nothing on the way
// catches them.
struct StepWrites {};
struct StepSettles {};
struct StepLocks {};
struct StepWithout {};

// In a container of the first version, one row holds the sequence.
const char* const firstVersionSequenceQuery = "SELECT value FROM tallybird.sequence";
// A step may need a few locks more than it found at first; never this many.
constexpr int maxReruns = 100;

PgValue text(const QString& value) {
    return PgValue::text(value);
}
PgValue number(qint64 value) {
    return PgValue::integer(value);
}

QString namesToText(const std::optional<PersonNameComponents>& names) {
    return names ? QString::fromStdString(RecordCoding::toJson(*names).dump()) : QString();
}

std::optional<PersonNameComponents> namesFromText(const QString& value) {
    if (value.isEmpty())
        return std::nullopt;
    std::optional<PersonNameComponents> names;
    try {
        names = RecordCoding::namesFromJson(JsonRead::parse(value.toUtf8()));
    } catch (const DecodeError&) {
    }
    if (!names)
        throw StorageError("A stored user name does not decode.");
    return names;
}

DeviceRow deviceRow(const PgRows& rows, int i) {
    return DeviceRow{rows.text(i, 1), rows.optionalText(i, 2), rows.boolean(i, 3), rows.text(i, 0)};
}
ZoneRow zoneRow(const PgRows& rows, int i) {
    return ZoneRow{rows.text(i, 0), rows.text(i, 1), rows.text(i, 2), rows.integer(i, 3)};
}
RecordRow recordRow(const PgRows& rows, int i) {
    return RecordRow{rows.text(i, 0), rows.text(i, 1),  rows.text(i, 2),   rows.text(i, 3),
                     rows.text(i, 4), rows.bytes(i, 5), rows.integer(i, 6)};
}
ParticipantRow participantRow(const PgRows& rows, int i) {
    return ParticipantRow{rows.text(i, 0), rows.text(i, 1), rows.text(i, 2),   rows.text(i, 3),
                          rows.text(i, 4), rows.text(i, 5), rows.integer(i, 6)};
}

} // namespace

PostgresStorage::PostgresStorage(QString uri, int timeoutMs)
    : connection_(std::move(uri), timeoutMs), timeoutMs_(std::max(1, timeoutMs)) {}

PostgresStorage::~PostgresStorage() = default;

void PostgresStorage::createContainer(const QString& uri, int timeoutMs) {
    PostgresConnection connection(uri, timeoutMs);
    connection.open();
    try {
        PostgresSchema::create(connection);
    } catch (const StorageUnreachable&) {
        throw;
    } catch (const StorageError&) {
        connection.recover();
        throw;
    }
}

void PostgresStorage::open() {
    connection_.open();
    int version = 0;
    try {
        version = readMeta();
    } catch (const StorageUnreachable&) {
        throw;
    } catch (const StorageError& e) {
        connection_.close();
        throw StorageError(QStringLiteral("The database holds no Tallybird container this user "
                                          "may use (tallybird-cloud init makes one, create-user "
                                          "lets a person in): %1")
                               .arg(QString::fromUtf8(e.what()))
                               .toStdString());
    }
    if (version < PostgresSchema::version) {
        try {
            // Only the administrator may change the schema; people meanwhile use it as it is.
            if (connection_.query("SELECT tallybird.is_admin()", {}, true).boolean(0, 0)) {
                PostgresSchema::upgrade(connection_);
                version = PostgresSchema::version;
            }
        } catch (const StorageUnreachable&) {
            throw;
        } catch (const StorageError& e) {
            connection_.close();
            throw StorageError(QStringLiteral("The container could not be brought up to this "
                                              "version of Tallybird: %1")
                                   .arg(QString::fromUtf8(e.what()))
                                   .toStdString());
        }
    }
    firstVersion_ = version < PostgresSchema::zoneLocksVersion;
    runs_ = version >= PostgresSchema::runsVersion;
    sends_ = version >= PostgresSchema::sendsVersion;
}

int PostgresStorage::readMeta() {
    PgRows meta = connection_.query(
        "SELECT key, value FROM tallybird.meta WHERE key IN ('container', 'version')", {}, true);
    QString version;
    containerId_.clear();
    for (int i = 0; i < meta.size(); ++i) {
        if (meta.text(i, 0) == QLatin1String("container"))
            containerId_ = meta.text(i, 1);
        else
            version = meta.text(i, 1);
    }
    if (containerId_.isEmpty() || version.toInt() < 1)
        throw StorageError("The container's own rows are missing.");
    if (version.toInt() > PostgresSchema::version)
        throw StorageError("The database is a cloud container of a later version of "
                           "Tallybird.");
    return version.toInt();
}

bool PostgresStorage::upgradedMeanwhile() {
    try {
        if (!connection_.isOpen() || readMeta() < PostgresSchema::zoneLocksVersion)
            return false;
    } catch (const StorageError&) {
        return false;
    }
    firstVersion_ = false;
    return true;
}

void PostgresStorage::transact(Step step, const std::function<void()>& work) {
    std::lock_guard lock(mutex_);
    bool writes = step == Step::writing;
    bool settles = step == Step::reading;
    bool retried = false;
    bool upgraded = false;
    int reruns = 0;
    prelocks_.clear();
    told_.clear();
    busy_.clear();
    contended_.clear();
    // A step waits for zones somebody else holds for at most half its bound in all.
    waitLeftMs_ = timeoutMs_ / 2;
    for (;;) {
        const bool fresh = !connection_.isOpen();
        bool committing = false;
        try {
            if (fresh)
                open();
            cache_ = StepCache();
            writer_ = writes;
            inStep_ = true;
            begin(settles);
            work();
            writeEverything();
            committing = true;
            connection_.send("COMMIT");
            // A step that only read has nothing to lose at its commit: the next step reads
            // the answer first.
            if (writer_)
                connection_.sync();
            else
                connection_.syncLater();
            inStep_ = false;
            return;
        } catch (const StepWrites&) {
            inStep_ = false;
            connection_.recover();
            writes = true;
        } catch (const StepSettles&) {
            inStep_ = false;
            connection_.recover();
            settles = true;
        } catch (const StepLocks&) {
            inStep_ = false;
            connection_.recover();
            if (++reruns > maxReruns)
                throw StorageError("A step of the container kept needing more locks.");
        } catch (const StepWithout&) {
            // Each run goes on without one zone more than the run before: the runs end.
            inStep_ = false;
            connection_.recover();
        } catch (const StorageUnreachable& e) {
            inStep_ = false;
            connection_.close();
            // The commit was asked for: the server may have made it before the connection went.
            if (committing)
                throw StorageAnswerLost(e.what(), true);
            // A connection kept from an earlier step may have been dropped by a server that
            // restarted since. Nothing of this step was committed, so it runs again, once, on
            // a new connection.
            if (fresh || retried)
                throw;
            retried = true;
        } catch (const StorageError&) {
            inStep_ = false;
            connection_.recover();
            // The administrator upgraded the container while this connection used it the
            // first version's way: the step runs again the new way, once.
            if (!firstVersion_ || upgraded || committing || !upgradedMeanwhile())
                throw;
            upgraded = true;
        } catch (...) {
            inStep_ = false;
            connection_.recover();
            throw;
        }
    }
}

void PostgresStorage::begin(bool settles) {
    settled_ = false;
    if (firstVersion_) {
        connection_.send("BEGIN ISOLATION LEVEL REPEATABLE READ");
        if (writer_) {
            connection_.send("LOCK TABLE tallybird.writer IN EXCLUSIVE MODE");
        } else {
            // Every step that reads wants the sequence; it comes with the first answer.
            cache_.sequenceAnswer = std::make_shared<std::optional<PgRows>>();
            connection_.sendKeeping(firstVersionSequenceQuery, {}, cache_.sequenceAnswer);
        }
        return;
    }
    if (settles) {
        // The step's mark, in a transaction of its own: below what the writers that hold a row
        // of the caller's databases may still commit (a container of the third version waits
        // for them instead), so everything up to it is committed before the step begins. It
        // comes with the first answer.
        cache_.sequenceAnswer = std::make_shared<std::optional<PgRows>>();
        // A container of the fifth version says the top of the numbers handed out with it.
        connection_.sendKeeping("SELECT to_jsonb(s)::text FROM tallybird.settle() s", {},
                                cache_.sequenceAnswer);
        connection_.sendSync();
        settled_ = true;
    }
    connection_.send(writer_ ? "BEGIN ISOLATION LEVEL READ COMMITTED"
                             : "BEGIN ISOLATION LEVEL REPEATABLE READ");
    if (!writer_)
        return;
    waitForContended();
    std::vector<LockKey> keys;
    for (const LockKey& key : prelocks_) {
        if (std::get<0>(key) == 0 || !busy_.contains(ZoneKey{std::get<1>(key), std::get<2>(key)}))
            keys.push_back(key);
    }
    takeLocks(keys);
}

PostgresStorage::Hold PostgresStorage::lock(const LockKey& key) {
    if (firstVersion_ || !writer_)
        return Hold::held;
    if (auto known = cache_.locks.find(key); known != cache_.locks.end())
        return known->second.hold;
    if (std::get<0>(key) == 1 && busy_.contains(ZoneKey{std::get<1>(key), std::get<2>(key)}))
        return Hold::busy;
    // Writers take their locks in one order (people's rows, then zones by owner and name), so
    // that none waits for another in a circle.
    for (auto later = cache_.locks.upper_bound(key); later != cache_.locks.end(); ++later) {
        if (later->second.hold == Hold::held)
            relock({key});
    }
    Hold hold = Hold::refused;
    if (std::get<0>(key) == 0) {
        PgRows rows = connection_.query("SELECT tallybird.lock_feed($1)", {text(std::get<1>(key))});
        if (rows.boolean(0, 0))
            hold = Hold::held;
    } else {
        PgRows rows = connection_.query("SELECT tallybird.lock_zone($1, $2)",
                                        {text(std::get<1>(key)), text(std::get<2>(key))});
        const qint64 answer = rows.integer(0, 0);
        hold = answer == 0 ? Hold::held : answer == 1 ? Hold::absent : Hold::refused;
    }
    cache_.locks.emplace(key, Lock{hold, cache_.handedOut});
    if (hold == Hold::held) {
        // Values taken before this lock may not go into what it guards: they are dropped.
        cache_.blocks.clear();
        cache_.nextValue = 0;
    }
    return hold;
}

void PostgresStorage::stamped(const LockKey& key, qint64 seq) {
    if (firstVersion_ || !writer_)
        return;
    const Hold hold = lock(key);
    if (hold == Hold::busy)
        throw StorageError("A change went to a list that somebody else holds.");
    // A zone the caller may not lock refuses the write itself; one that is not there has
    // nothing to guard.
    if ((hold == Hold::held || hold == Hold::made) && seq <= cache_.locks[key].after)
        relock({key});
}

void PostgresStorage::relock(const std::vector<LockKey>& keys) {
    for (const auto& [other, taken] : cache_.locks) {
        if (taken.hold == Hold::held)
            prelocks_.insert(other);
    }
    prelocks_.insert(keys.begin(), keys.end());
    throw StepLocks();
}

std::set<std::pair<QString, QString>>
PostgresStorage::lockZones(const std::set<std::pair<QString, QString>>& zones,
                           const std::optional<QString>& maker) {
    writing();
    if (firstVersion_)
        return {};
    std::vector<LockKey> keys;
    if (maker && !cache_.locks.contains(LockKey{0, *maker, {}}))
        keys.emplace_back(0, *maker, QString());
    std::set<ZoneKey> held;
    for (const ZoneKey& zone : zones) {
        told_.insert(zone);
        const LockKey key{1, zone.first, zone.second};
        if (busy_.contains(zone))
            held.insert(zone);
        else if (!cache_.locks.contains(key))
            keys.push_back(key);
    }
    takeLocks(keys);
    return held;
}

std::set<QString> PostgresStorage::zonesThere(const QString& owner,
                                              const std::set<QString>& names) {
    nlohmann::json named = nlohmann::json::array();
    for (const QString& name : names)
        named.push_back(name.toStdString());
    PgRows rows = reading().query("SELECT name FROM tallybird.zones WHERE owner = $1 "
                                  "AND name IN (SELECT jsonb_array_elements_text($2::jsonb))",
                                  {text(owner), text(QString::fromStdString(named.dump()))});
    std::set<QString> there;
    for (int i = 0; i < rows.size(); ++i)
        there.insert(rows.text(i, 0));
    return there;
}

int PostgresStorage::momentMs() const {
    return std::clamp(timeoutMs_ / 8, 1, std::max(1, waitLeftMs_));
}

void PostgresStorage::waitForContended() {
    // Each alone, before the step takes any lock: a step that waits for a zone somebody else
    // holds keeps none of the person's other zones meanwhile, which their other devices would
    // read as held. The lock is let go of at once, with the savepoint it was taken in, and the
    // step takes it again in its order, in the transaction itself.
    while (!contended_.empty()) {
        const ZoneKey zone = *contended_.begin();
        contended_.erase(contended_.begin());
        if (waitLeftMs_ <= 0) {
            busy_.insert(zone);
            continue;
        }
        const int moment = momentMs();
        waitLeftMs_ -= moment;
        connection_.send("SAVEPOINT tallybird_wait");
        connection_.send("SELECT set_config('lock_timeout', $1, true)",
                         {text(QString::number(moment))});
        connection_.send("SELECT tallybird.lock_zone($1, $2)",
                         {text(zone.first), text(zone.second)});
        connection_.send("ROLLBACK TO SAVEPOINT tallybird_wait");
        connection_.send("RELEASE SAVEPOINT tallybird_wait");
        try {
            connection_.readSent();
        } catch (const StorageRowHeld&) {
            busy_.insert(zone);
            throw StepWithout();
        }
    }
}

// The server's answers to the locks a writer asked for at once, and the rows of those zones.
struct PostgresStorage::LockAnswers {
    std::vector<std::shared_ptr<std::optional<PgRows>>> locks;
    std::shared_ptr<std::optional<PgRows>> zones = std::make_shared<std::optional<PgRows>>();
};

void PostgresStorage::takeLocks(const std::vector<LockKey>& keys) {
    if (keys.empty() || firstVersion_ || !writer_)
        return;
    for (auto later = cache_.locks.upper_bound(keys.front()); later != cache_.locks.end();
         ++later) {
        if (later->second.hold == Hold::held)
            relock(keys);
    }
    // What went out before is answered first, so that a wait that runs out below is one of
    // these locks'.
    connection_.readSent();
    const LockAnswers answers = sendLocks(keys);
    try {
        connection_.readSent();
    } catch (const StorageRowHeld&) {
        // The first lock without an answer is the one whose wait ran out. A zone told of that
        // was only tried is waited for as the step runs again, before it takes any lock.
        for (size_t i = 0; i < keys.size(); ++i) {
            const ZoneKey zone{std::get<1>(keys[i]), std::get<2>(keys[i])};
            if (*answers.locks[i])
                continue;
            if (std::get<0>(keys[i]) != 1 || !told_.contains(zone))
                break;
            contended_.insert(zone);
            throw StepWithout();
        }
        throw;
    }
    noteLocks(keys, answers);
}

PostgresStorage::LockAnswers PostgresStorage::sendLocks(const std::vector<LockKey>& keys) {
    // Everything goes out at once: the locks in order, each zone told of only tried (a wait of
    // a millisecond, as short as the server waits), then the rows of the zones.
    LockAnswers answers;
    nlohmann::json zones = nlohmann::json::array();
    bool brief = false;
    const auto waitFor = [&](bool tried) {
        if (tried == brief)
            return;
        brief = tried;
        connection_.send("SELECT set_config('lock_timeout', $1, true)",
                         {text(QString::number(tried ? 1 : timeoutMs_))});
    };
    for (const auto& [kind, owner, name] : keys) {
        answers.locks.push_back(std::make_shared<std::optional<PgRows>>());
        if (kind == 0) {
            connection_.sendKeeping("SELECT tallybird.lock_feed($1)", {text(owner)},
                                    answers.locks.back());
            continue;
        }
        waitFor(told_.contains(ZoneKey{owner, name}));
        connection_.sendKeeping("SELECT tallybird.lock_zone($1, $2)", {text(owner), text(name)},
                                answers.locks.back());
        zones.push_back({{"owner", owner.toStdString()}, {"name", name.toStdString()}});
    }
    waitFor(false);
    if (!zones.empty())
        connection_.sendKeeping(
            "SELECT z.owner, z.name, z.incarnation, z.changed_seq FROM tallybird.zones z "
            "JOIN jsonb_to_recordset($1::jsonb) AS k(owner text, name text) "
            "ON z.owner = k.owner AND z.name = k.name",
            {text(QString::fromStdString(zones.dump()))}, answers.zones);
    return answers;
}

void PostgresStorage::noteLocks(const std::vector<LockKey>& keys, const LockAnswers& answers) {
    std::map<ZoneKey, ZoneRow> found;
    for (int i = 0; *answers.zones && i < (*answers.zones)->size(); ++i) {
        ZoneRow row = zoneRow(**answers.zones, i);
        found.emplace(ZoneKey{row.owner, row.name}, std::move(row));
    }
    bool took = false;
    for (size_t i = 0; i < keys.size(); ++i) {
        const auto& [kind, owner, name] = keys[i];
        const PgRows& answer = **answers.locks[i];
        Hold hold = Hold::refused;
        if (kind == 0) {
            hold = answer.boolean(0, 0) ? Hold::held : Hold::refused;
        } else {
            const qint64 said = answer.integer(0, 0);
            hold = said == 0 ? Hold::held : said == 1 ? Hold::absent : Hold::refused;
            // What the step reads of a zone it holds, or of one that was not there as it looked.
            const ZoneKey zone{owner, name};
            if (auto row = found.find(zone); row != found.end() && hold == Hold::held)
                cache_.zones.emplace(zone, row->second);
            else if (hold == Hold::absent)
                cache_.zones.emplace(zone, std::nullopt);
        }
        cache_.locks.emplace(keys[i], Lock{hold, cache_.handedOut});
        took = took || hold == Hold::held;
    }
    if (took) {
        // Values taken before these locks may not go into what they guard: they are dropped.
        cache_.blocks.clear();
        cache_.nextValue = 0;
    }
}

PostgresConnection& PostgresStorage::reading() {
    if (!inStep_)
        throw StorageError("The container was used outside a step.");
    return connection_;
}

PostgresConnection& PostgresStorage::writing() {
    if (!inStep_)
        throw StorageError("The container was used outside a step.");
    if (!writer_)
        throw StepWrites();
    return connection_;
}

std::optional<QString> PostgresStorage::sessionUser() {
    return reading().role();
}

bool PostgresStorage::hasUser(const QString& name) {
    PgRows rows = reading().query("SELECT tallybird.person_exists($1)", {text(name)});
    return rows.boolean(0, 0);
}

std::optional<QString> PostgresStorage::preparePerson(const QString& name) {
    return PostgresSchema::preparePerson(writing(), name);
}

QString PostgresStorage::containerId() {
    // Numbers handed out just before a crash of the server may be handed out again after it:
    // what a device was told in an earlier run of the server reads as from another container.
    if (!runs_ || firstVersion_)
        return containerId_;
    currentSequence(); // the mark comes with its run
    if (!cache_.run)
        throw StorageError("The container's mark came without the server's run.");
    return containerId_ + QLatin1Char('.') + *cache_.run;
}

void PostgresStorage::startNewRun() {
    // Only the administrator may (the server refuses anybody else); a container an earlier
    // version made is upgraded as its administrator opens it.
    writing().query("SELECT tallybird.new_run()");
}

qint64 PostgresStorage::currentSequence() {
    PostgresConnection& connection = reading();
    if (cache_.sequence)
        return *cache_.sequence;
    // A writer's mark would not wait for the writers of the caller's rows: it runs again,
    // waiting first.
    if (!firstVersion_ && !settled_)
        throw StepSettles();
    if (cache_.sequenceAnswer) {
        if (!*cache_.sequenceAnswer)
            connection.readSent();
        if (*cache_.sequenceAnswer && (*cache_.sequenceAnswer)->size() == 1 &&
            !(*cache_.sequenceAnswer)->isNull(0, 0)) {
            if (firstVersion_) {
                cache_.sequence = (*cache_.sequenceAnswer)->integer(0, 0);
            } else {
                const nlohmann::json mark = nlohmann::json::parse(
                    (*cache_.sequenceAnswer)->text(0, 0).toStdString(), nullptr, false);
                if (mark.is_number_integer()) {
                    cache_.sequence = mark.get<qint64>();
                } else if (mark.is_object() && mark.value("mark", nlohmann::json()).is_number() &&
                           mark.value("top", nlohmann::json()).is_number()) {
                    cache_.sequence = mark["mark"].get<qint64>();
                    cache_.top = mark["top"].get<qint64>();
                    if (mark.value("run", nlohmann::json()).is_string())
                        cache_.run = QString::fromStdString(mark["run"].get<std::string>());
                }
            }
        }
    }
    if (!cache_.sequence && firstVersion_) {
        PgRows rows = connection.query(firstVersionSequenceQuery);
        if (rows.size() == 1)
            cache_.sequence = rows.integer(0, 0);
    }
    if (!cache_.sequence)
        throw StorageError("The container has no sequence.");
    return *cache_.sequence;
}

QString PostgresStorage::changeMark() {
    const qint64 mark = currentSequence();
    // A writer at work on a list of the caller's keeps the mark below its change; the top of the
    // numbers handed out still moves with every change the caller may fetch meanwhile.
    if (cache_.top && *cache_.top > mark)
        return QStringLiteral("%1+%2").arg(mark).arg(*cache_.top);
    return QString::number(mark);
}

std::vector<std::pair<QString, QString>> PostgresStorage::heldZones() {
    // The first version's writers hold the whole container, never one zone.
    if (firstVersion_)
        return {};
    PgRows rows = reading().query("SELECT zone_owner, zone_name FROM tallybird.held_zones()");
    std::vector<std::pair<QString, QString>> held;
    for (int i = 0; i < rows.size(); ++i)
        held.emplace_back(rows.text(i, 0), rows.text(i, 1));
    return held;
}

qint64 PostgresStorage::nextSequence() {
    PostgresConnection& connection = writing();
    if (firstVersion_) {
        if (!cache_.sequence || cache_.nextValue == 0 || cache_.nextValue > *cache_.sequence) {
            // Values are taken in blocks that double, so a step of many changes moves the
            // sequence's row a few times rather than once per change (each move is a new
            // version of that row, which every later read in the step walks through). The
            // values a step leaves unused are never used: the sequence only has to grow.
            const qint64 count = std::clamp<qint64>(cache_.taken, 1, 1024);
            if (!cache_.sequence) {
                PgRows rows = connection.query("SELECT tallybird.take_sequence($1::integer)",
                                               {number(count)});
                cache_.sequence = rows.integer(0, 0);
            } else {
                // Nobody else moves the sequence while this step holds the writer table, so
                // the answer is known before it comes; it is checked with the next read.
                connection.sendExpecting("SELECT tallybird.take_sequence($1::integer)",
                                         {number(count)}, *cache_.sequence + count);
                cache_.sequence = *cache_.sequence + count;
            }
            cache_.nextValue = *cache_.sequence - count + 1;
            cache_.taken += count;
        }
        return cache_.nextValue++;
    }
    if (cache_.nextValue == 0 || cache_.nextValue > cache_.lastValue) {
        if (cache_.blocks.empty()) {
            // Blocks are asked for in numbers that double, so a step of many changes asks a
            // few times. The values a step leaves unused are never used: numbers only have to
            // grow.
            const qint64 count = std::clamp<qint64>(cache_.taken, 1, 64);
            PgRows rows =
                connection.query("SELECT tallybird.take_blocks($1::integer)", {number(count)});
            for (int i = 0; i < rows.size(); ++i)
                cache_.blocks.push_back(rows.integer(i, 0));
            cache_.taken += count;
            if (cache_.blocks.empty())
                throw StorageError("The container handed out no change numbers.");
        }
        cache_.nextValue = cache_.blocks.front();
        cache_.lastValue = cache_.nextValue + PostgresSchema::blockSize - 1;
        cache_.blocks.pop_front();
    }
    cache_.handedOut = cache_.nextValue;
    return cache_.nextValue++;
}

std::optional<UserRow> PostgresStorage::findUser(const QString& name) {
    auto cached = cache_.users.find(name);
    if (cached != cache_.users.end())
        return cached->second;
    PgRows rows =
        reading().query("SELECT name, names FROM tallybird.users WHERE name = $1", {text(name)});
    std::optional<UserRow> row;
    if (rows.size() == 1)
        row = UserRow{rows.text(0, 0), namesFromText(rows.text(0, 1))};
    cache_.users.emplace(name, row);
    return row;
}

void PostgresStorage::putUser(const UserRow& row) {
    writing().send("INSERT INTO tallybird.users (name, names) VALUES ($1, NULLIF($2, '')) "
                   "ON CONFLICT (name) DO UPDATE SET names = EXCLUDED.names",
                   {text(row.name), text(namesToText(row.nameComponents))});
    cache_.users.erase(row.name);
}

std::vector<UserRow> PostgresStorage::users() {
    PgRows rows = reading().query("SELECT name, names FROM tallybird.users ORDER BY name");
    std::vector<UserRow> out;
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(UserRow{rows.text(i, 0), namesFromText(rows.text(i, 1))});
    return out;
}

std::optional<DeviceRow> PostgresStorage::findDevice(const QString& id) {
    auto cached = cache_.devices.find(id);
    if (cached != cache_.devices.end())
        return cached->second;
    // A person sees only their own rows; the administrator gets the first of that id that a
    // person's role holds, and its own row (of a device no role has connected with yet) only
    // when there is none, so that a switch reaches the device as it connects.
    PgRows rows = reading().query("SELECT holder, id, user_name, offline FROM tallybird.devices "
                                  "WHERE id = $1 ORDER BY holder = session_user, holder LIMIT 1",
                                  {text(id)});
    std::optional<DeviceRow> row;
    if (rows.size() == 1)
        row = deviceRow(rows, 0);
    cache_.devices.emplace(id, row);
    return row;
}

void PostgresStorage::putDevice(const DeviceRow& row) {
    // A device signed into a user is that user's row; a signed-out one stays with its holder.
    writing().send(
        "INSERT INTO tallybird.devices (holder, id, user_name, offline) "
        "VALUES (COALESCE($3::text, NULLIF($4::text, ''), session_user::text), "
        "$1::text, $3::text, $2::boolean) "
        "ON CONFLICT (holder, id) DO UPDATE "
        "SET user_name = EXCLUDED.user_name, offline = EXCLUDED.offline",
        {text(row.id), PgValue::boolean(row.offline), PgValue::text(row.user), text(row.holder)});
    cache_.devices.erase(row.id);
}

std::vector<DeviceRow> PostgresStorage::devices() {
    PgRows rows = reading().query(
        "SELECT holder, id, user_name, offline FROM tallybird.devices ORDER BY id, holder");
    std::vector<DeviceRow> out;
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(deviceRow(rows, i));
    return out;
}

std::optional<ZoneRow> PostgresStorage::findZone(const QString& owner, const QString& name) {
    const ZoneKey key{owner, name};
    auto cached = cache_.zones.find(key);
    if (cached != cache_.zones.end())
        return cached->second;
    lock(LockKey{1, owner, name});
    PgRows rows = reading().query("SELECT owner, name, incarnation, changed_seq "
                                  "FROM tallybird.zones WHERE owner = $1 AND name = $2",
                                  {text(owner), text(name)});
    std::optional<ZoneRow> row;
    if (rows.size() == 1)
        row = zoneRow(rows, 0);
    if (auto touched = cache_.touched.find(key); row && touched != cache_.touched.end())
        row->changedSeq = touched->second;
    cache_.zones.emplace(key, row);
    return row;
}

void PostgresStorage::putZone(const ZoneRow& row) {
    writing();
    // A new zone joins its owner's databases: its number comes after the owner's row is held.
    const LockKey owner{0, row.owner, {}};
    stamped(owner, row.changedSeq);
    // The rules put only new zones; a zone's later changes go through touchZone.
    connection_.send(
        firstVersion_ ? "INSERT INTO tallybird.zones (owner, name, incarnation, "
                        "changed_seq) VALUES ($1, $2, $3, $4) "
                        "ON CONFLICT (owner, name) DO UPDATE "
                        "SET changed_seq = EXCLUDED.changed_seq"
                      : "INSERT INTO tallybird.zones (owner, name, incarnation, "
                        "changed_seq) VALUES ($1, $2, $3, $4)",
        {text(row.owner), text(row.name), text(row.incarnation), number(row.changedSeq)});
    if (auto held = cache_.locks.find(owner); held != cache_.locks.end())
        cache_.locks.insert_or_assign(LockKey{1, row.owner, row.name},
                                      Lock{Hold::made, held->second.after});
    cache_.zones.insert_or_assign(ZoneKey{row.owner, row.name}, row);
}

void PostgresStorage::touchZone(const QString& owner, const QString& name, qint64 seq) {
    writing();
    stamped(LockKey{1, owner, name}, seq);
    // Written once at the end of the step, not once per record: nobody else reads the zone
    // before this step ends.
    cache_.touched.insert_or_assign(ZoneKey{owner, name}, seq);
    auto cached = cache_.zones.find(ZoneKey{owner, name});
    if (cached != cache_.zones.end() && cached->second)
        cached->second->changedSeq = seq;
}

void PostgresStorage::writeTouchedZones() {
    for (const auto& [zone, seq] : cache_.touched)
        connection_.send(firstVersion_ ? "UPDATE tallybird.zones SET changed_seq = $3 "
                                         "WHERE owner = $1 AND name = $2"
                                       : "SELECT tallybird.touch_zone($1, $2, $3)",
                         {text(zone.first), text(zone.second), number(seq)});
    cache_.touched.clear();
}

void PostgresStorage::removeZone(const QString& owner, const QString& name) {
    writing();
    lock(LockKey{1, owner, name});
    cache_.touched.erase(ZoneKey{owner, name});
    connection_.send(firstVersion_ ? "DELETE FROM tallybird.zones WHERE owner = $1 AND name = $2"
                                   : "SELECT tallybird.remove_zone($1, $2)",
                     {text(owner), text(name)});
    cache_.zones.insert_or_assign(ZoneKey{owner, name}, std::nullopt);
}

std::vector<ZoneRow> PostgresStorage::zones(const QString& owner) {
    writeTouchedZones();
    PgRows rows = reading().query("SELECT owner, name, incarnation, changed_seq "
                                  "FROM tallybird.zones WHERE owner = $1 ORDER BY name",
                                  {text(owner)});
    std::vector<ZoneRow> out;
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(zoneRow(rows, i));
    return out;
}

std::vector<ZoneRow> PostgresStorage::allZones() {
    writeTouchedZones();
    PgRows rows = reading().query("SELECT owner, name, incarnation, changed_seq "
                                  "FROM tallybird.zones ORDER BY owner, name");
    std::vector<ZoneRow> out;
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(zoneRow(rows, i));
    return out;
}

std::optional<RecordRow> PostgresStorage::findRecord(const QString& owner, const QString& zone,
                                                     const QString& name) {
    lock(LockKey{1, owner, zone});
    const RecordKey key{owner, zone, name};
    if (auto written = cache_.recordWrites.find(key); written != cache_.recordWrites.end())
        return written->second;
    if (auto known = cache_.records.find(key); known != cache_.records.end())
        return known->second;
    PgRows rows = reading().query("SELECT owner, zone, name, type, tag, data, seq "
                                  "FROM tallybird.records "
                                  "WHERE owner = $1 AND zone = $2 AND name = $3",
                                  {text(owner), text(zone), text(name)});
    std::optional<RecordRow> row;
    if (rows.size() == 1)
        row = recordRow(rows, 0);
    cache_.records.emplace(key, row);
    return row;
}

void PostgresStorage::expectRecords(const QString& owner, const QString& zone,
                                    const std::vector<QString>& names) {
    lock(LockKey{1, owner, zone});
    nlohmann::json wanted = nlohmann::json::array();
    for (const QString& name : names) {
        const RecordKey key{owner, zone, name};
        if (!cache_.recordWrites.contains(key) && !cache_.records.contains(key))
            wanted.push_back(name.toStdString());
    }
    if (wanted.size() < 2)
        return;
    PgRows rows = reading().query(
        "SELECT owner, zone, name, type, tag, data, seq FROM tallybird.records "
        "WHERE owner = $1 AND zone = $2 AND name IN (SELECT jsonb_array_elements_text($3::jsonb))",
        {text(owner), text(zone), text(QString::fromStdString(wanted.dump()))});
    for (const auto& name : wanted)
        cache_.records.emplace(RecordKey{owner, zone, QString::fromStdString(name)}, std::nullopt);
    for (int i = 0; i < rows.size(); ++i) {
        RecordRow row = recordRow(rows, i);
        cache_.records.insert_or_assign(RecordKey{row.owner, row.zone, row.name}, std::move(row));
    }
}

void PostgresStorage::putRecord(const RecordRow& row) {
    writing();
    stamped(LockKey{1, row.owner, row.zone}, row.seq);
    cache_.recordWrites.insert_or_assign(RecordKey{row.owner, row.zone, row.name}, row);
}

void PostgresStorage::removeRecord(const QString& owner, const QString& zone, const QString& name) {
    writing();
    lock(LockKey{1, owner, zone});
    cache_.recordWrites.insert_or_assign(RecordKey{owner, zone, name}, std::nullopt);
}

void PostgresStorage::writeRecords() {
    if (cache_.recordWrites.empty())
        return;
    nlohmann::json puts = nlohmann::json::array();
    nlohmann::json removals = nlohmann::json::array();
    for (const auto& [key, row] : cache_.recordWrites) {
        const auto& [owner, zone, name] = key;
        if (!row) {
            removals.push_back({{"owner", owner.toStdString()},
                                {"zone", zone.toStdString()},
                                {"name", name.toStdString()}});
            continue;
        }
        puts.push_back({{"owner", owner.toStdString()},
                        {"zone", zone.toStdString()},
                        {"name", name.toStdString()},
                        {"type", row->type.toStdString()},
                        {"tag", row->tag.toStdString()},
                        {"data", row->data.toBase64().toStdString()},
                        {"seq", row->seq}});
    }
    if (!removals.empty())
        connection_.send(
            firstVersion_ ? "DELETE FROM tallybird.records r USING jsonb_to_recordset($1::jsonb) "
                            "AS d(owner text, zone text, name text) "
                            "WHERE r.owner = d.owner AND r.zone = d.zone AND r.name = d.name"
                          : "SELECT tallybird.remove_records($1::jsonb)",
            {text(QString::fromStdString(removals.dump()))});
    if (!puts.empty())
        connection_.send(
            "INSERT INTO tallybird.records (owner, zone, name, type, tag, data, seq) "
            "SELECT p.owner, p.zone, p.name, p.type, p.tag, decode(p.data, 'base64'), p.seq "
            "FROM jsonb_to_recordset($1::jsonb) AS p(owner text, zone text, name text, "
            "type text, tag text, data text, seq bigint) "
            "ON CONFLICT (owner, zone, name) DO UPDATE SET type = EXCLUDED.type, "
            "tag = EXCLUDED.tag, data = EXCLUDED.data, seq = EXCLUDED.seq",
            {text(QString::fromStdString(puts.dump()))});
    for (auto& [key, row] : cache_.recordWrites)
        cache_.records.insert_or_assign(key, std::move(row));
    cache_.recordWrites.clear();
}

std::vector<RecordRow> PostgresStorage::recordsSince(const QString& owner, const QString& zone,
                                                     qint64 seq) {
    lock(LockKey{1, owner, zone});
    writeRecords();
    PgRows rows = reading().query("SELECT owner, zone, name, type, tag, data, seq "
                                  "FROM tallybird.records "
                                  "WHERE owner = $1 AND zone = $2 AND seq > $3 ORDER BY seq",
                                  {text(owner), text(zone), number(seq)});
    std::vector<RecordRow> out;
    out.reserve(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(recordRow(rows, i));
    return out;
}

void PostgresStorage::removeZoneRecords(const QString& owner, const QString& zone) {
    writing();
    lock(LockKey{1, owner, zone});
    writeRecords();
    connection_.send(firstVersion_ ? "DELETE FROM tallybird.records WHERE owner = $1 AND zone = $2"
                                   : "SELECT tallybird.remove_zone_records($1, $2)",
                     {text(owner), text(zone)});
    std::erase_if(cache_.records, [&](const auto& entry) {
        return std::get<0>(entry.first) == owner && std::get<1>(entry.first) == zone;
    });
}

void PostgresStorage::putDeletion(const DeletionRow& row) {
    writing();
    stamped(LockKey{1, row.owner, row.zone}, row.seq);
    cache_.deletionWrites.insert_or_assign(RecordKey{row.owner, row.zone, row.name}, row);
}

void PostgresStorage::removeDeletion(const QString& owner, const QString& zone,
                                     const QString& name) {
    writing();
    lock(LockKey{1, owner, zone});
    cache_.deletionWrites.insert_or_assign(RecordKey{owner, zone, name}, std::nullopt);
}

void PostgresStorage::writeDeletions() {
    if (cache_.deletionWrites.empty())
        return;
    nlohmann::json puts = nlohmann::json::array();
    nlohmann::json removals = nlohmann::json::array();
    for (const auto& [key, row] : cache_.deletionWrites) {
        const auto& [owner, zone, name] = key;
        nlohmann::json entry{{"owner", owner.toStdString()},
                             {"zone", zone.toStdString()},
                             {"name", name.toStdString()}};
        if (!row) {
            removals.push_back(std::move(entry));
            continue;
        }
        entry["type"] = row->type.toStdString();
        entry["seq"] = row->seq;
        puts.push_back(std::move(entry));
    }
    if (!removals.empty())
        connection_.send(
            firstVersion_ ? "DELETE FROM tallybird.deletions r USING jsonb_to_recordset($1::jsonb) "
                            "AS d(owner text, zone text, name text) "
                            "WHERE r.owner = d.owner AND r.zone = d.zone AND r.name = d.name"
                          : "SELECT tallybird.remove_deletions($1::jsonb)",
            {text(QString::fromStdString(removals.dump()))});
    if (!puts.empty())
        connection_.send("INSERT INTO tallybird.deletions (owner, zone, name, type, seq) "
                         "SELECT p.owner, p.zone, p.name, p.type, p.seq "
                         "FROM jsonb_to_recordset($1::jsonb) "
                         "AS p(owner text, zone text, name text, type text, seq bigint) "
                         "ON CONFLICT (owner, zone, name) DO UPDATE "
                         "SET type = EXCLUDED.type, seq = EXCLUDED.seq",
                         {text(QString::fromStdString(puts.dump()))});
    cache_.deletionWrites.clear();
}

void PostgresStorage::writeEverything() {
    writeTouchedZones();
    writeRecords();
    writeDeletions();
}

std::vector<DeletionRow> PostgresStorage::deletionsSince(const QString& owner, const QString& zone,
                                                         qint64 seq) {
    lock(LockKey{1, owner, zone});
    writeDeletions();
    PgRows rows = reading().query("SELECT owner, zone, name, type, seq FROM tallybird.deletions "
                                  "WHERE owner = $1 AND zone = $2 AND seq > $3 ORDER BY seq",
                                  {text(owner), text(zone), number(seq)});
    std::vector<DeletionRow> out;
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(DeletionRow{rows.text(i, 0), rows.text(i, 1), rows.text(i, 2),
                                  rows.text(i, 3), rows.integer(i, 4)});
    return out;
}

void PostgresStorage::removeZoneDeletions(const QString& owner, const QString& zone) {
    writing();
    lock(LockKey{1, owner, zone});
    writeDeletions();
    connection_.send(firstVersion_
                         ? "DELETE FROM tallybird.deletions WHERE owner = $1 AND zone = $2"
                         : "SELECT tallybird.remove_zone_deletions($1, $2)",
                     {text(owner), text(zone)});
}

std::vector<ParticipantRow> PostgresStorage::participants(const QString& owner,
                                                          const QString& zone) {
    const ZoneKey key{owner, zone};
    auto cached = cache_.participants.find(key);
    if (cached != cache_.participants.end())
        return cached->second;
    lock(LockKey{1, owner, zone});
    PgRows rows = reading().query(
        "SELECT owner, zone, user_name, role, permission, acceptance, seq "
        "FROM tallybird.participants WHERE owner = $1 AND zone = $2 ORDER BY user_name",
        {text(owner), text(zone)});
    std::vector<ParticipantRow> out;
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(participantRow(rows, i));
    cache_.participants.emplace(key, out);
    return out;
}

std::vector<ParticipantRow> PostgresStorage::participations(const QString& user) {
    PgRows rows =
        reading().query("SELECT owner, zone, user_name, role, permission, acceptance, seq "
                        "FROM tallybird.participants WHERE user_name = $1 ORDER BY owner, zone",
                        {text(user)});
    std::vector<ParticipantRow> out;
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(participantRow(rows, i));
    return out;
}

void PostgresStorage::putParticipant(const ParticipantRow& row) {
    writing();
    // What the server lets a role write depends on who takes part: what was written while
    // the participants were as they were goes out first.
    writeEverything();
    // An update and an insert are told apart here: the server checks an insert's policy even
    // when it would turn into an update, and a participant may only update.
    std::vector<ParticipantRow> rows = participants(row.owner, row.zone);
    const auto it = std::find_if(rows.begin(), rows.end(),
                                 [&](const ParticipantRow& p) { return p.user == row.user; });
    stamped(LockKey{1, row.owner, row.zone}, row.seq);
    // A share accepted joins the participant's databases: its number comes after their row is
    // held.
    const QString accepted = rawValue(ParticipantAcceptanceStatus::accepted);
    if (row.user != row.owner && row.acceptance == accepted &&
        (it == rows.end() || it->acceptance != accepted))
        stamped(LockKey{0, row.user, {}}, row.seq);
    const std::vector<PgValue> values{text(row.owner), text(row.zone),       text(row.user),
                                      text(row.role),  text(row.permission), text(row.acceptance),
                                      number(row.seq)};
    if (it != rows.end()) {
        connection_.send("UPDATE tallybird.participants SET role = $4, permission = $5, "
                         "acceptance = $6, seq = $7 "
                         "WHERE owner = $1 AND zone = $2 AND user_name = $3",
                         values);
        *it = row;
    } else {
        connection_.send("INSERT INTO tallybird.participants "
                         "(owner, zone, user_name, role, permission, acceptance, seq) "
                         "VALUES ($1, $2, $3, $4, $5, $6, $7)",
                         values);
        rows.push_back(row);
    }
    cache_.participants.insert_or_assign(ZoneKey{row.owner, row.zone}, std::move(rows));
}

void PostgresStorage::removeParticipant(const QString& owner, const QString& zone,
                                        const QString& user) {
    writing();
    lock(LockKey{1, owner, zone});
    writeEverything();
    connection_.send(firstVersion_ ? "DELETE FROM tallybird.participants "
                                     "WHERE owner = $1 AND zone = $2 AND user_name = $3"
                                   : "SELECT tallybird.remove_participant($1, $2, $3)",
                     {text(owner), text(zone), text(user)});
    auto cached = cache_.participants.find(ZoneKey{owner, zone});
    if (cached != cache_.participants.end())
        std::erase_if(cached->second, [&](const ParticipantRow& p) { return p.user == user; });
}

void PostgresStorage::addZoneRemoval(const ZoneRemovalRow& row) {
    writing();
    const LockKey zone{1, row.zoneOwner, row.zoneName};
    const Hold hold = lock(zone);
    // A notice to oneself of a zone one may not lock (a share to read, left) comes under one's
    // own row.
    if (hold == Hold::refused && row.user == connection_.role())
        stamped(LockKey{0, row.user, {}}, row.seq);
    else
        stamped(zone, row.seq);
    connection_.send("INSERT INTO tallybird.zone_removals "
                     "(seq, user_name, scope, zone_owner, zone_name, reason) "
                     "VALUES ($1, $2, $3, $4, $5, $6)",
                     {number(row.seq), text(row.user), text(rawValue(row.scope)),
                      text(row.zoneOwner), text(row.zoneName), text(row.reason)});
}

std::vector<ZoneRemovalRow> PostgresStorage::zoneRemovalsSince(const QString& user,
                                                               DatabaseScope scope, qint64 seq) {
    PgRows rows = reading().query(
        "SELECT seq, user_name, zone_owner, zone_name, reason FROM tallybird.zone_removals "
        "WHERE user_name = $1 AND scope = $2 AND seq > $3 ORDER BY seq, id",
        {text(user), text(rawValue(scope)), number(seq)});
    std::vector<ZoneRemovalRow> out;
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(ZoneRemovalRow{rows.integer(i, 0), rows.text(i, 1), scope, rows.text(i, 2),
                                     rows.text(i, 3), rows.text(i, 4)});
    return out;
}

void PostgresStorage::putSend(const SendRow& row) {
    if (!sends_) {
        unnoted_.insert(row.device + QLatin1Char('\n') + row.id);
        return;
    }
    writing().send(
        "SELECT tallybird.note_send($1, $2, $3)",
        {text(row.device), text(row.id),
         PgValue::text(row.refused.isEmpty() ? std::nullopt
                                             : std::optional(QString::fromUtf8(row.refused)))});
}

std::optional<SendRow> PostgresStorage::settleSend(const QString& device, const QString& id) {
    if (!sends_ || unnoted_.contains(device + QLatin1Char('\n') + id))
        return std::nullopt;
    PgRows rows = writing().query("SELECT landed, refused FROM tallybird.settle_send($1, $2)",
                                  {text(device), text(id)});
    if (rows.size() != 1 || rows.isNull(0, 0))
        throw StorageError("A send's row went missing.");
    return SendRow{device, id, rows.boolean(0, 0), rows.text(0, 1).toUtf8()};
}

std::vector<FaultRow> PostgresStorage::faults() {
    if (!cache_.faults) {
        // The administrator gets every fault; a person only those aimed at their devices.
        PgRows rows = reading().query(
            "SELECT id, device, pattern, code, remaining FROM tallybird.device_faults()");
        std::vector<FaultRow> out;
        for (int i = 0; i < rows.size(); ++i)
            out.push_back(FaultRow{rows.integer(i, 0), rows.text(i, 1), rows.text(i, 2),
                                   int(rows.integer(i, 3)), int(rows.integer(i, 4))});
        cache_.faults = std::move(out);
    }
    return *cache_.faults;
}

void PostgresStorage::putFault(const FaultRow& row) {
    if (row.id == 0)
        writing().send(
            "INSERT INTO tallybird.faults (device, pattern, code, remaining) "
            "VALUES ($1, $2, $3, $4)",
            {text(row.device), text(row.pattern), number(row.code), number(row.remaining)});
    else
        writing().send("UPDATE tallybird.faults SET device = $2, pattern = $3, code = $4, "
                       "remaining = $5 WHERE id = $1",
                       {number(row.id), text(row.device), text(row.pattern), number(row.code),
                        number(row.remaining)});
    cache_.faults.reset();
}

void PostgresStorage::removeFault(qint64 id) {
    writing().send("DELETE FROM tallybird.faults WHERE id = $1", {number(id)});
    cache_.faults.reset();
}

void PostgresStorage::removeAllFaults() {
    writing().send("DELETE FROM tallybird.faults");
    cache_.faults.reset();
}

void PostgresStorage::consumeFault(FaultRow fault) {
    if (fault.remaining < 0)
        return;
    writing().send("SELECT tallybird.consume_fault($1)", {number(fault.id)});
    cache_.faults.reset();
}

} // namespace cloud
