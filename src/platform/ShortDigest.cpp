#include "ShortDigest.h"

#include <QByteArray>

#include <sodium.h>

QString ShortDigest::of(QByteArrayView bytes) {
    // Safe to call from any thread, and as often as wished.
    static const bool ready = sodium_init() >= 0;
    (void)ready;
    static const unsigned char key[crypto_shorthash_KEYBYTES] = {};
    unsigned char digest[crypto_shorthash_BYTES];
    crypto_shorthash(digest, reinterpret_cast<const unsigned char*>(bytes.data()),
                     static_cast<unsigned long long>(bytes.size()), key);
    return QString::fromLatin1(
        QByteArray::fromRawData(reinterpret_cast<const char*>(digest), sizeof digest).toHex());
}
