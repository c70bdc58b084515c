// Typed settings over a JSON object, in memory or in a file shared between processes.
#include "Defaults.h"

#include "DefaultsTable.h"
#include "DurableFile.h"
#include "FileLock.h"
#include "JsonRead.h"
#include "PrivateFolder.h"
#include "RegularFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMetaObject>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>

#include <limits>
#include <mutex>
#include <utility>

using JsonRead::toUtf8;

namespace {
std::mutex standardMutex;
std::shared_ptr<Defaults> standardDefaults;
} // namespace

Defaults::Defaults() = default;
Defaults::~Defaults() = default;

Defaults& Defaults::standard() {
    std::lock_guard lock(standardMutex);
    if (!standardDefaults) {
        standardDefaults = std::make_shared<MemoryDefaults>();
    }
    return *standardDefaults;
}

void Defaults::setStandard(std::shared_ptr<Defaults> defaults) {
    std::lock_guard lock(standardMutex);
    standardDefaults = std::move(defaults);
}

bool Defaults::contains(const QString& key) const {
    return value(key).has_value();
}

std::optional<bool> Defaults::boolValue(const QString& key) const {
    const std::optional<Json> v = value(key);
    if (!v || !v->is_boolean()) {
        return std::nullopt;
    }
    return v->get<bool>();
}

std::optional<qint64> Defaults::integer(const QString& key) const {
    const std::optional<Json> v = value(key);
    if (!v || !v->is_number_integer()) {
        return std::nullopt;
    }
    if (v->is_number_unsigned() &&
        v->get<quint64>() > quint64(std::numeric_limits<qint64>::max())) {
        return std::nullopt;
    }
    return v->get<qint64>();
}

std::optional<double> Defaults::number(const QString& key) const {
    const std::optional<Json> v = value(key);
    if (!v || !v->is_number()) {
        return std::nullopt;
    }
    return v->get<double>();
}

std::optional<QString> Defaults::string(const QString& key) const {
    const std::optional<Json> v = value(key);
    if (!v || !v->is_string()) {
        return std::nullopt;
    }
    return JsonRead::toQString(v->get_ref<const std::string&>());
}

std::optional<QStringList> Defaults::stringList(const QString& key) const {
    const std::optional<Json> v = value(key);
    if (!v || !v->is_array()) {
        return std::nullopt;
    }
    QStringList list;
    for (const Json& element : *v) {
        if (!element.is_string()) {
            return std::nullopt;
        }
        list.append(JsonRead::toQString(element.get_ref<const std::string&>()));
    }
    return list;
}

std::optional<Json> Defaults::dictionary(const QString& key) const {
    std::optional<Json> v = value(key);
    if (!v || !v->is_object()) {
        return std::nullopt;
    }
    return v;
}

void Defaults::setBool(const QString& key, bool value) {
    write(key, Json(value));
}
void Defaults::setInteger(const QString& key, qint64 value) {
    write(key, Json(value));
}
void Defaults::setNumber(const QString& key, double value) {
    write(key, Json(value));
}
void Defaults::setString(const QString& key, const QString& value) {
    write(key, Json(toUtf8(value)));
}
void Defaults::setStringList(const QString& key, const QStringList& value) {
    write(key, JsonRead::fromStringList(value));
}
void Defaults::setDictionary(const QString& key, const Json& object) {
    write(key, object.is_object() ? object : Json::object());
}
void Defaults::remove(const QString& key) {
    write(key, std::nullopt);
}

void Defaults::write(const QString& key, std::optional<Json> newValue) {
    // A value already held is not written again: every request sets a flag that is nearly
    // always set, and a durable rewrite of the file costs more than the request.
    const bool same = value(key) == newValue;
    if (same && holdsWhatItSays())
        return;
    store(key, std::move(newValue));
    if (!same)
        emit changed(key);
}

MemoryDefaults::MemoryDefaults() : values_(std::make_unique<DefaultsTable>()) {}
MemoryDefaults::~MemoryDefaults() = default;

std::optional<Json> MemoryDefaults::value(const QString& key) const {
    const Json* found = values_->find(toUtf8(key));
    if (!found) {
        return std::nullopt;
    }
    return *found;
}

void MemoryDefaults::store(const QString& key, std::optional<Json> value) {
    if (value) {
        values_->set(toUtf8(key), std::move(*value));
    } else {
        values_->erase(toUtf8(key));
    }
}

namespace {

// Identifies one version of a file: a rename by another process changes the inode, an
// in-place write changes the size or the modification time.
QString fileStamp(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return QString();
    }
    return QStringLiteral("%1:%2:%3.%4")
        .arg(qulonglong(info.st_ino))
        .arg(qlonglong(info.st_size))
        .arg(qlonglong(info.st_mtim.tv_sec))
        .arg(qlonglong(info.st_mtim.tv_nsec));
}

// Moves the file at `from` to a name beside it nobody uses, the time it was set aside in it;
// the new name, or nothing when it could not be moved.
std::optional<QString> moveAside(const QString& from) {
    const QString base =
        from + QStringLiteral(".unreadable-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'"));
    const QByteArray source = QFile::encodeName(from);
    for (int n = 0; n < 100; ++n) {
        const QString to = n == 0 ? base : base + QStringLiteral("-") + QString::number(n);
        // Never over another file: a copy set aside before is kept too.
        const QByteArray target = QFile::encodeName(to);
        if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                        RENAME_NOREPLACE) == 0)
            return to;
        if (errno == EINVAL) {
            // A file system that cannot refuse to replace: the name is checked first.
            struct stat existing {};
            if (::lstat(target.constData(), &existing) == 0)
                continue;
            return std::rename(source.constData(), target.constData()) == 0
                       ? std::optional<QString>(to)
                       : std::nullopt;
        }
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

bool isFolder(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

FileDefaults::FileDefaults(QString path)
    : path_(std::move(path)), values_(std::make_unique<DefaultsTable>()) {
    reloadIfChanged(Announce::no);
    // Watching needs the event loop of an application; a program without one (a tool, most
    // tests) still notices other writers at its next read.
    if (QCoreApplication::instance())
        watch();
}

FileDefaults::~FileDefaults() = default;

void FileDefaults::watch() {
    // The file is replaced by a rename on every write, which a watch on the file itself does
    // not survive; the folder sees the rename. The file is watched too, for an editor that
    // writes it in place.
    const QString folder = QFileInfo(path_).absolutePath();
    PrivateFolder::make(folder);
    watcher_ = new QFileSystemWatcher(this);
    watcher_->addPath(folder);
    if (QFileInfo::exists(path_))
        watcher_->addPath(path_);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            &FileDefaults::fileMayHaveChanged);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &FileDefaults::fileMayHaveChanged);
}

void FileDefaults::fileMayHaveChanged() {
    if (!watcher_->files().contains(path_) && QFileInfo::exists(path_))
        watcher_->addPath(path_);
    reloadIfChanged(Announce::yes);
}

void FileDefaults::reloadIfChanged(Announce announce, Locked locked) const {
    const QString stamp = fileStamp(path_);
    if (stamp == stamp_ && !stamp.isEmpty()) {
        return;
    }
    stamp_ = stamp;
    DefaultsTable fresh;
    if (!stamp.isEmpty()) {
        // Only a regular file is read: a pipe in its place would keep every request waiting.
        QString why;
        std::optional<DefaultsTable> read;
        if (const std::optional<QByteArray> bytes = RegularFile::read(path_, &why))
            read = DefaultsTable::parse(*bytes, &why);
        if (read)
            fresh = std::move(*read);
        else if (!why.isEmpty()) // empty: the file went meanwhile
            setAside(stamp, why, locked);
    }
    if (announce == Announce::yes)
        announceLater(DefaultsTable::changedKeys(*values_, fresh));
    *values_ = std::move(fresh);
}

void FileDefaults::setAside(const QString& stamp, const QString& why, Locked locked) const {
    // Moved, not copied: a pipe or a device cannot be copied, and a file that stays would be
    // read, and found unreadable, by every request. Under the lock, so that a file another
    // process has just written in its place is never the one moved.
    std::optional<QString> kept;
    if (!isFolder(path_)) {
        FileLock lock(path_ + QStringLiteral(".lock"));
        if ((locked == Locked::yes || lock.lock(2000) == FileLock::Outcome::locked) &&
            fileStamp(path_) == stamp)
            kept = moveAside(path_);
    }
    stamp_ = fileStamp(path_);
    const QString name = QStringLiteral("“") + path_ + QStringLiteral("”");
    const std::optional<QString> before = notice_;
    notice_ = kept ? QStringLiteral("The settings file %1 could not be read: %2. It was moved to "
                                    "“%3”, and Tallybird uses its usual settings.")
                         .arg(name, why, *kept)
                   : QStringLiteral("The settings file %1 cannot be read: %2. Tallybird uses "
                                    "its usual settings.")
                         .arg(name, why);
    // A window that shows the notice learns of a file set aside while it runs (one edited by
    // hand, say); the reader is not called back in the middle of its read.
    if (notice_ != before && QCoreApplication::instance()) {
        auto* self = const_cast<FileDefaults*>(this);
        QMetaObject::invokeMethod(
            self, [self] { emit self->unreadableFileNoticeChanged(); }, Qt::QueuedConnection);
    }
}

void FileDefaults::announceLater(const QStringList& keys) const {
    if (keys.isEmpty())
        return;
    const bool queued = !unannounced_.isEmpty();
    for (const QString& key : keys) {
        if (!unannounced_.contains(key))
            unannounced_.append(key);
    }
    if (queued)
        return;
    // Reads find these changes, and a reader must not be called back in the middle of its
    // read: the keys are announced once the event loop runs again.
    auto* self = const_cast<FileDefaults*>(this);
    QMetaObject::invokeMethod(
        self,
        [self] {
            const QStringList keys = std::exchange(self->unannounced_, {});
            for (const QString& key : keys)
                emit self->changed(key);
        },
        Qt::QueuedConnection);
}

std::optional<Json> FileDefaults::value(const QString& key) const {
    reloadIfChanged(Announce::yes);
    const Json* found = values_->find(toUtf8(key));
    if (!found) {
        return std::nullopt;
    }
    return *found;
}

void FileDefaults::store(const QString& key, std::optional<Json> value) {
    PrivateFolder::make(QFileInfo(path_).absolutePath());
    // The lock keeps two processes from merging into the same old version of the file.
    // The kernel lets go of it when a writer dies, so a lock file left behind blocks nobody.
    FileLock lock(path_ + QStringLiteral(".lock"));
    const bool locked = lock.lock(2000) == FileLock::Outcome::locked;

    // Read again under the lock, whatever the stamp says: other keys another process changed
    // since the last read are merged in, and announced.
    stamp_.clear();
    reloadIfChanged(Announce::yes, locked ? Locked::yes : Locked::no);
    if (value) {
        values_->set(toUtf8(key), std::move(*value));
    } else {
        values_->erase(toUtf8(key));
    }

    const std::string bytes = values_->text();
    lastWriteSucceeded_ =
        locked &&
        DurableFile::replace(path_, QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    stamp_ = fileStamp(path_);
}
