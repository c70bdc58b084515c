// The spoken phrases, and running them through `say`.
#include "IntentsTestSupport.h"

#include "intents/PhraseMatcher.h"

#include <QSet>

#include <map>

namespace {

TEST(Phrases, UtterancesAreMatchedFoldedAndTheListIsKeptAsSaid) {
    const struct {
        QString utterance;
        IntentKind intent;
        std::optional<QString> list;
    } cases[] = {
        {"Read Groceries in Tallybird", IntentKind::readList, "Groceries"},
        {"tallybird, what’s on MUM’S BIRTHDAY?", IntentKind::readList, "MUM’S BIRTHDAY"},
        {"  Tallybird,what's left on the Big Shop ", IntentKind::readList, "the Big Shop"},
        // The phrase with the most words of its own wins.
        {"Tick something off in Groceries in Tallybird", IntentKind::completeItem, "Groceries"},
        {"Tick something off from Groceries in Tallybird", IntentKind::completeItem, "Groceries"},
        {"Tick something off Groceries in Tallybird", IntentKind::completeItem, "Groceries"},
        {"Add to my Groceries in Tallybird", IntentKind::addItem, "Groceries"},
        {"Add to “Café” on TALLYBIRD.", IntentKind::addItem, "Café"},
        {"Show me to-do in Tallybird", IntentKind::openList, "to-do"},
        {"Tallybird, start a new list!", IntentKind::createList, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utterance.toStdString());
        const std::optional<SpokenRequest> match = PhraseMatcher::match(c.utterance);
        ASSERT_TRUE(match);
        EXPECT_EQ(match->intent, c.intent);
        EXPECT_EQ(match->listName, c.list);
    }
    for (const QString miss :
         {"", "Tallybird", "Read in Tallybird", "Open Groceries in Otherbird",
          "Start a new list in Tallybird please", "Add to Groceries", "What's left"})
        EXPECT_FALSE(PhraseMatcher::match(miss)) << miss.toStdString();
}

class SayEveryPhrase : public CommandLineTest {};

TEST_F(SayEveryPhrase, EachPhraseRunsItsRequest) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    seed.item(seed.list("Reading"), "Eggs");
    const QString chores = seed.list("Chores");
    for (int k = 0; k < 12; ++k)
        seed.item(chores, QStringLiteral("job %1").arg(k));
    seed.release();

    // Each request's list, and its reply with %1 for the text said after the phrase.
    const std::map<IntentKind, std::pair<QString, QString>> uses = {
        {IntentKind::addItem, {"Groceries", "Added %1 to Groceries."}},
        {IntentKind::readList, {"Reading", "One thing left on Reading: Eggs."}},
        {IntentKind::completeItem, {"Chores", "Ticked off %1."}},
        {IntentKind::openList, {"Groceries", ""}},
        {IntentKind::createList, {"", "Started %1."}},
    };
    QSet<QString> distinct;
    QList<std::pair<IntentKind, qsizetype>> counts; // the shortcuts in order
    int ticks = 0;
    for (const AppShortcut& shortcut : TallybirdShortcuts::appShortcuts()) {
        counts.append({shortcut.intent, shortcut.phrases.size()});
        const auto& [list, answer] = uses.at(shortcut.intent);
        for (QString utterance : shortcut.phrases) {
            EXPECT_TRUE(utterance.count("{app}") == 1 &&
                        utterance.contains("{list}") != list.isEmpty())
                << utterance.toStdString();
            distinct.insert(utterance);
            utterance.replace("{app}", "Tallybird").replace("{list}", list);
            SCOPED_TRACE(utterance.toStdString());

            const QString text = shortcut.intent == IntentKind::completeItem
                                     ? QStringLiteral("job %1").arg(ticks++)
                                     : QStringLiteral("thing %1").arg(distinct.size());
            const bool saysText = answer.contains("%1");
            const qsizetype opensBefore = programRuns.size();
            EXPECT_EQ(typed(QStringList{"say", utterance} +
                            (saysText ? QStringList{text} : QStringList())),
                      CommandLine::ok)
                << console.notes.join('\n').toStdString();
            EXPECT_EQ(console.said, answer.isEmpty()
                                        ? QStringList()
                                        : QStringList{saysText ? answer.arg(text) : answer});
            EXPECT_EQ(programRuns.mid(opensBefore), shortcut.intent == IntentKind::openList
                                                        ? QStringList{groceries}
                                                        : QStringList());
        }
    }
    EXPECT_EQ(counts, (QList<std::pair<IntentKind, qsizetype>>{{IntentKind::addItem, 13},
                                                               {IntentKind::readList, 51},
                                                               {IntentKind::completeItem, 12},
                                                               {IntentKind::openList, 13},
                                                               {IntentKind::createList, 5}}));
    EXPECT_EQ(distinct.size(), 94) << "every phrase is distinct";
}

} // namespace
