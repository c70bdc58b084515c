// A change made to a list while it could be changed, whose sync then finds the list view only
// (its owner took the right to change it back, or the device went to an account it is not
// shared with): the change stays on this device alone, and the reply says it was not synced.
#include "IntentsTestSupport.h"

namespace {

class ViewOnlyAfterSync : public ProfileTest {};

TEST_F(ViewOnlyAfterSync, AChangeToAListTheSyncLeftViewOnlyIsSaidNotSynced) {
    Seed seed(openStore());
    const QString groceries = seed.list("Groceries");
    const QString team = seed.sharedList("Team", TBSharePermission::readWrite);
    seed.item(team, "Milk");
    seed.item(groceries, "Bread");
    seed.release();

    struct Case {
        const char* what;
        IntentRequest request;
        QString listID;
        bool turnsViewOnly; // during the sync
        std::optional<QString> syncError;
        QString reply;
        QString note;
    };
    const QString notSynced = "The change is saved here but could not be synced: ";
    const Case cases[] = {
        {"an add to a list the sync turned view only",
         {IntentKind::addItem, team, "eggs", std::nullopt},
         team,
         true,
         std::nullopt,
         "Added eggs to Team.",
         notSynced + "Team is view only now."},
        {"a tick on it",
         {IntentKind::completeItem, team, "milk", std::nullopt},
         team,
         true,
         std::nullopt,
         "Ticked off Milk.",
         notSynced + "Team is view only now."},
        {"a failed sync says its own reason",
         {IntentKind::addItem, team, "jam", std::nullopt},
         team,
         true,
         QString("The device is offline."),
         "Added jam to Team.",
         notSynced + "The device is offline."},
        {"a shared list that stays open",
         {IntentKind::addItem, team, "tea", std::nullopt},
         team,
         false,
         std::nullopt,
         "Added tea to Team.",
         ""},
        {"an own list",
         {IntentKind::completeItem, groceries, "bread", std::nullopt},
         groceries,
         false,
         std::nullopt,
         "Ticked off Bread.",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto store = openStore();
        ASSERT_TRUE(store->applySharePermission(team, TBSharePermission::readWrite));
        const IntentFrame frame(
            *store, defaults, [&](ListStore& synced, IntentFrame::SyncDone done) {
                if (c.turnsViewOnly)
                    synced.applySharePermission(c.listID, TBSharePermission::readOnly);
                done(c.syncError);
            });
        const std::optional<IntentOutcome> outcome = performAndWait(c.request, frame);
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome->kind, IntentOutcome::Kind::reply);
        EXPECT_EQ(outcome->exit, ExitCode::ok);
        EXPECT_EQ(outcome->text, c.reply);
        EXPECT_EQ(outcome->note, c.note);
    }
}

} // namespace
