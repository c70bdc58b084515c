// The requests' rules, run on a store of their own. The replies of every branch, word for word,
// are checked end to end by the process tests.
#include "IntentsTestSupport.h"

#include "intents/IntentDispatch.h"
#include "model/ListNavigation.h"

#include <QDateTime>
#include <QFileInfo>
#include <QThread>

namespace {

class IntentReplies : public ProfileTest {
protected:
    IntentOutcome run(const IntentRequest& request,
                      IntentFrame::SyncStep sync = IntentFrame::noSync()) {
        auto store = openStore();
        const std::optional<IntentOutcome> result =
            performAndWait(request, IntentFrame(*store, defaults, std::move(sync)));
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
    IntentOutcome read(const QString& listID) {
        return run({IntentKind::readList, listID, {}, std::nullopt});
    }
};

// A reply, and the exit code of the command line that carried it: ok when the request was done.
IntentOutcome reply(const char* text, ExitCode::Code exit = ExitCode::ok) {
    return exit == ExitCode::ok ? IntentOutcome::reply(QString::fromUtf8(text))
                                : IntentOutcome::notDone(QString::fromUtf8(text), exit);
}

struct Case {
    QString listID, text;
    const char* reply;
    ExitCode::Code exit = ExitCode::ok;
};

TEST_F(IntentReplies, AddingRefusesBeforeWritingAndRepliesWithTheStoredListName) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    const QString team = seed.sharedList("Team", TBSharePermission::readOnly);
    // Only another person's read-only list is view only.
    const QString theirs = seed.sharedList("Theirs", TBSharePermission::readWrite);
    const QString unrecorded = seed.sharedList("Unrecorded", std::nullopt);
    const QString mine = seed.sharedList("Mine", TBSharePermission::readOnly, std::nullopt);
    seed.release();

    // Refusals come first: none of them writes or sets the flag.
    const Case cases[] = {
        {"GONE", "  ", "I didn't catch what to add.", ExitCode::refused}, // before the look-up
        {team, "eggs", "Team is view only, so I can't add to it.", ExitCode::refused},
        {"GONE", "eggs", "I couldn't find that list any more.", ExitCode::notFound},
        {groceries, "  milk #dairy \n", "Added milk #dairy to Groceries."},
        {theirs, "eggs", "Added eggs to Theirs."},
        {unrecorded, "eggs", "Added eggs to Unrecorded."},
        {mine, "eggs", "Added eggs to Mine."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(add(c.listID, c.text), reply(c.reply, c.exit));
        EXPECT_EQ(voiceFlag(), QString(c.reply).startsWith("Added"));
    }
    EXPECT_TRUE(itemTexts(team).isEmpty());
    EXPECT_EQ(itemTexts(groceries), QStringList{"milk #dairy"});

    // Renamed since the request was made: the reply uses the name in the store.
    Seed(openStore()).rename(groceries, "Shopping");
    EXPECT_EQ(add(groceries, "bread"), reply("Added bread to Shopping."));
}

TEST_F(IntentReplies, AFailedSaveIsReportedAndNeverAnsweredAsDone) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    seed.item(groceries, "Eggs");
    seed.release();

    // The store loads, then its file cannot be replaced: a folder stands in its place.
    auto store = openStore();
    ASSERT_TRUE(QFile::remove(storePath()));
    ASSERT_TRUE(QDir().mkdir(storePath()));

    const IntentRequest requests[] = {
        {IntentKind::addItem, groceries, "milk", std::nullopt},
        {IntentKind::completeItem, groceries, "eggs", std::nullopt},
        {IntentKind::createList, {}, "Packing", std::nullopt},
    };
    for (const IntentRequest& request : requests) {
        const std::optional<IntentOutcome> result =
            performAndWait(request, IntentFrame(*store, defaults));
        ASSERT_TRUE(result);
        EXPECT_EQ(result->kind, IntentOutcome::Kind::failed) << result->text.toStdString();
        EXPECT_TRUE(result->text.contains(storePath()));
    }
    EXPECT_FALSE(voiceFlag());
}

TEST_F(IntentReplies, TheReplyWaitsForTheSyncAndIsTheSameWhenItFails) {
    const QString groceries = Seed(openStore()).list("Groceries");
    auto store = openStore();
    IntentFrame::SyncDone finishSync;
    int syncs = 0;
    std::optional<IntentOutcome> result;
    const IntentFrame frame(*store, defaults, [&](ListStore&, IntentFrame::SyncDone done) {
        ++syncs;
        finishSync = done;
    });
    for (const std::optional<QString>& error :
         {std::optional<QString>(), std::optional<QString>("The device is offline.")}) {
        result.reset();
        syncs = 0;
        IntentDispatch::perform({IntentKind::addItem, groceries, "eggs", std::nullopt}, frame,
                                [&](const IntentOutcome& outcome) { result = outcome; });
        EXPECT_FALSE(result) << "answered before the change was on disk";
        store->flushSaves();
        EXPECT_EQ(syncs, 1);
        EXPECT_FALSE(result) << "answered before the sync finished";
        EXPECT_EQ(itemTexts(groceries).last(), "eggs") << "saved before the sync";
        // A failing sync still ends by calling `done`; the reply stays, and a note says the
        // change did not reach the other devices.
        finishSync(error);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->text, "Added eggs to Groceries.");
        EXPECT_EQ(result->note, error ? "The change is saved here but could not be synced: "
                                        "The device is offline."
                                      : "");
    }

    // Requests that change nothing ask for no sync.
    store.reset();
    Seed(openStore()).item(groceries, "Milk", true);
    syncs = 0;
    auto counting = [&](ListStore&, IntentFrame::SyncDone done) {
        ++syncs;
        done(std::nullopt);
    };
    run({IntentKind::addItem, "GONE", "x", std::nullopt}, counting);
    run({IntentKind::completeItem, groceries, "milk", std::nullopt}, counting);
    run({IntentKind::createList, {}, "Groceries", std::nullopt}, counting);
    run({IntentKind::readList, groceries, {}, std::nullopt}, counting);
    EXPECT_EQ(syncs, 0);
}

TEST_F(IntentReplies, TheVoiceFlagIsWrittenToTheSharedSettingsOnlyOnce) {
    const QString groceries = Seed(openStore()).list("Groceries");
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    FileDefaults settings(path);
    auto store = openStore();
    const IntentFrame frame(*store, settings);
    const auto add = [&](const QString& text) {
        return performAndWait({IntentKind::addItem, groceries, text, std::nullopt}, frame);
    };
    ASSERT_TRUE(add(QStringLiteral("eggs")));
    ASSERT_TRUE(QFile::exists(path));
    // Every write replaces the file; a second request has nothing to change in it.
    const QDateTime written = QFileInfo(path).lastModified();
    QThread::msleep(5);
    ASSERT_TRUE(add(QStringLiteral("milk")));
    EXPECT_EQ(QFileInfo(path).lastModified(), written);
    EXPECT_EQ(settings.boolValue(QStringLiteral("siri.voiceCommandHasRun")), true);
}

TEST_F(IntentReplies, TickingRefusesBeforeLookingAtItemsAndReadsAChoiceAfresh) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    seed.item(groceries, "Milk #dairy");
    const QString eggs = seed.item(groceries, "Eggs", true);
    const QString chores = seed.list("Chores");
    const QString team = seed.sharedList("Team", TBSharePermission::readOnly);
    const QString teamMilk = seed.item(team, "Milk");
    seed.release();

    const char* gone = "I couldn't find that list any more.";
    const char* viewOnly = "Team is view only, so I can't change it.";
    const auto notFound = ExitCode::notFound, refused = ExitCode::refused;
    const struct {
        QString listID, spoken;
        std::optional<QString> chosen;
        const char* reply;
        ExitCode::Code exit;
    } cases[] = {
        {groceries, "dairy", {}, "I couldn't find dairy on Groceries.", notFound}, // no tag alone
        {groceries, "Eggs", eggs, "Eggs was already ticked off.", refused},
        {groceries, "Eggs", "GONE-ITEM", "I couldn't find Eggs on Groceries.", notFound},
        {chores, "Eggs", eggs, "I couldn't find Eggs on Chores.", notFound}, // another list's
        {"GONE", "Eggs", eggs, gone, notFound},
        {"GONE", "milk", {}, gone, notFound},
        {team, "milk", {}, viewOnly, refused},
        {team, "nothing like it", {}, viewOnly, refused},
        {team, "Milk", teamMilk, viewOnly, refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spoken.toStdString() + " on " + c.listID.toStdString());
        EXPECT_EQ(tick(c.listID, c.spoken, c.chosen), reply(c.reply, c.exit));
    }
    EXPECT_EQ(itemTexts(groceries), QStringList({"Milk #dairy", "Eggs ✓"}));
    EXPECT_EQ(itemTexts(team), QStringList{"Milk"});
    EXPECT_FALSE(voiceFlag());

    EXPECT_EQ(tick(groceries, "milk dairy"), reply("Ticked off Milk #dairy."));
    EXPECT_TRUE(voiceFlag());
}

TEST_F(IntentReplies, TickingFindsATaggedItemByItsWordsAlone) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    seed.item(groceries, "Milk #dairy");
    seed.item(groceries, "Oat milk #dairy");
    seed.item(groceries, "Eggs #fresh", true);
    seed.item(groceries, "bread #bakery");
    seed.item(groceries, "Bread");
    seed.release();

    EXPECT_EQ(tick(groceries, "milk"), reply("Ticked off Milk #dairy."));
    EXPECT_EQ(tick(groceries, "eggs"),
              reply("Eggs #fresh was already ticked off.", ExitCode::refused));
    EXPECT_EQ(tick(groceries, "bread"), reply("Ticked off Bread.")); // the whole text first
    EXPECT_EQ(itemTexts(groceries), QStringList({"Milk #dairy ✓", "Oat milk #dairy",
                                                 "Eggs #fresh ✓", "bread #bakery", "Bread ✓"}));
}

TEST_F(IntentReplies, SeveralMatchesAskWhichOneAndTheChoiceTicksThatVeryItem) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    const QString first = seed.item(groceries, "Oat milk");
    const QString second = seed.item(groceries, "oat milk");
    seed.release();

    EXPECT_EQ(tick(groceries, "oat milk"),
              IntentOutcome::choose("Which one?", {{first, "Oat milk"}, {second, "oat milk"}}));
    EXPECT_FALSE(voiceFlag());
    EXPECT_EQ(tick(groceries, "oat milk", second), reply("Ticked off oat milk."));
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "oat milk ✓"}));
}

TEST_F(IntentReplies, StartingAListRefusesNamesThatAlreadyAnswer) {
    Seed seed(openStore());
    for (const char* name : {"Groceries", "Work", "Work", "Shop", "shop"})
        seed.list(name);
    seed.sharedList("Team Jobs", TBSharePermission::readOnly);
    seed.release();

    const Case cases[] = {
        {{}, "   ", "I didn't catch what to call it.", ExitCode::refused},
        // Shared lists count; the exact name wins.
        {{}, "team jobs", "You've already got a Team Jobs list.", ExitCode::refused},
        {{}, "Work", "You've already got a Work list.", ExitCode::refused},
        {{}, "SHOP", "Started SHOP."}, // several folded matches leave the name free
        {{}, "  Packing \n", "Started Packing."},
        {{}, "my packing list", "You've already got a Packing list.", ExitCode::refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(run({IntentKind::createList, {}, c.text, std::nullopt}), reply(c.reply, c.exit));
    }
    EXPECT_EQ(listLines(), QStringList({"Groceries", "Work", "Work", "Shop", "shop", "Team Jobs",
                                        "SHOP", "Packing"}));
}

// Up to three are said at once; beyond that the question comes first, and five at most are read.
// Ticked items are never read, tag words never spoken, and view-only lists are read like any.
TEST_F(IntentReplies, ReadingSaysOrAsksByHowMuchIsLeft) {
    Seed seed(openStore());
    const QString team = seed.sharedList("Groceries", TBSharePermission::readOnly);
    seed.item(team, "ticked", true);
    for (const char* text : {"Eggs", "Milk #dairy", "#dairy"})
        seed.item(team, text);
    seed.release();

    EXPECT_EQ(read("GONE"), reply("I couldn't find that list any more.", ExitCode::notFound));
    EXPECT_FALSE(voiceFlag());
    EXPECT_EQ(read(team), reply("Three things left on Groceries: Eggs, Milk and #dairy."));
    EXPECT_TRUE(voiceFlag());

    Seed more(openStore());
    for (int k = 4; k <= 7; ++k)
        more.item(team, QStringLiteral("item %1").arg(k));
    more.release();
    EXPECT_EQ(read(team),
              IntentOutcome::confirm("Seven things left on Groceries. Shall I read them?",
                                     "Eggs, Milk, #dairy, item 4 and item 5 — and 2 more."));
}

TEST_F(IntentReplies, OpeningLeavesARequestForTheWindowAndSaysNothing) {
    ListNavigation::shared().setRequestedListID(std::nullopt);
    EXPECT_EQ(run({IntentKind::openList, "L-1", {}, std::nullopt}), reply(""));
    EXPECT_EQ(run({IntentKind::openList, "L-2", {}, std::nullopt}), reply(""));
    EXPECT_EQ(ListNavigation::shared().requestedListID(), QStringLiteral("L-2"));
    EXPECT_TRUE(voiceFlag());
    ListNavigation::shared().setRequestedListID(std::nullopt);
}

} // namespace
