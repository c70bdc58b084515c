#include "Record.h"

namespace cloud {

Record::Record(QString recordType, RecordID recordID)
    : recordType_(std::move(recordType)), recordID_(std::move(recordID)) {
    if (isShare())
        share_ = Share{};
}

Record Record::zoneWideShare(const ZoneID& zoneID) {
    return Record(shareRecordType, RecordID{zoneWideShareName, zoneID});
}

Record Record::withZoneOwner(const QString& ownerName) const {
    Record copy = *this;
    copy.recordID_.zoneID.ownerName = ownerName;
    return copy;
}

void Record::set(const QString& key, FieldValue value) {
    for (auto& field : fields_) {
        if (field.first == key) {
            field.second = std::move(value);
            return;
        }
    }
    fields_.emplace_back(key, std::move(value));
}

void Record::remove(const QString& key) {
    std::erase_if(fields_, [&](const auto& field) { return field.first == key; });
}

const FieldValue* Record::find(const QString& key) const {
    for (const auto& field : fields_) {
        if (field.first == key)
            return &field.second;
    }
    return nullptr;
}

template <typename T> std::optional<T> Record::typed(const QString& key) const {
    const FieldValue* value = find(key);
    if (value == nullptr)
        return std::nullopt;
    if (const T* typedValue = std::get_if<T>(value))
        return *typedValue;
    return std::nullopt;
}

std::optional<QString> Record::string(const QString& key) const {
    return typed<QString>(key);
}
std::optional<qint64> Record::integer(const QString& key) const {
    return typed<qint64>(key);
}
std::optional<double> Record::doubleValue(const QString& key) const {
    return typed<double>(key);
}
std::optional<Date> Record::date(const QString& key) const {
    return typed<Date>(key);
}

} // namespace cloud
