#pragma once

#include "ContainerStorage.h"

#include <map>
#include <mutex>
#include <tuple>

namespace cloud {

// Container tables held in memory, for tests. A transaction holds a lock and restores a copy of
// the tables when its work throws.
class MemoryStorage final : public ContainerStorage {
public:
    MemoryStorage();

    void transact(Step step, const std::function<void()>& work) override;

    QString containerId() override { return tables_.containerId; }
    qint64 currentSequence() override { return tables_.sequence; }
    qint64 nextSequence() override { return ++tables_.sequence; }

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
    using Key2 = std::pair<QString, QString>;
    using Key3 = std::tuple<QString, QString, QString>;

    struct Tables {
        QString containerId;
        qint64 sequence = 0;
        qint64 lastFaultId = 0;
        std::map<QString, UserRow> users;
        std::map<QString, DeviceRow> devices;
        std::map<Key2, ZoneRow> zones;
        std::map<Key3, RecordRow> records;
        std::map<Key3, DeletionRow> deletions;
        std::map<Key3, ParticipantRow> participants;
        std::vector<ZoneRemovalRow> zoneRemovals;
        std::map<qint64, FaultRow> faults;
        std::map<Key2, SendRow> sends; // by device and id
    };

    std::recursive_mutex mutex_;
    Tables tables_;
};

} // namespace cloud
