// Relative due texts on ICU's calendar arithmetic and relative date formatter.
#include "RelativeDueText.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/timezone.h>

#include <cmath>

namespace {

icu::TimeZone* icuZone(const QTimeZone& zone) {
    const QByteArray id = zone.isValid() ? zone.id() : QByteArray("UTC");
    return icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(id.toStdString()));
}

QString fromIcu(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

} // namespace

struct RelativeDueText::Icu {
    std::unique_ptr<icu::Calendar> calendar;
    std::unique_ptr<icu::RelativeDateTimeFormatter> formatter;
};

RelativeDueText::RelativeDueText(const QByteArray& locale, const QTimeZone& zone) {
    const icu::Locale where =
        locale.isEmpty() ? icu::Locale::getDefault() : icu::Locale(locale.constData());
    icu_ = std::make_unique<Icu>();
    auto& calendar_ = icu_->calendar;
    auto& formatter_ = icu_->formatter;
    UErrorCode status = U_ZERO_ERROR;
    calendar_.reset(icu::Calendar::createInstance(icuZone(zone), where, status));
    if (U_FAILURE(status))
        calendar_.reset();
    status = U_ZERO_ERROR;
    formatter_ = std::make_unique<icu::RelativeDateTimeFormatter>(
        where, nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_FAILURE(status)) {
        // A locale without relative-date data still gets English words rather than nothing.
        status = U_ZERO_ERROR;
        formatter_ = std::make_unique<icu::RelativeDateTimeFormatter>(
            icu::Locale::getEnglish(), nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_NONE,
            status);
    }
}

RelativeDueText::~RelativeDueText() = default;

QString RelativeDueText::text(Date date, Date now) const {
    const auto& calendar_ = icu_->calendar;
    const auto& formatter_ = icu_->formatter;
    if (!calendar_ || !formatter_)
        return {};
    static constexpr struct {
        UCalendarDateFields field;
        URelativeDateTimeUnit unit;
    } units[] = {
        {UCAL_YEAR, UDAT_REL_UNIT_YEAR},         {UCAL_MONTH, UDAT_REL_UNIT_MONTH},
        {UCAL_WEEK_OF_YEAR, UDAT_REL_UNIT_WEEK}, {UCAL_DATE, UDAT_REL_UNIT_DAY},
        {UCAL_HOUR_OF_DAY, UDAT_REL_UNIT_HOUR},  {UCAL_MINUTE, UDAT_REL_UNIT_MINUTE},
        {UCAL_SECOND, UDAT_REL_UNIT_SECOND},
    };
    // ICU counts in milliseconds; whole seconds keep "in 59 seconds" from reading as a minute.
    const UDate target = std::floor(date.unixSeconds()) * 1000.0;
    UErrorCode status = U_ZERO_ERROR;
    calendar_->setTime(std::floor(now.unixSeconds()) * 1000.0, status);
    double offset = 0;
    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
    // fieldDifference moves the calendar on by the whole units it counts, so each later field
    // counts only what the larger ones left over.
    for (const auto& step : units) {
        const int32_t difference = calendar_->fieldDifference(target, step.field, status);
        if (U_FAILURE(status))
            return {};
        if (difference != 0) {
            offset = difference;
            unit = step.unit;
            break;
        }
    }
    icu::UnicodeString result;
    formatter_->format(offset, unit, result, status);
    if (U_FAILURE(status))
        return {};
    return fromIcu(result);
}
