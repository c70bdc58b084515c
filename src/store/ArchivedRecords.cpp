// The archived records, each kept as its member's text in the store file.
#include "ArchivedRecords.h"

#include "DiskV2.h"
#include "platform/JsonRead.h"

#include <algorithm>
#include <atomic>

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

QByteArrayView ArchivedRecords::blockMember(qsizetype index) const {
    const qsizetype begin = index > 0 ? block_->ends[size_t(index - 1)] : 0;
    return QByteArrayView(block_->text).sliced(begin, block_->ends[size_t(index)] - begin);
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
    const qsizetype count = blockSize();
    Block* const block = added_.isEmpty() && goneCount_ == 0 &&
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

void ArchivedRecords::foldWhenLarge() {
    // Changes kept beside the block cost more memory each than the block's members, and a
    // copy of the records changed while the writer holds the last one copies them all: once
    // there are an eighth as many as the block has, all go into a new block.
    const qsizetype changes = added_.size() + goneCount_;
    if (changes < 1024 || changes < blockSize() / 8)
        return;
    auto block = std::make_shared<Block>();
    qsizetype length = 0;
    forEachMember([&length](QByteArrayView member) { length += member.size(); });
    block->text.reserve(length);
    block->ends.reserve(size_t(size_));
    forEachMember([&block](QByteArrayView member) {
        block->text.append(member);
        block->ends.push_back(block->text.size());
    });
    block_ = std::move(block);
    gone_.clear();
    goneCount_ = 0;
    added_.clear();
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
