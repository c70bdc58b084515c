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
    const char* bad[] = {"YWI",  "YWI=\n", " YWI=", "YW=I", "YWI==", "Y\x01I=",
                         "YW-_", "YWJ=",  "====",  "YWI=YWI="};
    for (const char* text : bad) {
        EXPECT_FALSE(Base64::decode(QString::fromLatin1(text))) << text;
    }
    EXPECT_FALSE(Base64::decode(QString::fromUtf16(u"YWI\u00E9")));
    ASSERT_TRUE(Base64::decode(QString()));
    EXPECT_TRUE(Base64::decode(QString())->isEmpty());
}

TEST(Ids, AreUpperCaseUuids) {
    const QRegularExpression form(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$"));
    const QString a = Ids::newId();
    EXPECT_TRUE(form.match(a).hasMatch()) << a.toStdString();
    EXPECT_NE(a, Ids::newId());
}
