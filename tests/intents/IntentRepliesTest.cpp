// The requests' replies, word for word, run on a store of their own.
#include "IntentsTestSupport.h"

#include "intents/IntentDispatch.h"
#include "model/ListNavigation.h"

#include <QDir>
#include <QFile>

namespace {

class IntentReplies : public ProfileTest {
protected:
    IntentOutcome run(const IntentRequest& request,
                      IntentFrame::SyncStep sync = IntentFrame::noSync()) {
        auto store = openStore();
        std::optional<IntentOutcome> result;
        IntentDispatch::perform(request, IntentFrame(*store, defaults, std::move(sync)),
                                [&](const IntentOutcome& outcome) { result = outcome; });
        EXPECT_TRUE(result.has_value());
        return result.value_or(IntentOutcome::failed(QStringLiteral("no answer")));
    }
    IntentOutcome add(const QString& listID, const QString& item) {
        return run({IntentKind::addItem, listID, item, std::nullopt});
    }
    IntentOutcome tick(const QString& listID, const QString& item,
                       std::optional<QString> chosen = std::nullopt) {
        return run({IntentKind::completeItem, listID, item, chosen});
    }
    IntentOutcome startList(const QString& name) {
        return run({IntentKind::createList, {}, name, std::nullopt});
    }
    IntentOutcome read(const QString& listID) {
        return run({IntentKind::readList, listID, {}, std::nullopt});
    }
    QStringList listNames() {
        auto store = readStore();
        store->rebuildDerivedCacheIfNeeded();
        QStringList names;
        for (const TBList& list : store->sortedListsCache())
            names.append(list.name);
        return names;
    }
};

IntentOutcome reply(const char* text) {
    return IntentOutcome::reply(QString::fromUtf8(text));
}

TEST_F(IntentReplies, AddingTrimsTheItemAndRepliesWithTheStoredListName) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    seed.release();

    EXPECT_EQ(add(groceries, "  eggs \n"), reply("Added eggs to Groceries."));
    EXPECT_EQ(add(groceries, "milk #dairy"), reply("Added milk #dairy to Groceries."));
    EXPECT_EQ(itemTexts(groceries), QStringList({"eggs", "milk #dairy"}));
    EXPECT_TRUE(voiceFlag());

    // Renamed since the request was made: the reply uses the name in the store.
    {
        auto store = openStore();
        store->rebuildDerivedCacheIfNeeded();
        TBList list = store->sortedListsCache().first();
        list.name = QStringLiteral("Shopping");
        store->updateList(list);
    }
    EXPECT_EQ(add(groceries, "bread"), reply("Added bread to Shopping."));
}

TEST_F(IntentReplies, RefusalsOfAddingWriteNothingAndLeaveTheFlagUnset) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    const QString viewOnly = seed.sharedList("Team", TBSharePermission::readOnly);
    seed.release();

    struct Case {
        QString listID;
        QString item;
        const char* reply;
    } cases[] = {
        {groceries, " \n\t ", "I didn't catch what to add."},
        // Blank is refused before the list is looked for.
        {QStringLiteral("GONE"), "  ", "I didn't catch what to add."},
        {QStringLiteral("GONE"), "eggs", "I couldn't find that list any more."},
        {viewOnly, "eggs", "Team is view only, so I can't add to it."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(add(c.listID, c.item), reply(c.reply));
    }
    EXPECT_TRUE(itemTexts(groceries).isEmpty());
    EXPECT_TRUE(itemTexts(viewOnly).isEmpty());
    EXPECT_FALSE(voiceFlag());
}

TEST_F(IntentReplies, OnlyAnotherPersonsReadOnlyListIsViewOnly) {
    Seed seed(openStore());
    const QString readWrite = seed.sharedList("Theirs", TBSharePermission::readWrite);
    const QString unknown = seed.sharedList("Unrecorded", std::nullopt);
    TBList own = seed.store().addList(QStringLiteral("Mine"));
    own.sharePermission = TBSharePermission::readOnly;
    seed.store().updateList(own);
    seed.release();

    EXPECT_EQ(add(readWrite, "eggs"), reply("Added eggs to Theirs."));
    EXPECT_EQ(add(unknown, "eggs"), reply("Added eggs to Unrecorded."));
    EXPECT_EQ(add(own.id, "eggs"), reply("Added eggs to Mine."));
}

TEST_F(IntentReplies, AFailedSaveIsReportedAndNeverAnsweredAsDone) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    const QString eggs = seed.item(groceries, "Eggs");
    seed.release();

    // The store loads, then its file cannot be replaced: a folder stands in its place.
    auto store = openStore();
    ASSERT_TRUE(QFile::remove(storePath()));
    ASSERT_TRUE(QDir().mkdir(storePath()));

    const IntentRequest requests[] = {
        {IntentKind::addItem, groceries, QStringLiteral("milk"), std::nullopt},
        {IntentKind::completeItem, groceries, QStringLiteral("eggs"), std::nullopt},
        {IntentKind::createList, {}, QStringLiteral("Packing"), std::nullopt},
    };
    for (const IntentRequest& request : requests) {
        std::optional<IntentOutcome> result;
        IntentDispatch::perform(request, IntentFrame(*store, defaults),
                                [&](const IntentOutcome& outcome) { result = outcome; });
        ASSERT_TRUE(result);
        EXPECT_EQ(result->kind, IntentOutcome::Kind::failed) << result->text.toStdString();
        EXPECT_TRUE(result->text.contains(storePath()));
    }
    EXPECT_FALSE(voiceFlag());
}

TEST_F(IntentReplies, TheReplyWaitsForTheSyncAndIsTheSameWhenItFails) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    seed.release();

    auto store = openStore();
    std::function<void()> finishSync;
    int syncs = 0;
    std::optional<IntentOutcome> result;
    IntentDispatch::perform({IntentKind::addItem, groceries, QStringLiteral("eggs"), std::nullopt},
                            IntentFrame(*store, defaults,
                                        [&](ListStore&, std::function<void()> done) {
                                            ++syncs;
                                            finishSync =
                                                done; // a failing sync still ends by calling `done`
                                        }),
                            [&](const IntentOutcome& outcome) { result = outcome; });

    EXPECT_EQ(syncs, 1);
    EXPECT_FALSE(result) << "answered before the sync finished";
    EXPECT_EQ(itemTexts(groceries), QStringList{"eggs"}) << "saved before the sync";
    finishSync();
    EXPECT_EQ(result, reply("Added eggs to Groceries."));
}

TEST_F(IntentReplies, RequestsThatChangeNothingAskForNoSync) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    seed.item(groceries, "Milk", true);
    seed.release();

    int syncs = 0;
    auto counting = [&](ListStore&, std::function<void()> done) {
        ++syncs;
        done();
    };
    run({IntentKind::addItem, QStringLiteral("GONE"), QStringLiteral("x"), std::nullopt}, counting);
    run({IntentKind::completeItem, groceries, QStringLiteral("milk"), std::nullopt}, counting);
    run({IntentKind::createList, {}, QStringLiteral("Groceries"), std::nullopt}, counting);
    run({IntentKind::readList, groceries, {}, std::nullopt}, counting);
    EXPECT_EQ(syncs, 0);
}

TEST_F(IntentReplies, TickingMatchesFoldedTextTagWordsIncluded) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    seed.item(groceries, "Milk #dairy");
    seed.item(groceries, "Bread");
    seed.item(groceries, "Eggs", true);
    seed.release();

    struct Case {
        QString spoken;
        const char* reply;
    } cases[] = {
        {"milk", "I couldn't find milk on Groceries."},
        {"  MILK  ", "I couldn't find   MILK   on Groceries."}, // repeated as it arrived
        {"eggs", "Eggs was already ticked off."},
        {"milk dairy", "Ticked off Milk #dairy."},
        {"bread", "Ticked off Bread."},
        {"bread", "Bread was already ticked off."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spoken.toStdString());
        EXPECT_EQ(tick(groceries, c.spoken), reply(c.reply));
    }
    EXPECT_EQ(itemTexts(groceries), QStringList({"Milk #dairy ✓", "Bread ✓", "Eggs ✓"}));
}

TEST_F(IntentReplies, SeveralMatchesAskWhichOneAndTheChoiceTicksThatVeryItem) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    const QString first = seed.item(groceries, "Oat milk");
    const QString second = seed.item(groceries, "oat milk");
    seed.release();

    const IntentOutcome asked = tick(groceries, "oat milk");
    EXPECT_EQ(asked, IntentOutcome::choose(QStringLiteral("Which one?"),
                                           {{first, QStringLiteral("Oat milk")},
                                            {second, QStringLiteral("oat milk")}}));
    EXPECT_FALSE(voiceFlag());

    EXPECT_EQ(tick(groceries, "oat milk", second), reply("Ticked off oat milk."));
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk ✓"}));
    EXPECT_TRUE(voiceFlag());
}

TEST_F(IntentReplies, AChoiceIsReadAfreshBeforeItIsTicked) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    const QString done = seed.item(groceries, "Oat milk", true);
    const QString viewOnly = seed.sharedList("Team", TBSharePermission::readOnly);
    seed.release();

    EXPECT_EQ(tick(groceries, "Oat milk", done), reply("Oat milk was already ticked off."));
    EXPECT_EQ(tick(groceries, "Oat milk", QStringLiteral("GONE-ITEM")),
              reply("I couldn't find Oat milk on Groceries."));
    EXPECT_EQ(tick(QStringLiteral("GONE"), "Oat milk", done),
              reply("I couldn't find that list any more."));
    // An item of another list cannot be ticked through this one.
    EXPECT_EQ(tick(viewOnly, "Oat milk", done), reply("Team is view only, so I can't change it."));
}

TEST_F(IntentReplies, TickingRefusalsComeBeforeTheItemIsLookedAt) {
    Seed seed(openStore());
    const QString team = seed.sharedList("Team", TBSharePermission::readOnly);
    seed.item(team, "Milk");
    seed.release();

    EXPECT_EQ(tick(team, "milk"), reply("Team is view only, so I can't change it."));
    EXPECT_EQ(tick(team, "nothing like it"), reply("Team is view only, so I can't change it."));
    EXPECT_EQ(tick(QStringLiteral("GONE"), "milk"), reply("I couldn't find that list any more."));
    EXPECT_EQ(itemTexts(team), QStringList{"Milk"});
    EXPECT_FALSE(voiceFlag());
}

TEST_F(IntentReplies, StartingAListRefusesNamesThatAlreadyAnswer) {
    Seed seed(openStore());
    seed.list("Groceries");
    seed.sharedList("Team Jobs", TBSharePermission::readOnly);
    seed.release();

    struct Case {
        QString spoken;
        const char* reply;
    } cases[] = {
        {"   ", "I didn't catch what to call it."},
        {"Groceries", "You've already got a Groceries list."},
        {"groceries", "You've already got a Groceries list."},
        {"my groceries list", "You've already got a Groceries list."},
        {"team jobs", "You've already got a Team Jobs list."},
        {"  Packing \n", "Started Packing."},
        {"my packing list", "You've already got a Packing list."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spoken.toStdString());
        EXPECT_EQ(startList(c.spoken), reply(c.reply));
    }
    EXPECT_EQ(listNames(), QStringList({"Groceries", "Team Jobs", "Packing"}));
}

TEST_F(IntentReplies, SeveralFoldedMatchesLeaveTheNameFreeButAnExactOneTakesIt) {
    Seed seed(openStore());
    seed.list("Groceries");
    seed.list("groceries");
    seed.list("Work");
    seed.list("Work");
    seed.release();

    EXPECT_EQ(startList("GROCERIES"), reply("Started GROCERIES."));
    EXPECT_EQ(startList("Work"), reply("You've already got a Work list."));
    EXPECT_EQ(listNames(), QStringList({"Groceries", "groceries", "Work", "Work", "GROCERIES"}));
}

// Up to three are said at once; beyond that the question comes first, and five at most are read.
TEST_F(IntentReplies, ReadingSaysOrAsksByHowMuchIsLeft) {
    struct Case {
        int open;
        IntentOutcome outcome;
    } cases[] = {
        {3, reply("Three things left on Groceries: item 1, item 2 and item 3.")},
        {4,
         IntentOutcome::confirm(QStringLiteral("Four things left on Groceries. Shall I read them?"),
                                QStringLiteral("item 1, item 2, item 3 and item 4."))},
        {7, IntentOutcome::confirm(
                QStringLiteral("Seven things left on Groceries. Shall I read them?"),
                QStringLiteral("item 1, item 2, item 3, item 4 and item 5 — and 2 more."))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.open);
        QFile::remove(storePath());
        Seed seed(openStore());
        const QString groceries = seed.list("Groceries");
        seed.item(groceries, "ticked", true); // never read
        for (int k = 1; k <= c.open; ++k)
            seed.item(groceries, QStringLiteral("item %1").arg(k));
        seed.release();
        EXPECT_EQ(read(groceries), c.outcome);
    }
}

TEST_F(IntentReplies, ReadingSpeaksItemsWithoutTagWordsAndReadsViewOnlyLists) {
    Seed seed(openStore());
    const QString team = seed.sharedList("Groceries", TBSharePermission::readOnly);
    seed.item(team, "Eggs");
    seed.item(team, "Milk #dairy");
    seed.item(team, "#dairy");
    seed.release();

    EXPECT_EQ(read(team), reply("Three things left on Groceries: Eggs, Milk and #dairy."));
    EXPECT_TRUE(voiceFlag());
}

TEST_F(IntentReplies, ReadingAListThatIsGoneSetsNoFlag) {
    EXPECT_EQ(read(QStringLiteral("GONE")), reply("I couldn't find that list any more."));
    EXPECT_FALSE(voiceFlag());
}

TEST_F(IntentReplies, OpeningLeavesARequestForTheWindowAndSaysNothing) {
    ListNavigation::shared().setRequestedListID(std::nullopt);
    EXPECT_EQ(run({IntentKind::openList, QStringLiteral("L-1"), {}, std::nullopt}), reply(""));
    EXPECT_EQ(run({IntentKind::openList, QStringLiteral("L-2"), {}, std::nullopt}), reply(""));
    EXPECT_EQ(ListNavigation::shared().requestedListID(), QStringLiteral("L-2"));
    EXPECT_TRUE(voiceFlag());
    ListNavigation::shared().setRequestedListID(std::nullopt);
}

} // namespace
