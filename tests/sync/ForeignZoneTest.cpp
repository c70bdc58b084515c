// Records are known by their zone (owner and name) and their name together. On a server, Sam,
// whom Ann lets read one of her lists, writes with his own role into zones of his own whatever
// names he likes, shares them with Ann, and then deletes them: nothing of Ann's changes or goes,
// while what Ann and Bob share honestly keeps working.
#include "SyncTestSupport.h"

#include "support/PostgresTestServer.h"
#include "sync/ListCloudMapping.h"

#include <QMutex>

#include <map>

namespace synctest {
namespace {

using namespace cloud;
namespace Mapping = ListCloudMapping;

// The program's log while it lives.
class LogWatch {
public:
    LogWatch() {
        lines().clear();
        previous_ = qInstallMessageHandler(&take);
    }
    ~LogWatch() { qInstallMessageHandler(previous_); }
    static QStringList said() {
        const QMutexLocker lock(&mutex());
        return lines();
    }

private:
    static void take(QtMsgType, const QMessageLogContext&, const QString& message) {
        const QMutexLocker lock(&mutex());
        lines().append(message);
    }
    static QStringList& lines() {
        static QStringList all;
        return all;
    }
    static QMutex& mutex() {
        static QMutex one;
        return one;
    }
    QtMessageHandler previous_ = nullptr;
};

class ForeignZoneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        TALLYBIRD_REQUIRE_POSTGRES();
        db = std::make_unique<testsupport::PostgresTestDatabase>();
        ASSERT_TRUE(db->ok()) << db->error().toStdString();
        admin = db->admin();
        for (const char* person : {"ann", "sam", "bob"})
            db->addPerson(person);
        const std::pair<const char*, const char*> devices[] = {
            {"annLaptop", "ann"}, {"annDesktop", "ann"}, {"bobLaptop", "bob"}};
        for (const auto& [device, person] : devices)
            ASSERT_FALSE(admin->signIn(device, person));
        ann = std::make_unique<Device>(role("ann"), "annLaptop");
    }

    std::shared_ptr<Container> role(const QString& person) {
        auto& made = roles[person];
        if (!made)
            made = Container::openServer(db->uri(person)).value();
        return made;
    }
    void share(const QString& owner, const QString& zone, const QString& with,
               ParticipantPermission permission) {
        ASSERT_FALSE(admin->shareZone(owner, zone, with, permission));
        ASSERT_FALSE(admin->acceptShare(owner, zone, with));
    }
    // Sam's own role, as a client of his own making would use it.
    void samWrites(const QString& zone, const std::vector<Record>& saves,
                   const std::vector<RecordID>& deletes = {}) {
        const ZoneID own{zone, currentUserDefaultName};
        ASSERT_TRUE(
            role("sam")->modifyZones("samShell", DatabaseScope::privateScope, {own}, {}).ok());
        const auto done =
            role("sam")->modifyRecords("samShell", DatabaseScope::privateScope, saves, deletes);
        ASSERT_TRUE(done.ok() && done.value().failedRecordSaves.empty() &&
                    done.value().failedRecordDeletes.empty());
    }
    QString serverText(const QString& owner, const QString& zone, const QString& name) {
        const auto records = admin->records(owner, zone);
        for (const Record& record : records.ok() ? records.value() : std::vector<Record>()) {
            if (record.recordID().recordName == name)
                return record.string("text").value_or("") +
                       " done=" + QString::number(record.integer("done").value_or(0));
        }
        return "none";
    }

    std::unique_ptr<testsupport::PostgresTestDatabase> db;
    std::shared_ptr<Container> admin;
    std::map<QString, std::shared_ptr<Container>> roles;
    std::unique_ptr<Device> ann;
};

TEST_F(ForeignZoneTest, NothingFromAnotherPersonsZoneChangesOrRemovesAnnsListsAndItems) {
    ListStore& store = ann->store();
    const QString secret = store.addList("Ann secret").id;
    const QString pin = store.addItem(secret, "pin 1234").value().id;
    const QString gone = store.addItem(secret, "old pin").value().id;
    store.deleteItem(gone);
    ASSERT_FALSE(ann->syncNow());
    const QString annZone = CloudLayout::listZoneName(secret);
    share("ann", annZone, "sam", ParticipantPermission::readOnly);
    share("ann", annZone, "bob", ParticipantPermission::readWrite);
    ASSERT_FALSE(ann->syncNow());
    const TBList annList = *store.findList(secret);
    const QStringList annLines = contents(store).filter(secret);

    const QString samList = "SAM-LIST";
    const QString samZone = CloudLayout::listZoneName(samList);
    const auto item = [](const QString& id, const QString& listID, const QString& text) {
        return Mapping::record(TBItem{id, listID, text, false, 0, false, std::nullopt, ""},
                               std::nullopt, std::nullopt);
    };
    TBList samsOwn;
    samsOwn.id = samList;
    samsOwn.name = "Sam's list";
    TBList posing = annList;
    posing.name = "HIJACKED";
    const Date now = ann->clock.now();
    struct Step {
        const char* what;
        std::function<void()> act;
    };
    const Step steps[] = {
        {"a zone of Sam's own holding a record named after Ann's item",
         [&] {
             samWrites(samZone,
                       {Mapping::record(samsOwn, std::nullopt),
                        item(pin, samList, "HIJACKED by sam"), item("TEA", samList, "tea")});
             share("sam", samZone, "ann", ParticipantPermission::readOnly);
         }},
        {"a zone of Sam's named after Ann's list, with a list, her item and an item of his",
         [&] {
             samWrites(annZone,
                       {Mapping::record(posing, std::nullopt), item(pin, secret, "HIJACKED by sam"),
                        item("PLANTED", secret, "planted")});
             share("sam", annZone, "ann", ParticipantPermission::readWrite);
         }},
        {"deletions of Ann's item and of her deleted item in Sam's zone",
         [&] {
             samWrites(samZone, {Mapping::tombstoneRecord(pin, samList, std::nullopt, now),
                                 Mapping::tombstoneRecord(gone, samList, std::nullopt, now)});
         }},
        {"groups in a zone of Sam's named like Ann's groups zone",
         [&] {
             samWrites(CloudLayout::metaZoneName,
                       {Mapping::record(secret, "Hijacked", std::nullopt)});
             share("sam", CloudLayout::metaZoneName, "ann", ParticipantPermission::readOnly);
         }},
        {"Sam deletes his records named after Ann's items",
         [&] {
             const ZoneID own{samZone, currentUserDefaultName};
             samWrites(samZone, {},
                       {RecordID{pin, own}, RecordID{CloudLayout::tombstoneRecordName(gone), own}});
         }},
        {"Sam deletes his zones named after Ann's list and groups",
         [&] {
             const auto done = role("sam")->modifyZones(
                 "samShell", DatabaseScope::privateScope, {},
                 {ZoneID{annZone, currentUserDefaultName},
                  ZoneID{CloudLayout::metaZoneName, currentUserDefaultName}});
             ASSERT_TRUE(done.ok() && done.value().failedZoneDeletes.empty());
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const LogWatch log;
        step.act();
        ASSERT_FALSE(ann->syncNow());
        ASSERT_NE(store.findList(secret), nullptr);
        EXPECT_EQ(*store.findList(secret), annList);
        EXPECT_EQ(contents(store).filter(secret), annLines);
        EXPECT_TRUE(store.filings().isEmpty());
        EXPECT_EQ(store.tombstones().value(gone).listID, secret);
        EXPECT_EQ(serverText("ann", annZone, pin), "pin 1234 done=0");
        EXPECT_FALSE(LogWatch::said().filter("Sync: ").isEmpty()) << "nothing said in the log";
    }
    // Sam's own list arrived with what is his.
    ASSERT_NE(store.findList(samList), nullptr);
    EXPECT_EQ(store.findList(samList)->zoneOwnerName, "sam");
    ASSERT_NE(store.findItem("TEA"), nullptr);
    EXPECT_EQ(store.findItem("TEA")->listID, samList);

    // A tick reaches Ann's own record, even from a store that an older version left holding
    // Sam's record as the server's copy of her item; Bob, who may write, edits her list as
    // before.
    store.setArchive(
        CloudLayout::itemArchiveKey(pin),
        CloudSync::archive(item(pin, samList, "HIJACKED by sam").withZoneOwner("sam")));
    store.setDone(pin, true);
    ASSERT_FALSE(ann->syncNow()); // meets the server's copy of her record, and merges it
    ASSERT_FALSE(ann->syncNow());
    EXPECT_EQ(serverText("ann", annZone, pin), "pin 1234 done=1");
    Device bob(role("bob"), "bobLaptop");
    ASSERT_FALSE(bob.syncNow());
    bob.store().renameItem(pin, "pin 5678");
    ASSERT_FALSE(bob.syncNow());
    ASSERT_FALSE(ann->syncNow());
    ASSERT_NE(store.findItem(pin), nullptr);
    EXPECT_EQ(store.findItem(pin)->text, "pin 5678");

    // A second device of Ann's holds what the first does.
    Device desktop(role("ann"), "annDesktop");
    ASSERT_FALSE(desktop.syncNow());
    EXPECT_EQ(contents(desktop.store()), contents(store));
}

} // namespace
} // namespace synctest
