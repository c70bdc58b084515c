#pragma once

#include <QByteArray>

// The check that a document comes from whoever holds a signing key.
namespace Ed25519 {
// Whether `signature` is a valid detached Ed25519 signature of exactly `bytes` under the raw
// 32-byte `publicKey`. A key or signature of the wrong length is never valid.
bool verify(const QByteArray& bytes, const QByteArray& signature, const QByteArray& publicKey);
} // namespace Ed25519
