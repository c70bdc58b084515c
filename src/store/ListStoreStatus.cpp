// Telling of trouble with the store file: a failed write, a lock refused or taken over.
#include "ListStore.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <vector>

namespace {

// Locks that were taken over stay open, and are never unlocked, until the process ends:
// unlocking deletes the lock file, which now belongs to the process that holds the lock.
void abandon(std::unique_ptr<QLockFile> lock) {
    static auto* const abandoned = new std::vector<QLockFile*>();
    abandoned->push_back(lock.release());
}

} // namespace

void ListStore::reportSaveResult(bool succeeded) {
    const bool wasFailing = !lastSaveSucceeded_;
    lastSaveSucceeded_ = succeeded;
    if (!succeeded) {
        emit saveFailed(QStringLiteral("Your lists could not be saved to “%1”. Your changes are "
                                       "kept while Tallybird runs, and saving is tried again "
                                       "with the next change.")
                            .arg(fileURL_));
    } else if (wasFailing) {
        emit saveRecovered();
    }
}

bool ListStore::stillHoldsLock() {
    if (!lock_)
        return false;
    qint64 pid = 0;
    QString host;
    QString program;
    if (lock_->getLockInfo(&pid, &host, &program)) {
        if (pid == QCoreApplication::applicationPid() && host == QSysInfo::machineHostName())
            return true;
        return lockTakenOver();
    }
    // The lock file is gone (deleted, or its folder removed): nobody holds the lock now, so it
    // is taken again. The old lock object must not unlock: that would delete the new file.
    auto again = std::make_unique<QLockFile>(lock_->fileName());
    again->setStaleLockTime(0);
    if (again->tryLock(0)) {
        abandon(std::move(lock_));
        lock_ = std::move(again);
        return true;
    }
    if (again->error() == QLockFile::LockFailedError)
        return lockTakenOver();
    // The folder cannot hold a lock file, so it cannot hold the store file either: a failed
    // save, tried again with the next change.
    reportSaveResult(false);
    return false;
}

bool ListStore::lockTakenOver() {
    // Another process holds the lock and may be writing the file: a write from here would
    // replace its whole document, so nothing is written any more.
    abandon(std::move(lock_));
    lockError_ = QStringLiteral("Another Tallybird process took over the store file “%1”. "
                                "Changes made here are no longer saved.")
                     .arg(fileURL_);
    emit lockFailed(*lockError_);
    return false;
}
