// Reading the store file's current layout with simdjson, straight into the program's types: the
// document is never held as a tree. Items, marks and archived records, which make up nearly all
// of a large file, are read field by field; the few lists, circles, names and deletion markers
// go through their own JSON readers. The rules are those of the JSON library's readers: a key
// is looked up by name and the last of equal keys counts, null counts as absent, no value is
// coerced to another type, and keys the program does not know are skipped (their values are
// still checked to be JSON).
#include "DiskV2.h"
#include "StoreFileBytes.h"
#include "UnknownMembers.h"

#include "platform/Base64.h"
#include "platform/JsonRead.h"

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

namespace od = simdjson::ondemand;
using Type = od::json_type;

[[noreturn]] void fail(const char* what, const char* expected) {
    throw DecodeError(std::string("\"") + what + "\": expected " + expected);
}

template <typename T> T take(simdjson::simdjson_result<T>&& result, const char* what) {
    T value;
    if (const simdjson::error_code error = std::move(result).get(value))
        throw DecodeError(std::string("\"") + what + "\": " + simdjson::error_message(error));
    return value;
}

// The value's type; a value whose first bytes promise null must be exactly null.
Type typeOf(od::value& value, const char* what) {
    const Type type = take(value.type(), what);
    if (type == Type::null && !take(value.is_null(), what))
        fail(what, "null");
    return type;
}

// The text of a JSON string. Most strings hold no escape: they are taken straight from the input
// (whose UTF-8 simdjson has checked), without a copy in the parser's string buffer.
std::string_view stringOf(od::value& value, const char* what) {
    if (typeOf(value, what) != Type::string)
        fail(what, "a text");
    const std::string_view token = value.raw_json_token();
    const char* const begin = token.data() + 1;
    const char* const end = token.data() + token.size();
    for (const char* c = begin; c != end; ++c) {
        if (*c == '"')
            return std::string_view(begin, size_t(c - begin));
        if (*c == '\\')
            break;
    }
    return take(value.get_string(), what);
}

QString text(od::value& value, const char* what) {
    const std::string_view utf8 = stringOf(value, what);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QString keyOf(od::field& field, const char* what) {
    const std::string_view utf8 = take(field.unescaped_key(), what);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

double number(od::value& value, const char* what) {
    if (typeOf(value, what) != Type::number)
        fail(what, "a number");
    return take(value.get_double(), what);
}

bool boolean(od::value& value, const char* what) {
    if (typeOf(value, what) != Type::boolean)
        fail(what, "a Boolean");
    return take(value.get_bool(), what);
}

od::object objectOf(od::value& value, const char* what) {
    if (typeOf(value, what) != Type::object)
        fail(what, "an object");
    return take(value.get_object(), what);
}

od::array arrayOf(od::value& value, const char* what) {
    if (typeOf(value, what) != Type::array)
        fail(what, "an array");
    return take(value.get_array(), what);
}

// A value the program does not read: still checked, by the JSON library, to be JSON, which
// simdjson does not do for what it skips.
void skip(od::value& value, const char* what) {
    std::string_view raw;
    switch (typeOf(value, what)) {
    case Type::object:
        raw = take(objectOf(value, what).raw_json(), what);
        break;
    case Type::array:
        raw = take(arrayOf(value, what).raw_json(), what);
        break;
    default:
        raw = value.raw_json_token();
    }
    if (!Json::accept(raw.begin(), raw.end()))
        fail(what, "JSON");
}

// Calls `read(key, value)` for each member of an object.
template <typename Read> void eachMember(od::object object, const char* what, Read read) {
    for (auto member : object) {
        od::field field = take(std::move(member), what);
        read(field, field.value());
    }
}

template <typename Read> void eachElement(od::array array, const char* what, Read read) {
    for (auto element : array) {
        od::value value = take(std::move(element), what);
        read(value);
    }
}

// The strict Base64 rule (standard alphabet, padded, the unused bits of the last symbol zero,
// nothing else), checked with a table: a large store holds one record per item.
bool isBase64(std::string_view text) {
    static const std::array<unsigned char, 256> values = [] {
        std::array<unsigned char, 256> table{};
        table.fill(0xff);
        const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (unsigned char i = 0; i < 64; ++i)
            table[static_cast<unsigned char>(alphabet[i])] = i;
        return table;
    }();
    const auto value = [](char c) { return values[static_cast<unsigned char>(c)]; };
    if (text.size() % 4 != 0)
        return false;
    if (text.empty())
        return true;
    const size_t last = text.size() - 4;
    unsigned char all = 0;
    for (size_t i = 0; i < last; ++i)
        all |= value(text[i]);
    if (all & 0xc0)
        return false;
    const char c = text[last + 2];
    const char d = text[last + 3];
    if ((value(text[last]) | value(text[last + 1])) & 0xc0)
        return false;
    if (c == '=')
        return d == '=' && (value(text[last + 1]) & 0x0f) == 0;
    if (value(c) & 0xc0)
        return false;
    if (d == '=')
        return (value(c) & 0x03) == 0;
    return !(value(d) & 0xc0);
}

// The text of a string that must be Base64, as a view of the input.
QByteArray base64View(od::value& value, const char* what) {
    const std::string_view text = stringOf(value, what);
    if (!isBase64(text))
        fail(what, "Base64 text");
    return QByteArray::fromRawData(text.data(), qsizetype(text.size()));
}

QByteArray data(od::value& value, const char* what) {
    const std::optional<QByteArray> decoded = Base64::decode(base64View(value, what));
    if (!decoded)
        fail(what, "Base64 text");
    return *decoded;
}

QSet<QString> textSet(od::value& value, const char* what) {
    QSet<QString> set;
    eachElement(arrayOf(value, what), what,
                [&](od::value& element) { set.insert(text(element, what)); });
    return set;
}

QMap<QString, FieldSet> fieldMap(od::value& value, const char* what) {
    QMap<QString, FieldSet> map;
    // A store that never synced marks every field of every item: equal marks share one set,
    // as those the store makes do, instead of holding a set of names of their own each.
    constexpr qsizetype kept = 16;
    QList<FieldSet> seen;
    eachMember(objectOf(value, what), what, [&](od::field& field, od::value& fields) {
        const QString key = keyOf(field, what);
        FieldSet set = textSet(fields, what);
        const auto same = std::find(seen.cbegin(), seen.cend(), set);
        if (same != seen.cend())
            set = *same;
        else if (seen.size() < kept)
            seen.append(set);
        // Keys come sorted from this program's writer: each goes in at the end.
        map.insert(map.cend(), key, set);
    });
    return map;
}

// An element read by its type's own JSON reader, from its text in the file.
Json elementJson(od::value& value, const char* what) {
    const std::string_view raw = take(objectOf(value, what).raw_json(), what);
    if (JsonRead::nestsDeeperThan(raw))
        fail(what, "an object nested no deeper than the program reads");
    Json json = Json::parse(raw.begin(), raw.end(), nullptr, false);
    if (json.is_discarded())
        fail(what, "an object");
    return json;
}

template <typename T, typename Read>
QList<T> elements(od::value& value, const char* what, Read read) {
    QList<T> list;
    eachElement(arrayOf(value, what), what,
                [&](od::value& element) { list.append(read(elementJson(element, what))); });
    return list;
}

template <typename T, typename Read>
QMap<QString, T> keyed(od::value& value, const char* what, Read read) {
    QMap<QString, T> map;
    eachMember(objectOf(value, what), what, [&](od::field& field, od::value& element) {
        map.insert(map.cend(), keyOf(field, what), read(element));
    });
    return map;
}

// An item, read by the rules of TBItem::fromJson. A member that is null counts as absent,
// which puts the default back. `unknown` is set when the item holds a member it does not read.
TBItem item(od::value& value, bool& unknown) {
    std::optional<QString> id;
    std::optional<QString> listID;
    std::optional<QString> text;
    TBItem item;
    bool hasCompletedAt = false;
    double completedAt = 0;
    eachMember(objectOf(value, "item"), "item", [&](od::field& field, od::value& member) {
        const std::string_view key = take(field.unescaped_key(), "item");
        const auto present = [&](const char* name) { return typeOf(member, name) != Type::null; };
        const auto readText = [&](std::optional<QString>& slot, const char* name) {
            slot = present(name) ? std::optional(::text(member, name)) : std::nullopt;
        };
        if (key == "id") {
            readText(id, "id");
        } else if (key == "listID") {
            readText(listID, "listID");
        } else if (key == "text") {
            readText(text, "text");
        } else if (key == "done") {
            item.done = present("done") && boolean(member, "done");
        } else if (key == "order") {
            item.order = present("order") ? number(member, "order") : 0;
        } else if (key == "pinned") {
            item.pinned = present("pinned") && boolean(member, "pinned");
        } else if (key == "completedAt") {
            hasCompletedAt = present("completedAt");
            if (hasCompletedAt)
                completedAt = number(member, "completedAt");
        } else if (key == "notes") {
            item.notes = present("notes") ? ::text(member, "notes") : QString();
        } else {
            unknown = unknown || typeOf(member, "item") != Type::null;
            skip(member, "item");
        }
    });
    if (!id || !listID || !text)
        fail(!id ? "id" : !listID ? "listID" : "text", "a text");
    item.id = std::move(*id);
    item.listID = std::move(*listID);
    item.text = std::move(*text);
    if (hasCompletedAt)
        item.completedAt = Date(completedAt);
    return item;
}

// Reads an element with its type's reader, setting `unknown` when writing the element again
// would leave out a member of it.
template <typename Read> auto noting(bool& unknown, Read read) {
    return [&unknown, read](const Json& element) {
        auto value = read(element);
        unknown = unknown || UnknownMembers::dropped(element, value.toJson());
        return value;
    };
}

// The document's members, each kept (the last of equal keys) until all are read.
struct Members {
    std::optional<double> version;
    std::optional<QList<TBList>> lists;
    std::optional<QList<TBItem>> items;
    std::optional<QMap<QString, FieldSet>> dirtyLists;
    std::optional<QMap<QString, FieldSet>> dirtyItems;
    std::optional<ArchivedRecords> archivedRecords;
};

template <typename T> T required(std::optional<T>& member, const char* key) {
    if (!member)
        throw DecodeError(std::string("\"") + key + "\": missing");
    return std::move(*member);
}

} // namespace

namespace {

// Reads `input` in one pass. When `bytes` holds it, the bytes behind each item and archived
// record read are given back as the reader moves on: nothing before that place is read again.
DiskV2 decodeInput(simdjson::padded_string_view input, Date now, StoreFileBytes* bytes) {
    const auto releaseBefore = [bytes](const char* position) {
        if (bytes)
            bytes->releaseBefore(position);
    };
    od::parser parser;
    od::document document = take(parser.iterate(input), "store");
    if (take(document.type(), "store") != Type::object)
        fail("store", "an object");
    const od::object root = take(document.get_object(), "store");

    DiskV2 disk;
    Members members;
    const auto optional = [](auto& slot, od::value& value, const char* key, auto read) {
        if (typeOf(value, key) == Type::null)
            slot.reset();
        else
            slot = read(value, key);
    };
    eachMember(root, "store", [&](od::field& field, od::value& value) {
        const std::string_view key = take(field.unescaped_key(), "store");
        if (key == "version") {
            optional(members.version, value, "version", number);
        } else if (key == "lists") {
            optional(members.lists, value, "lists", [&](od::value& v, const char* what) {
                return elements<TBList>(v, what, [&](const Json& element) {
                    TBList list = TBList::fromJson(element, now);
                    // A list's group name is read only where the file has no groups of its own.
                    disk.holdsUnknownMembers =
                        disk.holdsUnknownMembers ||
                        UnknownMembers::dropped(element, list.toJson(), {"groupName"});
                    return list;
                });
            });
        } else if (key == "items") {
            optional(members.items, value, "items", [&](od::value& v, const char* what) {
                // The items of a list come together: they share one copy of its id.
                od::array elements = arrayOf(v, what);
                QList<TBItem> items;
                items.reserve(qsizetype(take(elements.count_elements(), what)));
                QString listID;
                eachElement(elements, what, [&](od::value& element) {
                    releaseBefore(element.raw_json_token().data());
                    items.append(item(element, disk.holdsUnknownMembers));
                    QString& read = items.last().listID;
                    if (read == listID)
                        read = listID;
                    else
                        listID = read;
                });
                return items;
            });
        } else if (key == "dirtyLists") {
            optional(members.dirtyLists, value, "dirtyLists", fieldMap);
        } else if (key == "dirtyItems") {
            optional(members.dirtyItems, value, "dirtyItems", fieldMap);
        } else if (key == "archivedRecords") {
            optional(members.archivedRecords, value, "archivedRecords",
                     [&](od::value& v, const char* what) {
                         ArchivedRecords records;
                         // Written again, the members take no more room than in the rest
                         // of the file: that much is reserved, is only taken up as it is
                         // filled, and what is left over is let go of at the end.
                         const char* const start = v.raw_json_token().data();
                         records.reserve(qsizetype(input.data() + input.size() - start));
                         eachMember(objectOf(v, what), what,
                                    [&](od::field& field, od::value& text) {
                                        releaseBefore(field.key().raw());
                                        records.append(keyOf(field, what), base64View(text, what));
                                    });
                         records.squeeze();
                         return records;
                     });
        } else if (key == "engineState") {
            optional(disk.engineState, value, "engineState", data);
        } else if (key == "sharedEngineState") {
            optional(disk.sharedEngineState, value, "sharedEngineState", data);
        } else if (key == "lastKnownUserRecordName") {
            optional(disk.lastKnownUserRecordName, value, "lastKnownUserRecordName", text);
        } else if (key == "identity") {
            optional(disk.identity, value, "identity", [&](od::value& v, const char* what) {
                return noting(disk.holdsUnknownMembers,
                              UserIdentity::fromJson)(elementJson(v, what));
            });
        } else if (key == "circles") {
            optional(disk.circles, value, "circles", [&](od::value& v, const char* what) {
                return elements<TBCircle>(v, what,
                                          noting(disk.holdsUnknownMembers, TBCircle::fromJson));
            });
        } else if (key == "aliases") {
            optional(disk.aliases, value, "aliases", [&](od::value& v, const char* what) {
                return keyed<PersonAlias>(v, what, [&](od::value& element) {
                    return noting(disk.holdsUnknownMembers,
                                  PersonAlias::fromJson)(elementJson(element, what));
                });
            });
        } else if (key == "filings") {
            optional(disk.filings, value, "filings", [](od::value& v, const char* what) {
                return keyed<QString>(v, what,
                                      [what](od::value& element) { return text(element, what); });
            });
        } else if (key == "dirtyFilings") {
            optional(disk.dirtyFilings, value, "dirtyFilings", textSet);
        } else if (key == "pendingItemDeletions") {
            optional(disk.pendingItemDeletions, value, "pendingItemDeletions", textSet);
        } else if (key == "tombstones") {
            optional(disk.tombstones, value, "tombstones", [&](od::value& v, const char* what) {
                return keyed<Tombstone>(v, what, [&](od::value& element) {
                    return noting(disk.holdsUnknownMembers,
                                  Tombstone::fromJson)(elementJson(element, what));
                });
            });
        } else if (key == "dirtyTombstones") {
            optional(disk.dirtyTombstones, value, "dirtyTombstones", textSet);
        } else if (key == "pendingZoneDeletions") {
            optional(disk.pendingZoneDeletions, value, "pendingZoneDeletions",
                     [&](od::value& v, const char* what) {
                         return keyed<PendingZoneDeletion>(v, what, [&](od::value& element) {
                             return noting(disk.holdsUnknownMembers, PendingZoneDeletion::fromJson)(
                                 elementJson(element, what));
                         });
                     });
        } else if (key == "heldMarks") {
            optional(disk.heldMarks, value, "heldMarks", [&](od::value& v, const char* what) {
                return keyed<HeldMarks>(v, what, [&](od::value& element) {
                    HeldMarks held;
                    eachMember(
                        objectOf(element, what), what, [&](od::field& field, od::value& marks) {
                            const std::string_view name = take(field.unescaped_key(), what);
                            if (name == "lists") {
                                held.lists = fieldMap(marks, what);
                            } else if (name == "items") {
                                held.items = fieldMap(marks, what);
                            } else if (name == "tombstones") {
                                held.tombstones = textSet(marks, what);
                            } else if (name == "listCopies") {
                                held.listCopies = keyed<TBList>(marks, what, [&](od::value& copy) {
                                    return TBList::fromJson(elementJson(copy, what), now);
                                });
                            } else if (name == "itemCopies") {
                                held.itemCopies = keyed<TBItem>(marks, what, [&](od::value& copy) {
                                    return item(copy, disk.holdsUnknownMembers);
                                });
                            } else {
                                disk.holdsUnknownMembers = true;
                                skip(marks, what);
                            }
                        });
                    return held;
                });
            });
        } else {
            disk.holdsUnknownMembers =
                disk.holdsUnknownMembers || typeOf(value, "store") != Type::null;
            skip(value, "store");
        }
    });
    if (document.current_location().error() != simdjson::OUT_OF_BOUNDS)
        throw DecodeError("\"store\": more after the document");

    disk.version = required(members.version, "version");
    if (std::trunc(disk.version) != disk.version)
        fail("version", "an integer");
    disk.lists = required(members.lists, "lists");
    disk.items = required(members.items, "items");
    disk.dirtyLists = required(members.dirtyLists, "dirtyLists");
    disk.dirtyItems = required(members.dirtyItems, "dirtyItems");
    disk.archivedRecords = required(members.archivedRecords, "archivedRecords");
    return disk;
}

// A raw NUL is never JSON; simdjson would not look at one inside a value it skips.
void refuseRawNul(const QByteArray& bytes) {
    if (JsonRead::hasRawNul(bytes))
        throw DecodeError("not a JSON document");
}

} // namespace

namespace {

// Follows a document's top level as it is read, keeping its "version" when that is a number.
// A document that stops reading as JSON keeps what was read before that place.
class VersionScan final : public nlohmann::json_sax<Json> {
public:
    std::optional<double> version;

    bool null() override { return value(std::nullopt); }
    bool boolean(bool) override { return value(std::nullopt); }
    bool number_integer(number_integer_t number) override { return value(double(number)); }
    bool number_unsigned(number_unsigned_t number) override { return value(double(number)); }
    bool number_float(number_float_t number, const string_t&) override { return value(number); }
    bool string(string_t&) override { return value(std::nullopt); }
    bool binary(binary_t&) override { return value(std::nullopt); }
    bool start_object(std::size_t) override { return open(); }
    bool start_array(std::size_t) override { return open(); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& key) override {
        // Only the members of the top object are the document's own.
        atVersion_ = depth_ == 1 && key == "version";
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    // The last of equal keys counts; a version that is no number names none.
    bool value(std::optional<double> read) {
        if (atVersion_)
            version = read;
        atVersion_ = false;
        return true;
    }
    bool open() {
        value(std::nullopt);
        ++depth_;
        return true;
    }
    bool close() {
        --depth_;
        return true;
    }

    int depth_ = 0;
    bool atVersion_ = false;
};

} // namespace

std::optional<double> DiskV2::declaredVersion(const QByteArray& bytes) {
    VersionScan scan;
    Json::sax_parse(bytes.begin(), bytes.end(), &scan);
    return scan.version;
}

DiskV2 DiskV2::decode(const QByteArray& bytes, Date now) {
    refuseRawNul(bytes);
    // simdjson reads a little past the end: bytes with room after them are read in place,
    // anything else is copied once.
    static_assert(DiskV2::readingRoom >= qsizetype(simdjson::SIMDJSON_PADDING));
    if (bytes.capacity() - bytes.size() >= readingRoom) {
        return decodeInput(simdjson::padded_string_view(bytes.constData(), size_t(bytes.size()),
                                                        size_t(bytes.capacity())),
                           now, nullptr);
    }
    const simdjson::padded_string copy(bytes.constData(), size_t(bytes.size()));
    return decodeInput(copy, now, nullptr);
}

DiskV2 DiskV2::decode(StoreFileBytes& bytes, Date now) {
    refuseRawNul(bytes.view());
    if (bytes.capacity() - bytes.size() < readingRoom)
        throw DecodeError("no reading room after the store file's bytes");
    return decodeInput(
        simdjson::padded_string_view(bytes.data(), size_t(bytes.size()), size_t(bytes.capacity())),
        now, &bytes);
}
