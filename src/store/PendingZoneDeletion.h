#pragma once

#include "platform/JsonFwd.h"

#include <QString>

#include <optional>

// A deleted list whose record zone is still to be deleted on the server.
struct PendingZoneDeletion {
    QString listID;
    std::optional<QString> zoneOwnerName;
    bool isShared = false; // the zone lives in the shared database

    bool operator==(const PendingZoneDeletion&) const = default;

    Json toJson() const;
    static PendingZoneDeletion fromJson(const Json& element); // throws DecodeError
};
