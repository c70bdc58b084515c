#pragma once

#include "ChangeSets.h"
#include "SyncEngineState.h"

#include <optional>
#include <variant>

namespace cloud {

// The events an engine hands its delegate, one at a time, in the order things happen.
namespace SyncEvents {

// The engine's state changed; the owner keeps the serialization for the next start.
struct StateUpdate {
    StateSerialization stateSerialization;
};

struct AccountChange {
    enum class Type { signIn, signOut, switchAccounts };
    Type type = Type::signIn;
    std::optional<QString> previousUser; // user record names
    std::optional<QString> currentUser;
};

struct FetchedDatabaseChanges {
    std::vector<ZoneID> modifications;
    std::vector<ZoneDeletion> deletions;
    // The database no longer knew where this engine had got to: the modifications are every
    // zone it holds, and what was sent to it before may be gone. Reported also with no zone.
    bool tokenExpired = false;
};

struct FetchedRecordZoneChanges {
    std::vector<Record> modifications;
    std::vector<RecordDeletion> deletions;
    // Stored records that do not decode (ZoneChanges::undecodable).
    std::vector<RecordID> undecodable = {};
};

struct SentDatabaseChanges : ModifyZonesResult {};
struct SentRecordZoneChanges : ModifyRecordsResult {};

struct WillFetchChanges {};
struct WillFetchRecordZoneChanges {
    ZoneID zoneID;
};
struct DidFetchRecordZoneChanges {
    ZoneID zoneID;
    std::optional<CloudError> error;
};
struct DidFetchChanges {
    // The fetch fetched the last zone of one that the database told had expired (in this
    // fetch, or in one before it that ended early): every zone it holds came whole since.
    bool endedWholeAfterExpiry = false;
};
struct WillSendChanges {};
struct DidSendChanges {
    // The sending ended with a batch whose answer was lost (CloudError::answerLost): what it
    // sent may have been committed or not. Any other batch it began was answered, or was not
    // committed.
    bool batchUnanswered = false;
};
// What the container said of sends whose answer never came
// (SyncEngineDelegate::unansweredSends()), by send id.
struct SendOutcomes {
    std::vector<std::pair<QString, SendOutcome>> outcomes;
};

} // namespace SyncEvents

using SyncEngineEvent =
    std::variant<SyncEvents::StateUpdate, SyncEvents::AccountChange,
                 SyncEvents::FetchedDatabaseChanges, SyncEvents::FetchedRecordZoneChanges,
                 SyncEvents::SentDatabaseChanges, SyncEvents::SentRecordZoneChanges,
                 SyncEvents::WillFetchChanges, SyncEvents::WillFetchRecordZoneChanges,
                 SyncEvents::DidFetchRecordZoneChanges, SyncEvents::DidFetchChanges,
                 SyncEvents::WillSendChanges, SyncEvents::DidSendChanges, SyncEvents::SendOutcomes>;

} // namespace cloud
