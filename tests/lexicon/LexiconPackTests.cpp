#include "lexicon/LexiconPack.h"
#include "lexicon/LexiconStore.h"
#include "lexicon/LexiconVocabulary.h"
#include "model/Markdown.h"
#include "model/TagSuggestions.h"

#include <gtest/gtest.h>

namespace {

using Categories = QMap<QString, QStringList>;
using Index = QHash<QString, QString>;

LexiconPack packWith(const Categories& categories, const QMap<QString, QString>& aliases = {}) {
    LexiconPack pack;
    pack.version = 1;
    pack.categories = categories;
    pack.aisleAliases = aliases;
    return pack;
}

} // namespace

TEST(LexiconPackDecoding, AcceptsAndRejectsByType) {
    const char* const accepted[] = {
        R"({"version":1,"categories":{"fruit":["apples"]},"unknown":[1,2]})",
        R"({"version":1,"categories":{},"minBuild":null,"recogniser":null,"grammar":null,
            "aisleAliases":null})",
        R"({"version":3.0,"categories":{}})",
    };
    const char* const rejected[] = {
        R"({"categories":{}})",
        R"({"version":1})",
        R"({"version":"1","categories":{}})",
        R"({"version":true,"categories":{}})",
        R"({"version":1.5,"categories":{}})",
        R"({"version":1,"minBuild":false,"categories":{}})",
        R"({"version":1,"categories":[]})",
        R"({"version":1,"categories":{"fruit":"apples"}})",
        R"({"version":1,"categories":{"fruit":["apples",null]}})",
        R"({"version":1,"categories":{},"grammar":[true]})",
        R"({"version":1,"categories":{},"aisleAliases":{"fruit":1}})",
        R"([1,2])",
        R"({"version":1,"categories":{})",
    };
    for (const char* json : accepted) {
        EXPECT_NO_THROW(LexiconPack::decode(json)) << json;
    }
    for (const char* json : rejected) {
        EXPECT_THROW(LexiconPack::decode(json), DecodeError) << json;
    }
    const QByteArray good(accepted[0]);
    EXPECT_THROW(LexiconPack::decode(good + '\0' + "{}"), DecodeError) << "a raw NUL byte";
}

TEST(LexiconPackDecoding, RoundTripKeepsAbsentAndEmptyApart) {
    EXPECT_FALSE(
        LexiconPack::decode(R"({"version":7,"categories":{}})").toJson().contains("grammar"));
    LexiconPack full = packWith({{"Fruit", {" Apples ", "pears"}}}, {{"Fruit", "produce"}});
    full.minBuild = 12;
    full.recogniser = QStringList{}; // an empty array is still present
    full.grammar = QStringList{"add $item"};
    EXPECT_EQ(LexiconPack::fromJson(full.toJson()), full);
}

TEST(LexiconPackSingulars, RulesInOrder) {
    const QMap<QString, QStringList> cases{
        {"berries", {"berry", "berri", "berrie"}},
        {"pies", {"pi", "pie"}}, // too short for "ies"
        {"yes", {"ye"}},         // too short for "es"
        {"glasses", {"glass", "glasse"}},
        {"glass", {}},
        {"bus", {"bu"}},
        {"as", {}},
        {"🍎ies", {"🍎i", "🍎ie"}}, // four characters, though five code units
    };
    for (auto it = cases.begin(); it != cases.end(); ++it) {
        EXPECT_EQ(LexiconPack::singulars(it.key()), it.value()) << it.key().toStdString();
    }
}

TEST(LexiconPackIndex, ListedWordsThenUncontestedSingularForms) {
    const std::tuple<const char*, Categories, Index> cases[] = {
        {"normalised words and their singular forms, not category names",
         {{"Fruit", {"Apples "}}},
         {{"apples", "Fruit"}, {"appl", "Fruit"}, {"apple", "Fruit"}}},
        {"a listed word beats a singular form",
         {{"fruit", {"apples"}}, {"baking", {"apple"}}},
         {{"apples", "fruit"}, {"appl", "fruit"}, {"apple", "baking"}}},
        {"a singular form claimed by two categories is dropped",
         {{"vegetables", {"tomatoes"}}, {"sauces", {"tomatos"}}},
         {{"tomatoes", "vegetables"}, {"tomatoe", "vegetables"}, {"tomatos", "sauces"}}},
        {"a singular form two words of one category agree on stays",
         {{"fruit", {"plums", "plumes"}}},
         {{"plums", "fruit"}, {"plumes", "fruit"}, {"plum", "fruit"}, {"plume", "fruit"}}},
        {"a word in two categories goes to the later name",
         {{"b", {"milk"}}, {"a", {"MILK"}}},
         {{"milk", "b"}}},
    };
    for (const auto& [name, categories, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(packWith(categories).categoryIndex(), expected);
    }
}

TEST(LexiconPackIndex, AliasesAreNormalisedAndSelfOrEmptyOnesDropped) {
    const Index aliases =
        packWith({}, {{" Fruit ", "PRODUCE"}, {"same", " Same"}, {"empty", "  "}, {" ", "x"}})
            .aliasIndex();
    EXPECT_EQ(aliases, (Index{{"fruit", "produce"}}));
}

TEST(LexiconVocabulary, PhrasesLongestFirstThenTextOrder) {
    const LexiconPack pack =
        packWith({{"drinks", {"red wine"}},
                  {"freezer", {"ice cream"}},
                  {"pantry", {"soy sauce", "red wine vinegar", "salt", "baked beans"}}});
    const LexiconVocabulary vocabulary(pack.categoryIndex(), pack.aliasIndex());
    QStringList phrases;
    for (const auto& p : vocabulary.phrases) {
        phrases.append(p.phrase);
    }
    // Singular forms of phrases are phrases too.
    EXPECT_EQ(phrases, (QStringList{"red wine vinegar", "baked beans", "baked bean", "ice cream",
                                    "soy sauce", "red wine"}));
    EXPECT_EQ(vocabulary.phrases.first().category, "pantry");
}

TEST(ShippedPack, DecodesAndEveryCategoryCanBeATag) {
    const LexiconStore store(LexiconBundle::app(), std::nullopt, 1'000'000);
    const LexiconPack& pack = store.pack();
    ASSERT_GT(pack.version, 0); // decoded, not the empty stand-in
    EXPECT_FALSE(store.vocabulary().phrases.isEmpty());

    // A category, or the alias it stands for, is proposed only when it equals a list tag, so
    // each must be a lower-case word that the tag rule accepts. Aliases belong to categories.
    for (const QString& name : pack.categories.keys() + store.vocabulary().aliases.values()) {
        EXPECT_EQ(Markdown::tags("#" + name), QStringList{name}) << name.toStdString();
        EXPECT_EQ(name, LexiconPack::normalised(name)) << name.toStdString();
    }
    EXPECT_EQ(store.vocabulary().aliases.size(), pack.aisleAliases.size());
    for (const QString& category : pack.aisleAliases.keys()) {
        EXPECT_TRUE(pack.categories.contains(category)) << category.toStdString();
    }

    // Every starter tag has its own category, and no word sits in two categories.
    for (const auto type : TagSuggestions::allListTypes()) {
        for (const QString& tag : TagSuggestions::starterTags(type)) {
            EXPECT_TRUE(pack.categories.contains(tag)) << tag.toStdString();
        }
    }
    QSet<QString> seen;
    for (auto it = pack.categories.begin(); it != pack.categories.end(); ++it) {
        EXPECT_GE(it.value().size(), 10) << it.key().toStdString();
        for (const QString& word : it.value()) {
            EXPECT_FALSE(seen.contains(LexiconPack::normalised(word))) << word.toStdString();
            seen.insert(LexiconPack::normalised(word));
        }
    }
}
