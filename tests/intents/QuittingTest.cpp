// Ending the real program while requests arrive, and replying while the cloud container is held
// by someone else: every change made is answered, none is made twice, and the program neither
// lingers nor leaves its lock and sockets behind.
#include "ProcessTestSupport.h"

#include "support/RequestBurst.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

#include <sqlite3.h>

#include <csignal>
#include <vector>

namespace {

class Quitting : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        groceries = Seed(openStore()).list("Groceries");
    }

    QStringList storeTexts() {
        QStringList texts;
        for (const TBItem& item : readStore()->items(groceries))
            texts.append(item.text);
        return texts;
    }

    // What the program left in the runtime folder and beside the store.
    QStringList leftBehind() const {
        QStringList left = QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).entryList(QDir::System);
        if (QFile::exists(storePath() + QStringLiteral(".lock")))
            left.append(QStringLiteral("store lock"));
        return left;
    }

    // Sends SIGTERM and waits for the program; returns how long it lived on after both the
    // signal and its last write of the store file.
    qint64 terminateAndTimeTheEnd() {
        const QDateTime signalled = QDateTime::currentDateTimeUtc();
        program->terminate();
        EXPECT_TRUE(program->waitForFinished(30'000));
        const QDateTime ended = QDateTime::currentDateTimeUtc();
        EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program->exitCode(), 0);
        const QDateTime saved = QFileInfo(storePath()).lastModified().toUTC();
        return std::max(signalled, saved).msecsTo(ended);
    }

    // Bounds the program's life after its last save: far below the second and more it used to
    // take, with room for a loaded machine.
    static constexpr qint64 lingerBoundMs = 600;

    QString groceries;
};

TEST_F(Quitting, SigtermDuringABurstAnswersEveryChangeMadeAndLeavesNothingBehind) {
    startProgram();
    testsupport::RequestBurst burst(RequestChannel::serverName(), groceries, "Groceries", 200);
    // Senders that find the program gone make their change themselves, after it has gone.
    std::vector<std::unique_ptr<QProcess>> typed;
    for (int k = 0; k < 6; ++k) {
        typed.push_back(std::make_unique<QProcess>());
        launch(*typed.back(), {"add", "--list", "Groceries", QStringLiteral("typed %1").arg(k)});
    }
    ASSERT_TRUE(burst.waitUntilOneTaken(20'000));
    const qint64 lingered = terminateAndTimeTheEnd();
    burst.collect(10'000);

    const QStringList texts = storeTexts();
    EXPECT_EQ(burst.broken(texts), QStringList());
    EXPECT_GT(burst.taken(), 0);
    for (const QString& note : burst.notes())
        EXPECT_TRUE(note.isEmpty() ||
                    note == IntentFrame::notSyncedNote(IntentFrame::quitBeforeSyncReason()))
            << note.toStdString();
    for (int k = 0; k < int(typed.size()); ++k) {
        QProcess& process = *typed[size_t(k)];
        ASSERT_TRUE(process.waitForFinished(60'000));
        const QString text = QStringLiteral("typed %1").arg(k);
        EXPECT_EQ(process.readAllStandardOutput(), "Added " + text + " to Groceries.\n");
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(storeTexts().count(text), 1) << text.toStdString();
    }
    EXPECT_EQ(leftBehind(), QStringList());
    EXPECT_LT(lingered, lingerBoundMs);
    std::printf("[ figures  ] %d of %d taken before SIGTERM; ended %lld ms after the last save\n",
                burst.taken(), burst.count(), static_cast<long long>(lingered));
}

TEST_F(Quitting, SigtermRightAfterTheSocketsListenStillEndsCleanly) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        program = std::make_unique<QProcess>();
        launch(*program, {});
        ASSERT_TRUE(program->waitForStarted());
        // The first socket file appears as the program starts to listen.
        const QDeadlineTimer deadline(30'000);
        while (QDir(runtime).entryList(QDir::System).isEmpty()) {
            ASSERT_FALSE(deadline.hasExpired()) << "the program never listened";
            ASSERT_EQ(program->state(), QProcess::Running);
            QThread::usleep(200);
        }
        ::kill(pid_t(program->processId()), SIGTERM);
        ASSERT_TRUE(program->waitForFinished(30'000));
        EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program->exitCode(), 0);
        EXPECT_EQ(leftBehind(), QStringList());
    }
}

// Another process in the middle of a write to the cloud container.
class ContainerHeld {
public:
    explicit ContainerHeld(const QString& path) {
        sqlite3_open(path.toUtf8().constData(), &db_);
        // The program may be in the middle of a pass of its own (its first, at launch).
        sqlite3_busy_timeout(db_, 20'000);
        held_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~ContainerHeld() { sqlite3_close(db_); }
    bool held() const { return held_; }
    void release() { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }

private:
    sqlite3* db_ = nullptr;
    bool held_ = false;
};

TEST_F(Quitting, ABusyContainerDelaysTheSyncButNeitherTheRepliesNorTheEnd) {
    startProgram();
    // The program has written to the container already; a second device knows the list.
    ASSERT_EQ(run({"add", "--list", "Groceries", "first"}).code, 0);
    const QString second = dir.filePath(QStringLiteral("second"));
    ASSERT_EQ(run({"read", "--list", "Groceries"}, second).out,
              QStringLiteral("One thing left on Groceries: first.\n"));

    ContainerHeld container(cloudFile());
    ASSERT_TRUE(container.held());
    for (const QString text : {"eggs", "milk", "bread"}) {
        QElapsedTimer took;
        took.start();
        const Typed added = run({"add", "--list", "Groceries", text});
        EXPECT_EQ(added.out, "Added " + text + " to Groceries.\n");
        // The reply waits for the sync at most two seconds after the change is saved: it says
        // the cloud did not answer in time, not that the container was busy, which it would
        // once SQLite gave up on the lock (after ten seconds) or after the container is let
        // go. The time is bounded only loosely: the reply also waits for the change to reach
        // the disk, and on a busy machine that flush, and starting the request's process, can
        // take seconds.
        EXPECT_EQ(added.err, IntentFrame::notSyncedNote(IntentFrame::syncTooSlowReason()) + "\n");
        EXPECT_LT(took.elapsed(), 30'000) << text.toStdString();
        std::printf("[ figures  ] %s answered after %lld ms with the container held\n",
                    text.toUtf8().constData(), static_cast<long long>(took.elapsed()));
    }
    container.release();
    // Once the container is free, the changes reach it without another request.
    const QDeadlineTimer deadline(20'000);
    QString read;
    do {
        QThread::msleep(300);
        read = run({"read", "--list", "Groceries", "--yes"}, second).out;
    } while (!read.endsWith("first, eggs, milk and bread.\n") && !deadline.hasExpired());
    EXPECT_TRUE(read.endsWith("first, eggs, milk and bread.\n")) << read.toStdString();
    EXPECT_LT(terminateAndTimeTheEnd(), lingerBoundMs);
}

TEST_F(Quitting, WithoutAProgramABusyContainerHoldsARequestOnlyForItsTwoBoundedWaits) {
    ASSERT_EQ(run({"add", "--list", "Groceries", "first"}).code, 0);
    ContainerHeld container(cloudFile());
    ASSERT_TRUE(container.held());
    QElapsedTimer took;
    took.start();
    const Typed added = run({"add", "--list", "Groceries", "eggs"});
    EXPECT_EQ(added.out, "Added eggs to Groceries.\n");
    EXPECT_TRUE(added.err.contains(IntentFrame::notSyncedNote(QString())))
        << added.err.toStdString();
    // Catching up and the sync attempt each wait two seconds at most.
    EXPECT_LT(took.elapsed(), 6'000);
    std::printf("[ figures  ] answered after %lld ms without a program, the container held\n",
                static_cast<long long>(took.elapsed()));
}

TEST_F(Quitting, QuittingDuringASyncStuckOnTheContainerEndsAtOnce) {
    startProgram();
    ContainerHeld container(cloudFile());
    ASSERT_TRUE(container.held());
    // A pass stuck behind the other process when the signal comes.
    EXPECT_EQ(run({"add", "--list", "Groceries", "eggs"}).out, "Added eggs to Groceries.\n");
    const qint64 lingered = terminateAndTimeTheEnd();
    EXPECT_LT(lingered, lingerBoundMs);
    EXPECT_EQ(storeTexts(), QStringList{"eggs"});
    EXPECT_EQ(leftBehind(), QStringList());
    std::printf("[ figures  ] ended %lld ms after SIGTERM during a stuck sync\n",
                static_cast<long long>(lingered));
}

} // namespace
