#pragma once

#include "ListColour.h"
#include "ListUrgency.h"
#include "platform/Date.h"
#include "platform/JsonFwd.h"

#include <QString>

#include <optional>

enum class TBListKind { oneOff, ongoing };
enum class TBSharePermission { readWrite, readOnly };

QString rawValue(TBListKind kind);
QString rawValue(TBSharePermission permission);
std::optional<TBListKind> listKindFromRaw(const QString& raw);
std::optional<TBSharePermission> sharePermissionFromRaw(const QString& raw);

// A list: its name, look, kind, place among the lists and sharing state.
struct TBList {
    QString id;
    QString name;
    bool pinned = false;
    double order = 0;
    std::optional<QString> zoneOwnerName; // present: another person's shared list
    std::optional<TBSharePermission> sharePermission;
    bool hasShare = false;
    QString icon = QStringLiteral("checklist");
    QString colourID = QStringLiteral("blue");
    TBListKind kind = TBListKind::oneOff;
    std::optional<Date> dueDate;
    Date createdAt;
    std::optional<QString> completedRetentionRaw;

    bool operator==(const TBList&) const = default;

    // This list cannot be edited here: another person's list, shared with the user for reading
    // only. The user's own list is never view-only, whatever permission it holds.
    bool isViewOnly() const {
        return zoneOwnerName.has_value() && sharePermission == TBSharePermission::readOnly;
    }

    // The urgency at `now`; an ongoing list has none whatever its due date.
    ListUrgency urgency(Date now) const;
    ListUrgency urgency() const; // at the shared clock's time
    const ListColour& colour() const { return ListColour::find(colourID); }

    // The store file's element. Keys in field order; absent optionals are left out.
    Json toJson() const;
    // Throws DecodeError. A missing createdAt takes `now`.
    static TBList fromJson(const Json& element, Date now);
};
