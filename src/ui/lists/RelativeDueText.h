#pragma once

#include "platform/Date.h"

#include <QByteArray>
#include <QString>
#include <QTimeZone>

#include <memory>

// A due date told relative to now in words: "now", "in 5 minutes", "in 23 hours", "tomorrow",
// "in 3 days", "next week", "in 2 months". The one unit shown is the largest that is not zero
// when the time between now and the date is broken into calendar years, months, weeks, days,
// hours, minutes and seconds (in the given time zone, counting whole units), so a date 30 hours
// away reads "tomorrow" and one 23 hours away reads "in 23 hours", whatever the clock says.
// Named forms ("tomorrow", "next week") are used where the language has them; units are written
// out in full. Not thread-safe: keep one per thread.
class RelativeDueText {
public:
    // `locale`: an ICU locale name such as "en_GB"; empty takes the process's default locale.
    explicit RelativeDueText(const QByteArray& locale = {},
                             const QTimeZone& zone = QTimeZone::systemTimeZone());
    ~RelativeDueText();
    RelativeDueText(const RelativeDueText&) = delete;
    RelativeDueText& operator=(const RelativeDueText&) = delete;

    QString text(Date date, Date now) const;

private:
    struct Icu; // the calendar and formatter, kept out of this header
    std::unique_ptr<Icu> icu_;
};
