#include "lexicon/LexiconVerifier.h"

#include "SigningKeys.h"

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

} // namespace

// The first three test vectors of RFC 8032, section 7.1.
TEST(LexiconVerifier, Rfc8032Vectors) {
    struct Vector {
        const char* secret;
        const char* publicKey;
        const char* message;
        const char* signature;
    };
    const Vector vectors[] = {
        {"9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
         "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
         "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39"
         "701cf9b46bd25bf5f0595bbe24655141438e7a100b"},
        {"4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
         "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
         "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f36"
         "13d0f11d8c387b2eaeb4302aeeb00d291612bb0c00"},
        {"c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
         "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
         "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f7"
         "60984dc6594a7c15e9716ed28dc027beceea1ec40a"},
    };
    for (const Vector& v : vectors) {
        const SigningKeys keys(hex(v.secret));
        EXPECT_EQ(keys.publicKey, hex(v.publicKey));
        EXPECT_EQ(keys.sign(hex(v.message)), hex(v.signature));
        EXPECT_TRUE(LexiconVerifier::isTrusted(hex(v.message), hex(v.signature), hex(v.publicKey)))
            << v.message;
    }
}

TEST(LexiconVerifier, RefusesAnythingButTheExactSignedBytes) {
    const SigningKeys publisher('p');
    const SigningKeys stranger('s');
    const QByteArray pack = R"({"version":2,"categories":{}})";
    const QByteArray signature = publisher.sign(pack);

    QByteArray changed = pack;
    changed[10] = changed[10] ^ 0x01;
    QByteArray badSignature = signature;
    badSignature[0] = badSignature[0] ^ 0x01;

    struct Case {
        const char* name;
        QByteArray bytes;
        std::optional<QByteArray> signature;
        QByteArray key;
        bool trusted;
    };
    const Case cases[] = {
        {"valid", pack, signature, publisher.publicKey, true},
        {"wrong key", pack, signature, stranger.publicKey, false},
        {"signed by another key", pack, stranger.sign(pack), publisher.publicKey, false},
        {"pack changed by one byte", changed, signature, publisher.publicKey, false},
        {"pack with a line break added", pack + "\n", signature, publisher.publicKey, false},
        {"signature changed", pack, badSignature, publisher.publicKey, false},
        {"no signature", pack, std::nullopt, publisher.publicKey, false},
        {"empty signature", pack, QByteArray(), publisher.publicKey, false},
        {"63-byte signature", pack, signature.left(63), publisher.publicKey, false},
        {"65-byte signature", pack, signature + "x", publisher.publicKey, false},
        {"31-byte key", pack, signature, publisher.publicKey.left(31), false},
        {"33-byte key", pack, signature, publisher.publicKey + "x", false},
        {"empty key", pack, signature, QByteArray(), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LexiconVerifier::isTrusted(c.bytes, c.signature, c.key), c.trusted) << c.name;
    }
}
