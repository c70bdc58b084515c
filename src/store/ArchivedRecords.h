#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// The server records the store keeps, by archive key ("L#" + list id, "I#" + item id, ...), as
// their Base64 text. Each is held as the member the store file writes for it, `"key":"text"`,
// made when the record arrives: a save writes the members as they are, however many there are.
//
// The text given to insert() must be Base64 (it never needs escaping); the reader of the store
// file checks that of every record it reads. Every change gives the records a new version, unique
// in the process, which copies share: the store's writer keeps the members it wrote by version.
class ArchivedRecords {
public:
    bool contains(const QString& key) const { return members_.contains(key); }
    bool isEmpty() const { return members_.isEmpty(); }
    qsizetype size() const { return members_.size(); }
    QStringList keys() const { return members_.keys(); }
    // The record's Base64 text; absent when there is none.
    std::optional<QByteArray> value(const QString& key) const;

    void insert(const QString& key, const QByteArray& base64);
    // As insert(), quicker for keys that come in ascending order (as the store file has them).
    void append(const QString& key, const QByteArray& base64);
    bool remove(const QString& key);
    void clear();

    // Key to the member's text in the store file, in key order (the order it is written in).
    const QMap<QString, QByteArray>& members() const { return members_; }
    // Equal versions hold the same members; 0 is the version of none.
    quint64 version() const { return version_; }

    bool operator==(const ArchivedRecords& other) const { return members_ == other.members_; }

private:
    void changed();

    QMap<QString, QByteArray> members_;
    quint64 version_ = 0;
};
