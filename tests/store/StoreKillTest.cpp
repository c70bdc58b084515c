// A program ended while its saves are queued: killed, the store file is whole and holds every
// change it answered; terminated, it writes everything before it goes.
#include "StoreTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <random>

#include <sys/types.h>

namespace {

struct PeerRun {
    int answered = 0; // the last change the program said was on disk
    int made = 0;     // the last change it began to make
};

class StoreKillTest : public StoreTest {
protected:
    // Starts the program and waits until its first change is on disk.
    void start(QProcess& peer) {
        peer.start(QStringLiteral(STORE_PEER_PATH), {path()});
        ASSERT_TRUE(peer.waitForStarted());
        while (!output.contains("answered ")) {
            ASSERT_TRUE(peer.waitForReadyRead(10'000)) << peer.readAllStandardError().toStdString();
            output += peer.readAllStandardOutput();
        }
    }

    PeerRun finish(QProcess& peer) {
        EXPECT_TRUE(peer.waitForFinished(30'000));
        output += peer.readAllStandardOutput();
        PeerRun run;
        for (const QByteArray& line : output.split('\n')) {
            if (line.startsWith("answered "))
                run.answered = std::max(run.answered, line.mid(9).toInt());
            else if (line.startsWith("making "))
                run.made = std::max(run.made, line.mid(7).toInt());
        }
        output.clear();
        return run;
    }

    // The items on disk, which must be "1", "2", ... without a gap: each write is one whole
    // state of the program. Fails the test when the file does not read as the current layout.
    int itemsOnDisk() {
        DiskV2 disk;
        try {
            disk = DiskV2::decode(fileBytes(), Date(0));
        } catch (const DecodeError& error) {
            ADD_FAILURE() << "the store file is not whole: " << error.what();
            return -1;
        }
        for (qsizetype i = 0; i < disk.items.size(); ++i) {
            if (disk.items[i].text != QString::number(i + 1)) {
                ADD_FAILURE() << "item " << i << " is " << disk.items[i].text.toStdString();
                return -1;
            }
        }
        return int(disk.items.size());
    }

    QByteArray output;
};

TEST_F(StoreKillTest, KilledWhileSavesQueueTheFileIsWholeAndHoldsEveryAnsweredChange) {
    std::mt19937 random(20240611); // the same waits on every run
    std::uniform_int_distribution<int> wait(0, 120);
    int queuedAtKill = 0;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        QFile::remove(path());
        QProcess peer;
        start(peer);
        QThread::msleep(ulong(wait(random)));
        ::kill(pid_t(peer.processId()), SIGKILL);
        const PeerRun run = finish(peer);
        EXPECT_EQ(peer.exitStatus(), QProcess::CrashExit);

        const int onDisk = itemsOnDisk();
        EXPECT_GE(onDisk, run.answered) << "an answered change is missing";
        EXPECT_LE(onDisk, run.made);
        queuedAtKill += run.made - run.answered;
    }
    EXPECT_GT(queuedAtKill, 0) << "no save was ever queued when the program died";

    // The next writer clears away what a write cut short by the kill left beside the file.
    auto store = open();
    EXPECT_TRUE(store->canWrite()) << "the killed program's lock still keeps others out";
    EXPECT_EQ(QDir(dir.path()).entryList({".store.json.*"}, QDir::Files | QDir::Hidden),
              QStringList());
}

TEST_F(StoreKillTest, TerminatedWhileSavesQueueEveryChangeIsWrittenBeforeItEnds) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        QFile::remove(path());
        QProcess peer;
        start(peer);
        QThread::msleep(ulong(10 * round));
        peer.terminate();
        const PeerRun run = finish(peer);
        EXPECT_EQ(peer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(peer.exitCode(), 0);
        EXPECT_EQ(itemsOnDisk(), run.made);
    }
}

} // namespace
