// Reading, upgrading and writing the store file.
#include "ListStore.h"

#include "DiskV2.h"
#include "StoreFileBytes.h"
#include "StoreLocation.h"
#include "StoreWriter.h"
#include "UnreadableCopies.h"
#include "platform/AppPaths.h"
#include "platform/DurableFile.h"
#include "platform/Ids.h"
#include "platform/PrivateFolder.h"
#include "platform/RegularFile.h"
#include "platform/Unicode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <exception>

#include <algorithm>
#include <vector>

QString ListStore::defaultStoreURL() {
    // This platform has no folder shared by a group of programs: the data folder is the place.
    return resolveStoreURL(std::nullopt, AppPaths::dataDir());
}

QString ListStore::resolveStoreURL(const std::optional<QString>& groupContainer,
                                   const QString& legacy) {
    const QString fileName = QStringLiteral("store.json");
    const QString legacyFile = QDir(legacy).filePath(fileName);
    if (!groupContainer) {
        PrivateFolder::make(legacy);
        return legacyFile;
    }
    PrivateFolder::make(*groupContainer);
    const QString groupFile = QDir(*groupContainer).filePath(fileName);
    if (!QFile::exists(groupFile) && QFile::exists(legacyFile))
        DurableFile::copy(legacyFile, groupFile);
    return groupFile;
}

namespace {

// The file's bytes once more, for the rare readings after the first one gave them back.
QByteArray readAgain(const QString& path) {
    return RegularFile::read(path).value_or(QByteArray());
}

} // namespace

void ListStore::load() {
    // Only a regular file is read: a pipe in its place would block the open for ever, and a
    // device such as /dev/zero would never end.
    QFile file;
    QString error;
    switch (RegularFile::open(file, fileURL_, &error)) {
    case RegularFile::Outcome::opened:
        break;
    case RegularFile::Outcome::missing:
        return;
    case RegularFile::Outcome::refused:
        refuseUnopenedFile(error);
        return;
    }
    const Date now = clock_.now();
    std::optional<DiskV2> disk;
    {
        // Read in one pass that gives the bytes back behind it: a large store is not held
        // both as text and as what was read from it.
        std::optional<StoreFileBytes> bytes = StoreFileBytes::read(file, DiskV2::readingRoom);
        file.close();
        try {
            if (bytes)
                disk = DiskV2::decode(*bytes, now);
        } catch (const DecodeError&) {
        }
    }
    if (disk) {
        if (disk->version > DiskV2::currentVersion) {
            refuseNewerFile();
        } else if (disk->holdsUnknownMembers) {
            // A later build's members that this one does not read would be gone at the first
            // save: the file as it is stays beside it.
            fileCopyReason_ = FileCopyReason::unknownMembers;
            copyAside();
        }
        adopt(*disk);
        disk.reset();
        // Encoded on the writer's thread while it has nothing to write: the first save then
        // writes only what changed, like every later one.
        if (writer_) {
            writer_->primeCache(allItems_);
            itemsLent_ = true;
        }
        return;
    }

    const QByteArray bytes = readAgain(fileURL_);
    // A newer program's file that does not read as this layout is neither upgraded nor copied:
    // what this program can read of it is shown, and the file stays as it is.
    const std::optional<double> version = DiskV2::declaredVersion(bytes);
    const bool newer = version && *version > DiskV2::currentVersion;
    if (newer) {
        refuseNewerFile();
    } else {
        // Anything but the current layout loses data when it is written over: keep a copy
        // first.
        copyAside();
    }
    try {
        const DiskV1 first = DiskV1::decode(bytes, now);
        if (!newer && !first.namesVersion)
            fileCopyReason_ = FileCopyReason::olderLayout;
        lists_ = first.lists;
        allItems_ = first.items;
        separateRepeatedItemIDs();
        itemsChanged();
        listsChanged();
        if (newer)
            return;
        for (const TBList& list : lists_)
            dirtyLists_[list.id] = allListFields();
        for (const TBItem& item : allItems_)
            dirtyItems_[item.id] = allItemFields();
        persist();
    } catch (const DecodeError&) {
    }
}

void ListStore::copyAside() {
    // Taken at once, before anything is handed to the writer, so that whoever opened the store
    // can name it, even when this store never writes. When it fails, the writer tries again
    // before its first write and writes nothing while it cannot.
    copyBeforeWrite_ = true;
    if (!keepUnreadableCopy() && writer_)
        writer_->keepCopyBeforeFirstWrite();
}

void ListStore::adopt(const DiskV2& disk) {
    lists_ = disk.lists;
    allItems_ = disk.items;
    itemsChanged();
    listsChanged();
    // Marks of lists that no longer exist could never be sent and would recreate the list's
    // zone at every start; they are dropped.
    QSet<QString> listIDs;
    for (const TBList& list : lists_)
        listIDs.insert(list.id);
    dirtyLists_.clear();
    for (auto it = disk.dirtyLists.begin(); it != disk.dirtyLists.end(); ++it) {
        if (listIDs.contains(it.key()))
            dirtyLists_.insert(it.key(), it.value());
    }
    dirtyItems_ = disk.dirtyItems;
    archivedRecords_ = disk.archivedRecords;
    engineStateData_ = disk.engineState;
    sharedEngineStateData_ = disk.sharedEngineState;
    lastKnownUserRecordName_ = disk.lastKnownUserRecordName;
    if (disk.identity) {
        identity_ = *disk.identity;
    } else if (lastKnownUserRecordName_ && !lastKnownUserRecordName_->isEmpty()) {
        identity_.byScope[QStringLiteral("migrated")] = *lastKnownUserRecordName_;
        identity_.knownRecordNames.insert(*lastKnownUserRecordName_);
    }
    circles_ = disk.circles.value_or(QList<TBCircle>());
    aliases_ = disk.aliases.value_or(QMap<QString, PersonAlias>());
    pendingItemDeletions_ = disk.pendingItemDeletions.value_or(QSet<QString>());
    tombstones_ = disk.tombstones.value_or(QMap<QString, Tombstone>());
    dirtyTombstones_ = disk.dirtyTombstones.value_or(QSet<QString>());
    pendingZoneDeletions_ =
        disk.pendingZoneDeletions.value_or(QMap<QString, PendingZoneDeletion>());
    heldMarks_ = disk.heldMarks.value_or(QMap<QString, HeldMarks>());
    if (disk.filings) {
        filings_ = *disk.filings;
        dirtyFilings_ = disk.dirtyFilings.value_or(QSet<QString>());
    } else if (!frozen()) {
        migrateFilingOffTheListRecord(readAgain(fileURL_));
    }
    separateRepeatedItemIDs();
}

// A file that holds one item id more than once (damaged, or edited by hand) keeps every item in
// its list. Under one id, the others would be found as the first, edited as the first and
// never synced; another device would hold only the first. The first keeps the id, with its
// marks and server copy; each other takes a new id, marked in full, and goes to the cloud as
// an item of its own.
void ListStore::separateRepeatedItemIDs() {
    // Looked for among the ids' hashes first: sorted, they take a fraction of the memory a set
    // of the ids would, at the peak of a large store's load.
    std::vector<size_t> hashes;
    hashes.reserve(size_t(allItems_.size()));
    for (const TBItem& item : std::as_const(allItems_))
        hashes.push_back(qHash(item.id));
    std::sort(hashes.begin(), hashes.end());
    if (std::adjacent_find(hashes.begin(), hashes.end()) == hashes.end())
        return;
    hashes = {};
    QSet<QString> seen;
    seen.reserve(allItems_.size());
    bool renamed = false;
    for (TBItem& item : allItems_) {
        if (!seen.contains(item.id)) {
            seen.insert(item.id);
            continue;
        }
        item.id = Ids::newId();
        renamed = true;
        if (!frozen())
            dirtyItems_[item.id] = allItemFields();
    }
    if (!renamed)
        return; // only two hashes were equal
    itemsIndexed_ = -1;
    itemsChanged();
    if (!frozen())
        persist();
}

void ListStore::migrateFilingOffTheListRecord(const QByteArray& bytes) {
    LegacyFilingFile legacy;
    try {
        legacy = LegacyFilingFile::decode(bytes);
    } catch (const DecodeError&) {
        return;
    }
    bool taken = false;
    for (const LegacyFilingFile::Entry& entry : legacy.lists) {
        const QString name =
            Unicode::trimWhitespaceAndNewlines(entry.groupName.value_or(QString()));
        if (name.isEmpty())
            continue;
        filings_[entry.id] = name;
        dirtyFilings_.insert(entry.id);
        // Sending the list record again removes the retired group field from it on the server.
        if (indexOfList(entry.id) >= 0)
            dirtyLists_[entry.id] = allListFields();
        taken = true;
    }
    if (taken)
        persist();
}

DiskV2 ListStore::snapshot() const {
    DiskV2 disk;
    disk.lists = lists_;
    disk.items = allItems_;
    disk.dirtyLists = dirtyLists_;
    disk.dirtyItems = dirtyItems_;
    disk.archivedRecords = archivedRecords_;
    disk.engineState = engineStateData_;
    disk.sharedEngineState = sharedEngineStateData_;
    disk.lastKnownUserRecordName = lastKnownUserRecordName_;
    disk.identity = identity_;
    disk.circles = circles_;
    disk.aliases = aliases_;
    disk.filings = filings_;
    disk.dirtyFilings = dirtyFilings_;
    disk.pendingItemDeletions = pendingItemDeletions_;
    disk.tombstones = tombstones_;
    disk.dirtyTombstones = dirtyTombstones_;
    disk.pendingZoneDeletions = pendingZoneDeletions_;
    if (!heldMarks_.isEmpty())
        disk.heldMarks = heldMarks_;
    return disk;
}

void ListStore::persist() {
    if (batchDepth_ > 0) {
        saveDeferred_ = true;
        return;
    }
    if (!canWrite() || !stillHoldsLock())
        return;
    // The containers are shared, not copied: the writer encodes them on its thread while this
    // one goes on, and a later change here copies only what it changes.
    writer_->save(snapshot(), clock_.now());
}

bool ListStore::writeCopy(const QString& path, QString* error) const {
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(fileURL_).absoluteFilePath()) {
        *error = QStringLiteral("A copy cannot take the store file's place.");
        return false;
    }
    const DiskV2 state = snapshot();
    const auto content = [&](QIODevice& device) {
        try {
            return state.encode(device);
        } catch (const std::exception&) {
            return false;
        }
    };
    return DurableFile::replace(path, content, error);
}

void ListStore::takeSaveReports() {
    if (!writer_)
        return;
    writer_->clearReportSignal();
    // One report at a time: a waiter may change the store and save again from inside.
    while (const std::optional<StoreWriter::Report> report = writer_->takeReport()) {
        savedThrough_ = report->save;
        if (report->copiedAside) {
            copyBeforeWrite_ = false;
            if (!report->copy.isEmpty())
                unreadableCopy_ = report->copy;
        }
        // After a failed write the state stays in memory and the next change writes it all.
        reportSaveResult(report->ok, report->error);
        while (!saveWaiters_.empty() && saveWaiters_.front().save <= report->save) {
            SaveWaiter waiter = std::move(saveWaiters_.front());
            saveWaiters_.pop_front();
            // A later save asked for since holds the same changes and may still write them: the
            // next report answers instead. Only once, so that edits made without pause while
            // every save fails cannot keep a waiter waiting.
            if (!report->ok && !waiter.deferred && saveHoldingAll() > report->save) {
                waiter.save = report->save + 1;
                waiter.deferred = true;
                const auto place = std::upper_bound(
                    saveWaiters_.begin(), saveWaiters_.end(), waiter.save,
                    [](quint64 save, const SaveWaiter& other) { return save < other.save; });
                saveWaiters_.insert(place, std::move(waiter));
                continue;
            }
            waiter.done(report->ok);
        }
    }
}

quint64 ListStore::saveHoldingAll() const {
    return writer_->lastRequested() + (saveDeferred_ ? 1 : 0);
}

void ListStore::whenSaved(std::function<void(bool saved)> done) {
    if (!canWrite()) {
        done(false);
        return;
    }
    const quint64 save = saveHoldingAll();
    if (save <= savedThrough_) {
        done(lastSaveSucceeded_);
        return;
    }
    saveWaiters_.push_back({save, std::move(done)});
}

void ListStore::flushSaves() {
    // A waiter answered here may ask for another save (a change taken back): that one is
    // written and answered too.
    while (writer_) {
        writer_->waitUntilIdle();
        takeSaveReports();
        if (!writer_ || savedThrough_ >= writer_->lastRequested())
            break;
    }
}

void ListStore::setFileSink(std::shared_ptr<StoreFileSink> sink) {
    if (writer_)
        writer_->setSink(std::move(sink));
}
