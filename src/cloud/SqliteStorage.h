#pragma once

#include "ContainerStorage.h"

#include <mutex>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace cloud {

class SqliteStatement;

// Container tables in one SQLite file that several processes use at once: WAL journal, a busy
// timeout, and each transaction taken with BEGIN IMMEDIATE so writers queue instead of failing
// half-way. Every value goes through bound parameters.
//
// The file is marked as a container by SQLite's application id and its schema version by the
// user version. A database that belongs to something else is refused before anything is
// written to it; so is a container of a later schema. A table that earlier builds of this schema
// lack, and leave alone, is added as the file is opened (the sends of devices).
class SqliteStorage final : public ContainerStorage {
public:
    static constexpr int applicationId = 0x54424C59; // "TBLY"
    static constexpr int schemaVersion = 1;

    // Opens or creates the file; throws StorageError when it is not a usable container. Without
    // `create`, a file that is not there is not made: that is an error too.
    explicit SqliteStorage(const QString& path, int busyTimeoutMs = 10000, bool create = true);
    ~SqliteStorage() override;
    SqliteStorage(const SqliteStorage&) = delete;
    SqliteStorage& operator=(const SqliteStorage&) = delete;

    void transact(Step step, const std::function<void()>& work) override;

    QString containerId() override;
    qint64 currentSequence() override;
    void startNewRun() override;
    qint64 nextSequence() override;

    std::optional<UserRow> findUser(const QString& name) override;
    void putUser(const UserRow& row) override;
    std::vector<UserRow> users() override;

    std::optional<DeviceRow> findDevice(const QString& id) override;
    void putDevice(const DeviceRow& row) override;
    std::vector<DeviceRow> devices() override;

    std::optional<ZoneRow> findZone(const QString& owner, const QString& name) override;
    void putZone(const ZoneRow& row) override;
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

    void putSend(const SendRow& row) override;
    std::optional<SendRow> settleSend(const QString& device, const QString& id) override;

    std::vector<FaultRow> faults() override;
    void putFault(const FaultRow& row) override;
    void removeFault(qint64 id) override;
    void removeAllFaults() override;

private:
    void exec(const char* sql);
    void execWhileBusy(const char* sql, int timeoutMs);
    SqliteStatement prepare(const char* sql);
    // What the file holds, read without writing; throws when it is not ours to use.
    // True when the file is already marked as a container of this schema, with every table.
    bool checkContents(const QString& path);
    void createSchema(const QString& path);

    sqlite3* db_ = nullptr;
    std::recursive_mutex mutex_;
    std::unordered_map<const char*, sqlite3_stmt*> statements_; // by the text's address
    QString containerId_;
};

} // namespace cloud
