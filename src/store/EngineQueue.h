#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The store's view of a sync engine: the list of pending changes it queues into. The sync
// engines implement it; without them the store only records its change marks.

// The owner name that stands for "the signed-in user" in a zone id.
inline const QString currentUserOwnerName = QStringLiteral("__defaultOwner__");

struct ZoneRef {
    QString zoneName;
    QString ownerName = currentUserOwnerName;
    bool operator==(const ZoneRef&) const = default;
};

struct RecordRef {
    QString recordName;
    ZoneRef zone;
    bool operator==(const RecordRef&) const = default;
};

enum class EngineScope { privateDatabase, sharedDatabase };

class EngineQueue {
public:
    virtual ~EngineQueue() = default;
    virtual void saveZone(const ZoneRef& zone) = 0;
    virtual void deleteZone(const ZoneRef& zone) = 0;
    virtual void saveRecord(const RecordRef& record) = 0;
    virtual void deleteRecord(const RecordRef& record) = 0;
    // Zone and record saves worked out by `make`, the same as saveZone() for each zone, then
    // saveRecord() for each record. `make` reads only what it holds, so that an engine may run
    // it away from the calling thread, for queuing a whole store at once, as long as what is
    // queued after it still comes after it.
    struct Saves {
        std::vector<ZoneRef> zones;
        std::vector<RecordRef> records;
    };
    virtual void queueSaves(std::function<Saves()> make) {
        const Saves saves = make();
        for (const ZoneRef& zone : saves.zones)
            saveZone(zone);
        for (const RecordRef& record : saves.records)
            saveRecord(record);
    }
};

// Builds the engine of one database from its saved state (absent: a first start).
class EngineFactory {
public:
    virtual ~EngineFactory() = default;
    virtual std::unique_ptr<EngineQueue> makeEngine(EngineScope scope,
                                                    const std::optional<QByteArray>& savedState,
                                                    bool automaticSync) = 0;
    // The store is about to go: the engines end what they are doing, and what the cloud
    // confirmed of it reaches the store before its last save.
    virtual void storeEnding() {}
};
