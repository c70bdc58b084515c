// tallybird-pack-signer PRIVATE-KEY-FILE PACK-FILE [SIGNATURE-FILE]
//
// Signs a vocabulary pack with the publisher's private key. The key file holds the Base64 text of
// the 32-byte Ed25519 seed. The signature is written as padded Base64 with no line break, by
// default beside the pack with ".sig" in place of ".json" (adopted-pack.json gives
// adopted-pack.sig). Place both files in the program's "Lexicon" data folder.

#include "lexicon/LexiconPack.h"
#include "lexicon/LexiconStore.h"
#include "platform/Base64.h"
#include "platform/DurableFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <sodium.h>

#include <optional>

namespace {

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

int fail(const QString& message) {
    err() << "tallybird-pack-signer: " << message << Qt::endl;
    return 1;
}

std::optional<QByteArray> readFile(const QString& path, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit) {
        return std::nullopt;
    }
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > limit) {
        return std::nullopt;
    }
    return bytes;
}

QString defaultSignaturePath(const QString& packPath) {
    if (packPath.endsWith(QLatin1String(".json"))) {
        return packPath.chopped(5) + QStringLiteral(".sig");
    }
    return packPath + QStringLiteral(".sig");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2 || args.size() > 3) {
        return fail(QStringLiteral("usage: tallybird-pack-signer PRIVATE-KEY-FILE PACK-FILE "
                                   "[SIGNATURE-FILE]"));
    }
    if (sodium_init() < 0) {
        return fail(QStringLiteral("the signing library could not start"));
    }

    const std::optional<QByteArray> keyText = readFile(args[0], 1024);
    if (!keyText) {
        return fail(QStringLiteral("cannot read the key file %1").arg(args[0]));
    }
    const std::optional<QByteArray> seed = Base64::decode(keyText->trimmed());
    if (!seed || seed->size() != crypto_sign_SEEDBYTES) {
        return fail(QStringLiteral("the key file must hold the Base64 text of a 32-byte seed"));
    }

    const std::optional<QByteArray> pack = readFile(args[1], LexiconStore::maxCachedPackBytes);
    if (!pack) {
        return fail(
            QStringLiteral("cannot read the pack %1, or it is larger than 16 MiB").arg(args[1]));
    }
    try {
        LexiconPack::decode(*pack);
    } catch (const DecodeError& error) {
        return fail(QStringLiteral("the pack is not a valid vocabulary pack: %1")
                        .arg(QString::fromStdString(error.what())));
    }

    unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
    unsigned char secretKey[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(publicKey, secretKey,
                             reinterpret_cast<const unsigned char*>(seed->constData()));
    QByteArray signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(pack->constData()),
                         static_cast<unsigned long long>(pack->size()), secretKey);
    sodium_memzero(secretKey, sizeof secretKey);

    const QString signaturePath = args.size() == 3 ? args[2] : defaultSignaturePath(args[1]);
    QString writeError;
    if (!DurableFile::replace(signaturePath, Base64::encode(signature).toLatin1(), &writeError,
                              DurableFile::Sync::toDisk, DurableFile::NewFile::umask))
        return fail(QStringLiteral("cannot write %1: %2").arg(signaturePath, writeError));
    err() << "Signed " << args[1] << " into " << signaturePath << " with the key "
          << Base64::encode(QByteArray(reinterpret_cast<const char*>(publicKey), sizeof publicKey))
          << Qt::endl;
    return 0;
}
