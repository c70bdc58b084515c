#pragma once

#include "RecordID.h"
#include "Share.h"
#include "platform/Date.h"

#include <QString>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace cloud {

// The kinds of value a record field holds.
using FieldValue = std::variant<QString, qint64, double, Date>;

// The record type and name of the one share that covers a whole zone.
inline const QString shareRecordType = QStringLiteral("~share");
inline const QString zoneWideShareName = QStringLiteral("~zone-share");

// A typed record: its type, its id, the change tag the server gave its last saved version, and
// its fields. A share record also carries its participants.
class Record {
public:
    Record(QString recordType, RecordID recordID);
    // A new zone-wide share record for a zone.
    static Record zoneWideShare(const ZoneID& zoneID);

    const QString& recordType() const { return recordType_; }
    const RecordID& recordID() const { return recordID_; }
    // The same record in the same-named zone of another owner (how the container maps the
    // current-user placeholder to a real user and back).
    Record withZoneOwner(const QString& ownerName) const;

    // Present once the server has stored this version; a save without one creates the record.
    const std::optional<QString>& changeTag() const { return changeTag_; }
    void setChangeTag(std::optional<QString> tag) { changeTag_ = std::move(tag); }

    // Fields keep the order in which they were first set.
    const std::vector<std::pair<QString, FieldValue>>& fields() const { return fields_; }
    void set(const QString& key, FieldValue value);
    void remove(const QString& key);
    bool contains(const QString& key) const { return find(key) != nullptr; }
    const FieldValue* find(const QString& key) const;

    // Typed reads: a missing field, or one holding another kind of value, reads as absent.
    std::optional<QString> string(const QString& key) const;
    std::optional<qint64> integer(const QString& key) const;
    std::optional<double> doubleValue(const QString& key) const;
    std::optional<Date> date(const QString& key) const;

    bool isShare() const { return recordType_ == shareRecordType; }
    // The sharing part; present exactly for share records.
    const Share* share() const { return share_ ? &*share_ : nullptr; }
    Share* share() { return share_ ? &*share_ : nullptr; }

    bool operator==(const Record&) const = default;

private:
    template <typename T> std::optional<T> typed(const QString& key) const;

    QString recordType_;
    RecordID recordID_;
    std::optional<QString> changeTag_;
    std::vector<std::pair<QString, FieldValue>> fields_;
    std::optional<Share> share_;
};

} // namespace cloud
