#pragma once

#include "platform/Date.h"
#include "platform/JsonFwd.h"

#include <QString>

// The marker of one recently deleted item, kept so that other devices learn of the deletion.
struct Tombstone {
    QString listID; // the list the item belonged to
    Date deletedAt;

    bool operator==(const Tombstone&) const = default;

    Json toJson() const;
    static Tombstone fromJson(const Json& element); // throws DecodeError
};
