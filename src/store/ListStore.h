#pragma once

#include "ArchivedRecords.h"
#include "EngineQueue.h"
#include "FieldSet.h"
#include "HeldMarks.h"
#include "PageRow.h"
#include "PendingZoneDeletion.h"
#include "SharingError.h"
#include "StoreChange.h"
#include "Tombstone.h"
#include "model/CompletedRetention.h"
#include "model/Markdown.h"
#include "model/PersonAlias.h"
#include "model/PersonDisplay.h"
#include "model/TBCircle.h"
#include "model/TBItem.h"
#include "model/TBList.h"
#include "model/UserIdentity.h"
#include "platform/Clock.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>

class Defaults;
class FileLock;
class MarkScan;
class QSocketNotifier;
class RecordQueue;
class StoreFileSink;
class StoreWriter;
struct DiskV2;

// The single owner of the user's data: every list and item, the circles, the names kept for
// people, the grouping of lists and the marks of what is not yet sent to the cloud. Every change
// goes through its operations, is announced once per operation (see the signals below) and is
// handed to the writer thread at once (or at the end of the open batch); whenSaved() tells
// when it is on disk.
//
// Thread: a store is used from one thread at a time, the thread that owns it (the main thread
// for the program's store); it has no locks. Every signal is emitted on that thread, from
// inside the operation that caused it, so a direct connection sees the store already changed.
// The store file is written by a thread of the store's own, which never changes the store's
// state; a failed write is told on the owning thread once the writer reports it.
//
// Edit rights: another person's list shared read-only (TBList::isViewOnly) cannot be edited
// here. Every operation that would change such a list, its fields or its items does nothing
// and writes nothing. What is the user's own arrangement stays open: the list's pin and place
// on the lists page, its group, and removing it from the user's lists. A list shared with the
// account this device was signed into before is view only for another account (signedIn()).
//
// A store file written by a newer Tallybird (a higher "version") may hold what this program
// does not know, and would lose it if written over. Such a store is shown but never changed:
// editRefusal() says why, every operation that would change its state does nothing (the
// user's edits tell editRefused()), nothing is synced, and the file is never written.
class ListStore : public QObject {
    Q_OBJECT

public:
    using Tombstone = ::Tombstone;
    using PendingZoneDeletion = ::PendingZoneDeletion;
    using PageRow = ::PageRow;
    using SharingError = ::SharingError;

    // A writing store holds the lock on its file while it lives. A reading store (list look-ups
    // of the command line) takes no lock and never writes.
    enum class Access { readWrite, readOnly };

    // Loads the file at once (absent location: the default one). Never fails; when another
    // store holds the file's lock, lockError() says so and this store never writes.
    ListStore(const std::optional<QString>& fileURL, bool cloudSync, bool automaticSync,
              Defaults& defaults, const Clock& clock = Clock::shared(),
              Access access = Access::readWrite, QObject* parent = nullptr);
    ~ListStore() override;

    // The names a change mark can hold.
    static const FieldSet& allListFields();
    static const FieldSet& allItemFields();

    // The store file's location when none is given.
    static QString defaultStoreURL();
    static QString resolveStoreURL(const std::optional<QString>& groupContainer,
                                   const QString& legacy);

    // --- State ---
    const QList<TBList>& lists() const { return lists_; }
    const QList<TBItem>& allItems() const { return allItems_; }
    const QList<TBCircle>& circles() const { return circles_; }
    const QMap<QString, PersonAlias>& aliases() const { return aliases_; }
    const QMap<QString, QString>& filings() const { return filings_; }
    const QMap<QString, FieldSet>& dirtyLists() const { return dirtyLists_; }
    const QMap<QString, FieldSet>& dirtyItems() const { return dirtyItems_; }
    const QSet<QString>& dirtyFilings() const { return dirtyFilings_; }
    const QSet<QString>& pendingItemDeletions() const { return pendingItemDeletions_; }
    const QMap<QString, PendingZoneDeletion>& pendingZoneDeletions() const {
        return pendingZoneDeletions_;
    }
    const QMap<QString, Tombstone>& tombstones() const { return tombstones_; }
    const QSet<QString>& dirtyTombstones() const { return dirtyTombstones_; }
    // The marks of other people's lists made in another account than the one the device is in
    // now, by that account's record name: they are sent once it signs in again, never as
    // anyone else (see signedIn()).
    const QMap<QString, HeldMarks>& heldMarks() const { return heldMarks_; }
    // The fields of a list or item held for any account by an older program, which kept no copy
    // of the held values: the device still shows them, so they keep their local value, as
    // marked ones do, when a fetch brings the server's, and a record sent now leaves them as the
    // cloud has them.
    FieldSet heldListFields(const QString& listID) const;
    FieldSet heldItemFields(const QString& itemID) const;
    // Archive key ("L#" + list id, "I#" + item id, ...) to the record's Base64 text, kept as read.
    const ArchivedRecords& archivedRecords() const { return archivedRecords_; }
    // The record's data, decoded; absent when there is none.
    std::optional<QByteArray> archivedRecord(const QString& key) const;
    const std::optional<QByteArray>& engineStateData() const { return engineStateData_; }
    const std::optional<QByteArray>& sharedEngineStateData() const {
        return sharedEngineStateData_;
    }
    const std::optional<QString>& lastKnownUserRecordName() const {
        return lastKnownUserRecordName_;
    }
    const UserIdentity& identity() const { return identity_; }
    // The item or list with that id (the first one, should there be two), found by hash;
    // absent when there is none. Valid until the store next changes.
    const TBItem* findItem(const QString& itemID) const;
    const TBList* findList(const QString& listID) const;

    const QString& fileURL() const { return fileURL_; }
    bool cloudSync() const { return cloudSync_; }
    bool automaticSync() const { return automaticSync_; }
    Defaults& defaults() const { return defaults_; }
    const Clock& clock() const { return clock_; }
    bool enginesStarted() const { return enginesStarted_; }
    qint64 batchDepth() const { return batchDepth_; }
    bool saveDeferred() const { return saveDeferred_; }

    // Absent for a writing store that holds its lock and for a reading store; otherwise why
    // this store cannot write.
    const std::optional<QString>& lockError() const { return lockError_; }
    bool canWrite() const { return access_ == Access::readWrite && !lockError_; }
    // Whether lockError() is only another process holding the lock, which ends with it; any
    // other reason (a folder that takes no lock file, a store file that cannot be opened) stays.
    bool lockHeldElsewhere() const { return lockHeldElsewhere_; }
    // Whether the last attempt to write the file succeeded (true before any attempt), and when
    // it did not, why (a sentence).
    bool lastSaveSucceeded() const { return lastSaveSucceeded_; }
    const QString& lastSaveError() const { return lastSaveError_; }
    // Why the store file, which is there, could not be opened (the store then holds nothing);
    // absent when it was opened or is not there.
    const std::optional<QString>& openError() const { return openError_; }
    // Why the sending journal beside the file (SendingJournal) cannot be used: something other
    // than a regular file stands there. A writing store then never writes (lockError() holds
    // the same sentence), since sync would neither take in nor keep what it says.
    const std::optional<QString>& journalError() const { return journalError_; }
    // Where the bytes of a store file that could not be read in full are kept, once a copy of
    // them exists (taken at load, or at the latest before the first write over them).
    // fileCopyReason() says what this store did not read of it.
    const std::optional<QString>& unreadableCopy() const { return unreadableCopy_; }
    // Why the store file is copied aside before this store writes over it.
    enum class FileCopyReason {
        unreadable,     // it did not read in full: whatever did not read is lost at a save
        olderLayout,    // an older layout, read in full and upgraded to the current one
        unknownMembers, // the current layout holding members a later build wrote, which a save
                        // leaves out
    };
    FileCopyReason fileCopyReason() const { return fileCopyReason_; }
    // Whether the file is there but could not be read (in full, or at all: a folder, no
    // permission) and no copy of it could be kept yet; nothing is written over it until one is.
    bool unreadableNotCopied() const { return copyBeforeWrite_; }
    // Whether this store holds changes its file does not: the last save failed, or lists, items,
    // groups, circles or names changed while the store could not write at all (it never writes
    // again then). Changes the next sync makes again (the account, change marks) do not count.
    bool holdsUnsavedChanges() const { return !lastSaveSucceeded_ || changedWithoutWriting_; }
    // Writes the whole state, as a store file, to a new file at `path` (never the store's own
    // file): for keeping changes that cannot be saved. False, with `error` set, when it could not.
    bool writeCopy(const QString& path, QString* error) const;
    // Why this store takes no change at all (its file comes from a newer Tallybird); absent
    // when it takes changes. A writing store then holds no lock either, and its lockError()
    // is the same sentence.
    const std::optional<QString>& editRefusal() const { return editRefusal_; }
    static QString newerVersionText(const QString& fileURL);

    // Announces a change of something the store does not hold (a setting in defaults()), so
    // that every view redraws: a StoreChange with `everything` set.
    void announceChange();
    // Announces that a list's tag order or starter tags were rewritten in defaults(): a
    // StoreChange naming the list under `vocabulary`.
    void announceVocabularyChange(const QString& listID);

    // --- Start-up and sync engines ---
    // Starts the engines when cloud sync and the user's switch allow it, then prunes old
    // tombstones.
    void start();
    // Where the engines come from; without a factory no engine is ever made.
    void setEngineFactory(std::shared_ptr<EngineFactory> factory) { engineFactory_ = factory; }
    EngineQueue* privateEngine() const { return privateEngine_.get(); }
    EngineQueue* sharedEngine() const { return sharedEngine_.get(); }
    bool syncEnabled() const;
    void setSyncEnabled(bool on);
    void pruneTombstones(Date now);
    // Starts the engines when cloud sync and the switch allow it and they are not running.
    void startEnginesIfAllowed();
    // What start() launches last: the look-up of which own lists are shared.
    void setShareFlagRefresh(std::function<void()> refresh) { shareFlagRefresh_ = refresh; }

    // --- Display order and queries ---
    // Brings sortedListsCache() up to date.
    void rebuildDerivedCacheIfNeeded();
    const QList<TBList>& sortedListsCache() const { return sortedListsCache_; }
    // The lists in display order, brought up to date.
    const QList<TBList>& sortedLists();
    bool listsCacheValid() const { return listsCacheValid_; }
    // A list's items in display order, kept for the next call until they change: for the
    // lists on screen. Only the lists asked for are kept.
    QList<TBItem> items(const QString& listID);
    // The same items, for a single look at one list: taken from what items() keeps when it
    // holds them, otherwise picked out and sorted, and not kept.
    QList<TBItem> itemsOf(const QString& listID) const;
    // Whether items() keeps that list's items in display order now.
    bool itemsKept(const QString& listID) const { return itemsByListCache_.contains(listID); }
    QStringList tags(const QString& listID);
    QStringList vocabulary(const QString& listID);

    // --- Batches and saving ---
    // Runs `body` with the file write deferred to the end of the outermost batch, and with
    // every change announced once, together, when the outermost batch closes.
    void batch(const std::function<void()>& body);
    // Hands the whole state to the store's writer thread and returns at once; the writer
    // encodes it and replaces the file, in order, the newest state winning when saves queue.
    void persist();
    // Calls `done` on this store's thread once every change made so far is on disk (true) or
    // could not be written (false): at once when nothing is waiting, otherwise from the event
    // loop (or flushSaves()). A change made inside an open batch waits for the batch's save.
    // When a save fails while a later one, which holds the same changes, is already asked for,
    // the next save's outcome is the answer.
    void whenSaved(std::function<void(bool saved)> done);
    // Blocks until every save asked for so far is written or has failed, and reports them.
    // The destructor does the same, so nothing asked for is lost when a store goes.
    void flushSaves();
    // How the file is replaced (default: durably). Tests use it to skip fsync or to fail.
    void setFileSink(std::shared_ptr<StoreFileSink> sink);

    // --- Taking back a change that was not saved (ListStoreWithdraw.cpp) ---
    // A request whose save failed is answered as not made, so its change is taken back: each
    // of these undoes what one operation did, and only that; every other change (the window's
    // own, made before or since) stays. A change that never reached the cloud goes without a
    // trace. One that a sync sent meanwhile is undone the way the user would undo it: the
    // item or list is deleted, the earlier value is marked to be sent. Announced and saved
    // like any change.
    // Takes back addItem(): the item goes.
    void withdrawItem(const QString& itemID);
    // Takes back addList(): the list goes, with whatever was put in it since.
    void withdrawList(const QString& listID);
    // Takes back setDone() on the item as it was before it (`before`, with the marks it had
    // then); nothing when its done mark has changed again since.
    void withdrawDone(const TBItem& before, const FieldSet& marksBefore);

    // --- Change marks ---
    bool isShared(const QString& listID) const;
    ZoneRef zoneID(const QString& listID) const;
    RecordRef itemRecordID(const TBItem& item) const;
    RecordRef tombstoneRecordID(const QString& itemID) const;
    void queueMetaZone();
    void markListDirty(const QString& listID, const FieldSet& fields);
    void markItemDirty(const TBItem& item, const FieldSet& fields);
    void markFilingDirty(const QString& listID);
    void requeueDirty();
    // The engines have asked after the account: what the last requeue kept to answer a
    // sign-in quickly is let go.
    void releaseMarkScan();
    // Whether the marks hold anything the account the device is in may send now: a list's or
    // an item's fields, a group assignment, a deleted item, a list removed or left. Marks held
    // for another account, and those of lists that are view only here, are not: they cannot go
    // until that changes. Stops at the first it finds.
    bool owesCloud() const;
    // The lists whose changes the container refused in the current or last sync pass because
    // someone else was changing them there just then: their marks stay, to go with a later
    // sync. Kept in memory only; the sync side notes them, and forgets them as a pass starts or
    // a change of the list is taken.
    void noteListHeldElsewhere(const QString& listID) { listsHeldElsewhere_.insert(listID); }
    void forgetListHeldElsewhere(const QString& listID) { listsHeldElsewhere_.remove(listID); }
    void clearListsHeldElsewhere() { listsHeldElsewhere_.clear(); }
    bool listHeldElsewhere(const QString& listID) const {
        return listsHeldElsewhere_.contains(listID);
    }
    bool anyListHeldElsewhere() const { return !listsHeldElsewhere_.isEmpty(); }

    // --- Items and lists ---
    // Absent, and nothing written, when no list has the id or the list is view-only.
    std::optional<TBItem> addItem(const QString& listID, const QString& text);
    void setDone(const QString& itemID, bool done);
    void setItemPinned(const QString& itemID, bool pinned);
    void renameItem(const QString& itemID, const QString& text);
    bool addNote(const QString& text, const QString& itemID, const QString& authorID,
                 const QString& authorName);
    void removeNote(const QString& noteID, const QString& itemID, const QString& authorID,
                    const QString& authorName);
    void deleteItem(const QString& itemID);
    TBList addList(const QString& name);
    // Replaces the list whole and marks every field (the callers that own the whole value).
    void updateList(const TBList& list);
    // The list editor's save: applies to the current list only the record fields on which
    // `edited` differs from `loaded` (the list as the editor read it), and marks only those
    // whose value changes, so that changes arriving meanwhile on other fields are kept. The
    // share fields are never taken. Returns the fields that changed; none: nothing is written.
    FieldSet updateListFields(const TBList& loaded, const TBList& edited);
    void setCompletedRetention(CompletedRetention retention, const QString& listID);
    void pruneCompleted(const QString& listID);
    QString exportMarkdown(const QString& listID);
    void deleteList(const QString& listID);
    void moveItems(const QString& listID, const QStringList& visible, const std::set<int>& offsets,
                   int destination);
    int add(const Markdown::ImportResult& imported, const QString& listID);
    PersonDisplay::Resolved display(const QString& authorID, const QString& authorName) const;

    // --- Circles and person names ---
    TBCircle addCircle(const QString& name);
    void deleteCircle(const QString& circleID);
    std::optional<TBCircle> circle(const QString& circleID) const;
    std::optional<TBPerson> addPerson(const QString& name, const QString& handle,
                                      const QString& circleID);
    void removePerson(const QString& personID, const QString& circleID);
    std::optional<PersonAlias> alias(const QString& personID) const;
    void setAlias(const PersonAlias& alias);

    // --- The lists page: rows, groups, pins and drags ---
    QList<PageRow> pageRows();
    void movePageRows(const std::set<int>& offsets, int destination);
    QStringList collections();
    std::optional<QString> collection(const QString& listID) const;
    void setCollection(const std::optional<QString>& name, const QString& listID);
    void dissolveCollection(const QString& name);
    void setCollectionCollapsed(const QString& name, bool collapsed);
    void setListPinned(const QString& listID, bool pinned);

    // --- Taking in the cloud's answers (ListStoreServer.cpp) ---
    // None of these writes the store file: the sync side asks for one write per sync pass.
    // The record archives are kept as sent to them: the key and the record's encoded bytes.
    void setArchive(const QString& key, const QByteArray& data);
    void removeArchive(const QString& key);
    void setEngineStateData(EngineScope scope, const std::optional<QByteArray>& data);

    // Where a fetched record belongs (ListStoreZones.cpp). A zone is known by its owner and name
    // together, a record by its zone and name: why nothing from `zone`, or from `record`, may
    // change or remove what this store holds (a list of that id kept in another zone, an item
    // or deleted item of that name in another list, the groups zone of someone else); absent
    // when it may. The sync side asks before it applies anything below.
    std::optional<QString> foreignZone(const ZoneRef& zone) const;
    std::optional<QString> foreignRecord(const RecordRef& record) const;

    // A fetched record merged into local state: fields not marked here take the server's
    // values, notes are merged line by line. None of these writes the file or marks anything.
    void applyServerList(const TBList& server, const QByteArray& archive);
    void applyServerItem(const TBItem& server, const QByteArray& archive);
    void applyServerTombstone(const QString& itemID, const QString& listID, Date deletedAt);
    void applyServerFiling(const QString& listID, const QString& collection,
                           const QByteArray& archive);
    // Sets the list's permission and share flag; false when no list has the id.
    bool applySharePermission(const QString& listID, TBSharePermission permission);
    // Sets the share flag of a list found to be shared; false when no list has the id.
    bool setHasShare(const QString& listID);
    void applyServerDeletion(const RecordRef& record);
    void removeListLocally(const QString& listID);

    // The server accepted a save: marks whose local value is still the one sent are cleared;
    // the others stay and the record is queued again.
    void confirmListSaved(const TBList& sent, const QByteArray& archive);
    void confirmItemSaved(const TBItem& sent, const QByteArray& archive);
    void confirmFilingSaved(const QString& listID, const QString& collection,
                            const QByteArray& archive);
    void confirmTombstoneSaved(const QString& itemID);
    // A save whose answer never came may have reached the server before a change made
    // elsewhere: the marks of `fields` go, so that the server's copy, taken in next, holds
    // for them instead of being overwritten.
    void giveUpListMarks(const QString& listID, const FieldSet& fields);
    void giveUpItemMarks(const QString& itemID, const FieldSet& fields);
    // The server confirmed a record deletion, or a zone deletion of a list.
    void confirmRecordDeleted(const RecordRef& record);
    void confirmZoneDeleted(const QString& listID);

    // One database no longer holds what this device sent it (a container made anew, or an
    // older copy of it): the server copies kept of its records are let go.
    void serverCopiesLost(EngineScope scope);
    // After a whole fetch from such a database: every list, item, group assignment and
    // deletion of the user's own that the fetch did not bring back is marked in full and
    // queued, to go again. Returns whether there was any.
    bool resendWhatTheServerLacks(EngineScope scope);

    // The cloud's copies of other people's lists and items, as the server copies kept of them
    // say (the sync half reads those): what an account's held changes give way to on the device
    // while another account is in. Either may be empty, or answer nothing.
    struct ServerCopies {
        std::function<std::optional<TBList>(const QString& listID)> list;
        std::function<std::optional<TBItem>(const QString& itemID)> item;
    };
    // Account changes seen by one engine. A sign-in into an account this device has not met (after
    // another account, or a sign-out) marks every own list to go to it in full; another person's
    // list turns view only, as that account may not reach it, until its shared database's fetch
    // gives the right to change it back; a list the account owns becomes its own list.
    // The marks of other people's lists that the account left made go aside, held for it, and
    // come back when that account signs in again: a change made in a list someone shared with
    // one account is sent as that account, whenever it can write the list again, and as
    // nobody else. Meanwhile the lists show the account that is in what the cloud holds
    // (`server`), and what it changes there is its own.
    void signedIn(const QString& userRecordName, EngineScope scope);
    void signedOut(const ServerCopies& server = {});
    void resetForAccount(const ServerCopies& server = {});
    // Queues every marked record of other people's lists on the shared engine again: for an
    // engine that has just dropped what it had queued (an account change, a start over).
    void requeueOtherPeoplesLists();

signals:
    // --- Change announcements ---
    // Once per outermost operation or batch that changed anything, after its last change and
    // after its store-file write was asked for, in this order: identityChanged() and
    // lastKnownUserRecordNameChanged() when those changed, storeChanged() with everything the
    // operation changed, then changed(). An operation that changes nothing announces nothing.
    // A store change made by a slot while an announcement is under way is announced after it.
    void identityChanged();
    void lastKnownUserRecordNameChanged();
    void storeChanged(const StoreChange& change);
    // For those that redraw everything.
    void changed();

    // --- Trouble with the store file ---
    // A write of the store file failed. The state stays in memory and the next save writes it
    // all; `message` is a sentence for the user. Emitted for every failed write.
    void saveFailed(const QString& message);
    // A write succeeded after one or more failed ones.
    void saveRecovered();
    // The store cannot write its file: the lock was refused when the store was made (emitted
    // from the event loop right after construction, so a window connecting then hears it), or
    // another process took the lock over (found when saving; nothing is written from then on).
    // lockError() holds the same message.
    void lockFailed(const QString& message);
    // An edit was refused because this store takes none (editRefusal() says why); once per
    // refused operation.
    void editRefused(const QString& why);

private:
    // Loading (ListStoreFile.cpp).
    void load();
    void adopt(const DiskV2& disk);
    void migrateFilingOffTheListRecord(const QByteArray& bytes);
    // Gives a new id to each item after the first of an id that the file holds twice.
    void separateRepeatedItemIDs();

    // Where a fetched record belongs (ListStoreZones.cpp): why, without naming the zone or
    // record, nothing from them may change what is kept here.
    std::optional<QString> zoneMismatch(const ZoneRef& zone) const;
    std::optional<QString> recordMismatch(const RecordRef& record) const;
    DiskV2 snapshot() const;
    // Keeps a copy of a file that a save would change for the worse; false when the copy
    // failed.
    bool keepUnreadableCopy();
    // The file is there but cannot be opened: a writing store never writes over it.
    void refuseUnopenedFile(const QString& error);
    // Something other than a journal stands where the sending journal goes: a writing store
    // never writes.
    void refuseOddJournal();
    // The file would lose something at the first save (it did not read in full, is upgraded or
    // holds members this program does not read): it is copied aside before anything writes
    // over it.
    void copyAside();
    // The file comes from a newer program: this store changes nothing and never writes.
    void refuseNewerFile();
    // Whether the store takes no change; when it does not, a user's edit is told as refused.
    bool refusesEdit();
    bool frozen() const { return editRefusal_.has_value(); }
    // Takes the writer's reports on this store's thread and answers whoever waits for them.
    void takeSaveReports();
    // The number of the save that holds every change made so far.
    quint64 saveHoldingAll() const;

    // Engines (ListStoreMarks.cpp).
    void startEngines();
    EngineQueue* engineFor(const QString& listID) const;
    // Whether a list of that id is here and is the user's own, not from someone else's zone.
    bool isOwnList(const QString& listID) const;
    void queueListRecord(const QString& listID);
    void queueItemRecord(const TBItem& item);
    void queueFilingRecord(const QString& listID);
    void queueItemDeletion(const QString& itemID, const QString& listID);
    void markEveryItem(RecordQueue& queue);
    // At a sign-in into an account new to this device: another person's lists turn view only,
    // and those of the account itself its own (ListStoreServer.cpp).
    void settleOtherPeoplesLists(const QString& userRecordName);
    // The marks of other people's lists go aside for the account they were made in, with their
    // values, and come back when it signs in again (ListStoreHeld.cpp).
    void holdOtherPeoplesMarks(const ServerCopies& server);
    bool showCloudsList(qsizetype index, const FieldSet& held, const ServerCopies& server);
    bool showCloudsItem(const QString& itemID, const FieldSet& held, const ServerCopies& server);
    void takeBackHeldMarks(const QString& userRecordName);
    void takeBackHeldValues(const HeldMarks& held);
    // At an account change: lets go of the server copies of the device's own records, keeping
    // those of other people's zones (ListStoreServer.cpp).
    void forgetOwnServerCopies();

    // Finding by id (ListStoreIndex.cpp). Items are appended to allItems_ only through
    // appendItem(), which keeps the item index whole; any other change in their number makes
    // the next look-up build it again. Lists are appended only through appendList(); any other
    // change of lists_ but a change of fields in place (a removal, a new array) makes the next
    // look-up build the list index again.
    qsizetype indexOfItem(const QString& itemID) const;
    qsizetype indexOfList(const QString& listID) const;
    void appendItem(const TBItem& item);
    void appendList(const TBList& list);
    void indexItems() const;
    // How many different item ids there are.
    qsizetype distinctItemCount() const;
    void indexLists() const;
    bool listIndexWhole() const;

    // Editing helpers (ListStoreEditing.cpp).
    void applyImportedNotes(const QStringList& notes, const QString& itemID);
    void forgetTombstones(const QString& listID);
    // The display-order caches go stale: all items, the items of one list, or the lists.
    void itemsChanged();
    void itemsChanged(const QString& listID);
    void listsChanged();
    // Whether the list exists and may be edited here.
    bool isEditable(const QString& listID) const;
    // The order an item added at the end of the list takes: one past its highest.
    double nextItemOrder(const QString& listID) const;
    // Appends an item to a list that may be edited, at `order`, and announces it.
    TBItem appendNewItem(const QString& listID, const QString& text, double order);
    // The index of an item whose list may be edited here, or -1.
    qsizetype indexOfEditableItem(const QString& itemID) const;

    // Announcements (ListStoreChanges.cpp). An operation opens a ChangeScope; what it notes is
    // announced when the outermost scope closes. A note made outside any scope (a sync step
    // run on its own) is announced at once.
    class ChangeScope {
    public:
        explicit ChangeScope(ListStore& store);
        ~ChangeScope();
        ChangeScope(const ChangeScope&) = delete;
        ChangeScope& operator=(const ChangeScope&) = delete;

    private:
        ListStore& store_;
        int uncaught_;
    };
    // Notes a change of identity_ or lastKnownUserRecordName_ made while it lives.
    class AccountWatch {
    public:
        explicit AccountWatch(ListStore& store);
        ~AccountWatch();
        AccountWatch(const AccountWatch&) = delete;
        AccountWatch& operator=(const AccountWatch&) = delete;

    private:
        ListStore& store_;
        UserIdentity identity_;
        std::optional<QString> lastKnownUserRecordName_;
    };
    void announcePending();
    void noted();
    void noteListAdded(const QString& listID);
    void noteListRemoved(const QString& listID);
    void noteListChanged(const TBList& before, const TBList& after);
    void noteItemAdded(const TBItem& item);
    void noteItemRemoved(const TBItem& item);
    void noteItemChanged(const TBItem& before, const TBItem& after);
    void noteFiling(const QString& listID);
    void noteCircles();
    void noteAliases();
    void noteSyncSwitch();
    void noteMarked();
    // Removes every item with the id, noting it; false when there was none.
    bool dropItem(const QString& itemID);

    // Saving's report: records the result of a write and tells of a failure or recovery.
    void reportSaveResult(bool succeeded, const QString& error = QString());
    // Whether this store still holds its file's lock; when another process took it over, the
    // store stops writing and says so.
    bool stillHoldsLock();
    bool lockTakenOver();

    // The page (ListStorePage.cpp).
    QSet<QString> collapsedCollections() const;
    void moveGroup(const QString& name, int destination, const QList<PageRow>& rows);
    std::optional<QString> groupForListDroppedAt(int index, const QList<PageRow>& rows,
                                                 const std::optional<QString>& keeping) const;
    QList<QList<PageRow>> pageBlocks(const QList<PageRow>& rows) const;
    void applyPageOrder(const QList<PageRow>& rows);

    QList<TBList> lists_;
    QList<TBItem> allItems_;
    // Item id to its index in allItems_ (the first, should an id appear twice), true while
    // allItems_ holds itemsIndexed_ items and none was added but through appendItem().
    mutable QHash<QString, qsizetype> itemIndex_;
    mutable qsizetype itemsIndexed_ = -1;
    // List id to its index in lists_ (the first, should an id appear twice), true while
    // lists_ is the array of listsIndexed_ lists at listsIndexedAt_ it was built from.
    mutable QHash<QString, qsizetype> listIndex_;
    mutable qsizetype listsIndexed_ = -1;
    mutable const TBList* listsIndexedAt_ = nullptr;
    // The lists in display order, and the items in display order of the lists asked for. A
    // change of items drops only the lists it touched: rebuilding every list after each edit
    // costs a large store most of an edit's time, and keeping every list a copy of each item.
    bool listsCacheValid_ = false;
    QList<TBList> sortedListsCache_;
    QHash<QString, QList<TBItem>> itemsByListCache_;
    QList<TBCircle> circles_;
    QMap<QString, PersonAlias> aliases_;
    QMap<QString, QString> filings_;
    QMap<QString, FieldSet> dirtyLists_;
    QMap<QString, FieldSet> dirtyItems_;
    QSet<QString> dirtyFilings_;
    QSet<QString> pendingItemDeletions_;
    QMap<QString, PendingZoneDeletion> pendingZoneDeletions_;
    QMap<QString, Tombstone> tombstones_;
    QSet<QString> dirtyTombstones_;
    QMap<QString, HeldMarks> heldMarks_;
    QSet<QString> listsHeldElsewhere_;
    ArchivedRecords archivedRecords_;
    std::optional<QByteArray> engineStateData_;
    std::optional<QByteArray> sharedEngineStateData_;
    std::optional<QString> lastKnownUserRecordName_;
    UserIdentity identity_;

    QString fileURL_;
    bool cloudSync_ = false;
    Defaults& defaults_;
    bool automaticSync_ = false;
    const Clock& clock_;
    Access access_ = Access::readWrite;
    bool enginesStarted_ = false;
    std::shared_ptr<EngineFactory> engineFactory_;
    std::function<void()> shareFlagRefresh_;
    std::unique_ptr<EngineQueue> privateEngine_;
    std::unique_ptr<EngineQueue> sharedEngine_;
    // The look through the items' marks of the last requeue, until a sign-in or the engines'
    // first word with the account.
    std::shared_ptr<MarkScan> markScan_;
    qint64 batchDepth_ = 0;
    bool saveDeferred_ = false;

    std::unique_ptr<FileLock> lock_;
    std::optional<QString> lockError_;
    bool lockHeldElsewhere_ = false;
    // Set when the file on disk did not read in full as the current layout: a copy of it is
    // kept aside before the first write over it.
    bool copyBeforeWrite_ = false;
    std::optional<QString> unreadableCopy_;
    FileCopyReason fileCopyReason_ = FileCopyReason::unreadable;
    std::optional<QString> openError_;
    std::optional<QString> journalError_;
    std::optional<QString> editRefusal_;
    bool lastSaveSucceeded_ = true;
    bool changedWithoutWriting_ = false;
    QString lastSaveError_;

    StoreChange pendingChange_;
    int changeDepth_ = 0;
    bool announcing_ = false;

    // Saving: the writer thread, the last save it reported and who waits for which save.
    struct SaveWaiter {
        quint64 save;
        std::function<void(bool saved)> done;
        bool deferred = false; // its save failed, and the next one decides
    };
    std::unique_ptr<StoreWriter> writer_;
    bool itemsLent_ = false; // to the writer, to encode ahead (StoreWriter::primeCache)
    QSocketNotifier* reportWatch_ = nullptr;
    quint64 savedThrough_ = 0;
    std::deque<SaveWaiter> saveWaiters_;
};
