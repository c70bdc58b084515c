#include "model/ItemArrange.h"
#include "model/ArrayMove.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QStringList letters(const QString& text) {
    QStringList result;
    for (const QChar c : text)
        result.append(QString(c));
    return result;
}

TEST(ArrayMove, MovesTheChosenElementsBeforeTheDestination) {
    const struct {
        std::set<int> offsets;
        int destination;
        QString expected;
    } cases[] = {
        {{0}, 0, "ABCDE"},     {{0}, 1, "ABCDE"},     {{0}, 2, "BACDE"},    {{0}, 5, "BCDEA"},
        {{4}, 0, "EABCD"},     {{3}, 1, "ADBCE"},     {{1, 3}, 5, "ACEBD"}, {{1, 3}, 0, "BDACE"},
        {{0, 4}, 2, "BAECD"},  {{1, 2}, 2, "ABCDE"},  {{1, 2}, 3, "ABCDE"}, {{}, 3, "ABCDE"},
        {{-1, 9}, 0, "ABCDE"}, {{-1, 4}, 0, "EABCD"}, {{2}, 99, "ABDEC"},   {{2}, -7, "CABDE"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArrayMove::moving(letters("ABCDE"), c.offsets, c.destination).join(""),
                  c.expected)
            << "destination " << c.destination;
    // Any range of offsets will do; repeats count once.
    EXPECT_EQ(ArrayMove::moving(QList<int>{10, 11, 12, 13}, QList<int>{3, 1, 3}, 0),
              QList({11, 13, 10, 12}));
}

TEST(ItemArrange, HiddenItemsKeepTheirSlotsAndStaleInputLosesNothing) {
    const struct {
        QString all, visible;
        std::set<int> offsets;
        int destination;
        QString expected;
    } cases[] = {
        {"AHBC", "ABC", {0}, 3, "BHCA"}, {"XAYBZ", "AB", {1}, 0, "XBYAZ"}, {"", "AB", {0}, 2, ""},
        {"ABC", "", {0}, 0, "ABC"},      {"ABC", "AXBC", {3}, 1, "ACB"}, // X was deleted meanwhile
        {"ABC", "AXBC", {1}, 4, "ABC"}, // only the missing item moves
        {"AC", "ABC", {0}, 3, "CA"},    // a shown item that is gone
        {"ABC", "ABAC", {3}, 0, "CAB"}, // a repeated shown id counts once
        {"ABAC", "BC", {1}, 0, "ACAB"}, // a repeated list id keeps its later place
    };
    for (const auto& c : cases)
        EXPECT_EQ(ItemArrange::reorder(letters(c.all), letters(c.visible), c.offsets, c.destination)
                      .join(""),
                  c.expected)
            << c.all.toStdString() << " / " << c.visible.toStdString();
}

TEST(ItemArrange, EveryMoveIsAPermutationOfTheList) {
    const QStringList all = letters("ABCDEFG");
    const QStringList screens[] = {letters("ACEG"), letters("GFXA"), letters("QR"), letters("BB")};
    for (const QStringList& visible : screens) {
        for (int from = -1; from <= visible.size(); ++from) {
            for (int to = -1; to <= visible.size() + 1; ++to) {
                QStringList result = ItemArrange::reorder(all, visible, {from, 0}, to);
                std::sort(result.begin(), result.end());
                EXPECT_EQ(result, all) << visible.join("").toStdString() << from << "->" << to;
            }
        }
    }
}

} // namespace
