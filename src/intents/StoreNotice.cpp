// Notes about the store file for the command line.
#include "intents/StoreNotice.h"

#include "store/ListStore.h"

QString StoreNotice::unreadable(const QString& storeFile, const QString& copy) {
    return QStringLiteral("The store file “%1” could not be read in full; its contents are kept "
                          "in “%2”.")
        .arg(storeFile, copy);
}

QString StoreNotice::upgraded(const QString& storeFile, const QString& copy) {
    return QStringLiteral("The store file “%1” was in an older layout and is upgraded to the "
                          "current one; the file as it was is kept in “%2”.")
        .arg(storeFile, copy);
}

QString StoreNotice::unknownMembers(const QString& storeFile, const QString& copy) {
    return QStringLiteral("The store file “%1” holds data from a later Tallybird that this one "
                          "does not read and leaves out when it saves; the file as it was is "
                          "kept in “%2”.")
        .arg(storeFile, copy);
}

QString StoreNotice::copyKept(const ListStore& store) {
    const QString& copy = *store.unreadableCopy();
    switch (store.fileCopyReason()) {
    case ListStore::FileCopyReason::olderLayout:
        return upgraded(store.fileURL(), copy);
    case ListStore::FileCopyReason::unknownMembers:
        return unknownMembers(store.fileURL(), copy);
    case ListStore::FileCopyReason::unreadable:
        break;
    }
    return unreadable(store.fileURL(), copy);
}

QString StoreNotice::unsavedKept(const QString& storeFile, const QString& copy) {
    return QStringLiteral("Your latest changes could not be saved to “%1”. They are kept in "
                          "“%2”.")
        .arg(storeFile, copy);
}

QString StoreNotice::unsavedLost(const QString& storeFile, const QString& error) {
    return QStringLiteral("Your latest changes could not be saved to “%1”, nor kept in a file "
                          "of their own, and are lost. %2")
        .arg(storeFile, error)
        .trimmed();
}

QString StoreNotice::unsavedCopy(const QString& copy) {
    return QStringLiteral("Changes Tallybird could not save when it ended are kept in “%1”.")
        .arg(copy);
}

QString StoreNotice::syncFailed(const QString& why) {
    // The server's own words may run over several lines; the notice gives them one paragraph.
    const QString reason = why.simplified();
    if (reason.isEmpty())
        return QStringLiteral("Tallybird could not sync.");
    return QStringLiteral("Tallybird could not sync: %1").arg(reason);
}

void StoreNotice::tell(const ListStore& store, const std::function<void(const QString&)>& notice) {
    if (!notice)
        return;
    // A writing store refuses to work on a file it cannot open, and whoever made it says so.
    if (store.openError() && store.lockError() != store.openError())
        notice(*store.openError());
    // Also by a store that does not write for it: a request that only reads is answered, and
    // the catch-up before it could not be made.
    if (store.journalError())
        notice(*store.journalError());
    if (store.unreadableCopy())
        notice(copyKept(store));
}
