// The archived records, each kept as its member's text in the store file.
#include "ArchivedRecords.h"

#include "DiskV2.h"
#include "platform/JsonRead.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

namespace {

// The key as written at the start of a member, quotes left out: without escapes as long as no
// backslash shows.
QByteArrayView writtenKey(QByteArrayView member) {
    qsizetype end = 1;
    while (end < member.size() && member[end] != '"')
        end += member[end] == '\\' ? 2 : 1;
    return member.sliced(1, std::min(end, member.size()) - 1);
}

QString keyOf(QByteArrayView member) {
    const QByteArrayView written = writtenKey(member);
    if (!written.contains('\\'))
        return QString::fromUtf8(written);
    const QByteArrayView quoted = member.first(written.size() + 2);
    return QString::fromStdString(Json::parse(quoted.begin(), quoted.end()).get<std::string>());
}

} // namespace

int compareMemberKey(QByteArrayView member, const QString& key) {
    // Ids are ASCII without escapes: compared a unit at a time as they are written, up to the
    // first difference. Any other key is read from the member first.
    const char* const end = member.data() + member.size();
    const char16_t* unit = reinterpret_cast<const char16_t*>(key.constData());
    const char16_t* const keyEnd = unit + key.size();
    for (const char* c = member.data() + 1; c != end; ++c, ++unit) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte == '"')
            return unit == keyEnd ? 0 : -1;
        if (byte >= 0x80 || byte == '\\')
            break;
        if (unit == keyEnd)
            return 1;
        if (byte != *unit)
            return byte < *unit ? -1 : 1;
    }
    return keyOf(member).compare(key);
}

QByteArrayView ArchivedRecords::memberOf(const Block& block, qsizetype index) {
    const qsizetype begin = index > 0 ? block.ends[size_t(index - 1)] : 0;
    return QByteArrayView(block.text).sliced(begin, block.ends[size_t(index)] - begin);
}

QByteArrayView ArchivedRecords::blockMember(qsizetype index) const {
    return memberOf(*block_, index);
}

std::optional<qsizetype> ArchivedRecords::findInBlock(const QString& key) const {
    qsizetype low = 0;
    qsizetype high = blockSize();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        const int order = compareMemberKey(blockMember(middle), key);
        if (order == 0)
            return isGone(middle) ? std::nullopt : std::optional(middle);
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return std::nullopt;
}

bool ArchivedRecords::contains(const QString& key) const {
    return added_.contains(key) || findInBlock(key);
}

QStringList ArchivedRecords::keys() const {
    QStringList keys;
    keys.reserve(size_);
    forEachMember([&keys](QByteArrayView member) { keys.append(keyOf(member)); });
    return keys;
}

QStringList ArchivedRecords::keysStartingWith(const QString& prefix) const {
    // Keys in order put those with one prefix together, from the first not before the prefix.
    qsizetype low = 0;
    qsizetype high = blockSize();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (compareMemberKey(blockMember(middle), prefix) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    QStringList keys;
    for (qsizetype i = low; i < blockSize(); ++i) {
        QString key = keyOf(blockMember(i));
        if (!key.startsWith(prefix))
            break;
        if (!isGone(i))
            keys.append(std::move(key));
    }
    for (auto it = added_.lowerBound(prefix); it != added_.cend() && it.key().startsWith(prefix);
         ++it)
        keys.append(it.key());
    return keys;
}

std::optional<QByteArray> ArchivedRecords::value(const QString& key) const {
    QByteArrayView member;
    if (const auto found = added_.constFind(key); found != added_.cend())
        member = *found;
    else if (const std::optional<qsizetype> index = findInBlock(key))
        member = blockMember(*index);
    else
        return std::nullopt;
    // The text is the member's last string: no Base64 text holds a quote.
    const qsizetype open = member.lastIndexOf('"', member.size() - 2);
    return member.sliced(open + 1, member.size() - open - 2).toByteArray();
}

void ArchivedRecords::insert(const QString& key, const QByteArray& base64) {
    changing(key);
    if (const std::optional<qsizetype> index = findInBlock(key)) {
        markGone(*index);
        --size_;
    }
    const qsizetype before = added_.size();
    added_.insert(key, DiskV2::encodeArchiveMember(key, base64));
    size_ += added_.size() - before;
    changed();
    foldWhenLarge();
}

void ArchivedRecords::append(const QString& key, const QByteArray& base64) {
    // The block is built in place while it is this one's alone and the keys come after it.
    takeFinishedFold();
    const qsizetype count = blockSize();
    Block* const block = !fold_ && added_.isEmpty() && goneCount_ == 0 &&
                                 (count == 0 || compareMemberKey(blockMember(count - 1), key) < 0)
                             ? blockToFill()
                             : nullptr;
    if (!block) {
        insert(key, base64);
        return;
    }
    DiskV2::appendArchiveMember(block->text, key, base64);
    block->ends.push_back(block->text.size());
    ++size_;
    changed();
}

bool ArchivedRecords::remove(const QString& key) {
    changing(key);
    if (added_.remove(key) == 0) {
        const std::optional<qsizetype> index = findInBlock(key);
        if (!index)
            return false;
        markGone(*index);
    }
    --size_;
    changed();
    foldWhenLarge();
    return true;
}

void ArchivedRecords::clear() {
    if (size_ == 0 && !block_)
        return;
    *this = ArchivedRecords();
    changed();
}

ArchivedRecords::Block* ArchivedRecords::blockToFill() {
    if (!block_)
        block_ = std::make_shared<Block>();
    return block_.use_count() == 1 ? block_.get() : nullptr;
}

void ArchivedRecords::reserve(qsizetype text) {
    if (Block* block = blockToFill())
        block->text.reserve(text);
}

void ArchivedRecords::squeeze() {
    if (Block* block = block_ ? blockToFill() : nullptr)
        block->text.squeeze();
}

void ArchivedRecords::markGone(qsizetype index) {
    if (gone_.empty())
        gone_.resize(size_t(blockSize()));
    gone_[size_t(index)] = true;
    ++goneCount_;
}

struct ArchivedRecords::Fold {
    // What the records held when it began.
    std::shared_ptr<const Block> block;
    std::vector<bool> gone;
    QMap<QString, QByteArray> added;
    qsizetype size = 0;
    // The block of all of them, once `done`.
    std::shared_ptr<Block> result;
    std::atomic<bool> done{false};
};

namespace {

ArchivedRecords::FoldRunner& foldRunner() {
    static ArchivedRecords::FoldRunner runner;
    return runner;
}

} // namespace

void ArchivedRecords::setFoldRunner(FoldRunner runner) {
    foldRunner() = std::move(runner);
}

void ArchivedRecords::foldWhenLarge() {
    // Changes kept beside the block cost more memory each than the block's members, and a
    // copy of the records changed while the writer holds the last one copies them all: once
    // there are an eighth as many as the block has, all go into a new block.
    takeFinishedFold();
    const qsizetype changes = added_.size() + goneCount_;
    if (fold_ || changes < 1024 || changes < blockSize() / 8)
        return;
    if (goneCount_ == 0 && foldInPlace())
        return;
    auto fold = std::make_shared<Fold>();
    fold->block = block_;
    fold->gone = gone_;
    fold->added = added_;
    fold->size = size_;
    fold_ = fold;
    changedSinceFold_.clear();
    auto work = [fold] {
        auto block = std::make_shared<Block>();
        qsizetype length = 0;
        forEachMemberOf(fold->block.get(), fold->gone, fold->added,
                        [&length](QByteArrayView member) { length += member.size(); });
        block->text.reserve(length);
        block->ends.reserve(size_t(fold->size));
        forEachMemberOf(fold->block.get(), fold->gone, fold->added,
                        [&block](QByteArrayView member) {
                            block->text.append(member);
                            block->ends.push_back(block->text.size());
                        });
        fold->result = std::move(block);
        fold->done.store(true, std::memory_order_release);
    };
    if (foldRunner())
        foldRunner()(std::move(work));
    else
        QThreadPool::globalInstance()->start(std::move(work));
}

// A first sync adds a record for every item and removes none. Merged into the block where it
// lies, the changes cost a move of the block's text, a few milliseconds even for a large store,
// where a copy would hold the old block and the new one at once: for a store of 100,000 items
// that is 35 MiB more at the end of its first sync. Only a block nobody else holds can grow.
bool ArchivedRecords::foldInPlace() {
    Block* const block = blockToFill();
    if (!block)
        return false;
    qsizetype addedLength = 0;
    for (const QByteArray& member : std::as_const(added_))
        addedLength += member.size();
    const qsizetype oldCount = qsizetype(block->ends.size());
    block->text.resize(block->text.size() + addedLength);
    block->ends.resize(size_t(oldCount + added_.size()));
    char* const text = block->text.data();
    std::vector<qsizetype>& ends = block->ends;
    const auto endOf = [&ends](qsizetype index) { return index > 0 ? ends[size_t(index - 1)] : 0; };
    // From the last member back: the old members after each added one move up by the length of
    // the added ones still to place, the added one goes right below them. Old members not yet
    // reached keep their place and their ends, as written so far only above them.
    qsizetype shift = addedLength;
    qsizetype toPlace = added_.size();
    qsizetype unmoved = oldCount; // old members [0, unmoved) are where they were
    for (auto it = added_.cend(); it != added_.cbegin();) {
        --it;
        const QString& key = it.key();
        // The first old member whose key comes after this one's.
        qsizetype low = 0;
        qsizetype high = unmoved;
        while (low < high) {
            const qsizetype middle = low + (high - low) / 2;
            const qsizetype begin = endOf(middle);
            if (compareMemberKey(QByteArrayView(text + begin, ends[size_t(middle)] - begin), key) >
                0)
                high = middle;
            else
                low = middle + 1;
        }
        const qsizetype runBegin = endOf(low);
        const qsizetype runEnd = endOf(unmoved);
        std::memmove(text + runBegin + shift, text + runBegin, size_t(runEnd - runBegin));
        for (qsizetype index = unmoved - 1; index >= low; --index)
            ends[size_t(index + toPlace)] = ends[size_t(index)] + shift;
        const QByteArray& member = *it;
        std::memcpy(text + runBegin + shift - member.size(), member.constData(),
                    size_t(member.size()));
        ends[size_t(low + toPlace - 1)] = runBegin + shift;
        shift -= member.size();
        --toPlace;
        unmoved = low;
    }
    added_.clear();
    return true;
}

void ArchivedRecords::takeFinishedFold() {
    if (!fold_ || !fold_->done.load(std::memory_order_acquire))
        return;
    const std::shared_ptr<Fold> fold = std::exchange(fold_, nullptr);
    QMap<QString, QByteArray> stillAdded;
    for (const QString& key : std::as_const(changedSinceFold_)) {
        if (const auto it = added_.constFind(key); it != added_.cend())
            stillAdded.insert(key, *it);
    }
    block_ = fold->result;
    gone_.clear();
    goneCount_ = 0;
    added_ = std::move(stillAdded);
    // The new block holds those keys as they were when the fold began.
    for (const QString& key : std::as_const(changedSinceFold_)) {
        if (const std::optional<qsizetype> index = findInBlock(key))
            markGone(*index);
    }
    changedSinceFold_.clear();
}

void ArchivedRecords::changing(const QString& key) {
    takeFinishedFold();
    if (fold_)
        changedSinceFold_.insert(key);
}

bool ArchivedRecords::operator==(const ArchivedRecords& other) const {
    if (size_ != other.size_)
        return false;
    std::vector<QByteArrayView> mine;
    mine.reserve(size_t(size_));
    forEachMember([&mine](QByteArrayView member) { mine.push_back(member); });
    size_t i = 0;
    bool equal = true;
    other.forEachMember([&](QByteArrayView member) { equal = equal && mine[i++] == member; });
    return equal;
}

void ArchivedRecords::changed() {
    // Unique across every store of the process, so no two different sets share a version.
    static std::atomic<quint64> last{0};
    version_ = ++last;
}
