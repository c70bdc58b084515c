#pragma once

#include "ContainerStorage.h"
#include "PostgresConnection.h"

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

namespace cloud {

// Container tables on a PostgreSQL server that many machines reach, each person through their
// own role (see PostgresSchema for what the server lets a role do).
//
// Each step is one transaction. A step that writes runs at the read-committed level and locks
// the row of each zone it reads or changes (and the person's own row before it adds a zone to
// their databases) before it takes any change number, so the writers of one zone take turns,
// each sees all the zone's writers before it, and a zone's numbers follow the order of their
// commits; writers of different zones go side by side. A step that reads first takes its mark,
// in a transaction of its own and without waiting for anybody: the highest number handed out
// so far, or less while a writer holds a row of the caller's databases, never less than a mark
// the caller was given before (see PostgresSchema); then it reads at the repeatable-read level
// on its own snapshot. Everything numbered up to the mark that it could fetch is in that
// snapshot, so a token never passes a change still to come; a token names the server's run too,
// since a crash may take back numbers handed out just before it, and one of an earlier run reads
// as expired. A look (a step that hands out no token) takes no mark. A step said to read that
// writes after all is rolled back and run again as a writer. A writer is told the zones it is
// about to change and locks them all at once, in one exchange and in order, so a batch's work
// grows with its size; one that finds it needs a lock out of order, or after it took numbers, is
// rolled back and run again with those locks taken first. A zone told of is only tried; when
// somebody else holds it, the step is rolled back, waits a moment for that zone alone, holding
// nothing (a writer of the person's own devices lets go within it), and runs again: with the zone
// once it was let go, else without it, and says so, so that a participant who keeps a shared zone
// holds up that zone alone, and none of the person's other zones is held while the step waits.
// Writes are pipelined: they go out at once and are checked with the next read or the commit.
//
// A container of the first version is upgraded when its administrator opens it; a person
// meanwhile uses it as that version did, with one lock that every writer takes.
//
// The connection is made on first use and again after it was lost, each time within the
// timeout, which also bounds every wait for the server (its statement and lock timeouts are
// set to it too). A server that cannot be reached throws StorageUnreachable.
class PostgresStorage final : public ContainerStorage {
public:
    PostgresStorage(QString uri, int timeoutMs);
    ~PostgresStorage() override;
    PostgresStorage(const PostgresStorage&) = delete;
    PostgresStorage& operator=(const PostgresStorage&) = delete;

    // Makes a container in the database `uri` names, which must hold nothing else; throws
    // StorageError when it cannot or may not.
    static void createContainer(const QString& uri, int timeoutMs);

    void transact(Step step, const std::function<void()>& work) override;
    std::optional<QString> sessionUser() override;
    bool hasUser(const QString& name) override;
    std::optional<QString> preparePerson(const QString& name) override;

    QString containerId() override;
    qint64 currentSequence() override;
    void startNewRun() override;
    qint64 nextSequence() override;
    QString changeMark() override;
    std::vector<std::pair<QString, QString>> heldZones() override;
    std::set<QString> zonesThere(const QString& owner, const std::set<QString>& names) override;
    std::set<std::pair<QString, QString>>
    lockZones(const std::set<std::pair<QString, QString>>& zones,
              const std::optional<QString>& maker) override;

    std::optional<UserRow> findUser(const QString& name) override;
    void putUser(const UserRow& row) override;
    std::vector<UserRow> users() override;

    std::optional<DeviceRow> findDevice(const QString& id) override;
    void putDevice(const DeviceRow& row) override;
    std::vector<DeviceRow> devices() override;

    std::optional<ZoneRow> findZone(const QString& owner, const QString& name) override;
    void putZone(const ZoneRow& row) override;
    void touchZone(const QString& owner, const QString& name, qint64 seq) override;
    void removeZone(const QString& owner, const QString& name) override;
    std::vector<ZoneRow> zones(const QString& owner) override;
    std::vector<ZoneRow> allZones() override;

    std::optional<RecordRow> findRecord(const QString& owner, const QString& zone,
                                        const QString& name) override;
    void expectRecords(const QString& owner, const QString& zone,
                       const std::vector<QString>& names) override;
    void putRecord(const RecordRow& row) override;
    void removeRecord(const QString& owner, const QString& zone, const QString& name) override;
    std::vector<RecordRow> recordsSince(const QString& owner, const QString& zone,
                                        qint64 seq) override;
    void removeZoneRecords(const QString& owner, const QString& zone) override;

    void putDeletion(const DeletionRow& row) override;
    void removeDeletion(const QString& owner, const QString& zone, const QString& name) override;
    std::vector<DeletionRow> deletionsSince(const QString& owner, const QString& zone,
                                            qint64 seq) override;
    void removeZoneDeletions(const QString& owner, const QString& zone) override;

    std::vector<ParticipantRow> participants(const QString& owner, const QString& zone) override;
    std::vector<ParticipantRow> participations(const QString& user) override;
    void putParticipant(const ParticipantRow& row) override;
    void removeParticipant(const QString& owner, const QString& zone, const QString& user) override;

    void addZoneRemoval(const ZoneRemovalRow& row) override;
    std::vector<ZoneRemovalRow> zoneRemovalsSince(const QString& user, DatabaseScope scope,
                                                  qint64 seq) override;

    void putSend(const SendRow& row) override;
    std::optional<SendRow> settleSend(const QString& device, const QString& id) override;

    std::vector<FaultRow> faults() override;
    void putFault(const FaultRow& row) override;
    void removeFault(qint64 id) override;
    void removeAllFaults() override;
    void consumeFault(FaultRow fault) override;

private:
    using ZoneKey = std::pair<QString, QString>;
    using RecordKey = std::tuple<QString, QString, QString>;
    // A row a writer locks: a person's (kind 0, the person) or a zone's (kind 1, owner and
    // name). Locks are taken in this order.
    using LockKey = std::tuple<int, QString, QString>;
    // A lock taken; a zone not there, or one the caller may not lock; a zone made in this
    // step, guarded by its owner's row; a zone somebody else holds, which the step goes on
    // without.
    enum class Hold { held, absent, refused, made, busy };
    struct Lock {
        Hold hold = Hold::refused;
        qint64 after = 0; // the highest change number handed out before it was taken
    };
    // What this step has read or written already. Valid for the whole step: a reader sees one
    // snapshot, and nobody else writes a zone while a writer holds its row.
    struct StepCache {
        std::map<QString, std::optional<DeviceRow>> devices;
        std::map<QString, std::optional<UserRow>> users;
        std::map<ZoneKey, std::optional<ZoneRow>> zones;
        std::map<ZoneKey, std::vector<ParticipantRow>> participants;
        std::optional<std::vector<FaultRow>> faults;
        std::optional<qint64> sequence; // the container's latest value, as this step sees it
        std::optional<qint64> top;      // the highest number handed out, when the mark says
        std::optional<QString> run;     // the server's run the mark was taken in, when it says
        // The same, asked for with the step's first statement when the step reads.
        std::shared_ptr<std::optional<PgRows>> sequenceAnswer;
        qint64 nextValue = 0; // values taken and not handed out yet: nextValue...
        qint64 lastValue = 0; // ...up to here (in a container of the first version, `sequence`)
        qint64 taken = 0;     // how many values (blocks in a container of the first version)
        std::deque<qint64> blocks; // first values of blocks taken and not begun yet
        qint64 handedOut = 0;      // the highest value handed out
        std::map<LockKey, Lock> locks;
        std::map<ZoneKey, qint64> touched; // zones' latest changes not written yet
        // Records as the server holds them (absent: none), read in this step...
        std::map<RecordKey, std::optional<RecordRow>> records;
        // ...and records and deletions to write: a row, or its removal. They go out together,
        // a statement or two for all, before anything reads those tables and at the end.
        std::map<RecordKey, std::optional<RecordRow>> recordWrites;
        std::map<RecordKey, std::optional<DeletionRow>> deletionWrites;
    };

    void open();
    // Reads the container's own rows; gives the container's version.
    int readMeta();
    // Whether the container turned out to be upgraded since this connection read its version.
    bool upgradedMeanwhile();
    void begin(bool settles);
    // The lock a writer needs before it reads or changes a zone (or adds one to a person's
    // databases); for a reader, or in a container of the first version, none is needed.
    Hold lock(const LockKey& key);
    // Takes locks not taken yet, in their order, in one exchange with the server. A zone told of
    // in lockZones is only tried: one that somebody else holds is waited for as the step runs
    // again (waitForContended).
    void takeLocks(const std::vector<LockKey>& keys);
    struct LockAnswers;
    LockAnswers sendLocks(const std::vector<LockKey>& keys);
    void noteLocks(const std::vector<LockKey>& keys, const LockAnswers& answers);
    // Waits for each zone whose try failed, a moment at most, holding no lock of the step; one
    // still held then is busy, and the step runs again without it.
    void waitForContended();
    // How long a zone told of in lockZones is waited for, in ms.
    int momentMs() const;
    // A change numbered `seq` goes into what `key` guards: the number must have been taken
    // after the lock was.
    void stamped(const LockKey& key, qint64 seq);
    [[noreturn]] void relock(const std::vector<LockKey>& keys);
    // Writes the zones' latest changes kept back until the step ends or reads zones.
    void writeTouchedZones();
    // Writes the records and deletions kept back until the step ends or reads them.
    void writeRecords();
    void writeDeletions();
    void writeEverything();
    PostgresConnection& reading();
    PostgresConnection& writing();

    PostgresConnection connection_;
    std::mutex mutex_;
    bool inStep_ = false;
    bool writer_ = false;
    bool settled_ = false;       // the step began by waiting for the writers of its rows
    bool firstVersion_ = false;  // the container is of the first version
    std::set<LockKey> prelocks_; // locks the step's next run takes before anything else
    QString containerId_;
    bool runs_ = false;  // the container names the server's run, which marks come with
    bool sends_ = false; // the container keeps the ids of devices' sends
    // Sends this storage let go unnoted while the container kept none (it was brought up to
    // date since): nobody can say what became of them.
    std::set<QString> unnoted_;

    const int timeoutMs_;
    std::set<ZoneKey> told_;      // zones the step told of in lockZones...
    std::set<ZoneKey> contended_; // ...those whose try failed, to wait for as it runs again...
    std::set<ZoneKey> busy_;      // ...and those somebody else held past the wait
    int waitLeftMs_ = 0;          // what the step may still spend waiting for such zones
    StepCache cache_;
};

} // namespace cloud
