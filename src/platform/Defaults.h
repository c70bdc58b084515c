#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

#include <memory>
#include <optional>

class DefaultsTable;
class QFileSystemWatcher;

// The program writes JSON with keys in a fixed order (see JsonRead.h, which includes the whole
// library; this header only names the type, so its many includers do not parse it).
using Json = nlohmann::ordered_json;

// Typed user settings by key. A value stored with another type reads as absent, so a reader
// never mistakes a number for a Boolean.
//
// changed(key) is emitted after a key's value changed: at once for a write through this object
// that changes the value (writing the same value again is silent), and for a change another
// process made to a shared file as soon as it is noticed (see FileDefaults). Screens that show
// a setting listen for its key and redraw; nothing else needs to announce a settings change.
// Used on one thread, the one the object lives in.
class Defaults : public QObject {
    Q_OBJECT
public:
    ~Defaults() override;

    bool contains(const QString& key) const;
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<qint64> integer(const QString& key) const; // whole JSON numbers only
    std::optional<double> number(const QString& key) const;  // any JSON number
    std::optional<QString> string(const QString& key) const;
    std::optional<QStringList> stringList(const QString& key) const; // every element a text
    std::optional<Json> dictionary(const QString& key) const;        // a JSON object

    void setBool(const QString& key, bool value);
    void setInteger(const QString& key, qint64 value);
    void setNumber(const QString& key, double value);
    void setString(const QString& key, const QString& value);
    void setStringList(const QString& key, const QStringList& value);
    void setDictionary(const QString& key, const Json& object);
    void remove(const QString& key);

    // What became of a settings file that could not be read (it was found malformed, nested
    // too deeply or not a file, and was moved aside), for the person to be told; nothing when
    // the settings were read.
    virtual std::optional<QString> unreadableFileNotice() const { return std::nullopt; }

    // The settings of this program. Until the application installs its file-backed settings
    // this is an empty in-memory set, so tests and tools never touch the user's files.
    static Defaults& standard();
    static void setStandard(std::shared_ptr<Defaults> defaults);

signals:
    void changed(const QString& key);
    // unreadableFileNotice() came to say something new: announced on the next turn of the
    // event loop, as it is found in the middle of a read.
    void unreadableFileNoticeChanged();

protected:
    Defaults();
    virtual std::optional<Json> value(const QString& key) const = 0;
    virtual void store(const QString& key, std::optional<Json> value) = 0; // nothing removes
    // False while a value read may be one that did not reach the storage: writing it again is
    // then not idle.
    virtual bool holdsWhatItSays() const { return true; }

private:
    void write(const QString& key, std::optional<Json> value);
};

class MemoryDefaults final : public Defaults {
    Q_OBJECT
public:
    MemoryDefaults();
    ~MemoryDefaults() override;

protected:
    std::optional<Json> value(const QString& key) const override;
    void store(const QString& key, std::optional<Json> value) override;

private:
    std::unique_ptr<DefaultsTable> values_;
};

// Settings kept as one JSON object in a file. Every read notices when another process changed
// the file and reads it again; every write merges into the file's current content under a
// lock and replaces the file atomically, so two processes never lose each other's keys.
//
// A file that cannot be read as settings (malformed, nested too deeply, a pipe or a device in
// its place) is moved aside under a name beside it, so that the next write loses nothing of it,
// and the settings read as empty; unreadableFileNotice() says so. A folder in its place stays.
//
// A key another process changed is announced with changed() on the next turn of the event
// loop after it is noticed: at the next read, or at once when the file's folder is watched,
// which it is whenever the object is made in a program with an application object.
class FileDefaults final : public Defaults {
    Q_OBJECT
public:
    explicit FileDefaults(QString path);
    ~FileDefaults() override;

    QString path() const { return path_; }
    std::optional<QString> unreadableFileNotice() const override { return notice_; }
    // False when the last write could not reach the disk (the value is still kept in memory).
    bool lastWriteSucceeded() const { return lastWriteSucceeded_; }

protected:
    std::optional<Json> value(const QString& key) const override;
    void store(const QString& key, std::optional<Json> value) override;
    bool holdsWhatItSays() const override { return lastWriteSucceeded_; }

private:
    enum class Announce { no, yes };
    enum class Locked { no, yes }; // whether this process holds the file's lock
    void reloadIfChanged(Announce announce, Locked locked = Locked::no) const;
    void setAside(const QString& stamp, const QString& why, Locked locked) const;
    void announceLater(const QStringList& keys) const;
    void watch();
    void fileMayHaveChanged();

    QString path_;
    mutable std::unique_ptr<DefaultsTable> values_;
    mutable QString stamp_; // size, modification time and inode of the file read
    mutable std::optional<QString> notice_;
    mutable QStringList unannounced_; // keys found changed, announced on the next turn
    bool lastWriteSucceeded_ = true;
    QFileSystemWatcher* watcher_ = nullptr;
};
