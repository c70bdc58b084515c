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

TEST(VoiceResolutionFold, PlainForm) {
    const std::pair<QString, QString> cases[] = {
        {"Café", "cafe"},
        {"CAFE\u0301", "cafe"},
        {"Mañana", "manana"},
        {"Mum’s birthday", "mums birthday"},
        {"Mum's `birthday`", "mums birthday"},
        {"To-Do", "to do"},
        {"Rock & Roll", "rock roll"},
        {"  milk\n\t#dairy  ", "milk dairy"},
        {"snake_case (list)", "snake case list"},
        {"“quoted” words!", "quoted words"},
        {"$5 + tax", "$5 + tax"},
        {"Straße", "strasse"},
        {"...", ""},
        {"", ""},
    };
    for (const auto& [text, folded] : cases) {
        EXPECT_EQ(VoiceResolution::fold(text), folded) << text.toStdString();
    }
}

TEST(VoiceResolutionFold, FillerWords) {
    const std::pair<QString, QString> cases[] = {
        {"my shopping list", "shopping"},
        {"the my a groceries", "groceries"},
        {"the list", "list"},
        {"a", "a"},
        {"the my", "my"},
        {"list list", "list"},
        {"shopping list list", "shopping list"},
        {"listing", "listing"},
        {"", ""},
    };
    for (const auto& [folded, stripped] : cases) {
        EXPECT_EQ(VoiceResolution::stripFiller(folded), stripped) << folded.toStdString();
    }
}

TEST(VoiceResolutionLists, StagesInOrder) {
    const TBList work1 = list("1", "Work");
    const TBList work2 = list("2", "Work");
    const TBList groceries = list("3", "Groceries");
    const TBList shopping = list("4", "Shopping");
    const TBList theShopping = list("5", "The Shopping List");
    const TBList mums = list("6", "mums birthday");
    const TBList todo = list("7", "To Do");
    const QList<TBList> lists{work1, work2, groceries, shopping, mums, todo};

    struct Case {
        const char* spoken;
        QList<TBList> lists;
        ListMatch expected;
    };
    const Case cases[] = {
        {"  Groceries \n", lists, ListMatch::matched(groceries)},
        {"Work", lists, ListMatch::matched(work1)},
        {"work", lists, ListMatch::ambiguous({work1, work2})},
        {"my shopping list", lists, ListMatch::matched(shopping)},
        {"my shopping list",
         {shopping, theShopping},
         ListMatch::ambiguous({shopping, theShopping})},
        {"Mum’s birthday", lists, ListMatch::matched(mums)},
        {"to-do", lists, ListMatch::matched(todo)},
        {"...", lists, ListMatch::none()},
        {"   ", lists, ListMatch::none()},
        {"holiday", lists, ListMatch::none()},
        {"the list", {list("8", "List")}, ListMatch::matched(list("8", "List"))},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VoiceResolution::resolve(c.spoken, c.lists), c.expected) << c.spoken;
    }
}

TEST(VoiceResolutionItems, OpenItemsFirst) {
    const TBItem openMilk = item("1", "Milk");
    const TBItem openMilk2 = item("2", "milk");
    const TBItem doneMilk = item("3", "Milk", true);
    const TBItem doneMilk2 = item("4", "MILK", true);
    const TBItem tagged = item("5", "milk #dairy");

    struct Case {
        const char* spoken;
        QList<TBItem> items;
        ItemMatch expected;
    };
    const Case cases[] = {
        {"milk", {openMilk, openMilk2}, ItemMatch::ambiguous({openMilk, openMilk2})},
        {"milk", {doneMilk, openMilk2}, ItemMatch::matched(openMilk2)},
        {"milk", {doneMilk, doneMilk2}, ItemMatch::alreadyDone(doneMilk)},
        {"milk dairy", {tagged}, ItemMatch::matched(tagged)},
        {"milk", {tagged}, ItemMatch::none()},
        {"the milk", {openMilk}, ItemMatch::none()}, // no filler removal for items
        {" ?! ", {openMilk}, ItemMatch::none()},
        {"", {openMilk}, ItemMatch::none()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VoiceResolution::resolveItem(c.spoken, c.items), c.expected) << c.spoken;
    }
}
