#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QStringList>

#include <QSet>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The server records the store keeps, by archive key ("L#" + list id, "I#" + item id, ...), as
// their Base64 text. Each is held as the member the store file writes for it, `"key":"text"`,
// made when the record arrives: a save writes the members as they are, however many there are.
//
// A large store holds one record per item, so the members read from the file (and, after many
// changes, all of them) lie one after another in one block of text, which copies share and
// nobody changes once it is shared; the key of such a member is read from its text. Changes
// since are kept beside the block until there are many.
//
// Folding the changes into a new block copies every member's text, which for a large store takes
// longer than a window may stop answering: it is done on another thread from what the records
// held when it began, and the new block is taken at the next change once it is ready, with the
// changes made meanwhile kept beside it. Changes that only add records (a first sync's) go into a
// block nobody else holds where it lies instead, a move of its text rather than a second copy.
//
// The text given to insert() must be Base64 (it never needs escaping); the reader of the store
// file checks that of every record it reads. Every change gives the records a new version, unique
// in the process, which copies share.
class ArchivedRecords {
public:
    bool contains(const QString& key) const;
    bool isEmpty() const { return size_ == 0; }
    qsizetype size() const { return size_; }
    QStringList keys() const;
    // The keys that start with `prefix`, found without going through the others.
    QStringList keysStartingWith(const QString& prefix) const;
    // The record's Base64 text; absent when there is none.
    std::optional<QByteArray> value(const QString& key) const;

    void insert(const QString& key, const QByteArray& base64);
    // As insert(), quicker for keys that come in ascending order (as the store file has them).
    void append(const QString& key, const QByteArray& base64);
    bool remove(const QString& key);
    void clear();
    // Room for appending members of this much text in all, and giving back what was not used.
    void reserve(qsizetype text);
    void squeeze();

    // Calls `write(member)` with each member's text in the store file, in key order (the order
    // it is written in).
    template <typename Write> void forEachMember(Write write) const;
    // Equal versions hold the same members; 0 is the version of none.
    quint64 version() const { return version_; }

    bool operator==(const ArchivedRecords& other) const;

    // Where folds run (by default on Qt's global thread pool), for tests that hold one back.
    using FoldRunner = std::function<void(std::function<void()> fold)>;
    static void setFoldRunner(FoldRunner runner);

private:
    struct Block {
        QByteArray text;
        std::vector<qsizetype> ends; // where each member's text ends, in key order
    };
    struct Fold;

    template <typename Write>
    static void forEachMemberOf(const Block* block, const std::vector<bool>& gone,
                                const QMap<QString, QByteArray>& added, Write write);
    static QByteArrayView memberOf(const Block& block, qsizetype index);

    qsizetype blockSize() const { return block_ ? qsizetype(block_->ends.size()) : 0; }
    QByteArrayView blockMember(qsizetype index) const;
    bool isGone(qsizetype index) const { return !gone_.empty() && gone_[size_t(index)]; }
    // The place of the key's member in the block, when it is there and not gone.
    std::optional<qsizetype> findInBlock(const QString& key) const;
    // The block, made when there is none, when this one alone holds it.
    Block* blockToFill();
    void markGone(qsizetype index);
    void foldWhenLarge();
    // Merges the changes into the block where it lies, when it has none gone and nobody else
    // holds it; false when it cannot.
    bool foldInPlace();
    // Takes the block of a fold that is ready; the keys changed since it began stay beside it.
    void takeFinishedFold();
    // Before a change of the key.
    void changing(const QString& key);
    void changed();

    // Changed only while held by this one alone (blockToFill()).
    std::shared_ptr<Block> block_;
    std::vector<bool> gone_; // members of the block removed since (empty when none are)
    qsizetype goneCount_ = 0;
    QMap<QString, QByteArray> added_; // members not in the block
    qsizetype size_ = 0;
    quint64 version_ = 0;
    std::shared_ptr<Fold> fold_; // under way
    QSet<QString> changedSinceFold_;
};

// How the key of a member written as `"key":...` compares with `key` (as QString's order does).
int compareMemberKey(QByteArrayView member, const QString& key);

template <typename Write>
void ArchivedRecords::forEachMemberOf(const Block* block, const std::vector<bool>& gone,
                                      const QMap<QString, QByteArray>& added, Write write) {
    auto next = added.cbegin();
    const qsizetype count = block ? qsizetype(block->ends.size()) : 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (!gone.empty() && gone[size_t(i)])
            continue;
        const QByteArrayView member = memberOf(*block, i);
        for (; next != added.cend() && compareMemberKey(member, next.key()) > 0; ++next)
            write(QByteArrayView(next.value()));
        write(member);
    }
    for (; next != added.cend(); ++next)
        write(QByteArrayView(next.value()));
}

template <typename Write> void ArchivedRecords::forEachMember(Write write) const {
    forEachMemberOf(block_.get(), gone_, added_, write);
}
