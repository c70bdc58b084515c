#pragma once

#include "platform/Date.h"

#include <QString>
#include <QStringList>

// Copies of a store file that could not be read in full, kept beside it before the store first
// writes over it, so that no save destroys data this version did not understand.
namespace UnreadableCopies {

inline constexpr int kept = 5;

// Copies `storeFile` to "<storeFile>.unreadable-<UTC time stamp>" and removes older copies so
// that `kept` remain, the new one always among them. True when the copy exists afterwards, or
// there was no file to copy.
bool keepCopy(const QString& storeFile, Date now);

// The copies beside `storeFile`, oldest first.
QStringList copies(const QString& storeFile);

} // namespace UnreadableCopies
