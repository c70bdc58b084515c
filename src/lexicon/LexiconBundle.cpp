#include "lexicon/LexiconBundle.h"

#include "platform/Unicode.h"

#include <QFile>

#ifndef TALLYBIRD_BUILD_NUMBER
#error "TALLYBIRD_BUILD_NUMBER must come from the build configuration"
#endif

LexiconBundle LexiconBundle::app() {
    LexiconBundle bundle;
    bundle.packPath = QStringLiteral(":/lexicon/lexicon-pack.json");
    QFile key(QStringLiteral(":/lexicon/lexicon-public-key.b64"));
    if (key.open(QIODevice::ReadOnly)) {
        // The key file is ours; a final line break added by an editor is not part of the key.
        bundle.publicKeyBase64 =
            Unicode::trimWhitespaceAndNewlines(QString::fromLatin1(key.read(256)));
    }
    bundle.buildVersion = QStringLiteral(TALLYBIRD_BUILD_NUMBER);
    return bundle;
}
