#pragma once

#include "JsonRead.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// Typed user settings by key. A value stored with another type reads as absent, so a reader
// never mistakes a number for a Boolean.
class Defaults {
public:
    virtual ~Defaults() = default;

    bool contains(const QString& key) const { return value(key).has_value(); }
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

    // The settings of this program. Until the application installs its file-backed settings
    // this is an empty in-memory set, so tests and tools never touch the user's files.
    static Defaults& standard();
    static void setStandard(std::shared_ptr<Defaults> defaults);

protected:
    virtual std::optional<Json> value(const QString& key) const = 0;
    virtual void store(const QString& key, std::optional<Json> value) = 0; // nothing removes
};

class MemoryDefaults final : public Defaults {
protected:
    std::optional<Json> value(const QString& key) const override;
    void store(const QString& key, std::optional<Json> value) override;

private:
    Json values_ = Json::object();
};

// Settings kept as one JSON object in a file. Every read notices when another process changed
// the file and reads it again; every write merges into the file's current content under a
// lock and replaces the file atomically, so two processes never lose each other's keys.
class FileDefaults final : public Defaults {
public:
    explicit FileDefaults(QString path);
    QString path() const { return path_; }
    // False when the last write could not reach the disk (the value is still kept in memory).
    bool lastWriteSucceeded() const { return lastWriteSucceeded_; }

protected:
    std::optional<Json> value(const QString& key) const override;
    void store(const QString& key, std::optional<Json> value) override;

private:
    void reloadIfChanged() const;

    QString path_;
    mutable Json values_ = Json::object();
    mutable QString stamp_; // size, modification time and inode of the file last read
    bool lastWriteSucceeded_ = true;
};
