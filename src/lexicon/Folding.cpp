#include "lexicon/Folding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace Folding {

QString foldCaseAndDiacritics(const QString& text) {
    icu::UnicodeString folded(reinterpret_cast<const UChar*>(text.utf16()),
                              static_cast<int32_t>(text.size()));
    folded.foldCase(U_FOLD_CASE_DEFAULT);

    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return QString(reinterpret_cast<const QChar*>(folded.getBuffer()), folded.length());
    }
    // Accents are the non-spacing marks of the decomposed form.
    const icu::UnicodeString decomposed = nfd->normalize(folded, status);
    icu::UnicodeString bare;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK) {
            bare.append(c);
        }
        i += U16_LENGTH(c);
    }
    const icu::UnicodeString composed = nfc->normalize(bare, status);
    if (U_FAILURE(status)) {
        return QString(reinterpret_cast<const QChar*>(bare.getBuffer()), bare.length());
    }
    return QString(reinterpret_cast<const QChar*>(composed.getBuffer()), composed.length());
}

} // namespace Folding
