// What stands where the store file goes is not always a file the program wrote: a pipe, a link
// to a device, a document nested past any reader's stack. Each is refused or set aside at
// once, never waited on and never the end of the process; and what the store makes is its
// owner's alone.
#include "StoreTestSupport.h"
#include "support/ChildWithin.h"

#include "platform/AppPaths.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

#include <unistd.h>

namespace {

// Long enough for any store here to open; a pipe waited on never ends.
constexpr int withinMs = 20'000;

mode_t modeOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode;
}

void putBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace

TEST_F(StoreTest, AStoreFileThatIsNoRegularFileIsRefusedAtOnceAndNamed) {
    struct Case {
        const char* what;
        std::function<bool(const QString& path)> make;
        const char* why;
        mode_t type; // what stays at the path
    };
    const Case cases[] = {
        {"a named pipe",
         [](const QString& p) { return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0; },
         "file to open is a named pipe, not a regular file", S_IFIFO},
        {"a link to /dev/zero", [](const QString& p) { return QFile::link("/dev/zero", p); },
         "file to open is a device, not a regular file", S_IFLNK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = dir.filePath(c.what);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString file = folder + "/store.json";
        ASSERT_TRUE(c.make(file));
        const QString expected = "The store file “" + file + "” cannot be opened: " + c.why + ".";
        // In a child: a store that waits on the pipe, or reads /dev/zero until memory runs out,
        // ends there.
        const int status = testsupport::inChildWithin(withinMs, [&] {
            {
                ListStore store(file, true, false, defaults, clock);
                if (store.canWrite() || store.lockError() != expected)
                    return 1;
                store.addList("Not saved");
                store.flushSaves();
            }
            ListStore look(file, true, false, defaults, clock, ListStore::Access::readOnly);
            return look.openError() == expected && look.lists().isEmpty() ? 0 : 2;
        });
        EXPECT_EQ(status, 0) << (status == testsupport::timedOut ? "timed out" : "failed");
        EXPECT_EQ(modeOf(file) & S_IFMT, c.type) << "what was there was written over";
    }
}

TEST_F(StoreTest, AStoreFileNestedPastAnyReadersStackIsKeptAsideAndTheStoreOpens) {
    const QByteArray deep = QByteArray(100'000, '[') + QByteArray(100'000, ']');
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"in the current layout, in a list",
         R"({"version":3,"lists":[{"id":"L","name":"Deep","deep":)" + deep +
             R"(}],"items":[],"dirtyLists":{},"dirtyItems":{},"archivedRecords":{}})"},
        {"in the first layout",
         R"({"lists":[{"id":"L","name":"Deep","deep":)" + deep + R"(}],"items":[]})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        putBytes(path(), c.bytes);
        const int status = testsupport::inChildWithin(withinMs, [&] {
            ListStore store(path(), true, false, defaults, clock);
            if (!store.canWrite() || !store.lists().isEmpty() || !store.unreadableCopy())
                return 1;
            QFile copy(*store.unreadableCopy());
            return copy.open(QIODevice::ReadOnly) && copy.readAll() == c.bytes ? 0 : 2;
        });
        EXPECT_EQ(status, 0) << (status == testsupport::timedOut ? "timed out" : "failed");
        for (const QString& copy : QDir(dir.path()).entryList({"store.json.unreadable-*"}))
            QFile::remove(dir.filePath(copy));
    }
}

TEST_F(StoreTest, TheStoreAndItsFolderAreTheOwnersAloneWhateverTheUmask) {
    for (const mode_t mask : {mode_t(0), mode_t(022), mode_t(0277)}) {
        SCOPED_TRACE(QStringLiteral("umask %1").arg(mask, 4, 8, QLatin1Char('0')).toStdString());
        const QString profile = dir.filePath(QStringLiteral("profile-%1/data").arg(mask));
        const mode_t before = ::umask(mask);
        AppPaths::setProfile(profile);
        const QString file = ListStore::defaultStoreURL();
        {
            ListStore store(file, true, false, defaults, clock);
            store.addList("Groceries");
            store.flushSaves();
            EXPECT_TRUE(store.lastSaveSucceeded());
        }
        // A file it cannot read is copied aside before it is written over: the copy too.
        putBytes(file, "{\"lists\": [");
        {
            ListStore store(file, true, false, defaults, clock);
            ASSERT_TRUE(store.unreadableCopy());
            EXPECT_EQ(modeOf(*store.unreadableCopy()) & 07777, 0600u);
        }
        AppPaths::setProfile(QString());
        ::umask(before);
        EXPECT_EQ(modeOf(QFileInfo(profile).absolutePath()) & 07777, 0700u);
        EXPECT_EQ(modeOf(profile) & 07777, 0700u);
        EXPECT_EQ(modeOf(file) & 07777, 0600u);
    }
}
