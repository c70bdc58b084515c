#include "Container.h"

#include "LibPq.h"
#include "MemoryStorage.h"
#include "PostgresStorage.h"
#include "RecordCoding.h"
#include "SqliteStorage.h"

#include <QDebug>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <map>
#include <set>

namespace cloud {

namespace {

using Code = CloudError::Code;

CloudError fail(Code code, const QString& detail = {}) {
    return CloudError::make(code, detail);
}

QString changeTagFor(qint64 seq) {
    return QStringLiteral("t") + QString::number(seq);
}

// Why a record that is stored cannot be given.
QString undecodable() {
    return QStringLiteral("The version stored does not decode.");
}

bool isOwnZone(const QString& owner, const QString& user) {
    return owner == currentUserDefaultName || owner == user;
}

// Names starting with "~" belong to the container (shares); devices may not write them.
bool isReserved(const Record& record) {
    return record.recordType().startsWith(QLatin1Char('~')) ||
           record.recordID().recordName.startsWith(QLatin1Char('~'));
}

// The zones (owner, name) a batch of `user`'s may write in a database, named as their owners
// keep them: only the user's own zones in the private database, only others' in the shared.
using ZoneKeys = std::set<std::pair<QString, QString>>;
void addWritable(ZoneKeys& zones, DatabaseScope scope, const ZoneID& zone, const QString& user) {
    const bool own = isOwnZone(zone.ownerName, user);
    if (own == (scope == DatabaseScope::privateScope))
        zones.emplace(own ? user : zone.ownerName, zone.zoneName);
}

// How a fault that loses a batch's answer is kept among the faults: a code no error has.
constexpr int lostBeforeCommitCode = -1;
constexpr int lostAfterCommitCode = -2;

bool losesAnswer(const FaultRow& fault) {
    return fault.code == lostBeforeCommitCode || fault.code == lostAfterCommitCode;
}

// What a device is told when such a fault loses its batch's answer.
CloudError answerLost() {
    CloudError error = fail(Code::networkUnavailable, QStringLiteral("(injected)"));
    error.answerLost = true;
    return error;
}

// The saves a batch refused, as the device named them, in the form the container keeps: none
// is kept as nothing at all.
QByteArray refusedText(const std::vector<std::pair<Record, CloudError>>& failed) {
    if (failed.empty())
        return {};
    Json ids = Json::array();
    for (const auto& [record, error] : failed) {
        const RecordID& id = record.recordID();
        ids.push_back(Json::array(
            {utf8(id.zoneID.ownerName), utf8(id.zoneID.zoneName), utf8(id.recordName)}));
    }
    return QByteArray::fromStdString(ids.dump());
}

std::vector<RecordID> refusedIDs(const QByteArray& text) {
    std::vector<RecordID> ids;
    if (text.isEmpty())
        return ids;
    const Json parsed =
        Json::parse(text.constData(), text.constData() + text.size(), nullptr, false);
    if (!parsed.is_array())
        return ids;
    for (const Json& id : parsed) {
        if (id.is_array() && id.size() == 3 && id[0].is_string() && id[1].is_string() &&
            id[2].is_string())
            ids.push_back(RecordID{
                fromUtf8(id[2].get<std::string>()),
                ZoneID{fromUtf8(id[1].get<std::string>()), fromUtf8(id[0].get<std::string>())}});
    }
    return ids;
}

bool validUserName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9._@-]{1,100}$"));
    return pattern.match(name).hasMatch();
}

// How the zone is addressed from a device of `user`: their own zones, in their private
// database, through the placeholder owner; any other zone by its owner.
ZoneID visibleZone(DatabaseScope scope, const QString& owner, const QString& zoneName,
                   const QString& user) {
    const bool own = scope == DatabaseScope::privateScope && isOwnZone(owner, user);
    return ZoneID{zoneName, own ? currentUserDefaultName : owner};
}

struct Access {
    QString owner;
    ParticipantPermission permission = ParticipantPermission::none;
};

// A stored record that a step left out because it does not decode: what the log says of it,
// and which version of which row it is, so that it is named once.
struct LeftOut {
    QString key;
    QString line;
};

class Rules {
public:
    explicit Rules(ContainerStorage& storage, std::vector<LeftOut>* leftOut = nullptr)
        : s(storage), leftOut_(leftOut) {}

    // A device seen for the first time is signed into the user the server knows the caller
    // as, or else into the default user.
    DeviceRow device(const QString& id) {
        if (auto row = s.findDevice(id))
            return *row;
        ensureDefaultUser();
        DeviceRow row{id, s.sessionUser().value_or(Container::defaultUserName), false, {}};
        s.putDevice(row);
        // A server starts the row as the administrator switched the device before it first
        // connected: offline, or signed out.
        return s.findDevice(id).value_or(row);
    }

    // Where the server names the callers, there is no default user to make.
    void ensureDefaultUser() {
        if (!s.sessionUser() && !s.findUser(Container::defaultUserName))
            s.putUser(UserRow{Container::defaultUserName, std::nullopt});
    }

    // The user a device acts for, after the offline switch and any fault on its next operation.
    Result<QString> actingUser(const QString& deviceID) {
        DeviceRow row = device(deviceID);
        if (row.offline)
            return fail(Code::networkUnavailable);
        if (!row.user || !s.findUser(*row.user))
            return fail(Code::notAuthenticated);
        for (const FaultRow& fault : s.faults()) {
            if (fault.pattern.isEmpty() && !losesAnswer(fault) &&
                (fault.device.isEmpty() || fault.device == deviceID)) {
                consume(fault);
                return injected(fault);
            }
        }
        return *row.user;
    }

    // A fault that loses the answer of the device's batch under way, used up.
    std::optional<Container::LostAnswer> lostAnswer(const QString& deviceID) {
        for (const FaultRow& fault : s.faults()) {
            if (losesAnswer(fault) && (fault.device.isEmpty() || fault.device == deviceID)) {
                consume(fault);
                return fault.code == lostBeforeCommitCode ? Container::LostAnswer::beforeCommit
                                                          : Container::LostAnswer::afterCommit;
            }
        }
        return std::nullopt;
    }

    std::optional<CloudError> recordFault(const QString& deviceID, const QString& recordName) {
        for (const FaultRow& fault : s.faults()) {
            if (fault.pattern.isEmpty() || (!fault.device.isEmpty() && fault.device != deviceID))
                continue;
            const QRegularExpression wildcard(
                QRegularExpression::wildcardToRegularExpression(fault.pattern));
            if (wildcard.match(recordName).hasMatch()) {
                consume(fault);
                return injected(fault);
            }
        }
        return std::nullopt;
    }

    Result<Access> access(const QString& user, DatabaseScope scope, const ZoneID& zoneID) {
        if (scope == DatabaseScope::privateScope) {
            if (!isOwnZone(zoneID.ownerName, user))
                return fail(Code::permissionFailure,
                            QStringLiteral("The zone belongs to another user."));
            return Access{user, ParticipantPermission::readWrite};
        }
        if (isOwnZone(zoneID.ownerName, user))
            return fail(Code::zoneNotFound);
        for (const ParticipantRow& p : s.participants(zoneID.ownerName, zoneID.zoneName)) {
            if (p.user != user)
                continue;
            auto permission = participantPermissionFromRaw(p.permission);
            if (p.acceptance == rawValue(ParticipantAcceptanceStatus::accepted) && permission &&
                *permission != ParticipantPermission::none)
                return Access{zoneID.ownerName, *permission};
        }
        return fail(Code::zoneNotFound);
    }

    // The record a stored row holds. Someone who may write a zone can store any bytes in it
    // with a client of their own: a row whose data is not a record, or is the record of another
    // name or zone, is no record of that row. It is left out, kept as it is, and noted for the
    // log; it is no reason to fail the rest of the step.
    std::optional<Record> decoded(const RecordRow& row) {
        auto record = RecordCoding::decode(row.data);
        if (record && record->recordID().recordName == row.name &&
            record->recordID().zoneID.zoneName == row.zone)
            return record;
        if (leftOut_) {
            leftOut_->push_back(LeftOut{
                QStringList{row.owner, row.zone, row.name, QString::number(row.seq)}.join(
                    QChar(0x1f)),
                QStringLiteral("Record “%1” of zone “%2” of “%3” does not decode and is left out.")
                    .arg(row.name, row.zone, row.owner)});
        }
        return std::nullopt;
    }

    // The stored record as the device sees it; nothing when it does not decode.
    std::optional<Record> deliver(const RecordRow& row, DatabaseScope scope, const QString& user) {
        auto record = decoded(row);
        if (!record)
            return std::nullopt;
        Record out = record->withZoneOwner(visibleZone(scope, row.owner, row.zone, user).ownerName);
        if (Share* share = out.share()) {
            share->participants.clear();
            for (const ParticipantRow& p : s.participants(row.owner, row.zone))
                share->participants.push_back(participant(p));
            share->currentUserRecordName = user;
        }
        return out;
    }

    ShareParticipant participant(const ParticipantRow& row) {
        ShareParticipant p;
        p.userIdentity.userRecordName = row.user;
        if (auto user = s.findUser(row.user))
            p.userIdentity.nameComponents = user->nameComponents;
        p.role = participantRoleFromRaw(row.role).value_or(ParticipantRole::unknown);
        p.permission =
            participantPermissionFromRaw(row.permission).value_or(ParticipantPermission::none);
        p.acceptanceStatus =
            acceptanceStatusFromRaw(row.acceptance).value_or(ParticipantAcceptanceStatus::unknown);
        return p;
    }

    void touchZone(const QString& owner, const QString& zoneName, qint64 seq) {
        s.touchZone(owner, zoneName, seq);
    }

    // A new version of the zone's share record, so that its participants reach every device.
    qint64 touchShare(const QString& owner, const QString& zoneName) {
        const qint64 seq = s.nextSequence();
        Record share = Record::zoneWideShare(ZoneID{zoneName, owner});
        share.setChangeTag(changeTagFor(seq));
        s.putRecord(RecordRow{owner, zoneName, zoneWideShareName, shareRecordType,
                              changeTagFor(seq), RecordCoding::encode(share), seq});
        s.removeDeletion(owner, zoneName, zoneWideShareName);
        touchZone(owner, zoneName, seq);
        return seq;
    }

    void deleteZone(const ZoneRow& zone) {
        const qint64 seq = s.nextSequence();
        for (const ParticipantRow& p : s.participants(zone.owner, zone.name)) {
            if (p.user != zone.owner &&
                p.acceptance == rawValue(ParticipantAcceptanceStatus::accepted))
                s.addZoneRemoval(ZoneRemovalRow{seq, p.user, DatabaseScope::sharedScope, zone.owner,
                                                zone.name, rawValue(ZoneDeletionReason::deleted)});
            s.removeParticipant(zone.owner, zone.name, p.user);
        }
        s.removeZoneRecords(zone.owner, zone.name);
        s.removeZoneDeletions(zone.owner, zone.name);
        s.removeZone(zone.owner, zone.name);
        s.addZoneRemoval(ZoneRemovalRow{seq, zone.owner, DatabaseScope::privateScope, zone.owner,
                                        zone.name, rawValue(ZoneDeletionReason::deleted)});
    }

    std::optional<ParticipantRow> participantRow(const QString& owner, const QString& zoneName,
                                                 const QString& user) {
        for (const ParticipantRow& p : s.participants(owner, zoneName)) {
            if (p.user == user)
                return p;
        }
        return std::nullopt;
    }

    // Tokens name the container, so a token from another container reads as unknown.
    QString databaseToken() {
        return QStringLiteral("d:%1:%2").arg(s.containerId()).arg(s.currentSequence());
    }
    QString zoneToken(const ZoneRow& zone) {
        return QStringLiteral("z:%1:%2:%3")
            .arg(s.containerId(), zone.incarnation)
            .arg(s.currentSequence());
    }
    std::optional<qint64> readDatabaseToken(const std::optional<QString>& token) {
        if (!token)
            return std::nullopt;
        const QStringList parts = token->split(QLatin1Char(':'));
        if (parts.size() != 3 || parts[0] != QLatin1String("d") || parts[1] != s.containerId())
            return std::nullopt;
        return sequenceIn(parts[2]);
    }
    std::optional<qint64> readZoneToken(const std::optional<QString>& token, const ZoneRow& zone) {
        if (!token)
            return std::nullopt;
        const QStringList parts = token->split(QLatin1Char(':'));
        if (parts.size() != 4 || parts[0] != QLatin1String("z") || parts[1] != s.containerId() ||
            parts[2] != zone.incarnation)
            return std::nullopt;
        return sequenceIn(parts[3]);
    }

    ContainerStorage& s;

private:
    std::optional<qint64> sequenceIn(const QString& text) {
        bool ok = false;
        const qint64 seq = text.toLongLong(&ok);
        if (!ok || seq < 0 || seq > s.currentSequence())
            return std::nullopt;
        return seq;
    }

    void consume(const FaultRow& fault) { s.consumeFault(fault); }

    std::vector<LeftOut>* leftOut_;

    static CloudError injected(const FaultRow& fault) {
        auto code = CloudError::codeFromRaw(fault.code).value_or(Code::internalError);
        return fail(code, QStringLiteral("(injected)"));
    }
};

} // namespace

Container::Container(std::unique_ptr<ContainerStorage> storage) : storage_(std::move(storage)) {}

std::shared_ptr<Container> Container::inMemory() {
    return std::make_shared<Container>(std::make_unique<MemoryStorage>());
}

Result<std::shared_ptr<Container>> Container::openFile(const QString& path, int busyTimeoutMs,
                                                       bool create) {
    try {
        return std::make_shared<Container>(
            std::make_unique<SqliteStorage>(path, busyTimeoutMs, create));
    } catch (const std::exception& e) {
        return fail(Code::internalError, QString::fromUtf8(e.what()));
    }
}

namespace {

// What the server or the client said, as the whole message: the code's usual words ("The
// network is unavailable.") would say something else than what happened.
CloudError inTheirWords(Code code, const QString& message) {
    CloudError error = fail(code);
    error.message = message;
    return error;
}

// A server that cannot be reached is the container being offline.
CloudError storageFailure(const std::exception& e) {
    const QString message = QString::fromUtf8(e.what());
    if (const auto* lost = dynamic_cast<const StorageAnswerLost*>(&e)) {
        CloudError error = lost->unreachable() ? inTheirWords(Code::networkUnavailable, message)
                                               : fail(Code::internalError, message);
        error.answerLost = true;
        return error;
    }
    if (dynamic_cast<const StorageUnreachable*>(&e))
        return inTheirWords(Code::networkUnavailable, message);
    // Nothing was read or written: the server's refusal says all there is.
    if (dynamic_cast<const StorageSignInRefused*>(&e))
        return inTheirWords(Code::internalError, message);
    if (dynamic_cast<const StorageCutShort*>(&e))
        return fail(Code::limitExceeded, message);
    return fail(Code::internalError, message);
}

// Why a server at `uri` cannot be used at all: the client library cannot be loaded, or it
// cannot read the address.
std::optional<CloudError> unusableServer(const QString& uri) {
    QString unloaded;
    if (!LibPq::get(&unloaded))
        return inTheirWords(Code::internalError, unloaded);
    if (auto error = PostgresConnection::checkUri(uri))
        return fail(Code::invalidArguments, *error);
    return std::nullopt;
}

} // namespace

Result<std::shared_ptr<Container>> Container::openServer(const QString& uri, int timeoutMs) {
    if (auto error = unusableServer(uri))
        return *error;
    return std::make_shared<Container>(std::make_unique<PostgresStorage>(uri, timeoutMs));
}

std::optional<CloudError> Container::createOnServer(const QString& uri, int timeoutMs) {
    if (auto error = unusableServer(uri))
        return error;
    try {
        PostgresStorage::createContainer(uri, timeoutMs);
    } catch (const std::exception& e) {
        return storageFailure(e);
    }
    return std::nullopt;
}

bool Container::isServerLocation(const QString& location) {
    return location.startsWith(QLatin1String("postgresql://")) ||
           location.startsWith(QLatin1String("postgres://"));
}

QString Container::describeLocation(const QString& location) {
    return isServerLocation(location) ? PostgresConnection::describe(location) : location;
}

template <typename T, typename F> Result<T> Container::run(ContainerStorage::Step step, F&& work) {
    std::optional<Result<T>> out;
    std::vector<LeftOut> leftOut;
    try {
        storage_->transact(step, [&] {
            leftOut.clear(); // only the last run counts
            out.emplace(work(Rules(*storage_, &leftOut)));
        });
    } catch (const std::exception& e) {
        return storageFailure(e);
    }
    // Each version of a record left out is named once, not at every sync that meets it again.
    for (const LeftOut& record : leftOut) {
        bool first = false;
        {
            const std::lock_guard lock(leftOutMutex_);
            first = leftOutNamed_.insert(record.key).second;
        }
        if (first)
            qWarning().nospace() << "Sync: " << record.line;
    }
    return std::move(*out);
}

std::optional<CloudError>
Container::runAdmin(const std::function<std::optional<CloudError>()>& work) {
    std::optional<CloudError> error;
    try {
        storage_->transact(ContainerStorage::Step::writing, [&] { error = work(); });
    } catch (const std::exception& e) {
        return storageFailure(e);
    }
    return error;
}

Result<std::optional<QString>> Container::currentUser(const QString& device) {
    return run<std::optional<QString>>(ContainerStorage::Step::reading,
                                       [&](Rules r) -> Result<std::optional<QString>> {
                                           DeviceRow row = r.device(device);
                                           if (row.user && !r.s.findUser(*row.user))
                                               return std::optional<QString>();
                                           return row.user;
                                       });
}

Result<QString> Container::changeMark(const QString& device) {
    return run<QString>(ContainerStorage::Step::reading, [&](Rules r) -> Result<QString> {
        const DeviceRow row = r.device(device);
        return QStringLiteral("%1 %2 %3")
            .arg(r.s.containerId(), r.s.changeMark(), row.user.value_or(QString()));
    });
}

Result<std::vector<ZoneID>> Container::heldZones(const QString& device) {
    return run<std::vector<ZoneID>>(
        ContainerStorage::Step::looking, [&](Rules r) -> Result<std::vector<ZoneID>> {
            // Only a look: no fault is used up, and a device that may not fetch learns nothing.
            const DeviceRow row = r.device(device);
            const std::optional<QString> session = r.s.sessionUser();
            if (row.offline || !row.user || (session && *session != *row.user))
                return std::vector<ZoneID>();
            std::vector<ZoneID> held;
            for (const auto& [owner, name] : r.s.heldZones())
                held.push_back(visibleZone(DatabaseScope::privateScope, owner, name, *row.user));
            return held;
        });
}

Result<ModifyZonesResult> Container::modifyZones(const QString& device, DatabaseScope scope,
                                                 const std::vector<ZoneID>& saves,
                                                 const std::vector<ZoneID>& deletes) {
    return run<ModifyZonesResult>(
        ContainerStorage::Step::writing, [&](Rules r) -> Result<ModifyZonesResult> {
            auto user = r.actingUser(device);
            if (!user.ok())
                return user.error();
            const QString& me = user.value();
            ModifyZonesResult result;
            // A zone saved that is there already is left alone; those to make, delete or leave
            // are locked. A zone made, or a notice of a share left that the user may not write,
            // comes under the user's own row.
            const bool privateScope = scope == DatabaseScope::privateScope;
            std::set<QString> named;
            for (const ZoneID& zoneID : saves) {
                if (privateScope && isOwnZone(zoneID.ownerName, me))
                    named.insert(zoneID.zoneName);
            }
            const std::set<QString> there = named.empty() ? named : r.s.zonesThere(me, named);
            ZoneKeys zones;
            for (const QString& name : named) {
                if (!there.contains(name))
                    zones.emplace(me, name);
            }
            for (const ZoneID& zoneID : deletes)
                addWritable(zones, scope, zoneID, me);
            const bool makes = there.size() < named.size() || (!privateScope && !deletes.empty());
            const ZoneKeys held = r.s.lockZones(zones, makes ? std::optional(me) : std::nullopt);
            const auto isHeld = [&](const QString& owner, const QString& name) {
                return held.contains({owner, name});
            };
            for (const ZoneID& zoneID : saves) {
                if (scope == DatabaseScope::sharedScope) {
                    result.failedZoneSaves.emplace_back(
                        zoneID,
                        fail(Code::permissionFailure,
                             QStringLiteral("Zones are not created in the shared database.")));
                    continue;
                }
                auto access = r.access(me, scope, zoneID);
                if (!access.ok()) {
                    result.failedZoneSaves.emplace_back(zoneID, access.error());
                    continue;
                }
                if (!there.contains(zoneID.zoneName) && !r.s.findZone(me, zoneID.zoneName)) {
                    const qint64 seq = r.s.nextSequence();
                    r.s.putZone(ZoneRow{me, zoneID.zoneName,
                                        QUuid::createUuid().toString(QUuid::WithoutBraces), seq});
                }
                result.savedZones.push_back(zoneID);
            }
            for (const ZoneID& zoneID : deletes) {
                if (scope == DatabaseScope::privateScope) {
                    auto access = r.access(me, scope, zoneID);
                    if (!access.ok()) {
                        result.failedZoneDeletes.emplace_back(zoneID, access.error());
                        continue;
                    }
                    if (isHeld(me, zoneID.zoneName)) {
                        result.failedZoneDeletes.emplace_back(zoneID, fail(Code::zoneBusy));
                        continue;
                    }
                    if (auto zone = r.s.findZone(me, zoneID.zoneName))
                        r.deleteZone(*zone);
                } else if (!isOwnZone(zoneID.ownerName, me)) {
                    if (isHeld(zoneID.ownerName, zoneID.zoneName)) {
                        result.failedZoneDeletes.emplace_back(zoneID, fail(Code::zoneBusy));
                        continue;
                    }
                    // Deleting a shared zone means leaving it; the owner keeps it. The share is
                    // touched while the user still takes part, and only by one who may write
                    // the zone: a server lets nobody else hold up its writers.
                    if (auto p = r.participantRow(zoneID.ownerName, zoneID.zoneName, me)) {
                        const bool writes =
                            p->acceptance == rawValue(ParticipantAcceptanceStatus::accepted) &&
                            p->permission == rawValue(ParticipantPermission::readWrite);
                        const qint64 seq =
                            writes ? r.touchShare(p->owner, p->zone) : r.s.nextSequence();
                        r.s.removeParticipant(p->owner, p->zone, me);
                        if (p->acceptance == rawValue(ParticipantAcceptanceStatus::accepted))
                            r.s.addZoneRemoval(ZoneRemovalRow{seq, me, scope, p->owner, p->zone,
                                                              rawValue(ZoneDeletionReason::left)});
                    }
                } else {
                    result.failedZoneDeletes.emplace_back(zoneID, fail(Code::zoneNotFound));
                    continue;
                }
                result.deletedZoneIDs.push_back(zoneID);
            }
            return result;
        });
}

Result<ModifyRecordsResult> Container::modifyRecords(const QString& device, DatabaseScope scope,
                                                     const std::vector<Record>& saves,
                                                     const std::vector<RecordID>& deletes,
                                                     const QString& sendID) {
    bool lost = false; // the answer of what is committed goes astray
    auto done = run<ModifyRecordsResult>(
        ContainerStorage::Step::writing, [&](Rules r) -> Result<ModifyRecordsResult> {
            lost = false;
            auto user = r.actingUser(device);
            if (!user.ok())
                return user.error();
            if (const auto fault = r.lostAnswer(device)) {
                if (*fault == LostAnswer::beforeCommit)
                    return answerLost();
                lost = true;
            }
            const QString& me = user.value();
            ModifyRecordsResult result;
            ZoneKeys zones;
            for (const Record& record : saves)
                addWritable(zones, scope, record.recordID().zoneID, me);
            for (const RecordID& id : deletes)
                addWritable(zones, scope, id.zoneID, me);
            const ZoneKeys held = r.s.lockZones(zones, std::nullopt);

            // Checks shared by saves and deletes; on success, the real owner of the zone.
            auto writable = [&](const RecordID& id, bool reserved) -> Result<QString> {
                if (auto fault = r.recordFault(device, id.recordName))
                    return *fault;
                auto access = r.access(me, scope, id.zoneID);
                if (!access.ok())
                    return access.error();
                if (!r.s.findZone(access.value().owner, id.zoneID.zoneName))
                    return fail(Code::zoneNotFound);
                if (access.value().permission != ParticipantPermission::readWrite)
                    return fail(Code::permissionFailure, QStringLiteral("The share is read-only."));
                if (reserved)
                    return fail(Code::permissionFailure,
                                QStringLiteral("Shares are managed by their owner."));
                if (held.contains({access.value().owner, id.zoneID.zoneName}))
                    return fail(Code::zoneBusy);
                return access.value().owner;
            };

            // The records about to be looked up, by zone, as their owner keeps them.
            std::map<std::pair<QString, QString>, std::vector<QString>> expected;
            for (const Record& record : saves) {
                const ZoneID& zone = record.recordID().zoneID;
                const QString owner = isOwnZone(zone.ownerName, me) ? me : zone.ownerName;
                expected[{owner, zone.zoneName}].push_back(record.recordID().recordName);
            }
            for (const auto& [zone, names] : expected) {
                if (!held.contains(zone))
                    r.s.expectRecords(zone.first, zone.second, names);
            }

            for (const Record& record : saves) {
                const RecordID& id = record.recordID();
                auto owner = writable(id, isReserved(record));
                if (!owner.ok()) {
                    result.failedRecordSaves.emplace_back(record, owner.error());
                    continue;
                }
                auto existing = r.s.findRecord(owner.value(), id.zoneID.zoneName, id.recordName);
                if (record.changeTag() && !existing) {
                    result.failedRecordSaves.emplace_back(record, fail(Code::unknownItem));
                    continue;
                }
                if (existing && (!record.changeTag() || *record.changeTag() != existing->tag)) {
                    // A stored version that does not decode holds nothing to merge, and no
                    // save could ever name its tag: it is replaced, as the saver may write
                    // there. Left, it would keep the record from every device for good.
                    if (auto server = r.deliver(*existing, scope, me)) {
                        result.failedRecordSaves.emplace_back(
                            record, CloudError::conflict(std::move(*server)));
                        continue;
                    }
                }
                const qint64 seq = r.s.nextSequence();
                Record stored = record.withZoneOwner(owner.value());
                stored.setChangeTag(changeTagFor(seq));
                r.s.putRecord(RecordRow{owner.value(), id.zoneID.zoneName, id.recordName,
                                        record.recordType(), changeTagFor(seq),
                                        RecordCoding::encode(stored), seq});
                r.s.removeDeletion(owner.value(), id.zoneID.zoneName, id.recordName);
                r.touchZone(owner.value(), id.zoneID.zoneName, seq);
                Record saved = record;
                saved.setChangeTag(changeTagFor(seq));
                result.savedRecords.push_back(std::move(saved));
            }
            for (const RecordID& id : deletes) {
                auto owner = writable(id, id.recordName.startsWith(QLatin1Char('~')));
                if (!owner.ok()) {
                    result.failedRecordDeletes.emplace_back(id, owner.error());
                    continue;
                }
                if (auto existing =
                        r.s.findRecord(owner.value(), id.zoneID.zoneName, id.recordName)) {
                    const qint64 seq = r.s.nextSequence();
                    r.s.removeRecord(existing->owner, existing->zone, existing->name);
                    r.s.putDeletion(DeletionRow{existing->owner, existing->zone, existing->name,
                                                existing->type, seq});
                    r.touchZone(existing->owner, existing->zone, seq);
                }
                result.deletedRecordIDs.push_back(id);
            }
            if (!sendID.isEmpty())
                r.s.putSend(SendRow{device, sendID, true, refusedText(result.failedRecordSaves)});
            return result;
        });
    if (lost && done.ok())
        return answerLost();
    return done;
}

Result<SendOutcome> Container::sendLanded(const QString& device, const QString& sendID) {
    return run<SendOutcome>(ContainerStorage::Step::writing, [&](Rules r) -> Result<SendOutcome> {
        auto user = r.actingUser(device);
        if (!user.ok())
            return user.error();
        const std::optional<SendRow> row = r.s.settleSend(device, sendID);
        if (!row)
            return SendOutcome{};
        if (!row->landed)
            return SendOutcome{SendOutcome::Fate::neverLanded, {}};
        return SendOutcome{SendOutcome::Fate::landed, refusedIDs(row->refused)};
    });
}

Result<DatabaseChanges> Container::fetchDatabaseChanges(const QString& device, DatabaseScope scope,
                                                        const std::optional<QString>& token) {
    return run<DatabaseChanges>(
        ContainerStorage::Step::reading, [&](Rules r) -> Result<DatabaseChanges> {
            auto user = r.actingUser(device);
            if (!user.ok())
                return user.error();
            const QString& me = user.value();
            const auto since = r.readDatabaseToken(token);
            DatabaseChanges changes;
            if (scope == DatabaseScope::privateScope) {
                for (const ZoneRow& zone : r.s.zones(me)) {
                    if (!since || zone.changedSeq > *since)
                        changes.modifications.push_back(
                            visibleZone(scope, zone.owner, zone.name, me));
                }
            } else {
                for (const ParticipantRow& p : r.s.participations(me)) {
                    if (p.user == p.owner ||
                        p.acceptance != rawValue(ParticipantAcceptanceStatus::accepted) ||
                        p.permission == rawValue(ParticipantPermission::none))
                        continue;
                    auto zone = r.s.findZone(p.owner, p.zone);
                    if (zone && (!since || std::max(zone->changedSeq, p.seq) > *since))
                        changes.modifications.push_back(
                            visibleZone(scope, zone->owner, zone->name, me));
                }
            }
            if (since) {
                for (const ZoneRemovalRow& removal : r.s.zoneRemovalsSince(me, scope, *since)) {
                    // A notice of a zone the user does not own is not about their own
                    // database, whoever wrote it.
                    if (scope == DatabaseScope::privateScope && !isOwnZone(removal.zoneOwner, me))
                        continue;
                    ZoneDeletion deletion{
                        visibleZone(scope, removal.zoneOwner, removal.zoneName, me),
                        zoneDeletionReasonFromRaw(removal.reason)
                            .value_or(ZoneDeletionReason::deleted)};
                    std::erase_if(changes.deletions,
                                  [&](const auto& d) { return d.zoneID == deletion.zoneID; });
                    changes.deletions.push_back(deletion);
                }
            }
            changes.token = r.databaseToken();
            changes.tokenExpired = token.has_value() && !since;
            return changes;
        });
}

namespace {

// One zone's changes since a token, as the user sees them.
Result<ZoneChanges> zoneChanges(Rules& r, const QString& user, DatabaseScope scope,
                                const ZoneID& zoneID, const std::optional<QString>& token) {
    auto access = r.access(user, scope, zoneID);
    if (!access.ok())
        return access.error();
    auto zone = r.s.findZone(access.value().owner, zoneID.zoneName);
    if (!zone)
        return fail(Code::zoneNotFound);
    const auto since = r.readZoneToken(token, *zone);
    ZoneChanges changes;
    // A record that does not decode is left out; the token still passes it, so that the
    // records after it arrive and it is not met again at every fetch.
    for (const RecordRow& row : r.s.recordsSince(zone->owner, zone->name, since.value_or(0))) {
        if (auto record = r.deliver(row, scope, user))
            changes.modifications.push_back(std::move(*record));
        else
            changes.undecodable.push_back(
                RecordID{row.name, visibleZone(scope, row.owner, row.zone, user)});
    }
    if (since) {
        for (const DeletionRow& row : r.s.deletionsSince(zone->owner, zone->name, *since)) {
            changes.deletions.push_back(RecordDeletion{
                RecordID{row.name, visibleZone(scope, row.owner, row.zone, user)}, row.type});
        }
    }
    changes.token = r.zoneToken(*zone);
    return changes;
}

} // namespace

Result<ZoneChanges> Container::fetchZoneChanges(const QString& device, DatabaseScope scope,
                                                const ZoneID& zoneID,
                                                const std::optional<QString>& token) {
    return run<ZoneChanges>(ContainerStorage::Step::reading, [&](Rules r) -> Result<ZoneChanges> {
        auto user = r.actingUser(device);
        if (!user.ok())
            return user.error();
        return zoneChanges(r, user.value(), scope, zoneID, token);
    });
}

Result<std::vector<Result<ZoneChanges>>>
Container::fetchZonesChanges(const QString& device, DatabaseScope scope,
                             const std::vector<std::pair<ZoneID, std::optional<QString>>>& zones) {
    using Fetched = std::vector<Result<ZoneChanges>>;
    return run<Fetched>(ContainerStorage::Step::reading, [&](Rules r) -> Result<Fetched> {
        auto user = r.actingUser(device);
        if (!user.ok())
            return user.error();
        Fetched fetched;
        fetched.reserve(zones.size());
        for (const auto& [zone, token] : zones)
            fetched.push_back(zoneChanges(r, user.value(), scope, zone, token));
        return fetched;
    });
}

Result<std::vector<std::pair<RecordID, Result<Record>>>>
Container::fetchRecords(const QString& device, DatabaseScope scope,
                        const std::vector<RecordID>& ids) {
    using Fetched = std::vector<std::pair<RecordID, Result<Record>>>;
    return run<Fetched>(ContainerStorage::Step::reading, [&](Rules r) -> Result<Fetched> {
        auto user = r.actingUser(device);
        if (!user.ok())
            return user.error();
        Fetched fetched;
        for (const RecordID& id : ids) {
            auto one = [&]() -> Result<Record> {
                if (auto fault = r.recordFault(device, id.recordName))
                    return *fault;
                auto access = r.access(user.value(), scope, id.zoneID);
                if (!access.ok())
                    return access.error();
                if (!r.s.findZone(access.value().owner, id.zoneID.zoneName))
                    return fail(Code::zoneNotFound);
                auto row = r.s.findRecord(access.value().owner, id.zoneID.zoneName, id.recordName);
                if (!row)
                    return fail(Code::unknownItem);
                if (auto record = r.deliver(*row, scope, user.value()))
                    return std::move(*record);
                return fail(Code::internalError, undecodable());
            };
            fetched.emplace_back(id, one());
        }
        return fetched;
    });
}

// --- admin ---

std::optional<CloudError> Container::createUser(const QString& name,
                                                const std::optional<PersonNameComponents>& names) {
    return runAdmin([&]() -> std::optional<CloudError> {
        if (!validUserName(name))
            return fail(Code::invalidArguments,
                        QStringLiteral("A user name uses only letters, digits and . _ @ -."));
        if (storage_->hasUser(name))
            return fail(Code::invalidArguments, QStringLiteral("The user %1 exists.").arg(name));
        if (auto refusal = storage_->preparePerson(name))
            return fail(Code::invalidArguments, *refusal);
        storage_->putUser(UserRow{name, names});
        return std::nullopt;
    });
}

Result<std::vector<UserRow>> Container::users() {
    return run<std::vector<UserRow>>(ContainerStorage::Step::reading,
                                     [&](Rules r) -> Result<std::vector<UserRow>> {
                                         r.ensureDefaultUser();
                                         return r.s.users();
                                     });
}

Result<std::vector<DeviceRow>> Container::devices() {
    return run<std::vector<DeviceRow>>(
        ContainerStorage::Step::reading,
        [&](Rules r) -> Result<std::vector<DeviceRow>> { return r.s.devices(); });
}

std::optional<CloudError> Container::signIn(const QString& device, const QString& user) {
    return runAdmin([&]() -> std::optional<CloudError> {
        Rules r(*storage_);
        r.ensureDefaultUser();
        if (!storage_->findUser(user))
            return fail(Code::invalidArguments, QStringLiteral("There is no user %1.").arg(user));
        // Not made through `device`, which on a server would leave a row for the caller.
        DeviceRow row = storage_->findDevice(device).value_or(DeviceRow{device, {}, false, {}});
        row.user = user;
        storage_->putDevice(row);
        return std::nullopt;
    });
}

std::optional<CloudError> Container::signOut(const QString& device) {
    return runAdmin([&]() -> std::optional<CloudError> {
        DeviceRow row = Rules(*storage_).device(device);
        row.user.reset();
        storage_->putDevice(row);
        return std::nullopt;
    });
}

std::optional<CloudError> Container::setOffline(const QString& device, bool offline) {
    return runAdmin([&]() -> std::optional<CloudError> {
        // On a server a device has a row for each role it connects as, and one of the
        // administrator's when it was switched before it first connected: the switch is the
        // device's, so it goes to every one the caller may change.
        std::vector<DeviceRow> rows;
        for (DeviceRow& row : storage_->devices()) {
            if (row.id == device)
                rows.push_back(std::move(row));
        }
        if (rows.empty())
            rows.push_back(Rules(*storage_).device(device));
        for (DeviceRow& row : rows) {
            row.offline = offline;
            storage_->putDevice(row);
        }
        return std::nullopt;
    });
}

std::optional<CloudError> Container::startNewRun() {
    return runAdmin([&]() -> std::optional<CloudError> {
        storage_->startNewRun();
        return std::nullopt;
    });
}

std::optional<CloudError> Container::shareZone(const QString& owner, const QString& zoneName,
                                               const QString& user,
                                               ParticipantPermission permission) {
    return runAdmin([&]() -> std::optional<CloudError> {
        Rules r(*storage_);
        if (!storage_->findZone(owner, zoneName))
            return fail(Code::zoneNotFound,
                        QStringLiteral("%1 has no zone %2.").arg(owner, zoneName));
        if (!storage_->hasUser(user))
            return fail(Code::invalidArguments, QStringLiteral("There is no user %1.").arg(user));
        if (user == owner)
            return fail(Code::invalidArguments, QStringLiteral("The owner already has the zone."));
        const qint64 seq = r.touchShare(owner, zoneName);
        if (!r.participantRow(owner, zoneName, owner)) {
            storage_->putParticipant(
                ParticipantRow{owner, zoneName, owner, rawValue(ParticipantRole::owner),
                               rawValue(ParticipantPermission::readWrite),
                               rawValue(ParticipantAcceptanceStatus::accepted), seq});
        }
        ParticipantRow row =
            r.participantRow(owner, zoneName, user)
                .value_or(ParticipantRow{owner,
                                         zoneName,
                                         user,
                                         rawValue(ParticipantRole::privateUser),
                                         {},
                                         rawValue(ParticipantAcceptanceStatus::pending),
                                         0});
        row.permission = rawValue(permission);
        row.seq = seq;
        storage_->putParticipant(row);
        return std::nullopt;
    });
}

namespace {

// Changes one non-owner participant of a zone and publishes a new share version.
std::optional<CloudError> changeParticipant(ContainerStorage& storage, const QString& owner,
                                            const QString& zoneName, const QString& user,
                                            const std::function<void(ParticipantRow&)>& change) {
    Rules r(storage);
    auto row = r.participantRow(owner, zoneName, user);
    if (!row || user == owner)
        return fail(
            Code::unknownItem,
            QStringLiteral("%1 does not take part in %2 of %3.").arg(user, zoneName, owner));
    // The share is touched by whoever may write the zone; a participant who does not (yet) is
    // on a server held to their own row, which their own devices see.
    const bool own = storage.sessionUser() == user;
    const bool writes = row->acceptance == rawValue(ParticipantAcceptanceStatus::accepted) &&
                        row->permission == rawValue(ParticipantPermission::readWrite);
    row->seq = !own || writes ? r.touchShare(owner, zoneName) : storage.nextSequence();
    change(*row);
    storage.putParticipant(*row);
    return std::nullopt;
}

} // namespace

std::optional<CloudError> Container::acceptShare(const QString& owner, const QString& zoneName,
                                                 const QString& user) {
    return runAdmin([&] {
        return changeParticipant(*storage_, owner, zoneName, user, [](ParticipantRow& row) {
            row.acceptance = rawValue(ParticipantAcceptanceStatus::accepted);
        });
    });
}

std::optional<CloudError> Container::setParticipantPermission(const QString& owner,
                                                              const QString& zoneName,
                                                              const QString& user,
                                                              ParticipantPermission permission) {
    return runAdmin([&] {
        return changeParticipant(*storage_, owner, zoneName, user, [&](ParticipantRow& row) {
            row.permission = rawValue(permission);
        });
    });
}

std::optional<CloudError>
Container::removeParticipant(const QString& owner, const QString& zoneName, const QString& user) {
    return runAdmin([&]() -> std::optional<CloudError> {
        Rules r(*storage_);
        auto row = r.participantRow(owner, zoneName, user);
        if (!row || user == owner)
            return fail(
                Code::unknownItem,
                QStringLiteral("%1 does not take part in %2 of %3.").arg(user, zoneName, owner));
        storage_->removeParticipant(owner, zoneName, user);
        const qint64 seq = r.touchShare(owner, zoneName);
        if (row->acceptance == rawValue(ParticipantAcceptanceStatus::accepted))
            storage_->addZoneRemoval(ZoneRemovalRow{seq, user, DatabaseScope::sharedScope, owner,
                                                    zoneName,
                                                    rawValue(ZoneDeletionReason::accessRevoked)});
        return std::nullopt;
    });
}

std::optional<CloudError> Container::injectFault(const QString& device, const QString& pattern,
                                                 CloudError::Code code, int times) {
    return runAdmin([&]() -> std::optional<CloudError> {
        if (times == 0)
            return fail(Code::invalidArguments, QStringLiteral("A fault needs a count."));
        storage_->putFault(FaultRow{0, device, pattern, static_cast<int>(code), times});
        return std::nullopt;
    });
}

std::optional<CloudError> Container::injectLostAnswer(const QString& device, LostAnswer when,
                                                      int times) {
    return runAdmin([&]() -> std::optional<CloudError> {
        if (times == 0)
            return fail(Code::invalidArguments, QStringLiteral("A fault needs a count."));
        storage_->putFault(
            FaultRow{0,
                     device,
                     {},
                     when == LostAnswer::beforeCommit ? lostBeforeCommitCode : lostAfterCommitCode,
                     times});
        return std::nullopt;
    });
}

std::optional<CloudError> Container::clearFaults() {
    return runAdmin([&]() -> std::optional<CloudError> {
        storage_->removeAllFaults();
        return std::nullopt;
    });
}

Result<std::vector<FaultRow>> Container::faults() {
    return run<std::vector<FaultRow>>(
        ContainerStorage::Step::reading,
        [&](Rules r) -> Result<std::vector<FaultRow>> { return r.s.faults(); });
}

Result<std::vector<Container::ZoneSummary>> Container::zones() {
    return run<std::vector<ZoneSummary>>(
        ContainerStorage::Step::reading, [&](Rules r) -> Result<std::vector<ZoneSummary>> {
            std::vector<ZoneSummary> summaries;
            for (const ZoneRow& zone : r.s.allZones()) {
                ZoneSummary summary{zone, 0, r.s.participants(zone.owner, zone.name)};
                summary.recordCount = qsizetype(r.s.recordsSince(zone.owner, zone.name, 0).size());
                summaries.push_back(std::move(summary));
            }
            return summaries;
        });
}

Result<std::vector<Record>> Container::records(const QString& owner, const QString& zoneName) {
    return run<std::vector<Record>>(
        ContainerStorage::Step::reading, [&](Rules r) -> Result<std::vector<Record>> {
            if (!r.s.findZone(owner, zoneName))
                return fail(Code::zoneNotFound);
            std::vector<Record> records;
            for (const RecordRow& row : r.s.recordsSince(owner, zoneName, 0)) {
                if (auto record = r.decoded(row))
                    records.push_back(std::move(*record));
            }
            return records;
        });
}

} // namespace cloud
