// The lists another person shared with the account a device leaves: the new account cannot reach
// them, so the device keeps them to be read, view only, and changes nothing in them that nobody
// would ever get; one shared with the new account too stays as that account may change it, one
// the new account owns becomes its own list again. On a container file and on a PostgreSQL
// server.
#include "AccountChangeFixture.h"

namespace synctest {
namespace {

using namespace cloud;

using SharedListAccountChangeTest = AccountChangeFixture;

QStringList itemTexts(ListStore& store, const QString& listID) {
    QStringList texts;
    for (const TBItem& item : store.itemsOf(listID))
        texts.append(item.text);
    texts.sort();
    return texts;
}

QStringList listNames(ListStore& store) {
    QStringList names;
    for (const TBList& list : store.lists())
        names.append(list.name);
    names.sort();
    return names;
}

TEST_P(SharedListAccountChangeTest, AListSharedWithTheAccountLeftTurnsViewOnly) {
    enum class Move {
        signedIntoAnother, // the device is signed into another person of the same cloud
        signedOutFirst,    // signed out, a sync in between, then into another person
        backIntoTheSame,   // signed out, a sync in between, then into the same person again
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
        {"one signed out, then into the same person", Move::backIntoTheSame, false, false},
        {"one back in the same person whose fetch meets it first", Move::backIntoTheSame, true,
         true},
        {"a profile of another container file moved here", Move::movedHere, false, false},
        {"one moved here whose fetch meets it first", Move::movedHere, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        freshCloud();
        const bool moved = c.move == Move::movedHere;
        const QString before = moved ? Container::defaultUserName : QString("ann");
        const QString after = moved                             ? QString("ann")
                              : c.move == Move::backIntoTheSame ? before
                                                                : QString("kim");
        const bool sameAccount = before == after;
        // Bob shares Tools with the account the device leaves, and Bench also with the one it
        // goes to (when his lists are in the cloud it goes to).
        const bool benchForBoth = !moved && !sameAccount;
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
        if (benchForBoth)
            reach("phone", after); // makes the person on the file

        const QString groceries = laptop->store().addList("Groceries").id;
        ASSERT_TRUE(laptop->store().addItem(groceries, "milk"));
        const QString tools = bob->store().addList("Tools").id;
        ASSERT_TRUE(bob->store().addItem(tools, "hammer"));
        const QString bench = bob->store().addList("Bench").id;
        ASSERT_TRUE(bob->store().addItem(bench, "clamp"));
        ASSERT_FALSE(bob->syncNow());
        std::vector<std::pair<QString, QString>> shares{{tools, before}, {bench, before}};
        if (benchForBoth)
            shares.emplace_back(bench, after);
        for (const auto& [list, person] : shares) {
            ASSERT_FALSE(
                sharing.shareZone("bob", "TB-" + list, person, ParticipantPermission::readWrite));
            ASSERT_FALSE(sharing.acceptShare("bob", "TB-" + list, person));
        }
        ASSERT_FALSE(laptop->syncNow());
        ASSERT_FALSE(laptop->syncNow());
        ASSERT_EQ(listNames(laptop->store()), QStringList({"Bench", "Groceries", "Tools"}));
        ASSERT_TRUE(laptop->store().addItem(tools, "nails"));
        ASSERT_FALSE(laptop->syncNow());

        switch (c.move) {
        case Move::signedIntoAnother:
            signInto(*laptop, after);
            break;
        case Move::signedOutFirst:
        case Move::backIntoTheSame: {
            ASSERT_FALSE(admin().signOut("laptop"));
            const auto error = laptop->syncNow();
            ASSERT_TRUE(error);
            EXPECT_EQ(error->code, CloudError::Code::notAuthenticated);
            if (sameAccount) {
                ASSERT_FALSE(admin().signIn("laptop", after));
            }
            signInto(*laptop, after);
            break;
        }
        case Move::movedHere:
            laptop->moveTo(reach("laptop", after));
            break;
        }
        if (c.restart)
            laptop->restart();
        ListStore* store = &laptop->store();
        // What the window hears of the lists, to redraw them.
        QSet<QString> permissionChanged;
        QObject::connect(store, &ListStore::storeChanged, [&](const StoreChange& change) {
            for (auto it = change.listFields.cbegin(); it != change.listFields.cend(); ++it)
                if (it.value().contains(StoreChange::sharePermissionField))
                    permissionChanged.insert(it.key());
        });
        if (c.fetchFirst) {
            ASSERT_FALSE(laptop->fetchOnly());
        }
        ASSERT_FALSE(laptop->syncNow());

        // Tools stays with what it held; only the account it is shared with may change it.
        ASSERT_TRUE(store->findList(tools));
        EXPECT_EQ(store->findList(tools)->isViewOnly(), !sameAccount);
        EXPECT_EQ(itemTexts(*store, tools), QStringList({"hammer", "nails"}));
        EXPECT_EQ(store->addItem(tools, "screws").has_value(), sameAccount);
        if (!sameAccount) {
            EXPECT_TRUE(permissionChanged.contains(tools));
        }
        // Bench is shared with the new account too, and Groceries is the device's own.
        ASSERT_TRUE(store->findList(bench));
        EXPECT_EQ(store->findList(bench)->isViewOnly(), !sameAccount && !benchForBoth);
        if (benchForBoth) {
            EXPECT_TRUE(store->addItem(bench, "vice"));
        }
        EXPECT_TRUE(store->addItem(groceries, "flour"));
        ASSERT_FALSE(laptop->syncNow());
        // Nothing is left waiting to be sent for no one.
        EXPECT_TRUE(store->dirtyLists().isEmpty());
        EXPECT_TRUE(store->dirtyItems().isEmpty());

        ASSERT_FALSE(bob->syncNow());
        EXPECT_EQ(itemTexts(bob->store(), tools), sameAccount
                                                      ? QStringList({"hammer", "nails", "screws"})
                                                      : QStringList({"hammer", "nails"}));
        EXPECT_EQ(itemTexts(bob->store(), bench),
                  benchForBoth ? QStringList({"clamp", "vice"}) : QStringList({"clamp"}));
        auto phone = deviceOf("phone", after);
        ASSERT_FALSE(phone->syncNow());
        EXPECT_EQ(itemTexts(phone->store(), groceries), QStringList({"flour", "milk"}));
        QStringList phoneLists{"Groceries"};
        if (benchForBoth || sameAccount)
            phoneLists.append("Bench");
        if (sameAccount)
            phoneLists.append("Tools");
        phoneLists.sort();
        EXPECT_EQ(listNames(phone->store()), phoneLists);
    }
}

TEST_P(SharedListAccountChangeTest, AListSharedByThePersonTheDeviceGoesToBecomesTheirOwn) {
    freshCloud();
    auto laptop = deviceOf("laptop", "ann");
    auto bob = deviceOf("bobLaptop", "bob");
    const QString tools = bob->store().addList("Tools").id;
    ASSERT_TRUE(bob->store().addItem(tools, "hammer"));
    ASSERT_FALSE(bob->syncNow());
    ASSERT_FALSE(admin().shareZone("bob", "TB-" + tools, "ann", ParticipantPermission::readOnly));
    ASSERT_FALSE(admin().acceptShare("bob", "TB-" + tools, "ann"));
    ASSERT_FALSE(laptop->syncNow());
    ASSERT_TRUE(laptop->store().findList(tools));
    ASSERT_TRUE(laptop->store().findList(tools)->isViewOnly());

    signInto(*laptop, "bob");
    ASSERT_FALSE(laptop->syncNow());
    ListStore& store = laptop->store();
    ASSERT_TRUE(store.findList(tools));
    EXPECT_FALSE(store.findList(tools)->zoneOwnerName);
    EXPECT_FALSE(store.findList(tools)->isViewOnly());
    ASSERT_TRUE(store.addItem(tools, "nails"));
    ASSERT_FALSE(laptop->syncNow());
    EXPECT_TRUE(store.dirtyItems().isEmpty());

    ASSERT_FALSE(bob->syncNow());
    EXPECT_EQ(listNames(bob->store()), QStringList({"Tools"}));
    EXPECT_EQ(itemTexts(bob->store(), tools), QStringList({"hammer", "nails"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, SharedListAccountChangeTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "OnAServer" : "OnAFile";
                         });

} // namespace
} // namespace synctest
