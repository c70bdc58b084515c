#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

class QIODevice;

// Replacing a file so that it always holds either its old contents or the whole new ones, even
// when the disk fills up, a file-size limit cuts a write short or the power fails. The new
// contents go to a temporary file beside the target; every write is checked, the file is synced
// to the disk and only then moved over the target. Any failure removes the temporary file,
// leaves the target as it was and is returned to the caller.
namespace DurableFile {

enum class Sync {
    toDisk, // the bytes reach the disk before they replace the old file
    skip,   // for tests, which write a great deal and never lose power
};

// Writes the new contents into the device; false when it gives up. A write the device refuses
// or takes only part of fails the replacement whatever this returns.
using Content = std::function<bool(QIODevice& device)>;

// True when `path` now holds what `content` wrote; otherwise false, `path` as it was, and
// `error` (when given) says why. A symbolic link at `path` is followed: its target is replaced.
bool replace(const QString& path, const Content& content, QString* error = nullptr,
             Sync sync = Sync::toDisk);
bool replace(const QString& path, QByteArrayView bytes, QString* error = nullptr,
             Sync sync = Sync::toDisk);

// Removes the temporary files that writers of `path` killed in the middle of a write left
// beside it. Only for a caller that knows nobody else is writing `path` now.
void removeLeftovers(const QString& path);

// Copies the file `from` to `to` the same way: `to` never holds part of the copy.
bool copy(const QString& from, const QString& to, QString* error = nullptr);

} // namespace DurableFile
