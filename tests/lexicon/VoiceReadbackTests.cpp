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
    QStringList result;
    for (int i = 0; i < count; ++i) {
        result.append(QString(QChar(u'a' + i)));
    }
    return result;
}

} // namespace

TEST(VoiceReadbackSentence, CountsNounsAndCap) {
    struct Case {
        QStringList texts;
        int cap;
        QString expected;
    };
    const Case cases[] = {
        {{}, 5, "Nothing left on Groceries."},
        {{"milk"}, 5, "One thing left on Groceries: milk."},
        {{"bread", "milk"}, 5, "Two things left on Groceries: bread and milk."},
        {{"bread", "milk", "eggs"}, 5, "Three things left on Groceries: bread, milk and eggs."},
        {letters(7), 5, "Seven things left on Groceries. The first five are: a, b, c, d and e."},
        {letters(10), 10, "Ten things left on Groceries: a, b, c, d, e, f, g, h, i and j."},
        {letters(11), 11, "11 things left on Groceries: a, b, c, d, e, f, g, h, i, j and k."},
        {letters(12), 11,
         "12 things left on Groceries. The first 11 are: a, b, c, d, e, f, g, h, i, "
         "j and k."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VoiceReadback::sentence("Groceries", items(c.texts), c.cap), c.expected)
            << c.expected.toStdString();
    }
}

TEST(VoiceReadbackSentence, SpokenTextsDropTagWords) {
    struct Case {
        QString text;
        QString spoken;
    };
    const Case cases[] = {
        {"milk #dairy", "milk"},
        {"#dairy #fridge", "#dairy #fridge"}, // nothing else left: the whole text
        {"eggs #", "eggs #"},                 // a lone "#" is read
        {"eggs #1", "eggs"},
        {"eggs #milk,", "eggs"}, // not a tag, but still not read
        {"oat   milk", "oat milk"},
        {"   ", "   "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VoiceReadback::sentence("L", items({c.text}), 5),
                  "One thing left on L: " + c.spoken + ".")
            << c.text.toStdString();
    }
}

TEST(VoiceReadbackPlan, SpeaksOrAsksFirst) {
    struct Case {
        int count;
        ReadPlan expected;
    };
    const Case cases[] = {
        {0, ReadPlan::nothingLeft("Nothing left on my list.")},
        {2, ReadPlan::speak("Two things left on my list: a and b.")},
        {3, ReadPlan::speak("Three things left on my list: a, b and c.")},
        {4, ReadPlan::ask("Four things left on my list. Shall I read them?", "a, b, c and d.")},
        {5, ReadPlan::ask("Five things left on my list. Shall I read them?", "a, b, c, d and e.")},
        {6, ReadPlan::ask("Six things left on my list. Shall I read them?",
                          "a, b, c, d and e \u2014 and 1 more.")},
        {8, ReadPlan::ask("Eight things left on my list. Shall I read them?",
                          "a, b, c, d and e \u2014 and 3 more.")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VoiceReadback::plan("my list", items(letters(c.count)), 5, 3), c.expected)
            << c.count;
    }
}
