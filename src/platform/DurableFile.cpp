// Writing a whole new file beside the old one and moving it over it, checking every step.
#include "DurableFile.h"

#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Hands every write straight to the file: a write the file takes only part of is continued
// until the file refuses, and the first refusal is kept. There is no buffer in between, so
// once a write returned, its bytes are in the file.
class FileOutput final : public QIODevice {
public:
    FileOutput(int fd, bool startWriteback) : fd_(fd), startWriteback_(startWriteback) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    // The error number of the first refused write; 0 when every write went through.
    int failure() const { return failure_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (failure_ != 0)
            return -1;
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, data + done, size_t(size - done));
            if (n > 0) {
                done += n;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                failure_ = n < 0 ? errno : EIO;
                setErrorString(systemError(failure_));
                return -1;
            }
        }
        written_ += done;
        if (startWriteback_ && written_ - handedToDisk_ >= writebackStep) {
            // The disk starts on what is written while the rest is still being made, so the
            // final sync has less left to wait for. Only a start: nothing here waits.
            ::sync_file_range(fd_, handedToDisk_, written_ - handedToDisk_, SYNC_FILE_RANGE_WRITE);
            handedToDisk_ = written_;
        }
        return done;
    }

private:
    static constexpr qint64 writebackStep = 1 << 20;
    const int fd_;
    const bool startWriteback_;
    int failure_ = 0;
    qint64 written_ = 0;
    qint64 handedToDisk_ = 0;
};

// The hidden name of a file written to replace `target`; `suffix` makes it one nobody else uses.
QString temporaryName(const QFileInfo& target, const QString& suffix) {
    return QStringLiteral(".") + target.fileName() + QStringLiteral(".") + suffix;
}

// A new file beside `target`, hidden, with a name nobody else uses, made with `mode` less the
// umask.
int createBeside(const QString& target, QByteArray* name, mode_t mode) {
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString suffix =
            QStringLiteral("tmp-") + QString::number(QRandomGenerator::global()->generate64(), 36);
        *name = QFile::encodeName(info.absoluteDir().filePath(temporaryName(info, suffix)));
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void syncFolder(const QString& file) {
    // Makes the rename itself last through a power cut. The new file is whole under whichever
    // name it ends up with, so a folder that cannot be synced fails nothing.
    DurableFile::syncFolderOf(file);
}

} // namespace

void DurableFile::syncFolderOf(const QString& file) {
    const int fd = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

DurableFile::Displaced& DurableFile::Displaced::operator=(Displaced&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void DurableFile::Displaced::release() {
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

bool DurableFile::replace(const QString& path, const Content& content, QString* error, Sync sync,
                          Displaced* displaced, NewFile mode) {
    QString ignored;
    QString& why = error ? *error : ignored;
    const QFileInfo info(path);
    // A link is followed to the file it leads to, or to where that file is to be made. A link
    // to anything else (a device, a pipe, a folder) is replaced itself: nothing is ever moved
    // over what is not a regular file, wherever it is.
    QString target = path;
    if (info.isSymLink()) {
        struct stat led {};
        if (::stat(QFile::encodeName(path).constData(), &led) != 0 || S_ISREG(led.st_mode))
            target = info.symLinkTarget();
    }
    const QByteArray targetName = QFile::encodeName(target);

    QByteArray temporary;
    int fd = createBeside(target, &temporary, mode == NewFile::ownerOnly ? 0600 : 0666);
    if (fd < 0) {
        why = systemError(errno);
        return false;
    }
    const auto fail = [&](int code) {
        // A failed content leaves `why` empty: its caller knows why it gave up.
        why = code != 0 ? systemError(code) : QString();
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        return false;
    };
    struct stat oldStatus {};
    const bool replacesFile =
        ::stat(targetName.constData(), &oldStatus) == 0 && S_ISREG(oldStatus.st_mode);
    // A file that is replaced passes its own mode on. A private new one is made 0600 even
    // when the umask would take the owner's own rights away.
    if (replacesFile && ::fchmod(fd, oldStatus.st_mode & 07777) != 0)
        return fail(errno);
    if (!replacesFile && mode == NewFile::ownerOnly && ::fchmod(fd, 0600) != 0)
        return fail(errno);

    bool made = false;
    int refused = 0;
    {
        FileOutput output(fd, sync == Sync::toDisk);
        made = content(output);
        refused = output.failure();
    }
    if (refused != 0)
        return fail(refused);
    if (!made)
        return fail(0);
    if (sync == Sync::toDisk && ::fsync(fd) != 0)
        return fail(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return fail(errno);
    // Held open across the rename, the old file is not given back to the disk as part of the
    // rename, and the folder sync does not wait for that. One that cannot be opened (no read
    // permission) is given back at once, as without `displaced`.
    Displaced old;
    if (displaced && replacesFile)
        old = Displaced(
            ::open(targetName.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (std::rename(temporary.constData(), targetName.constData()) != 0)
        return fail(errno);
    if (sync == Sync::toDisk)
        syncFolder(target);
    if (displaced)
        *displaced = std::move(old);
    return true;
}

bool DurableFile::replace(const QString& path, QByteArrayView bytes, QString* error, Sync sync,
                          NewFile mode) {
    return replace(
        path,
        [bytes](QIODevice& device) {
            return device.write(bytes.data(), bytes.size()) == bytes.size();
        },
        error, sync, nullptr, mode);
}

void DurableFile::removeLeftovers(const QString& path) {
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    // Only names of the form written above: a temporary file of another file that starts with
    // the same name (a copy kept beside it) has a longer suffix and is left alone.
    static const QRegularExpression suffix(QStringLiteral("^tmp-[0-9a-z]+$"));
    const QString prefix = temporaryName(info, QString());
    for (const QString& name :
         folder.entryList({prefix + QStringLiteral("*")}, QDir::Files | QDir::Hidden)) {
        if (suffix.match(name.mid(prefix.size())).hasMatch())
            QFile::remove(folder.filePath(name));
    }
}

bool DurableFile::copy(const QString& from, const QString& to, QString* error) {
    // Only a regular file: a pipe or a device in its place would never end the copy.
    QFile source;
    QString openError;
    if (RegularFile::open(source, from, &openError) != RegularFile::Outcome::opened) {
        if (error)
            *error = openError.isEmpty() ? systemError(ENOENT) : openError;
        return false;
    }
    QString readError;
    const bool copied = replace(
        to,
        [&](QIODevice& device) {
            QByteArray block(1 << 20, Qt::Uninitialized);
            for (;;) {
                const qint64 n = source.read(block.data(), block.size());
                if (n < 0) {
                    readError = source.errorString();
                    return false;
                }
                if (n == 0)
                    return true;
                if (device.write(block.constData(), n) != n)
                    return false;
            }
        },
        error);
    if (!copied && error && error->isEmpty())
        *error = readError;
    return copied;
}
