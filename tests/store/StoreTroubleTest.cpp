// Trouble with the store file is told, not only kept in a flag: failed writes, a recovery, a
// lock refused when the store is made and a lock another process took over.
#include "StoreTestSupport.h"
#include "support/TestApplication.h"

#include "platform/FileLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>

#include <functional>
#include <vector>

#include <unistd.h>

namespace {

struct Trouble {
    explicit Trouble(ListStore& store) {
        QObject::connect(&store, &ListStore::saveFailed, &context,
                         [this](const QString& message) { failed.append(message); });
        QObject::connect(&store, &ListStore::saveRecovered, &context, [this] { ++recovered; });
        QObject::connect(&store, &ListStore::lockFailed, &context,
                         [this](const QString& message) { lock.append(message); });
    }
    QObject context; // disconnects when the listener goes
    QStringList failed;
    int recovered = 0;
    QStringList lock;
};

} // namespace

TEST_F(StoreTest, EveryFailedWriteIsToldAndTheFirstGoodOneAfterIt) {
    struct Case {
        const char* what;
        std::function<void(const QString& folder)> breakIt;
        std::function<void(const QString& folder)> repair;
    };
    const Case cases[] = {
        {"the folder is gone", [](const QString& f) { QDir(f).removeRecursively(); },
         [](const QString& f) { QDir().mkpath(f); }},
        {"a folder stands where the file goes",
         [](const QString& f) {
             QFile::remove(f + "/store.json");
             QDir().mkpath(f + "/store.json");
         },
         [](const QString& f) { QDir(f + "/store.json").removeRecursively(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = dir.filePath(c.what);
        QDir().mkpath(folder);
        ListStore store(folder + "/store.json", true, false, defaults, clock);
        Trouble trouble(store);
        // Each change is written before the next: saves that queue are written as one.
        const auto add = [&](const QString& name) {
            store.addList(name);
            store.flushSaves();
        };
        add("One");
        c.breakIt(folder);
        add("Two");
        add("Three");
        ASSERT_EQ(trouble.failed.size(), 2);
        EXPECT_TRUE(trouble.failed[0].contains(folder + "/store.json"));
        EXPECT_FALSE(store.lastSaveSucceeded());
        EXPECT_EQ(trouble.recovered, 0);

        c.repair(folder);
        add("Four");
        add("Five");
        EXPECT_EQ(trouble.recovered, 1);
        EXPECT_EQ(trouble.failed.size(), 2);
        EXPECT_TRUE(trouble.lock.isEmpty());
        ListStore reread(folder + "/store.json", true, false, defaults, clock,
                         ListStore::Access::readOnly);
        EXPECT_EQ(reread.lists().size(), 5);
    }
}

TEST_F(StoreTest, ARefusedLockIsToldOnceTheEventLoopRuns) {
    testsupport::ensureApplication(); // queued signals need an event loop
    auto owner = open();
    auto intruder = open();
    Trouble trouble(*intruder);
    EXPECT_TRUE(trouble.lock.isEmpty()) << "told before anyone could connect";
    QCoreApplication::processEvents();
    ASSERT_EQ(trouble.lock.size(), 1);
    EXPECT_EQ(trouble.lock[0], intruder->lockError().value_or(QString()));
    EXPECT_TRUE(
        trouble.lock[0].endsWith(QStringLiteral("in use by another Tallybird process (process %1).")
                                     .arg(QCoreApplication::applicationPid())));
    EXPECT_TRUE(intruder->lockHeldElsewhere());

    // A store gone before the loop runs tells nothing.
    open().reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Trouble(*owner).lock.isEmpty());
    EXPECT_TRUE(owner->canWrite());
}

TEST_F(StoreTest, ALockTakenOverStopsEveryWriteAndIsLeftToItsNewHolder) {
    auto store = open();
    Trouble trouble(*store);
    store->addList("Mine");
    const QByteArray before = fileBytes();
    const QString lockPath = path() + ".lock";

    // The lock file was deleted and another holder, still running, made its own.
    QFile::remove(lockPath);
    FileLock other(lockPath);
    ASSERT_EQ(other.tryLock(), FileLock::Outcome::locked);
    store->addList("Not saved");
    store->addList("Nor this");
    EXPECT_EQ(fileBytes(), before);
    ASSERT_EQ(trouble.lock.size(), 1);
    EXPECT_EQ(store->lockError(), trouble.lock[0]);
    EXPECT_FALSE(store->canWrite());
    EXPECT_TRUE(trouble.failed.isEmpty());

    store.reset();
    EXPECT_TRUE(other.stillHolds()) << "the other holder's lock file was removed";
}

TEST_F(StoreTest, ALockFileDeletedWhileNobodyHoldsItIsTakenAgain) {
    auto store = open();
    Trouble trouble(*store);
    store->addList("One");
    QFile::remove(path() + ".lock");
    store->addList("Two");
    EXPECT_TRUE(trouble.lock.isEmpty());
    EXPECT_TRUE(store->canWrite());
    EXPECT_TRUE(QFile::exists(path() + ".lock"));
    EXPECT_TRUE(open()->lockError().has_value()) << "the lock taken again keeps others out";
    store.reset();
    EXPECT_FALSE(QFile::exists(path() + ".lock"));
    EXPECT_EQ(open(true, ListStore::Access::readOnly)->lists().size(), 2);
}

TEST_F(StoreTest, ALockFileLeftBehindKeepsNobodyOut) {
    // What a writer killed at any moment leaves: an empty file (killed before it wrote its
    // name), its name when it is gone, or bytes that are no name at all.
    struct Case {
        const char* what;
        QByteArray lockFile;
    };
    const Case cases[] = {
        {"an empty lock file", ""},
        {"a lock file naming a process that is gone",
         "2147483000\ntallybird\n" + QSysInfo::machineHostName().toUtf8() + "\n"},
        {"a lock file of garbage", QByteArray("\x01\xff garbage\n\n", 13)},
    };
    int lists = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile lock(path() + ".lock");
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lock.write(c.lockFile);
        lock.close();

        auto store = open();
        Trouble trouble(*store);
        ASSERT_EQ(store->lockError(), std::nullopt);
        EXPECT_EQ(store->lists().size(), lists) << "a list was lost";
        store->addList(c.what);
        store->flushSaves();
        ++lists;
        EXPECT_TRUE(store->lastSaveSucceeded());
        // The lock is this store's now: another is refused and told who holds it.
        const QString refused = open()->lockError().value_or(QString());
        EXPECT_TRUE(refused.endsWith(QStringLiteral("is in use by another Tallybird process "
                                                    "(process %1).")
                                         .arg(QCoreApplication::applicationPid())))
            << refused.toStdString();
        EXPECT_TRUE(trouble.lock.isEmpty());
    }
    EXPECT_EQ(open(true, ListStore::Access::readOnly)->lists().size(), lists);
}

TEST_F(StoreTest, AFileThatCannotBeLockedOrOpenedIsToldAtOnceAndNeverWritten) {
    testsupport::ensureApplication(); // queued signals need an event loop
    struct Case {
        const char* what;
        std::function<void(const QString& folder)> breakIt;
        QString message; // after the store file's name
    };
    std::vector<Case> cases = {
        {"a folder stands where the lock file goes",
         [](const QString& f) { QDir().mkpath(f + "/store.json.lock"); },
         "” cannot be locked for writing: Is a directory."},
        {"a folder stands where the store file goes",
         [](const QString& f) { QDir().mkpath(f + "/store.json"); },
         "” cannot be opened: file to open is a directory."},
    };
    if (::geteuid() != 0) // the superuser writes into any folder
        cases.push_back(
            {"the folder is read-only",
             [](const QString& f) { QFile::setPermissions(f, QFile::ReadOwner | QFile::ExeOwner); },
             "” cannot be locked for writing: Permission denied."});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = dir.filePath(c.what);
        QDir().mkpath(folder);
        c.breakIt(folder);
        const QString file = folder + "/store.json";
        ListStore store(file, true, false, defaults, clock);
        Trouble trouble(store);
        EXPECT_FALSE(store.canWrite());
        EXPECT_FALSE(store.lockHeldElsewhere()) << "nothing to wait for";
        EXPECT_EQ(store.lockError(), "The store file “" + file + c.message);
        QCoreApplication::processEvents();
        EXPECT_EQ(trouble.lock, QStringList{*store.lockError()});
        store.addList("Not saved");
        store.flushSaves();
        EXPECT_TRUE(trouble.failed.isEmpty()) << "no write was tried";
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}
