#include "Defaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <sys/stat.h>

#include <mutex>

using JsonRead::toUtf8;

namespace {
std::mutex standardMutex;
std::shared_ptr<Defaults> standardDefaults;
} // namespace

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
    if (v->is_number_unsigned() && v->get<quint64>() > quint64(std::numeric_limits<qint64>::max())) {
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

void Defaults::setBool(const QString& key, bool value) { store(key, Json(value)); }
void Defaults::setInteger(const QString& key, qint64 value) { store(key, Json(value)); }
void Defaults::setNumber(const QString& key, double value) { store(key, Json(value)); }
void Defaults::setString(const QString& key, const QString& value) {
    store(key, Json(toUtf8(value)));
}
void Defaults::setStringList(const QString& key, const QStringList& value) {
    store(key, JsonRead::fromStringList(value));
}
void Defaults::setDictionary(const QString& key, const Json& object) {
    store(key, object.is_object() ? object : Json::object());
}
void Defaults::remove(const QString& key) { store(key, std::nullopt); }

std::optional<Json> MemoryDefaults::value(const QString& key) const {
    const auto it = values_.find(toUtf8(key));
    if (it == values_.end()) {
        return std::nullopt;
    }
    return *it;
}

void MemoryDefaults::store(const QString& key, std::optional<Json> value) {
    if (value) {
        values_[toUtf8(key)] = std::move(*value);
    } else {
        values_.erase(toUtf8(key));
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

Json readObject(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Json::object();
    }
    try {
        Json document = JsonRead::parse(file.readAll());
        return document.is_object() ? document : Json::object();
    } catch (const DecodeError&) {
        return Json::object();
    }
}

} // namespace

FileDefaults::FileDefaults(QString path) : path_(std::move(path)) { reloadIfChanged(); }

void FileDefaults::reloadIfChanged() const {
    const QString stamp = fileStamp(path_);
    if (stamp == stamp_ && !stamp.isEmpty()) {
        return;
    }
    stamp_ = stamp;
    values_ = stamp.isEmpty() ? Json::object() : readObject(path_);
}

std::optional<Json> FileDefaults::value(const QString& key) const {
    reloadIfChanged();
    const auto it = values_.find(toUtf8(key));
    if (it == values_.end()) {
        return std::nullopt;
    }
    return *it;
}

void FileDefaults::store(const QString& key, std::optional<Json> value) {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // The lock keeps two processes from merging into the same old version of the file.
    QLockFile lock(path_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(2000);

    stamp_.clear();
    reloadIfChanged();
    if (value) {
        values_[toUtf8(key)] = std::move(*value);
    } else {
        values_.erase(toUtf8(key));
    }

    QSaveFile file(path_);
    const std::string bytes = values_.dump(2) + "\n";
    lastWriteSucceeded_ = locked && file.open(QIODevice::WriteOnly) &&
                          file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()) &&
                          file.commit();
    stamp_ = fileStamp(path_);
}
