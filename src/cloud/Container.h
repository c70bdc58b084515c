#pragma once

#include "ChangeSets.h"
#include "ContainerStorage.h"
#include "DatabaseScope.h"
#include "Result.h"

#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace cloud {

// The server side of the cloud: users, devices, each user's private and shared database, zones,
// records and zone-wide shares, over one storage. Every call is one atomic step of the storage,
// so several devices (threads or processes on one SQLite file) may call at once.
//
// Device calls act for the user the device is signed into and reach only that user's private
// database and the zones shared with them, within the permission given. Admin calls are for
// tests and the admin tool.
class Container {
public:
    // The user every new device is signed into, so devices sync with no set-up.
    static inline const QString defaultUserName = QStringLiteral("local");

    explicit Container(std::unique_ptr<ContainerStorage> storage);

    static std::shared_ptr<Container> inMemory();
    // How long a call waits for another process's write to the file before it fails.
    static constexpr int defaultBusyTimeoutMs = 10'000;
    // Opens or creates a container file; a file that is not a container gives an error. Without
    // `create`, a file that is not there gives an error too, and nothing is made.
    static Result<std::shared_ptr<Container>>
    openFile(const QString& path, int busyTimeoutMs = defaultBusyTimeoutMs, bool create = true);
    // A container on a PostgreSQL server, named by a postgresql:// URI. Nothing is connected
    // yet: the first call connects, so a server that is away is only the container being
    // offline. `timeoutMs` bounds the connection and every wait for the server.
    static Result<std::shared_ptr<Container>> openServer(const QString& uri,
                                                         int timeoutMs = defaultBusyTimeoutMs);
    // Makes a container in the empty database a postgresql:// URI names, as its administrator
    // (the role that connects); a database that holds anything else is refused.
    static std::optional<CloudError> createOnServer(const QString& uri,
                                                    int timeoutMs = defaultBusyTimeoutMs);
    // Whether a container's location names a server rather than a file.
    static bool isServerLocation(const QString& location);
    // The location fit for a message: a server's address without its password.
    static QString describeLocation(const QString& location);

    // --- device calls ---

    // The user the device is signed into; a device seen for the first time is signed into the
    // default user. Works offline.
    Result<std::optional<QString>> currentUser(const QString& device);
    Result<ModifyZonesResult> modifyZones(const QString& device, DatabaseScope scope,
                                          const std::vector<ZoneID>& saves,
                                          const std::vector<ZoneID>& deletes);
    // With a send id (the device's own for this batch, new each time), the container keeps it
    // with the batch's changes, in the same step, so that a device that lost the answer can ask
    // what became of the batch (sendLanded()).
    Result<ModifyRecordsResult> modifyRecords(const QString& device, DatabaseScope scope,
                                              const std::vector<Record>& saves,
                                              const std::vector<RecordID>& deletes,
                                              const QString& sendID = {});
    // Whether the device's batch of that send id was committed, and which saves it refused. A
    // batch that was not is given up by the asking: it never commits after the answer.
    Result<SendOutcome> sendLanded(const QString& device, const QString& sendID);
    // Changes whenever anything the device could fetch may have changed: the container, its
    // latest change and the user the device is signed into. Works offline.
    Result<QString> changeMark(const QString& device);
    // The zones of the device's user, their own and those shared with them, that a writer
    // elsewhere holds at this moment: a fetch cannot bring those up to date until it lets go.
    // Only a server's zones are ever held; none for a device signed out or switched offline.
    Result<std::vector<ZoneID>> heldZones(const QString& device);
    // An absent or unknown token gives every zone of the database.
    Result<DatabaseChanges> fetchDatabaseChanges(const QString& device, DatabaseScope scope,
                                                 const std::optional<QString>& token);
    // An absent or unknown token gives every record of the zone and no deletions.
    Result<ZoneChanges> fetchZoneChanges(const QString& device, DatabaseScope scope,
                                         const ZoneID& zoneID, const std::optional<QString>& token);
    // Several zones' changes in one step of the storage, one result per zone in the order
    // asked: a device that fetches many zones (a new device of an account with thousands of
    // lists) pays for one step instead of one a zone.
    Result<std::vector<Result<ZoneChanges>>>
    fetchZonesChanges(const QString& device, DatabaseScope scope,
                      const std::vector<std::pair<ZoneID, std::optional<QString>>>& zones);
    // One result per id, in the order asked.
    Result<std::vector<std::pair<RecordID, Result<Record>>>>
    fetchRecords(const QString& device, DatabaseScope scope, const std::vector<RecordID>& ids);

    // --- admin calls ---

    std::optional<CloudError> createUser(const QString& name,
                                         const std::optional<PersonNameComponents>& names);
    Result<std::vector<UserRow>> users();
    Result<std::vector<DeviceRow>> devices();
    std::optional<CloudError> signIn(const QString& device, const QString& user);
    std::optional<CloudError> signOut(const QString& device);
    std::optional<CloudError> setOffline(const QString& device, bool offline);
    // After the container was put back from a backup: every token handed out so far reads as
    // expired, so that every device fetches everything once (a server notices a restore by
    // pg_restore by itself, not a copy of its files put back).
    std::optional<CloudError> startNewRun();

    // Shares the owner's zone with a user, who still has to accept it.
    std::optional<CloudError> shareZone(const QString& owner, const QString& zoneName,
                                        const QString& user, ParticipantPermission permission);
    std::optional<CloudError> acceptShare(const QString& owner, const QString& zoneName,
                                          const QString& user);
    std::optional<CloudError> setParticipantPermission(const QString& owner,
                                                       const QString& zoneName, const QString& user,
                                                       ParticipantPermission permission);
    std::optional<CloudError> removeParticipant(const QString& owner, const QString& zoneName,
                                                const QString& user);

    // Faults: the next operation of a device (empty: of any device) fails with the code, or
    // every save, delete or fetch of a record whose name matches the wildcard pattern does,
    // `times` times (negative: until cleared).
    std::optional<CloudError> injectFault(const QString& device, const QString& pattern,
                                          CloudError::Code code, int times);
    // Faults of a device's next `times` batches of record changes, each of which then loses
    // its answer as a connection that breaks during the commit does: the batch is committed
    // first, or not at all. The device is told that the network is unavailable.
    enum class LostAnswer { beforeCommit, afterCommit };
    std::optional<CloudError> injectLostAnswer(const QString& device, LostAnswer when,
                                               int times = 1);
    std::optional<CloudError> clearFaults();
    Result<std::vector<FaultRow>> faults();

    struct ZoneSummary {
        ZoneRow zone;
        qsizetype recordCount = 0;
        std::vector<ParticipantRow> participants;
    };
    Result<std::vector<ZoneSummary>> zones();
    // The records of a zone as stored (owner names are real user names).
    Result<std::vector<Record>> records(const QString& owner, const QString& zoneName);

private:
    template <typename T, typename F> Result<T> run(ContainerStorage::Step step, F&& work);
    std::optional<CloudError> runAdmin(const std::function<std::optional<CloudError>()>& work);

    std::unique_ptr<ContainerStorage> storage_;
    // The stored record versions already named in the log as left out.
    std::mutex leftOutMutex_;
    std::set<QString> leftOutNamed_;
};

} // namespace cloud
