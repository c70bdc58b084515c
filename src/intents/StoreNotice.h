#pragma once

#include <QString>

#include <functional>

class ListStore;

// What the command line says about a store file it opened, apart from any reply; and what the
// window says of its sync, in the command line's words.
namespace StoreNotice {

// The store file could not be read in full; its bytes are kept in `copy`.
QString unreadable(const QString& storeFile, const QString& copy);
// The store file was in an older layout and is upgraded; the file as it was is kept in `copy`.
QString upgraded(const QString& storeFile, const QString& copy);
// The store file holds data from a later Tallybird that this one does not read, which its next
// save leaves out; the file as it was is kept in `copy`.
QString unknownMembers(const QString& storeFile, const QString& copy);
// One of the three above, for the copy `store` kept of its file (ListStore::unreadableCopy(),
// which must be there), by why it kept it.
QString copyKept(const ListStore& store);

// Said when the program ends: its latest changes could not be saved to `storeFile` and are
// kept in `copy` (UnsavedCopies) instead.
QString unsavedKept(const QString& storeFile, const QString& copy);
// Said when the program ends: its latest changes could be neither saved nor kept; `error` says
// why.
QString unsavedLost(const QString& storeFile, const QString& error);
// Said at the next start, for each file such changes were kept in.
QString unsavedCopy(const QString& copy);

// A sync pass could not be done; `why` is the cloud's own account of it, put on one line.
QString syncFailed(const QString& why);

// Says on `notice` that the store file, or the sending journal beside it, could not be opened,
// and copyKept() when the store kept a copy of its file.
void tell(const ListStore& store, const std::function<void(const QString&)>& notice);

} // namespace StoreNotice
