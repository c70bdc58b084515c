#pragma once

#include "RecordID.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QString>

#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
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

// Pending changes by themselves, for look-ups among tens of thousands of them.
struct PendingChangeHash {
    size_t operator()(const PendingDatabaseChange& change) const {
        return qHashMulti(0, change.zoneID.zoneName, change.zoneID.ownerName, int(change.kind));
    }
    size_t operator()(const PendingRecordZoneChange& change) const {
        const RecordID& id = change.recordID;
        return qHashMulti(0, id.recordName, id.zoneID.zoneName, id.zoneID.ownerName,
                          int(change.kind));
    }
};

// A pending list as it was at one moment: the list at its last fold, and the changes added and
// removed since, in steps that later moments share. Taken after every batch of a send, it costs
// what changed since the fold, not the whole list; the list itself is worked out when asked for.
template <typename Change> struct PendingSnapshot {
    struct Step {
        Change change;
        bool removed = false;
    };
    using Steps = std::vector<Step>;
    std::shared_ptr<const std::vector<Change>> folded;
    std::vector<std::shared_ptr<const Steps>> since;

    // The changes in the order they were first added.
    std::vector<Change> changes() const;
};

// What an engine keeps between runs, in the JSON form its owner stores: the account it last
// saw, its change tokens and its pending changes. An engine hands one over after every step of
// its work; the JSON text, which for tens of thousands of pending changes takes a while to
// write, is made only when someone asks for it.
class StateSerialization {
public:
    QByteArray data() const;
    // The serialization held in data, when it is one; anything else is absent.
    static std::optional<StateSerialization> fromData(const QByteArray& data);
    bool operator==(const StateSerialization& o) const { return data() == o.data(); }

    struct Contents; // what it says, as values

private:
    friend class SyncEngineState;
    explicit StateSerialization(std::shared_ptr<const Contents> contents)
        : contents_(std::move(contents)) {}
    std::shared_ptr<const Contents> contents_;
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
    // The oldest pending record changes that `skip` does not rule out, at most `limit` of them:
    // what one batch of a send needs, without copying the tens of thousands behind them.
    std::vector<std::pair<PendingRecordZoneChange, Version>> firstVersionedRecordZoneChanges(
        size_t limit, const std::function<bool(const PendingRecordZoneChange&)>& skip) const;
    void removeIfUnchanged(const PendingDatabaseChange& change, Version version);
    void removeIfUnchanged(const PendingRecordZoneChange& change, Version version);

    std::optional<QString> account() const;
    // A new account: tokens and pending changes belong to the old one and are dropped.
    void resetForAccount(const std::optional<QString>& account);
    void setAccount(const std::optional<QString>& account);

    std::optional<QString> databaseToken() const;
    void setDatabaseToken(const QString& token);

    // A fetch that ended before it had fetched every zone the database named: the token the
    // database answered with, and the zones still to fetch, in order. The next fetch goes on
    // from there. The database token stays where it was until they are all fetched, so that a
    // state read by a build that knows nothing of this fetches them all again, and skips none.
    // `expired`: the fetch began where the database no longer knew the token before it (a
    // container made anew, a server restarted after a crash); its zones come whole, and its end
    // says so, in whichever process it ends.
    struct FetchUnderWay {
        QString token;
        std::deque<ZoneID> zones;
        bool expired = false;
    };
    std::optional<FetchUnderWay> fetchUnderWay() const;
    void setFetchUnderWay(std::optional<FetchUnderWay> fetch);
    // The next zones of the fetch under way, at most `limit`, and one it fetched.
    std::vector<ZoneID> nextZonesToFetch(size_t limit) const;
    void zoneFetched(const ZoneID& zone);
    // Every zone of the fetch under way is fetched: its token becomes the database's.
    void endFetchUnderWay();
    std::optional<QString> zoneToken(const ZoneID& zone) const;
    void setZoneToken(const ZoneID& zone, const QString& token);
    void removeZoneToken(const ZoneID& zone);
    void removeZoneTokens();

    // The most changes one call of a send takes, once the container cut a larger one short;
    // absent, the engine's batch size. Kept until everything pending is sent, so that the next
    // run of the program goes on with steps the container takes.
    std::optional<int> stepLimit() const;
    void setStepLimit(std::optional<int> limit);

private:
    // Changes in the order they were first added, each found by itself through a hash: an
    // engine may hold tens of thousands of them.
    template <typename Change> class PendingList {
    public:
        // A change already there is renewed in its place.
        void add(const Change& change, Version version);
        void remove(const Change& change);
        void removeIfUnchanged(const Change& change, Version version);
        void clear();
        std::vector<std::pair<Change, Version>> versioned() const;
        std::vector<std::pair<Change, Version>>
        firstVersioned(size_t limit, const std::function<bool(const Change&)>& skip) const;
        std::vector<Change> changes() const;
        PendingSnapshot<Change> snapshot() const;

    private:
        using Entries = std::list<std::pair<Change, Version>>;
        void log(const Change& change, bool removed);
        Entries entries_;
        std::unordered_map<Change, typename Entries::iterator, PendingChangeHash> index_;
        // What snapshots share: the list at the last fold, and the steps since, sealed into a
        // piece of their own at each snapshot. Folded again once the steps outnumber the list,
        // so that keeping them costs no more than the changes themselves.
        mutable std::shared_ptr<const std::vector<Change>> folded_ =
            std::make_shared<const std::vector<Change>>();
        mutable std::vector<std::shared_ptr<const typename PendingSnapshot<Change>::Steps>> sealed_;
        mutable typename PendingSnapshot<Change>::Steps open_;
        size_t logged_ = 0;
    };

    mutable std::mutex mutex_;
    std::optional<QString> account_;
    std::optional<QString> databaseToken_;
    std::optional<FetchUnderWay> fetchUnderWay_;
    std::map<ZoneID, QString> zoneTokens_;
    std::optional<int> stepLimit_;
    PendingList<PendingDatabaseChange> databaseChanges_;
    PendingList<PendingRecordZoneChange> recordChanges_;
    Version nextVersion_ = 1;
};

} // namespace cloud
