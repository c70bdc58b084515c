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
// file checks that of every record it reads.
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
    bool remove(const QString& key) { return members_.remove(key) > 0; }
    void clear() { members_.clear(); }

    // Key to the member's text in the store file, in key order (the order it is written in).
    const QMap<QString, QByteArray>& members() const { return members_; }

    bool operator==(const ArchivedRecords&) const = default;

private:
    QMap<QString, QByteArray> members_;
};
