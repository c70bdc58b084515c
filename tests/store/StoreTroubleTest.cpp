// Trouble with the store file is told, not only kept in a flag: failed writes, a recovery, a
// lock refused when the store is made and a lock another process took over.
#include "StoreTestSupport.h"
#include "support/TestApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>

#include <functional>

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

// Writes a lock file as another process on this machine would.
void writeLock(const QString& lockPath, qint64 pid) {
    QFile file(lockPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray::number(pid) + "\ntallybird\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
}

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
    EXPECT_TRUE(trouble.lock[0].contains("in use"));

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

    // The lock file was deleted and another process, still running, made its own.
    QFile::remove(lockPath);
    writeLock(lockPath, ::getppid());
    store->addList("Not saved");
    store->addList("Nor this");
    EXPECT_EQ(fileBytes(), before);
    ASSERT_EQ(trouble.lock.size(), 1);
    EXPECT_EQ(store->lockError(), trouble.lock[0]);
    EXPECT_FALSE(store->canWrite());
    EXPECT_TRUE(trouble.failed.isEmpty());

    store.reset();
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly)) << "the other process's lock was removed";
    EXPECT_TRUE(lock.readLine().startsWith(QByteArray::number(::getppid())));
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
