// A device that meets another account sends everything of its own to it, whole, as a sign-in
// after a sign-out does: a second device of that account then holds each of its lists and items
// once, with their groups and deletions, and nothing of the lists other people share with the
// account it left. On a container file, where a device is signed into a person, and on a
// PostgreSQL server, where each person connects as a role of their own.
#include "AccountChangeFixture.h"

#include "store/CloudLayout.h"

namespace synctest {
namespace {

using namespace cloud;

using AccountChangeTest = AccountChangeFixture;

TEST_P(AccountChangeTest, ASecondDeviceOfTheNewAccountHoldsEverythingOfTheDevicesOwnOnce) {
    enum class Move {
        signedIntoAnother, // the device is signed into another person of the same cloud
        signedOutFirst,    // signed out, a sync in between, then into another person
        movedHere,         // the profile synced with a container file of its own before
    };
    struct Case {
        const char* what;
        Move move;
        bool restart;    // the program quits and starts again before its next sync
        bool fetchFirst; // a fetch alone meets the new account before anything is sent
    };
    const Case cases[] = {
        {"a device signed into another person", Move::signedIntoAnother, false, false},
        {"one that starts again before its next sync", Move::signedIntoAnother, true, false},
        {"one whose fetch meets the new account first", Move::signedIntoAnother, false, true},
        {"one signed out, then into another person", Move::signedOutFirst, false, false},
        {"a profile of another container file moved here", Move::movedHere, false, false},
        {"one moved here whose fetch meets it first", Move::movedHere, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freshCloud();
        const bool moved = c.move == Move::movedHere;
        // A profile moved here was its own container's default user and becomes Ann's; a
        // device of Ann's becomes Kim's. Bob shares a list with the account the device leaves.
        const QString before = moved ? Container::defaultUserName : QString("ann");
        const QString after = moved ? QString("ann") : QString("kim");
        std::shared_ptr<Container> origin;
        if (moved) {
            origin =
                Container::openFile(dir.filePath(QString("origin-%1.sqlite").arg(++made))).value();
            origin->createUser("bob", std::nullopt);
            ASSERT_FALSE(origin->signIn("bobLaptop", "bob"));
        }
        auto laptop =
            moved ? std::make_unique<Device>(origin, "laptop") : deviceOf("laptop", before);
        auto bob =
            moved ? std::make_unique<Device>(origin, "bobLaptop") : deviceOf("bobLaptop", "bob");
        Container& sharing = moved ? *origin : admin();

        ListStore* store = &laptop->store();
        const QString groceries = store->addList("Groceries").id;
        const QString milk = store->addItem(groceries, "milk").value().id;
        ASSERT_TRUE(store->addNote("oat, if they have it", milk, "me", "Me"));
        const QString bread = store->addItem(groceries, "bread").value().id;
        store->setDone(bread, true);
        const QString gone = store->addItem(groceries, "stale buns").value().id;
        store->deleteItem(gone);
        const QString packing = store->addList("Packing").id;
        const QString socks = store->addItem(packing, "socks").value().id;
        store->setCollection(QString("Trips"), packing);
        const QString tools = bob->store().addList("Tools").id;
        ASSERT_TRUE(bob->store().addItem(tools, "hammer"));
        ASSERT_FALSE(bob->syncNow());
        ASSERT_FALSE(
            sharing.shareZone("bob", "TB-" + tools, before, ParticipantPermission::readWrite));
        ASSERT_FALSE(sharing.acceptShare("bob", "TB-" + tools, before));
        ASSERT_FALSE(laptop->syncNow());
        ASSERT_FALSE(laptop->syncNow());
        ASSERT_EQ(listIDs(*store), sorted({groceries, packing, tools}));

        switch (c.move) {
        case Move::signedIntoAnother:
            signInto(*laptop, after);
            break;
        case Move::signedOutFirst: {
            ASSERT_FALSE(admin().signOut("laptop"));
            const auto error = laptop->syncNow();
            ASSERT_TRUE(error);
            EXPECT_EQ(error->code, CloudError::Code::notAuthenticated);
            signInto(*laptop, after);
            break;
        }
        case Move::movedHere:
            laptop->moveTo(reach("laptop", after));
            break;
        }
        if (c.restart)
            laptop->restart();
        if (c.fetchFirst) {
            ASSERT_FALSE(laptop->fetchOnly());
        }
        store = &laptop->store();
        const QString flour = store->addItem(groceries, "flour").value().id;
        ASSERT_FALSE(laptop->syncNow());

        auto phone = deviceOf("phone", after);
        ASSERT_FALSE(phone->syncNow());
        EXPECT_EQ(listIDs(phone->store()), sorted({groceries, packing}));
        EXPECT_EQ(itemIDs(phone->store()), sorted({milk, bread, socks, flour}));
        QStringList own = contents(*store);
        own.removeIf([&](const QString& line) { return line.contains(tools); });
        EXPECT_EQ(contents(phone->store()), own); // names, ticks, notes and the group
        EXPECT_EQ(recordNames(after, "TB-" + groceries),
                  sorted({CloudLayout::listRecordName, milk, bread, flour,
                          CloudLayout::tombstoneRecordName(gone)}));
        EXPECT_EQ(recordNames(after, "TB-" + packing),
                  sorted({CloudLayout::listRecordName, socks}));
        // Bob's list is his, and was shared with the account the device left.
        EXPECT_EQ(zoneNames(after),
                  sorted({CloudLayout::metaZoneName, "TB-" + groceries, "TB-" + packing}));
        // Nothing is left waiting to be sent.
        EXPECT_EQ(store->lastKnownUserRecordName(), after);
        EXPECT_TRUE(store->dirtyLists().isEmpty());
        EXPECT_TRUE(store->dirtyItems().isEmpty());
        EXPECT_TRUE(store->dirtyFilings().isEmpty());
        EXPECT_TRUE(store->dirtyTombstones().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, AccountChangeTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "OnAServer" : "OnAFile";
                         });

} // namespace
} // namespace synctest
