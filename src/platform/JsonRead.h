#pragma once

#include "Date.h"

#include <QString>
#include <QStringList>

#include "JsonFwd.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>

// Strict readers over JSON objects. No silent coercion: a Boolean never reads as a number or
// the reverse, and a value of the wrong type throws DecodeError even under a key with a
// default. "Missing" means the key is absent or its value is null.
namespace JsonRead {

QString toQString(const std::string& utf8);
std::string toUtf8(const QString& text);

// How deeply arrays and objects may nest in any document the program reads. Its own documents
// nest a few levels; copying, comparing or writing a value goes down its levels on the stack,
// and a document a hundred thousand levels deep would overflow it.
constexpr int maxDepth = 512;

// Parses a whole document; throws DecodeError on malformed JSON, and on a document nested
// deeper than maxDepth. A raw NUL byte anywhere is malformed too: the parser would stop
// reading at it and take what came before as the whole document.
Json parse(const QByteArray& bytes);
Json parse(std::string_view text);
// Whether arrays and objects in the text nest deeper than `limit`. Looks only at brackets
// outside strings: a parser never goes deeper into a text than this finds, valid or not.
bool nestsDeeperThan(std::string_view text, int limit = maxDepth);
// Whether the bytes hold a raw NUL, which no JSON text may; for readers that parse themselves.
bool hasRawNul(const QByteArray& bytes);

const Json& requireObject(const Json& value, const char* what);
const Json& requireArray(const Json& value, const char* what);

// Required keys: missing, null or the wrong type throws.
QString requiredString(const Json& object, const char* key);
double requiredNumber(const Json& object, const char* key);
bool requiredBool(const Json& object, const char* key);
Date requiredDate(const Json& object, const char* key);
QStringList requiredStringArray(const Json& object, const char* key);

// Defaulted keys: missing or null gives the fallback; the wrong type throws.
QString string(const Json& object, const char* key, const QString& fallback);
double number(const Json& object, const char* key, double fallback);
bool boolean(const Json& object, const char* key, bool fallback);
Date date(const Json& object, const char* key, Date fallback);
QStringList stringArray(const Json& object, const char* key, const QStringList& fallback);

// Optional keys: missing or null gives nothing; the wrong type throws.
std::optional<QString> optionalString(const Json& object, const char* key);
std::optional<double> optionalNumber(const Json& object, const char* key);
std::optional<Date> optionalDate(const Json& object, const char* key);

// A JSON number as a double (integers and floats alike); anything else throws.
double asNumber(const Json& value, const char* what);
QString asString(const Json& value, const char* what);

// Writing.
inline Json fromDate(Date date) {
    return date.secondsSinceReferenceDate();
}
Json fromStringList(const QStringList& list);

} // namespace JsonRead
