#include "model/CompletedOrder.h"
#include "model/CompletedRetention.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

const Date ten = *Date::fromIso8601(QStringLiteral("2025-03-14T10:00:00Z"));
const Date eleven = ten.addingSeconds(3600);

TBItem itemWith(const QString& id, bool done, std::optional<Date> completedAt, double order = 0) {
    return {id, "L", id, done, order, false, completedAt, {}};
}

QStringList itemIds(const QList<TBItem>& items) {
    QStringList out;
    for (const TBItem& i : items)
        out.append(i.id);
    return out;
}

TEST(CompletedOrder, NewestTickedFirstThenUndatedThenOrderThenId) {
    // Decomposed "é" sorts after "f" in text order.
    const QList<TBItem> items{
        itemWith("undatedOrder2", true, {}, 2),    itemWith("ten", true, ten, 0),
        itemWith("undatedOrder1", true, {}, 1),    itemWith("elevenB", true, eleven, 5),
        itemWith("elevenOrder3", true, eleven, 3), itemWith("elevenA", true, eleven, 5),
        itemWith("e\u0301", true, {}, 9),          itemWith("f", true, {}, 9)};
    const QStringList expected{"elevenOrder3",  "elevenA",       "elevenB", "ten",
                               "undatedOrder1", "undatedOrder2", "f",       "e\u0301"};
    EXPECT_EQ(itemIds(CompletedOrder::sort(items)), expected);
    // The order does not depend on where items start.
    EXPECT_EQ(itemIds(CompletedOrder::sort(QList<TBItem>(items.rbegin(), items.rend()))), expected);
    // The section holds only done items, sorted, whatever time an open item still carries.
    EXPECT_EQ(itemIds(CompletedOrder::section(
                  {itemWith("open", false, {}), itemWith("ten", true, ten),
                   itemWith("stale", false, eleven), itemWith("11", true, eleven)})),
              QStringList({"11", "ten"}));
}

TEST(CompletedRetention, RawValuesAreStableAndUnknownTextsKeepAll) {
    QStringList raws;
    for (CompletedRetention r : CompletedRetention::allCases()) {
        raws.append(r.rawValue());
        EXPECT_EQ(CompletedRetention::read(r.rawValue()), r);
    }
    EXPECT_EQ(raws, QStringList({"never", "50", "100", "200", "all"}));
    EXPECT_EQ(CompletedRetention::read(std::nullopt), CompletedRetention::all);
    for (const char* unknown : {"25", "Never", " 50", ""})
        EXPECT_EQ(CompletedRetention::read(QString(unknown)), CompletedRetention::all) << unknown;
}

TEST(CompletedRetention, SurvivorsAreOpenItemsThenTheNewestTicked) {
    // Three open items among 250 done ones ticked a minute apart, listed oldest first.
    QList<TBItem> items;
    QStringList open;
    for (int i = 0; i < 250; ++i) {
        if (i % 100 == 7) {
            open.append(QStringLiteral("open%1").arg(i));
            items.append(itemWith(open.last(), false, {}, 1000 - i));
        }
        items.append(itemWith(QStringLiteral("done%1").arg(i), true, ten.addingSeconds(60 * i)));
    }
    const struct {
        CompletedRetention retention;
        int keptDone;
    } cases[] = {{CompletedRetention::never, 0},
                 {CompletedRetention::keep50, 50},
                 {CompletedRetention::keep100, 100},
                 {CompletedRetention::keep200, 200},
                 {CompletedRetention::all, 250}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.retention.rawValue().toStdString());
        QStringList expected = open;
        for (int i = 0; i < c.keptDone; ++i)
            expected.append(QStringLiteral("done%1").arg(249 - i));
        EXPECT_EQ(itemIds(c.retention.survivors(items)), expected);
    }
    // Fewer done items than the limit are all kept, undated ones last.
    const QList<TBItem> few{itemWith("ten", true, ten), itemWith("open", false, {}),
                            itemWith("undated", true, {}), itemWith("eleven", true, eleven)};
    EXPECT_EQ(itemIds(CompletedRetention(CompletedRetention::keep50).survivors(few)),
              QStringList({"open", "eleven", "ten", "undated"}));
}

} // namespace
