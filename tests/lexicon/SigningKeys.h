#pragma once

#include <QByteArray>

#include <sodium.h>

// An Ed25519 key pair made from a fixed seed, so that tests sign and check packs repeatably.
struct SigningKeys {
    QByteArray publicKey = QByteArray(crypto_sign_PUBLICKEYBYTES, '\0');
    QByteArray secretKey = QByteArray(crypto_sign_SECRETKEYBYTES, '\0');

    explicit SigningKeys(char seedByte) {
        const QByteArray seed(crypto_sign_SEEDBYTES, seedByte);
        if (sodium_init() >= 0) {
            crypto_sign_seed_keypair(reinterpret_cast<unsigned char*>(publicKey.data()),
                                     reinterpret_cast<unsigned char*>(secretKey.data()),
                                     reinterpret_cast<const unsigned char*>(seed.constData()));
        }
    }

    QByteArray sign(const QByteArray& message) const {
        QByteArray signature(crypto_sign_BYTES, '\0');
        crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                             reinterpret_cast<const unsigned char*>(message.constData()),
                             static_cast<unsigned long long>(message.size()),
                             reinterpret_cast<const unsigned char*>(secretKey.constData()));
        return signature;
    }
};
