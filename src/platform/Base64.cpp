#include "Base64.h"

#include <sodium.h>

namespace Base64 {

QString encode(const QByteArray& data) {
    return QString::fromLatin1(data.toBase64());
}

std::optional<QByteArray> decode(const QByteArray& text) {
    // libsodium reads every byte above 0x7F as "/", so those are refused here first.
    for (const char c : text) {
        if (static_cast<unsigned char>(c) > 0x7F) {
            return std::nullopt;
        }
    }
    // libsodium's original-alphabet decoder insists on correct padding; with no characters to
    // ignore, anything else in the text stops it early, which we treat as an error.
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    QByteArray out(text.size() / 4 * 3 + 1, '\0');
    size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(out.data()), size_t(out.size()),
                          text.constData(), size_t(text.size()), nullptr, &length, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0) {
        return std::nullopt;
    }
    if (end != text.constData() + text.size()) {
        return std::nullopt;
    }
    out.truncate(qsizetype(length));
    return out;
}

std::optional<QByteArray> decode(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() > 0x7F) {
            return std::nullopt;
        }
    }
    return decode(text.toLatin1());
}

} // namespace Base64
