// The archived records, each kept as its member's text in the store file.
#include "ArchivedRecords.h"

#include "DiskV2.h"

#include <atomic>

std::optional<QByteArray> ArchivedRecords::value(const QString& key) const {
    const auto found = members_.constFind(key);
    if (found == members_.cend())
        return std::nullopt;
    // The text is the member's last string: no Base64 text holds a quote.
    const QByteArray& member = *found;
    const qsizetype open = member.lastIndexOf('"', member.size() - 2);
    return member.mid(open + 1, member.size() - open - 2);
}

void ArchivedRecords::insert(const QString& key, const QByteArray& base64) {
    members_.insert(key, DiskV2::encodeArchiveMember(key, base64));
    changed();
}

void ArchivedRecords::append(const QString& key, const QByteArray& base64) {
    members_.insert(members_.cend(), key, DiskV2::encodeArchiveMember(key, base64));
    changed();
}

bool ArchivedRecords::remove(const QString& key) {
    if (members_.remove(key) == 0)
        return false;
    changed();
    return true;
}

void ArchivedRecords::clear() {
    if (members_.isEmpty())
        return;
    members_.clear();
    changed();
}

void ArchivedRecords::changed() {
    // Unique across every store of the process, so no two different sets share a version.
    static std::atomic<quint64> last{0};
    version_ = ++last;
}
