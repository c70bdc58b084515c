// Where a fetched record belongs. A zone is known by its owner and its name together: another
// person can make a zone of their own under the name of one of this user's lists ("TB-" and the
// list's id), and a record of any name in any zone of theirs. Such a record is not this store's
// list or item, and the sync side takes nothing from it.
#include "ListStore.h"

#include "CloudLayout.h"

namespace {

QString ownerText(const QString& owner) {
    return owner == currentUserOwnerName ? QStringLiteral("the signed-in user")
                                         : QStringLiteral("“%1”").arg(owner);
}

QString zoneText(const ZoneRef& zone) {
    return QStringLiteral("zone “%1” of %2").arg(zone.zoneName, ownerText(zone.ownerName));
}

} // namespace

// Why nothing from the zone may change what is kept here, without naming the zone.
std::optional<QString> ListStore::zoneMismatch(const ZoneRef& zone) const {
    if (zone.zoneName == CloudLayout::metaZoneName) {
        // The groups of lists are the user's own, in the private database only.
        if (zone.ownerName == currentUserOwnerName)
            return std::nullopt;
        return QStringLiteral("the groups of lists live only in the signed-in user's own %1")
            .arg(zoneText(ZoneRef{zone.zoneName, currentUserOwnerName}));
    }
    const std::optional<QString> listID = CloudLayout::listIDOfZone(zone.zoneName);
    if (!listID || indexOfList(*listID) < 0)
        return std::nullopt;
    const ZoneRef home = zoneID(*listID);
    if (home == zone)
        return std::nullopt;
    return QStringLiteral("list “%1” here is kept in %2").arg(*listID, zoneText(home));
}

std::optional<QString> ListStore::foreignZone(const ZoneRef& zone) const {
    const std::optional<QString> why = zoneMismatch(zone);
    if (!why)
        return std::nullopt;
    return QStringLiteral("Nothing is taken from %1: %2.").arg(zoneText(zone), *why);
}

std::optional<QString> ListStore::foreignRecord(const RecordRef& record) const {
    std::optional<QString> why = zoneMismatch(record.zone);
    if (!why)
        why = recordMismatch(record);
    if (!why)
        return std::nullopt;
    return QStringLiteral("Record “%1” of %2 is not taken: %3.")
        .arg(record.recordName, zoneText(record.zone), *why);
}

// Why a record of a zone that may be taken from still must not change what is kept here.
std::optional<QString> ListStore::recordMismatch(const RecordRef& record) const {
    const std::optional<QString> listID = CloudLayout::listIDOfZone(record.zone.zoneName);
    if (!listID || record.recordName == CloudLayout::listRecordName)
        return std::nullopt;
    // Items never move between lists: a record named after an item, or a deleted item, of
    // another list is not that item, whatever it holds.
    const std::optional<QString> tombstoneOf = CloudLayout::itemIDOfTombstone(record.recordName);
    const QString& itemID = tombstoneOf ? *tombstoneOf : record.recordName;
    if (const TBItem* item = findItem(itemID); item && item->listID != *listID)
        return QStringLiteral("item “%1” here belongs to list “%2”").arg(itemID, item->listID);
    const auto tombstone = tombstones_.constFind(itemID);
    if (tombstone != tombstones_.cend() && tombstone->listID != *listID)
        return QStringLiteral("item “%1” was deleted here from list “%2”")
            .arg(itemID, tombstone->listID);
    return std::nullopt;
}
