#pragma once

#include "cloud/RecordID.h"
#include "store/EngineQueue.h"

// The store names zones and records with its own placeholder for the signed-in user; the
// cloud has its own. These convert between the two.
namespace CloudIds {

inline cloud::ZoneID toCloud(const ZoneRef& zone) {
    return cloud::ZoneID{zone.zoneName, zone.ownerName == currentUserOwnerName
                                            ? cloud::currentUserDefaultName
                                            : zone.ownerName};
}

inline cloud::RecordID toCloud(const RecordRef& record) {
    return cloud::RecordID{record.recordName, toCloud(record.zone)};
}

inline ZoneRef fromCloud(const cloud::ZoneID& zone) {
    return ZoneRef{zone.zoneName, zone.ownerName == cloud::currentUserDefaultName
                                      ? currentUserOwnerName
                                      : zone.ownerName};
}

inline RecordRef fromCloud(const cloud::RecordID& record) {
    return RecordRef{record.recordName, fromCloud(record.zoneID)};
}

} // namespace CloudIds
