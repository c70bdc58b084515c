#include "platform/Defaults.h"
#include "platform/AppPaths.h"
#include "platform/PersonNameFormatter.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

void expectTypedReads(Defaults& d) {
    d.setBool("flag", true);
    d.setInteger("count", 7);
    d.setNumber("ratio", 0.5);
    d.setString("name", QString::fromUtf16(u"Ann \u00C9"));
    d.setStringList("tags", {"dairy", "bakery"});
    Json dict = Json::object();
    dict["k"] = "v";
    d.setDictionary("map", dict);

    EXPECT_EQ(d.boolValue("flag"), true);
    EXPECT_EQ(d.integer("count"), 7);
    EXPECT_EQ(d.number("count"), 7.0);
    EXPECT_EQ(d.number("ratio"), 0.5);
    EXPECT_EQ(d.string("name"), QString::fromUtf16(u"Ann \u00C9"));
    EXPECT_EQ(d.stringList("tags"), (QStringList{"dairy", "bakery"}));
    EXPECT_EQ(d.dictionary("map"), dict);

    // A value of another type reads as absent.
    EXPECT_FALSE(d.boolValue("count"));
    EXPECT_FALSE(d.integer("flag"));
    EXPECT_FALSE(d.integer("ratio"));
    EXPECT_FALSE(d.string("count"));
    EXPECT_FALSE(d.stringList("name"));
    EXPECT_FALSE(d.dictionary("tags"));

    d.remove("flag");
    EXPECT_FALSE(d.contains("flag"));
    EXPECT_FALSE(d.boolValue("flag"));
}

TEST(Defaults, MemoryDefaultsReadTypedValues) {
    MemoryDefaults d;
    expectTypedReads(d);
}

TEST(Defaults, FileDefaultsReadTypedValuesAndPersist) {
    QTemporaryDir dir;
    const QString path = dir.filePath("config/defaults.json");
    {
        FileDefaults d(path);
        expectTypedReads(d);
        EXPECT_TRUE(d.lastWriteSucceeded());
    }
    FileDefaults again(path);
    EXPECT_EQ(again.integer("count"), 7);
    EXPECT_EQ(again.stringList("tags"), (QStringList{"dairy", "bakery"}));
}

TEST(Defaults, TwoProcessesSeeEachOthersWrites) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    FileDefaults window(path);
    FileDefaults commandLine(path);
    window.setString("textScale", "large");
    EXPECT_EQ(commandLine.string("textScale"), QStringLiteral("large"));
    commandLine.setBool("siri.voiceCommandHasRun", true);
    // Neither write lost the other's key.
    EXPECT_EQ(window.boolValue("siri.voiceCommandHasRun"), true);
    EXPECT_EQ(window.string("textScale"), QStringLiteral("large"));
    window.setString("textScale", "small");
    EXPECT_EQ(commandLine.string("textScale"), QStringLiteral("small"));
}

TEST(Defaults, CorruptFileReadsAsEmptyAndIsReplacedOnWrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"a\": tru");
    file.close();
    FileDefaults d(path);
    EXPECT_FALSE(d.contains("a"));
    d.setBool("a", false);
    FileDefaults again(path);
    EXPECT_EQ(again.boolValue("a"), false);
}

TEST(Defaults, AFileCutShortByARawNulReadsAsEmpty) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("{\"a\": true}") + '\0' + "{\"b\": 1}");
    file.close();
    EXPECT_FALSE(FileDefaults(path).contains("a"));
}

TEST(Defaults, StandardIsInMemoryUntilReplaced) {
    Defaults::standard().setString("x", "1");
    EXPECT_EQ(Defaults::standard().string("x"), QStringLiteral("1"));
    auto fresh = std::make_shared<MemoryDefaults>();
    Defaults::setStandard(fresh);
    EXPECT_FALSE(Defaults::standard().contains("x"));
    EXPECT_EQ(&Defaults::standard(), fresh.get());
}

TEST(AppPaths, UseTallybirdFoldersOrTheProfile) {
    // Test mode keeps the folders this test creates out of the user's own XDG folders.
    QStandardPaths::setTestModeEnabled(true);
    AppPaths::setProfile(QString());
    EXPECT_TRUE(AppPaths::dataDir().endsWith("/tallybird"));
    EXPECT_TRUE(AppPaths::configDir().endsWith("/tallybird"));
    EXPECT_NE(AppPaths::dataDir(), AppPaths::configDir());
    QTemporaryDir dir;
    AppPaths::setProfile(dir.path());
    EXPECT_EQ(AppPaths::dataDir(), dir.path());
    EXPECT_TRUE(QDir(AppPaths::cacheDir()).exists());
    AppPaths::setProfile(QString());
    QStandardPaths::setTestModeEnabled(false);
}

TEST(PersonNameFormatter, GivenThenFamilyTrimmed) {
    struct Case {
        const char* given;
        const char* family;
        const char* expected;
    };
    const Case cases[] = {{"Ann", "Lee", "Ann Lee"},
                          {" Ann ", "", "Ann"},
                          {"", "Lee\n", "Lee"},
                          {"", "", ""},
                          {"  ", " ", ""}};
    for (const Case& c : cases) {
        PersonNameComponents components;
        components.givenName = c.given;
        components.familyName = c.family;
        components.nickname = "Annie";
        EXPECT_EQ(PersonNameFormatter::format(components), QString(c.expected));
    }
}

} // namespace
