// The settings in file order with a hash index, and reading them from a file's text in one pass.
#include "DefaultsTable.h"

#include "JsonRead.h"

#include <string_view>

namespace {

// The members of an object in their order, reached past the ordered object's own insertion,
// which looks for the key among all the others first.
using Members = Json::object_t::Container;

Members& membersOf(Json& object) {
    return object.get_ref<Json::object_t&>();
}

// Keeps one member for each key, where the key came first, with the value it came with last:
// what the JSON library's own reader makes of repeated keys.
void dropRepeatedKeys(Json& object) {
    Members& members = membersOf(object);
    if (members.size() < 2)
        return;
    std::unordered_map<std::string_view, size_t> seen;
    bool repeated = false;
    for (size_t i = 0; i < members.size() && !repeated; ++i)
        repeated = !seen.emplace(members[i].first, i).second;
    if (!repeated)
        return;
    Members kept;
    std::unordered_map<std::string, size_t> at;
    for (auto& [key, value] : members) {
        const auto [slot, fresh] = at.emplace(key, kept.size());
        if (fresh)
            kept.emplace_back(key, std::move(value));
        else
            kept[slot->second].second = std::move(value);
    }
    members = std::move(kept);
}

// Builds the table from the parser's events: the top object's members go into the table in
// order, and each member's value is built as a JSON value of its own.
class TableReader final : public nlohmann::json_sax<Json> {
public:
    explicit TableReader(DefaultsTable& table) : table_(table) {}

    QString error;

    bool null() override { return put(Json(nullptr)) != nullptr; }
    bool boolean(bool value) override { return put(Json(value)) != nullptr; }
    bool number_integer(number_integer_t value) override { return put(Json(value)) != nullptr; }
    bool number_unsigned(number_unsigned_t value) override { return put(Json(value)) != nullptr; }
    bool number_float(number_float_t value, const string_t&) override {
        return put(Json(value)) != nullptr;
    }
    bool string(string_t& value) override { return put(Json(std::move(value))) != nullptr; }
    bool binary(binary_t& value) override { return put(Json::binary(std::move(value))) != nullptr; }

    bool start_object(std::size_t) override {
        if (!topOpened_) {
            topOpened_ = true;
            return true;
        }
        return open(Json::object());
    }
    bool key(string_t& key) override {
        key_ = std::move(key);
        return true;
    }
    bool end_object() override {
        if (open_.empty())
            return true; // the top object
        dropRepeatedKeys(*open_.back());
        open_.pop_back();
        return true;
    }
    bool start_array(std::size_t) override {
        if (!topOpened_)
            return refuse("not a JSON object");
        return open(Json::array());
    }
    bool end_array() override {
        open_.pop_back();
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return refuse("not a JSON document");
    }

private:
    bool refuse(const char* why) {
        if (error.isEmpty())
            error = QString::fromLatin1(why);
        return false;
    }

    bool open(Json container) {
        // The top object is one level, and each value that holds others one more.
        if (int(open_.size()) + 2 > JsonRead::maxDepth)
            return refuse("nested too deeply");
        Json* placed = put(std::move(container));
        if (placed)
            open_.push_back(placed);
        return placed != nullptr;
    }

    // Puts the value where the parser is; where it now lives, or null when it has no place.
    // A container still being filled stays where it is: nothing is added beside it until it
    // is closed.
    Json* put(Json value) {
        if (!topOpened_) {
            refuse("not a JSON object");
            return nullptr;
        }
        if (open_.empty())
            return &table_.set(key_, std::move(value));
        Json& parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        Members& members = membersOf(parent);
        members.emplace_back(key_, std::move(value));
        return &members.back().second;
    }

    DefaultsTable& table_;
    bool topOpened_ = false;
    std::vector<Json*> open_; // the containers being filled, innermost last
    std::string key_;
};

} // namespace

const Json* DefaultsTable::find(const std::string& key) const {
    const auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}

Json& DefaultsTable::set(const std::string& key, Json value) {
    const auto [it, fresh] = index_.emplace(key, entries_.size());
    if (fresh) {
        entries_.emplace_back(key, std::move(value));
        return entries_.back().second;
    }
    Json& slot = entries_[it->second].second;
    slot = std::move(value);
    return slot;
}

void DefaultsTable::erase(const std::string& key) {
    const auto it = index_.find(key);
    if (it == index_.end())
        return;
    // Removing is rare and is followed by writing the whole file, which costs as much.
    const size_t at = it->second;
    index_.erase(it);
    entries_.erase(entries_.begin() + std::ptrdiff_t(at));
    for (size_t i = at; i < entries_.size(); ++i)
        index_[entries_[i].first] = i;
}

QStringList DefaultsTable::changedKeys(const DefaultsTable& before, const DefaultsTable& after) {
    QStringList keys;
    for (const auto& [key, value] : before.entries_) {
        const Json* now = after.find(key);
        if (!now || *now != value)
            keys.append(JsonRead::toQString(key));
    }
    for (const auto& [key, value] : after.entries_) {
        if (!before.find(key))
            keys.append(JsonRead::toQString(key));
    }
    return keys;
}

std::string DefaultsTable::text() const {
    Json document = Json::object();
    Members& members = membersOf(document);
    members.reserve(entries_.size());
    for (const auto& [key, value] : entries_)
        members.emplace_back(key, value);
    return document.dump(2) + "\n";
}

std::optional<DefaultsTable> DefaultsTable::parse(const QByteArray& bytes, QString* error) {
    DefaultsTable table;
    TableReader reader(table);
    // A raw NUL would end the parser's reading early, leaving the rest of the file unread.
    const bool read = !JsonRead::hasRawNul(bytes) &&
                      Json::sax_parse(bytes.constBegin(), bytes.constEnd(), &reader);
    if (read)
        return table;
    if (error)
        *error = reader.error.isEmpty() ? QStringLiteral("not a JSON document") : reader.error;
    return std::nullopt;
}
