// Relative due texts on ICU's calendar arithmetic and relative date formatter.
#include "RelativeDueText.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/timezone.h>

#include <cmath>
#include <initializer_list>
#include <optional>
#include <utility>

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

namespace {

struct UnitStep {
    UCalendarDateFields field;
    URelativeDateTimeUnit unit;
};

// Counts from the calendar's time to `target` in the first of `steps` that is not zero, the
// larger units first: fieldDifference moves the calendar on by the whole units it counts, so
// each later field counts only what the larger ones left over. Nothing when ICU fails.
std::optional<std::pair<double, URelativeDateTimeUnit>>
largestUnit(icu::Calendar& calendar, UDate target, std::initializer_list<UnitStep> steps) {
    UErrorCode status = U_ZERO_ERROR;
    for (const UnitStep& step : steps) {
        const int32_t difference = calendar.fieldDifference(target, step.field, status);
        if (U_FAILURE(status))
            return std::nullopt;
        if (difference != 0)
            return std::pair{double(difference), step.unit};
    }
    return std::pair{0.0, (steps.end() - 1)->unit};
}

// Noon of the calendar date `time` falls on: noon exists on every date, whatever the clocks do
// at night.
std::optional<UDate> noonOfDate(icu::Calendar& calendar, UDate time) {
    UErrorCode status = U_ZERO_ERROR;
    calendar.setTime(time, status);
    calendar.set(UCAL_HOUR_OF_DAY, 12);
    calendar.set(UCAL_MINUTE, 0);
    calendar.set(UCAL_SECOND, 0);
    calendar.set(UCAL_MILLISECOND, 0);
    const UDate noon = calendar.getTime(status);
    if (U_FAILURE(status))
        return std::nullopt;
    return noon;
}

} // namespace

QString RelativeDueText::text(Date date, Date now) const {
    const auto& calendar_ = icu_->calendar;
    const auto& formatter_ = icu_->formatter;
    if (!calendar_ || !formatter_)
        return {};
    // ICU counts in milliseconds; whole seconds keep "in 59 seconds" from reading as a minute.
    const UDate target = std::floor(date.unixSeconds()) * 1000.0;
    const UDate start = std::floor(now.unixSeconds()) * 1000.0;
    UErrorCode status = U_ZERO_ERROR;
    calendar_->setTime(start, status);
    std::optional<std::pair<double, URelativeDateTimeUnit>> amount =
        largestUnit(*calendar_, target,
                    {{UCAL_DATE, UDAT_REL_UNIT_DAY},
                     {UCAL_HOUR_OF_DAY, UDAT_REL_UNIT_HOUR},
                     {UCAL_MINUTE, UDAT_REL_UNIT_MINUTE},
                     {UCAL_SECOND, UDAT_REL_UNIT_SECOND}});
    if (amount && amount->second == UDAT_REL_UNIT_DAY) {
        // A day or more away: what counts is the date it falls on, not the time of day, so a
        // date on the day after tomorrow reads "in 2 days" even when fewer than 48 hours away.
        const std::optional<UDate> from = noonOfDate(*calendar_, start);
        const std::optional<UDate> to = noonOfDate(*calendar_, target);
        if (!from || !to)
            return {};
        calendar_->setTime(*from, status);
        amount = largestUnit(*calendar_, *to,
                             {{UCAL_YEAR, UDAT_REL_UNIT_YEAR},
                              {UCAL_MONTH, UDAT_REL_UNIT_MONTH},
                              {UCAL_WEEK_OF_YEAR, UDAT_REL_UNIT_WEEK},
                              {UCAL_DATE, UDAT_REL_UNIT_DAY}});
    }
    if (!amount || U_FAILURE(status))
        return {};
    icu::UnicodeString result;
    formatter_->format(amount->first, amount->second, result, status);
    if (U_FAILURE(status))
        return {};
    return fromIcu(result);
}
