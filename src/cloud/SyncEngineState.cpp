#include "SyncEngineState.h"

#include "RecordCoding.h"

#include <algorithm>

namespace cloud {

namespace {

constexpr int formatVersion = 1;

struct Decoded {
    std::optional<QString> account;
    std::optional<QString> databaseToken;
    std::map<ZoneID, QString> zoneTokens;
    std::vector<PendingDatabaseChange> databaseChanges;
    std::vector<PendingRecordZoneChange> recordChanges;
};

Json zoneJson(const ZoneID& zone) {
    return Json{{"zone", utf8(zone.zoneName)}, {"owner", utf8(zone.ownerName)}};
}

std::optional<QString> text(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string())
        return std::nullopt;
    return fromUtf8(it->get<std::string>());
}

std::optional<ZoneID> zoneFrom(const Json& object) {
    auto zone = text(object, "zone");
    auto owner = text(object, "owner");
    if (!zone || !owner || zone->isEmpty() || owner->isEmpty())
        return std::nullopt;
    return ZoneID{*zone, *owner};
}

// Optional text under a key: missing or null is absent; any other non-text fails.
bool optionalText(const Json& object, const char* key, std::optional<QString>& out) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return true;
    if (!it->is_string())
        return false;
    out = fromUtf8(it->get<std::string>());
    return true;
}

std::optional<Decoded> decode(const QByteArray& data) {
    if (JsonRead::hasRawNul(data))
        return std::nullopt;
    Json json = Json::parse(data.constData(), data.constData() + data.size(), nullptr, false);
    if (!json.is_object())
        return std::nullopt;
    auto version = json.find("version");
    if (version == json.end() || !version->is_number_integer() || *version != formatVersion)
        return std::nullopt;
    Decoded out;
    if (!optionalText(json, "account", out.account) ||
        !optionalText(json, "databaseToken", out.databaseToken))
        return std::nullopt;
    auto tokens = json.find("zoneTokens");
    auto dbChanges = json.find("pendingDatabaseChanges");
    auto recordChanges = json.find("pendingRecordZoneChanges");
    if (tokens == json.end() || !tokens->is_array() || dbChanges == json.end() ||
        !dbChanges->is_array() || recordChanges == json.end() || !recordChanges->is_array())
        return std::nullopt;
    for (const Json& entry : *tokens) {
        if (!entry.is_object())
            return std::nullopt;
        auto zone = zoneFrom(entry);
        auto token = text(entry, "token");
        if (!zone || !token)
            return std::nullopt;
        out.zoneTokens[*zone] = *token;
    }
    for (const Json& entry : *dbChanges) {
        if (!entry.is_object())
            return std::nullopt;
        auto kind = text(entry, "change");
        auto zone = zoneFrom(entry);
        if (!kind || !zone)
            return std::nullopt;
        if (*kind == QLatin1String("saveZone"))
            out.databaseChanges.push_back(PendingDatabaseChange::saveZone(*zone));
        else if (*kind == QLatin1String("deleteZone"))
            out.databaseChanges.push_back(PendingDatabaseChange::deleteZone(*zone));
        else
            return std::nullopt;
    }
    for (const Json& entry : *recordChanges) {
        if (!entry.is_object())
            return std::nullopt;
        auto kind = text(entry, "change");
        auto zone = zoneFrom(entry);
        auto name = text(entry, "record");
        if (!kind || !zone || !name || name->isEmpty())
            return std::nullopt;
        RecordID id{*name, *zone};
        if (*kind == QLatin1String("saveRecord"))
            out.recordChanges.push_back(PendingRecordZoneChange::saveRecord(id));
        else if (*kind == QLatin1String("deleteRecord"))
            out.recordChanges.push_back(PendingRecordZoneChange::deleteRecord(id));
        else
            return std::nullopt;
    }
    return out;
}

template <typename Change> std::vector<Change> changesOf(const auto& list) {
    std::vector<Change> changes;
    changes.reserve(list.size());
    for (const auto& entry : list)
        changes.push_back(entry.first);
    return changes;
}

} // namespace

std::optional<StateSerialization> StateSerialization::fromData(const QByteArray& data) {
    if (!decode(data))
        return std::nullopt;
    return StateSerialization(data);
}

SyncEngineState::SyncEngineState(const std::optional<StateSerialization>& saved) {
    if (!saved)
        return;
    auto decoded = decode(saved->data());
    if (!decoded)
        return;
    account_ = decoded->account;
    databaseToken_ = decoded->databaseToken;
    zoneTokens_ = decoded->zoneTokens;
    for (const auto& change : decoded->databaseChanges)
        addTo(databaseChanges_, change, nextVersion_++);
    for (const auto& change : decoded->recordChanges)
        addTo(recordChanges_, change, nextVersion_++);
}

template <typename Change>
void SyncEngineState::addTo(std::vector<std::pair<Change, Version>>& list, const Change& change,
                            Version version) {
    for (auto& entry : list) {
        if (entry.first == change) {
            entry.second = version;
            return;
        }
    }
    list.emplace_back(change, version);
}

std::vector<PendingDatabaseChange> SyncEngineState::pendingDatabaseChanges() const {
    std::lock_guard lock(mutex_);
    return changesOf<PendingDatabaseChange>(databaseChanges_);
}

std::vector<PendingRecordZoneChange> SyncEngineState::pendingRecordZoneChanges() const {
    std::lock_guard lock(mutex_);
    return changesOf<PendingRecordZoneChange>(recordChanges_);
}

void SyncEngineState::add(const std::vector<PendingDatabaseChange>& changes) {
    std::lock_guard lock(mutex_);
    for (const auto& change : changes)
        addTo(databaseChanges_, change, nextVersion_++);
}

void SyncEngineState::remove(const std::vector<PendingDatabaseChange>& changes) {
    std::lock_guard lock(mutex_);
    std::erase_if(databaseChanges_, [&](const auto& entry) {
        return std::find(changes.begin(), changes.end(), entry.first) != changes.end();
    });
}

void SyncEngineState::add(const std::vector<PendingRecordZoneChange>& changes) {
    std::lock_guard lock(mutex_);
    for (const auto& change : changes)
        addTo(recordChanges_, change, nextVersion_++);
}

void SyncEngineState::remove(const std::vector<PendingRecordZoneChange>& changes) {
    std::lock_guard lock(mutex_);
    std::erase_if(recordChanges_, [&](const auto& entry) {
        return std::find(changes.begin(), changes.end(), entry.first) != changes.end();
    });
}

std::vector<std::pair<PendingDatabaseChange, SyncEngineState::Version>>
SyncEngineState::versionedDatabaseChanges() const {
    std::lock_guard lock(mutex_);
    return databaseChanges_;
}

std::vector<std::pair<PendingRecordZoneChange, SyncEngineState::Version>>
SyncEngineState::versionedRecordZoneChanges() const {
    std::lock_guard lock(mutex_);
    return recordChanges_;
}

void SyncEngineState::removeIfUnchanged(const PendingDatabaseChange& change, Version version) {
    std::lock_guard lock(mutex_);
    std::erase_if(databaseChanges_, [&](const auto& entry) {
        return entry.first == change && entry.second == version;
    });
}

void SyncEngineState::removeIfUnchanged(const PendingRecordZoneChange& change, Version version) {
    std::lock_guard lock(mutex_);
    std::erase_if(recordChanges_, [&](const auto& entry) {
        return entry.first == change && entry.second == version;
    });
}

std::optional<QString> SyncEngineState::account() const {
    std::lock_guard lock(mutex_);
    return account_;
}

void SyncEngineState::resetForAccount(const std::optional<QString>& account) {
    std::lock_guard lock(mutex_);
    account_ = account;
    databaseToken_.reset();
    zoneTokens_.clear();
    databaseChanges_.clear();
    recordChanges_.clear();
}

void SyncEngineState::setAccount(const std::optional<QString>& account) {
    std::lock_guard lock(mutex_);
    account_ = account;
}

std::optional<QString> SyncEngineState::databaseToken() const {
    std::lock_guard lock(mutex_);
    return databaseToken_;
}

void SyncEngineState::setDatabaseToken(const QString& token) {
    std::lock_guard lock(mutex_);
    databaseToken_ = token;
}

std::optional<QString> SyncEngineState::zoneToken(const ZoneID& zone) const {
    std::lock_guard lock(mutex_);
    auto it = zoneTokens_.find(zone);
    return it == zoneTokens_.end() ? std::nullopt : std::optional(it->second);
}

void SyncEngineState::setZoneToken(const ZoneID& zone, const QString& token) {
    std::lock_guard lock(mutex_);
    zoneTokens_[zone] = token;
}

void SyncEngineState::removeZoneToken(const ZoneID& zone) {
    std::lock_guard lock(mutex_);
    zoneTokens_.erase(zone);
}

StateSerialization SyncEngineState::serialization() const {
    std::lock_guard lock(mutex_);
    Json json = Json::object();
    json["version"] = formatVersion;
    json["account"] = account_ ? Json(utf8(*account_)) : Json(nullptr);
    json["databaseToken"] = databaseToken_ ? Json(utf8(*databaseToken_)) : Json(nullptr);
    Json tokens = Json::array();
    for (const auto& [zone, token] : zoneTokens_) {
        Json entry = zoneJson(zone);
        entry["token"] = utf8(token);
        tokens.push_back(std::move(entry));
    }
    json["zoneTokens"] = std::move(tokens);
    Json dbChanges = Json::array();
    for (const auto& [change, version] : databaseChanges_) {
        Json entry{{"change", change.kind == PendingDatabaseChange::Kind::saveZone ? "saveZone"
                                                                                   : "deleteZone"}};
        entry.update(zoneJson(change.zoneID));
        dbChanges.push_back(std::move(entry));
    }
    json["pendingDatabaseChanges"] = std::move(dbChanges);
    Json recordChanges = Json::array();
    for (const auto& [change, version] : recordChanges_) {
        Json entry{{"change", change.kind == PendingRecordZoneChange::Kind::saveRecord
                                  ? "saveRecord"
                                  : "deleteRecord"},
                   {"record", utf8(change.recordID.recordName)}};
        entry.update(zoneJson(change.recordID.zoneID));
        recordChanges.push_back(std::move(entry));
    }
    json["pendingRecordZoneChanges"] = std::move(recordChanges);
    return StateSerialization(QByteArray::fromStdString(json.dump()));
}

} // namespace cloud
