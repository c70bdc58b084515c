// A program whose store file cannot grow (a full disk, here a file-size limit on its process):
// every failed save leaves the old file whole, is told, and no change is answered as saved
// unless it is on disk.
#include "StoreTestSupport.h"
#include "support/FileSizeLimit.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>

namespace {

class StoreFullDiskTest : public StoreTest {
protected:
    static constexpr int beforeItems = 20;

    // A store file that already holds a list, as a user's would.
    void seed() {
        auto store = open();
        const QString listID = store->addList("Before").id;
        for (int i = 1; i <= beforeItems; ++i)
            store->addItem(listID, QStringLiteral("before %1").arg(i));
        store->flushSaves();
    }

    // What the program said, up to the point where `enough` holds; then it is ended.
    QByteArray runPeer(long long limit, const std::function<bool(const QByteArray&)>& enough) {
        QProcess peer;
        peer.setChildProcessModifier([limit] { testsupport::FileSizeLimit::setForGood(limit); });
        peer.start(QStringLiteral(STORE_PEER_PATH), {path()});
        EXPECT_TRUE(peer.waitForStarted());
        QByteArray output;
        const QDeadlineTimer guard(30'000);
        while (!enough(output) && !guard.hasExpired() && peer.state() == QProcess::Running) {
            peer.waitForReadyRead(1'000);
            output += peer.readAllStandardOutput();
        }
        EXPECT_TRUE(enough(output)) << peer.readAllStandardError().toStdString();
        peer.terminate();
        EXPECT_TRUE(peer.waitForFinished(30'000));
        return output + peer.readAllStandardOutput();
    }
};

int lastNumber(const QByteArray& output, const QByteArray& word) {
    int last = 0;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith(word + ' '))
            last = std::max(last, line.mid(word.size() + 1).toInt());
    }
    return last;
}

TEST_F(StoreFullDiskTest, AFailedSaveLeavesTheOldFileAndEveryAnsweredChange) {
    seed();
    const QByteArray before = fileBytes();
    const long long size = before.size();
    struct Case {
        const char* what;
        long long limit;
        bool refuses; // the run reaches the limit
    };
    const Case cases[] = {
        {"below the old file's size", size / 2, true},
        {"inside the first new file", size + 1, true},
        {"after a few saves", size + 1'500, true},
        {"above every save of the run", 64LL << 20, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(before);
        const QByteArray output = runPeer(c.limit, [&](const QByteArray& said) {
            return c.refuses ? said.contains("refused ") : lastNumber(said, "answered") >= 20;
        });
        const int answered = lastNumber(output, "answered");
        if (c.refuses) {
            EXPECT_TRUE(output.contains("saveFailed Your lists could not be saved to “" +
                                        path().toUtf8() + "”. File too large."))
                << output.toStdString();
        } else {
            EXPECT_FALSE(output.contains("refused ")) << output.toStdString();
        }
        if (c.limit < size) {
            EXPECT_EQ(answered, 0);
        }

        DiskV2 disk;
        try {
            disk = DiskV2::decode(fileBytes(), Date(0));
        } catch (const DecodeError& error) {
            FAIL() << "the store file is not whole: " << error.what();
        }
        QStringList before, edits;
        for (const TBItem& item : disk.items) {
            (item.text.startsWith("before ") ? before : edits).append(item.text);
        }
        EXPECT_EQ(before.size(), beforeItems);
        ASSERT_GE(edits.size(), answered) << "an answered change is missing";
        for (int i = 0; i < edits.size(); ++i)
            EXPECT_EQ(edits[i], QString::number(i + 1));
        // Nothing half-written is left beside the file.
        const QStringList names =
            QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name : names)
            EXPECT_TRUE(name == "store.json" || name == "store.json.lock") << name.toStdString();
    }
}

} // namespace
