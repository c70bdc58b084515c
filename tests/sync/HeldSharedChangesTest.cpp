// A change made in a list another person shares is the change of the account the device was in:
// made while the device could not reach the cloud, it stays on the device through a sign-in into
// a third account, is never sent as that account, and reaches the list's owner once the device
// is back in the account that made it. Meanwhile the third account sees the list as the cloud
// holds it, and what it changes there, held fields among them, goes as its own. On a container
// file and on a PostgreSQL server.
#include "AccountChangeFixture.h"

#include "store/CloudLayout.h"

namespace synctest {
namespace {

using namespace cloud;

class HeldSharedChangesTest : public AccountChangeFixture {
protected:
    // The names of a zone's records, its share left out.
    QStringList recordsOf(const QString& owner, const QString& zone) {
        QStringList names = recordNames(owner, zone);
        names.removeIf([](const QString& name) { return name.startsWith(u'~'); });
        return names;
    }
};

TEST_P(HeldSharedChangesTest, OfflineChangesOfASharedListGoAsTheirAccountOnceItIsBack) {
    struct Case {
        const char* what;
        bool thirdTakesPart;   // the third account may write the list too
        bool restart;          // the program quits and starts again after each sign-in
        bool signOutFirst;     // signed out, a sync in between, before each sign-in
        bool thirdChangesHeld; // the third account ticks and renames what the first changed
    };
    const Case cases[] = {
        {"a third account the list is not shared with", false, false, false, false},
        {"a third account that may write the list too", true, false, false, false},
        {"a program that starts again after each sign-in", false, true, false, false},
        {"a device signed out before each sign-in", false, false, true, false},
        {"a third account that changes what the first changed", true, false, false, true},
        {"the same with a program that starts again", true, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freshCloud();
        auto ann = deviceOf("annLaptop", "ann");
        auto sam = deviceOf("samLaptop", "sam");
        reach("kimPhone", "kim"); // makes the person
        ListStore& owner = ann->store();
        const QString tools = owner.addList("Tools").id;
        const QString hammer = owner.addItem(tools, "hammer").value().id;
        const QString saw = owner.addItem(tools, "saw").value().id;
        ASSERT_FALSE(ann->syncNow());
        QStringList people{"sam"};
        if (c.thirdTakesPart)
            people.append("kim");
        for (const QString& person : people) {
            ASSERT_FALSE(
                admin().shareZone("ann", "TB-" + tools, person, ParticipantPermission::readWrite));
            ASSERT_FALSE(admin().acceptShare("ann", "TB-" + tools, person));
        }
        ASSERT_FALSE(sam->syncNow());
        ASSERT_TRUE(sam->store().findList(tools));
        ASSERT_FALSE(sam->store().findList(tools)->isViewOnly());

        // Out of reach, Sam adds an item, ticks one of Ann's and renames another.
        ASSERT_FALSE(admin().setOffline("samLaptop", true));
        const QString nails = sam->store().addItem(tools, "nails").value().id;
        sam->store().setDone(hammer, true);
        sam->store().renameItem(saw, "hand saw");
        const auto offline = sam->syncNow();
        ASSERT_TRUE(offline);
        EXPECT_EQ(offline->code, CloudError::Code::networkUnavailable);
        ASSERT_FALSE(admin().setOffline("samLaptop", false));

        // Signs the device into `person`: signed out first, or straight from the account before.
        const auto moveInto = [&](const QString& person) {
            if (c.signOutFirst) {
                ASSERT_FALSE(admin().signOut("samLaptop"));
                const auto error = sam->syncNow();
                ASSERT_TRUE(error);
                EXPECT_EQ(error->code, CloudError::Code::notAuthenticated);
                ASSERT_FALSE(admin().signIn("samLaptop", person));
            }
            signInto(*sam, person);
            if (c.restart)
                sam->restart();
        };

        // Signed into Kim: the changes stay here, and nothing of them goes as Kim, who sees the
        // list as the cloud holds it.
        moveInto("kim");
        ASSERT_FALSE(sam->syncNow());
        ListStore* store = &sam->store();
        ASSERT_TRUE(store->findList(tools));
        EXPECT_EQ(store->findList(tools)->isViewOnly(), !c.thirdTakesPart);
        EXPECT_FALSE(store->findItem(nails));
        ASSERT_TRUE(store->findItem(hammer));
        EXPECT_FALSE(store->findItem(hammer)->done);
        ASSERT_TRUE(store->findItem(saw));
        EXPECT_EQ(store->findItem(saw)->text, "saw");
        // Kim's own changes of the list go, as hers; one of an item Sam ticked carries no tick
        // unless Kim ticks it too.
        QString hammerText = c.thirdTakesPart ? "claw hammer" : "hammer";
        const QString kimsSaw = c.thirdChangesHeld ? "bow saw" : "saw";
        if (c.thirdTakesPart) {
            store->setDone(saw, true);
            store->renameItem(hammer, hammerText);
            if (c.thirdChangesHeld) {
                store->setDone(hammer, true);
                store->renameItem(saw, kimsSaw);
            }
            ASSERT_FALSE(sam->syncNow());
            if (c.restart)
                sam->restart();
            store = &sam->store();
            EXPECT_EQ(store->findItem(hammer)->done, c.thirdChangesHeld);
            EXPECT_EQ(store->findItem(saw)->text, kimsSaw);
        }
        ASSERT_FALSE(ann->syncNow());
        EXPECT_FALSE(owner.findItem(nails));
        ASSERT_TRUE(owner.findItem(hammer));
        EXPECT_EQ(owner.findItem(hammer)->text, hammerText);
        EXPECT_EQ(owner.findItem(hammer)->done, c.thirdChangesHeld);
        ASSERT_TRUE(owner.findItem(saw));
        EXPECT_EQ(owner.findItem(saw)->done, c.thirdTakesPart);
        EXPECT_EQ(owner.findItem(saw)->text, kimsSaw);
        EXPECT_EQ(recordsOf("ann", "TB-" + tools),
                  sorted({CloudLayout::listRecordName, hammer, saw}));
        // Otherwise Ann renames the hammer meanwhile: Sam's tick goes over a copy that moved on.
        if (!c.thirdTakesPart) {
            hammerText = "big hammer";
            owner.renameItem(hammer, hammerText);
            ASSERT_FALSE(ann->syncNow());
        }

        // Back in Sam's account, Sam's changes go with the first sync, and Ann gets them.
        moveInto("sam");
        ASSERT_FALSE(sam->syncNow());
        store = &sam->store();
        ASSERT_TRUE(store->findList(tools));
        EXPECT_FALSE(store->findList(tools)->isViewOnly());
        ASSERT_TRUE(store->findItem(hammer));
        EXPECT_TRUE(store->findItem(hammer)->done);
        EXPECT_EQ(store->findItem(hammer)->text, hammerText);
        EXPECT_EQ(store->findItem(saw)->text, "hand saw");
        EXPECT_TRUE(store->findItem(nails));
        EXPECT_TRUE(store->dirtyItems().isEmpty());
        EXPECT_TRUE(store->heldMarks().isEmpty());
        ASSERT_FALSE(ann->syncNow());
        const TBItem* added = owner.findItem(nails);
        EXPECT_TRUE(added);
        EXPECT_EQ(added ? added->text : QString(), "nails");
        EXPECT_TRUE(owner.findItem(hammer)->done);
        EXPECT_EQ(owner.findItem(hammer)->text, hammerText);
        EXPECT_EQ(owner.findItem(saw)->done, c.thirdTakesPart);
        EXPECT_EQ(owner.findItem(saw)->text, "hand saw");
        EXPECT_EQ(recordsOf("ann", "TB-" + tools),
                  sorted({CloudLayout::listRecordName, hammer, nails, saw}));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, HeldSharedChangesTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "OnAServer" : "OnAFile";
                         });

} // namespace
} // namespace synctest
