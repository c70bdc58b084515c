#include "JsonRead.h"

namespace JsonRead {

namespace {

[[noreturn]] void fail(const char* key, const char* expected) {
    throw DecodeError(std::string("\"") + key + "\": expected " + expected);
}

const Json* find(const Json& object, const char* key) {
    if (!object.is_object()) {
        throw DecodeError(std::string("expected an object holding \"") + key + "\"");
    }
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

const Json& require(const Json& object, const char* key) {
    const Json* value = find(object, key);
    if (!value) {
        throw DecodeError(std::string("\"") + key + "\": missing");
    }
    return *value;
}

QStringList readStringArray(const Json& value, const char* key) {
    if (!value.is_array()) {
        fail(key, "an array of texts");
    }
    QStringList list;
    list.reserve(qsizetype(value.size()));
    for (const Json& element : value) {
        if (!element.is_string()) {
            fail(key, "an array of texts");
        }
        list.append(toQString(element.get_ref<const std::string&>()));
    }
    return list;
}

} // namespace

QString toQString(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string toUtf8(const QString& text) {
    return text.toStdString();
}

bool hasRawNul(const QByteArray& bytes) {
    return bytes.contains('\0');
}

bool nestsDeeperThan(std::string_view text, int limit) {
    int depth = 0;
    const char* c = text.data();
    const char* const end = c + text.size();
    while (c != end) {
        switch (*c++) {
        case '"':
            // To the string's closing quote; an escaped character is never one.
            while (c != end && *c != '"')
                c += (*c == '\\' && c + 1 != end) ? 2 : 1;
            if (c != end)
                ++c;
            break;
        case '[':
        case '{':
            if (++depth > limit)
                return true;
            break;
        case ']':
        case '}':
            --depth;
            break;
        default:
            break;
        }
    }
    return false;
}

Json parse(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) {
        throw DecodeError("a raw NUL byte is not JSON");
    }
    if (nestsDeeperThan(text)) {
        throw DecodeError("nested too deeply");
    }
    Json document = Json::parse(text.begin(), text.end(), nullptr, false);
    if (document.is_discarded()) {
        throw DecodeError("not a JSON document");
    }
    return document;
}

Json parse(const QByteArray& bytes) {
    return parse(std::string_view(bytes.constData(), size_t(bytes.size())));
}

const Json& requireObject(const Json& value, const char* what) {
    if (!value.is_object()) {
        fail(what, "an object");
    }
    return value;
}

const Json& requireArray(const Json& value, const char* what) {
    if (!value.is_array()) {
        fail(what, "an array");
    }
    return value;
}

double asNumber(const Json& value, const char* what) {
    if (!value.is_number()) {
        fail(what, "a number");
    }
    return value.get<double>();
}

QString asString(const Json& value, const char* what) {
    if (!value.is_string()) {
        fail(what, "a text");
    }
    return toQString(value.get_ref<const std::string&>());
}

QString requiredString(const Json& object, const char* key) {
    return asString(require(object, key), key);
}

double requiredNumber(const Json& object, const char* key) {
    return asNumber(require(object, key), key);
}

bool requiredBool(const Json& object, const char* key) {
    const Json& value = require(object, key);
    if (!value.is_boolean()) {
        fail(key, "a Boolean");
    }
    return value.get<bool>();
}

Date requiredDate(const Json& object, const char* key) {
    return Date(requiredNumber(object, key));
}

QStringList requiredStringArray(const Json& object, const char* key) {
    return readStringArray(require(object, key), key);
}

QString string(const Json& object, const char* key, const QString& fallback) {
    const Json* value = find(object, key);
    return value ? asString(*value, key) : fallback;
}

double number(const Json& object, const char* key, double fallback) {
    const Json* value = find(object, key);
    return value ? asNumber(*value, key) : fallback;
}

bool boolean(const Json& object, const char* key, bool fallback) {
    const Json* value = find(object, key);
    if (!value) {
        return fallback;
    }
    if (!value->is_boolean()) {
        fail(key, "a Boolean");
    }
    return value->get<bool>();
}

Date date(const Json& object, const char* key, Date fallback) {
    const Json* value = find(object, key);
    return value ? Date(asNumber(*value, key)) : fallback;
}

QStringList stringArray(const Json& object, const char* key, const QStringList& fallback) {
    const Json* value = find(object, key);
    return value ? readStringArray(*value, key) : fallback;
}

std::optional<QString> optionalString(const Json& object, const char* key) {
    const Json* value = find(object, key);
    if (!value) {
        return std::nullopt;
    }
    return asString(*value, key);
}

std::optional<double> optionalNumber(const Json& object, const char* key) {
    const Json* value = find(object, key);
    if (!value) {
        return std::nullopt;
    }
    return asNumber(*value, key);
}

std::optional<Date> optionalDate(const Json& object, const char* key) {
    const std::optional<double> seconds = optionalNumber(object, key);
    if (!seconds) {
        return std::nullopt;
    }
    return Date(*seconds);
}

Json fromStringList(const QStringList& list) {
    Json array = Json::array();
    for (const QString& text : list) {
        array.push_back(toUtf8(text));
    }
    return array;
}

} // namespace JsonRead
