#include "SyncEngineState.h"

#include "RecordCoding.h"

#include <algorithm>
#include <utility>

namespace cloud {

struct StateSerialization::Contents {
    std::optional<QString> account;
    std::optional<QString> databaseToken;
    std::optional<SyncEngineState::FetchUnderWay> fetchUnderWay;
    std::map<ZoneID, QString> zoneTokens;
    std::optional<int> stepLimit;
    PendingSnapshot<PendingDatabaseChange> databaseChanges;
    PendingSnapshot<PendingRecordZoneChange> recordChanges;

    // The JSON text, once made (or as it was read).
    mutable std::mutex dataMutex;
    mutable std::optional<QByteArray> data;
};

namespace {

constexpr int formatVersion = 1;

using Decoded = StateSerialization::Contents;

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

std::shared_ptr<Decoded> decode(const QByteArray& data) {
    if (JsonRead::hasRawNul(data) ||
        JsonRead::nestsDeeperThan(std::string_view(data.constData(), size_t(data.size()))))
        return nullptr;
    Json json = Json::parse(data.constData(), data.constData() + data.size(), nullptr, false);
    if (!json.is_object())
        return nullptr;
    auto version = json.find("version");
    if (version == json.end() || !version->is_number_integer() || *version != formatVersion)
        return nullptr;
    auto decoded = std::make_shared<Decoded>();
    Decoded& out = *decoded;
    if (!optionalText(json, "account", out.account) ||
        !optionalText(json, "databaseToken", out.databaseToken))
        return nullptr;
    auto tokens = json.find("zoneTokens");
    auto dbChanges = json.find("pendingDatabaseChanges");
    auto recordChanges = json.find("pendingRecordZoneChanges");
    if (tokens == json.end() || !tokens->is_array() || dbChanges == json.end() ||
        !dbChanges->is_array() || recordChanges == json.end() || !recordChanges->is_array())
        return nullptr;
    for (const Json& entry : *tokens) {
        if (!entry.is_object())
            return nullptr;
        auto zone = zoneFrom(entry);
        auto token = text(entry, "token");
        if (!zone || !token)
            return nullptr;
        out.zoneTokens[*zone] = *token;
    }
    // Written only while a fetch is under way; a state without it fetches from its database
    // token.
    if (auto fetch = json.find("fetchUnderWay"); fetch != json.end()) {
        auto token = fetch->is_object() ? text(*fetch, "token") : std::nullopt;
        auto zones = fetch->is_object() ? fetch->find("zones") : fetch->end();
        auto expired = fetch->is_object() ? fetch->find("expired") : fetch->end();
        if (!token || zones == fetch->end() || !zones->is_array() ||
            (expired != fetch->end() && !expired->is_boolean()))
            return nullptr;
        SyncEngineState::FetchUnderWay under{
            *token, {}, expired != fetch->end() && expired->get<bool>()};
        for (const Json& entry : *zones) {
            auto zone = entry.is_object() ? zoneFrom(entry) : std::nullopt;
            if (!zone)
                return nullptr;
            under.zones.push_back(*zone);
        }
        out.fetchUnderWay = std::move(under);
    }
    // Written only while a send is held to smaller steps; anything but a count is no limit.
    if (auto limit = json.find("stepLimit");
        limit != json.end() && limit->is_number_integer() && *limit > 0)
        out.stepLimit = int(std::min<qint64>(limit->get<qint64>(), 1 << 30));
    std::vector<PendingDatabaseChange> zonesPending;
    std::vector<PendingRecordZoneChange> recordsPending;
    for (const Json& entry : *dbChanges) {
        if (!entry.is_object())
            return nullptr;
        auto kind = text(entry, "change");
        auto zone = zoneFrom(entry);
        if (!kind || !zone)
            return nullptr;
        if (*kind == QLatin1String("saveZone"))
            zonesPending.push_back(PendingDatabaseChange::saveZone(*zone));
        else if (*kind == QLatin1String("deleteZone"))
            zonesPending.push_back(PendingDatabaseChange::deleteZone(*zone));
        else
            return nullptr;
    }
    for (const Json& entry : *recordChanges) {
        if (!entry.is_object())
            return nullptr;
        auto kind = text(entry, "change");
        auto zone = zoneFrom(entry);
        auto name = text(entry, "record");
        if (!kind || !zone || !name || name->isEmpty())
            return nullptr;
        RecordID id{*name, *zone};
        if (*kind == QLatin1String("saveRecord"))
            recordsPending.push_back(PendingRecordZoneChange::saveRecord(id));
        else if (*kind == QLatin1String("deleteRecord"))
            recordsPending.push_back(PendingRecordZoneChange::deleteRecord(id));
        else
            return nullptr;
    }
    out.databaseChanges.folded =
        std::make_shared<const std::vector<PendingDatabaseChange>>(std::move(zonesPending));
    out.recordChanges.folded =
        std::make_shared<const std::vector<PendingRecordZoneChange>>(std::move(recordsPending));
    out.data = data;
    return decoded;
}

} // namespace

std::optional<StateSerialization> StateSerialization::fromData(const QByteArray& data) {
    std::shared_ptr<Decoded> decoded = decode(data);
    if (!decoded)
        return std::nullopt;
    return StateSerialization(std::move(decoded));
}

SyncEngineState::SyncEngineState(const std::optional<StateSerialization>& saved) {
    if (!saved)
        return;
    const Decoded* decoded = saved->contents_.get();
    account_ = decoded->account;
    databaseToken_ = decoded->databaseToken;
    fetchUnderWay_ = decoded->fetchUnderWay;
    zoneTokens_ = decoded->zoneTokens;
    stepLimit_ = decoded->stepLimit;
    for (const auto& change : decoded->databaseChanges.changes())
        databaseChanges_.add(change, nextVersion_++);
    for (const auto& change : decoded->recordChanges.changes())
        recordChanges_.add(change, nextVersion_++);
}

template <typename Change> std::vector<Change> PendingSnapshot<Change>::changes() const {
    if (since.empty())
        return *folded;
    // Each change changed since the fold goes where its last step puts it: gone, or at the end.
    std::unordered_map<Change, size_t, PendingChangeHash> last;
    size_t step = 0;
    for (const auto& piece : since) {
        for (const Step& s : *piece)
            last[s.change] = step++;
    }
    std::vector<Change> out;
    out.reserve(folded->size() + last.size());
    for (const Change& change : *folded) {
        if (!last.contains(change))
            out.push_back(change);
    }
    step = 0;
    for (const auto& piece : since) {
        for (const Step& s : *piece) {
            if (!s.removed && last[s.change] == step)
                out.push_back(s.change);
            ++step;
        }
    }
    return out;
}

template <typename Change>
void SyncEngineState::PendingList<Change>::log(const Change& change, bool removed) {
    open_.push_back({change, removed});
    if (++logged_ < std::max(entries_.size(), size_t(1024)))
        return;
    folded_ = std::make_shared<const std::vector<Change>>(changes());
    sealed_.clear();
    open_.clear();
    logged_ = 0;
}

template <typename Change>
PendingSnapshot<Change> SyncEngineState::PendingList<Change>::snapshot() const {
    if (!open_.empty()) {
        sealed_.push_back(
            std::make_shared<const typename PendingSnapshot<Change>::Steps>(std::move(open_)));
        open_.clear();
    }
    return {folded_, sealed_};
}

template <typename Change>
void SyncEngineState::PendingList<Change>::add(const Change& change, Version version) {
    const auto found = index_.find(change);
    if (found != index_.end()) {
        found->second->second = version;
        return;
    }
    entries_.emplace_back(change, version);
    index_.emplace(change, std::prev(entries_.end()));
    log(change, false);
}

template <typename Change> void SyncEngineState::PendingList<Change>::remove(const Change& change) {
    const auto found = index_.find(change);
    if (found == index_.end())
        return;
    entries_.erase(found->second);
    index_.erase(found);
    log(change, true);
}

template <typename Change>
void SyncEngineState::PendingList<Change>::removeIfUnchanged(const Change& change,
                                                             Version version) {
    const auto found = index_.find(change);
    if (found != index_.end() && found->second->second == version)
        remove(change);
}

template <typename Change> void SyncEngineState::PendingList<Change>::clear() {
    entries_.clear();
    index_.clear();
    folded_ = std::make_shared<const std::vector<Change>>();
    sealed_.clear();
    open_.clear();
    logged_ = 0;
}

template <typename Change>
std::vector<std::pair<Change, SyncEngineState::Version>>
SyncEngineState::PendingList<Change>::versioned() const {
    return {entries_.begin(), entries_.end()};
}

template <typename Change>
std::vector<std::pair<Change, SyncEngineState::Version>>
SyncEngineState::PendingList<Change>::firstVersioned(
    size_t limit, const std::function<bool(const Change&)>& skip) const {
    std::vector<std::pair<Change, Version>> out;
    for (auto it = entries_.begin(); it != entries_.end() && out.size() < limit; ++it) {
        if (!skip(it->first))
            out.push_back(*it);
    }
    return out;
}

template <typename Change>
std::vector<Change> SyncEngineState::PendingList<Change>::changes() const {
    std::vector<Change> out;
    out.reserve(entries_.size());
    for (const auto& entry : entries_)
        out.push_back(entry.first);
    return out;
}

std::vector<PendingDatabaseChange> SyncEngineState::pendingDatabaseChanges() const {
    std::lock_guard lock(mutex_);
    return databaseChanges_.changes();
}

std::vector<PendingRecordZoneChange> SyncEngineState::pendingRecordZoneChanges() const {
    std::lock_guard lock(mutex_);
    return recordChanges_.changes();
}

void SyncEngineState::add(const std::vector<PendingDatabaseChange>& changes) {
    std::lock_guard lock(mutex_);
    for (const auto& change : changes)
        databaseChanges_.add(change, nextVersion_++);
}

void SyncEngineState::remove(const std::vector<PendingDatabaseChange>& changes) {
    std::lock_guard lock(mutex_);
    for (const auto& change : changes)
        databaseChanges_.remove(change);
}

void SyncEngineState::add(const std::vector<PendingRecordZoneChange>& changes) {
    std::lock_guard lock(mutex_);
    for (const auto& change : changes)
        recordChanges_.add(change, nextVersion_++);
}

void SyncEngineState::remove(const std::vector<PendingRecordZoneChange>& changes) {
    std::lock_guard lock(mutex_);
    for (const auto& change : changes)
        recordChanges_.remove(change);
}

std::vector<std::pair<PendingDatabaseChange, SyncEngineState::Version>>
SyncEngineState::versionedDatabaseChanges() const {
    std::lock_guard lock(mutex_);
    return databaseChanges_.versioned();
}

std::vector<std::pair<PendingRecordZoneChange, SyncEngineState::Version>>
SyncEngineState::versionedRecordZoneChanges() const {
    std::lock_guard lock(mutex_);
    return recordChanges_.versioned();
}

std::vector<std::pair<PendingRecordZoneChange, SyncEngineState::Version>>
SyncEngineState::firstVersionedRecordZoneChanges(
    size_t limit, const std::function<bool(const PendingRecordZoneChange&)>& skip) const {
    std::lock_guard lock(mutex_);
    return recordChanges_.firstVersioned(limit, skip);
}

void SyncEngineState::removeIfUnchanged(const PendingDatabaseChange& change, Version version) {
    std::lock_guard lock(mutex_);
    databaseChanges_.removeIfUnchanged(change, version);
}

void SyncEngineState::removeIfUnchanged(const PendingRecordZoneChange& change, Version version) {
    std::lock_guard lock(mutex_);
    recordChanges_.removeIfUnchanged(change, version);
}

std::optional<QString> SyncEngineState::account() const {
    std::lock_guard lock(mutex_);
    return account_;
}

void SyncEngineState::resetForAccount(const std::optional<QString>& account) {
    std::lock_guard lock(mutex_);
    account_ = account;
    databaseToken_.reset();
    fetchUnderWay_.reset();
    zoneTokens_.clear();
    stepLimit_.reset();
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

std::optional<SyncEngineState::FetchUnderWay> SyncEngineState::fetchUnderWay() const {
    std::lock_guard lock(mutex_);
    return fetchUnderWay_;
}

void SyncEngineState::setFetchUnderWay(std::optional<FetchUnderWay> fetch) {
    std::lock_guard lock(mutex_);
    fetchUnderWay_ = std::move(fetch);
}

std::vector<ZoneID> SyncEngineState::nextZonesToFetch(size_t limit) const {
    std::lock_guard lock(mutex_);
    if (!fetchUnderWay_)
        return {};
    const auto& zones = fetchUnderWay_->zones;
    return {zones.begin(), zones.begin() + ptrdiff_t(std::min(limit, zones.size()))};
}

void SyncEngineState::zoneFetched(const ZoneID& zone) {
    std::lock_guard lock(mutex_);
    if (fetchUnderWay_ && !fetchUnderWay_->zones.empty() && fetchUnderWay_->zones.front() == zone)
        fetchUnderWay_->zones.pop_front();
}

void SyncEngineState::endFetchUnderWay() {
    std::lock_guard lock(mutex_);
    if (fetchUnderWay_)
        databaseToken_ = std::exchange(fetchUnderWay_, std::nullopt)->token;
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

void SyncEngineState::removeZoneTokens() {
    std::lock_guard lock(mutex_);
    zoneTokens_.clear();
}

std::optional<int> SyncEngineState::stepLimit() const {
    std::lock_guard lock(mutex_);
    return stepLimit_;
}

void SyncEngineState::setStepLimit(std::optional<int> limit) {
    std::lock_guard lock(mutex_);
    stepLimit_ = limit;
}

StateSerialization SyncEngineState::serialization() const {
    auto contents = std::make_shared<StateSerialization::Contents>();
    std::lock_guard lock(mutex_);
    contents->account = account_;
    contents->databaseToken = databaseToken_;
    contents->fetchUnderWay = fetchUnderWay_;
    contents->zoneTokens = zoneTokens_;
    contents->stepLimit = stepLimit_;
    contents->databaseChanges = databaseChanges_.snapshot();
    contents->recordChanges = recordChanges_.snapshot();
    return StateSerialization(std::move(contents));
}

QByteArray StateSerialization::data() const {
    const Contents& c = *contents_;
    std::lock_guard lock(c.dataMutex);
    if (c.data)
        return *c.data;
    Json json = Json::object();
    json["version"] = formatVersion;
    json["account"] = c.account ? Json(utf8(*c.account)) : Json(nullptr);
    json["databaseToken"] = c.databaseToken ? Json(utf8(*c.databaseToken)) : Json(nullptr);
    Json tokens = Json::array();
    for (const auto& [zone, token] : c.zoneTokens) {
        Json entry = zoneJson(zone);
        entry["token"] = utf8(token);
        tokens.push_back(std::move(entry));
    }
    json["zoneTokens"] = std::move(tokens);
    if (c.fetchUnderWay) {
        Json zones = Json::array();
        for (const ZoneID& zone : c.fetchUnderWay->zones)
            zones.push_back(zoneJson(zone));
        json["fetchUnderWay"] =
            Json{{"token", utf8(c.fetchUnderWay->token)}, {"zones", std::move(zones)}};
        // Only when set, so that a state of an ordinary fetch reads as it always did.
        if (c.fetchUnderWay->expired)
            json["fetchUnderWay"]["expired"] = true;
    }
    Json dbChanges = Json::array();
    for (const auto& change : c.databaseChanges.changes()) {
        Json entry{{"change", change.kind == PendingDatabaseChange::Kind::saveZone ? "saveZone"
                                                                                   : "deleteZone"}};
        entry.update(zoneJson(change.zoneID));
        dbChanges.push_back(std::move(entry));
    }
    json["pendingDatabaseChanges"] = std::move(dbChanges);
    if (c.stepLimit)
        json["stepLimit"] = *c.stepLimit;
    Json recordChanges = Json::array();
    for (const auto& change : c.recordChanges.changes()) {
        Json entry{{"change", change.kind == PendingRecordZoneChange::Kind::saveRecord
                                  ? "saveRecord"
                                  : "deleteRecord"},
                   {"record", utf8(change.recordID.recordName)}};
        entry.update(zoneJson(change.recordID.zoneID));
        recordChanges.push_back(std::move(entry));
    }
    json["pendingRecordZoneChanges"] = std::move(recordChanges);
    c.data = QByteArray::fromStdString(json.dump());
    return *c.data;
}

} // namespace cloud
