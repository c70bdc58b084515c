// Trouble with the store file, met by the real program and its command line: a disk that
// cannot hold the new file, a lock file left by a writer that was killed, a lock that cannot
// be taken at all.
#include "ProcessTestSupport.h"

#include "support/FileSizeLimit.h"

#include <csignal>
#include <functional>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

class StoreTroubleProcess : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        Seed seed(openStore());
        groceries = seed.list("Groceries");
        seed.item(groceries, "Oat milk");
    }

    QByteArray storeBytes() const {
        QFile file(storePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString groceries;
};

TEST_F(StoreTroubleProcess, ARequestTheDiskCannotHoldIsAnsweredAsNotSaved) {
    const QByteArray before = storeBytes();
    QProcess process;
    // A full disk: no file of the process may grow past the store file's present size.
    process.setChildProcessModifier(
        [limit = before.size()] { testsupport::FileSizeLimit::setForGood(limit); });
    launch(process, {"add", "--list", "Groceries", "eggs"});
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(60'000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), CommandLine::notSaved);
    EXPECT_EQ(process.readAllStandardOutput(), QByteArray()) << "it was answered as done";
    EXPECT_TRUE(
        QString::fromUtf8(process.readAllStandardError())
            .contains("The change could not be saved to “" + storePath() + "”. File too large."));
    EXPECT_EQ(storeBytes(), before);

    // With room again the next request saves, and the one that failed, tried again, is made
    // once.
    const Typed added = run({"add", "--list", "Groceries", "milk"});
    EXPECT_EQ(added.code, 0) << added.err.toStdString();
    const Typed again = run({"add", "--list", "Groceries", "eggs"});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "milk", "eggs"}));
}

TEST_F(StoreTroubleProcess, ARequestTheProgramCouldNotSaveIsNotMadeAndTryingAgainMakesItOnce) {
    const QByteArray before = storeBytes();
    // The program's disk is full: none of its files may grow past the store file's present
    // size (a soft limit, which this test lifts again later).
    program = std::make_unique<QProcess>();
    program->setChildProcessModifier([limit = before.size()] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit fileSize{};
        ::getrlimit(RLIMIT_FSIZE, &fileSize);
        fileSize.rlim_cur = rlim_t(limit);
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
    });
    launch(*program, {});
    ASSERT_TRUE(program->waitForStarted());
    const QDeadlineTimer deadline(30'000);
    while (!RequestClient::programAnswers(RequestChannel::serverName(), 100)) {
        ASSERT_FALSE(deadline.hasExpired()) << "the program never listened";
        ASSERT_EQ(program->state(), QProcess::Running);
        QThread::msleep(50);
    }

    const Typed failed = run({"add", "--list", "Groceries", "butter"});
    EXPECT_EQ(failed.code, CommandLine::notSaved) << "a script would not know to try again";
    EXPECT_EQ(failed.out, QString()) << "it was answered as done";
    EXPECT_TRUE(failed.err.contains("could not be saved")) << failed.err.toStdString();
    EXPECT_EQ(storeBytes(), before);

    // Room again: the same request, tried again, is made once.
    const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
    ASSERT_EQ(::prlimit(pid_t(program->processId()), RLIMIT_FSIZE, &unlimited, nullptr), 0);
    const Typed again = run({"add", "--list", "Groceries", "butter"});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, "Added butter to Groceries.\n");
    stopProgram();
    EXPECT_EQ(itemTexts(groceries), QStringList({"Oat milk", "butter"}));
}

TEST_F(StoreTroubleProcess, AStoreFromANewerVersionIsReadButNeverChangedWithOrWithoutTheProgram) {
    QByteArray newer = storeBytes();
    ASSERT_TRUE(newer.startsWith("{\"version\":3,"));
    newer.replace(0, 13, "{\"version\":4,\"more\":[1],");
    {
        QFile file(storePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(newer);
    }
    QFile::remove(ListEntityIndex::defaultPath());
    const QString told = ListStore::newerVersionText(storePath());
    const auto changesAreRefused = [&] {
        const Typed added = run({"add", "--list", "Groceries", "eggs"});
        EXPECT_EQ(added.code, CommandLine::refused);
        EXPECT_TRUE(added.err.contains(told)) << added.err.toStdString();
        const Typed started = run({"start", "Party"});
        EXPECT_EQ(started.code, CommandLine::refused);
        const Typed read = run({"read", "--list", "Groceries"});
        EXPECT_EQ(read.code, 0) << read.err.toStdString();
        EXPECT_TRUE(read.out.contains("Oat milk")) << read.out.toStdString();
    };
    changesAreRefused();
    startProgram();
    changesAreRefused();
    stopProgram();
    EXPECT_EQ(storeBytes(), newer);
    EXPECT_FALSE(QFile::exists(ListEntityIndex::defaultPath())) << "the index was written";
}

TEST_F(StoreTroubleProcess, ALockFileLeftBehindHoldsUpNeitherARequestNorTheProgram) {
    struct Case {
        const char* what;
        QByteArray lockFile;
    };
    const Case cases[] = {
        {"empty", ""},
        {"naming a process that is gone", "2147483000\ntallybird\nsomewhere\n"},
        {"garbage", "\x7f\x45garbage"},
    };
    QStringList expected{"Oat milk"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto leave = [&] {
            QFile lock(storePath() + ".lock");
            ASSERT_TRUE(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
            lock.write(c.lockFile);
        };
        leave();
        const QString request = QStringLiteral("request, lock %1").arg(c.what);
        const Typed added = run({"add", "--list", "Groceries", request});
        EXPECT_EQ(added.code, 0) << added.err.toStdString();
        EXPECT_EQ(added.out, "Added " + request + " to Groceries.\n");
        expected.append(request);

        leave();
        startProgram();
        const QString through = QStringLiteral("program, lock %1").arg(c.what);
        EXPECT_EQ(run({"add", "--list", "Groceries", through}).code, 0);
        expected.append(through);
        stopProgram();
    }
    EXPECT_EQ(itemTexts(groceries), expected);
}

TEST_F(StoreTroubleProcess, AStoreThatCannotBeLockedIsToldAtOnce) {
    const QByteArray before = storeBytes();
    struct Case {
        const char* what;
        std::function<void()> breakIt, repair;
        QString error;
    };
    std::vector<Case> cases = {
        {"a folder stands where the lock file goes", [&] { QDir().mkpath(storePath() + ".lock"); },
         [&] { QDir(storePath() + ".lock").removeRecursively(); }, "Is a directory"},
    };
    if (::geteuid() != 0) // the superuser writes into any folder
        cases.push_back(
            {"the profile folder is read-only",
             [&] { QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner); },
             [&] {
                 QFile::setPermissions(dir.path(),
                                       QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
             },
             "Permission denied"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.breakIt();
        const QString told =
            "The store file “" + storePath() + "” cannot be locked for writing: " + c.error + ".";
        // A request gives up without waiting for a lock that nobody holds. (The window opens
        // at once and says so in its notice: tested with the window.)
        const Typed result = run({"add", "--list", "Groceries", "eggs"});
        EXPECT_EQ(result.code, CommandLine::unreachable);
        EXPECT_TRUE(result.err.contains(told)) << result.err.toStdString();
        c.repair();
        EXPECT_EQ(storeBytes(), before);
    }
}

} // namespace
