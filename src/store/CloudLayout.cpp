// The names of the cloud layout built from ids, and read back.
#include "CloudLayout.h"

namespace CloudLayout {

namespace {

std::optional<QString> rest(const QString& text, const QString& prefix) {
    if (!text.startsWith(prefix))
        return std::nullopt;
    return text.mid(prefix.size());
}

} // namespace

QString listZoneName(const QString& listID) {
    return listZonePrefix + listID;
}

std::optional<QString> listIDOfZone(const QString& zoneName) {
    return rest(zoneName, listZonePrefix);
}

QString tombstoneRecordName(const QString& itemID) {
    return tombstonePrefix + itemID;
}

std::optional<QString> itemIDOfTombstone(const QString& recordName) {
    return rest(recordName, tombstonePrefix);
}

QString listArchiveKey(const QString& listID) {
    return QStringLiteral("L#") + listID;
}

QString itemArchiveKey(const QString& itemID) {
    return QStringLiteral("I#") + itemID;
}

QString filingArchiveKey(const QString& listID) {
    return QStringLiteral("F#") + listID;
}

std::optional<QString> archiveKeyOf(const QString& recordName,
                                    const std::optional<QString>& listID) {
    if (!listID || itemIDOfTombstone(recordName))
        return std::nullopt;
    return recordName == listRecordName ? listArchiveKey(*listID) : itemArchiveKey(recordName);
}

QString sendingKey(const QString& archiveKey) {
    return QStringLiteral("P#") + archiveKey;
}

QString waitingShareKey(const QString& listID) {
    return QStringLiteral("S#") + listID;
}

} // namespace CloudLayout
