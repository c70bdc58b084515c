#include "lexicon/VoiceReadback.h"

#include <gtest/gtest.h>

namespace {

QList<TBItem> items(const QStringList& texts) {
    QList<TBItem> result;
    for (const QString& text : texts) {
        TBItem item;
        item.text = text;
        result.append(item);
    }
    return result;
}

QStringList letters(int count) {
    return QStringLiteral("abcdefghijkl").left(count).split(QString(), Qt::SkipEmptyParts);
}

} // namespace

TEST(VoiceReadbackSentence, CountsNounsCapAndSpokenTexts) {
    const std::tuple<QStringList, int, QString> cases[] = {
        {{}, 5, "Nothing left on Groceries."},
        {{"milk #dairy"}, 5, "One thing left on Groceries: milk."}, // tag words are not read
        // Nothing but tags: the whole text; a lone "#" is read, "#milk," is not.
        {{"#dairy #fridge"}, 5, "One thing left on Groceries: #dairy #fridge."},
        {{"eggs #", "eggs #milk,"}, 5, "Two things left on Groceries: eggs # and eggs."},
        {{"oat   milk"}, 5, "One thing left on Groceries: oat milk."},
        {{"bread", "milk"}, 5, "Two things left on Groceries: bread and milk."},
        {{"bread", "milk", "eggs"}, 5, "Three things left on Groceries: bread, milk and eggs."},
        {letters(7), 5, "Seven things left on Groceries. The first five are: a, b, c, d and e."},
        {letters(10), 10, "Ten things left on Groceries: a, b, c, d, e, f, g, h, i and j."},
        {letters(12), 11,
         "12 things left on Groceries. The first 11 are: a, b, c, d, e, f, g, h, i, j and k."},
    };
    for (const auto& [texts, cap, expected] : cases) {
        EXPECT_EQ(VoiceReadback::sentence("Groceries", items(texts), cap), expected);
    }
}

TEST(VoiceReadbackPlan, SpeaksOrAsksFirst) {
    const std::pair<int, ReadPlan> cases[] = {
        {0, ReadPlan::nothingLeft("Nothing left on my list.")},
        {3, ReadPlan::speak("Three things left on my list: a, b and c.")},
        {4, ReadPlan::ask("Four things left on my list. Shall I read them?", "a, b, c and d.")},
        {5, ReadPlan::ask("Five things left on my list. Shall I read them?", "a, b, c, d and e.")},
        {6, ReadPlan::ask("Six things left on my list. Shall I read them?",
                          "a, b, c, d and e \u2014 and 1 more.")},
    };
    for (const auto& [count, expected] : cases) {
        EXPECT_EQ(VoiceReadback::plan("my list", items(letters(count)), 5, 3), expected) << count;
    }
}
