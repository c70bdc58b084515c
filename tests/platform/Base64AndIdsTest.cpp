#include "platform/Base64.h"
#include "platform/Ids.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(Base64, RoundTripsAnyBytes) {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i) {
        bytes.append(char(i));
        const auto back = Base64::decode(Base64::encode(bytes));
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, bytes);
    }
    EXPECT_EQ(Base64::encode(QByteArray("ab")), QStringLiteral("YWI="));
}

TEST(Base64, ReadsStrictly) {
    const char* bad[] = {
        "YWI", "YWI=\n", " YWI=", "YW=I", "YWI==", "Y\x01I=", "YW-_", "YWJ=", "====", "YWI=YWI="};
    for (const char* text : bad) {
        EXPECT_FALSE(Base64::decode(QString::fromLatin1(text))) << text;
    }
    EXPECT_FALSE(Base64::decode(QString::fromUtf16(u"YWI\u00E9")));
    ASSERT_TRUE(Base64::decode(QString()));
    EXPECT_TRUE(Base64::decode(QString())->isEmpty());
}

TEST(Base64, ReadsTheStandardVectorsOfBothKindsOfText) {
    const struct {
        const char* text;
        const char* data;
    } vectors[] = {{"", ""},
                   {"Zg==", "f"},
                   {"Zm8=", "fo"},
                   {"Zm9v", "foo"},
                   {"Zm9vYg==", "foob"},
                   {"Zm9vYmE=", "fooba"},
                   {"Zm9vYmFy", "foobar"}};
    for (const auto& v : vectors) {
        EXPECT_EQ(Base64::decode(QByteArray(v.text)), QByteArray(v.data)) << v.text;
        EXPECT_EQ(Base64::decode(QString::fromLatin1(v.text)), QByteArray(v.data)) << v.text;
    }
}

TEST(Base64, BytesAboveAsciiAreRefusedWhereverTheyStand) {
    // The library underneath reads each of them as "/": "Zm9vYmF\xff" would come out as
    // "fooba\x7f".
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        for (qsizetype at = 0; at < 8; ++at) {
            QByteArray text("Zm9vYmFy");
            text[at] = char(byte);
            ASSERT_FALSE(Base64::decode(text)) << byte << " at " << at;
        }
    }
    EXPECT_FALSE(Base64::decode(QByteArray("Zm9vYmF\xff")));
    EXPECT_FALSE(Base64::decode(QByteArray("Zm9vYg=\xbd")));
}

TEST(Ids, AreUpperCaseUuids) {
    const QRegularExpression form(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"));
    const QString a = Ids::newId();
    EXPECT_TRUE(form.match(a).hasMatch()) << a.toStdString();
    EXPECT_NE(a, Ids::newId());
}
