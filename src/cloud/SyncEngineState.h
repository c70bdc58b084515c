#pragma once

#include "RecordID.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace cloud {

struct PendingDatabaseChange {
    enum class Kind { saveZone, deleteZone };
    Kind kind = Kind::saveZone;
    ZoneID zoneID;

    static PendingDatabaseChange saveZone(ZoneID zone) { return {Kind::saveZone, std::move(zone)}; }
    static PendingDatabaseChange deleteZone(ZoneID zone) {
        return {Kind::deleteZone, std::move(zone)};
    }
    bool operator==(const PendingDatabaseChange&) const = default;
};

struct PendingRecordZoneChange {
    enum class Kind { saveRecord, deleteRecord };
    Kind kind = Kind::saveRecord;
    RecordID recordID;

    static PendingRecordZoneChange saveRecord(RecordID id) {
        return {Kind::saveRecord, std::move(id)};
    }
    static PendingRecordZoneChange deleteRecord(RecordID id) {
        return {Kind::deleteRecord, std::move(id)};
    }
    bool operator==(const PendingRecordZoneChange&) const = default;
    bool operator<(const PendingRecordZoneChange& o) const {
        return kind != o.kind ? kind < o.kind : recordID < o.recordID;
    }
};

// What an engine keeps between runs, in the JSON form its owner stores: the account it last
// saw, its change tokens and its pending changes.
class StateSerialization {
public:
    QByteArray data() const { return data_; }
    // The serialization held in data, when it is one; anything else is absent.
    static std::optional<StateSerialization> fromData(const QByteArray& data);
    bool operator==(const StateSerialization&) const = default;

private:
    friend class SyncEngineState;
    explicit StateSerialization(QByteArray data) : data_(std::move(data)) {}
    QByteArray data_;
};

// An engine's state. Pending changes keep the order in which they were first added and hold
// no duplicates. Safe to use from the owner's thread while the engine works on its own.
class SyncEngineState {
public:
    SyncEngineState() = default;
    explicit SyncEngineState(const std::optional<StateSerialization>& saved);

    std::vector<PendingDatabaseChange> pendingDatabaseChanges() const;
    std::vector<PendingRecordZoneChange> pendingRecordZoneChanges() const;
    void add(const std::vector<PendingDatabaseChange>& changes);
    void remove(const std::vector<PendingDatabaseChange>& changes);
    void add(const std::vector<PendingRecordZoneChange>& changes);
    void remove(const std::vector<PendingRecordZoneChange>& changes);

    StateSerialization serialization() const;

    // --- for the engine ---

    // Adding a pending change that is already there renews it; a version tells the engine
    // whether a change was renewed while it was being sent, so that it stays pending.
    using Version = quint64;
    std::vector<std::pair<PendingDatabaseChange, Version>> versionedDatabaseChanges() const;
    std::vector<std::pair<PendingRecordZoneChange, Version>> versionedRecordZoneChanges() const;
    void removeIfUnchanged(const PendingDatabaseChange& change, Version version);
    void removeIfUnchanged(const PendingRecordZoneChange& change, Version version);

    std::optional<QString> account() const;
    // A new account: tokens and pending changes belong to the old one and are dropped.
    void resetForAccount(const std::optional<QString>& account);
    void setAccount(const std::optional<QString>& account);

    std::optional<QString> databaseToken() const;
    void setDatabaseToken(const QString& token);
    std::optional<QString> zoneToken(const ZoneID& zone) const;
    void setZoneToken(const ZoneID& zone, const QString& token);
    void removeZoneToken(const ZoneID& zone);

private:
    template <typename Change>
    static void addTo(std::vector<std::pair<Change, Version>>& list, const Change& change,
                      Version version);

    mutable std::mutex mutex_;
    std::optional<QString> account_;
    std::optional<QString> databaseToken_;
    std::map<ZoneID, QString> zoneTokens_;
    std::vector<std::pair<PendingDatabaseChange, Version>> databaseChanges_;
    std::vector<std::pair<PendingRecordZoneChange, Version>> recordChanges_;
    Version nextVersion_ = 1;
};

} // namespace cloud
