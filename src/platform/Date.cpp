#include "Date.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <cmath>

Date Date::fromQDateTime(const QDateTime& dateTime) {
    return fromUnixSeconds(double(dateTime.toMSecsSinceEpoch()) / 1000.0);
}

QDateTime Date::toQDateTime() const {
    return QDateTime::fromMSecsSinceEpoch(qint64(std::floor(unixSeconds() * 1000.0)),
                                          QTimeZone::utc());
}

QString Date::iso8601() const {
    const QDateTime t =
        QDateTime::fromSecsSinceEpoch(qint64(std::floor(unixSeconds())), QTimeZone::utc());
    return t.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + QLatin1Char('Z');
}

std::optional<Date> Date::fromIso8601(const QString& text) {
    // End at "\z": "$" would also accept a line feed after the "Z".
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})Z\\z"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const QDate day(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!day.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    return fromUnixSeconds(double(QDateTime(day, time, QTimeZone::utc()).toSecsSinceEpoch()));
}
