#include "BackendFixture.h"

#include "cloud/WorkerPool.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>

using namespace cloudtest;
using Code = CloudError::Code;

namespace {

class SyncEngineTest : public BackendTest {};

std::vector<QString> names(const std::vector<Record>& records) {
    std::vector<QString> out;
    for (const Record& r : records)
        out.push_back(r.recordID().recordName);
    return out;
}

const ZoneID listZone = zone(QStringLiteral("TB-L"));

// Runs the event loop until `done` holds or `ms` pass; false when they passed. Deferred
// deletions take their turn among the queued calls, as in a running loop: QTest's waits flush
// them ahead of the calls, which drops a completion queued on an object deleted later.
bool loopUntil(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace

TEST_P(SyncEngineTest, SendThenFetchOnAnotherDeviceRoundTrips) {
    auto mac = device(QStringLiteral("mac"));
    auto laptop = device(QStringLiteral("laptop"));
    queueSaves(mac.e(), mac.d(),
               {note(QStringLiteral("a"), listZone, QStringLiteral("one")),
                note(QStringLiteral("b"), listZone, QStringLiteral("two")),
                note(QStringLiteral("c"), listZone, QStringLiteral("three"))});
    ASSERT_FALSE(send(mac.e()));

    EXPECT_TRUE(mac.e().state().pendingRecordZoneChanges().empty());
    EXPECT_TRUE(mac.e().state().pendingDatabaseChanges().empty());
    auto sentZones = mac.d().eventsOf<SyncEvents::SentDatabaseChanges>();
    ASSERT_EQ(sentZones.size(), 1u);
    EXPECT_EQ(sentZones[0].savedZones, std::vector<ZoneID>{listZone});
    const auto saved = mac.d().savedRecords();
    ASSERT_EQ(saved.size(), 3u);
    for (const Record& r : saved)
        EXPECT_TRUE(r.changeTag());

    ASSERT_FALSE(fetch(laptop.e()));
    auto zones = laptop.d().eventsOf<SyncEvents::FetchedDatabaseChanges>();
    ASSERT_EQ(zones.size(), 1u);
    EXPECT_EQ(zones[0].modifications, std::vector<ZoneID>{listZone});
    const auto fetched = laptop.d().fetchedRecords();
    EXPECT_EQ(names(fetched), (std::vector<QString>{"a", "b", "c"}));
    EXPECT_EQ(fetched[1].string(QStringLiteral("text")), QStringLiteral("two"));
    EXPECT_EQ(fetched[1].changeTag(), saved[1].changeTag());

    // Nothing new: the saved tokens give an empty fetch.
    laptop.d().events.clear();
    ASSERT_FALSE(fetch(laptop.e()));
    EXPECT_TRUE(laptop.d().fetchedRecords().empty());
    EXPECT_TRUE(laptop.d().eventsOf<SyncEvents::FetchedDatabaseChanges>().empty());

    // An edit of b twice, then a delete of c: b comes once in its newest version.
    Record b = mac.d().records.at(RecordID{"b", listZone});
    b.set(QStringLiteral("text"), QStringLiteral("two!"));
    mac.d().records.insert_or_assign(b.recordID(), b);
    mac.e().state().add({PendingRecordZoneChange::saveRecord(b.recordID())});
    ASSERT_FALSE(send(mac.e()));
    b = mac.d().records.at(b.recordID());
    b.set(QStringLiteral("text"), QStringLiteral("two!!"));
    mac.d().records.insert_or_assign(b.recordID(), b);
    mac.e().state().add({PendingRecordZoneChange::saveRecord(b.recordID()),
                         PendingRecordZoneChange::deleteRecord(RecordID{"c", listZone})});
    ASSERT_FALSE(send(mac.e()));

    laptop.d().events.clear();
    ASSERT_FALSE(fetch(laptop.e()));
    const auto changed = laptop.d().fetchedRecords();
    ASSERT_EQ(names(changed), std::vector<QString>{"b"});
    EXPECT_EQ(changed[0].string(QStringLiteral("text")), QStringLiteral("two!!"));
    auto deletions = laptop.d().eventsOf<SyncEvents::FetchedRecordZoneChanges>()[0].deletions;
    ASSERT_EQ(deletions.size(), 1u);
    EXPECT_EQ(deletions[0].recordID, (RecordID{"c", listZone}));
    EXPECT_EQ(deletions[0].recordType, QStringLiteral("Note"));
}

TEST_P(SyncEngineTest, EventsArriveInOrderWithMarkers) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("x"))});
    ASSERT_FALSE(send(mac.e()));
    ASSERT_FALSE(fetch(mac.e()));
    std::vector<size_t> kinds;
    for (const auto& event : mac.d().events) {
        if (!std::holds_alternative<SyncEvents::StateUpdate>(event))
            kinds.push_back(event.index());
    }
    const std::vector<size_t> expected{
        SyncEngineEvent(SyncEvents::AccountChange{}).index(),
        SyncEngineEvent(SyncEvents::WillSendChanges{}).index(),
        SyncEngineEvent(SyncEvents::SentDatabaseChanges{}).index(),
        SyncEngineEvent(SyncEvents::SentRecordZoneChanges{}).index(),
        SyncEngineEvent(SyncEvents::DidSendChanges{}).index(),
        SyncEngineEvent(SyncEvents::WillFetchChanges{}).index(),
        SyncEngineEvent(SyncEvents::FetchedDatabaseChanges{}).index(),
        SyncEngineEvent(SyncEvents::WillFetchRecordZoneChanges{}).index(),
        SyncEngineEvent(SyncEvents::FetchedRecordZoneChanges{}).index(),
        SyncEngineEvent(SyncEvents::DidFetchRecordZoneChanges{}).index(),
        SyncEngineEvent(SyncEvents::DidFetchChanges{}).index(),
    };
    EXPECT_EQ(kinds, expected);
}

TEST_P(SyncEngineTest, RecordsGoInBatchesEachChangeOnce) {
    auto mac = device(QStringLiteral("mac"), DatabaseScope::privateScope, 3);
    std::vector<Record> records;
    for (int i = 0; i < 8; ++i)
        records.push_back(note(QString::number(i), listZone, QStringLiteral("x")));
    queueSaves(mac.e(), mac.d(), records);
    ASSERT_FALSE(send(mac.e()));
    auto sent = mac.d().eventsOf<SyncEvents::SentRecordZoneChanges>();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].savedRecords.size(), 3u);
    EXPECT_EQ(sent[1].savedRecords.size(), 3u);
    EXPECT_EQ(sent[2].savedRecords.size(), 2u);
    EXPECT_EQ(mac.d().savedRecords().size(), 8u);
}

// A call the container cut short at its bound kept nothing: it goes again halved, and no later
// call is larger, also in the engine's next run, until everything is sent.
TEST_P(SyncEngineTest, ACallCutShortGoesAgainHalvedAndNoLaterCallIsLargerUntilAllIsSent) {
    auto mac = device(QStringLiteral("mac"), DatabaseScope::privateScope, 8);
    std::vector<Record> records;
    for (int i = 0; i < 10; ++i)
        records.push_back(note(QString::number(i), zone(QStringLiteral("TB-%1").arg(i)), "x"));
    queueSaves(mac.e(), mac.d(), records);
    ASSERT_FALSE(c->injectFault(QStringLiteral("mac"), {}, Code::limitExceeded, 1));
    std::optional<int> nextRun;
    mac.d().onEvent = [&](const SyncEngineEvent& event, SyncEngine& engine) {
        if (std::holds_alternative<SyncEvents::SentRecordZoneChanges>(event) && !nextRun)
            nextRun =
                SyncEngineState(StateSerialization::fromData(engine.state().serialization().data()))
                    .stepLimit()
                    .value_or(0);
    };
    ASSERT_FALSE(send(mac.e()));
    std::vector<size_t> zoneCalls;
    for (const auto& sent : mac.d().eventsOf<SyncEvents::SentDatabaseChanges>())
        zoneCalls.push_back(sent.savedZones.size());
    EXPECT_EQ(zoneCalls, (std::vector<size_t>{4, 4, 2}));
    EXPECT_EQ(mac.d().offeredSizes, (std::vector<int>{4, 4, 2}));
    EXPECT_EQ(nextRun, 4);
    EXPECT_EQ(mac.d().savedRecords().size(), 10u);
    EXPECT_EQ(mac.e().state().stepLimit(), std::nullopt);

    // A call of records cut short: the batch that goes instead names it, so that what its owner
    // noted of it goes, and only that one.
    std::vector<PendingRecordZoneChange> again;
    for (const Record& record : records)
        again.push_back(PendingRecordZoneChange::saveRecord(record.recordID()));
    mac.e().state().add(again);
    mac.d().offeredSends.clear();
    ASSERT_FALSE(c->injectFault(QStringLiteral("mac"), {}, Code::limitExceeded, 1));
    ASSERT_FALSE(send(mac.e()));
    const auto& sends = mac.d().offeredSends;
    ASSERT_EQ(sends.size(), 4u); // 8 cut short, then 4, 4 and 2
    EXPECT_TRUE(sends[0].second.isEmpty());
    EXPECT_EQ(sends[1].second, sends[0].first);
    EXPECT_NE(sends[1].first, sends[0].first);
    EXPECT_TRUE(sends[2].second.isEmpty());
    EXPECT_TRUE(sends[3].second.isEmpty());
}

// A first send holds many changes: each batch is offered no more than it sends, and a batch that
// fails stays pending, so the next call sends it and the rest, each record once.
TEST_P(SyncEngineTest, ManyChangesAreOfferedABatchAtATimeAndAFailedBatchGoesAgain) {
    auto mac = device(QStringLiteral("mac"), DatabaseScope::privateScope, 3);
    std::vector<Record> records;
    std::vector<QString> all;
    for (int i = 0; i < 10; ++i) {
        records.push_back(note(QString::number(i), listZone, QStringLiteral("x")));
        all.push_back(QString::number(i));
    }
    queueSaves(mac.e(), mac.d(), records);
    mac.d().onEvent = [&](const SyncEngineEvent& event, SyncEngine&) {
        if (std::holds_alternative<SyncEvents::SentRecordZoneChanges>(event)) {
            ASSERT_FALSE(c->injectFault(QStringLiteral("mac"), {}, Code::networkUnavailable, 1));
        }
    };
    const auto error = send(mac.e());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, Code::networkUnavailable);
    std::vector<QString> saved = names(mac.d().savedRecords());
    std::sort(saved.begin(), saved.end());
    EXPECT_EQ(saved, (std::vector<QString>{"0", "1", "2"}));
    EXPECT_EQ(mac.e().state().pendingRecordZoneChanges().size(), 7u);

    mac.d().onEvent = nullptr;
    ASSERT_FALSE(send(mac.e()));
    saved = names(mac.d().savedRecords());
    std::sort(saved.begin(), saved.end());
    EXPECT_EQ(saved, all);
    EXPECT_TRUE(mac.e().state().pendingRecordZoneChanges().empty());
    EXPECT_EQ(mac.d().offeredSizes, (std::vector<int>{3, 3, 3, 3, 1}));
}

TEST_P(SyncEngineTest, ChangesLeavePendingBeforeTheEventAndARequeueWaitsForTheNextCall) {
    auto mac = device(QStringLiteral("mac"));
    auto other = device(QStringLiteral("other"));
    queueSaves(other.e(), other.d(),
               {note(QStringLiteral("a"), listZone, QStringLiteral("theirs"))});
    ASSERT_FALSE(send(other.e()));

    // A new record over one the server has: a conflict carrying the server's copy.
    queueSaves(mac.e(), mac.d(),
               {note(QStringLiteral("a"), listZone, QStringLiteral("mine")),
                note(QStringLiteral("b"), listZone, QStringLiteral("fine"))});
    int requeues = 0;
    mac.d().onEvent = [&](const SyncEngineEvent& event, SyncEngine& engine) {
        const auto* sent = std::get_if<SyncEvents::SentRecordZoneChanges>(&event);
        if (!sent)
            return;
        EXPECT_TRUE(engine.state().pendingRecordZoneChanges().empty());
        for (const auto& [record, error] : sent->failedRecordSaves) {
            ASSERT_TRUE(error.serverRecord);
            Record merged = *error.serverRecord;
            merged.set(QStringLiteral("text"), QStringLiteral("merged"));
            mac.d().records.insert_or_assign(merged.recordID(), merged);
            engine.state().add({PendingRecordZoneChange::saveRecord(record.recordID())});
            ++requeues;
        }
    };
    ASSERT_FALSE(send(mac.e()));
    auto failed = mac.d().failedSaves();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].second.code, Code::serverRecordChanged);
    EXPECT_EQ(failed[0].second.serverRecord->string(QStringLiteral("text")),
              QStringLiteral("theirs"));
    EXPECT_EQ(names(mac.d().savedRecords()), std::vector<QString>{"b"});
    EXPECT_EQ(requeues, 1);
    EXPECT_EQ(mac.e().state().pendingRecordZoneChanges().size(), 1u);

    // The next call sends the merge on top of the server's copy.
    mac.d().onEvent = nullptr;
    ASSERT_FALSE(send(mac.e()));
    EXPECT_EQ(mac.d().failedSaves().size(), 1u);
    auto stored = c->records(Container::defaultUserName, QStringLiteral("TB-L")).value();
    auto it = std::find_if(stored.begin(), stored.end(),
                           [](const Record& r) { return r.recordID().recordName == "a"; });
    ASSERT_NE(it, stored.end());
    EXPECT_EQ(it->string(QStringLiteral("text")), QStringLiteral("merged"));
}

TEST_P(SyncEngineTest, AMissingRecordDropsItsChange) {
    auto mac = device(QStringLiteral("mac"));
    mac.e().state().add({PendingDatabaseChange::saveZone(listZone)});
    mac.e().state().add({PendingRecordZoneChange::saveRecord(RecordID{"ghost", listZone})});
    ASSERT_FALSE(send(mac.e()));
    EXPECT_TRUE(mac.e().state().pendingRecordZoneChanges().empty());
    EXPECT_TRUE(mac.d().savedRecords().empty());
}

TEST_P(SyncEngineTest, ConflictRulesOfTheServer) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("v1"))});
    ASSERT_FALSE(send(mac.e()));
    const Record current = mac.d().records.at(RecordID{"a", listZone});

    Record stale = current;
    stale.setChangeTag(QStringLiteral("t0"));
    Record taggedMissing = note(QStringLiteral("nope"), listZone, QStringLiteral("x"));
    taggedMissing.setChangeTag(current.changeTag());
    Record noZone = note(QStringLiteral("z"), zone(QStringLiteral("TB-none")), QStringLiteral("x"));
    Record reserved = Record::zoneWideShare(listZone);
    struct Case {
        Record record;
        Code code;
    };
    const std::vector<Case> cases{{stale, Code::serverRecordChanged},
                                  {note("a", listZone, "untagged"), Code::serverRecordChanged},
                                  {taggedMissing, Code::unknownItem},
                                  {noZone, Code::zoneNotFound},
                                  {reserved, Code::permissionFailure}};
    for (const Case& test : cases) {
        auto result = on(QStringLiteral("mac"))
                          ->modifyRecords(QStringLiteral("mac"), DatabaseScope::privateScope,
                                          {test.record}, {});
        ASSERT_TRUE(result.ok());
        ASSERT_EQ(result.value().failedRecordSaves.size(), 1u)
            << test.record.recordID().recordName.toStdString();
        const CloudError& error = result.value().failedRecordSaves[0].second;
        EXPECT_EQ(error.code, test.code) << test.record.recordID().recordName.toStdString();
        if (test.code == Code::serverRecordChanged) {
            ASSERT_TRUE(error.serverRecord);
            EXPECT_EQ(error.serverRecord->changeTag(), current.changeTag());
            EXPECT_EQ(error.serverRecord->recordID().zoneID.ownerName, currentUserDefaultName);
        }
    }

    // The current tag saves, replaces the whole field set and issues a new tag.
    Record update(QStringLiteral("Note"), current.recordID());
    update.setChangeTag(current.changeTag());
    update.set(QStringLiteral("other"), qint64(5));
    auto result =
        on(QStringLiteral("mac"))
            ->modifyRecords(QStringLiteral("mac"), DatabaseScope::privateScope, {update}, {});
    ASSERT_EQ(result.value().savedRecords.size(), 1u);
    EXPECT_NE(result.value().savedRecords[0].changeTag(), current.changeTag());
    auto fetched = mac.e().database().recordNow(current.recordID());
    ASSERT_TRUE(fetched.ok());
    EXPECT_FALSE(fetched.value().contains(QStringLiteral("text")));
    EXPECT_EQ(fetched.value().integer(QStringLiteral("other")), 5);
}

TEST_P(SyncEngineTest, DirectLookUpsGiveAResultPerId) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("v1"))});
    ASSERT_FALSE(send(mac.e()));
    const Database db = mac.e().database();
    EXPECT_EQ(db.recordNow(RecordID{"missing", listZone}).error().code, Code::unknownItem);
    EXPECT_EQ(db.recordNow(RecordID{"a", zone("TB-gone")}).error().code, Code::zoneNotFound);

    std::optional<Result<Database::RecordResults>> results;
    QObject context;
    wait([&](SyncEngine::Completion done) {
        db.fetchRecords({RecordID{"a", listZone}, RecordID{"b", listZone}}, &context,
                        [&, done](Result<Database::RecordResults> r) {
                            results = r;
                            done(std::nullopt);
                        });
    });
    ASSERT_TRUE(results && results->ok());
    ASSERT_EQ(results->value().size(), 2u);
    EXPECT_TRUE(results->value()[0].second.ok());
    EXPECT_EQ(results->value()[1].second.error().code, Code::unknownItem);
}

TEST_P(SyncEngineTest, SharedZoneReachesTheParticipantAndItsDeletionToo) {
    shareSetUp(ParticipantPermission::readWrite);
    ASSERT_FALSE(fetch(bob.e()));
    const ZoneID annZone{QStringLiteral("TB-1"), QStringLiteral("ann")};
    auto zones = bob.d().eventsOf<SyncEvents::FetchedDatabaseChanges>();
    ASSERT_EQ(zones.size(), 1u);
    EXPECT_EQ(zones[0].modifications, std::vector<ZoneID>{annZone});
    const auto fetched = bob.d().fetchedRecords();
    ASSERT_EQ(fetched.size(), 2u); // the note and the share
    const auto share =
        std::find_if(fetched.begin(), fetched.end(), [](const Record& r) { return r.isShare(); });
    ASSERT_NE(share, fetched.end());
    EXPECT_EQ(share->recordID().zoneID, annZone);
    ASSERT_TRUE(share->share()->currentUserParticipant());
    EXPECT_EQ(share->share()->currentUserParticipant()->permission,
              ParticipantPermission::readWrite);
    EXPECT_EQ(share->share()->owner()->userIdentity.userRecordName, QStringLiteral("ann"));

    // bob writes into ann's zone; ann sees it in her own zone.
    queueSaves(bob.e(), bob.d(), {note(QStringLiteral("r2"), annZone, QStringLiteral("from bob"))});
    bob.e().state().remove(bob.e().state().pendingDatabaseChanges());
    ASSERT_FALSE(send(bob.e()));
    EXPECT_EQ(bob.d().savedRecords().size(), 1u);
    ASSERT_FALSE(fetch(ann.e()));
    auto annSees = ann.d().fetchedRecords();
    EXPECT_TRUE(std::any_of(annSees.begin(), annSees.end(), [](const Record& r) {
        return r.recordID().recordName == "r2" &&
               r.recordID().zoneID.ownerName == currentUserDefaultName;
    }));

    // ann deletes the zone; bob learns it went.
    ann.e().state().add({PendingDatabaseChange::deleteZone(zone(QStringLiteral("TB-1")))});
    ASSERT_FALSE(send(ann.e()));
    bob.d().events.clear();
    ASSERT_FALSE(fetch(bob.e()));
    auto gone = bob.d().eventsOf<SyncEvents::FetchedDatabaseChanges>();
    ASSERT_EQ(gone.size(), 1u);
    ASSERT_EQ(gone[0].deletions.size(), 1u);
    EXPECT_EQ(gone[0].deletions[0].zoneID, annZone);
    EXPECT_EQ(gone[0].deletions[0].reason, ZoneDeletionReason::deleted);
    EXPECT_EQ(bob.e().database().recordNow(RecordID{"r1", annZone}).error().code,
              Code::zoneNotFound);
}

TEST_P(SyncEngineTest, ReadOnlyParticipantsAreRefused) {
    shareSetUp(ParticipantPermission::readOnly);
    const ZoneID annZone{QStringLiteral("TB-1"), QStringLiteral("ann")};
    ASSERT_FALSE(fetch(bob.e()));
    Record r1 = bob.d().fetchedRecords().front();
    if (r1.isShare())
        r1 = bob.d().fetchedRecords().back();
    r1.set(QStringLiteral("text"), QStringLiteral("edited"));
    bob.d().records.insert_or_assign(r1.recordID(), r1);
    bob.e().state().add({PendingRecordZoneChange::saveRecord(r1.recordID()),
                         PendingRecordZoneChange::deleteRecord(r1.recordID())});
    bob.e().state().add({PendingDatabaseChange::saveZone(annZone)});
    ASSERT_FALSE(send(bob.e()));
    auto zones = bob.d().eventsOf<SyncEvents::SentDatabaseChanges>();
    ASSERT_EQ(zones.size(), 1u);
    ASSERT_EQ(zones[0].failedZoneSaves.size(), 1u);
    EXPECT_EQ(zones[0].failedZoneSaves[0].second.code, Code::permissionFailure);
    auto sent = bob.d().eventsOf<SyncEvents::SentRecordZoneChanges>();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].failedRecordSaves.size(), 1u);
    EXPECT_EQ(sent[0].failedRecordSaves[0].second.code, Code::permissionFailure);
    ASSERT_EQ(sent[0].failedRecordDeletes.size(), 1u);
    EXPECT_EQ(sent[0].failedRecordDeletes[0].second.code, Code::permissionFailure);
    EXPECT_EQ(ann.e().database().recordNow(RecordID{"r1", zone("TB-1")}).value().string("text"),
              QStringLiteral("hello"));

    // Made read-write, the same save goes through.
    ASSERT_FALSE(
        c->setParticipantPermission("ann", "TB-1", "bob", ParticipantPermission::readWrite));
    bob.e().state().add({PendingRecordZoneChange::saveRecord(r1.recordID())});
    ASSERT_FALSE(send(bob.e()));
    EXPECT_EQ(bob.d().savedRecords().size(), 1u);
}

TEST_P(SyncEngineTest, NothingOutsideTheUsersDatabasesIsReachable) {
    shareSetUp(ParticipantPermission::readWrite);
    auto carol = device(QStringLiteral("carolLaptop"));
    ASSERT_FALSE(c->createUser("carol", std::nullopt));
    ASSERT_FALSE(c->signIn("carolLaptop", "carol"));
    ASSERT_FALSE(fetch(carol.e()));
    EXPECT_TRUE(carol.d().fetchedRecords().empty());
    const ZoneID annZone{QStringLiteral("TB-1"), QStringLiteral("ann")};
    struct Case {
        DatabaseScope scope;
        ZoneID zone;
        Code code;
    };
    const std::vector<Case> cases{{DatabaseScope::privateScope, annZone, Code::permissionFailure},
                                  {DatabaseScope::sharedScope, annZone, Code::zoneNotFound},
                                  {DatabaseScope::sharedScope, zone("TB-1"), Code::zoneNotFound}};
    for (const Case& test : cases) {
        EXPECT_EQ(on("carolLaptop")
                      ->fetchZoneChanges("carolLaptop", test.scope, test.zone, std::nullopt)
                      .error()
                      .code,
                  test.code);
        auto saved =
            on("carolLaptop")
                ->modifyRecords("carolLaptop", test.scope, {note("x", test.zone, "x")}, {});
        ASSERT_EQ(saved.value().failedRecordSaves.size(), 1u);
        EXPECT_EQ(saved.value().failedRecordSaves[0].second.code, test.code);
    }
    // A pending participant does not see the zone yet.
    ASSERT_FALSE(c->shareZone("ann", "TB-1", "carol", ParticipantPermission::readWrite));
    EXPECT_EQ(
        on("carolLaptop")
            ->fetchZoneChanges("carolLaptop", DatabaseScope::sharedScope, annZone, std::nullopt)
            .error()
            .code,
        Code::zoneNotFound);
}

TEST_P(SyncEngineTest, LeavingASharedZoneKeepsItForTheOwner) {
    shareSetUp(ParticipantPermission::readWrite);
    ASSERT_FALSE(fetch(bob.e()));
    const ZoneID annZone{QStringLiteral("TB-1"), QStringLiteral("ann")};
    bob.e().state().add({PendingDatabaseChange::deleteZone(annZone)});
    ASSERT_FALSE(send(bob.e()));
    EXPECT_EQ(bob.d().eventsOf<SyncEvents::SentDatabaseChanges>()[0].deletedZoneIDs,
              std::vector<ZoneID>{annZone});
    bob.d().events.clear();
    ASSERT_FALSE(fetch(bob.e()));
    auto gone = bob.d().eventsOf<SyncEvents::FetchedDatabaseChanges>();
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].deletions[0].reason, ZoneDeletionReason::left);
    EXPECT_TRUE(ann.e().database().recordNow(RecordID{"r1", zone("TB-1")}).ok());
}

TEST_P(SyncEngineTest, RemovedParticipantLosesTheZone) {
    shareSetUp(ParticipantPermission::readWrite);
    ASSERT_FALSE(fetch(bob.e()));
    ASSERT_FALSE(c->removeParticipant("ann", "TB-1", "bob"));
    bob.d().events.clear();
    ASSERT_FALSE(fetch(bob.e()));
    auto gone = bob.d().eventsOf<SyncEvents::FetchedDatabaseChanges>();
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].deletions[0].reason, ZoneDeletionReason::accessRevoked);
    // ann sees the new share without bob.
    ASSERT_FALSE(fetch(ann.e()));
    auto records = ann.d().fetchedRecords();
    auto share =
        std::find_if(records.rbegin(), records.rend(), [](const Record& r) { return r.isShare(); });
    ASSERT_NE(share, records.rend());
    EXPECT_FALSE(share->share()->participant("bob"));
}

TEST_P(SyncEngineTest, AccountSignInSwitchAndSignOut) {
    // On a server the role a device connects as is its user: another user is another login,
    // not a switch the administrator makes (PostgresContainerTest covers signing out there).
    if (onServer())
        GTEST_SKIP() << "a server's device cannot be switched to another role's user";
    auto mac = device(QStringLiteral("mac"));
    ASSERT_FALSE(fetch(mac.e()));
    auto changes = mac.d().eventsOf<SyncEvents::AccountChange>();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].type, SyncEvents::AccountChange::Type::signIn);
    EXPECT_EQ(changes[0].currentUser, Container::defaultUserName);

    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("x"))});
    ASSERT_FALSE(c->createUser(QStringLiteral("ann"), std::nullopt));
    ASSERT_FALSE(c->signIn(QStringLiteral("mac"), QStringLiteral("ann")));
    ASSERT_FALSE(send(mac.e()));
    changes = mac.d().eventsOf<SyncEvents::AccountChange>();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].type, SyncEvents::AccountChange::Type::switchAccounts);
    EXPECT_EQ(changes[1].previousUser, Container::defaultUserName);
    EXPECT_EQ(changes[1].currentUser, QStringLiteral("ann"));
    // The old account's pending changes were dropped, not sent to ann.
    EXPECT_TRUE(mac.d().savedRecords().empty());
    EXPECT_TRUE(mac.e().state().pendingRecordZoneChanges().empty());

    ASSERT_FALSE(c->signOut(QStringLiteral("mac")));
    mac.e().state().add({PendingDatabaseChange::saveZone(listZone)});
    auto error = send(mac.e());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, Code::notAuthenticated);
    changes = mac.d().eventsOf<SyncEvents::AccountChange>();
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[2].type, SyncEvents::AccountChange::Type::signOut);
    EXPECT_TRUE(mac.e().state().pendingDatabaseChanges().empty());
    EXPECT_EQ(fetch(mac.e())->code, Code::notAuthenticated);
    EXPECT_EQ(mac.d().eventsOf<SyncEvents::AccountChange>().size(), 3u);

    // Signing in again after a sign-out is a sign-in.
    ASSERT_FALSE(c->signIn(QStringLiteral("mac"), QStringLiteral("ann")));
    ASSERT_FALSE(fetch(mac.e()));
    EXPECT_EQ(mac.d().eventsOf<SyncEvents::AccountChange>().back().type,
              SyncEvents::AccountChange::Type::signIn);
}

TEST_P(SyncEngineTest, SavedStateIsRestored) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("x"))});
    ASSERT_FALSE(send(mac.e()));
    ASSERT_FALSE(fetch(mac.e()));
    mac.e().state().add({PendingRecordZoneChange::deleteRecord(RecordID{"a", listZone})});
    auto savedState = StateSerialization::fromData(mac.e().state().serialization().data());
    ASSERT_TRUE(savedState);

    auto again = device(QStringLiteral("mac"), DatabaseScope::privateScope, 400, savedState);
    EXPECT_EQ(again.e().state().pendingRecordZoneChanges().size(), 1u);
    ASSERT_FALSE(fetch(again.e()));
    EXPECT_TRUE(again.d().eventsOf<SyncEvents::AccountChange>().empty());
    EXPECT_TRUE(again.d().fetchedRecords().empty());
    ASSERT_FALSE(send(again.e()));
    EXPECT_EQ(again.d().eventsOf<SyncEvents::SentRecordZoneChanges>()[0].deletedRecordIDs.size(),
              1u);
}

TEST_P(SyncEngineTest, AnUnknownTokenGivesAFullFetch) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("x"))});
    ASSERT_FALSE(send(mac.e()));
    for (const char* token : {"garbage", "z:other:x:1", "z:::", "d:1:99999999"}) {
        auto changes = on("mac")->fetchZoneChanges("mac", DatabaseScope::privateScope, listZone,
                                                   QString::fromLatin1(token));
        ASSERT_TRUE(changes.ok());
        EXPECT_EQ(changes.value().modifications.size(), 1u) << token;
        auto zones = on("mac")->fetchDatabaseChanges("mac", DatabaseScope::privateScope,
                                                     QString::fromLatin1(token));
        EXPECT_EQ(zones.value().modifications.size(), 1u) << token;
    }
}

TEST_P(SyncEngineTest, InjectedFaultsAndTheOfflineSwitch) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(),
               {note(QStringLiteral("a"), listZone, QStringLiteral("x")),
                note(QStringLiteral("poison-1"), listZone, QStringLiteral("x"))});

    // The next operation fails as a whole; nothing leaves the pending lists.
    ASSERT_FALSE(c->injectFault("mac", {}, Code::networkUnavailable, 1));
    auto error = send(mac.e());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, Code::networkUnavailable);
    EXPECT_EQ(mac.e().state().pendingDatabaseChanges().size(), 1u);
    EXPECT_EQ(mac.e().state().pendingRecordZoneChanges().size(), 2u);

    // A fault on matching records fails only those.
    ASSERT_FALSE(c->injectFault({}, "poison-*", Code::unknownItem, -1));
    ASSERT_FALSE(send(mac.e()));
    EXPECT_EQ(names(mac.d().savedRecords()), std::vector<QString>{"a"});
    ASSERT_EQ(mac.d().failedSaves().size(), 1u);
    EXPECT_EQ(mac.d().failedSaves()[0].second.code, Code::unknownItem);
    ASSERT_FALSE(c->clearFaults());

    // Offline: every operation fails with network unavailable until back online.
    ASSERT_FALSE(c->setOffline("mac", true));
    mac.e().state().add({PendingRecordZoneChange::saveRecord(RecordID{"poison-1", listZone})});
    EXPECT_EQ(send(mac.e())->code, Code::networkUnavailable);
    EXPECT_EQ(fetch(mac.e())->code, Code::networkUnavailable);
    ASSERT_FALSE(c->setOffline("mac", false));
    ASSERT_FALSE(send(mac.e()));
    EXPECT_EQ(mac.d().savedRecords().size(), 2u);
}

// A device that lost a batch's answer asks what became of it: whether the container committed
// the batch, and which of its saves it refused. A batch asked after before it came is given up:
// it never commits after the answer. An error that wrote nothing says so.
TEST_P(SyncEngineTest, ADeviceLearnsWhatBecameOfABatchWhoseAnswerItLost) {
    using Fate = SendOutcome::Fate;
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("v1"))});
    ASSERT_FALSE(send(mac.e()));
    const auto container = on(QStringLiteral("mac"));
    const auto sendOne = [&](const char* name, const char* sendID) {
        return container->modifyRecords(QStringLiteral("mac"), DatabaseScope::privateScope,
                                        {note(name, listZone, QStringLiteral("x"))}, {}, sendID);
    };
    const auto told = [&](const char* device, const char* sendID) {
        auto outcome = on(device)->sendLanded(device, sendID);
        EXPECT_TRUE(outcome.ok()) << outcome.error().message.toStdString();
        return outcome.ok() ? outcome.value() : SendOutcome{};
    };

    // Committed, with an untagged save of a record that is there refused.
    const auto sent = container->modifyRecords(
        QStringLiteral("mac"), DatabaseScope::privateScope,
        {note("b", listZone, "x"), note("a", listZone, "untagged")}, {}, QStringLiteral("s1"));
    ASSERT_TRUE(sent.ok());
    ASSERT_EQ(sent.value().failedRecordSaves.size(), 1u);
    EXPECT_EQ(told("mac", "s1").fate, Fate::landed);
    EXPECT_EQ(told("mac", "s1").refused, (std::vector<RecordID>{RecordID{"a", listZone}}));
    EXPECT_EQ(told("ipad", "s1").fate, Fate::neverLanded) << "another device's send";

    EXPECT_EQ(told("mac", "s2").fate, Fate::neverLanded);
    const auto late = sendOne("c", "s2");
    ASSERT_FALSE(late.ok());
    EXPECT_FALSE(late.error().answerLost);
    EXPECT_EQ(told("mac", "s2").fate, Fate::neverLanded);

    const struct {
        const char* name;
        const char* sendID;
        Container::LostAnswer when;
        Fate fate;
    } lost[] = {{"d", "s3", Container::LostAnswer::beforeCommit, Fate::neverLanded},
                {"e", "s4", Container::LostAnswer::afterCommit, Fate::landed}};
    for (const auto& row : lost) {
        ASSERT_FALSE(c->injectLostAnswer(QStringLiteral("mac"), row.when));
        const auto result = sendOne(row.name, row.sendID);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().code, Code::networkUnavailable);
        EXPECT_TRUE(result.error().answerLost);
        EXPECT_EQ(told("mac", row.sendID).fate, row.fate) << row.name;
    }
    ASSERT_FALSE(c->setOffline(QStringLiteral("mac"), true));
    const auto offline = sendOne("f", "s5");
    ASSERT_FALSE(offline.ok());
    EXPECT_FALSE(offline.error().answerLost);
    ASSERT_FALSE(c->setOffline(QStringLiteral("mac"), false));

    std::vector<QString> stored;
    for (const char* name : {"b", "c", "d", "e", "f"}) {
        if (mac.e().database().recordNow(RecordID{name, listZone}).ok())
            stored.emplace_back(name);
    }
    EXPECT_EQ(stored, (std::vector<QString>{"b", "e"}));
}

TEST_P(SyncEngineTest, AFailedFetchKeepsTheDatabaseTokenSoNothingIsMissed) {
    auto mac = device(QStringLiteral("mac"));
    auto laptop = device(QStringLiteral("laptop"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("x"))});
    ASSERT_FALSE(send(mac.e()));
    ASSERT_FALSE(fetch(laptop.e()));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("b"), listZone, QStringLiteral("y"))});
    ASSERT_FALSE(send(mac.e()));
    laptop.d().events.clear();

    // The network goes between the database fetch and the zone fetch: b must still arrive
    // next time.
    laptop.d().onEvent = [&](const SyncEngineEvent& event, SyncEngine&) {
        if (std::holds_alternative<SyncEvents::FetchedDatabaseChanges>(event)) {
            ASSERT_FALSE(c->setOffline("laptop", true));
        }
    };
    auto error = fetch(laptop.e());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, Code::networkUnavailable);
    EXPECT_TRUE(laptop.d().fetchedRecords().empty());
    laptop.d().onEvent = nullptr;
    ASSERT_FALSE(c->setOffline("laptop", false));
    laptop.d().events.clear();
    ASSERT_FALSE(fetch(laptop.e()));
    EXPECT_EQ(names(laptop.d().fetchedRecords()), std::vector<QString>{"b"});
}

// A fetch cut short by its deadline keeps the zones it has not fetched; the next fetch, by this
// engine or by one made from its saved state as the next process would, goes on with them and
// with whatever changed since, fetching no zone again for nothing and skipping none.
TEST_P(SyncEngineTest, AFetchCutShortGoesOnWhereItStoppedAndSkipsNothing) {
    auto mac = device(QStringLiteral("mac"));
    std::vector<Record> made;
    for (int z = 0; z < 5; ++z)
        made.push_back(note(QStringLiteral("r%1").arg(z), zone(QStringLiteral("TB-%1").arg(z)),
                            QStringLiteral("x")));
    queueSaves(mac.e(), mac.d(), made);
    ASSERT_FALSE(send(mac.e()));

    auto laptop = device(QStringLiteral("laptop"));
    // Every fetch of this engine is out of time once it has fetched a zone.
    laptop.e().setFetchDeadline(QDeadlineTimer(0));
    auto error = fetch(laptop.e());
    ASSERT_TRUE(error);
    EXPECT_TRUE(SyncEngine::isFetchCutShort(*error)) << error->message.toStdString();
    EXPECT_FALSE(laptop.e().state().databaseToken()) << "a token past zones not fetched";
    std::vector<QString> fetched = names(laptop.d().fetchedRecords());
    ASSERT_EQ(fetched.size(), 1u);

    // Meanwhile the mac changes a zone fetched already, one not fetched yet, and makes another.
    const QString first = fetched.front();
    const QString later =
        first == QStringLiteral("r4") ? QStringLiteral("r3") : QStringLiteral("r4");
    for (const QString& name : {first, later}) {
        const ZoneID where = zone(QStringLiteral("TB-") + name.mid(1));
        Record changed = mac.d().records.at(RecordID{name, where});
        changed.set(QStringLiteral("text"), QStringLiteral("y"));
        mac.d().records.insert_or_assign(changed.recordID(), changed);
        mac.e().state().add({PendingRecordZoneChange::saveRecord(changed.recordID())});
    }
    queueSaves(mac.e(), mac.d(),
               {note(QStringLiteral("r5"), zone(QStringLiteral("TB-5")), QStringLiteral("x"))});
    ASSERT_FALSE(send(mac.e()));

    // The next process goes on from the saved state, one zone a fetch.
    auto saved = StateSerialization::fromData(laptop.e().state().serialization().data());
    ASSERT_TRUE(saved);
    auto next = device(QStringLiteral("laptop"), DatabaseScope::privateScope, 400, saved);
    next.e().setFetchDeadline(QDeadlineTimer(0));
    int fetches = 0;
    for (; fetches < 20; ++fetches) {
        error = fetch(next.e());
        if (!error)
            break;
        ASSERT_TRUE(SyncEngine::isFetchCutShort(*error)) << error->message.toStdString();
    }
    ASSERT_FALSE(error) << "the fetch never ended";
    // Each zone once, and the first again for its change; every change in its newest version.
    for (const Record& record : next.d().fetchedRecords()) {
        fetched.push_back(record.recordID().recordName);
        if (record.recordID().recordName == later || record.recordID().recordName == first) {
            EXPECT_EQ(record.string(QStringLiteral("text")), QStringLiteral("y"));
        }
    }
    std::sort(fetched.begin(), fetched.end());
    std::vector<QString> expected{"r0", "r1", "r2", "r3", "r4", "r5", first};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(fetched, expected);
    EXPECT_EQ(fetches, 5) << "zones fetched again, or several zones in a fetch out of time";
    EXPECT_TRUE(next.e().state().databaseToken());
    EXPECT_FALSE(next.e().state().fetchUnderWay());

    // Without a deadline, a fetch brings everything at once; then nothing is left.
    next.e().setFetchDeadline(QDeadlineTimer(QDeadlineTimer::Forever));
    next.d().events.clear();
    ASSERT_FALSE(fetch(next.e()));
    EXPECT_TRUE(next.d().fetchedRecords().empty());
}

TEST_P(SyncEngineTest, AReleasedEngineFinishesItsOperation) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("x"))});
    bool called = false;
    std::optional<CloudError> result;
    wait([&](SyncEngine::Completion done) {
        mac.e().sendChanges([&, done](std::optional<CloudError> error) {
            called = true;
            result = error;
            done(error);
        });
        mac.engine.reset();
        mac.delegate.reset();
    });
    EXPECT_TRUE(called);
    // The delegate was gone before it could give the record, so nothing was saved, and
    // nothing crashed.
    EXPECT_FALSE(result);
}

// A process on its way out releases its engines once its event loop has ended, and then waits
// for the pool's threads: an operation that still waited for the owner's thread would hold it
// for ever. Released at either point, the operation ends with no event loop running, never
// calls the delegate again, and its completion still comes once a loop runs.
TEST_P(SyncEngineTest, AReleasedEngineNeverWaitsForItsOwnersThread) {
    enum class Released { whileTheOperationWaits, whileTheDelegateHandlesAnEvent };
    const struct {
        const char* what;
        Released when;
    } cases[] = {
        {"released while the operation waits for a loop that does not run",
         Released::whileTheOperationWaits},
        {"released by the delegate, from inside a call", Released::whileTheDelegateHandlesAnEvent},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        auto mac = device(QStringLiteral("mac"), DatabaseScope::privateScope, 2);
        std::vector<Record> records;
        for (int i = 0; i < 6; ++i)
            records.push_back(note(QString::number(i), listZone, QStringLiteral("x")));
        queueSaves(mac.e(), mac.d(), records);

        bool began = false;
        mac.d().onEvent = [&](const SyncEngineEvent& event, SyncEngine&) {
            if (!std::holds_alternative<SyncEvents::WillSendChanges>(event))
                return;
            began = true;
            mac.engine.reset();
        };
        bool completed = false;
        std::optional<CloudError> result;
        mac.e().sendChanges([&](std::optional<CloudError> error) {
            completed = true;
            result = error;
        });
        if (row.when == Released::whileTheOperationWaits) {
            // No loop runs: the operation soon waits for its first call on the owner's thread,
            // and whether it does by the release or not, it must end without one.
            QThread::msleep(100);
            mac.engine.reset();
        } else {
            // The loop runs until the delegate has released the engine, and then no more.
            ASSERT_TRUE(loopUntil([&] { return began; }, 10'000));
        }
        const bool ended = cloud::WorkerPool::instance().waitForDone(5'000);
        EXPECT_TRUE(ended) << "the operation waited for a loop that no longer runs";

        // Let go of an operation that did wait, so that it cannot hold the tests after this one.
        EXPECT_TRUE(loopUntil([&] { return completed; }, 10'000));
        EXPECT_FALSE(result);
        EXPECT_EQ(mac.d().offeredSizes, std::vector<int>{}) << "the delegate was asked after all";
        EXPECT_TRUE(mac.d().eventsOf<SyncEvents::SentRecordZoneChanges>().empty());
    }
}

// An owner that lets go of its engine while a batch is on its way first finishes the engine:
// whether the container has answered the batch yet or not, its answer reaches the delegate
// with no event loop running, no further batch goes, and the operation says it was stopped,
// so that nobody takes the pass for a whole one.
TEST_P(SyncEngineTest, AFinishedEngineHandsOverTheBatchUnderWayAndSendsNoMore) {
    auto mac = device(QStringLiteral("mac"), DatabaseScope::privateScope, 2);
    std::vector<Record> records;
    for (int i = 0; i < 6; ++i)
        records.push_back(note(QString::number(i), listZone, QStringLiteral("x")));
    queueSaves(mac.e(), mac.d(), records);

    bool completed = false;
    std::optional<CloudError> result;
    mac.e().sendChanges([&](std::optional<CloudError> error) {
        completed = true;
        result = error;
    });
    // The loop runs until the first batch is handed over, and then no more: what the engine
    // asks of this thread after that waits in the queue.
    QEventLoop loop;
    mac.d().onOffered = [&] { loop.quit(); };
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    loop.exec();
    mac.d().onOffered = nullptr;
    ASSERT_EQ(mac.d().offeredSizes, std::vector<int>{2});
    mac.e().finish(QDeadlineTimer(10'000));

    const auto sent = mac.d().eventsOf<SyncEvents::SentRecordZoneChanges>();
    ASSERT_EQ(sent.size(), 1u) << "the committed batch never reached the delegate";
    EXPECT_EQ(sent[0].savedRecords.size(), 2u);
    EXPECT_EQ(mac.d().offeredSizes, std::vector<int>{2});
    EXPECT_EQ(mac.d().eventsOf<SyncEvents::DidSendChanges>().size(), 1u);
    EXPECT_EQ(mac.e().state().pendingRecordZoneChanges().size(), 4u);
    EXPECT_EQ(mac.d().savedRecords().size(), 2u);

    // A later operation does nothing either, and says so.
    std::optional<CloudError> later;
    bool laterCompleted = false;
    mac.e().fetchChanges([&](std::optional<CloudError> error) {
        laterCompleted = true;
        later = error;
    });
    ASSERT_TRUE(loopUntil([&] { return completed && laterCompleted; }, 10'000));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->message, SyncEngine::operationStopped().message);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->message, SyncEngine::operationStopped().message);
    EXPECT_TRUE(mac.d().eventsOf<SyncEvents::WillFetchChanges>().empty());
}

TEST_P(SyncEngineTest, OperationsRunOneAtATimeInOrder) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), listZone, QStringLiteral("x"))});
    std::vector<QString> order;
    wait([&](SyncEngine::Completion done) {
        mac.e().sendChanges([&](std::optional<CloudError>) { order.push_back("send"); });
        mac.e().fetchChanges([&, done](std::optional<CloudError> e) {
            order.push_back("fetch");
            done(e);
        });
    });
    EXPECT_EQ(order, (std::vector<QString>{"send", "fetch"}));
    EXPECT_EQ(names(mac.d().fetchedRecords()), std::vector<QString>{"a"});
}

INSTANTIATE_TEST_SUITE_P(Backends, SyncEngineTest, everyStorage, backendName);
