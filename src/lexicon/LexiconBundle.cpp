#include "lexicon/LexiconBundle.h"

#include "platform/BundleInfo.h"
#include "platform/Unicode.h"

#include <QFile>

LexiconBundle LexiconBundle::app() {
    LexiconBundle bundle;
    bundle.packPath = QStringLiteral(":/lexicon/lexicon-pack.json");
    QFile key(QStringLiteral(":/lexicon/lexicon-public-key.b64"));
    if (key.open(QIODevice::ReadOnly)) {
        // The key file is ours; a final line break added by an editor is not part of the key.
        bundle.publicKeyBase64 =
            Unicode::trimWhitespaceAndNewlines(QString::fromLatin1(key.read(256)));
    }
    bundle.buildVersion = BundleInfo::main().buildNumber.value_or(QString());
    return bundle;
}
