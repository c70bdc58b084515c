#pragma once

#include "ZoneID.h"

namespace cloud {

// A record's name within its zone.
struct RecordID {
    QString recordName;
    ZoneID zoneID;

    bool operator<(const RecordID& o) const {
        return recordName != o.recordName ? recordName < o.recordName : zoneID < o.zoneID;
    }
    bool operator==(const RecordID&) const = default;
};

} // namespace cloud
