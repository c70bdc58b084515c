#include "platform/Defaults.h"
#include "platform/AppPaths.h"
#include "platform/JsonRead.h"
#include "platform/PersonNameFormatter.h"
#include "support/FileSizeLimit.h"
#include "support/TestApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace {

// The keys announced while `step` runs, in order.
QStringList announcedBy(Defaults& d, const std::function<void()>& step) {
    QStringList keys;
    const auto connection =
        QObject::connect(&d, &Defaults::changed, [&](const QString& key) { keys.append(key); });
    step();
    QObject::disconnect(connection);
    return keys;
}

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

TEST(Defaults, AWriteTheDiskCannotHoldLeavesTheFileAndALockLeftBehindBlocksNobody) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    FileDefaults d(path);
    d.setString("kept", "yes");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        const testsupport::FileSizeLimit full(before.size());
        d.setString("long", QString(4'096, 'x'));
    }
    EXPECT_FALSE(d.lastWriteSucceeded());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();

    // A writer killed between making the lock file and naming itself in it.
    QFile lock(path + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    d.setString("after", "yes");
    EXPECT_TRUE(d.lastWriteSucceeded());
    FileDefaults again(path);
    EXPECT_EQ(again.string("kept"), QStringLiteral("yes"));
    EXPECT_EQ(again.string("after"), QStringLiteral("yes"));
}

// The file's inode and modification time: a write replaces the file, so either changes.
QString fileVersion(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1 %2.%3")
        .arg(info.st_ino)
        .arg(info.st_mtim.tv_sec)
        .arg(info.st_mtim.tv_nsec);
}

TEST(Defaults, AValueAlreadyHeldIsNotWrittenAgain) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    FileDefaults d(path);
    d.setBool("flag", true);
    d.setString("name", "Ann");
    d.setStringList("tags", {"dairy"});
    struct Case {
        const char* what;
        std::function<void()> write;
        bool rewrites;
    };
    const Case cases[] = {
        {"the same Boolean", [&] { d.setBool("flag", true); }, false},
        {"the same text", [&] { d.setString("name", "Ann"); }, false},
        {"the same list", [&] { d.setStringList("tags", {"dairy"}); }, false},
        {"removing a key that is not there", [&] { d.remove("absent"); }, false},
        {"a number where a Boolean was", [&] { d.setInteger("flag", 1); }, true},
        {"another text", [&] { d.setString("name", "Bo"); }, true},
        {"removing a key that is there", [&] { d.remove("tags"); }, true},
    };
    for (const Case& c : cases) {
        const QString before = fileVersion(path);
        ASSERT_FALSE(before.isEmpty());
        // Past the file system's time granularity, so that a rewrite would show.
        QThread::msleep(5);
        c.write();
        EXPECT_EQ(fileVersion(path) != before, c.rewrites) << c.what;
    }

    // A value that never reached the disk is written again when set again.
    {
        const testsupport::FileSizeLimit full(QFileInfo(path).size());
        d.setString("long", QString(4'096, 'x'));
    }
    EXPECT_FALSE(d.lastWriteSucceeded());
    d.setString("long", QString(4'096, 'x'));
    EXPECT_TRUE(d.lastWriteSucceeded());
    EXPECT_EQ(FileDefaults(path).string("long"), QString(4'096, 'x'));
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

// A screen redraws on changed(key): a write that changes a value says so once, at once; one
// that changes nothing says nothing.
void expectWritesAnnounced(Defaults& d) {
    const struct {
        const char* what;
        std::function<void()> write;
        QStringList announced;
    } steps[] = {
        {"a new key", [&] { d.setString("a", "1"); }, {"a"}},
        {"the same value again", [&] { d.setString("a", "1"); }, {}},
        {"another value", [&] { d.setString("a", "2"); }, {"a"}},
        {"the same text as a number", [&] { d.setInteger("a", 2); }, {"a"}},
        {"a list", [&] { d.setStringList("tags", {"x"}); }, {"tags"}},
        {"the same list", [&] { d.setStringList("tags", {"x"}); }, {}},
        {"a removed key", [&] { d.remove("a"); }, {"a"}},
        {"a key removed again", [&] { d.remove("a"); }, {}},
        {"a key never set, removed", [&] { d.remove("never"); }, {}},
    };
    for (const auto& step : steps)
        EXPECT_EQ(announcedBy(d, step.write), step.announced) << step.what;
}

TEST(Defaults, MemoryDefaultsAnnounceChangedKeys) {
    MemoryDefaults d;
    expectWritesAnnounced(d);
}

TEST(Defaults, FileDefaultsAnnounceChangedKeys) {
    QTemporaryDir dir;
    FileDefaults d(dir.filePath("defaults.json"));
    expectWritesAnnounced(d);
}

TEST(Defaults, KeysAnotherProcessChangedAreAnnouncedAfterTheReadThatFindsThem) {
    testsupport::ensureApplication();
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    FileDefaults window(path);
    FileDefaults commandLine(path);
    window.setString("kept", "same");
    window.setString("textScale", "standard");

    commandLine.setString("textScale", "large");
    commandLine.setBool("siri.voiceCommandHasRun", true);
    commandLine.setString("kept", "same");
    // Nobody is called back in the middle of a read; the keys follow on the next turn, once.
    const QStringList duringRead = announcedBy(window, [&] {
        EXPECT_EQ(window.string("textScale"), QStringLiteral("large"));
        EXPECT_EQ(window.string("kept"), QStringLiteral("same"));
    });
    EXPECT_EQ(duringRead, QStringList());
    QStringList later = announcedBy(window, [] { QCoreApplication::processEvents(); });
    later.sort();
    EXPECT_EQ(later, QStringList({"siri.voiceCommandHasRun", "textScale"}));
    EXPECT_EQ(announcedBy(window, [] { QCoreApplication::processEvents(); }), QStringList());

    // A write merges the other process's new keys, and announces them besides its own.
    commandLine.remove("kept");
    later = announcedBy(window, [&] {
        window.setString("textScale", "small");
        QCoreApplication::processEvents();
    });
    EXPECT_EQ(later, QStringList({"textScale", "kept"}));
}

TEST(Defaults, AWatchedFileAnnouncesAnotherProcessesWriteWithoutARead) {
    testsupport::ensureApplication();
    QTemporaryDir dir;
    const QString path = dir.filePath("config/defaults.json");
    FileDefaults window(path); // made with an application object, so it watches its folder
    QSignalSpy spy(&window, &Defaults::changed);
    FileDefaults commandLine(path);
    commandLine.setString("lastOpenedList", "L1");
    // Only a guard: the folder's watch reports the new file within milliseconds.
    ASSERT_TRUE(spy.wait(10000));
    EXPECT_EQ(spy.takeFirst().at(0).toString(), QStringLiteral("lastOpenedList"));

    // The file was replaced by a rename; the watch still sees the next one.
    commandLine.setString("lastOpenedList", "L2");
    ASSERT_TRUE(spy.wait(10000));
    EXPECT_EQ(spy.takeFirst().at(0).toString(), QStringLiteral("lastOpenedList"));
    EXPECT_EQ(window.string("lastOpenedList"), QStringLiteral("L2"));
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
