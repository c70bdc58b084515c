// The sending journal: what a restart needs of a sending under way, appended beside the store
// file batch by batch instead of writing the whole store before each batch.
//
// Each entry is one JSON object, of one engine:
//     {"scope": "private" | "shared",
//      "saved": [[archive key, change tag], ...],   a save of the record noted under the key
//      "savedRecords": [[Base64 record, tag sent against or null], ...],   any other save
//      "refused": [note key, ...],                  a noted save the container refused
//      "deleted": [[record, zone, owner], ...],     confirmed deletions
//      "noted": [[archive key, tag sent against or null, digest], ...],   the batch about to go
//      "send": the batch's send id}
// and is read back in order, the answers before the notes. A note names its record and the
// digest of what was sent (digestOf()), not the record itself: the note is made again from the
// store as its file holds it only when that makes the same record. A store file written after
// the batch went may hold a change made since, which the record made from it would carry, and a
// confirmed save would then mark as sent: without the note, the confirmed save is not taken in,
// and the next send meets the container's copy as a conflict and merges it, which loses
// nothing. A journal without digests (an older program's) is read the same way, as telling
// nothing. The note made again keeps the batch's send id, so that the container can be asked
// what became of a batch whose answer never came. Replayed over a store file written after some
// of it, an entry changes nothing the store already moved past: a note or a confirmed save is
// taken in only while the store still holds the copy it was sent against.
#include "CloudSync.h"

#include "CloudEngine.h"
#include "CloudIds.h"
#include "ListCloudMapping.h"
#include "cloud/RecordCoding.h"
#include "platform/ShortDigest.h"
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

// Entries are written by hand: one goes before each batch, and the JSON library's tree of a
// few hundred small arrays costs more than the rest of the entry's way to the disk.
void appendText(QByteArray& out, const QString& text) {
    out += '"';
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += QByteArray("\\u00") +
                   QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendText(QByteArray& out, const std::optional<QString>& text) {
    if (text)
        appendText(out, *text);
    else
        out += "null";
}

// `"key":[item,item,...]`, each item written by `write`.
template <typename List, typename Write>
void appendList(QByteArray& out, const char* key, const List& list, Write write) {
    out += ",\"";
    out += key;
    out += "\":[";
    bool first = true;
    for (const auto& item : list) {
        if (!std::exchange(first, false))
            out += ',';
        write(item);
    }
    out += ']';
}

// The key under which a saved record's server copy is kept, when it has one.
std::optional<QString> keptUnder(const RecordID& id) {
    if (id.zoneID.zoneName == CloudLayout::metaZoneName)
        return CloudLayout::filingArchiveKey(id.recordName);
    return CloudLayout::archiveKeyOf(id.recordName, Mapping::listID(id.zoneID));
}

void appendRaw(QByteArray& out, const void* data, size_t size) {
    out.append(static_cast<const char*>(data), qsizetype(size));
}

void appendSized(QByteArray& out, const QString& text) {
    const qint64 size = text.size();
    appendRaw(out, &size, sizeof size);
    appendRaw(out, text.utf16(), size_t(size) * sizeof(char16_t));
}

} // namespace

// Everything archive() keeps of a list's or an item's record, laid out without the cost of its
// JSON: the digest is taken of every record a batch sends.
QString CloudSync::digestOf(const Record& record) {
    if (record.share())
        return ShortDigest::of(archive(record));
    QByteArray out;
    out.reserve(1024);
    appendSized(out, record.recordType());
    appendSized(out, record.recordID().recordName);
    appendSized(out, record.recordID().zoneID.zoneName);
    appendSized(out, record.recordID().zoneID.ownerName);
    const char tagged = record.changeTag() ? 1 : 0;
    appendRaw(out, &tagged, 1);
    if (record.changeTag())
        appendSized(out, *record.changeTag());
    for (const auto& [key, value] : record.fields()) {
        appendSized(out, key);
        const char kind = char(value.index());
        appendRaw(out, &kind, 1);
        if (const auto* text = std::get_if<QString>(&value)) {
            appendSized(out, *text);
        } else if (const auto* integer = std::get_if<qint64>(&value)) {
            appendRaw(out, integer, sizeof *integer);
        } else if (const auto* number = std::get_if<double>(&value)) {
            appendRaw(out, number, sizeof *number);
        } else if (const auto* date = std::get_if<Date>(&value)) {
            const double seconds = date->secondsSinceReferenceDate();
            appendRaw(out, &seconds, sizeof seconds);
        }
    }
    return ShortDigest::of(out);
}

QByteArray CloudSync::entryText(EngineScope scope, const Unjournaled& taken) {
    QByteArray out = "{\"scope\":\"";
    out += scopeName(scope);
    out += '"';
    const auto pair = [&out](const auto& first, const auto& second) {
        out += '[';
        appendText(out, first);
        out += ',';
        appendText(out, second);
        out += ']';
    };
    appendList(out, "saved", taken.tagged,
               [&](const auto& saved) { pair(saved.first, saved.second); });
    appendList(out, "savedRecords", taken.records,
               [&](const auto& saved) { pair(QString::fromLatin1(saved.first), saved.second); });
    appendList(out, "refused", taken.refused, [&](const QString& key) { appendText(out, key); });
    appendList(out, "deleted", taken.deleted, [&](const RecordID& id) {
        out += '[';
        appendText(out, id.recordName);
        out += ',';
        appendText(out, id.zoneID.zoneName);
        out += ',';
        appendText(out, id.zoneID.ownerName);
        out += ']';
    });
    const qsizetype prefix = CloudLayout::sendingKey(QString()).size();
    appendList(out, "noted", taken.noted, [&](const Unjournaled::Noted& note) {
        out += '[';
        appendText(out, note.key.mid(prefix));
        out += ',';
        appendText(out, note.against);
        out += ',';
        appendText(out, note.digest);
        out += ']';
    });
    if (!taken.sendID.isEmpty()) {
        out += ",\"send\":";
        appendText(out, taken.sendID);
    }
    out += '}';
    return out;
}

CloudSync::Unjournaled& CloudSync::unjournaled(EngineScope scope) {
    return scope == EngineScope::sharedDatabase ? sharedUnjournaled_ : privateUnjournaled_;
}

void CloudSync::openJournal() {
    if (!store_.canWrite() || store_.fileURL().isEmpty())
        return;
    journal_ = std::make_shared<SendingJournal>(SendingJournal::pathBeside(store_.fileURL()));
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
            const auto send = entry.find("send");
            const QString sendID = send != entry.end() && send->is_string()
                                       ? fromUtf8(send->get<std::string>())
                                       : QString();
            for (const Json& noted : arrayAt(entry, "noted")) {
                if (const auto key = textAt(noted, 0))
                    replayNoted(*key, textAt(noted, 1), textAt(noted, 2), sendID);
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
// makes the record the batch sent.
void CloudSync::replayNoted(const QString& key, const std::optional<QString>& against,
                            const std::optional<QString>& digest, const QString& sendID) {
    const QString noteKey = CloudLayout::sendingKey(key);
    if (!digest || store_.archivedRecord(noteKey))
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
    if (const auto sent = recordFor(id);
        sent && sent->changeTag() == against && digestOf(*sent) == *digest)
        store_.setArchive(noteKey, archive(SendingNote{*sent, sendID}));
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

// The entries that tell the journal what it does not hold yet: what the container confirmed,
// and the notes of `noted`'s batch about to go.
std::vector<QByteArray> CloudSync::unjournaledEntries(std::optional<EngineScope> noted) {
    std::vector<QByteArray> entries;
    if (!journal_)
        return entries;
    for (const EngineScope scope : {EngineScope::privateDatabase, EngineScope::sharedDatabase}) {
        Unjournaled taken = std::exchange(unjournaled(scope), {});
        if (noted == scope) {
            for (const QString& noteKey : std::as_const(sending(scope))) {
                const auto note = unwrittenNotes_.constFind(noteKey);
                std::optional<SendingNote> kept;
                if (note == unwrittenNotes_.cend())
                    kept = unarchiveNote(noteKey);
                const SendingNote* made = note != unwrittenNotes_.cend() ? &*note
                                          : kept                         ? &*kept
                                                                         : nullptr;
                if (!made)
                    continue;
                taken.noted.push_back({noteKey, made->record.changeTag(), digestOf(made->record)});
                taken.sendID = made->sendID;
            }
        }
        if (!taken.empty() || noted == scope)
            entries.push_back(entryText(scope, taken));
    }
    journalEntries_ += entries.size();
    journalOnDisk_ = journalOnDisk_ || !entries.empty();
    return entries;
}

// Without waiting for the disk: what the container confirmed and is lost to a kill is sent
// again and settled as any lost answer is.
void CloudSync::journalTakenIn() {
    for (const QByteArray& entry : unjournaledEntries(std::nullopt))
        journal_->append(entry, false);
}

void CloudSync::writeTakenIn() {
    const std::vector<QByteArray> entries = unjournaledEntries(std::nullopt);
    for (size_t i = 0; i < entries.size(); ++i)
        journal_->append(entries[i], i + 1 == entries.size());
}

std::function<void()> CloudSync::whenSendingNoted(EngineScope scope) {
    const bool noted = std::exchange(notedUnwritten_, false);
    std::vector<QByteArray> entries =
        unjournaledEntries(noted ? std::optional(scope) : std::nullopt);
    if (entries.empty())
        return {};
    // A failed append sends all the same, as a program that notes nothing would.
    return [journal = journal_, entries = std::move(entries), noted] {
        for (size_t i = 0; i < entries.size(); ++i)
            journal->append(entries[i], noted && i + 1 == entries.size());
    };
}

void CloudSync::dropJournalOnceWritten() {
    if (!journal_ || !journalOnDisk_)
        return;
    const quint64 entries = journalEntries_;
    QPointer<CloudSync> self(this);
    store_.whenSaved([self, entries](bool saved) {
        if (!self || !saved || !self->journalOnDisk_ || self->journalEntries_ != entries)
            return;
        self->journal_->remove();
        self->journalOnDisk_ = false;
    });
}
