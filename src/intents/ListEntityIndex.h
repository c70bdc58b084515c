#pragma once

#include "intents/ListEntity.h"
#include "model/TBList.h"

#include <QList>
#include <QString>

#include <optional>

class ListStore;

// The program's own search index of lists: one file holding every list's id and name, so that
// launchers, scripts and the command line find lists without opening the store. Each refresh
// rewrites the whole file, so lists deleted since the last refresh are gone from it too.
//
// Whoever changes the store's lists rewrites the index. The index also names the version of the
// store file it was written from (its stamp), so that a reader can tell an index that is behind
// the store (a writer stopped between the two files, or another program wrote the store) and
// read the store instead.
namespace ListEntityIndex {

// "list-index.json" in the program's data folder.
QString defaultPath();

// Identifies one version of the store file: its inode, size and change time. Empty when the
// file is missing.
QString storeStamp(const QString& storeFile);

// Writes {"lists": [{"id": …, "name": …}, …], "store": stamp} in the given order, atomically.
// An empty stamp marks an index that no reader trusts. False when the file could not be
// written; the index is a convenience, so callers carry on either way.
bool refresh(const QList<TBList>& lists, const QString& path = defaultPath(),
             const QString& storeStamp = {});

// Refreshes the index from a store. It is stamped with the store file as it is now when the
// store holds the file's lock and read the file in full (a damaged file must still be read by a
// store, which says so); call it after the store's last save. Nothing is written for a store
// from a newer program (ListStore::editRefusal), whose index that program keeps.
bool refresh(ListStore& store, const QString& path = defaultPath());

// The index's lists, when it was written from the store file version `storeStamp`.
std::optional<QList<ListEntity>> read(const QString& storeStamp,
                                      const QString& path = defaultPath());

} // namespace ListEntityIndex
