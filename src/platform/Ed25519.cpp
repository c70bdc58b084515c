#include "platform/Ed25519.h"

#include <sodium.h>

namespace Ed25519 {

bool verify(const QByteArray& bytes, const QByteArray& signature, const QByteArray& publicKey) {
    // The library reads fixed lengths from both buffers, so anything shorter must never reach it.
    if (publicKey.size() != crypto_sign_PUBLICKEYBYTES || signature.size() != crypto_sign_BYTES)
        return false;
    if (sodium_init() < 0)
        return false;
    return crypto_sign_verify_detached(
               reinterpret_cast<const unsigned char*>(signature.constData()),
               reinterpret_cast<const unsigned char*>(bytes.constData()),
               static_cast<unsigned long long>(bytes.size()),
               reinterpret_cast<const unsigned char*>(publicKey.constData())) == 0;
}

} // namespace Ed25519
