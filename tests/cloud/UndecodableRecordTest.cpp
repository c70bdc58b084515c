// Bob may write Ann's zone, and with a client of his own he stores bytes there that are no record
// of the row they sit in. Every way the container reads stored records leaves that row out and
// goes on with the rest: Ann's fetches still bring what came after it, her other saves go
// through, and the row is named in the log once.
#include "BackendFixture.h"

#include "support/QStringPrinting.h"

#include <QMutex>

#include <sqlite3.h>

namespace cloudtest {
namespace {

using Code = CloudError::Code;

// The program's log while it lives.
class LogWatch {
public:
    LogWatch() {
        const QMutexLocker lock(&mutex());
        lines().clear();
        previous_ = qInstallMessageHandler(&take);
    }
    ~LogWatch() { qInstallMessageHandler(previous_); }
    // The lines that name a record.
    static int naming(const QString& recordName) {
        const QMutexLocker lock(&mutex());
        return int(lines().filter(QStringLiteral("“%1”").arg(recordName)).size());
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

// Whether a call succeeded; a failure is one of the test's.
template <typename T> bool succeeded(const Result<T>& result) {
    EXPECT_TRUE(result.ok()) << (result.ok() ? std::string()
                                             : result.error().message.toStdString());
    return result.ok();
}

QStringList namesOf(const std::vector<Record>& records) {
    QStringList names;
    for (const Record& record : records)
        names.append(record.recordID().recordName);
    names.sort();
    return names;
}

class UndecodableRecordTest : public BackendTest {
protected:
    // Bob's own client stores `data` as record `name` of Ann's zone TB-1 with plain SQL, taking
    // a change number and touching the zone as the container would.
    void bobStoresRaw(const QString& name, const QByteArray& data) {
        const QString hex = QString::fromLatin1(data.toHex());
        if (onServer()) {
            const QString sql =
                QStringLiteral(
                    "DO $$ DECLARE n bigint; BEGIN PERFORM tallybird.lock_zone('ann', 'TB-1'); "
                    "SELECT tallybird.take_blocks(1) INTO n; "
                    "INSERT INTO tallybird.records VALUES ('ann', 'TB-1', '%1', 'Note', 't0', "
                    "decode('%2', 'hex'), n); "
                    "PERFORM tallybird.touch_zone('ann', 'TB-1', n); END $$")
                    .arg(name, hex);
            ASSERT_EQ(backend->server->run(sql, QStringLiteral("bob")), QString());
            return;
        }
        const QString seq =
            QStringLiteral("(SELECT CAST(value AS INTEGER) FROM meta WHERE key = 'sequence')");
        const QString sql =
            QStringLiteral(
                "BEGIN IMMEDIATE; "
                "UPDATE meta SET value = CAST(value AS INTEGER) + 1 WHERE key = 'sequence'; "
                "INSERT INTO records VALUES ('ann', 'TB-1', '%1', 'Note', 't0', X'%2', %3); "
                "UPDATE zones SET changed_seq = %3 WHERE owner = 'ann' AND name = 'TB-1'; "
                "COMMIT;")
                .arg(name, hex, seq);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(backend->path.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_busy_timeout(db, 10'000);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }
};

TEST_P(UndecodableRecordTest, ARecordThatDoesNotDecodeIsLeftOutAndEverythingElseGoesOn) {
    shareSetUp(ParticipantPermission::readWrite);
    auto annSide = on(QStringLiteral("annLaptop"));
    auto bobSide = on(QStringLiteral("bobLaptop"));
    const QString annDevice = QStringLiteral("annLaptop");
    const QString bobDevice = QStringLiteral("bobLaptop");
    const ZoneID own = zone(QStringLiteral("TB-1"));
    const auto record = [](const QString& name, const QString& zoneName, const char* fields) {
        return QStringLiteral(R"({"type":"Note","name":"%1","zone":"%2","owner":"ann"%3})")
            .arg(name, zoneName, QString::fromLatin1(fields))
            .toUtf8();
    };
    const struct {
        const char* what;
        QByteArray data;
    } cases[] = {
        {"bytes that are not JSON", "not json {"},
        {"JSON that is no record", "[1, 2, 3]"},
        {"a record with no fields", record("bad2", "TB-1", "")},
        {"a field of no kind known", record("bad3", "TB-1", R"(,"fields":{"text":{"blob":1}})")},
        {"the record of another name",
         record("r1", "TB-1", R"(,"fields":{"text":{"text":"bob's"}})")},
        {"the record of another zone",
         record("bad5", "TB-2", R"(,"fields":{"text":{"text":"bob's"}})")},
    };
    const LogWatch log;
    int index = 0;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const QString bad = QStringLiteral("bad%1").arg(index);
        const QString later = QStringLiteral("later%1").arg(index);
        const QString mine = QStringLiteral("mine%1").arg(index);
        ++index;
        auto before = annSide->fetchZoneChanges(annDevice, DatabaseScope::privateScope, own, {});
        ASSERT_TRUE(before.ok()) << before.error().message.toStdString();

        bobStoresRaw(bad, test.data);
        auto honest = bobSide->modifyRecords(bobDevice, DatabaseScope::sharedScope,
                                             {note(later, zone("TB-1", "ann"), "later")}, {});
        ASSERT_TRUE(honest.ok()) << honest.error().message.toStdString();

        // The fetch brings what came after it, and its token passes it.
        auto changes = annSide->fetchZoneChanges(annDevice, DatabaseScope::privateScope, own,
                                                 before.value().token);
        if (succeeded(changes)) {
            EXPECT_EQ(namesOf(changes.value().modifications), QStringList{later});
            auto again = annSide->fetchZoneChanges(annDevice, DatabaseScope::privateScope, own,
                                                   changes.value().token);
            if (succeeded(again)) {
                EXPECT_EQ(namesOf(again.value().modifications), QStringList());
            }
        }

        // A whole fetch has every other record, as it was stored.
        auto whole = annSide->fetchZoneChanges(annDevice, DatabaseScope::privateScope, own, {});
        if (succeeded(whole)) {
            EXPECT_FALSE(namesOf(whole.value().modifications).contains(bad));
            EXPECT_TRUE(namesOf(whole.value().modifications).contains(later));
            for (const Record& one : whole.value().modifications) {
                EXPECT_EQ(one.recordID().zoneID, own);
                if (one.recordID().recordName == QStringLiteral("r1")) {
                    EXPECT_EQ(one.string("text"), QStringLiteral("hello"));
                }
            }
        }

        // Fetched by name, it alone fails.
        auto fetched = annSide->fetchRecords(annDevice, DatabaseScope::privateScope,
                                             {RecordID{bad, own}, RecordID{later, own}});
        if (succeeded(fetched) && fetched.value().size() == 2u) {
            EXPECT_FALSE(fetched.value()[0].second.ok());
            EXPECT_TRUE(fetched.value()[1].second.ok());
        }

        // Met on every one of those ways, it was named once.
        EXPECT_EQ(LogWatch::naming(bad), 1);

        // The participant and the administrator read the rest as well.
        auto onBobs = bobSide->fetchZoneChanges(bobDevice, DatabaseScope::sharedScope,
                                                zone("TB-1", "ann"), {});
        if (succeeded(onBobs)) {
            EXPECT_FALSE(namesOf(onBobs.value().modifications).contains(bad));
        }
        auto stored = c->records(QStringLiteral("ann"), QStringLiteral("TB-1"));
        if (succeeded(stored)) {
            EXPECT_FALSE(namesOf(stored.value()).contains(bad));
        }

        // Ann may still delete what she cannot read.
        auto deleted = annSide->modifyRecords(annDevice, DatabaseScope::privateScope, {},
                                              {RecordID{bad, own}});
        ASSERT_TRUE(deleted.ok()) << deleted.error().message.toStdString();
        EXPECT_EQ(deleted.value().deletedRecordIDs.size(), 1u);
    }
}

// A save over a stored version that does not decode replaces it, whatever change tag it names,
// when the saver may write the zone: there is nothing to merge, and no save could ever name the
// tag of what is there. One who may only read the zone is refused, and the bytes stay.
TEST_P(UndecodableRecordTest, ASaveOverARecordThatDoesNotDecodeReplacesItWhenTheSaverMayWrite) {
    shareSetUp(ParticipantPermission::readWrite);
    auto annSide = on(QStringLiteral("annLaptop"));
    auto bobSide = on(QStringLiteral("bobLaptop"));
    const QString annDevice = QStringLiteral("annLaptop");
    const QString bobDevice = QStringLiteral("bobLaptop");
    const ZoneID own = zone(QStringLiteral("TB-1"));
    const ZoneID shared = zone(QStringLiteral("TB-1"), QStringLiteral("ann"));
    const struct {
        const char* what;
        bool byOwner;
        std::optional<QString> tag; // the change tag the save names
        bool readOnly;              // the saver may only read the zone
    } cases[] = {
        {"the owner, naming the tag she had", true, QStringLiteral("t1"), false},
        {"the owner, as a new record", true, std::nullopt, false},
        {"a participant who may write", false, QStringLiteral("t1"), false},
        {"a participant who may only read", false, std::nullopt, true},
    };
    const LogWatch log;
    int index = 0;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const QString name = QStringLiteral("over%1").arg(index++);
        bobStoresRaw(name, "\x02 no record");
        if (test.readOnly) {
            ASSERT_FALSE(c->setParticipantPermission(QStringLiteral("ann"), QStringLiteral("TB-1"),
                                                     QStringLiteral("bob"),
                                                     ParticipantPermission::readOnly));
        }
        Record record = note(name, test.byOwner ? own : shared, "repaired");
        if (test.tag)
            record.setChangeTag(*test.tag);
        auto saved = (test.byOwner ? annSide : bobSide)
                         ->modifyRecords(test.byOwner ? annDevice : bobDevice,
                                         test.byOwner ? DatabaseScope::privateScope
                                                      : DatabaseScope::sharedScope,
                                         {record}, {});
        ASSERT_TRUE(saved.ok()) << saved.error().message.toStdString();
        auto whole = annSide->fetchZoneChanges(annDevice, DatabaseScope::privateScope, own, {});
        ASSERT_TRUE(whole.ok()) << whole.error().message.toStdString();
        const auto stored =
            std::find_if(whole.value().modifications.begin(), whole.value().modifications.end(),
                         [&](const Record& one) { return one.recordID().recordName == name; });
        if (test.readOnly) {
            ASSERT_EQ(saved.value().failedRecordSaves.size(), 1u);
            EXPECT_EQ(saved.value().failedRecordSaves[0].second.code, Code::permissionFailure);
            EXPECT_EQ(stored, whole.value().modifications.end());
            EXPECT_EQ(whole.value().undecodable.size(), 1u);
            continue;
        }
        EXPECT_EQ(namesOf(saved.value().savedRecords), QStringList{name});
        EXPECT_TRUE(saved.value().failedRecordSaves.empty());
        ASSERT_NE(stored, whole.value().modifications.end());
        EXPECT_EQ(stored->string("text"), QStringLiteral("repaired"));
        EXPECT_TRUE(whole.value().undecodable.empty());
    }
}

// A fetch names the records it left out, so that a device holding one of them may save its
// own over it; the token passes them all the same.
TEST_P(UndecodableRecordTest, AFetchNamesTheRecordsItLeftOut) {
    shareSetUp(ParticipantPermission::readWrite);
    auto annSide = on(QStringLiteral("annLaptop"));
    auto bobSide = on(QStringLiteral("bobLaptop"));
    const ZoneID own = zone(QStringLiteral("TB-1"));
    auto before = annSide->fetchZoneChanges(QStringLiteral("annLaptop"),
                                            DatabaseScope::privateScope, own, {});
    ASSERT_TRUE(before.ok()) << before.error().message.toStdString();
    EXPECT_TRUE(before.value().undecodable.empty());
    bobStoresRaw(QStringLiteral("junk"), "not json {");
    const struct {
        const char* what;
        std::shared_ptr<Container> side;
        QString device;
        DatabaseScope scope;
        ZoneID zone;
    } sides[] = {
        {"the owner", annSide, QStringLiteral("annLaptop"), DatabaseScope::privateScope, own},
        {"the participant", bobSide, QStringLiteral("bobLaptop"), DatabaseScope::sharedScope,
         zone(QStringLiteral("TB-1"), QStringLiteral("ann"))},
    };
    for (const auto& side : sides) {
        SCOPED_TRACE(side.what);
        for (const std::optional<QString>& token :
             {std::optional<QString>(), std::optional<QString>(before.value().token)}) {
            auto changes = side.side->fetchZoneChanges(side.device, side.scope, side.zone, token);
            ASSERT_TRUE(changes.ok()) << changes.error().message.toStdString();
            ASSERT_EQ(changes.value().undecodable.size(), 1u);
            EXPECT_EQ(changes.value().undecodable[0], (RecordID{"junk", side.zone}));
            auto after = side.side->fetchZoneChanges(side.device, side.scope, side.zone,
                                                     changes.value().token);
            ASSERT_TRUE(after.ok()) << after.error().message.toStdString();
            EXPECT_TRUE(after.value().undecodable.empty());
        }
    }
}

TEST_P(UndecodableRecordTest, TheOwnersEngineFetchesPastItAndItsDeletionStillReachesEveryone) {
    shareSetUp(ParticipantPermission::readWrite);
    ASSERT_FALSE(fetch(ann.e()));
    ASSERT_FALSE(fetch(bob.e()));
    bobStoresRaw(QStringLiteral("junk"), "\x01\x02 not a record");
    queueSaves(bob.e(), bob.d(), {note("later", zone("TB-1", "ann"), "later")});
    ASSERT_FALSE(send(bob.e()));

    // Ann's next fetch ends without an error and brings the later record.
    ann.d().events.clear();
    EXPECT_FALSE(fetch(ann.e()));
    EXPECT_EQ(namesOf(ann.d().fetchedRecords()), QStringList{"later"});

    // Ann may still delete what she cannot read; Bob's device hears of it.
    ann.e().state().add(
        {PendingRecordZoneChange::deleteRecord(RecordID{"junk", zone(QStringLiteral("TB-1"))})});
    ASSERT_FALSE(send(ann.e()));
    bob.d().events.clear();
    EXPECT_FALSE(fetch(bob.e()));
    const auto deletions = bob.d().eventsOf<SyncEvents::FetchedRecordZoneChanges>();
    ASSERT_EQ(deletions.size(), 1u);
    ASSERT_EQ(deletions[0].deletions.size(), 1u);
    EXPECT_EQ(deletions[0].deletions[0].recordID.recordName, QStringLiteral("junk"));
}

INSTANTIATE_TEST_SUITE_P(Backends, UndecodableRecordTest,
                         ::testing::Values(Storage::sqlite, Storage::postgres), backendName);

} // namespace
} // namespace cloudtest
