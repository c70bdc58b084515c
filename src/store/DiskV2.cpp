// Reading the store file's layouts.
#include "DiskV2.h"

#include "platform/Base64.h"
#include "platform/JsonRead.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// The store file as parsed JSON. Its large objects (one key per item) are read into a sorted
// map, which takes them in n log n; the ordered form used elsewhere inserts each key in linear
// time.
using StoreJson = nlohmann::json;

StoreJson parse(const QByteArray& bytes) {
    if (JsonRead::hasRawNul(bytes))
        throw DecodeError("not a JSON document");
    StoreJson document = StoreJson::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
    if (document.is_discarded())
        throw DecodeError("not a JSON document");
    return document;
}

[[noreturn]] void fail(const std::string& what, const char* expected) {
    throw DecodeError("\"" + what + "\": expected " + expected);
}

QString text(const StoreJson& value, const std::string& what) {
    if (!value.is_string())
        fail(what, "a text");
    return JsonRead::toQString(value.get_ref<const std::string&>());
}

// A present, non-null member, or nothing.
const StoreJson* member(const StoreJson& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return nullptr;
    return &*it;
}

const StoreJson& required(const StoreJson& object, const char* key) {
    const StoreJson* value = member(object, key);
    if (!value)
        throw DecodeError(std::string("\"") + key + "\": missing");
    return *value;
}

const StoreJson& objectValue(const StoreJson& value, const std::string& what) {
    if (!value.is_object())
        fail(what, "an object");
    return value;
}

const StoreJson& arrayValue(const StoreJson& value, const std::string& what) {
    if (!value.is_array())
        fail(what, "an array");
    return value;
}

QSet<QString> textSet(const StoreJson& value, const std::string& what) {
    QSet<QString> set;
    set.reserve(qsizetype(arrayValue(value, what).size()));
    for (const StoreJson& element : value)
        set.insert(text(element, what));
    return set;
}

QByteArray data(const StoreJson& value, const std::string& what) {
    if (!value.is_string())
        fail(what, "Base64 text");
    const std::string& base64 = value.get_ref<const std::string&>();
    const auto decoded =
        Base64::decode(QByteArray::fromRawData(base64.data(), qsizetype(base64.size())));
    if (!decoded)
        fail(what, "Base64 text");
    return *decoded;
}

// Checked like any data value, but kept as the text it is.
QByteArray base64Text(const StoreJson& value, const std::string& what) {
    data(value, what);
    const std::string& text = value.get_ref<const std::string&>();
    return QByteArray(text.data(), qsizetype(text.size()));
}

QMap<QString, FieldSet> fieldMap(const StoreJson& value, const char* what) {
    QMap<QString, FieldSet> map;
    for (const auto& [key, fields] : objectValue(value, what).items())
        map.insert(JsonRead::toQString(key), textSet(fields, what));
    return map;
}

// Reads every element of an array with a reader of the program's own element type.
template <typename T, typename Read>
QList<T> elements(const StoreJson& value, const char* what, Read read) {
    QList<T> list;
    list.reserve(qsizetype(arrayValue(value, what).size()));
    for (const StoreJson& element : value)
        list.append(read(Json(element)));
    return list;
}

// Reads every value of an object, keyed by its key.
template <typename T, typename Read>
QMap<QString, T> keyed(const StoreJson& value, const char* what, Read read) {
    QMap<QString, T> map;
    for (const auto& [key, element] : objectValue(value, what).items())
        map.insert(JsonRead::toQString(key), read(element));
    return map;
}

template <typename Read>
auto optionalMember(const StoreJson& document, const char* key, Read read)
    -> std::optional<decltype(read(document))> {
    const StoreJson* value = member(document, key);
    if (!value)
        return std::nullopt;
    return read(*value);
}

} // namespace

DiskV2 DiskV2::decode(const QByteArray& bytes, Date now) {
    const StoreJson document = parse(bytes);
    objectValue(document, "store");
    const StoreJson& version = required(document, "version");
    if (!version.is_number() ||
        (version.is_number_float() && std::trunc(version.get<double>()) != version.get<double>()))
        fail("version", "an integer");

    const auto readList = [now](const Json& element) { return TBList::fromJson(element, now); };
    const auto readText = [](const StoreJson& value) { return text(value, "text"); };

    DiskV2 disk;
    disk.lists = elements<TBList>(required(document, "lists"), "lists", readList);
    disk.items = elements<TBItem>(required(document, "items"), "items", TBItem::fromJson);
    disk.dirtyLists = fieldMap(required(document, "dirtyLists"), "dirtyLists");
    disk.dirtyItems = fieldMap(required(document, "dirtyItems"), "dirtyItems");
    disk.archivedRecords = keyed<QByteArray>(
        required(document, "archivedRecords"), "archivedRecords",
        [](const StoreJson& value) { return base64Text(value, "archivedRecords"); });
    disk.engineState = optionalMember(document, "engineState",
                                      [](const StoreJson& v) { return data(v, "engineState"); });
    disk.sharedEngineState = optionalMember(document, "sharedEngineState", [](const StoreJson& v) {
        return data(v, "sharedEngineState");
    });
    disk.lastKnownUserRecordName = optionalMember(document, "lastKnownUserRecordName", readText);
    disk.identity = optionalMember(
        document, "identity", [](const StoreJson& v) { return UserIdentity::fromJson(Json(v)); });
    disk.circles = optionalMember(document, "circles", [](const StoreJson& v) {
        return elements<TBCircle>(v, "circles", TBCircle::fromJson);
    });
    disk.aliases = optionalMember(document, "aliases", [](const StoreJson& v) {
        return keyed<PersonAlias>(
            v, "aliases", [](const StoreJson& e) { return PersonAlias::fromJson(Json(e)); });
    });
    disk.filings = optionalMember(document, "filings", [](const StoreJson& v) {
        return keyed<QString>(v, "filings", [](const StoreJson& e) { return text(e, "filings"); });
    });
    disk.dirtyFilings = optionalMember(
        document, "dirtyFilings", [](const StoreJson& v) { return textSet(v, "dirtyFilings"); });
    disk.pendingItemDeletions =
        optionalMember(document, "pendingItemDeletions",
                       [](const StoreJson& v) { return textSet(v, "pendingItemDeletions"); });
    disk.tombstones = optionalMember(document, "tombstones", [](const StoreJson& v) {
        return keyed<Tombstone>(v, "tombstones",
                                [](const StoreJson& e) { return Tombstone::fromJson(Json(e)); });
    });
    disk.dirtyTombstones = optionalMember(document, "dirtyTombstones", [](const StoreJson& v) {
        return textSet(v, "dirtyTombstones");
    });
    disk.pendingZoneDeletions =
        optionalMember(document, "pendingZoneDeletions", [](const StoreJson& v) {
            return keyed<PendingZoneDeletion>(v, "pendingZoneDeletions", [](const StoreJson& e) {
                return PendingZoneDeletion::fromJson(Json(e));
            });
        });
    return disk;
}

DiskV1 DiskV1::decode(const QByteArray& bytes, Date now) {
    const StoreJson document = parse(bytes);
    objectValue(document, "store");
    const auto readList = [now](const Json& element) { return TBList::fromJson(element, now); };
    DiskV1 disk;
    disk.lists = elements<TBList>(required(document, "lists"), "lists", readList);
    disk.items = elements<TBItem>(required(document, "items"), "items", TBItem::fromJson);
    return disk;
}

LegacyFilingFile LegacyFilingFile::decode(const QByteArray& bytes) {
    const StoreJson document = parse(bytes);
    objectValue(document, "store");
    LegacyFilingFile file;
    for (const StoreJson& entry : arrayValue(required(document, "lists"), "lists")) {
        objectValue(entry, "lists");
        const StoreJson* groupName = member(entry, "groupName");
        file.lists.append(
            Entry{text(required(entry, "id"), "id"),
                  groupName ? std::optional(text(*groupName, "groupName")) : std::nullopt});
    }
    return file;
}
