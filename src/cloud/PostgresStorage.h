#pragma once

#include "ContainerStorage.h"
#include "PostgresConnection.h"

#include <map>
#include <mutex>

namespace cloud {

// Container tables on a PostgreSQL server that many machines reach, each person through their
// own role (see PostgresSchema for what the server lets a role do).
//
// Each step is one transaction at the repeatable-read level. A step that writes first locks
// the writer table, before it reads anything, so writers take turns and each sees all that
// came before it, while steps that only read run side by side on their own snapshot: together
// the same as running every step alone. A step said to read that writes after all is rolled
// back and run again as a writer. Writes are pipelined: they go out at once and are checked
// with the next read or the commit.
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
    qint64 nextSequence() override;

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

    std::vector<FaultRow> faults() override;
    void putFault(const FaultRow& row) override;
    void removeFault(qint64 id) override;
    void removeAllFaults() override;
    void consumeFault(FaultRow fault) override;

private:
    using ZoneKey = std::pair<QString, QString>;
    // What this step has read or written already. Valid for the whole step: a reader sees one
    // snapshot, and nobody else writes while a writer holds the writer table.
    struct StepCache {
        std::map<QString, std::optional<DeviceRow>> devices;
        std::map<QString, std::optional<UserRow>> users;
        std::map<ZoneKey, std::optional<ZoneRow>> zones;
        std::map<ZoneKey, std::vector<ParticipantRow>> participants;
        std::optional<std::vector<FaultRow>> faults;
        std::optional<qint64> sequence;
    };

    void open();
    PostgresConnection& reading();
    PostgresConnection& writing();

    PostgresConnection connection_;
    std::mutex mutex_;
    bool inStep_ = false;
    bool writer_ = false;
    QString containerId_;
    StepCache cache_;
};

} // namespace cloud
