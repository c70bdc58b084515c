#include "model/LastOpenedList.h"
#include "model/ListRemoval.h"
#include "model/ListsSummary.h"
#include "model/TextScale.h"

#include "platform/Defaults.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <memory>

namespace {

// Each test gets fresh settings, handed to what it reads and writes, and a locale that groups
// digits, so any locale-aware number formatting shows up as "1.000".
class PresentationRules : public testing::Test {
protected:
    void SetUp() override {
        defaults = std::make_shared<MemoryDefaults>();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    void TearDown() override { QLocale::setDefault(previousLocale); }
    std::shared_ptr<MemoryDefaults> defaults;
    QLocale previousLocale;
};

TEST(ListRemoval, DecisionAndTitleByOwnershipAndShare) {
    using Action = ListRemoval::Action;
    const ListRemoval removeMe{Action::removeMe, "Remove from my lists", true, true,
                               "It stays for the owner and everyone else. You would need a new "
                               "invitation to get it back."};
    EXPECT_EQ(ListRemoval::decide(true, false), removeMe);
    EXPECT_EQ(ListRemoval::decide(true, true), removeMe);
    EXPECT_EQ(ListRemoval::decide(false, true),
              (ListRemoval{Action::deleteForEveryone, "Delete for everyone", true, false,
                           "This list will be removed from everyone you have shared it with, not "
                           "just from your own lists. This cannot be undone."}));
    EXPECT_EQ(ListRemoval::decide(false, false),
              (ListRemoval{Action::deleteList, "Delete", true, true, "This cannot be undone."}));

    const auto title = [](bool isShared, bool hasShare) {
        return ListRemoval::decide(isShared, hasShare).confirmationTitle("Tea & \"b\"");
    };
    EXPECT_EQ(title(true, true), "Remove “Tea & \"b\"” from my lists?");
    EXPECT_EQ(title(false, true), "Delete “Tea & \"b\"” for everyone?");
    EXPECT_EQ(title(false, false), "Delete “Tea & \"b\"”?");
}

TEST_F(PresentationRules, SummaryTextsCountInPlainDigits) {
    const struct {
        ListsSummary mode;
        const char* texts[3]; // for 0, 1 and 1000
    } cases[] = {{ListsSummary::listCount, {"No lists yet", "1 list", "1000 lists"}},
                 {ListsSummary::itemCount, {"All done", "1 item to go", "1000 items to go"}},
                 {ListsSummary::dueToday, {"Nothing due today", "1 due today", "1000 due today"}}};
    for (const auto& c : cases) {
        for (int i = 0; i < 3; ++i) {
            // Only the mode's own count matters; the others are set to tell them apart.
            const qint64 count = i == 0 ? 0 : i == 1 ? 1 : 1000;
            const qint64 lists = c.mode == ListsSummary::listCount ? count : 77;
            const qint64 items = c.mode == ListsSummary::itemCount ? count : 78;
            const qint64 due = c.mode == ListsSummary::dueToday ? count : 79;
            EXPECT_EQ(c.mode.text(lists, items, due), QString::fromUtf8(c.texts[i]));
        }
    }
}

TEST_F(PresentationRules, SummaryModeIsStoredByCaseName) {
    EXPECT_EQ(ListsSummary::stored(*defaults), ListsSummary::listCount);
    ListsSummary::store(*defaults, ListsSummary::dueToday);
    EXPECT_EQ(defaults->string(QStringLiteral("listsSummaryView")), QStringLiteral("dueToday"));
    EXPECT_EQ(ListsSummary::stored(*defaults), ListsSummary::dueToday);
    ListsSummary::store(*defaults, ListsSummary::itemCount);
    EXPECT_EQ(ListsSummary::stored(*defaults), ListsSummary::itemCount);

    for (const QString& unknown : {QStringLiteral("ItemCount"), QString()}) {
        defaults->setString(QStringLiteral("listsSummaryView"), unknown);
        EXPECT_EQ(ListsSummary::stored(*defaults), ListsSummary::listCount)
            << unknown.toStdString();
    }
    defaults->setBool(QStringLiteral("listsSummaryView"), true);
    EXPECT_EQ(ListsSummary::stored(*defaults), ListsSummary::listCount);
}

TEST_F(PresentationRules, TextScaleIsStoredByCaseNameInSteppingOrder) {
    QStringList raws;
    for (TextScale scale : TextScale::allCases()) {
        raws.append(scale.rawValue());
        EXPECT_EQ(TextScale::fromRaw(scale.rawValue()), scale);
    }
    EXPECT_EQ(raws, QStringList({"small", "standard", "large", "larger", "largest"}));
    EXPECT_EQ(TextScale::fromRaw(QStringLiteral("Large")), std::nullopt);

    EXPECT_EQ(TextScale::stored(*defaults), TextScale::standard);
    TextScale::store(*defaults, TextScale::larger);
    EXPECT_EQ(defaults->string(QStringLiteral("textScale")), QStringLiteral("larger"));
    EXPECT_DOUBLE_EQ(TextScale::stored(*defaults).factor(), 1.3);
    defaults->setString(QStringLiteral("textScale"), QStringLiteral("gigantic"));
    EXPECT_DOUBLE_EQ(TextScale::stored(*defaults).factor(), 1.0);
    // Reading an unknown text leaves it as it is.
    EXPECT_EQ(defaults->string(QStringLiteral("textScale")), QStringLiteral("gigantic"));
    defaults->setNumber(QStringLiteral("textScale"), 1.5);
    EXPECT_EQ(TextScale::stored(*defaults), TextScale::standard);
}

TEST(LastOpenedList, ResolvesToTheRememberedOrTheFirstList) {
    QList<TBList> lists(3);
    lists[0].id = "a";
    lists[1].id = "b";
    lists[2].id = "c";
    const struct {
        std::optional<QString> remembered;
        QList<TBList> lists;
        std::optional<QString> expected;
    } cases[] = {{"b", lists, "b"}, {"deleted", lists, "a"}, {std::nullopt, lists, "a"},
                 {"B", lists, "a"}, {"b", {}, std::nullopt}, {std::nullopt, {}, std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(LastOpenedList::resolve(c.remembered, c.lists), c.expected)
            << c.remembered.value_or("(none)").toStdString();
}

TEST_F(PresentationRules, LastOpenedListIsStoredAndForgotten) {
    EXPECT_EQ(LastOpenedList::stored(*defaults), std::nullopt);
    LastOpenedList::store(*defaults, QStringLiteral("L1"));
    EXPECT_EQ(defaults->string(QStringLiteral("lastOpenedList")), QStringLiteral("L1"));
    EXPECT_EQ(LastOpenedList::stored(*defaults), QStringLiteral("L1"));
    LastOpenedList::store(*defaults, std::nullopt);
    EXPECT_FALSE(defaults->contains(QStringLiteral("lastOpenedList")));
    EXPECT_EQ(LastOpenedList::stored(*defaults), std::nullopt);
}

} // namespace
