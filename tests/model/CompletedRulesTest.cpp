#include "model/CompletedOrder.h"
#include "model/CompletedRetention.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

const Date ten = *Date::fromIso8601(QStringLiteral("2025-03-14T10:00:00Z"));
const Date eleven = ten.addingSeconds(3600);

TBItem item(const QString& id, bool done, std::optional<Date> completedAt, double order = 0) {
    TBItem i;
    i.id = id;
    i.listID = QStringLiteral("L");
    i.text = id;
    i.done = done;
    i.completedAt = completedAt;
    i.order = order;
    return i;
}

QStringList ids(const QList<TBItem>& items) {
    QStringList out;
    for (const TBItem& i : items)
        out.append(i.id);
    return out;
}

// ---- The completed order ----

TEST(CompletedOrder, NewestTickedFirstThenUndatedThenOrderThenId) {
    const QList<TBItem> items{
        item("undatedOrder2", true, std::nullopt, 2),
        item("ten", true, ten, 0),
        item("undatedOrder1", true, std::nullopt, 1),
        item("elevenB", true, eleven, 5),
        item("elevenOrder3", true, eleven, 3),
        item("elevenA", true, eleven, 5),
        item("e\u0301", true, std::nullopt, 9), // "é" after "f" in text order
        item("f", true, std::nullopt, 9),
    };
    const QStringList expected{"elevenOrder3",  "elevenA",       "elevenB", "ten",
                               "undatedOrder1", "undatedOrder2", "f",       "e\u0301"};
    EXPECT_EQ(ids(CompletedOrder::sort(items)), expected);
    // The order does not depend on where items start.
    QList<TBItem> reversed(items.rbegin(), items.rend());
    EXPECT_EQ(ids(CompletedOrder::sort(reversed)), expected);
}

TEST(CompletedOrder, SectionHoldsOnlyDoneItems) {
    const QList<TBItem> items{item("open", false, std::nullopt), item("ten", true, ten),
                              item("openWithStaleTime", false, eleven),
                              item("eleven", true, eleven)};
    EXPECT_EQ(ids(CompletedOrder::section(items)), QStringList({"eleven", "ten"}));
    EXPECT_TRUE(CompletedOrder::section({}).isEmpty());
}

// ---- How many ticked items a list keeps ----

struct RawCase {
    std::optional<QString> raw;
    CompletedRetention expected;
};

class CompletedRetentionRead : public testing::TestWithParam<RawCase> {};

TEST_P(CompletedRetentionRead, UnknownTextsKeepAll) {
    EXPECT_EQ(CompletedRetention::read(GetParam().raw), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    StoredTexts, CompletedRetentionRead,
    testing::Values(RawCase{QStringLiteral("never"), CompletedRetention::never},
                    RawCase{QStringLiteral("50"), CompletedRetention::keep50},
                    RawCase{QStringLiteral("100"), CompletedRetention::keep100},
                    RawCase{QStringLiteral("200"), CompletedRetention::keep200},
                    RawCase{QStringLiteral("all"), CompletedRetention::all},
                    RawCase{std::nullopt, CompletedRetention::all},
                    RawCase{QStringLiteral("25"), CompletedRetention::all},

                    RawCase{QStringLiteral("Never"), CompletedRetention::all},
                    RawCase{QStringLiteral(" 50"), CompletedRetention::all},
                    RawCase{QString(), CompletedRetention::all}));

TEST(CompletedRetention, RawValuesAreStable) {
    QStringList raws;
    for (CompletedRetention r : CompletedRetention::allCases()) {
        raws.append(r.rawValue());
        EXPECT_EQ(CompletedRetention::read(r.rawValue()), r);
    }
    EXPECT_EQ(raws, QStringList({"never", "50", "100", "200", "all"}));
}

struct KeepCase {
    CompletedRetention retention;
    int keptDone;
};

class CompletedRetentionSurvivors : public testing::TestWithParam<KeepCase> {};

TEST_P(CompletedRetentionSurvivors, OpenItemsThenTheNewestTicked) {
    // Three open items among 250 done ones ticked a minute apart, listed oldest first.
    QList<TBItem> items;
    QStringList open;
    for (int i = 0; i < 250; ++i) {
        if (i % 100 == 7) {
            open.append(QStringLiteral("open%1").arg(i));
            items.append(item(open.last(), false, std::nullopt, 1000 - i));
        }
        items.append(item(QStringLiteral("done%1").arg(i), true, ten.addingSeconds(60 * i)));
    }
    const QList<TBItem> kept = GetParam().retention.survivors(items);
    QStringList expected = open;
    for (int i = 0; i < GetParam().keptDone; ++i)
        expected.append(QStringLiteral("done%1").arg(249 - i));
    EXPECT_EQ(ids(kept), expected);
}

INSTANTIATE_TEST_SUITE_P(Retentions, CompletedRetentionSurvivors,
                         testing::Values(KeepCase{CompletedRetention::never, 0},
                                         KeepCase{CompletedRetention::keep50, 50},
                                         KeepCase{CompletedRetention::keep100, 100},
                                         KeepCase{CompletedRetention::keep200, 200},
                                         KeepCase{CompletedRetention::all, 250}));

TEST(CompletedRetention, FewerDoneItemsThanTheLimitAreAllKept) {
    const QList<TBItem> items{item("ten", true, ten), item("open", false, std::nullopt),
                              item("undated", true, std::nullopt), item("eleven", true, eleven)};
    EXPECT_EQ(ids(CompletedRetention(CompletedRetention::keep50).survivors(items)),
              QStringList({"open", "eleven", "ten", "undated"}));
    EXPECT_TRUE(CompletedRetention(CompletedRetention::keep50).survivors({}).isEmpty());
}

} // namespace
