// Telling of trouble with the store file: a failed write, a lock refused or taken over, a file
// from a newer Tallybird that is only shown, something odd where its sending journal goes.
#include "ListStore.h"

#include "SendingJournal.h"
#include "StoreWriter.h"
#include "platform/FileLock.h"

#include <QSocketNotifier>

namespace {

// An error as the end of a sentence.
QString sentence(const QString& error) {
    if (error.isEmpty() || error.endsWith(QLatin1Char('.')))
        return error;
    return error + QLatin1Char('.');
}

} // namespace

void ListStore::reportSaveResult(bool succeeded, const QString& error) {
    const bool wasFailing = !lastSaveSucceeded_;
    lastSaveSucceeded_ = succeeded;
    lastSaveError_ = succeeded ? QString() : sentence(error);
    if (!succeeded) {
        const QString why =
            lastSaveError_.isEmpty() ? QString() : QStringLiteral(" ") + lastSaveError_;
        emit saveFailed(QStringLiteral("Your lists could not be saved to “%1”.%2 Your changes are "
                                       "kept while Tallybird runs, and saving is tried again "
                                       "with the next change.")
                            .arg(fileURL_, why));
    } else if (wasFailing) {
        emit saveRecovered();
    }
}

void ListStore::refuseUnopenedFile(const QString& error) {
    // A store file that is there but cannot be opened (a folder, or a file without the right
    // to read it) cannot be copied aside either, and is never written over: the store starts
    // empty and says so at once, as for a refused lock, instead of failing at its first save.
    openError_ = QStringLiteral("The store file “%1” cannot be opened: %2.").arg(fileURL_, error);
    if (!canWrite())
        return;
    lockError_ = openError_;
    QMetaObject::invokeMethod(
        this, [this] { emit lockFailed(*lockError_); }, Qt::QueuedConnection);
}

void ListStore::refuseOddJournal() {
    const QString path = SendingJournal::pathBeside(fileURL_);
    const QString kind = SendingJournal::notAJournal(path);
    if (kind.isEmpty())
        return;
    // A pipe there would hold every sync that reads or appends to it, and a link would have
    // sync write elsewhere: as with an odd store file, the store is shown but never written,
    // so that whatever a sending cut short left is not lost meanwhile.
    journalError_ =
        QStringLiteral("The sending journal “%1” beside the store file cannot be opened: %2.")
            .arg(path, kind);
    if (!canWrite())
        return;
    lockError_ = journalError_;
    QMetaObject::invokeMethod(
        this, [this] { emit lockFailed(*lockError_); }, Qt::QueuedConnection);
}

bool ListStore::stillHoldsLock() {
    if (!lock_)
        return false;
    if (lock_->stillHolds())
        return true;
    // The lock file is gone or was replaced (deleted, or its folder removed): whoever holds the
    // lock on the file there now may be writing the store; when nobody does, it is taken again.
    auto again = std::make_unique<FileLock>(lock_->path());
    switch (again->tryLock()) {
    case FileLock::Outcome::locked:
        lock_ = std::move(again);
        return true;
    case FileLock::Outcome::held:
        return lockTakenOver();
    case FileLock::Outcome::failed:
        break;
    }
    // The folder cannot hold a lock file, so it cannot hold the store file either: a failed
    // save, tried again with the next change.
    reportSaveResult(false, again->errorString());
    return false;
}

bool ListStore::lockTakenOver() {
    // Another process holds the lock and may be writing the file: a write from here would
    // replace its whole document, so nothing is written any more. The lock file is theirs
    // and stays.
    lock_.reset();
    lockError_ = QStringLiteral("Another Tallybird process took over the store file “%1”. "
                                "Changes made here are no longer saved.")
                     .arg(fileURL_);
    emit lockFailed(*lockError_);
    return false;
}

QString ListStore::newerVersionText(const QString& fileURL) {
    return QStringLiteral("The lists in “%1” come from a newer version of Tallybird and cannot "
                          "be changed here.")
        .arg(fileURL);
}

void ListStore::refuseNewerFile() {
    editRefusal_ = newerVersionText(fileURL_);
    if (!canWrite())
        return;
    // Nothing is ever written over the file, so the writer goes, and the lock with it: the
    // newer program may take the file while this one shows it.
    delete reportWatch_;
    reportWatch_ = nullptr;
    writer_.reset();
    lock_.reset();
    lockError_ = editRefusal_;
    QMetaObject::invokeMethod(
        this, [this] { emit lockFailed(*lockError_); }, Qt::QueuedConnection);
}

bool ListStore::refusesEdit() {
    if (!editRefusal_)
        return false;
    emit editRefused(*editRefusal_);
    return true;
}
