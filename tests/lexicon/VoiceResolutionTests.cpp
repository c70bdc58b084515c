#include "lexicon/VoiceResolution.h"

#include <gtest/gtest.h>

namespace {

TBList list(const QString& id, const QString& name) {
    TBList l;
    l.id = id;
    l.name = name;
    return l;
}

TBItem item(const QString& id, const QString& text, bool done = false) {
    TBItem i;
    i.id = id;
    i.text = text;
    i.done = done;
    return i;
}

} // namespace

TEST(VoiceResolutionFold, PlainFormAndFillerWords) {
    const std::pair<QString, QString> folds[] = {
        {"Café", "cafe"},
        {"CAFE\u0301", "cafe"},
        {"Mum’s birthday", "mums birthday"},
        {"Mum's `birthday`", "mums birthday"},
        {"To-Do", "to do"},
        {"  milk\n\t#dairy  ", "milk dairy"},
        {"snake_case (list)", "snake case list"},
        {"“quoted” words!", "quoted words"},
        {"$5 + tax", "$5 + tax"},
        {"Straße", "strasse"},
        {"...", ""},
    };
    for (const auto& [text, folded] : folds) {
        EXPECT_EQ(VoiceResolution::fold(text), folded) << text.toStdString();
    }
    const std::pair<QString, QString> fillers[] = {
        {"my shopping list", "shopping"},
        {"the my a groceries", "groceries"},
        {"the list", "list"}, // the last word always stays
        {"the my", "my"},
        {"list list", "list"},
        {"shopping list list", "shopping list"},
        {"listing", "listing"},
    };
    for (const auto& [folded, stripped] : fillers) {
        EXPECT_EQ(VoiceResolution::stripFiller(folded), stripped) << folded.toStdString();
    }
}

TEST(VoiceResolutionLists, StagesInOrder) {
    const TBList work1 = list("1", "Work"), work2 = list("2", "Work");
    const TBList groceries = list("3", "Groceries"), todo = list("4", "To Do");
    const TBList shopping = list("5", "Shopping"), theShopping = list("6", "The Shopping List");
    const TBList bare = list("7", "List");
    const QList<TBList> lists{work1, work2, groceries, shopping, todo};

    const std::tuple<const char*, QList<TBList>, ListMatch> cases[] = {
        {"  Groceries \n", lists, ListMatch::matched(groceries)},
        {"Work", lists, ListMatch::matched(work1)}, // the exact name first
        {"work", lists, ListMatch::ambiguous({work1, work2})},
        {"to-do", lists, ListMatch::matched(todo)},
        {"my shopping list", lists, ListMatch::matched(shopping)},
        {"my shopping list",
         {shopping, theShopping},
         ListMatch::ambiguous({shopping, theShopping})},
        {"holiday", lists, ListMatch::none()},
        {"   ", lists, ListMatch::none()},
        {"the list", {bare}, ListMatch::matched(bare)},
    };
    for (const auto& [spoken, among, expected] : cases) {
        EXPECT_EQ(VoiceResolution::resolve(spoken, among), expected) << spoken;
    }
}

TEST(VoiceResolutionItems, OpenItemsFirst) {
    const TBItem openMilk = item("1", "Milk"), openMilk2 = item("2", "milk");
    const TBItem doneMilk = item("3", "Milk", true), doneMilk2 = item("4", "MILK", true);
    const TBItem tagged = item("5", "milk #dairy");

    const std::tuple<const char*, QList<TBItem>, ItemMatch> cases[] = {
        {"milk", {openMilk, openMilk2}, ItemMatch::ambiguous({openMilk, openMilk2})},
        {"milk", {doneMilk, openMilk2}, ItemMatch::matched(openMilk2)},
        {"milk", {doneMilk, doneMilk2}, ItemMatch::alreadyDone(doneMilk)},
        {"milk dairy", {tagged}, ItemMatch::matched(tagged)},
        {"the milk", {openMilk}, ItemMatch::none()}, // no filler removal for items
        {" ?! ", {openMilk}, ItemMatch::none()},
    };
    for (const auto& [spoken, items, expected] : cases) {
        EXPECT_EQ(VoiceResolution::resolveItem(spoken, items), expected) << spoken;
    }
}

TEST(VoiceResolutionItems, TextWithoutTagsOnlyWhenTheWholeTextFindsNothing) {
    const TBItem tagged = item("1", "Milk #dairy"), taggedTwice = item("2", "milk #dairy #fresh");
    const TBItem doneTagged = item("3", "Milk #dairy", true);
    const TBItem doneTagged2 = item("4", "milk #cold", true);
    const TBItem plain = item("5", "Milk"), onlyTag = item("6", "#milk");
    const TBItem midTag = item("7", "oat #dairy milk"), dairy = item("8", "dairy");
    const TBItem notATag = item("9", "milk #dairy,"); // a comma makes it a word, not a tag

    const struct {
        const char* what;
        const char* spoken;
        QList<TBItem> items;
        ItemMatch expected;
    } cases[] = {
        {"a tagged item by its words", "milk", {tagged}, ItemMatch::matched(tagged)},
        {"tags anywhere in the text", "oat milk", {midTag}, ItemMatch::matched(midTag)},
        {"several tagged open items ask",
         "MILK",
         {tagged, taggedTwice},
         ItemMatch::ambiguous({tagged, taggedTwice})},
        {"a ticked tagged item",
         "milk",
         {doneTagged, doneTagged2},
         ItemMatch::alreadyDone(doneTagged)},
        {"an open one wins over a ticked one",
         "milk",
         {doneTagged, taggedTwice},
         ItemMatch::matched(taggedTwice)},
        {"the whole text decides first", "milk", {tagged, plain}, ItemMatch::matched(plain)},
        {"even when it finds a ticked item",
         "milk",
         {tagged, doneTagged2, item("10", "milk", true)},
         ItemMatch::alreadyDone(item("10", "milk", true))},
        {"the tag's word with its tag stays first",
         "milk dairy",
         {tagged, plain},
         ItemMatch::matched(tagged)},
        {"a tag alone is still its word", "milk", {onlyTag}, ItemMatch::matched(onlyTag)},
        {"the tag is not a name of the item", "dairy", {tagged, taggedTwice}, ItemMatch::none()},
        {"a word that only looks like a tag", "milk", {notATag}, ItemMatch::none()},
        {"no other words are dropped", "the milk", {tagged}, ItemMatch::none()},
        {"nothing like it", "bread", {tagged, dairy}, ItemMatch::none()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VoiceResolution::resolveItem(c.spoken, c.items), c.expected) << c.what;
    }
}
