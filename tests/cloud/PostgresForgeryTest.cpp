// A person's role, connected with plain SQL as a modified client would, tells another person
// that a list of theirs was removed. The server takes such a notice only from the list's owner
// about a list the other person accepted, and a device applies a notice only to the list it
// names, owner and all: nobody makes another person's own lists vanish from their devices.
#include "EarlierContainer.h"
#include "TestSupport.h"

#include "support/QStringPrinting.h"

#include "cloud/PostgresConnection.h"
#include "cloud/PostgresSchema.h"

#include <gtest/gtest.h>

#include <set>

using namespace cloudtest;
using testsupport::PostgresTestDatabase;

namespace {

// A removal notice for `person`, numbered by the step that writes it after it took what locks
// it may (the zone's, its own row), as a modified client would write one.
QString notice(const QString& person, const QString& scope, const QString& owner,
               const QString& zoneName) {
    return QStringLiteral("DO $$ DECLARE b bigint; BEGIN "
                          "PERFORM tallybird.lock_zone('%3', '%4'); "
                          "PERFORM tallybird.lock_feed(session_user::text); "
                          "SELECT tallybird.take_blocks(1) INTO b; "
                          "INSERT INTO tallybird.zone_removals (seq, user_name, scope, zone_owner, "
                          "zone_name, reason) VALUES (b, '%1', '%2', '%3', '%4', 'deleted'); "
                          "END $$")
        .arg(person, scope, owner, zoneName);
}

// The zones a fetch of the database's changes says were removed, by owner and name.
std::set<QString> removedZones(Container& container, const QString& device, DatabaseScope scope,
                               const QString& token) {
    auto changes = container.fetchDatabaseChanges(device, scope, token);
    std::set<QString> removed;
    if (!changes.ok()) {
        ADD_FAILURE() << changes.error().message.toStdString();
        return removed;
    }
    EXPECT_FALSE(changes.value().tokenExpired);
    for (const ZoneDeletion& deletion : changes.value().deletions)
        removed.insert(deletion.zoneID.ownerName + "/" + deletion.zoneID.zoneName);
    return removed;
}

QString tokenOf(Container& container, const QString& device, DatabaseScope scope) {
    auto changes = container.fetchDatabaseChanges(device, scope, std::nullopt);
    if (!changes.ok()) {
        ADD_FAILURE() << changes.error().message.toStdString();
        return {};
    }
    return changes.value().token;
}

class PostgresForgeryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
    }

    // A list of the person's own, made through the container by a device of theirs.
    static void makeList(PostgresTestDatabase& db, const QString& person, const QString& name) {
        auto container = Container::openServer(db.uri(person)).value();
        const QString device = person + QStringLiteral("Setup");
        ASSERT_TRUE(
            container->modifyZones(device, DatabaseScope::privateScope, {zone(name)}, {}).ok());
    }
};

TEST_F(PostgresForgeryTest, OnlyTheOwnerOfAListTellsOthersOfItsRemovalAndOnlyOfOneTheyAccepted) {
    PostgresTestDatabase db;
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    for (const char* person : {"ann", "sam"})
        db.addPerson(person);
    makeList(db, "ann", "TB-ann");
    for (const char* name : {"TB-accepted", "TB-invited", "TB-sams"})
        makeList(db, "sam", name);
    auto admin = db.admin();
    ASSERT_FALSE(admin->shareZone("sam", "TB-accepted", "ann", ParticipantPermission::readOnly));
    ASSERT_FALSE(admin->acceptShare("sam", "TB-accepted", "ann"));
    ASSERT_FALSE(admin->shareZone("sam", "TB-invited", "ann", ParticipantPermission::readWrite));

    auto ann = Container::openServer(db.uri("ann")).value();
    const QString privateToken = tokenOf(*ann, "annLaptop", DatabaseScope::privateScope);
    const QString sharedToken = tokenOf(*ann, "annLaptop", DatabaseScope::sharedScope);

    const struct {
        const char* what;
        const char* person;
        const char* scope;
        const char* owner;
        const char* zone;
        bool taken;
    } notices[] = {
        {"Ann's own list, named as Sam's", "ann", "private", "sam", "TB-ann", false},
        {"a list of his Ann was only invited to", "ann", "shared", "sam", "TB-invited", false},
        {"a list of his Ann was never invited to", "ann", "shared", "sam", "TB-sams", false},
        {"a list of his Ann accepted", "ann", "shared", "sam", "TB-accepted", true},
        {"himself, of a list he leaves", "sam", "shared", "ann", "TB-ann", true},
    };
    for (const auto& test : notices) {
        const QString complaint =
            db.run(notice(test.person, test.scope, test.owner, test.zone), QStringLiteral("sam"));
        EXPECT_EQ(complaint.isEmpty(), test.taken) << test.what << ": " << complaint.toStdString();
    }

    // Ann's devices are told of the removal of Sam's list that she accepted, and of nothing
    // else, also of a notice about her own list that a container holds from before.
    ASSERT_EQ(db.run(notice("ann", "private", "sam", "TB-ann")), QString());
    EXPECT_EQ(removedZones(*ann, "annLaptop", DatabaseScope::privateScope, privateToken),
              std::set<QString>{});
    EXPECT_EQ(removedZones(*ann, "annLaptop", DatabaseScope::sharedScope, sharedToken),
              std::set<QString>{"sam/TB-accepted"});
    // Her own removal of her own list still reaches her other devices.
    ASSERT_TRUE(
        ann->modifyZones("annLaptop", DatabaseScope::privateScope, {}, {zone("TB-ann")}).ok());
    EXPECT_EQ(removedZones(*ann, "annDesktop", DatabaseScope::privateScope, privateToken),
              std::set<QString>{QString(currentUserDefaultName) + "/TB-ann"});
}

TEST_F(PostgresForgeryTest, AContainerMadeBeforeRefusesTheNoticeOnceItsAdministratorOpensIt) {
    PostgresTestDatabase db(false);
    ASSERT_TRUE(db.ok()) << db.error().toStdString();
    makeEarlierContainer(db, 3, {"ann", "sam"});
    makeList(db, "ann", "TB-ann");
    auto ann = Container::openServer(db.uri("ann")).value();
    const QString token = tokenOf(*ann, "annLaptop", DatabaseScope::privateScope);

    // The third version took Sam's notice about Ann's own list.
    ASSERT_EQ(db.run(notice("ann", "private", "sam", "TB-ann"), "sam"), QString());

    // The administrator's program opens the container and brings it up to this version.
    ASSERT_TRUE(db.admin()->users().ok());
    EXPECT_EQ(db.value("SELECT value FROM tallybird.meta WHERE key = 'version'"),
              QString::number(cloud::PostgresSchema::version));
    EXPECT_NE(db.run(notice("ann", "private", "sam", "TB-ann"), "sam"), QString());
    // Ann's list stays on her devices, and they go on syncing it.
    EXPECT_EQ(removedZones(*ann, "annLaptop", DatabaseScope::privateScope, token),
              std::set<QString>{});
    auto saved = ann->modifyRecords("annLaptop", DatabaseScope::privateScope,
                                    {note("r1", zone("TB-ann"), "x")}, {});
    ASSERT_TRUE(saved.ok()) << saved.error().message.toStdString();
    EXPECT_TRUE(saved.value().failedRecordSaves.empty());
}

} // namespace
