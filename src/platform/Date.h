#pragma once

#include <QDateTime>
#include <QString>

#include <compare>
#include <optional>

// An absolute point in time, kept as seconds since 2001-01-01 00:00:00 UTC, which is also its
// JSON form in the store file. A double keeps sub-millisecond times exact across a round trip.
class Date {
public:
    // Seconds between 1970-01-01 and 2001-01-01.
    static constexpr double referenceOffset = 978307200.0;

    constexpr Date() = default;
    constexpr explicit Date(double secondsSinceReferenceDate) : seconds_(secondsSinceReferenceDate) {}

    static constexpr Date fromUnixSeconds(double s) { return Date(s - referenceOffset); }
    static Date fromQDateTime(const QDateTime& dateTime);

    constexpr double secondsSinceReferenceDate() const { return seconds_; }
    constexpr double unixSeconds() const { return seconds_ + referenceOffset; }
    QDateTime toQDateTime() const; // UTC, millisecond precision

    constexpr Date addingSeconds(double s) const { return Date(seconds_ + s); }
    constexpr double secondsSince(Date other) const { return seconds_ - other.seconds_; }

    // "2025-03-14T09:26:53Z": UTC, whole seconds (fractions are dropped, rounding down).
    QString iso8601() const;
    // Reads exactly the form iso8601() writes; anything else is absent.
    static std::optional<Date> fromIso8601(const QString& text);

    constexpr auto operator<=>(const Date&) const = default;
    constexpr bool operator==(const Date&) const = default;

private:
    double seconds_ = 0;
};
