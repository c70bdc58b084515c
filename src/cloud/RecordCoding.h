#pragma once

#include "Record.h"
#include "platform/JsonRead.h"

#include <QByteArray>

#include <optional>

namespace cloud {

// The JSON form of a whole record (type, id, change tag, fields, share participants). The
// store keeps its server copies in this form and the SQLite container stores records in it.
// Decoding never throws: anything that is not exactly this form is no record.
namespace RecordCoding {
Json toJson(const Record& record);
QByteArray encode(const Record& record);
std::optional<Record> fromJson(const Json& json);
std::optional<Record> decode(const QByteArray& bytes);

Json toJson(const Share& share);
std::optional<Share> shareFromJson(const Json& json);

Json toJson(const PersonNameComponents& names);
std::optional<PersonNameComponents> namesFromJson(const Json& json);
} // namespace RecordCoding

// Text conversions for the JSON layer of this module.
inline std::string utf8(const QString& text) {
    return text.toStdString();
}
inline QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace cloud
