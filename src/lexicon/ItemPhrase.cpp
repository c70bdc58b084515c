#include "lexicon/ItemPhrase.h"

#include "platform/Unicode.h"

namespace ItemPhrase {

QStringList split(const QString& text) {
    const QString trimmed = Unicode::trimWhitespaceAndNewlines(text);
    if (trimmed.isEmpty()) {
        return {};
    }
    return {trimmed};
}

} // namespace ItemPhrase
