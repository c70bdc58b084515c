#pragma once

#include "platform/Date.h"

#include <QByteArray>
#include <QString>
#include <QTimeZone>

#include <memory>

// A due date told relative to now in words: "now", "in 5 minutes", "in 23 hours", "tomorrow",
// "in 3 days", "next week", "in 2 months". Under a day away the time counts: the largest whole
// unit of hours, minutes and seconds. A day or more away the calendar dates count, in the given
// time zone: on Wednesday at 10:00, Thursday at 09:00 is "in 23 hours", Friday at 09:00 "in 2
// days" and the Wednesday a week on "next week", and the unit shown is the largest of years,
// months, weeks and days that is not zero between the two dates. Named forms ("tomorrow", "next
// week") are used where the language has them; units are written out in full. Not thread-safe:
// keep one per thread.
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
