#pragma once

#include "platform/Date.h"

#include <QString>
#include <QStringList>

#include <optional>

class ListStore;

// Changes that could not be saved in the store file, kept in a file of their own when the
// program ends, so that none is lost with it: the store's whole state, written as a store file.
// Beside the store file when its folder takes one ("<storeFile>.unsaved-<UTC time stamp>"),
// else in the home folder ("tallybird-unsaved-<digest of the store's path>-<UTC time stamp>"),
// so that each store finds its own. Nothing here removes one: they stay until the user moves
// them away.
namespace UnsavedCopies {

// Writes `store`'s state to a new file and returns its path; absent, with `error` set, when
// neither place took it.
std::optional<QString> keep(const ListStore& store, Date now, QString* error);

// The copies kept for `storeFile`, those beside it first, each place oldest first.
QStringList copies(const QString& storeFile);

} // namespace UnsavedCopies
