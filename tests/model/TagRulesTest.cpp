#include "model/TagDraft.h"
#include "model/TagGrouping.h"
#include "model/TagSuggestions.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using TagSuggestions::ListType;

TBItem itemNamed(const QString& text) {
    return {"I-" + text, "L", text, false, 0, false, std::nullopt, {}};
}

// Each section as its id followed by the texts of its items, for compact comparisons.
QList<QStringList> outline(const QList<TagGrouping::Section>& sections) {
    QList<QStringList> result;
    for (const auto& section : sections) {
        QStringList row{section.id()};
        for (const TBItem& entry : section.items)
            row.append(entry.text);
        result.append(row);
    }
    return result;
}

// NUL then "untagged": no tag can be named so.
const QString untagged = QString(QChar(0)) + "untagged";

TEST(TagGrouping, OrderedTagsFirstThenTextOrderThenUntagged) {
    const QList<TBItem> items{itemNamed("milk #dairy"), itemNamed("bread #bakery #fresh"),
                              itemNamed("soap"), itemNamed("eggs #dairy"), itemNamed("ham #deli")};
    const auto sections = TagGrouping::sections(items, {"bakery", "fruit"});
    const QList<QStringList> expected{{"bakery", "bread #bakery #fresh"},
                                      {"dairy", "milk #dairy", "eggs #dairy"},
                                      {"deli", "ham #deli"},
                                      {untagged, "soap"}};
    EXPECT_EQ(outline(sections), expected);
    EXPECT_EQ(sections[3].tag, std::nullopt);
}

TEST(TagGrouping, SortsUnorderedTagsByScalarValuesAfterNormalising) {
    const struct {
        QStringList texts;
        QStringList tagOrder;
        QStringList sectionIDs;
    } cases[] = {
        {{"a #apple", "z #Zebra", "n"}, {}, {"Zebra", "apple", untagged}},
        {{"a #dairy", "b #Dairy"}, {}, {"Dairy", "dairy"}}, // exact, upper case first
        {{"a #f", "b #e\u0301"}, {}, {"f", "e\u0301"}},     // sorted as "é", after "f"
        // Same text once normalised: two sections, kept in the order first seen.
        {{"a #\u00e9", "b #e\u0301", "c #\u00e9"}, {}, {"\u00e9", "e\u0301"}},
        {{"a #b", "b #a", "c #c"}, {"c", "b", "c"}, {"c", "b", "a"}}, // a repeat keeps its place
        {{"x #untagged", "y"}, {"dairy"}, {"untagged", untagged}}};
    for (const auto& c : cases) {
        QList<TBItem> items;
        for (const QString& text : c.texts)
            items.append(itemNamed(text));
        QStringList ids;
        for (const auto& section : TagGrouping::sections(items, c.tagOrder))
            ids.append(section.id());
        EXPECT_EQ(ids, c.sectionIDs) << c.texts.join(" | ").toStdString();
    }
}

TEST(TagDraft, ReplacingNameKeepsTheTags) {
    const struct {
        QString name, text, expected;
    } cases[] = {{"Oat milk", "milk #dairy #cold", "Oat milk #dairy #cold"},
                 {"#Oat  ##milk\n", "milk #dairy", "Oat #milk #dairy"},
                 {"# Oat", "milk", "Oat"},
                 {"#\u0301x", "milk", "#\u0301x"}, // the mark sits on the "#"
                 {"", "milk #dairy", "#dairy"},
                 {"bread", "milk #dairy, #½", "bread #½"}};
    for (const auto& c : cases)
        EXPECT_EQ(TagDraft::replacingName(c.name, c.text), c.expected) << c.name.toStdString();
}

TEST(TagDraft, ToggleAddsOrRemovesEveryExactTagWord) {
    const struct {
        QString tag, draft, expected;
    } cases[] = {{"dairy", "milk  #dairy  ", "milk"},
                 {"dairy", "milk", "milk #dairy"},
                 {"Dairy", "milk #dairy", "milk #dairy #Dairy"},
                 {"dairy", "#dairy milk\t#dairy", "milk"},
                 {"dairy", "  ", "#dairy"},
                 {"dairy", "milk #dairy,", "milk #dairy, #dairy"}};
    for (const auto& c : cases)
        EXPECT_EQ(TagDraft::toggle(c.tag, c.draft), c.expected) << c.draft.toStdString();
}

TEST(TagDraft, NewTagKeepsOnlyTagCharacters) {
    const struct {
        QString typed;
        std::optional<QString> tag;
    } cases[] = {{"  ##Fresh fruit! ", "Fresh-fruit"},
                 {"###", std::nullopt},
                 {" \t ", std::nullopt},
                 {"and/or", "andor"},
                 {"a#b", "ab"},
                 {"½ cup", "½-cup"},
                 {"crème brûlée", "crème-brûlée"},
                 {"e\u0301", "e\u0301"},
                 {"top 👍🏽", "top-"}};
    for (const auto& c : cases)
        EXPECT_EQ(TagDraft::newTag(c.typed), c.tag) << c.typed.toStdString();
}

TEST(TagDraft, ChipsAddDraftTagsOnce) {
    EXPECT_EQ(TagDraft::chips({"dairy", "bakery"}, "milk #fresh #dairy #fresh #Fresh"),
              (QStringList{"dairy", "bakery", "fresh", "Fresh"}));
}

TEST(TagSuggestions, RecognisesListTypes) {
    const QList<ListType> tools{ListType::hardware, ListType::renovation, ListType::project};
    const struct {
        QString name, icon;
        QList<ListType> types;
    } cases[] = {{"Saturday Aldi run", "hammer", {ListType::shopping}},
                 {"Shed", "hammer", tools},
                 {"Shed", "cart", {ListType::shopping}},
                 {"Supermarket-list", "", {ListType::shopping}},
                 {"Groceries2", "", {}},
                 {"COSTCO", "star", {ListType::shopping}},
                 {"aldi\u00b7trip", "", {ListType::shopping}},
                 {"Shed", "Hammer", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(TagSuggestions::types(c.name, c.icon), c.types) << c.name.toStdString();
}

} // namespace
