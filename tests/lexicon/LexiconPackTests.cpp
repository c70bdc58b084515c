#include "lexicon/LexiconPack.h"
#include "lexicon/LexiconStore.h"
#include "lexicon/LexiconVocabulary.h"
#include "model/Markdown.h"
#include "model/TagSuggestions.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

LexiconPack packWith(const QMap<QString, QStringList>& categories,
                     const QMap<QString, QString>& aliases = {}) {
    LexiconPack pack;
    pack.version = 1;
    pack.categories = categories;
    pack.aisleAliases = aliases;
    return pack;
}

bool decodes(const char* json) {
    try {
        LexiconPack::decode(QByteArray(json));
        return true;
    } catch (const DecodeError&) {
        return false;
    }
}

} // namespace

TEST(LexiconPackDecoding, AcceptsAndRejectsByType) {
    struct Case {
        const char* json;
        bool valid;
    };
    const Case cases[] = {
        {R"({"version":1,"categories":{}})", true},
        {R"({"version":1,"categories":{"fruit":["apples"]},"unknown":[1,2]})", true},
        {R"({"version":1,"categories":{},"minBuild":null,"recogniser":null,"grammar":null,
             "aisleAliases":null})",
         true},
        {R"({"version":3.0,"categories":{}})", true},
        {R"({"categories":{}})", false},
        {R"({"version":null,"categories":{}})", false},
        {R"({"version":1})", false},
        {R"({"version":1,"categories":null})", false},
        {R"({"version":"1","categories":{}})", false},
        {R"({"version":true,"categories":{}})", false},
        {R"({"version":1.5,"categories":{}})", false},
        {R"({"version":1,"minBuild":"2","categories":{}})", false},
        {R"({"version":1,"minBuild":false,"categories":{}})", false},
        {R"({"version":1,"categories":[]})", false},
        {R"({"version":1,"categories":{"fruit":"apples"}})", false},
        {R"({"version":1,"categories":{"fruit":["apples",3]}})", false},
        {R"({"version":1,"categories":{"fruit":["apples",null]}})", false},
        {R"({"version":1,"categories":{},"recogniser":"a"})", false},
        {R"({"version":1,"categories":{},"grammar":[true]})", false},
        {R"({"version":1,"categories":{},"aisleAliases":{"fruit":1}})", false},
        {R"({"version":1,"categories":{},"aisleAliases":["fruit"]})", false},
        {R"([1,2])", false},
        {R"({"version":1,"categories":{})", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodes(c.json), c.valid) << c.json;
    }
}

TEST(LexiconPackDecoding, DefaultsAndRoundTrip) {
    const LexiconPack minimal = LexiconPack::decode(R"({"version":7,"categories":{"a":["b"]}})");
    EXPECT_EQ(minimal.minBuild, 0);
    EXPECT_FALSE(minimal.recogniser.has_value());
    EXPECT_FALSE(minimal.grammar.has_value());
    EXPECT_TRUE(minimal.aisleAliases.isEmpty());

    const Json written = minimal.toJson();
    EXPECT_FALSE(written.contains("recogniser"));
    EXPECT_TRUE(written.contains("aisleAliases"));

    LexiconPack full = packWith({{"Fruit", {" Apples ", "pears"}}}, {{"Fruit", "produce"}});
    full.minBuild = 12;
    full.recogniser = QStringList{};
    full.grammar = QStringList{"add $item"};
    const LexiconPack again = LexiconPack::fromJson(full.toJson());
    EXPECT_EQ(again, full);
    EXPECT_TRUE(again.recogniser.has_value()); // an empty array is still present
}

TEST(LexiconPackSingulars, RulesInOrder) {
    const QMap<QString, QStringList> cases{
        {"berries", {"berry", "berri", "berrie"}},
        {"pies", {"pi", "pie"}},
        {"glasses", {"glass", "glasse"}},
        {"glass", {}},
        {"bus", {"bu"}},
        {"as", {}},
        {"es", {}},
        {"tomatoes", {"tomato", "tomatoe"}},
        {"baked beans", {"baked bean"}},
        {"🍎ies", {"🍎i", "🍎ie"}}, // four characters, though five code units
    };
    for (auto it = cases.begin(); it != cases.end(); ++it) {
        EXPECT_EQ(LexiconPack::singulars(it.key()), it.value()) << it.key().toStdString();
    }
}

TEST(LexiconPackIndex, ListedWordsAndSingularForms) {
    const QHash<QString, QString> index = packWith({{"Fruit", {"Apples "}}}).categoryIndex();
    EXPECT_EQ(index.size(), 3);
    for (const char* key : {"apples", "appl", "apple"}) {
        EXPECT_EQ(index.value(key), "Fruit") << key;
    }
    EXPECT_FALSE(index.contains("fruit")); // category names are not words unless listed
}

TEST(LexiconPackIndex, ListedWordBeatsSingularForm) {
    const QHash<QString, QString> index =
        packWith({{"fruit", {"apples"}}, {"baking", {"apple"}}}).categoryIndex();
    EXPECT_EQ(index.value("apple"), "baking");
    EXPECT_EQ(index.value("apples"), "fruit");
}

TEST(LexiconPackIndex, ContestedSingularFormIsDropped) {
    const QHash<QString, QString> index =
        packWith({{"vegetables", {"tomatoes"}}, {"sauces", {"tomatos"}}}).categoryIndex();
    EXPECT_FALSE(index.contains("tomato"));
    EXPECT_EQ(index.value("tomatoe"), "vegetables");
    EXPECT_EQ(index.value("tomatos"), "sauces");
}

TEST(LexiconPackIndex, SingularAgreedByTwoWordsOfOneCategoryStays) {
    // "berries" and "berrys" both give "berry", and both are fruit.
    const QHash<QString, QString> index =
        packWith({{"fruit", {"berries", "berrys"}}}).categoryIndex();
    EXPECT_EQ(index.value("berry"), "fruit");
}

TEST(LexiconPackIndex, WordInTwoCategoriesGoesToTheLaterName) {
    const QHash<QString, QString> index =
        packWith({{"b", {"milk"}}, {"a", {"MILK"}}}).categoryIndex();
    EXPECT_EQ(index.value("milk"), "b");
}

TEST(LexiconPackIndex, AliasesAreNormalisedAndSelfOrEmptyOnesDropped) {
    const QHash<QString, QString> aliases =
        packWith({}, {{" Fruit ", "PRODUCE"}, {"same", " Same"}, {"empty", "  "}, {" ", "x"}})
            .aliasIndex();
    EXPECT_EQ(aliases, (QHash<QString, QString>{{"fruit", "produce"}}));
}

TEST(LexiconVocabularyPhrases, LongestFirstThenTextOrder) {
    const LexiconPack pack = packWith({{"drinks", {"red wine"}},
                                       {"freezer", {"ice cream"}},
                                       {"pantry", {"soy sauce", "red wine vinegar", "salt"}}});
    const LexiconVocabulary vocabulary(pack.categoryIndex(), pack.aliasIndex());
    QStringList phrases;
    for (const auto& p : vocabulary.phrases) {
        phrases.append(p.phrase);
    }
    EXPECT_EQ(phrases, (QStringList{"red wine vinegar", "ice cream", "soy sauce", "red wine"}));
    EXPECT_EQ(vocabulary.phrases.first().category, "pantry");
}

TEST(LexiconVocabularyPhrases, SingularFormsOfPhrasesArePhrases) {
    const LexiconPack pack = packWith({{"pantry", {"baked beans"}}});
    const LexiconVocabulary vocabulary(pack.categoryIndex(), {});
    QStringList phrases;
    for (const auto& p : vocabulary.phrases) {
        phrases.append(p.phrase);
    }
    EXPECT_EQ(phrases, (QStringList{"baked beans", "baked bean"}));
}

TEST(ShippedPack, DecodesAndEveryCategoryCanBeATag) {
    const LexiconStore store(LexiconBundle::app(), std::nullopt, 1'000'000);
    ASSERT_EQ(store.source(), LexiconResolution::Source::bundled);
    const LexiconPack& pack = store.pack();
    EXPECT_GT(pack.version, 0);
    EXPECT_FALSE(pack.categories.isEmpty());
    EXPECT_FALSE(store.vocabulary().phrases.isEmpty());

    // A category, or the alias it stands for, is proposed only when it equals a list tag, so
    // each must be a lower-case word that the tag rule accepts.
    QStringList names = pack.categories.keys();
    for (const QString& alias : store.vocabulary().aliases) {
        names.append(alias);
    }
    for (const QString& name : names) {
        EXPECT_EQ(Markdown::tags("#" + name), QStringList{name}) << name.toStdString();
        EXPECT_EQ(name, LexiconPack::normalised(name)) << name.toStdString();
    }
    for (auto it = pack.aisleAliases.begin(); it != pack.aisleAliases.end(); ++it) {
        EXPECT_TRUE(store.vocabulary().aliases.contains(it.key())) << it.key().toStdString();
        EXPECT_TRUE(pack.categories.contains(it.key())) << it.key().toStdString();
    }

    // Every starter tag has its own category, and no word sits in two categories.
    for (const auto type : TagSuggestions::allListTypes()) {
        for (const QString& tag : TagSuggestions::starterTags(type)) {
            EXPECT_TRUE(pack.categories.contains(tag)) << tag.toStdString();
        }
    }
    QHash<QString, QString> owner;
    for (auto it = pack.categories.begin(); it != pack.categories.end(); ++it) {
        EXPECT_GE(it.value().size(), 10) << it.key().toStdString();
        for (const QString& word : it.value()) {
            const QString key = LexiconPack::normalised(word);
            EXPECT_FALSE(owner.contains(key)) << key.toStdString() << " in two categories";
            owner.insert(key, it.key());
        }
    }
}
