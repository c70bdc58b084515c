#include "lexicon/LexiconVerifier.h"

#include "SigningKeys.h"

#include <gtest/gtest.h>

TEST(LexiconVerifier, TrustsOnlyTheExactSignedBytes) {
    const SigningKeys publisher('p');
    const SigningKeys stranger('s');
    const auto hex = [](const char* text) { return QByteArray::fromHex(text); };
    const auto flipped = [](QByteArray bytes, int at) {
        return bytes.replace(at, 1, QByteArray(1, char(bytes[at] ^ 1)));
    };
    const QByteArray pack = R"({"version":2,"categories":{}})";
    const QByteArray signature = publisher.sign(pack);

    // Name, signed bytes, signature, public key, whether trusted.
    const std::tuple<const char*, QByteArray, std::optional<QByteArray>, QByteArray, bool> cases[] =
        {
            {"valid", pack, signature, publisher.publicKey, true},
            // The second test vector of RFC 8032, section 7.1: the check is plain Ed25519.
            {"published test vector", hex("72"),
             hex("92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e4"
                 "58f"
                 "3613d0f11d8c387b2eaeb4302aeeb00d291612bb0c00"),
             hex("3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c"), true},
            {"wrong key", pack, signature, stranger.publicKey, false},
            {"pack changed by one bit", flipped(pack, 10), signature, publisher.publicKey, false},
            {"signature changed by one bit", pack, flipped(signature, 0), publisher.publicKey,
             false},
            {"no signature", pack, std::nullopt, publisher.publicKey, false},
            {"empty signature", pack, QByteArray(), publisher.publicKey, false},
            {"63-byte signature", pack, signature.left(63), publisher.publicKey, false},
            {"65-byte signature", pack, signature + "x", publisher.publicKey, false},
            {"31-byte key", pack, signature, publisher.publicKey.left(31), false},
            {"33-byte key", pack, signature, publisher.publicKey + "x", false},
        };
    for (const auto& [name, bytes, signatureBytes, key, trusted] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LexiconVerifier::isTrusted(bytes, signatureBytes, key), trusted);
    }
}
