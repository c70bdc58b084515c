// The sending journal: what a restart needs of a sending under way, appended beside the store
// file batch by batch instead of writing the whole store before each batch.
//
// Each entry is one JSON object, of one engine:
//     {"scope": "private" | "shared",
//      "saved": [[archive key, change tag], ...],   a save of the record noted under the key
//      "savedRecords": [[Base64 record, tag sent against or null], ...],   any other save
//      "refused": [note key, ...],                  a noted save the container refused
//      "deleted": [[record, zone, owner], ...],     confirmed deletions
//      "noted": [[archive key, tag sent against or null], ...]}   the batch about to go
// and is read back in order, the answers before the notes. A note names its record only: what
// was sent is made again from the store as its file holds it, which is what the batch sent
// unless a change made just before the kill was never written (and then the server's copy,
// which holds it, is taken in). Replayed over a store file written after some of it, an entry
// changes nothing the store already moved past: a note or a confirmed save is taken in only
// while the store still holds the copy it was sent against.
#include "CloudSync.h"

#include "CloudEngine.h"
#include "CloudIds.h"
#include "ListCloudMapping.h"
#include "cloud/RecordCoding.h"
#include "store/CloudLayout.h"
#include "store/SendingJournal.h"

#include <QFile>
#include <QPointer>

#include <atomic>
#include <memory>

using namespace cloud;
namespace Mapping = ListCloudMapping;

namespace {

const char* scopeName(EngineScope scope) {
    return scope == EngineScope::sharedDatabase ? "shared" : "private";
}

Json optionalText(const std::optional<QString>& text) {
    return text ? Json(utf8(*text)) : Json(nullptr);
}

std::optional<QString> textAt(const Json& array, size_t index) {
    if (!array.is_array() || index >= array.size() || !array[index].is_string())
        return std::nullopt;
    return fromUtf8(array[index].get<std::string>());
}

// The array under `key`, or an empty one.
const Json& arrayAt(const Json& entry, const char* key) {
    static const Json none = Json::array();
    const auto found = entry.find(key);
    return found != entry.end() && found->is_array() ? *found : none;
}

// The key under which a saved record's server copy is kept, when it has one.
std::optional<QString> keptUnder(const RecordID& id) {
    if (id.zoneID.zoneName == CloudLayout::metaZoneName)
        return CloudLayout::filingArchiveKey(id.recordName);
    return CloudLayout::archiveKeyOf(id.recordName, Mapping::listID(id.zoneID));
}

} // namespace

CloudSync::Unjournaled& CloudSync::unjournaled(EngineScope scope) {
    return scope == EngineScope::sharedDatabase ? sharedUnjournaled_ : privateUnjournaled_;
}

void CloudSync::openJournal() {
    if (!store_.canWrite() || store_.fileURL().isEmpty())
        return;
    journal_ = std::make_unique<SendingJournal>(SendingJournal::pathBeside(store_.fileURL()));
    if (!QFile::exists(journal_->path()))
        return;
    journalOnDisk_ = true;
    mergeJournal(SendingJournal::read(journal_->path()));
    // Written with the next results; the journal stays until then.
    unsaved_ = true;
}

void CloudSync::mergeJournal(const std::vector<QByteArray>& entries) {
    std::vector<PendingRecordZoneChange> settled[2];
    store_.batch([&] {
        for (const QByteArray& text : entries) {
            const Json entry =
                Json::parse(text.constData(), text.constData() + text.size(), nullptr, false);
            // Anything after an entry that does not read is of no use.
            if (!entry.is_object())
                break;
            const auto scope = entry.find("scope");
            const bool shared = scope != entry.end() && *scope == "shared";
            auto& done = settled[shared ? 1 : 0];
            for (const Json& saved : arrayAt(entry, "saved")) {
                const auto key = textAt(saved, 0);
                const auto tag = textAt(saved, 1);
                const auto note = key ? unarchive(CloudLayout::sendingKey(*key)) : std::nullopt;
                if (!note || !tag)
                    continue;
                Record record = *note;
                record.setChangeTag(*tag);
                replaySaved(record, note->changeTag(), done);
            }
            for (const Json& saved : arrayAt(entry, "savedRecords")) {
                const auto text = textAt(saved, 0);
                const auto record =
                    text ? RecordCoding::decode(QByteArray::fromBase64(text->toLatin1()))
                         : std::nullopt;
                if (record)
                    replaySaved(*record, textAt(saved, 1), done);
            }
            for (const Json& refused : arrayAt(entry, "refused")) {
                if (refused.is_string())
                    store_.removeArchive(fromUtf8(refused.get<std::string>()));
            }
            for (const Json& deleted : arrayAt(entry, "deleted")) {
                const auto name = textAt(deleted, 0);
                const auto zone = textAt(deleted, 1);
                const auto owner = textAt(deleted, 2);
                if (!name || !zone || !owner)
                    continue;
                const RecordID id{*name, ZoneID{*zone, *owner}};
                if (id.zoneID.zoneName != CloudLayout::metaZoneName)
                    store_.confirmRecordDeleted(CloudIds::fromCloud(id));
                done.push_back(PendingRecordZoneChange::deleteRecord(id));
            }
            for (const Json& noted : arrayAt(entry, "noted")) {
                if (const auto key = textAt(noted, 0))
                    replayNoted(*key, textAt(noted, 1));
            }
        }
    });
    // The engines' saved states still hold what the container confirmed as pending: it goes,
    // and whatever is still marked is queued again as the engines start.
    for (const EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
        const auto& done = settled[scope == EngineScope::sharedDatabase ? 1 : 0];
        const auto& data = scope == EngineScope::sharedDatabase ? store_.sharedEngineStateData()
                                                                : store_.engineStateData();
        const auto saved = data ? StateSerialization::fromData(*data) : std::nullopt;
        if (done.empty() || !saved)
            continue;
        SyncEngineState state(saved);
        state.remove(done);
        store_.setEngineStateData(scope, state.serialization().data());
    }
}

// Taken in as the answer was, unless the store moved past the copy the save was sent against
// (its file was written after the answer): then only the note goes, as it went then.
void CloudSync::replaySaved(const Record& saved, const std::optional<QString>& against,
                            std::vector<PendingRecordZoneChange>& settled) {
    const RecordID& id = saved.recordID();
    settled.push_back(PendingRecordZoneChange::saveRecord(id));
    if (const auto key = keptUnder(id)) {
        const auto kept = unarchive(*key);
        if ((kept ? kept->changeTag() : std::nullopt) != against) {
            if (id.zoneID.zoneName != CloudLayout::metaZoneName)
                store_.removeArchive(CloudLayout::sendingKey(*key));
            return;
        }
    }
    markClean(saved);
}

// A note the store file does not hold is made again from the store, as long as the store still
// holds the copy the batch was sent against.
void CloudSync::replayNoted(const QString& key, const std::optional<QString>& against) {
    const QString noteKey = CloudLayout::sendingKey(key);
    if (store_.archivedRecord(noteKey))
        return;
    const auto kept = unarchive(key);
    if ((kept ? kept->changeTag() : std::nullopt) != against)
        return;
    std::optional<QString> listID;
    QString name;
    if (key.startsWith(CloudLayout::listArchiveKey(QString()))) {
        listID = key.mid(CloudLayout::listArchiveKey(QString()).size());
        name = CloudLayout::listRecordName;
    } else if (key.startsWith(CloudLayout::itemArchiveKey(QString()))) {
        name = key.mid(CloudLayout::itemArchiveKey(QString()).size());
        if (const TBItem* item = store_.findItem(name))
            listID = item->listID;
    }
    if (!listID || !store_.findList(*listID))
        return;
    const RecordID id{name, CloudIds::toCloud(store_.zoneID(*listID))};
    if (const auto sent = recordFor(id); sent && sent->changeTag() == against)
        store_.setArchive(noteKey, archive(*sent));
}

void CloudSync::journalAnswer(const SyncEvents::SentRecordZoneChanges& sent, EngineScope scope) {
    if (!journal_)
        return;
    Unjournaled& out = unjournaled(scope);
    for (const Record& record : sent.savedRecords) {
        const RecordID& id = record.recordID();
        const auto key = keptUnder(id);
        // A save noted for this batch is its note with the container's tag.
        if (key && record.changeTag() && sending(scope).contains(CloudLayout::sendingKey(*key))) {
            out.tagged.emplace_back(*key, *record.changeTag());
            continue;
        }
        const auto kept = key ? unarchive(*key) : std::nullopt;
        out.records.emplace_back(archive(record).toBase64(),
                                 kept ? kept->changeTag() : std::nullopt);
    }
    for (const auto& [record, error] : sent.failedRecordSaves) {
        const RecordID& id = record.recordID();
        const auto key = CloudLayout::archiveKeyOf(id.recordName, Mapping::listID(id.zoneID));
        if (key && sending(scope).contains(CloudLayout::sendingKey(*key)))
            out.refused.append(CloudLayout::sendingKey(*key));
    }
    for (const RecordID& id : sent.deletedRecordIDs)
        out.deleted.push_back(id);
}

void CloudSync::journalTakenIn(std::optional<EngineScope> noted, std::function<void()> done) {
    if (!journal_) {
        if (done)
            done();
        return;
    }
    std::vector<QByteArray> entries;
    for (const EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
        Unjournaled taken = std::exchange(unjournaled(scope), {});
        if (taken.empty() && noted != scope)
            continue;
        Json entry = Json::object();
        entry["scope"] = scopeName(scope);
        Json saved = Json::array();
        for (const auto& [key, tag] : taken.tagged)
            saved.push_back(Json::array({utf8(key), utf8(tag)}));
        entry["saved"] = std::move(saved);
        Json records = Json::array();
        for (const auto& [record, against] : taken.records)
            records.push_back(Json::array({record.toStdString(), optionalText(against)}));
        entry["savedRecords"] = std::move(records);
        Json refused = Json::array();
        for (const QString& key : std::as_const(taken.refused))
            refused.push_back(utf8(key));
        entry["refused"] = std::move(refused);
        Json deleted = Json::array();
        for (const RecordID& id : taken.deleted)
            deleted.push_back(Json::array(
                {utf8(id.recordName), utf8(id.zoneID.zoneName), utf8(id.zoneID.ownerName)}));
        entry["deleted"] = std::move(deleted);
        Json notes = Json::array();
        if (noted == scope) {
            const qsizetype prefix = CloudLayout::sendingKey(QString()).size();
            for (const QString& noteKey : std::as_const(sending(scope))) {
                const auto note = unwrittenNotes_.constFind(noteKey);
                const auto kept =
                    note != unwrittenNotes_.cend() ? std::optional(*note) : unarchive(noteKey);
                if (kept)
                    notes.push_back(
                        Json::array({utf8(noteKey.mid(prefix)), optionalText(kept->changeTag())}));
            }
        }
        entry["noted"] = std::move(notes);
        entries.push_back(QByteArray::fromStdString(entry.dump()));
    }
    if (entries.empty()) {
        if (done)
            done();
        return;
    }
    journalOnDisk_ = true;
    for (size_t i = 0; i + 1 < entries.size(); ++i)
        journal_->append(std::move(entries[i]), false);
    // Only the notes wait for the disk: without them an answer lost to a kill is sent again
    // and settled as any lost answer is.
    if (noted)
        journal_->append(std::move(entries.back()), true, [done](bool) { done(); });
    else {
        journal_->append(std::move(entries.back()), false);
        if (done)
            done();
    }
}

void CloudSync::dropJournalOnceWritten() {
    if (!journal_ || !journalOnDisk_)
        return;
    const quint64 asked = journal_->appendsAsked();
    QPointer<CloudSync> self(this);
    store_.whenSaved([self, asked](bool saved) {
        if (!self || !saved || !self->journalOnDisk_ || self->journal_->appendsAsked() != asked)
            return;
        self->journal_->remove();
        self->journalOnDisk_ = false;
    });
}
