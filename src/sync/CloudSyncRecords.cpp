// Building the records the engines send, and taking in the records they fetch.
#include "CloudSync.h"

#include "CloudIds.h"
#include "ListCloudMapping.h"
#include "cloud/RecordCoding.h"
#include "store/RecordField.h"

#include <QDebug>

#include <algorithm>

using namespace cloud;
namespace Mapping = ListCloudMapping;

namespace {

// What sync leaves alone is said in the program's log; quoted, so that a name someone else chose
// cannot make lines of its own there.
bool refused(const std::optional<QString>& why) {
    if (why)
        qWarning().nospace() << "Sync: " << *why;
    return why.has_value();
}

// A server copy kept under the key is the base of the record `id` only when it is that record:
// one of another zone (kept by an older program, which took in records by name alone) would
// send the local values there.
std::optional<Record> baseFor(std::optional<Record> kept, const RecordID& id) {
    if (kept && kept->recordID() != id)
        return std::nullopt;
    return kept;
}

// Fields held for another account (ListStore::heldMarks()) are that account's to send: a record
// sent now carries the cloud's value of them. A list or item the cloud does not have yet, some
// of whose fields are someone else's change, is not sent at all.
template <typename Model, typename Table>
std::optional<Model> withoutHeld(Model local, const FieldSet& held,
                                 const std::optional<Model>& server, const Table& fields) {
    if (held.isEmpty())
        return local;
    if (!server)
        return std::nullopt;
    for (const auto& field : fields) {
        if (held.contains(field.latin1Name()))
            field.copy(local, *server);
    }
    return local;
}

// Whether every field of the list or item is marked here, as those made here are until the
// container confirms them.
bool markedInFull(const ListStore& store, const RecordID& id) {
    if (id.recordName == CloudLayout::listRecordName) {
        const auto listID = Mapping::listID(id.zoneID);
        const FieldSet marks = listID ? store.dirtyLists().value(*listID) : FieldSet();
        return marks.contains(ListStore::allListFields());
    }
    return store.dirtyItems().value(id.recordName).contains(ListStore::allItemFields());
}

} // namespace

QByteArray CloudSync::archive(const Record& record) {
    return RecordCoding::encode(record);
}

namespace {
// Where a note keeps its send id beside the record: a program that does not know it reads the
// note as the record alone.
const char* const sendIDKey = "send";
} // namespace

QByteArray CloudSync::archive(const SendingNote& note) {
    if (note.sendID.isEmpty())
        return archive(note.record);
    Json json = RecordCoding::toJson(note.record);
    json[sendIDKey] = utf8(note.sendID);
    return QByteArray::fromStdString(json.dump());
}

std::optional<CloudSync::SendingNote> CloudSync::unarchiveNote(const QString& key) const {
    const auto data = store_.archivedRecord(key);
    if (!data || data->isEmpty())
        return std::nullopt;
    try {
        const Json json = JsonRead::parse(*data);
        auto record = RecordCoding::fromJson(json);
        if (!record)
            return std::nullopt;
        const auto id = json.find(sendIDKey);
        return SendingNote{std::move(*record), id != json.end() && id->is_string()
                                                   ? fromUtf8(id->get<std::string>())
                                                   : QString()};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<Record> CloudSync::unarchive(const QString& key) const {
    const auto data = store_.archivedRecord(key);
    if (!data || data->isEmpty())
        return std::nullopt;
    return RecordCoding::decode(*data);
}

std::optional<Record> CloudSync::recordFor(const RecordID& id) const {
    const QString& name = id.recordName;
    if (id.zoneID.zoneName == CloudLayout::metaZoneName) {
        const auto filing = store_.filings().find(name);
        if (filing == store_.filings().end())
            return std::nullopt;
        return Mapping::record(name, *filing,
                               baseFor(unarchive(CloudLayout::filingArchiveKey(name)), id));
    }
    const auto listID = Mapping::listID(id.zoneID);
    if (!listID)
        return std::nullopt;
    const TBList* list = store_.findList(*listID);
    const std::optional<QString> owner = list ? list->zoneOwnerName : std::nullopt;
    if (name == CloudLayout::listRecordName) {
        if (!list)
            return std::nullopt;
        auto base = baseFor(unarchive(CloudLayout::listArchiveKey(*listID)), id);
        const auto sent = withoutHeld(
            *list, store_.heldListFields(*listID),
            base ? Mapping::list(*base, store_.clock().now()) : std::nullopt, RecordFields::list);
        if (!sent)
            return std::nullopt;
        return Mapping::record(*sent, std::move(base));
    }
    if (const auto itemID = CloudLayout::itemIDOfTombstone(name)) {
        const auto tombstone = store_.tombstones().find(*itemID);
        if (tombstone == store_.tombstones().end())
            return std::nullopt;
        const TBList* itsList = store_.findList(tombstone->listID);
        return Mapping::tombstoneRecord(*itemID, tombstone->listID,
                                        itsList ? itsList->zoneOwnerName : std::nullopt,
                                        tombstone->deletedAt);
    }
    const TBItem* item = store_.findItem(name);
    if (!item || item->listID != *listID)
        return std::nullopt;
    auto base = baseFor(unarchive(CloudLayout::itemArchiveKey(name)), id);
    const auto sent = withoutHeld(*item, store_.heldItemFields(name),
                                  base ? Mapping::item(*base) : std::nullopt, RecordFields::item);
    if (!sent)
        return std::nullopt;
    return Mapping::record(*sent, std::move(base), owner);
}

std::optional<Record> CloudSync::recordToSend(const RecordID& id, EngineScope scope,
                                              const QString& sendID) {
    std::optional<Record> record = recordFor(id);
    const auto key = record ? CloudLayout::archiveKeyOf(id.recordName, Mapping::listID(id.zoneID))
                            : std::nullopt;
    if (!key)
        return record;
    const QString noted = CloudLayout::sendingKey(*key);
    // An unanswered send against the same copy may have reached the server: what it sent is
    // what the server's copy is to be weighed against, not what goes now.
    if (const auto earlier = unarchive(noted);
        earlier && earlier->recordID() == id && earlier->changeTag() == record->changeTag())
        return record;
    keepNote(noted, SendingNote{*record, sendID});
    sending(scope).insert(noted);
    notedUnwritten_ = true;
    unsaved_ = true;
    return record;
}

std::vector<QString> CloudSync::unansweredSends() const {
    std::vector<QString> ids;
    QSet<QString> seen;
    for (const QString& noted :
         store_.archivedRecords().keysStartingWith(CloudLayout::sendingKey(QString()))) {
        if (inBatchUnderWay(noted))
            continue;
        const auto note = unarchiveNote(noted);
        if (note && !note->sendID.isEmpty() && !seen.contains(note->sendID)) {
            seen.insert(note->sendID);
            ids.push_back(note->sendID);
        }
    }
    return ids;
}

void CloudSync::takeSendOutcomes(const SyncEvents::SendOutcomes& told) {
    QHash<QString, const SendOutcome*> outcomes;
    for (const auto& [sendID, outcome] : told.outcomes)
        outcomes.insert(sendID, &outcome);
    for (const QString& noted :
         store_.archivedRecords().keysStartingWith(CloudLayout::sendingKey(QString()))) {
        const auto note = inBatchUnderWay(noted) ? std::nullopt : unarchiveNote(noted);
        const SendOutcome* outcome = note ? outcomes.value(note->sendID) : nullptr;
        if (!outcome)
            continue;
        const auto& refused = outcome->refused;
        const bool took =
            outcome->fate == SendOutcome::Fate::landed &&
            std::find(refused.begin(), refused.end(), note->record.recordID()) == refused.end();
        if (took || outcome->fate == SendOutcome::Fate::notKept)
            store_.setArchive(noted, archive(note->record)); // for the server's copy to settle
        else
            store_.removeArchive(noted); // never sent: every mark stays
    }
}

// A send noted here whose answer was never taken in (the program was killed, or the call failed
// with the answer lost) either reached the server or did not, which the container says (see
// takeSendOutcomes()); until it has, the note and every mark stay. A send it took, or one noted
// by a program that kept no send ids (nobody can say then), is settled by the server's copy:
// when that is still the one the send was built on, the send did not land, and every mark
// stays. When the server's copy moved on, it may have: a field sent and not changed here since
// is then the server's to decide, since sending it again would overwrite whatever another
// device made of it after this one's save. A field changed here since keeps its mark and is
// sent.
void CloudSync::settleUnansweredSend(const Record& server) {
    const RecordID& id = server.recordID();
    const auto listID = Mapping::listID(id.zoneID);
    const auto key = CloudLayout::archiveKeyOf(id.recordName, listID);
    if (!key)
        return;
    const QString noted = CloudLayout::sendingKey(*key);
    // Its batch's answer is on its way, or is being taken in.
    if (inBatchUnderWay(noted))
        return;
    const std::optional<SendingNote> note = unarchiveNote(noted);
    if (!note || !note->sendID.isEmpty())
        return;
    const Record* const sent = &note->record;
    store_.removeArchive(noted);
    const std::optional<Record> base = unarchive(*key);
    const std::optional<QString> baseTag = base ? base->changeTag() : std::nullopt;
    // A note about another copy than the one kept (a program that does not know notes took in
    // a later copy) tells nothing, nor does a server copy that is still the one sent against.
    if (sent->recordID() != id || sent->changeTag() != baseTag ||
        server.changeTag() == sent->changeTag())
        return;
    // A save without a change tag makes a new record: over one the container holds already it
    // is refused as a conflict, so it cannot have landed. A record marked here in part is one
    // the container held before (one made here is marked in full until the container confirms
    // it), its copy let go since.
    if (!sent->changeTag() && !markedInFull(store_, id))
        return;
    FieldSet unchanged;
    if (id.recordName == CloudLayout::listRecordName) {
        const auto sentList = Mapping::list(*sent, store_.clock().now());
        const TBList* local = store_.findList(*listID);
        if (!sentList || !local)
            return;
        for (const auto& field : RecordFields::list) {
            if (field.same(*local, *sentList))
                unchanged.insert(field.latin1Name());
        }
        store_.giveUpListMarks(*listID, unchanged);
        return;
    }
    const auto sentItem = Mapping::item(*sent);
    const TBItem* local = store_.findItem(id.recordName);
    if (!sentItem || !local)
        return;
    // Notes take the lines of both sides whatever the marks say: what the merge adds here is
    // still to send.
    for (const auto& field : RecordFields::item) {
        if (field.id != ItemField::notes && field.same(*local, *sentItem))
            unchanged.insert(field.latin1Name());
    }
    store_.giveUpItemMarks(id.recordName, unchanged);
}

void CloudSync::applyShare(const Record& share) {
    const auto listID = Mapping::listID(share.recordID().zoneID);
    if (!listID || refused(store_.foreignZone(CloudIds::fromCloud(share.recordID().zoneID))))
        return;
    const ShareParticipant* me = share.share() ? share.share()->currentUserParticipant() : nullptr;
    const TBSharePermission permission = me && me->permission == ParticipantPermission::readOnly
                                             ? TBSharePermission::readOnly
                                             : TBSharePermission::readWrite;
    store_.applySharePermission(*listID, permission);
}

void CloudSync::applyServerRecord(const Record& record) {
    if (record.isShare()) {
        applyShare(record);
        return;
    }
    if (refused(store_.foreignRecord(CloudIds::fromCloud(record.recordID()))))
        return;
    settleUnansweredSend(record);
    if (const auto tombstone = Mapping::tombstone(record)) {
        store_.applyServerTombstone(tombstone->first, *Mapping::listID(record.recordID().zoneID),
                                    tombstone->second);
    } else if (const auto filing = Mapping::filing(record)) {
        store_.applyServerFiling(filing->first, filing->second, archive(record));
    } else if (const auto list = Mapping::list(record, store_.clock().now())) {
        store_.applyServerList(*list, archive(record));
    } else if (const auto item = Mapping::item(record)) {
        store_.applyServerItem(*item, archive(record));
    }
}

void CloudSync::applyServerDeletion(const RecordID& id) {
    const RecordRef record = CloudIds::fromCloud(id);
    if (!refused(store_.foreignRecord(record)))
        store_.applyServerDeletion(record);
}

void CloudSync::applyZoneDeletion(const ZoneID& zone) {
    const auto listID = Mapping::listID(zone);
    if (listID && !refused(store_.foreignZone(CloudIds::fromCloud(zone))))
        store_.removeListLocally(*listID);
}
