#pragma once

#include <QString>
#include <QStringList>

// Text rules shared by the whole program, built on ICU. "Characters" here are user-perceived
// characters (extended grapheme clusters) unless a function says code points.
namespace Unicode {

// The user-perceived characters of a text, in order.
QStringList graphemes(const QString& text);
// How many user-perceived characters a text has ("👍🏽" and "é" written with a combining mark
// each count as one).
qsizetype graphemeCount(const QString& text);

// The first code point of a text (0 for the empty text).
char32_t firstCodePoint(const QString& text);

// Character classes, by Unicode property of one code point.
bool isWhiteSpace(char32_t c);   // White_Space property
bool isAlphabetic(char32_t c);   // Alphabetic property
bool isNumeric(char32_t c);      // any Numeric_Type: digits of every script, "½", "Ⅻ", "③"
bool isAlphanumeric(char32_t c); // general category L*, M* or N*
bool isBlank(char32_t c);        // space separators (Zs) and TAB
bool isWhitespaceOrNewline(char32_t c); // Z*, U+0009..U+000D and U+0085

// Splits at characters whose first code point is White_Space, dropping empty words.
QStringList splitAtWhiteSpace(const QString& text);

// Trimming at both ends, by code point.
QString trimBlanks(const QString& text);                // spaces and tabs, not line breaks
QString trimWhitespaceAndNewlines(const QString& text); // spaces, tabs and line breaks

// Full case mapping in the root locale ("ß" upper-cases to "SS").
QString toUpper(const QString& text);
QString toLower(const QString& text);

// Canonical composition (NFC).
QString nfc(const QString& text);

// Text order: compares the Unicode scalar values of both texts after NFC. Negative, zero or
// positive like strcmp.
int compareText(const QString& a, const QString& b);
inline bool textLess(const QString& a, const QString& b) { return compareText(a, b) < 0; }

} // namespace Unicode
