#include "lexicon/ItemPhrase.h"
#include "lexicon/ItemTagger.h"
#include "lexicon/LexiconPack.h"

#include <gtest/gtest.h>

namespace {

LexiconVocabulary vocabularyOf(const QMap<QString, QStringList>& categories,
                               const QMap<QString, QString>& aliases = {}) {
    LexiconPack pack;
    pack.categories = categories;
    pack.aisleAliases = aliases;
    return LexiconVocabulary(pack.categoryIndex(), pack.aliasIndex());
}

const LexiconVocabulary& groceries() {
    static const LexiconVocabulary vocabulary =
        vocabularyOf({{"fruit", {"apples", "bananas"}},
                      {"vegetables", {"zucchini", "carrot", "spring onions", "jalape\u00f1os"}},
                      {"dairy", {"milk", "butter", "cream", "cre\u0300me frai\u0302che"}},
                      {"spreads", {"peanut butter"}},
                      {"freezer", {"ice cream"}},
                      {"Deli", {"salami"}},
                      {"pantry", {"red wine vinegar"}},
                      {"drinks", {"red wine"}}},
                     {{"fruit", "produce"}, {"vegetables", "produce"}, {"Deli", "meat"}});
    return vocabulary;
}

std::optional<QString> suggest(const QString& text, const QStringList& listTags,
                               const QList<ItemTagger::TaggedItem>& existing = {}) {
    return ItemTagger::suggestion(text, listTags, existing, &groceries());
}

} // namespace

TEST(ItemTagger, VocabularyProposals) {
    struct Case {
        const char* text;
        QStringList listTags;
        std::optional<QString> expected;
    };
    const QStringList all{"fruit", "vegetables", "dairy", "spreads", "freezer", "pantry", "drinks"};
    const Case cases[] = {
        {"milk #dairy", all, std::nullopt}, // already tagged
        {"a b 1", all, std::nullopt},       // no word of two characters
        {"", all, std::nullopt},
        {"Milk", all, "dairy"},                  // lower-cased before look-up
        {"peanut butter", all, "spreads"},       // phrases before words
        {"peanut butter", {"dairy"}, "dairy"},   // phrase not a tag: words go on
        {"nice creamy yoghurt", all, "freezer"}, // no word boundaries for phrases
        {"red wine vinegar", all, "pantry"},     // longest phrase first
        {"red wine vinegar", {"drinks"}, "drinks"},
        {"zucchini apples", all, "fruit"},            // words in text order
        {"carrots", all, "vegetables"},               // final "s" dropped once
        {"apple", all, "fruit"},                      // singular form from the pack
        {"bananas", {"produce"}, "produce"},          // alias of a word's category
        {"spring onions", {"produce"}, "produce"},    // alias of a phrase's category
        {"spring onions", {"Produce"}, std::nullopt}, // tags compare exactly
        {"salami", {"meat", "Deli"}, "Deli"},         // the category itself comes first
        {"salami", {"meat"}, std::nullopt},           // "Deli" is not normalised: no alias
        {"milk", {}, std::nullopt},                   // nothing the list has
        {"bread", all, std::nullopt},                 // unknown word
        {"#fresh", all, std::nullopt},
        // Accents typed as combining marks find composed words, and the reverse.
        {"Jalapen\u0303o", all, "vegetables"},
        {"cr\u00e8me fra\u00eeche", all, "dairy"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(suggest(c.text, c.listTags), c.expected) << c.text;
    }
}

TEST(ItemTagger, SimilarItemsComeFirst) {
    struct Case {
        const char* text;
        QList<ItemTagger::TaggedItem> existing;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        // A shared word lends the item's tag, even one the list does not offer.
        {"milk", {{"Oat milk", "cafe"}}, "cafe"},
        // The first item sharing a word wins; "apples" and "apple" are different words.
        {"apple pie filling", {{"green apples", "fruit"}, {"apple pie", "baking"}}, "baking"},
        // Tags of the existing item are not words of it.
        {"dairy", {{"milk #dairy", "dairy"}}, std::nullopt},
        // One-character words never link items.
        {"a x", {{"a x", "misc"}}, std::nullopt},
        // Punctuation splits words on both sides.
        {"oat-milk", {{"milk, full cream", "dairy"}}, "dairy"},
        {"milk #dairy", {{"milk", "other"}}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ItemTagger::suggestion(c.text, {}, c.existing, &groceries()), c.expected)
            << c.text;
    }
}

TEST(ItemPhrase, TrimsAndKeepsOneItem) {
    EXPECT_EQ(ItemPhrase::split(" \n\t "), QStringList{});
    EXPECT_EQ(ItemPhrase::split("  eggs and milk \n"), QStringList{"eggs and milk"});
}
