#pragma once

#include "JsonFwd.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// The settings as keys and JSON values, in the order of the file they came from with new keys
// last, each key found in constant time. A request looks up many keys, and there are keys for
// each list: the JSON library's ordered object finds a key by walking all of them, which made
// reading a file of 100,000 keys take seconds. Not thread-safe.
class DefaultsTable {
public:
    const Json* find(const std::string& key) const;
    // Sets a key's value, a new key last; returns where the value is kept until the next change.
    Json& set(const std::string& key, Json value);
    void erase(const std::string& key);

    qsizetype size() const { return qsizetype(entries_.size()); }
    const std::vector<std::pair<std::string, Json>>& entries() const { return entries_; }

    // The keys whose values differ between two tables, those of `before` first.
    static QStringList changedKeys(const DefaultsTable& before, const DefaultsTable& after);

    // The file's text: the table as one JSON object, keys in order, indented by two.
    std::string text() const;
    // The table a file's text holds, or nothing when it is not a JSON object, is malformed or
    // nests deeper than the program reads (see JsonRead::maxDepth); `error` says which.
    static std::optional<DefaultsTable> parse(const QByteArray& bytes, QString* error = nullptr);

private:
    std::vector<std::pair<std::string, Json>> entries_;
    std::unordered_map<std::string, size_t> index_;
};
