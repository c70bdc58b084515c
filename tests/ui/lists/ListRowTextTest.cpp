#include "ListsTestSupport.h"

#include "ui/lists/ListRowText.h"
#include "ui/lists/RelativeDueText.h"

namespace {

TEST(RelativeDueText, TakesTheLargestUnitOfTimeUnderADayAndOfDatesBeyond) {
    const RelativeDueText relative("en_US", berlin());
    const Date now = berlinTime(2025, 3, 10, 11, 0);
    const double minute = 60, hour = 3600, day = 86400;
    const struct {
        const char* what;
        Date due;
        const char* text;
    } cases[] = {
        {"the same second", now, "now"},
        {"a fraction of a second", now.addingSeconds(0.6), "now"},
        {"one second", now.addingSeconds(1), "in 1 second"},
        {"just under a minute", now.addingSeconds(59), "in 59 seconds"},
        {"a minute", now.addingSeconds(minute), "in 1 minute"},
        {"just under an hour", now.addingSeconds(hour - 1), "in 59 minutes"},
        {"an hour", now.addingSeconds(hour), "in 1 hour"},
        {"just under a day", now.addingSeconds(day - 1), "in 23 hours"},
        {"tomorrow morning, the next calendar day", berlinTime(2025, 3, 11, 9, 0), "in 22 hours"},
        {"a whole day", now.addingSeconds(day), "tomorrow"},
        {"just under two days, on the day after tomorrow", now.addingSeconds(2 * day - 1),
         "in 2 days"},
        {"two days", now.addingSeconds(2 * day), "in 2 days"},
        {"three days", now.addingSeconds(3 * day), "in 3 days"},
        {"just under a week, on the same weekday", now.addingSeconds(7 * day - 1), "next week"},
        {"six dates on", berlinTime(2025, 3, 16, 23, 59), "in 6 days"},
        {"a week", now.addingSeconds(7 * day), "next week"},
        {"two weeks", now.addingSeconds(14 * day), "in 2 weeks"},
        {"a day short of a calendar month", berlinTime(2025, 4, 9, 11, 0), "in 4 weeks"},
        {"a calendar month", berlinTime(2025, 4, 10, 11, 0), "next month"},
        {"five months", berlinTime(2025, 8, 10, 12, 0), "in 5 months"},
        {"a year", berlinTime(2026, 3, 10, 11, 0), "next year"},
        {"three years", berlinTime(2028, 3, 11, 11, 0), "in 3 years"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(relative.text(c.due, now), c.text) << c.what;
}

TEST(RelativeDueText, DayWordsFollowTheDatesInTheTimeZone) {
    const RelativeDueText relative("en_US", berlin());
    // Wednesday 12 March 2025, 10:00 in Berlin.
    const Date now = berlinTime(2025, 3, 12, 10, 0);
    const struct {
        const char* what;
        Date due;
        const char* text;
    } cases[] = {
        {"later today", berlinTime(2025, 3, 12, 23, 59), "in 13 hours"},
        {"just after midnight, under a day", berlinTime(2025, 3, 13, 0, 30), "in 14 hours"},
        {"Thursday, a minute short of a day", berlinTime(2025, 3, 13, 9, 59), "in 23 hours"},
        {"Thursday, a whole day", berlinTime(2025, 3, 13, 10, 0), "tomorrow"},
        {"Thursday, last minute", berlinTime(2025, 3, 13, 23, 59), "tomorrow"},
        {"Friday, first minute", berlinTime(2025, 3, 14, 0, 0), "in 2 days"},
        {"Friday morning, under 48 hours", berlinTime(2025, 3, 14, 9, 0), "in 2 days"},
        {"Saturday morning", berlinTime(2025, 3, 15, 9, 0), "in 3 days"},
        {"Tuesday next, late", berlinTime(2025, 3, 18, 23, 59), "in 6 days"},
        {"Wednesday next, early", berlinTime(2025, 3, 19, 0, 0), "next week"},
        {"an hour ago", berlinTime(2025, 3, 12, 9, 0), "1 hour ago"},
        {"yesterday, a whole day ago", berlinTime(2025, 3, 11, 10, 0), "yesterday"},
        {"Monday, under 48 hours ago", berlinTime(2025, 3, 10, 11, 0), "2 days ago"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(relative.text(c.due, now), c.text) << c.what;

    // Late in the evening, the next date is near: 25 hours on is already the day after next.
    const Date evening = berlinTime(2025, 3, 12, 23, 30);
    const Date friday = berlinTime(2025, 3, 14, 0, 30);
    EXPECT_EQ(relative.text(friday, evening), "in 2 days");
    // An hour behind Berlin, the same two instants fall on Wednesday and Thursday.
    const RelativeDueText utc("en_US", QTimeZone::utc());
    EXPECT_EQ(utc.text(friday, evening), "tomorrow");
}

TEST(RelativeDueText, CountsCalendarDaysAcrossAClockChange) {
    const RelativeDueText relative("en_US", berlin());
    // The clocks go forward in the night to 30 March: the same time a day later is 23 hours on.
    const Date now = berlinTime(2025, 3, 29, 12, 0);
    const Date due = berlinTime(2025, 3, 30, 12, 0);
    ASSERT_EQ(due.secondsSince(now), 23 * 3600);
    EXPECT_EQ(relative.text(due, now), "tomorrow");
    EXPECT_EQ(relative.text(due.addingSeconds(-1), now), "in 22 hours");
}

TEST(ListRowText, CountSummaryByKindAndCounts) {
    const struct {
        const char* what;
        TBListKind kind;
        ItemCounts counts;
        const char* text;
    } cases[] = {
        {"one-off without items", TBListKind::oneOff, {0, 0}, "Empty"},
        {"ongoing without items", TBListKind::ongoing, {0, 0}, "Empty"},
        {"one-off partly done", TBListKind::oneOff, {2, 5}, "2 of 5 left"},
        {"one-off all done", TBListKind::oneOff, {0, 3}, "0 of 3 left"},
        {"one-off, large counts stay ungrouped",
         TBListKind::oneOff,
         {1200, 4000},
         "1200 of 4000 left"},
        {"ongoing, one to go", TBListKind::ongoing, {1, 4}, "1 item"},
        {"ongoing, all done", TBListKind::ongoing, {0, 4}, "0 items"},
        {"ongoing, several", TBListKind::ongoing, {3, 3}, "3 items"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListRowText::countSummary(c.kind, c.counts), c.text) << c.what;
}

TEST(ListRowText, DueSummaryAndSpokenLabel) {
    const RelativeDueText relative("en_US", berlin());
    const Date now = berlinTime(2025, 3, 10, 11, 0);
    const auto list = [&](TBListKind kind, std::optional<Date> due, bool pinned,
                          std::optional<QString> owner, bool hasShare) {
        TBList l;
        l.id = "L";
        l.name = "Groceries";
        l.kind = kind;
        l.dueDate = due;
        l.createdAt = now.addingSeconds(-86400);
        l.pinned = pinned;
        l.zoneOwnerName = owner;
        l.hasShare = hasShare;
        return l;
    };
    const Date tomorrow = now.addingSeconds(30 * 3600);
    const struct {
        const char* what;
        TBList list;
        std::optional<QString> due;
        const char* label;
    } cases[] = {
        {"everything at once", list(TBListKind::oneOff, tomorrow, true, std::nullopt, true),
         "tomorrow", "Groceries, 2 of 5 left, due tomorrow, shared, pinned"},
        {"another person's list", list(TBListKind::oneOff, std::nullopt, false, "_owner", false),
         std::nullopt, "Groceries, 2 of 5 left, shared"},
        {"ongoing lists have no due date", list(TBListKind::ongoing, tomorrow, false, {}, false),
         std::nullopt, "Groceries, 2 of 5 left"},
        {"past the date", list(TBListKind::oneOff, now.addingSeconds(-1), false, {}, false),
         "Overdue", "Groceries, 2 of 5 left, due Overdue"},
    };
    for (const auto& c : cases) {
        const std::optional<QString> due = ListRowText::dueSummary(c.list, now, relative);
        EXPECT_EQ(due, c.due) << c.what;
        EXPECT_EQ(ListRowText::accessibilityLabel(c.list, "2 of 5 left", due), c.label) << c.what;
    }
}

TEST(ListRowText, DueChipSaysHowPressingTheDateIs) {
    const struct {
        ListUrgency urgency;
        const char* label;
    } cases[] = {
        {ListUrgency::none, "tomorrow, "},
        {ListUrgency::relaxed, "tomorrow, On track"},
        {ListUrgency::soon, "tomorrow, Getting close"},
        {ListUrgency::tight, "tomorrow, Due very soon"},
        {ListUrgency::overdue, "tomorrow, Overdue"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListRowText::dueChipAccessibilityLabel("tomorrow", c.urgency), c.label);
}

TEST(ListRowText, OnlyAnotherPersonsReadOnlyListCannotBeChangedHere) {
    const struct {
        const char* what;
        std::optional<QString> owner;
        std::optional<TBSharePermission> permission;
        bool canEdit;
        bool shared;
    } cases[] = {
        {"own list", std::nullopt, std::nullopt, true, false},
        {"shared with me to change", "_o", TBSharePermission::readWrite, true, true},
        {"shared with me, permission not yet known", "_o", std::nullopt, true, true},
        {"shared with me to read only", "_o", TBSharePermission::readOnly, false, true},
    };
    for (const auto& c : cases) {
        TBList list;
        list.zoneOwnerName = c.owner;
        list.sharePermission = c.permission;
        EXPECT_EQ(ListRowText::canEditHere(list), c.canEdit) << c.what;
        EXPECT_EQ(ListRowText::isShared(list), c.shared) << c.what;
    }
}

} // namespace
