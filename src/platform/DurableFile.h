#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <utility>

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

// The mode of a file made where there was none; a file that is replaced keeps its own mode.
enum class NewFile {
    ownerOnly, // 0600 whatever the umask: the person's lists, settings and copies of them
    umask,     // what the umask leaves of 0666: a file made for use outside the program
};

// Writes the new contents into the device; false when it gives up. A write the device refuses
// or takes only part of fails the replacement whatever this returns.
using Content = std::function<bool(QIODevice& device)>;

// The old file a replacement took the place of, still open. The disk gives a file's blocks back
// when its last name and its last open descriptor are gone, and giving back a large file's
// blocks takes about as long as writing them: a caller that is waited for lets go of the old
// file once it has answered, not before. Letting go is closing; the destructor does it too.
class Displaced {
public:
    Displaced() = default;
    explicit Displaced(int descriptor) : fd_(descriptor) {}
    Displaced(Displaced&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Displaced& operator=(Displaced&& other) noexcept;
    ~Displaced() { release(); }

    bool holdsFile() const { return fd_ >= 0; }
    void release();

private:
    int fd_ = -1;
};

// True when `path` now holds what `content` wrote; otherwise false, `path` as it was, and
// `error` (when given) says why. A symbolic link at `path` to a regular file (or to nothing) is
// followed: its target is replaced; a link to anything else is replaced itself.
// With `displaced`, the old file, when there was one, is kept open in it after a replacement.
bool replace(const QString& path, const Content& content, QString* error = nullptr,
             Sync sync = Sync::toDisk, Displaced* displaced = nullptr,
             NewFile mode = NewFile::ownerOnly);
bool replace(const QString& path, QByteArrayView bytes, QString* error = nullptr,
             Sync sync = Sync::toDisk, NewFile mode = NewFile::ownerOnly);

// Removes the temporary files that writers of `path` killed in the middle of a write left
// beside it. Only for a caller that knows nobody else is writing `path` now.
void removeLeftovers(const QString& path);

// Makes the name of a file just made in its folder last through a power cut, as a replacement's
// rename does. A folder that cannot be synced fails nothing.
void syncFolderOf(const QString& file);

// Copies the regular file `from` to `to` the same way: `to` never holds part of the copy. A new
// `to` is its owner's only.
bool copy(const QString& from, const QString& to, QString* error = nullptr);

} // namespace DurableFile
