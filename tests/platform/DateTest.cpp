#include "platform/Date.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(Date, ReferenceDateIsTheStartOf2001) {
    EXPECT_EQ(Date(0).iso8601(), QStringLiteral("2001-01-01T00:00:00Z"));
    EXPECT_EQ(Date::fromUnixSeconds(0).secondsSinceReferenceDate(), -978307200.0);
}

TEST(Date, WritesWholeSecondsInUtc) {
    const auto date = Date::fromIso8601(QStringLiteral("2025-03-14T09:26:53Z"));
    ASSERT_TRUE(date);
    EXPECT_EQ(date->iso8601(), QStringLiteral("2025-03-14T09:26:53Z"));
    EXPECT_EQ(date->addingSeconds(0.999).iso8601(), QStringLiteral("2025-03-14T09:26:53Z"));
    EXPECT_EQ(Date(-0.5).iso8601(), QStringLiteral("2000-12-31T23:59:59Z"));
}

TEST(Date, ReadsOnlyTheExactForm) {
    const char* bad[] = {"2025-03-14T09:26:53",   "2025-03-14T09:26:53.5Z",
                         "2025-03-14 09:26:53Z",  "2025-03-14T09:26:53+00:00",
                         "2025-13-14T09:26:53Z",  "2025-02-30T09:26:53Z",
                         "2025-03-14T25:00:00Z",  "",
                         " 2025-03-14T09:26:53Z", "2025-3-14T09:26:53Z",
                         "2025-03-14T09:26:53Z\n"};
    for (const char* text : bad) {
        EXPECT_FALSE(Date::fromIso8601(QString::fromLatin1(text))) << text;
    }
}

TEST(Date, KeepsSubMillisecondTimesExactly) {
    const Date date(757382400.123456789);
    EXPECT_EQ(Date(date.secondsSinceReferenceDate()), date);
    EXPECT_LT(date, date.addingSeconds(1e-6));
}

TEST(Clock, SharedClockCanBeReplaced) {
    auto fixed = std::make_shared<FixedClock>(Date(1000));
    Clock::setShared(fixed);
    EXPECT_EQ(Clock::shared().now(), Date(1000));
    fixed->advance(5);
    EXPECT_EQ(Clock::shared().now(), Date(1005));
    Clock::setShared(nullptr);
    EXPECT_NE(dynamic_cast<const SystemClock*>(&Clock::shared()), nullptr);
}
