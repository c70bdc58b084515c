#include "MemoryStorage.h"

#include <QUuid>

#include <algorithm>

namespace cloud {

namespace {

template <typename Map> auto valuesOf(const Map& map) {
    std::vector<typename Map::mapped_type> values;
    values.reserve(map.size());
    for (const auto& entry : map)
        values.push_back(entry.second);
    return values;
}

template <typename Map, typename Key> auto lookUp(const Map& map, const Key& key) {
    auto it = map.find(key);
    return it == map.end() ? std::nullopt : std::optional(it->second);
}

} // namespace

MemoryStorage::MemoryStorage() {
    tables_.containerId = QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void MemoryStorage::transact(Step, const std::function<void()>& work) {
    std::lock_guard lock(mutex_);
    Tables before = tables_;
    try {
        work();
    } catch (...) {
        tables_ = std::move(before);
        throw;
    }
}

std::optional<UserRow> MemoryStorage::findUser(const QString& name) {
    return lookUp(tables_.users, name);
}
void MemoryStorage::putUser(const UserRow& row) {
    tables_.users[row.name] = row;
}
std::vector<UserRow> MemoryStorage::users() {
    return valuesOf(tables_.users);
}

std::optional<DeviceRow> MemoryStorage::findDevice(const QString& id) {
    return lookUp(tables_.devices, id);
}
void MemoryStorage::putDevice(const DeviceRow& row) {
    tables_.devices[row.id] = row;
}
std::vector<DeviceRow> MemoryStorage::devices() {
    return valuesOf(tables_.devices);
}

std::optional<ZoneRow> MemoryStorage::findZone(const QString& owner, const QString& name) {
    return lookUp(tables_.zones, Key2{owner, name});
}
void MemoryStorage::putZone(const ZoneRow& row) {
    tables_.zones[Key2{row.owner, row.name}] = row;
}
void MemoryStorage::removeZone(const QString& owner, const QString& name) {
    tables_.zones.erase(Key2{owner, name});
}
std::vector<ZoneRow> MemoryStorage::zones(const QString& owner) {
    std::vector<ZoneRow> rows;
    for (const auto& [key, row] : tables_.zones) {
        if (row.owner == owner)
            rows.push_back(row);
    }
    return rows;
}
std::vector<ZoneRow> MemoryStorage::allZones() {
    return valuesOf(tables_.zones);
}

std::optional<RecordRow> MemoryStorage::findRecord(const QString& owner, const QString& zone,
                                                   const QString& name) {
    return lookUp(tables_.records, Key3{owner, zone, name});
}
void MemoryStorage::putRecord(const RecordRow& row) {
    tables_.records[Key3{row.owner, row.zone, row.name}] = row;
}
void MemoryStorage::removeRecord(const QString& owner, const QString& zone, const QString& name) {
    tables_.records.erase(Key3{owner, zone, name});
}
std::vector<RecordRow> MemoryStorage::recordsSince(const QString& owner, const QString& zone,
                                                   qint64 seq) {
    std::vector<RecordRow> rows;
    for (const auto& [key, row] : tables_.records) {
        if (row.owner == owner && row.zone == zone && row.seq > seq)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.seq < b.seq; });
    return rows;
}
void MemoryStorage::removeZoneRecords(const QString& owner, const QString& zone) {
    std::erase_if(tables_.records, [&](const auto& entry) {
        return entry.second.owner == owner && entry.second.zone == zone;
    });
}

void MemoryStorage::putDeletion(const DeletionRow& row) {
    tables_.deletions[Key3{row.owner, row.zone, row.name}] = row;
}
void MemoryStorage::removeDeletion(const QString& owner, const QString& zone, const QString& name) {
    tables_.deletions.erase(Key3{owner, zone, name});
}
std::vector<DeletionRow> MemoryStorage::deletionsSince(const QString& owner, const QString& zone,
                                                       qint64 seq) {
    std::vector<DeletionRow> rows;
    for (const auto& [key, row] : tables_.deletions) {
        if (row.owner == owner && row.zone == zone && row.seq > seq)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.seq < b.seq; });
    return rows;
}
void MemoryStorage::removeZoneDeletions(const QString& owner, const QString& zone) {
    std::erase_if(tables_.deletions, [&](const auto& entry) {
        return entry.second.owner == owner && entry.second.zone == zone;
    });
}

std::vector<ParticipantRow> MemoryStorage::participants(const QString& owner, const QString& zone) {
    std::vector<ParticipantRow> rows;
    for (const auto& [key, row] : tables_.participants) {
        if (row.owner == owner && row.zone == zone)
            rows.push_back(row);
    }
    return rows;
}
std::vector<ParticipantRow> MemoryStorage::participations(const QString& user) {
    std::vector<ParticipantRow> rows;
    for (const auto& [key, row] : tables_.participants) {
        if (row.user == user)
            rows.push_back(row);
    }
    return rows;
}
void MemoryStorage::putParticipant(const ParticipantRow& row) {
    tables_.participants[Key3{row.owner, row.zone, row.user}] = row;
}
void MemoryStorage::removeParticipant(const QString& owner, const QString& zone,
                                      const QString& user) {
    tables_.participants.erase(Key3{owner, zone, user});
}

void MemoryStorage::addZoneRemoval(const ZoneRemovalRow& row) {
    tables_.zoneRemovals.push_back(row);
}
std::vector<ZoneRemovalRow> MemoryStorage::zoneRemovalsSince(const QString& user,
                                                             DatabaseScope scope, qint64 seq) {
    std::vector<ZoneRemovalRow> rows;
    for (const auto& row : tables_.zoneRemovals) {
        if (row.user == user && row.scope == scope && row.seq > seq)
            rows.push_back(row);
    }
    return rows;
}

void MemoryStorage::putSend(const SendRow& row) {
    if (!tables_.sends.emplace(Key2{row.device, row.id}, row).second)
        throw StorageError("The send was given up before it came.");
}

std::optional<SendRow> MemoryStorage::settleSend(const QString& device, const QString& id) {
    return tables_.sends.try_emplace(Key2{device, id}, SendRow{device, id, false, {}})
        .first->second;
}

std::vector<FaultRow> MemoryStorage::faults() {
    return valuesOf(tables_.faults);
}
void MemoryStorage::putFault(const FaultRow& row) {
    FaultRow stored = row;
    if (stored.id == 0)
        stored.id = ++tables_.lastFaultId;
    tables_.faults[stored.id] = stored;
}
void MemoryStorage::removeFault(qint64 id) {
    tables_.faults.erase(id);
}
void MemoryStorage::removeAllFaults() {
    tables_.faults.clear();
}

} // namespace cloud
