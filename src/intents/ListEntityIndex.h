#pragma once

#include "model/TBList.h"

#include <QList>
#include <QString>

// The program's own search index of lists: one file holding every list's id and name, so that
// launchers and scripts can find lists without opening the store. Each refresh rewrites the
// whole file, so lists deleted since the last refresh are gone from it too.
namespace ListEntityIndex {

// "list-index.json" in the program's data folder.
QString defaultPath();

// Writes {"lists": [{"id": …, "name": …}, …]} in the given order, atomically. False when the
// file could not be written; the index is a convenience, so callers carry on either way.
bool refresh(const QList<TBList>& lists, const QString& path = defaultPath());

} // namespace ListEntityIndex
