#include "model/LastOpenedList.h"
#include "model/ListRemoval.h"
#include "model/ListsSummary.h"
#include "model/TextScale.h"

#include "platform/Defaults.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <memory>

namespace {

// Each test gets fresh settings, and a locale that groups digits, so any locale-aware number
// formatting shows up as "1.000".
class PresentationRules : public testing::Test {
protected:
    void SetUp() override {
        defaults = std::make_shared<MemoryDefaults>();
        Defaults::setStandard(defaults);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    void TearDown() override {
        QLocale::setDefault(previousLocale);
        Defaults::setStandard(std::make_shared<MemoryDefaults>());
    }
    std::shared_ptr<MemoryDefaults> defaults;
    QLocale previousLocale;
};

// ---- Removing a list ----

TEST(ListRemoval, DecisionByOwnershipAndShare) {
    const ListRemoval removeMe{ListRemoval::Action::removeMe,
                               QStringLiteral("Remove from my lists"), true, true,
                               QStringLiteral("It stays for the owner and everyone else. You "
                                              "would need a new invitation to get it back.")};
    const ListRemoval forEveryone{
        ListRemoval::Action::deleteForEveryone, QStringLiteral("Delete for everyone"), true, false,
        QStringLiteral("This list will be removed from everyone you have shared it with, not just "
                       "from your own lists. This cannot be undone.")};
    const ListRemoval plain{ListRemoval::Action::deleteList, QStringLiteral("Delete"), true, true,
                            QStringLiteral("This cannot be undone.")};
    EXPECT_EQ(ListRemoval::decide(true, false), removeMe);
    EXPECT_EQ(ListRemoval::decide(true, true), removeMe);
    EXPECT_EQ(ListRemoval::decide(false, true), forEveryone);
    EXPECT_EQ(ListRemoval::decide(false, false), plain);
}

TEST(ListRemoval, TitlesQuoteTheNameWithCurlyQuotes) {
    const QString name = QStringLiteral("Groceries \"big\" & more");
    EXPECT_EQ(ListRemoval::decide(true, true).confirmationTitle(name),
              QStringLiteral("Remove “Groceries \"big\" & more” from my lists?"));
    EXPECT_EQ(ListRemoval::decide(false, true).confirmationTitle(name),
              QStringLiteral("Delete “Groceries \"big\" & more” for everyone?"));
    EXPECT_EQ(ListRemoval::decide(false, false).confirmationTitle(name),
              QStringLiteral("Delete “Groceries \"big\" & more”?"));
    EXPECT_EQ(ListRemoval::decide(false, false).confirmationTitle(QString()),
              QStringLiteral("Delete “”?"));
}

// ---- The lists page footer ----

struct SummaryCase {
    ListsSummary mode;
    qint64 count;
    const char* text;
};

class ListsSummaryText : public PresentationRules,
                         public testing::WithParamInterface<SummaryCase> {};

TEST_P(ListsSummaryText, CountsInPlainDigits) {
    const SummaryCase& c = GetParam();
    // Only the mode's own count matters; the others are set to tell them apart.
    const qint64 lists = c.mode == ListsSummary::listCount ? c.count : 77;
    const qint64 items = c.mode == ListsSummary::itemCount ? c.count : 78;
    const qint64 due = c.mode == ListsSummary::dueToday ? c.count : 79;
    EXPECT_EQ(c.mode.text(lists, items, due), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ListsSummaryText,
    testing::Values(SummaryCase{ListsSummary::listCount, 0, "No lists yet"},
                    SummaryCase{ListsSummary::listCount, 1, "1 list"},

                    SummaryCase{ListsSummary::listCount, 1000, "1000 lists"},
                    SummaryCase{ListsSummary::itemCount, 0, "All done"},
                    SummaryCase{ListsSummary::itemCount, 1, "1 item to go"},
                    SummaryCase{ListsSummary::itemCount, 12, "12 items to go"},
                    SummaryCase{ListsSummary::itemCount, 1000, "1000 items to go"},

                    SummaryCase{ListsSummary::dueToday, 0, "Nothing due today"},
                    SummaryCase{ListsSummary::dueToday, 1, "1 due today"},
                    SummaryCase{ListsSummary::dueToday, 3, "3 due today"},
                    SummaryCase{ListsSummary::dueToday, 2500, "2500 due today"}));

TEST_F(PresentationRules, SummaryModeIsStoredByCaseName) {
    EXPECT_EQ(ListsSummary::stored(), ListsSummary::listCount);
    ListsSummary::store(ListsSummary::dueToday);
    EXPECT_EQ(defaults->string(QStringLiteral("listsSummaryView")), QStringLiteral("dueToday"));
    EXPECT_EQ(ListsSummary::stored(), ListsSummary::dueToday);
    ListsSummary::store(ListsSummary::itemCount);
    EXPECT_EQ(ListsSummary::stored(), ListsSummary::itemCount);

    for (const QString& unknown :
         {QStringLiteral("ItemCount"), QStringLiteral("items"), QString()}) {
        defaults->setString(QStringLiteral("listsSummaryView"), unknown);
        EXPECT_EQ(ListsSummary::stored(), ListsSummary::listCount) << unknown.toStdString();
    }
    defaults->setBool(QStringLiteral("listsSummaryView"), true);
    EXPECT_EQ(ListsSummary::stored(), ListsSummary::listCount);
}

// ---- Text size ----

TEST(TextScale, CasesRawValuesAndFactorsInSteppingOrder) {
    struct Row {
        const char* raw;
        double factor;
    };
    const Row rows[] = {
        {"small", 0.85}, {"standard", 1.0}, {"large", 1.15}, {"larger", 1.3}, {"largest", 1.5}};
    ASSERT_EQ(TextScale::allCases().size(), 5);
    for (int i = 0; i < 5; ++i) {
        const TextScale scale = TextScale::allCases()[i];
        EXPECT_EQ(scale.rawValue(), QString::fromUtf8(rows[i].raw));
        EXPECT_DOUBLE_EQ(scale.factor(), rows[i].factor);
        EXPECT_EQ(TextScale::fromRaw(scale.rawValue()), scale);
    }
    for (const QString& unknown :
         {QStringLiteral("Large"), QStringLiteral("huge"), QString(), QStringLiteral(" standard")})
        EXPECT_EQ(TextScale::fromRaw(unknown), std::nullopt) << unknown.toStdString();
}

TEST_F(PresentationRules, StoredTextScaleFallsBackToStandard) {
    EXPECT_EQ(TextScale::stored(), TextScale::standard);
    TextScale::store(TextScale::larger);
    EXPECT_EQ(defaults->string(QStringLiteral("textScale")), QStringLiteral("larger"));
    EXPECT_DOUBLE_EQ(TextScale::stored().factor(), 1.3);

    defaults->setString(QStringLiteral("textScale"), QStringLiteral("gigantic"));
    EXPECT_DOUBLE_EQ(TextScale::stored().factor(), 1.0);
    // Reading an unknown text leaves it as it is.
    EXPECT_EQ(defaults->string(QStringLiteral("textScale")), QStringLiteral("gigantic"));
    defaults->setNumber(QStringLiteral("textScale"), 1.5);
    EXPECT_DOUBLE_EQ(TextScale::stored().factor(), 1.0);
}

// ---- The list that opens with the window ----

TBList list(const QString& id) {
    TBList l;
    l.id = id;
    l.name = id;
    return l;
}

TEST(LastOpenedList, ResolvesToTheRememberedOrTheFirstList) {
    const QList<TBList> lists{list("a"), list("b"), list("c")};
    struct Case {
        std::optional<QString> remembered;
        QList<TBList> lists;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {QStringLiteral("b"), lists, QStringLiteral("b")},
        {QStringLiteral("deleted"), lists, QStringLiteral("a")},
        {std::nullopt, lists, QStringLiteral("a")},
        {QStringLiteral(""), lists, QStringLiteral("a")},
        {QStringLiteral("B"), lists, QStringLiteral("a")},
        {QStringLiteral("b"), {}, std::nullopt},
        {std::nullopt, {}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remembered.value_or(QStringLiteral("(none)")).toStdString());
        EXPECT_EQ(LastOpenedList::resolve(c.remembered, c.lists), c.expected);
    }
}

TEST_F(PresentationRules, LastOpenedListIsStoredAndForgotten) {
    EXPECT_EQ(LastOpenedList::stored(), std::nullopt);
    LastOpenedList::store(QStringLiteral("L1"));
    EXPECT_EQ(defaults->string(QStringLiteral("lastOpenedList")), QStringLiteral("L1"));
    EXPECT_EQ(LastOpenedList::stored(), QStringLiteral("L1"));
    LastOpenedList::store(std::nullopt);
    EXPECT_FALSE(defaults->contains(QStringLiteral("lastOpenedList")));
    EXPECT_EQ(LastOpenedList::stored(), std::nullopt);
}

} // namespace
