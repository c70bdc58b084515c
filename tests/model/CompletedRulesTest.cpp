#include "model/CompletedOrder.h"
#include "model/CompletedRetention.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

const Date ten = *Date::fromIso8601(QStringLiteral("2025-03-14T10:00:00Z"));
const Date eleven = ten.addingSeconds(3600);

TBItem item(const QString& id, bool done, std::optional<Date> completedAt, double order = 0) {
    return {id, "L", id, done, order, false, completedAt, {}};
}

QStringList ids(const QList<TBItem>& items) {
    QStringList out;
    for (const TBItem& i : items)
        out.append(i.id);
    return out;
}

TEST(CompletedOrder, NewestTickedFirstThenUndatedThenOrderThenId) {
    // Decomposed "é" sorts after "f" in text order.
    const QList<TBItem> items{
        item("undatedOrder2", true, {}, 2),    item("ten", true, ten, 0),
        item("undatedOrder1", true, {}, 1),    item("elevenB", true, eleven, 5),
        item("elevenOrder3", true, eleven, 3), item("elevenA", true, eleven, 5),
        item("e\u0301", true, {}, 9),          item("f", true, {}, 9)};
    const QStringList expected{"elevenOrder3",  "elevenA",       "elevenB", "ten",
                               "undatedOrder1", "undatedOrder2", "f",       "e\u0301"};
    EXPECT_EQ(ids(CompletedOrder::sort(items)), expected);
    // The order does not depend on where items start.
    EXPECT_EQ(ids(CompletedOrder::sort(QList<TBItem>(items.rbegin(), items.rend()))), expected);
    // The section holds only done items, sorted, whatever time an open item still carries.
    EXPECT_EQ(
        ids(CompletedOrder::section({item("open", false, {}), item("ten", true, ten),
                                     item("stale", false, eleven), item("11", true, eleven)})),
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
            items.append(item(open.last(), false, {}, 1000 - i));
        }
        items.append(item(QStringLiteral("done%1").arg(i), true, ten.addingSeconds(60 * i)));
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
        EXPECT_EQ(ids(c.retention.survivors(items)), expected);
    }
    // Fewer done items than the limit are all kept, undated ones last.
    const QList<TBItem> few{item("ten", true, ten), item("open", false, {}),
                            item("undated", true, {}), item("eleven", true, eleven)};
    EXPECT_EQ(ids(CompletedRetention(CompletedRetention::keep50).survivors(few)),
              QStringList({"open", "eleven", "ten", "undated"}));
}

} // namespace
