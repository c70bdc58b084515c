#pragma once

#include <QString>

// The person whose kept name a sheet edits: their id and the name kept for them now. Two routes
// are the same person when their ids are equal.
struct PersonRoute {
    QString id;
    QString storedName;

    bool operator==(const PersonRoute&) const = default;
};
