#pragma once

#include "CloudError.h"
#include "Record.h"

#include <QString>

#include <utility>
#include <vector>

namespace cloud {

// Why a zone left a user's database.
enum class ZoneDeletionReason {
    deleted,       // its owner deleted it
    left,          // the user left a zone shared with them
    accessRevoked, // its owner took the user off the share
};

QString rawValue(ZoneDeletionReason reason);
std::optional<ZoneDeletionReason> zoneDeletionReasonFromRaw(const QString& raw);

struct ZoneDeletion {
    ZoneID zoneID;
    ZoneDeletionReason reason = ZoneDeletionReason::deleted;
};

// Zones of one database that changed or went away since a token.
struct DatabaseChanges {
    std::vector<ZoneID> modifications;
    std::vector<ZoneDeletion> deletions;
    QString token;
    // The token given is not one this database knows (a container made anew, or an older copy
    // of it): the modifications are every zone it holds, and what the device sent it before
    // may be gone.
    bool tokenExpired = false;
};

struct RecordDeletion {
    RecordID recordID;
    QString recordType;
};

// The records of one zone that changed since a token: each changed record's newest version
// once, oldest change first, and the records deleted since.
struct ZoneChanges {
    std::vector<Record> modifications;
    std::vector<RecordDeletion> deletions;
    QString token;
    // Records stored since the token that do not decode, left out of the modifications: a
    // device that holds one of them may save its own over it.
    std::vector<RecordID> undecodable;
};

struct ModifyZonesResult {
    std::vector<ZoneID> savedZones;
    std::vector<std::pair<ZoneID, CloudError>> failedZoneSaves;
    std::vector<ZoneID> deletedZoneIDs;
    std::vector<std::pair<ZoneID, CloudError>> failedZoneDeletes;
};

struct ModifyRecordsResult {
    std::vector<Record> savedRecords;
    std::vector<std::pair<Record, CloudError>> failedRecordSaves;
    std::vector<RecordID> deletedRecordIDs;
    std::vector<std::pair<RecordID, CloudError>> failedRecordDeletes;
};

// What became of a batch of record changes whose answer a device lost.
struct SendOutcome {
    enum class Fate {
        landed,      // committed: its saves are in, but for those it refused
        neverLanded, // not committed, and never will be now
        notKept,     // the container keeps no word of sends (a server not brought up to date)
    };
    Fate fate = Fate::notKept;
    std::vector<RecordID> refused; // as the device named them
};

} // namespace cloud
