// The spoken phrases, and running them through `say`.
#include "CommandLineFixture.h"

#include "intents/PhraseMatcher.h"

namespace {

TEST(Phrases, FiveShortcutsInOrderWithTheirPhraseCounts) {
    const QList<AppShortcut> shortcuts = TallybirdShortcuts::appShortcuts();
    ASSERT_EQ(shortcuts.size(), 5);
    struct Expected {
        IntentKind intent;
        const char* title;
        const char* image;
        qsizetype phrases;
    } expected[] = {
        {IntentKind::addItem, "Add an item", "plus.circle", 13},
        {IntentKind::readList, "Read a list", "text.bubble", 51},
        {IntentKind::completeItem, "Tick an item off", "checkmark.circle", 12},
        {IntentKind::openList, "Open a list", "arrow.up.forward.app", 13},
        {IntentKind::createList, "Start a list", "square.and.pencil", 5},
    };
    qsizetype withList = 0;
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(expected[k].title);
        EXPECT_EQ(shortcuts[k].intent, expected[k].intent);
        EXPECT_EQ(shortcuts[k].shortTitle, QString::fromUtf8(expected[k].title));
        EXPECT_EQ(shortcuts[k].systemImageName, QString::fromUtf8(expected[k].image));
        EXPECT_EQ(shortcuts[k].phrases.size(), expected[k].phrases);
        EXPECT_EQ(QSet<QString>(shortcuts[k].phrases.begin(), shortcuts[k].phrases.end()).size(),
                  expected[k].phrases)
            << "phrases are distinct";
        for (const QString& phrase : shortcuts[k].phrases) {
            EXPECT_EQ(phrase.count(QStringLiteral("{app}")), 1) << phrase.toStdString();
            EXPECT_EQ(phrase.count(QStringLiteral("{list}")),
                      expected[k].intent == IntentKind::createList ? 0 : 1)
                << phrase.toStdString();
            EXPECT_FALSE(phrase.contains(u'’')) << "plain apostrophes";
            EXPECT_FALSE(phrase.contains(QStringLiteral("{app},  ")));
            withList += phrase.contains(QStringLiteral("{list}"));
        }
    }
    EXPECT_EQ(withList, 89);
}

TEST(Phrases, TheReadQuestionsComeInPairs) {
    const QStringList read = TallybirdShortcuts::appShortcuts()[1].phrases;
    EXPECT_EQ(read[0], QStringLiteral("How many things are left in {list} in {app}"));
    EXPECT_EQ(read[1], QStringLiteral("{app}, how many things are left in {list}"));
    EXPECT_EQ(read[16], QStringLiteral("How many items are left in {list} in {app}"));
    EXPECT_EQ(read[31], QStringLiteral("{app}, how many items on {list}"));
    EXPECT_EQ(read[50], QStringLiteral("On {app} what's left in {list}"));
}

TEST(Phrases, UtterancesAreMatchedFoldedAndTheListIsKeptAsSaid) {
    struct Case {
        QString utterance;
        IntentKind intent;
        std::optional<QString> list;
    } cases[] = {
        {"Read Groceries in Tallybird", IntentKind::readList, "Groceries"},
        {"tallybird, what’s on MUM’S BIRTHDAY?", IntentKind::readList, "MUM’S BIRTHDAY"},
        {"  Tallybird,what's left on the Big Shop ", IntentKind::readList, "the Big Shop"},
        {"Tick something off in Groceries in Tallybird", IntentKind::completeItem, "Groceries"},
        {"Tick something off from Groceries in Tallybird", IntentKind::completeItem, "Groceries"},
        {"Tick something off Groceries in Tallybird", IntentKind::completeItem, "Groceries"},
        {"Add to my Groceries in Tallybird", IntentKind::addItem, "Groceries"},
        {"Add to “Café” on TALLYBIRD.", IntentKind::addItem, "Café"},
        {"Show me to-do in Tallybird", IntentKind::openList, "to-do"},
        {"Tallybird, start a new list!", IntentKind::createList, std::nullopt},
        {"Make a new list in Tallybird", IntentKind::createList, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utterance.toStdString());
        const std::optional<SpokenRequest> match = PhraseMatcher::match(c.utterance);
        ASSERT_TRUE(match);
        EXPECT_EQ(match->intent, c.intent);
        EXPECT_EQ(match->listName, c.list);
    }
}

TEST(Phrases, UtterancesThatFitNoPhraseMatchNothing) {
    const QString misses[] = {
        "",
        "Tallybird",
        "Read in Tallybird",
        "Open Groceries in Otherbird",
        "Start a new list in Tallybird please",
        "Add to Groceries",
        "What's left",
    };
    for (const QString& utterance : misses)
        EXPECT_FALSE(PhraseMatcher::match(utterance)) << utterance.toStdString();
}

class SayEveryPhrase : public CommandLineTest {};

TEST_F(SayEveryPhrase, EachPhraseRunsItsRequest) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    const QString reading = seed.list("Reading");
    seed.item(reading, "Eggs");
    const QString chores = seed.list("Chores");
    for (int k = 0; k < 12; ++k)
        seed.item(chores, QStringLiteral("job %1").arg(k));
    seed.release();

    int n = 0;
    for (const AppShortcut& shortcut : TallybirdShortcuts::appShortcuts()) {
        for (const QString& phrase : shortcut.phrases) {
            const QString text = QStringLiteral("thing %1").arg(n);
            const char* list = shortcut.intent == IntentKind::readList       ? "Reading"
                               : shortcut.intent == IntentKind::completeItem ? "Chores"
                                                                             : "Groceries";
            QString utterance = phrase;
            utterance.replace(QStringLiteral("{app}"), QStringLiteral("Tallybird"))
                .replace(QStringLiteral("{list}"), QString::fromUtf8(list));
            SCOPED_TRACE(utterance.toStdString());

            QStringList words{QStringLiteral("say"), utterance};
            QStringList expected;
            switch (shortcut.intent) {
            case IntentKind::addItem:
                words.append(text);
                expected = {QStringLiteral("Added %1 to Groceries.").arg(text)};
                break;
            case IntentKind::completeItem: // the tick phrases are numbered 64 to 75
                words.append(QStringLiteral("job %1").arg(n - 64));
                expected = {QStringLiteral("Ticked off job %1.").arg(n - 64)};
                break;
            case IntentKind::createList:
                words.append(text);
                expected = {QStringLiteral("Started %1.").arg(text)};
                break;
            case IntentKind::readList:
                expected = {QStringLiteral("One thing left on Reading: Eggs.")};
                break;
            case IntentKind::openList:
                break;
            }
            const qsizetype opensBefore = programRuns.size();
            EXPECT_EQ(typed(words), CommandLine::ok) << console.notes.join('\n').toStdString();
            EXPECT_EQ(console.said, expected);
            if (shortcut.intent == IntentKind::openList) {
                EXPECT_EQ(programRuns.mid(opensBefore), QStringList{groceries});
            }
            ++n;
        }
    }
    EXPECT_EQ(n, 94);
}

} // namespace
