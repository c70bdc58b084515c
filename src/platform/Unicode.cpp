#include "Unicode.h"

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <memory>

namespace {

icu::UnicodeString toIcu(const QString& text) {
    return icu::UnicodeString(reinterpret_cast<const UChar*>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

QString fromIcu(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

// Boundaries of the user-perceived characters of `text`, including 0 and text.size().
QList<qsizetype> graphemeBoundaries(const QString& text) {
    QList<qsizetype> bounds;
    if (text.isEmpty()) {
        bounds.append(0);
        return bounds;
    }
    UErrorCode status = U_ZERO_ERROR;
    // A break iterator is costly to make; one per thread is reused.
    thread_local std::unique_ptr<icu::BreakIterator> iterator(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (!iterator || U_FAILURE(status)) {
        for (qsizetype i = 0; i <= text.size(); ++i) {
            bounds.append(i);
        }
        return bounds;
    }
    UText utext = UTEXT_INITIALIZER;
    utext_openUChars(&utext, reinterpret_cast<const UChar*>(text.utf16()), text.size(), &status);
    iterator->setText(&utext, status);
    for (int32_t p = iterator->first(); p != icu::BreakIterator::DONE; p = iterator->next()) {
        bounds.append(p);
    }
    utext_close(&utext);
    return bounds;
}

template <typename Predicate>
QString trimmed(const QString& text, Predicate keep) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end) {
        char32_t c = text.at(start).unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && start + 1 < end && text.at(start + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(start), text.at(start + 1));
            width = 2;
        }
        if (keep(c)) {
            break;
        }
        start += width;
    }
    while (end > start) {
        char32_t c = text.at(end - 1).unicode();
        qsizetype width = 1;
        if (QChar::isLowSurrogate(c) && end - 2 >= start && text.at(end - 2).isHighSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(end - 2), text.at(end - 1));
            width = 2;
        }
        if (keep(c)) {
            break;
        }
        end -= width;
    }
    return text.mid(start, end - start);
}

} // namespace

namespace Unicode {

QStringList graphemes(const QString& text) {
    const QList<qsizetype> bounds = graphemeBoundaries(text);
    QStringList result;
    result.reserve(bounds.size());
    for (qsizetype i = 1; i < bounds.size(); ++i) {
        result.append(text.mid(bounds[i - 1], bounds[i] - bounds[i - 1]));
    }
    return result;
}

qsizetype graphemeCount(const QString& text) {
    // Plain ASCII without CR has one character per code unit; that covers most notes cheaply.
    bool simple = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80 || c.unicode() == u'\r') {
            simple = false;
            break;
        }
    }
    if (simple) {
        return text.size();
    }
    return graphemeBoundaries(text).size() - 1;
}

char32_t firstCodePoint(const QString& text) {
    if (text.isEmpty()) {
        return 0;
    }
    if (text.size() >= 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate()) {
        return QChar::surrogateToUcs4(text.at(0), text.at(1));
    }
    return text.at(0).unicode();
}

bool isWhiteSpace(char32_t c) { return u_hasBinaryProperty(UChar32(c), UCHAR_WHITE_SPACE); }

bool isAlphabetic(char32_t c) { return u_hasBinaryProperty(UChar32(c), UCHAR_ALPHABETIC); }

bool isNumeric(char32_t c) {
    return u_getIntPropertyValue(UChar32(c), UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

bool isAlphanumeric(char32_t c) {
    const int32_t mask = U_GET_GC_MASK(UChar32(c));
    return (mask & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

bool isBlank(char32_t c) { return c == U'\t' || u_charType(UChar32(c)) == U_SPACE_SEPARATOR; }

bool isWhitespaceOrNewline(char32_t c) {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85) {
        return true;
    }
    return (U_GET_GC_MASK(UChar32(c)) & U_GC_Z_MASK) != 0;
}

QStringList splitAtWhiteSpace(const QString& text) {
    QStringList words;
    QString current;
    for (const QString& character : graphemes(text)) {
        if (isWhiteSpace(firstCodePoint(character))) {
            if (!current.isEmpty()) {
                words.append(current);
                current.clear();
            }
        } else {
            current += character;
        }
    }
    if (!current.isEmpty()) {
        words.append(current);
    }
    return words;
}

QString trimBlanks(const QString& text) {
    return trimmed(text, [](char32_t c) { return !isBlank(c); });
}

QString trimWhitespaceAndNewlines(const QString& text) {
    return trimmed(text, [](char32_t c) { return !isWhitespaceOrNewline(c); });
}

QString toUpper(const QString& text) {
    icu::UnicodeString s = toIcu(text);
    s.toUpper(icu::Locale::getRoot());
    return fromIcu(s);
}

QString toLower(const QString& text) {
    icu::UnicodeString s = toIcu(text);
    s.toLower(icu::Locale::getRoot());
    return fromIcu(s);
}

QString nfc(const QString& text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return text;
    }
    const icu::UnicodeString source = toIcu(text);
    if (normalizer->isNormalized(source, status) && U_SUCCESS(status)) {
        return text;
    }
    status = U_ZERO_ERROR;
    icu::UnicodeString result = normalizer->normalize(source, status);
    return U_FAILURE(status) ? text : fromIcu(result);
}

int compareText(const QString& a, const QString& b) {
    const QString na = nfc(a);
    const QString nb = nfc(b);
    // Code point order, not UTF-16 code unit order: a supplementary character sorts after
    // U+FFFF even though its first code unit is a surrogate.
    const int32_t r = u_strCompare(reinterpret_cast<const UChar*>(na.utf16()), int32_t(na.size()),
                                   reinterpret_cast<const UChar*>(nb.utf16()), int32_t(nb.size()),
                                   true);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

} // namespace Unicode
