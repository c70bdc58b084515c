#pragma once

#include "DatabaseScope.h"
#include "platform/PersonNameFormatter.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace cloud {

// The container's storage could not be read or written (a corrupt file, a full disk, a lock
// held for too long).
class StorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The storage's server could not be reached, or stopped answering: the container is offline
// until it answers again.
class StorageUnreachable : public StorageError {
public:
    using StorageError::StorageError;
};

// The server answered and turned the sign-in away: a wrong or missing password, an unknown
// role. Neither the server being away nor the container failing to read or write; its text is
// the whole message.
class StorageSignInRefused : public StorageError {
public:
    using StorageError::StorageError;
};

// The server held a row the step needed for longer than the step would wait for it (its lock
// timeout ran out): somebody else's transaction keeps it.
class StorageRowHeld : public StorageError {
public:
    using StorageError::StorageError;
};

// The server cut a statement of the step short at its bound (its statement timeout): the step
// was rolled back whole, and a smaller one may go through.
class StorageCutShort : public StorageError {
public:
    using StorageError::StorageError;
};

// A step's commit was asked for and its answer never came (the connection broke, the server did
// not answer in time, the file's commit failed): the step may have been committed or not.
class StorageAnswerLost : public StorageError {
public:
    // `unreachable`: the server could not be reached once the commit was asked for.
    StorageAnswerLost(const std::string& what, bool unreachable)
        : StorageError(what), unreachable_(unreachable) {}
    bool unreachable() const { return unreachable_; }

private:
    bool unreachable_;
};

struct UserRow {
    QString name;
    std::optional<PersonNameComponents> nameComponents;
};

struct DeviceRow {
    QString id;
    std::optional<QString> user; // absent: signed out
    bool offline = false;
    QString holder; // on a server, the role the row belongs to; empty in a file
};

struct ZoneRow {
    QString owner;
    QString name;
    QString incarnation;   // new each time a zone of this name is created
    qint64 changedSeq = 0; // the last change to the zone or any record in it
};

struct RecordRow {
    QString owner;
    QString zone;
    QString name;
    QString type;
    QString tag;     // the change tag of the stored version
    QByteArray data; // the record's JSON form, owner name as stored
    qint64 seq = 0;
};

struct DeletionRow {
    QString owner;
    QString zone;
    QString name;
    QString type;
    qint64 seq = 0;
};

struct ParticipantRow {
    QString owner;
    QString zone;
    QString user;
    QString role;
    QString permission;
    QString acceptance;
    qint64 seq = 0; // when this participant last changed
};

// A zone that left one user's database: deleted by its owner, left, or taken away.
struct ZoneRemovalRow {
    qint64 seq = 0;
    QString user;
    DatabaseScope scope = DatabaseScope::privateScope;
    QString zoneOwner;
    QString zoneName;
    QString reason;
};

struct FaultRow {
    qint64 id = 0;   // 0 when not stored yet
    QString device;  // empty: any device
    QString pattern; // empty: the next whole operation; else record names matching this wildcard
    int code = 0;
    int remaining = 1; // negative: until cleared
};

// A batch of record changes a device sent, by the id the device gave it: committed (`landed`)
// with the saves it refused, or given up by the device before it came, so that it never
// commits. `refused` is the container's own text.
struct SendRow {
    QString device;
    QString id;
    bool landed = false;
    QByteArray refused;
};

// The tables of the container. The rules live in Container; a storage only keeps rows. Every
// call may throw StorageError.
class ContainerStorage {
public:
    virtual ~ContainerStorage() = default;

    // What a step is expected to do. A storage may let steps that only read run side by side;
    // a step expected to read that writes after all still works, at some cost. A look reads
    // without the current sequence (it hands out no token), which a server then need not
    // settle; one that asks for it after all still gets it, at some cost.
    enum class Step { reading, writing, looking };

    // Runs work as one atomic step against other callers and processes; when work throws,
    // nothing it changed is kept and the exception passes on. Work may run more than once
    // (only the last run counts), so it keeps its results in variables it sets anew.
    virtual void transact(Step step, const std::function<void()>& work) = 0;

    // The user this storage acts for when the server decides who is calling (a server role);
    // absent for a file, where the container's own rules decide.
    virtual std::optional<QString> sessionUser() { return std::nullopt; }
    // Whether a user of this name exists, also one the caller may not read.
    virtual bool hasUser(const QString& name) { return findUser(name).has_value(); }
    // Gets a new user ready outside the container's tables (a server role and its rights);
    // says why not when it cannot be.
    virtual std::optional<QString> preparePerson(const QString& name) {
        (void)name;
        return std::nullopt;
    }

    virtual QString containerId() = 0;
    virtual qint64 currentSequence() = 0;
    // What a device compares to tell whether anything changed for it since it last looked: the
    // current sequence, unless the storage knows that moves less often than the changes do.
    virtual QString changeMark() { return QString::number(currentSequence()); }
    virtual qint64 nextSequence() = 0; // increments and returns the new value
    // Makes every token handed out so far read as expired, so that every device fetches
    // everything once: for a container put back from a backup, whose sequence went back below
    // numbers devices were given after the backup. A container in memory is never put back.
    virtual void startNewRun() {}
    // The zones (owner, name) of the caller's databases, their own and those they accepted,
    // that another step holds and keeps holding, so that what it changes there is still to
    // come: a step as short as a change's own is waited out (a second at most). Only a server
    // tells: a file's writers take turns for the whole file.
    virtual std::vector<std::pair<QString, QString>> heldZones() { return {}; }
    // Which of `owner`'s zones named are there, as a look without waiting for anybody.
    virtual std::set<QString> zonesThere(const QString& owner, const std::set<QString>& names) {
        std::set<QString> there;
        for (const QString& name : names) {
            if (findZone(owner, name))
                there.insert(name);
        }
        return there;
    }
    // The zones (owner, name) a writing step is about to read or change, told before it takes
    // any change number, and the person to whose databases it may add zones, if any: a storage
    // whose writers lock rows takes those locks now, each once and in one order. Gives the
    // zones that another step holds longer than a moment: this step goes on without them, and
    // what it would change there goes with a later one.
    virtual std::set<std::pair<QString, QString>>
    lockZones(const std::set<std::pair<QString, QString>>& zones,
              const std::optional<QString>& maker) {
        (void)zones, (void)maker;
        return {};
    }

    virtual std::optional<UserRow> findUser(const QString& name) = 0;
    virtual void putUser(const UserRow& row) = 0;
    virtual std::vector<UserRow> users() = 0;

    virtual std::optional<DeviceRow> findDevice(const QString& id) = 0;
    virtual void putDevice(const DeviceRow& row) = 0;
    virtual std::vector<DeviceRow> devices() = 0;

    virtual std::optional<ZoneRow> findZone(const QString& owner, const QString& name) = 0;
    virtual void putZone(const ZoneRow& row) = 0;
    virtual void removeZone(const QString& owner, const QString& name) = 0;
    virtual std::vector<ZoneRow> zones(const QString& owner) = 0; // by name
    virtual std::vector<ZoneRow> allZones() = 0;
    // Notes the latest change to a zone, when the zone exists.
    virtual void touchZone(const QString& owner, const QString& name, qint64 seq) {
        if (auto zone = findZone(owner, name)) {
            zone->changedSeq = seq;
            putZone(*zone);
        }
    }

    virtual std::optional<RecordRow> findRecord(const QString& owner, const QString& zone,
                                                const QString& name) = 0;
    // The records of a zone this step is about to look up one by one; a storage may fetch
    // them at once.
    virtual void expectRecords(const QString& owner, const QString& zone,
                               const std::vector<QString>& names) {
        (void)owner, (void)zone, (void)names;
    }
    virtual void putRecord(const RecordRow& row) = 0;
    virtual void removeRecord(const QString& owner, const QString& zone, const QString& name) = 0;
    // Records changed after seq, oldest change first.
    virtual std::vector<RecordRow> recordsSince(const QString& owner, const QString& zone,
                                                qint64 seq) = 0;
    virtual void removeZoneRecords(const QString& owner, const QString& zone) = 0;

    virtual void putDeletion(const DeletionRow& row) = 0;
    virtual void removeDeletion(const QString& owner, const QString& zone, const QString& name) = 0;
    virtual std::vector<DeletionRow> deletionsSince(const QString& owner, const QString& zone,
                                                    qint64 seq) = 0;
    virtual void removeZoneDeletions(const QString& owner, const QString& zone) = 0;

    virtual std::vector<ParticipantRow> participants(const QString& owner, const QString& zone) = 0;
    virtual std::vector<ParticipantRow> participations(const QString& user) = 0;
    virtual void putParticipant(const ParticipantRow& row) = 0;
    virtual void removeParticipant(const QString& owner, const QString& zone,
                                   const QString& user) = 0;

    virtual void addZoneRemoval(const ZoneRemovalRow& row) = 0;
    virtual std::vector<ZoneRemovalRow> zoneRemovalsSince(const QString& user, DatabaseScope scope,
                                                          qint64 seq) = 0;

    // Notes a device's send as committed with this step. A send given up before (settleSend())
    // makes the step fail: it never commits. A storage may forget a device's sends once they are
    // a month old, as the device's later sends go. One that keeps no sends does nothing.
    virtual void putSend(const SendRow& row) { (void)row; }
    // What became of a device's send: its row, or, when there is none, a row made now that says
    // it never landed, so that it never does. Nothing from a storage that keeps no sends.
    virtual std::optional<SendRow> settleSend(const QString& device, const QString& id) {
        (void)device, (void)id;
        return std::nullopt;
    }

    virtual std::vector<FaultRow> faults() = 0;     // oldest first
    virtual void putFault(const FaultRow& row) = 0; // id 0 adds a new fault
    virtual void removeFault(qint64 id) = 0;
    virtual void removeAllFaults() = 0;
    // A fault has struck once: one fewer time to go, gone when none is left.
    virtual void consumeFault(FaultRow fault) {
        if (fault.remaining < 0)
            return;
        if (--fault.remaining <= 0)
            removeFault(fault.id);
        else
            putFault(fault);
    }
};

} // namespace cloud
