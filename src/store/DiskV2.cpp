// Reading the store file's older layouts, met only when a file is upgraded, with the JSON
// library. The current layout has a reader of its own (DiskV2Reading.cpp).
#include "DiskV2.h"

#include "platform/JsonRead.h"

namespace {

// The store file as parsed JSON. Its large objects (one key per item) are read into a sorted
// map, which takes them in n log n; the ordered form used elsewhere inserts each key in linear
// time.
using StoreJson = nlohmann::json;

StoreJson parse(const QByteArray& bytes) {
    if (JsonRead::hasRawNul(bytes))
        throw DecodeError("not a JSON document");
    if (JsonRead::nestsDeeperThan(std::string_view(bytes.constData(), size_t(bytes.size()))))
        throw DecodeError("nested too deeply");
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

// Reads every element of an array with a reader of the program's own element type.
template <typename T, typename Read>
QList<T> elements(const StoreJson& value, const char* what, Read read) {
    QList<T> list;
    list.reserve(qsizetype(arrayValue(value, what).size()));
    for (const StoreJson& element : value)
        list.append(read(Json(element)));
    return list;
}

} // namespace

DiskV1 DiskV1::decode(const QByteArray& bytes, Date now) {
    const StoreJson document = parse(bytes);
    objectValue(document, "store");
    const auto readList = [now](const Json& element) { return TBList::fromJson(element, now); };
    DiskV1 disk;
    disk.lists = elements<TBList>(required(document, "lists"), "lists", readList);
    disk.items = elements<TBItem>(required(document, "items"), "items", TBItem::fromJson);
    disk.namesVersion = member(document, "version") != nullptr;
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
