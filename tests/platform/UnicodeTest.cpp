#include "platform/Unicode.h"

#include <gtest/gtest.h>

namespace {

struct CountCase {
    const char16_t* text;
    qsizetype characters;
};

TEST(Unicode, CountsUserPerceivedCharacters) {
    const CountCase cases[] = {
        {u"", 0},
        {u"milk", 4},
        {u"e\u0301", 1},                          // e + combining acute
        {u"\U0001F44D\U0001F3FD", 1},             // thumbs up + skin tone
        {u"\U0001F468\u200D\U0001F469\u200D\U0001F467", 1}, // family (ZWJ sequence)
        {u"\U0001F1E6\U0001F1FA", 1},             // flag
        {u"a\r\nb", 3},                           // CRLF is one character
        {u"a\n\rb", 4},
        {u"\u0915\u094D\u0937", 1},               // Devanagari conjunct
    };
    for (const CountCase& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(Unicode::graphemeCount(text), c.characters) << text.toStdString();
        EXPECT_EQ(Unicode::graphemes(text).size(), c.characters) << text.toStdString();
        EXPECT_EQ(Unicode::graphemes(text).join(QString()), text);
    }
}

TEST(Unicode, CharacterClasses) {
    EXPECT_TRUE(Unicode::isNumeric(U'½'));
    EXPECT_TRUE(Unicode::isNumeric(U'Ⅻ'));
    EXPECT_TRUE(Unicode::isNumeric(U'\u0663')); // Arabic-Indic three
    EXPECT_TRUE(Unicode::isNumeric(U'③'));
    EXPECT_FALSE(Unicode::isNumeric(U'a'));
    EXPECT_TRUE(Unicode::isAlphabetic(U'é'));
    EXPECT_TRUE(Unicode::isAlphabetic(U'日'));
    EXPECT_FALSE(Unicode::isAlphabetic(U'-'));
    EXPECT_TRUE(Unicode::isAlphanumeric(U'\u0301')); // a mark
    EXPECT_FALSE(Unicode::isAlphanumeric(U'_'));
    EXPECT_TRUE(Unicode::isWhiteSpace(U'\u00A0'));
    EXPECT_TRUE(Unicode::isWhiteSpace(U'\u2028'));
    EXPECT_FALSE(Unicode::isWhiteSpace(U'\u200B')); // zero width space is not White_Space
    EXPECT_TRUE(Unicode::isBlank(U'\t'));
    EXPECT_TRUE(Unicode::isBlank(U'\u3000'));
    EXPECT_FALSE(Unicode::isBlank(U'\n'));
    EXPECT_TRUE(Unicode::isWhitespaceOrNewline(U'\n'));
    EXPECT_TRUE(Unicode::isWhitespaceOrNewline(U'\u0085'));
}

TEST(Unicode, TrimsBlanksOrAllWhitespace) {
    const QString text = QString::fromUtf16(u"\u3000\t milk \n\t");
    EXPECT_EQ(Unicode::trimBlanks(text), QString::fromUtf16(u"milk \n"));
    EXPECT_EQ(Unicode::trimWhitespaceAndNewlines(text), QStringLiteral("milk"));
    EXPECT_EQ(Unicode::trimWhitespaceAndNewlines(QStringLiteral(" \n ")), QString());
    // A supplementary character at either end survives trimming whole.
    const QString emoji = QString::fromUtf16(u" \U0001F34E ");
    EXPECT_EQ(Unicode::trimBlanks(emoji), QString::fromUtf16(u"\U0001F34E"));
}

TEST(Unicode, SplitsAtWhiteSpaceKeepingCharactersWhole) {
    const QString text = QString::fromUtf16(u"  milk\u00A0#dairy\n\n2L\u2029x ");
    EXPECT_EQ(Unicode::splitAtWhiteSpace(text),
              (QStringList{"milk", "#dairy", "2L", "x"}));
    EXPECT_TRUE(Unicode::splitAtWhiteSpace(QStringLiteral(" \t\n")).isEmpty());
}

TEST(Unicode, FullCaseMapping) {
    EXPECT_EQ(Unicode::toUpper(QString::fromUtf16(u"straße")), QStringLiteral("STRASSE"));
    EXPECT_EQ(Unicode::toUpper(QString::fromUtf16(u"ǆ")), QString::fromUtf16(u"Ǆ"));
    EXPECT_EQ(Unicode::toLower(QStringLiteral("MILK")), QStringLiteral("milk"));
}

TEST(Unicode, TextOrderIsCodePointOrderAfterNfc) {
    // Upper case before lower case.
    EXPECT_LT(Unicode::compareText("Zebra", "apple"), 0);
    // Composed and decomposed forms are the same text.
    EXPECT_EQ(Unicode::compareText(QString::fromUtf16(u"caf\u00E9"),
                                   QString::fromUtf16(u"cafe\u0301")),
              0);
    // A supplementary character sorts after U+FFFD, unlike UTF-16 code unit order.
    EXPECT_GT(Unicode::compareText(QString::fromUtf16(u"\U0001F34E"), QString::fromUtf16(u"\uFFFD")),
              0);
    EXPECT_LT(Unicode::compareText("a", "ab"), 0);
    EXPECT_TRUE(Unicode::textLess("A", "a"));
    EXPECT_FALSE(Unicode::textLess("a", "a"));
}

} // namespace
