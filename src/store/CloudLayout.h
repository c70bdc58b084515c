#pragma once

#include <QString>

#include <optional>

// How the user's data lies in the cloud, named once: each list has a zone of its own holding its
// "list" record, one record per item (named by the item's id) and one "tomb-" record per recently
// deleted item; the groups of lists live in the private zone "TBMeta", one record per filed list
// (named by the list's id). The store keeps the server's last copy of a record under an archive
// key made from the record's kind and id. The store names what it queues, and the sync side
// reads what it fetches, by these alone.
namespace CloudLayout {

inline const QString listZonePrefix = QStringLiteral("TB-");
inline const QString metaZoneName = QStringLiteral("TBMeta");
inline const QString listRecordName = QStringLiteral("list");
inline const QString tombstonePrefix = QStringLiteral("tomb-");

inline const QString listRecordType = QStringLiteral("TB_List");
inline const QString itemRecordType = QStringLiteral("TB_Item");
inline const QString filingRecordType = QStringLiteral("TB_ListFiling");
inline const QString tombstoneRecordType = QStringLiteral("TB_Tombstone");

// The zone of a list, and the list a zone belongs to (nothing for a zone outside the layout).
QString listZoneName(const QString& listID);
std::optional<QString> listIDOfZone(const QString& zoneName);

// The record that tells other devices an item was deleted, and the item it names.
QString tombstoneRecordName(const QString& itemID);
std::optional<QString> itemIDOfTombstone(const QString& recordName);

// Where the server's last copy of a record is kept. Tombstone records are never kept.
QString listArchiveKey(const QString& listID);
QString itemArchiveKey(const QString& itemID);
QString filingArchiveKey(const QString& listID);
// The archive key of a list's or an item's record, by its name and its zone's list; nothing
// for other records (tombstones, groups).
std::optional<QString> archiveKeyOf(const QString& recordName,
                                    const std::optional<QString>& listID);
// What this device sent of the record kept under `archiveKey`, against the change tag of that
// copy, while the container's answer is not taken in: a device killed meanwhile learns from it,
// once it meets the server's copy again, whether a field it still counts as unsent was in fact
// sent. A store written by a program that does not know the key keeps it, unread.
QString sendingKey(const QString& archiveKey);
// Not a record: the permission of a share that arrived before its list, kept until the list
// arrives.
QString waitingShareKey(const QString& listID);

} // namespace CloudLayout
