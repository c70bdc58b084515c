#pragma once

#include "platform/Date.h"

#include <QString>
#include <QStringList>

#include <optional>

// Copies of a store file that could not be read in full, kept beside it before the store first
// writes over it, so that no save destroys data this version did not understand.
namespace UnreadableCopies {

inline constexpr int kept = 5;

// Makes sure a copy of `storeFile`'s bytes is kept beside it and returns the copy's path. A copy
// that already holds the same bytes is used as it is, so reading the same damaged file again and
// again never pushes older, different copies out. Otherwise copies to
// "<storeFile>.unreadable-<UTC time stamp>" and removes older copies so that `kept` remain, the
// new one always among them. Empty when there is no file to copy; absent when the copy failed.
std::optional<QString> keepCopy(const QString& storeFile, Date now);

// The copies beside `storeFile`, oldest first.
QStringList copies(const QString& storeFile);

} // namespace UnreadableCopies
