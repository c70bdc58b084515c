#include "ListStore.h"

#include "RecordField.h"
#include "StoreFileSink.h"
#include "StoreWriter.h"
#include "UnreadableCopies.h"

#include "model/Markdown.h"
#include "platform/Base64.h"
#include "platform/Defaults.h"
#include "platform/DurableFile.h"
#include "platform/FileLock.h"
#include "platform/Unicode.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <utility>

namespace {

// Display order for lists and items alike: pinned first, then ascending order; stable.
template <typename T> void displaySort(QList<T>& elements) {
    std::stable_sort(elements.begin(), elements.end(), [](const T& a, const T& b) {
        if (a.pinned != b.pinned)
            return a.pinned;
        return a.order < b.order;
    });
}

// Text order, with the raw text deciding between texts that are canonically equal so that
// the result does not depend on hashing.
void sortTags(QStringList& tags) {
    std::sort(tags.begin(), tags.end(), [](const QString& a, const QString& b) {
        const int order = Unicode::compareText(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}

QString lockErrorText(const QString& fileURL, const FileLock& lock, FileLock::Outcome outcome) {
    const QString name = QStringLiteral("“") + fileURL + QStringLiteral("”");
    if (outcome == FileLock::Outcome::held) {
        if (const qint64 holder = lock.holder())
            return QStringLiteral("The store file %1 is in use by another Tallybird process "
                                  "(process %2).")
                .arg(name)
                .arg(holder);
        return QStringLiteral("The store file %1 is in use by another Tallybird process.")
            .arg(name);
    }
    return QStringLiteral("The store file %1 cannot be locked for writing: %2.")
        .arg(name, lock.errorString());
}

} // namespace

ListStore::ListStore(const std::optional<QString>& fileURL, bool cloudSync, bool automaticSync,
                     Defaults& defaults, const Clock& clock, Access access, QObject* parent)
    : QObject(parent), fileURL_(fileURL ? *fileURL : defaultStoreURL()), cloudSync_(cloudSync),
      defaults_(defaults), automaticSync_(automaticSync), clock_(clock), access_(access) {
    if (access_ == Access::readWrite) {
        // Held for the store's whole life, so two writing stores never overwrite each other's
        // whole document. The kernel lets go of it when its holder ends, so a lock file left by
        // a process that died (empty, naming a dead process or garbage) keeps nobody out; a
        // lock held by a live process is never judged stale, however long that process runs.
        lock_ = std::make_unique<FileLock>(fileURL_ + QStringLiteral(".lock"));
        const FileLock::Outcome outcome = lock_->tryLock();
        if (outcome != FileLock::Outcome::locked) {
            lockError_ = lockErrorText(fileURL_, *lock_, outcome);
            lockHeldElsewhere_ = outcome == FileLock::Outcome::held;
            lock_.reset();
            // Told from the event loop, once whoever made the store has connected to it.
            QMetaObject::invokeMethod(
                this, [this] { emit lockFailed(*lockError_); }, Qt::QueuedConnection);
        } else {
            // Only the lock's holder writes the file: a temporary file beside it is what a
            // holder killed in the middle of a write left.
            DurableFile::removeLeftovers(fileURL_);
        }
    }
    // The writer exists before the file is read: an upgrade writes at once. Its reports are
    // taken on this thread's event loop, when there is one, or by flushSaves().
    // A store that cannot write has none.
    if (canWrite())
        writer_ = std::make_unique<StoreWriter>(fileURL_, StoreFileSink::durable());
    if (writer_ && QCoreApplication::instance()) {
        reportWatch_ = new QSocketNotifier(writer_->reportSignal(), QSocketNotifier::Read, this);
        connect(reportWatch_, &QSocketNotifier::activated, this, [this] { takeSaveReports(); });
    }
    refuseOddJournal();
    load();
}

ListStore::~ListStore() {
    // A batch the cloud committed while the store was on its way out is recorded as sent, or
    // the next sync would send it again over whatever changed elsewhere meanwhile.
    if (engineFactory_)
        engineFactory_->storeEnding();
    // Every save asked for is written before the store, and with it the lock, goes. The watch
    // goes first: it must not outlive the descriptor it watches.
    delete reportWatch_;
    writer_.reset();
}

bool ListStore::keepUnreadableCopy() {
    const std::optional<QString> copy = UnreadableCopies::keepCopy(fileURL_, clock_.now());
    if (!copy)
        return false;
    if (!copy->isEmpty())
        unreadableCopy_ = *copy;
    copyBeforeWrite_ = false;
    return true;
}

namespace {

template <typename Table> FieldSet allNames(const Table& table) {
    FieldSet names;
    for (const auto& field : table)
        names.insert(QString::fromLatin1(field.name));
    return names;
}

} // namespace

const FieldSet& ListStore::allListFields() {
    static const FieldSet fields = allNames(RecordFields::list);
    return fields;
}

const FieldSet& ListStore::allItemFields() {
    static const FieldSet fields = allNames(RecordFields::item);
    return fields;
}

std::optional<QByteArray> ListStore::archivedRecord(const QString& key) const {
    const std::optional<QByteArray> text = archivedRecords_.value(key);
    if (!text)
        return std::nullopt;
    return Base64::decode(*text);
}

const QList<TBList>& ListStore::sortedLists() {
    if (!listsCacheValid_) {
        sortedListsCache_ = lists_;
        displaySort(sortedListsCache_);
        listsCacheValid_ = true;
    }
    return sortedListsCache_;
}

void ListStore::rebuildDerivedCacheIfNeeded() {
    sortedLists();
}

QList<TBItem> ListStore::items(const QString& listID) {
    if (const auto cached = itemsByListCache_.constFind(listID); cached != itemsByListCache_.cend())
        return *cached;
    QList<TBItem> sorted = itemsOf(listID);
    // Only the lists asked for are kept: every list's items sorted at once would double what a
    // large store holds of its items. A list without items is not kept: any id may be asked.
    if (!sorted.isEmpty())
        itemsByListCache_.insert(listID, sorted);
    return sorted;
}

QList<TBItem> ListStore::itemsOf(const QString& listID) const {
    if (const auto cached = itemsByListCache_.constFind(listID); cached != itemsByListCache_.cend())
        return *cached;
    // allItems_ is read as const: the writer may share it, and a detach would copy every item.
    // The items keep the order they have in allItems_ before the stable sort.
    QList<TBItem> items;
    for (const TBItem& item : std::as_const(allItems_)) {
        if (item.listID == listID)
            items.append(item);
    }
    displaySort(items);
    return items;
}

QStringList ListStore::tags(const QString& listID) {
    QSet<QString> pool;
    for (const TBItem& item : items(listID)) {
        for (const QString& tag : Markdown::tags(item.text))
            pool.insert(tag);
    }
    QStringList sorted(pool.begin(), pool.end());
    sortTags(sorted);
    return sorted;
}

QStringList ListStore::vocabulary(const QString& listID) {
    const QStringList used = tags(listID);
    QSet<QString> pool(used.begin(), used.end());
    for (const QString& tag :
         defaults_.stringList(QStringLiteral("starterTags.") + listID).value_or(QStringList()))
        pool.insert(tag);
    const QStringList saved =
        defaults_.stringList(QStringLiteral("tagOrder.") + listID).value_or(QStringList());

    QStringList ordered;
    for (const QString& tag : saved) {
        if (pool.contains(tag))
            ordered.append(tag);
    }
    for (const QString& tag : saved)
        pool.remove(tag);
    QStringList rest(pool.begin(), pool.end());
    sortTags(rest);
    return ordered + rest;
}

void ListStore::batch(const std::function<void()>& body) {
    // Closed after the write below was asked for: the change is announced once, at the end.
    const ChangeScope scope(*this);
    ++batchDepth_;
    struct Close {
        ListStore& store;
        ~Close() {
            --store.batchDepth_;
            if (store.batchDepth_ == 0 && store.saveDeferred_) {
                store.saveDeferred_ = false;
                store.persist();
            }
        }
    } close{*this};
    body();
}
