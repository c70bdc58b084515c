#pragma once

#include <QByteArray>
#include <QString>

#include <limits>
#include <optional>

#include <sys/types.h>

class QFile;

// Opening the profile's files for reading only when they are regular files. A named pipe in a
// file's place would block the open, and every read after it, for ever; a device such as
// /dev/zero never ends. Neither is opened in a way that blocks or that a device would notice,
// and the caller is told what stands there instead. A symbolic link is followed, unless the
// caller refuses links: a file kept elsewhere and linked is still a file, but a file only the
// program makes and removes is never one it reaches through a link.
namespace RegularFile {

enum class Links {
    follow, // a link to a regular file is read as that file
    refuse, // a link is refused as any other kind of file is
};

enum class Outcome {
    opened,  // a regular file, open for reading
    missing, // nothing at the path (or a link to nothing, when links are followed)
    refused, // something else, or a file that cannot be opened: see the error
};

// Opens `path` for reading into `file`. The error is a phrase such as "Permission denied" or
// "file to open is a named pipe", for the end of a sentence that names the file.
Outcome open(QFile& file, const QString& path, QString* error = nullptr,
             Links links = Links::follow);

// The whole file, when it is a regular file of at most `limit` bytes; otherwise nothing, with
// why in `error` (empty when the file is missing).
std::optional<QByteArray> read(const QString& path, QString* error = nullptr,
                               qint64 limit = std::numeric_limits<qint64>::max(),
                               Links links = Links::follow);

// What a file of this mode is, when it is not a regular file ("file to open is a named
// pipe"); empty for a regular file.
QString notRegular(mode_t mode);

} // namespace RegularFile
