#include "lexicon/ItemPhrase.h"
#include "lexicon/ItemTagger.h"
#include "lexicon/LexiconPack.h"

#include <gtest/gtest.h>

namespace {

const LexiconVocabulary& groceries() {
    static const LexiconVocabulary vocabulary = [] {
        LexiconPack pack;
        pack.categories = {
            {"fruit", {"apples", "bananas"}},
            {"vegetables", {"zucchini", "carrot", "spring onions", "jalape\u00f1os"}},
            {"dairy", {"milk", "butter", "cream", "cre\u0300me frai\u0302che"}},
            {"spreads", {"peanut butter"}},
            {"freezer", {"ice cream"}},
            {"Deli", {"salami"}},
            {"pantry", {"red wine vinegar"}},
            {"drinks", {"red wine"}}};
        pack.aisleAliases = {{"fruit", "produce"}, {"vegetables", "produce"}, {"Deli", "meat"}};
        return LexiconVocabulary(pack.categoryIndex(), pack.aliasIndex());
    }();
    return vocabulary;
}

} // namespace

TEST(ItemTagger, SimilarItemsThenPhrasesThenWords) {
    struct Case {
        const char* text;
        QStringList listTags;
        std::optional<QString> expected;
        QList<ItemTagger::TaggedItem> existing = {};
    };
    const QStringList all{"fruit", "vegetables", "dairy", "spreads", "freezer", "pantry", "drinks"};
    const Case cases[] = {
        {"milk #dairy", all, std::nullopt, {{"milk", "other"}}}, // already tagged
        {"a b 1", all, std::nullopt},                            // no word of two characters
        {"Milk", all, "dairy"},                                  // lower-cased before look-up
        {"peanut butter", all, "spreads"},                       // phrases before words
        {"peanut butter", {"dairy"}, "dairy"},                   // phrase not a tag: words go on
        {"nice creamy yoghurt", all, "freezer"},                 // no word boundaries for phrases
        {"red wine vinegar", all, "pantry"},                     // longest phrase first
        {"red wine vinegar", {"drinks"}, "drinks"},
        {"zucchini apples", all, "fruit"},            // words in text order
        {"carrots", all, "vegetables"},               // final "s" dropped once
        {"apple", all, "fruit"},                      // singular form from the pack
        {"bananas", {"produce"}, "produce"},          // alias of a word's category
        {"spring onions", {"produce"}, "produce"},    // alias of a phrase's category
        {"spring onions", {"Produce"}, std::nullopt}, // tags compare exactly
        {"salami", {"meat", "Deli"}, "Deli"},         // the category itself comes first
        {"salami", {"meat"}, std::nullopt},           // "Deli" is not normalised: no alias
        {"bread", all, std::nullopt},                 // unknown word
        // Accents typed as combining marks find composed words, and the reverse.
        {"Jalapen\u0303o", all, "vegetables"},
        {"cr\u00e8me fra\u00eeche", all, "dairy"},
        // A shared word lends the item's tag before the vocabulary, even one the list lacks.
        {"milk", all, "cafe", {{"Oat milk", "cafe"}}},
        // The first item sharing a word wins; "apples" and "apple" are different words.
        {"apple pie filling", all, "baking", {{"green apples", "fruit"}, {"apple pie", "baking"}}},
        // Tags of the existing item are not words of it.
        {"dairy", {}, std::nullopt, {{"milk #dairy", "dairy"}}},
        // Punctuation splits words on both sides.
        {"oat-milk", all, "other", {{"milk, full cream", "other"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ItemTagger::suggestion(c.text, c.listTags, c.existing, &groceries()), c.expected)
            << c.text;
    }
}

TEST(ItemPhrase, TrimsAndKeepsOneItem) {
    EXPECT_EQ(ItemPhrase::split(" \n\t "), QStringList{});
    EXPECT_EQ(ItemPhrase::split("  eggs and milk \n"), QStringList{"eggs and milk"});
}
