#pragma once

#include <QString>

#include <optional>

// The participants of a shared list's roster. Nothing on this build fills a roster.
namespace ShareRoster {

struct Row {
    int id = 0;
    QString name;
    std::optional<QString> state;
    std::optional<QString> recordID;

    bool operator==(const Row&) const = default;
};

} // namespace ShareRoster
