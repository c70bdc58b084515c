// Saving on the writer thread: the calling thread goes on at once, queued states collapse to the
// newest, waiters hear of the save that holds their change, and failed writes leave the file as
// it was.
#include "StoreTestSupport.h"

#include "store/StoreFileSink.h"
#include "store/UnreadableCopies.h"
#include "support/TestApplication.h"

#include <QBuffer>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Holds every write until the test opens the gate, and records what it was given.
class GatedSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        content(buffer);
        {
            std::unique_lock lock(mutex_);
            ++arrived_;
            changed_.notify_all();
            changed_.wait(lock, [this] { return open_; });
            written_.append(buffer.data());
        }
        return StoreFileSink::unsynced()->replace(
            path, [&](QIODevice& device) { return device.write(buffer.data()) == buffer.size(); },
            error);
    }
    void waitForArrivals(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return arrived_ >= count; });
    }
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    QList<QByteArray> written() {
        const std::lock_guard lock(mutex_);
        return written_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int arrived_ = 0;
    bool open_ = false;
    QList<QByteArray> written_;
};

// A device that takes `room` bytes and refuses the rest, as a full disk does.
class FullDevice final : public QIODevice {
public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        if (size > room_) {
            setErrorString("No space left on device");
            return -1;
        }
        room_ -= size;
        return size;
    }

private:
    qint64 room_;
};

// Replaces the file as the program does until told to fail as a full disk or a refused rename
// fails: the new document is begun, in part or whole, and never replaces the store file.
class FailingSink final : public StoreFileSink {
public:
    enum class Fault { none, diskFull, renameRefused };

    bool replace(const QString& path, const Content& content, QString* error) override {
        switch (fault.load()) {
        case Fault::none:
            return StoreFileSink::unsynced()->replace(path, content, error);
        case Fault::diskFull: {
            FullDevice device(100);
            EXPECT_FALSE(content(device)) << "the encoder ignored a refused write";
            *error = device.errorString();
            return false;
        }
        case Fault::renameRefused: {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            EXPECT_TRUE(content(buffer));
            *error = "Permission denied";
            return false;
        }
        }
        return false;
    }

    std::atomic<Fault> fault = Fault::none;
};

// Writes as the program does, and holds the letting go of each replaced file until the test
// opens the gate.
class ReleaseGatedSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        return StoreFileSink::unsynced()->replace(path, content, error);
    }
    void releaseReplaced() override {
        std::unique_lock lock(mutex_);
        ++releasing_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        ++released_;
    }
    void waitForRelease() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return releasing_ > 0; });
    }
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    int released() {
        const std::lock_guard lock(mutex_);
        return released_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int releasing_ = 0;
    int released_ = 0;
    bool open_ = false;
};

class StoreWriterTest : public StoreTest {
protected:
    // Waiters are answered from the event loop.
    void SetUp() override { testsupport::ensureApplication(); }

    QStringList itemTextsOnDisk() {
        flushStores();
        ListStore reader(path(), false, false, defaults, clock, ListStore::Access::readOnly);
        QStringList texts;
        for (const TBItem& item : reader.allItems())
            texts.append(item.text);
        return texts;
    }
};

TEST_F(StoreWriterTest, QueuedStatesCollapseToTheNewestAndEachChangeIsVisibleAtOnce) {
    auto store = open(false);
    const QString list = store->addList("L").id;
    store->flushSaves();
    auto gate = std::make_shared<GatedSink>();
    store->setFileSink(gate);

    store->addItem(list, "a");
    gate->waitForArrivals(1); // the first save is being written and held
    for (const char* text : {"b", "c", "d"})
        store->addItem(list, text);
    EXPECT_EQ(store->allItems().size(), 4) << "the state changes at once";
    gate->open();
    store->flushSaves();

    const QList<QByteArray> written = gate->written();
    ASSERT_EQ(written.size(), 2) << "the states waiting behind the first collapse to one";
    EXPECT_EQ(DiskV2::decode(written[0], Date(0)).items.size(), 1);
    EXPECT_EQ(written[1], fileBytes());
    EXPECT_EQ(itemTextsOnDisk(), QStringList({"a", "b", "c", "d"}));
}

TEST_F(StoreWriterTest, WaitersHearOfTheSaveThatHoldsTheirChange) {
    auto store = open(false);
    const QString list = store->addList("L").id;
    store->flushSaves();
    auto gate = std::make_shared<GatedSink>();
    store->setFileSink(gate);

    QStringList heard;
    store->whenSaved([&](bool saved) { heard.append(saved ? "idle" : "idle failed"); });
    EXPECT_EQ(heard, QStringList{"idle"}) << "nothing waiting: answered at once";

    store->addItem(list, "a");
    store->whenSaved([&](bool saved) { heard.append(saved ? "a" : "a failed"); });
    store->batch([&] {
        store->addItem(list, "b");
        store->whenSaved([&](bool saved) { heard.append(saved ? "b" : "b failed"); });
    });
    EXPECT_EQ(heard.size(), 1) << "answered before the disk had it";

    // The answers come on this thread, from its event loop.
    gate->open();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (heard.size() == 3)
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit); // only a guard
    loop.exec();
    EXPECT_EQ(heard, QStringList({"idle", "a", "b"}));
    EXPECT_EQ(itemTextsOnDisk(), QStringList({"a", "b"}));
}

TEST_F(StoreWriterTest, FailedWritesLeaveTheFileAsItWasAndTheNextSaveWritesEverything) {
    struct Case {
        const char* what;
        FailingSink::Fault fault; // none: the real sink, with a folder in the file's place
    };
    const Case cases[] = {
        {"disk full", FailingSink::Fault::diskFull},
        {"rename refused", FailingSink::Fault::renameRefused},
        {"a folder where the file goes", FailingSink::Fault::none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path());
        auto store = open(false);
        auto sink = std::make_shared<FailingSink>();
        store->setFileSink(sink);
        const QString list = store->addList("L").id;
        store->addItem(list, "kept");
        const QByteArray before = fileBytes();

        if (c.fault == FailingSink::Fault::none) {
            store->setFileSink(StoreFileSink::durable());
            QFile::remove(path());
            QDir().mkdir(path());
        }
        sink->fault = c.fault;
        store->addItem(list, "lost for now");
        std::optional<bool> heard;
        store->whenSaved([&](bool saved) { heard = saved; });
        store->flushSaves();
        EXPECT_EQ(heard, false);
        EXPECT_FALSE(store->lastSaveSucceeded());
        EXPECT_EQ(store->allItems().size(), 2) << "the state stays in memory";
        if (c.fault == FailingSink::Fault::none) {
            QDir().rmdir(path());
            EXPECT_FALSE(QFile::exists(path()));
        } else {
            EXPECT_EQ(fileBytes(), before);
        }

        sink->fault = FailingSink::Fault::none;
        store->addItem(list, "and more");
        store->flushSaves();
        EXPECT_TRUE(store->lastSaveSucceeded());
        EXPECT_EQ(itemTextsOnDisk(), QStringList({"kept", "lost for now", "and more"}));
    }
}

TEST_F(StoreWriterTest, AStoreThatGoesWritesWhatIsStillQueued) {
    {
        auto store = open(false);
        const QString list = store->addList("L").id;
        for (int i = 0; i < 200; ++i)
            store->addItem(list, QString::number(i));
    }
    const QStringList texts = itemTextsOnDisk();
    ASSERT_EQ(texts.size(), 200);
    EXPECT_EQ(texts.last(), "199");
}

TEST_F(StoreWriterTest, AnUnreadableFileIsCopiedAsideByTheWriterOnce) {
    writeFile("not json");
    auto store = open(false);
    auto sink = std::make_shared<FailingSink>();
    store->setFileSink(sink);
    sink->fault = FailingSink::Fault::renameRefused;
    store->addList("A");
    store->flushSaves();
    EXPECT_EQ(UnreadableCopies::copies(path()).size(), 1) << "copied before the first write";
    EXPECT_EQ(fileBytes(), "not json");
    sink->fault = FailingSink::Fault::none;
    store->addList("B");
    store->addList("C");
    store->flushSaves();
    EXPECT_EQ(UnreadableCopies::copies(path()).size(), 1);
    EXPECT_EQ(open(false, ListStore::Access::readOnly)->lists().size(), 3);
}

TEST_F(StoreWriterTest, AWaiterIsAnsweredBeforeTheReplacedFileIsLetGo) {
    auto store = open(false);
    const QString list = store->addList("L").id;
    store->flushSaves();
    auto sink = std::make_shared<ReleaseGatedSink>();
    store->setFileSink(sink);

    store->addItem(list, "a");
    bool saved = false;
    QEventLoop loop;
    store->whenSaved([&](bool ok) {
        saved = ok;
        loop.quit();
    });
    sink->waitForRelease();
    QTimer::singleShot(5'000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(saved) << "the answer waited for the old file to be let go";
    EXPECT_EQ(sink->released(), 0);

    // Waiting for the writer to be idle includes the letting go.
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        sink->open();
    });
    store->flushSaves();
    EXPECT_EQ(sink->released(), 1);
    opener.join();
    EXPECT_EQ(itemTextsOnDisk(), QStringList({"a"}));
}

} // namespace
