#pragma once

#include <QByteArray>

#include <optional>

// The check that a vocabulary pack comes from its publisher.
namespace LexiconVerifier {

// Whether `signature` is a valid Ed25519 signature of exactly `bytes` under the 32-byte raw
// `publicKey`. No signature, an empty one, or a key or signature of the wrong length is untrusted.
bool isTrusted(const QByteArray& bytes, const std::optional<QByteArray>& signature,
               const QByteArray& publicKey);

} // namespace LexiconVerifier
