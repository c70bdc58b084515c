#include "lexicon/LexiconVerifier.h"

#include "platform/Ed25519.h"

namespace LexiconVerifier {

bool isTrusted(const QByteArray& bytes, const std::optional<QByteArray>& signature,
               const QByteArray& publicKey) {
    return signature && Ed25519::verify(bytes, *signature, publicKey);
}

} // namespace LexiconVerifier
