#include "platform/Defaults.h"
#include "platform/AppPaths.h"
#include "platform/JsonRead.h"
#include "platform/PersonNameFormatter.h"
#include "support/ChildWithin.h"
#include "support/FileSizeLimit.h"
#include "support/TestApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// One bad settings file must not stop every request: whatever stands where the file goes, the
// settings read as empty at once, the file is moved aside whole and the person is told where.
TEST(Defaults, AFileThatCannotBeReadIsSetAsideWithANoticeAndNeverStopsAReader) {
    const QByteArray deep = "{\"a\": " + QByteArray(100'000, '[') + QByteArray(100'000, ']') + "}";
    struct Case {
        const char* what;
        std::function<void(const QString& path)> make;
        const char* why;
        mode_t type; // of what is set aside
    };
    const Case cases[] = {
        {"malformed", [](const QString& p) { writeFile(p, "{\"a\": tru"); }, "not a JSON document",
         S_IFREG},
        {"an array", [](const QString& p) { writeFile(p, "[{\"a\": true}]"); }, "not a JSON object",
         S_IFREG},
        {"a raw NUL", [](const QString& p) { writeFile(p, QByteArray("{\"a\": 1}\0", 10)); },
         "not a JSON document", S_IFREG},
        {"nested a hundred thousand levels deep", [&](const QString& p) { writeFile(p, deep); },
         "nested too deeply", S_IFREG},
        {"a named pipe",
         [](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); },
         "file to open is a named pipe, not a regular file", S_IFIFO},
        {"a link to /dev/zero", [](const QString& p) { ASSERT_TRUE(QFile::link("/dev/zero", p)); },
         "file to open is a device, not a regular file", S_IFLNK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.json");
        c.make(path);
        const QByteArray before = c.type == S_IFREG ? fileBytes(path) : QByteArray();
        // In a child: a reader that waits on the pipe, or overflows its stack, ends there.
        const QString noticeFile = dir.filePath("notice");
        const int status = testsupport::inChildWithin(10'000, [&] {
            FileDefaults d(path);
            if (d.contains("a"))
                return 1;
            d.setBool("b", true);
            QFile notice(noticeFile);
            if (!notice.open(QIODevice::WriteOnly))
                return 2;
            notice.write(d.unreadableFileNotice().value_or(QString()).toUtf8());
            return 0;
        });
        ASSERT_EQ(status, 0) << (status == testsupport::timedOut ? "timed out" : "failed");

        const QString notice = QString::fromUtf8(fileBytes(noticeFile));
        const QString start = "The settings file “" + path + "” could not be read: " + c.why +
                              ". It was moved to “" + path + ".unreadable-";
        ASSERT_TRUE(notice.startsWith(start)) << notice.toStdString();
        EXPECT_TRUE(notice.endsWith("”, and Tallybird uses its usual settings."))
            << notice.toStdString();
        const QString aside =
            path + ".unreadable-" + notice.mid(start.size()).section(QStringLiteral("”"), 0, 0);
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(aside).constData(), &info), 0) << aside.toStdString();
        EXPECT_EQ(info.st_mode & S_IFMT, c.type) << "what was there is what was set aside";
        if (c.type == S_IFREG) {
            EXPECT_EQ(fileBytes(aside), before);
        }
        // The write after it made a file of its own, which reads.
        EXPECT_EQ(FileDefaults(path).boolValue("b"), true);
        EXPECT_EQ(FileDefaults(path).unreadableFileNotice(), std::nullopt);
    }
}

TEST(Defaults, AFolderWhereTheFileGoesIsLeftAndSaidSo) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    ASSERT_TRUE(QDir().mkdir(path));
    FileDefaults d(path);
    EXPECT_FALSE(d.contains("a"));
    EXPECT_EQ(d.unreadableFileNotice(),
              "The settings file “" + path +
                  "” cannot be read: file to open is a directory. Tallybird uses its usual "
                  "settings.");
    d.setBool("a", true);
    EXPECT_FALSE(d.lastWriteSucceeded());
    EXPECT_TRUE(QFileInfo(path).isDir());
}

// The file is written back in the order it was read in, with new keys last; a key given twice
// keeps its first place and its last value, as the JSON library's reader does.
TEST(Defaults, TheFileKeepsItsKeyOrderThroughAWrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    writeFile(path, R"({"zebra": 1, "apple": {"y": [1, {"q": 2, "p": 3}], "x": null},
                        "mango": "m", "apple2": {"b": 1, "a": 2, "b": 3}, "zebra": 4})");
    FileDefaults d(path);
    EXPECT_EQ(d.integer("zebra"), 4);
    EXPECT_EQ(d.dictionary("apple2")->dump(), R"({"b":3,"a":2})");
    d.setString("new", "last");
    d.setString("mango", "changed in place");
    EXPECT_EQ(fileBytes(path), R"({
  "zebra": 4,
  "apple": {
    "y": [
      1,
      {
        "q": 2,
        "p": 3
      }
    ],
    "x": null
  },
  "mango": "changed in place",
  "apple2": {
    "b": 3,
    "a": 2
  },
  "new": "last"
}
)");
    d.remove("apple");
    EXPECT_EQ(FileDefaults(path).string("new"), QStringLiteral("last"));
    EXPECT_FALSE(FileDefaults(path).contains("apple"));
    EXPECT_EQ(FileDefaults(path).integer("zebra"), 4);
}

// A key is found without looking at the others: keys for each list grow with the lists, and
// every request reads the file and looks up many keys. Reading 100,000 keys once took seconds
// per request; now it takes a fraction of a second, far inside this bound.
TEST(Defaults, AHundredThousandKeysAreReadAndFoundInLinearTime) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    constexpr int keys = 100'000;
    QByteArray text = "{";
    for (int n = 0; n < keys; ++n)
        text += "\"list." + QByteArray::number(n) + ".sort\": " + QByteArray::number(n) + ",";
    text += "\"last\": true}";
    writeFile(path, text);

    constexpr qint64 boundMs = 10'000;
    QElapsedTimer timer;
    timer.start();
    {
        FileDefaults d(path);
        for (int n = 0; n < keys && timer.elapsed() < boundMs; n += 97)
            ASSERT_EQ(d.integer(QStringLiteral("list.%1.sort").arg(n)), n);
        d.setInteger(QStringLiteral("list.new.sort"), 1);
    }
    FileDefaults again(path);
    EXPECT_EQ(again.integer(QStringLiteral("list.new.sort")), 1);
    EXPECT_EQ(again.integer(QStringLiteral("list.99999.sort")), 99'999);
    EXPECT_LT(timer.elapsed(), boundMs);
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
