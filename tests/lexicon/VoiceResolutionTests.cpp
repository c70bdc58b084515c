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
        {"milk", {tagged}, ItemMatch::none()},
        {"the milk", {openMilk}, ItemMatch::none()}, // no filler removal for items
        {" ?! ", {openMilk}, ItemMatch::none()},
    };
    for (const auto& [spoken, items, expected] : cases) {
        EXPECT_EQ(VoiceResolution::resolveItem(spoken, items), expected) << spoken;
    }
}
