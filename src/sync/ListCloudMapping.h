#pragma once

#include "cloud/Record.h"
#include "model/TBItem.h"
#include "model/TBList.h"
#include "store/CloudLayout.h"

#include <optional>
#include <utility>

// How lists, items, group assignments and deleted items are written into cloud records and read
// back, following the layout of CloudLayout. Writers set every field of their record type;
// readers take what they can and give defaults for the rest, and give nothing for a record of
// another type or zone.
namespace ListCloudMapping {

// The first instant of year 1: the deletion time of a tombstone record that lacks one.
inline constexpr Date distantPast{-63'114'076'800.0};

// The list id of a zone named "TB-" + id; nothing for any other zone.
std::optional<QString> listID(const cloud::ZoneID& zone);

// A base record (the server's last copy) is written in place, keeping its change tag;
// without one a new record is made.
cloud::Record record(const TBList& list, std::optional<cloud::Record> base);
// `owner`: the zone owner of the item's list when it is someone else's.
cloud::Record record(const TBItem& item, std::optional<cloud::Record> base,
                     const std::optional<QString>& owner);
cloud::Record record(const QString& listID, const QString& collection,
                     std::optional<cloud::Record> base);
cloud::Record tombstoneRecord(const QString& itemID, const QString& listID,
                              const std::optional<QString>& owner, Date deletedAt);

// `now` is the creation time of a list record that has none.
std::optional<TBList> list(const cloud::Record& record, Date now);
std::optional<TBItem> item(const cloud::Record& record);
// (list id, group name)
std::optional<std::pair<QString, QString>> filing(const cloud::Record& record);
// The group name a filing record carries, as it was sent; empty when it has none.
QString collection(const cloud::Record& record);
// (item id, deletion time)
std::optional<std::pair<QString, Date>> tombstone(const cloud::Record& record);

} // namespace ListCloudMapping
