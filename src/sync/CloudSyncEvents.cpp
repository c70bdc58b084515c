// What the engines report: states, accounts, fetched changes and the outcome of sends.
#include "CloudSync.h"

#include "CloudEngine.h"
#include "CloudIds.h"
#include "ListCloudMapping.h"
#include "cloud/RecordCoding.h"

#include <QScopeGuard>

using namespace cloud;
namespace Mapping = ListCloudMapping;

// Each event's changes are made in one store batch, so they are announced once. When they reach
// the file depends on whether a sync pass is under way (see resultsChanged()).
void CloudSync::handle(const SyncEngineEvent& event, EngineScope scope) {
    if (std::holds_alternative<SyncEvents::WillSendChanges>(event) ||
        std::holds_alternative<SyncEvents::WillFetchChanges>(event)) {
        // The engine has asked after the account: a sign-in would have come by now.
        store_.releaseMarkScan();
    } else if (const auto* did = std::get_if<SyncEvents::DidFetchChanges>(&event)) {
        // Every zone came back whole since the database no longer knew the engine's token:
        // what the cloud still lacks goes again (see fetched()).
        if (did->endedWholeAfterExpiry)
            serverForgot(scope) = true;
    } else if (const auto* ended = std::get_if<SyncEvents::DidSendChanges>(&event)) {
        // A batch still noted had no answer: its notes stay, for the container to say what
        // became of it, unless it said the batch was never taken; and what the container
        // confirmed goes to the journal now, not only to the store file once the fetch has
        // ended.
        sendingEnded(scope, ended->batchUnanswered);
    } else if (const auto* told = std::get_if<SyncEvents::SendOutcomes>(&event)) {
        store_.batch([&] { takeSendOutcomes(*told); });
        resultsChanged();
    } else if (const auto* update = std::get_if<SyncEvents::StateUpdate>(&event)) {
        // Kept as it came and written out with the next results: an engine reports its state
        // after every batch of records, and its JSON text is made only then.
        latestState(scope) = update->stateSerialization;
        if (passes_ == 0)
            writeResults();
    } else if (const auto* account = std::get_if<SyncEvents::AccountChange>(&event)) {
        store_.batch([&] { handleAccountChange(*account, scope); });
        resultsChanged();
    } else if (const auto* database = std::get_if<SyncEvents::FetchedDatabaseChanges>(&event)) {
        store_.batch([&] {
            // Sent again, once the fetch has brought back whatever the cloud still holds; the
            // engine keeps that it fetches whole until it has, also across processes.
            if (database->tokenExpired)
                store_.serverCopiesLost(scope);
            for (const ZoneDeletion& deletion : database->deletions)
                applyZoneDeletion(deletion.zoneID);
        });
        resultsChanged();
    } else if (const auto* zone = std::get_if<SyncEvents::FetchedRecordZoneChanges>(&event)) {
        bool repairing = false;
        store_.batch([&] {
            applyRecordZoneChanges(*zone);
            for (const RecordID& id : zone->undecodable)
                repairing = repairUndecodable(id) || repairing;
        });
        // Sent in this very pass, after the fetches: until then the other devices lack it.
        if (repairing)
            resendOwed_ = true;
        resultsChanged();
    } else if (const auto* sentZones = std::get_if<SyncEvents::SentDatabaseChanges>(&event)) {
        store_.batch([&] {
            for (const ZoneID& deleted : sentZones->deletedZoneIDs) {
                if (const auto listID = Mapping::listID(deleted))
                    store_.confirmZoneDeleted(*listID);
            }
        });
        resultsChanged();
    } else if (const auto* sent = std::get_if<SyncEvents::SentRecordZoneChanges>(&event)) {
        store_.batch([&] {
            for (const Record& record : sent->savedRecords)
                markClean(record);
            // A list whose changes were refused earlier in the pass took them after all.
            if (store_.anyListHeldElsewhere()) {
                for (const Record& record : sent->savedRecords) {
                    if (const auto listID = Mapping::listID(record.recordID().zoneID))
                        store_.forgetListHeldElsewhere(*listID);
                }
            }
            for (const RecordID& deleted : sent->deletedRecordIDs)
                store_.confirmRecordDeleted(CloudIds::fromCloud(deleted));
            for (const auto& [record, error] : sent->failedRecordSaves)
                handleSaveFailure(record, error);
        });
        resultsChanged();
    }
}

void CloudSync::applyRecordZoneChanges(const SyncEvents::FetchedRecordZoneChanges& changes) {
    // Shares go last, so that a share whose list record is in the same batch finds its list.
    for (const Record& record : changes.modifications) {
        if (!record.isShare())
            applyServerRecord(record);
    }
    for (const Record& record : changes.modifications) {
        if (record.isShare())
            applyServerRecord(record);
    }
    for (const RecordDeletion& deletion : changes.deletions)
        applyServerDeletion(deletion.recordID);
}

// Someone who may write the list stored bytes there that are no record, over a record this
// device holds: nobody can read that list or item from the cloud any more, and a save of it is
// never answered with a copy to merge. This device's copy is saved over it, whole. It is queued
// without a mark: should another device have put a record there first, that record is taken in
// as any other, and only what is marked here goes over it. A copy this device may not send (a
// view-only list) is left as it is.
bool CloudSync::repairUndecodable(const RecordID& id) {
    const auto listID = Mapping::listID(id.zoneID);
    if (!listID || store_.foreignRecord(CloudIds::fromCloud(id)) ||
        CloudLayout::itemIDOfTombstone(id.recordName))
        return false;
    const TBList* list = store_.findList(*listID);
    EngineQueue* engine = engineForZone(id.zoneID);
    if (!list || list->isViewOnly() || !engine || !recordFor(id))
        return false;
    engine->saveRecord(CloudIds::fromCloud(id));
    return true;
}

void CloudSync::markClean(const Record& record) {
    const RecordID& id = record.recordID();
    if (const auto key = CloudLayout::archiveKeyOf(id.recordName, Mapping::listID(id.zoneID)))
        forgetSending(CloudLayout::sendingKey(*key));
    if (id.zoneID.zoneName == CloudLayout::metaZoneName) {
        const QString collection = Mapping::collection(record);
        store_.confirmFilingSaved(id.recordName, collection, archive(record));
    } else if (const auto itemID = CloudLayout::itemIDOfTombstone(id.recordName)) {
        store_.confirmTombstoneSaved(*itemID);
    } else if (id.recordName == CloudLayout::listRecordName) {
        if (const auto list = Mapping::list(record, store_.clock().now()))
            store_.confirmListSaved(*list, archive(record));
    } else if (const auto item = Mapping::item(record)) {
        store_.confirmItemSaved(*item, archive(record));
    }
}

// The engine that sends changes of records in this zone.
EngineQueue* CloudSync::engineForZone(const ZoneID& zone) const {
    const auto listID = Mapping::listID(zone);
    if (listID && store_.isShared(*listID))
        return store_.sharedEngine();
    return store_.privateEngine();
}

void CloudSync::handleSaveFailure(const Record& record, const CloudError& error) {
    const RecordID& id = record.recordID();
    const QString& name = id.recordName;
    const auto listID = Mapping::listID(id.zoneID);
    const bool meta = id.zoneID.zoneName == CloudLayout::metaZoneName;
    const bool sharedList = listID && store_.isShared(*listID);
    EngineQueue* engine = engineForZone(id.zoneID);
    QString key = CloudLayout::itemArchiveKey(name);
    if (meta)
        key = CloudLayout::filingArchiveKey(name);
    else if (listID && name == CloudLayout::listRecordName)
        key = CloudLayout::listArchiveKey(*listID);
    // The answer can come after the item was deleted or the list left its group: then there is
    // nothing to save, and a save queued again would take the place of the pending deletion.
    const auto stillHere = [&] { return recordFor(id).has_value(); };
    // This batch's save was refused, so its note tells nothing once the failure is handled; a
    // note left by an earlier send whose answer was lost stays until the server's copy settles
    // it (which a conflict's copy does).
    const auto archived = CloudLayout::archiveKeyOf(name, listID);
    const QString noted = archived ? CloudLayout::sendingKey(*archived) : QString();
    const bool notedHere = archived && inBatchUnderWay(noted);
    const auto forgetNote = qScopeGuard([&] {
        if (notedHere)
            forgetSending(noted);
    });
    // Queued again, it goes after the fetches of this same pass: the engine tries a change once
    // per send, and a pass that ended with it only queued in memory would leave it waiting for
    // some other change. One refused again then goes with the next pass.
    const auto requeue = [&] {
        if (!engine || !stillHere())
            return;
        engine->saveRecord(CloudIds::fromCloud(id));
        if (passes_ > 0 && !resending_)
            resendOwed_ = true;
    };
    // Whether a list or an item still has fields the server's copy lacks, once that copy is
    // taken in: when it holds them all, there is nothing to send again.
    const auto stillMarked = [&] {
        if (meta || !listID || CloudLayout::itemIDOfTombstone(name))
            return true;
        if (name == CloudLayout::listRecordName)
            return store_.dirtyLists().contains(*listID);
        return store_.dirtyItems().contains(name);
    };

    switch (error.code) {
    case CloudError::Code::unknownItem:
        // The server copy is gone: the next save makes a new record.
        store_.removeArchive(key);
        requeue();
        break;
    case CloudError::Code::serverRecordChanged:
        if (!error.serverRecord)
            break;
        applyServerRecord(*error.serverRecord);
        // A tombstone the server already holds says the same thing: nothing more to send.
        if (const auto itemID = CloudLayout::itemIDOfTombstone(name); listID && itemID) {
            store_.confirmTombstoneSaved(*itemID);
            break;
        }
        if (stillMarked())
            requeue();
        break;
    case CloudError::Code::zoneNotFound:
        if (meta) {
            store_.queueMetaZone();
            requeue();
        } else if (listID && !sharedList && stillHere()) {
            if (EngineQueue* own = store_.privateEngine())
                own->saveZone(CloudIds::fromCloud(id.zoneID));
            requeue();
        }
        break;
    case CloudError::Code::zoneBusy:
        // Someone else is changing the list there just now: the engine keeps the save for its
        // next send, and the marks stay.
        if (listID)
            store_.noteListHeldElsewhere(*listID);
        break;
    default:
        break; // the marks stay; the next engine start sends the record again
    }
}

void CloudSync::handleAccountChange(const SyncEvents::AccountChange& change, EngineScope scope) {
    const QString user = change.currentUser.value_or(QString());
    const bool metBefore = store_.identity().knownRecordNames.contains(user);
    const bool heldForUser = store_.heldMarks().contains(user);
    takeAccountChange(change, scope);
    // What the store took back for this account goes against the server copies it was made on:
    // a record the cloud changed since (or one whose copy an older program let go) comes back
    // as a conflict, merged, and goes again after the fetch, in this same pass.
    if (heldForUser && !store_.heldMarks().contains(user))
        resendOwed_ = true;
    // The store met an account it did not know (see ListStore::signedIn): other people's lists
    // turned view only, and the shared database's fetch is what gives back the right to change
    // those shared with this account. The shared engine may still hold the account from before a
    // sign-out it never saw, the pass having ended at the private engine's error, and would
    // fetch only what changed since: it starts over, and so does the state the store keeps of
    // it, should the program quit before that fetch.
    bool sharedQueueDropped = scope == EngineScope::sharedDatabase &&
                              change.type == SyncEvents::AccountChange::Type::switchAccounts;
    if (scope == EngineScope::privateDatabase && !user.isEmpty() && !metBefore &&
        store_.identity().knownRecordNames.contains(user)) {
        if (sharedEngine_)
            sharedEngine_->startOver();
        sharedState_.reset();
        store_.setEngineStateData(EngineScope::sharedDatabase, std::nullopt);
        sharedQueueDropped = true;
    }
    // An engine that starts over, or meets another account, drops what it had queued: the
    // changes of other people's lists that this account made (those the store took back for
    // it just now among them) are queued on it again.
    if (sharedQueueDropped && !user.isEmpty())
        store_.requeueOtherPeoplesLists();
}

void CloudSync::takeAccountChange(const SyncEvents::AccountChange& change, EngineScope scope) {
    // What the changes the store holds for the account that leaves give way to meanwhile.
    const ListStore::ServerCopies copies{
        [this](const QString& listID) -> std::optional<TBList> {
            const auto kept = unarchive(CloudLayout::listArchiveKey(listID));
            return kept ? Mapping::list(*kept, store_.clock().now()) : std::nullopt;
        },
        [this](const QString& itemID) -> std::optional<TBItem> {
            const auto kept = unarchive(CloudLayout::itemArchiveKey(itemID));
            return kept ? Mapping::item(*kept) : std::nullopt;
        },
    };
    switch (change.type) {
    case SyncEvents::AccountChange::Type::signIn:
        store_.signedIn(change.currentUser.value_or(QString()), scope);
        break;
    case SyncEvents::AccountChange::Type::signOut:
        store_.signedOut(copies);
        break;
    case SyncEvents::AccountChange::Type::switchAccounts: {
        const QString user = change.currentUser.value_or(QString());
        // Each engine notices the account at its own next operation. When the other engine
        // has already taken in this very account, this store has nothing of the old one left
        // to forget, and a reset would wipe what was just sent for the new one: the account
        // is only noted for this engine's database.
        if (store_.lastKnownUserRecordName() == user &&
            store_.identity().knownRecordNames.contains(user)) {
            store_.signedIn(user, scope);
            break;
        }
        // What the store kept for the old account goes, and the new one is met as a sign-in
        // after a sign-out meets it: everything of this device's own is sent to it, whole.
        // Left at the reset, the new account would get only the changes made from now on,
        // items without their lists.
        store_.resetForAccount(copies);
        store_.signedIn(user, scope);
        break;
    }
    }
}
