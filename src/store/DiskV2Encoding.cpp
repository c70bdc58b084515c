// Writing the store file: compact JSON in the layout's key order, streamed into a device a
// block at a time, with each item's text taken from the encoding cache when the item is as it
// was at the last save.
#include "DiskV2.h"
#include "StoreEncodingCache.h"
#include "platform/JsonRead.h"

#include <QBuffer>
#include <QHash>
#include <QIODevice>
#include <QStringView>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Gathers the document in a block of fixed size and hands each full block to the device, so
// that even a large store is never one large piece of memory. Remembers a refused write.
class Output {
public:
    explicit Output(QIODevice& device) : device_(device) { block_.reserve(blockSize); }

    void append(const char* data, qsizetype size) {
        if (block_.size() + size > blockSize)
            flush();
        if (size >= blockSize) {
            write(data, size);
            return;
        }
        block_.append(data, size);
    }
    Output& operator+=(const char* text) {
        append(text, qsizetype(std::strlen(text)));
        return *this;
    }
    Output& operator+=(char c) {
        append(&c, 1);
        return *this;
    }
    Output& operator+=(const QByteArray& bytes) {
        append(bytes.constData(), bytes.size());
        return *this;
    }

    // True when every byte reached the device.
    bool finish() {
        flush();
        return ok_;
    }

private:
    static constexpr qsizetype blockSize = 1 << 20;

    void flush() {
        write(block_.constData(), block_.size());
        block_.resize(0);
    }
    void write(const char* data, qsizetype size) {
        if (ok_ && size > 0)
            ok_ = device_.write(data, size) == size;
    }

    QIODevice& device_;
    QByteArray block_;
    bool ok_ = true;
};

// The JSON library's own string form: quote, backslash and control characters escaped, the
// rest as UTF-8.
template <typename Out> void appendEscaped(Out& out, const QString& value) {
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = value.toUtf8();
    out += '"';
    const char* run = utf8.constData();
    const char* const end = run + utf8.size();
    for (const char* c = run; c != end; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte >= 0x20 && byte != '"' && byte != '\\')
            continue;
        out.append(run, c - run);
        run = c + 1;
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            const char escaped[] = {'\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 0xf]};
            out.append(escaped, sizeof escaped);
        }
        }
    }
    out.append(run, end - run);
    out += '"';
}

// The JSON library's own number form: the shortest text that reads back the same, "1.0" for a
// whole number, null for what JSON cannot hold.
template <typename Out> void appendNumber(Out& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    std::array<char, 64> buffer{};
    const char* end =
        nlohmann::detail::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), end - buffer.data());
}

template <typename Out> void appendBool(Out& out, bool value) {
    out += value ? "true" : "false";
}

// Byte for byte what TBItem::toJson() dumps, without building the JSON tree.
template <typename Out> void appendItem(Out& out, const TBItem& item) {
    out += "{\"id\":";
    appendEscaped(out, item.id);
    out += ",\"listID\":";
    appendEscaped(out, item.listID);
    out += ",\"text\":";
    appendEscaped(out, item.text);
    out += ",\"done\":";
    appendBool(out, item.done);
    out += ",\"order\":";
    appendNumber(out, item.order);
    out += ",\"pinned\":";
    appendBool(out, item.pinned);
    if (item.completedAt) {
        out += ",\"completedAt\":";
        appendNumber(out, item.completedAt->secondsSinceReferenceDate());
    }
    out += ",\"notes\":";
    appendEscaped(out, item.notes);
    out += '}';
}

void appendJson(Output& out, const Json& value) {
    out += QByteArray::fromStdString(value.dump());
}

template <typename Out> void appendString(Out& out, const QString& value) {
    // Ids and field names need no escaping: they go in as they are.
    const bool plain = std::all_of(value.begin(), value.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'"' && c != u'\\';
    });
    if (!plain) {
        appendEscaped(out, value);
        return;
    }
    out += '"';
    const QByteArray latin1 = value.toLatin1();
    out.append(latin1.constData(), latin1.size());
    out += '"';
}

void appendKey(Output& out, const char* key) {
    out += ",\"";
    out += key;
    out += "\":";
}

void appendTextArray(Output& out, const QSet<QString>& set) {
    // Sorted so that the file does not change from run to run. Only pointers are sorted: this
    // runs on the writer thread, which takes no reference to the store's texts (StoreWriter.h).
    std::vector<const QString*> sorted;
    sorted.reserve(size_t(set.size()));
    for (const QString& value : set)
        sorted.push_back(&value);
    std::sort(sorted.begin(), sorted.end(),
              [](const QString* a, const QString* b) { return *a < *b; });
    out += '[';
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0)
            out += ',';
        appendString(out, *sorted[i]);
    }
    out += ']';
}

template <typename T, typename Write>
void appendArray(Output& out, const QList<T>& list, Write write) {
    out += '[';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i > 0)
            out += ',';
        write(out, list[i]);
    }
    out += ']';
}

template <typename T, typename Write>
void appendObject(Output& out, const QMap<QString, T>& map, Write write) {
    out += '{';
    bool first = true;
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (!first)
            out += ',';
        first = false;
        appendString(out, it.key());
        out += ':';
        write(out, it.value());
    }
    out += '}';
}

void appendData(Output& out, const QByteArray& data) {
    out += '"';
    out += data.toBase64();
    out += '"';
}

// The members are kept as the text they are written as (ArchivedRecords).
void appendArchivedRecords(Output& out, const ArchivedRecords& records) {
    out += '{';
    bool first = true;
    records.forEachMember([&](QByteArrayView member) {
        if (!first)
            out += ',';
        first = false;
        out.append(member.data(), member.size());
    });
    out += '}';
}

// The common save: the cache's entries are the first items, in their places (an edit, or items
// added at the end). Each entry is brought up to date where it is, with nothing moved; false,
// with nothing written, when the items are otherwise.
bool appendItemsInPlace(Output& out, const QList<TBItem>& items, StoreEncodingCache& cache) {
    std::vector<StoreEncodingCache::Entry>& entries = cache.entries;
    if (entries.size() > size_t(items.size()))
        return false;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].item.id != items[qsizetype(i)].id)
            return false;
    }
    entries.reserve(size_t(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ',';
        const TBItem& item = items[i];
        const auto at = size_t(i);
        if (at == entries.size()) {
            entries.push_back({item, DiskV2::encodeItem(item)});
        } else if (!(entries[at].item == item)) {
            cache.dropped.push_back(std::move(entries[at]));
            entries[at] = {item, DiskV2::encodeItem(item)};
        }
        out += entries[at].text;
    }
    return true;
}

// Writes the items, taking each one's text from the cache when the item is the one it was
// written from. The cache is rebuilt in the items' order; entries that served no item are put
// aside in `dropped`, and nothing of the old cache is destroyed here.
void appendItems(Output& out, const QList<TBItem>& items, StoreEncodingCache* cache) {
    out += '[';
    if (!cache) {
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (i > 0)
                out += ',';
            appendItem(out, items[i]);
        }
        out += ']';
        return;
    }
    if (appendItemsInPlace(out, items, *cache)) {
        out += ']';
        return;
    }
    using Entry = StoreEncodingCache::Entry;
    std::vector<Entry>& old = cache->entries;
    std::vector<bool> taken(old.size(), false);
    // Most saves meet the items where they were; an added or removed item shifts the rest,
    // which are then found by id.
    QHash<QStringView, size_t> byID;
    const auto find = [&](qsizetype index, const QString& id) -> Entry* {
        const auto at = size_t(index);
        if (at < old.size() && !taken[at] && old[at].item.id == id) {
            taken[at] = true;
            return &old[at];
        }
        if (byID.isEmpty() && !old.empty()) {
            byID.reserve(qsizetype(old.size()));
            for (size_t i = 0; i < old.size(); ++i)
                byID.insert(old[i].item.id, i);
        }
        const auto found = byID.constFind(id);
        if (found == byID.constEnd() || taken[*found])
            return nullptr;
        taken[*found] = true;
        return &old[*found];
    };

    std::vector<Entry> next;
    next.reserve(size_t(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ',';
        const TBItem& item = items[i];
        Entry* entry = find(i, item.id);
        if (entry && entry->item == item) {
            next.push_back(std::move(*entry));
        } else {
            if (entry)
                cache->dropped.push_back(std::move(*entry));
            next.push_back({item, DiskV2::encodeItem(item)});
        }
        out += next.back().text;
    }
    for (size_t i = 0; i < old.size(); ++i) {
        if (!taken[i])
            cache->dropped.push_back(std::move(old[i]));
    }
    // Only emptied entries are left in the old list: dropping it lets go of nothing.
    old = std::move(next);
    out += ']';
}

} // namespace

namespace {
thread_local quint64 itemsEncodedHere = 0;
std::atomic<quint64> itemsEncoded{0};
} // namespace

quint64 DiskV2::itemsEncodedOnThisThread() {
    return itemsEncodedHere;
}

quint64 DiskV2::itemsEncodedInAll() {
    return itemsEncoded.load();
}

QByteArray DiskV2::encodeItem(const TBItem& item) {
    ++itemsEncodedHere;
    itemsEncoded.fetch_add(1, std::memory_order_relaxed);
    QByteArray text;
    text.reserve(160 + 3 * (item.text.size() + item.notes.size()));
    appendItem(text, item);
    // Kept in the encoding cache for as long as the item is unchanged: without the room
    // reserved for the worst case.
    text.squeeze();
    return text;
}

QByteArray DiskV2::encodeArchiveMember(const QString& key, const QByteArray& base64) {
    QByteArray member;
    member.reserve(key.size() + base64.size() + 8);
    appendArchiveMember(member, key, base64);
    return member;
}

void DiskV2::appendArchiveMember(QByteArray& out, const QString& key, const QByteArray& base64) {
    appendString(out, key);
    out += ":\"";
    out += base64;
    out += '"';
}

bool DiskV2::encode(QIODevice& device, StoreEncodingCache* cache) const {
    Output out(device);
    out += "{\"version\":3";
    appendKey(out, "lists");
    appendArray(out, lists, [](Output& o, const TBList& l) { appendJson(o, l.toJson()); });
    appendKey(out, "items");
    appendItems(out, items, cache);
    const auto writeFields = [](Output& o, const FieldSet& f) { appendTextArray(o, f); };
    appendKey(out, "dirtyLists");
    appendObject(out, dirtyLists, writeFields);
    appendKey(out, "dirtyItems");
    appendObject(out, dirtyItems, writeFields);
    appendKey(out, "archivedRecords");
    appendArchivedRecords(out, archivedRecords);
    if (engineState) {
        appendKey(out, "engineState");
        appendData(out, *engineState);
    }
    if (sharedEngineState) {
        appendKey(out, "sharedEngineState");
        appendData(out, *sharedEngineState);
    }
    if (lastKnownUserRecordName) {
        appendKey(out, "lastKnownUserRecordName");
        appendString(out, *lastKnownUserRecordName);
    }
    if (identity) {
        appendKey(out, "identity");
        appendJson(out, identity->toJson());
    }
    if (circles) {
        appendKey(out, "circles");
        appendArray(out, *circles, [](Output& o, const TBCircle& c) { appendJson(o, c.toJson()); });
    }
    if (aliases) {
        appendKey(out, "aliases");
        appendObject(out, *aliases,
                     [](Output& o, const PersonAlias& a) { appendJson(o, a.toJson()); });
    }
    if (filings) {
        appendKey(out, "filings");
        appendObject(out, *filings, [](Output& o, const QString& f) { appendString(o, f); });
    }
    if (dirtyFilings) {
        appendKey(out, "dirtyFilings");
        appendTextArray(out, *dirtyFilings);
    }
    if (pendingItemDeletions) {
        appendKey(out, "pendingItemDeletions");
        appendTextArray(out, *pendingItemDeletions);
    }
    if (tombstones) {
        appendKey(out, "tombstones");
        appendObject(out, *tombstones,
                     [](Output& o, const Tombstone& t) { appendJson(o, t.toJson()); });
    }
    if (dirtyTombstones) {
        appendKey(out, "dirtyTombstones");
        appendTextArray(out, *dirtyTombstones);
    }
    if (pendingZoneDeletions) {
        appendKey(out, "pendingZoneDeletions");
        appendObject(out, *pendingZoneDeletions,
                     [](Output& o, const PendingZoneDeletion& p) { appendJson(o, p.toJson()); });
    }
    if (heldMarks) {
        appendKey(out, "heldMarks");
        appendObject(out, *heldMarks, [](Output& o, const HeldMarks& held) {
            const auto writeFields = [](Output& f, const FieldSet& fields) {
                appendTextArray(f, fields);
            };
            o += '{';
            appendString(o, QStringLiteral("lists"));
            o += ':';
            appendObject(o, held.lists, writeFields);
            o += ',';
            appendString(o, QStringLiteral("items"));
            o += ':';
            appendObject(o, held.items, writeFields);
            o += ',';
            appendString(o, QStringLiteral("tombstones"));
            o += ':';
            appendTextArray(o, held.tombstones);
            // Written only when there are any: held marks without copies read as before.
            if (!held.listCopies.isEmpty()) {
                o += ',';
                appendString(o, QStringLiteral("listCopies"));
                o += ':';
                appendObject(o, held.listCopies,
                             [](Output& c, const TBList& list) { appendJson(c, list.toJson()); });
            }
            if (!held.itemCopies.isEmpty()) {
                o += ',';
                appendString(o, QStringLiteral("itemCopies"));
                o += ':';
                appendObject(o, held.itemCopies,
                             [](Output& c, const TBItem& item) { appendJson(c, item.toJson()); });
            }
            o += '}';
        });
    }
    out += '}';
    return out.finish();
}

QByteArray DiskV2::encode(StoreEncodingCache* cache) const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    encode(buffer, cache);
    return buffer.data();
}
