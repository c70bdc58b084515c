// When a sync pass's caller hears that it ended: once what the pass took in is on disk, or as
// soon as the pass ended, with that write still under way (the window's requests, whose own
// change was on disk before their pass began).
#include "SyncTestSupport.h"

#include "store/StoreFileSink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <condition_variable>
#include <mutex>

namespace synctest {
namespace {

class PassAnswerTest : public SyncTest {};

// Writes as the program does, and holds every write that comes once hold() was called, until
// the test opens it.
class HeldFromNowSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        {
            std::unique_lock lock(mutex_);
            if (holding_) {
                ++arrived_;
                changed_.wait(lock, [this] { return !holding_; });
            }
        }
        return StoreFileSink::unsynced()->replace(path, content, error);
    }
    void hold() {
        const std::lock_guard lock(mutex_);
        holding_ = true;
    }
    // How many writes have been held so far.
    int arrived() {
        const std::lock_guard lock(mutex_);
        return arrived_;
    }
    void open() {
        const std::lock_guard lock(mutex_);
        holding_ = false;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int arrived_ = 0;
    bool holding_ = false;
};

TEST_F(PassAnswerTest, ACallerHearsOfThePassOnceItsWriteIsOnDiskOrAtItsEndAsAsked) {
    struct Case {
        const char* what;
        CloudSync::Answer answer;
        bool heardWhileWriteHeld;
    };
    const Case cases[] = {
        {"once saved", CloudSync::Answer::onceSaved, false},
        {"once ended", CloudSync::Answer::onceEnded, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto mac = device(QString("mac-") + c.what);
        const QString list = mac->store().addList("Groceries").id;
        ASSERT_FALSE(mac->syncNow());
        const QString milk = mac->store().addItem(list, "Milk")->id;
        mac->store().flushSaves();

        // The pass sends the item; what it takes in (the item's mark cleared, its server copy)
        // is written as the container confirms it, and what the fetch took in at the pass's
        // end: that last write is held.
        auto sink = std::make_shared<HeldFromNowSink>();
        mac->store().setFileSink(sink);
        std::optional<std::optional<cloud::CloudError>> heard;
        QEventLoop loop;
        mac->sync().syncNow(
            [&](std::optional<cloud::CloudError> error) {
                heard = error;
                loop.quit();
            },
            [&] {
                mac->store().flushSaves();
                sink->hold();
            },
            c.answer);
        // Until the pass's write is held: the pass has ended by then, and asked for it.
        QElapsedTimer waited;
        waited.start();
        while (sink->arrived() == 0 && waited.elapsed() < 30'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_EQ(sink->arrived(), 1) << "the pass asked for no write";
        QCoreApplication::processEvents();
        EXPECT_EQ(heard.has_value(), c.heardWhileWriteHeld);
        EXPECT_TRUE(mac->store().dirtyItems().isEmpty()) << "the pass took in its answer";

        sink->open();
        if (!heard) {
            QTimer::singleShot(30'000, &loop, &QEventLoop::quit); // only a guard
            loop.exec();
        }
        ASSERT_TRUE(heard.has_value());
        EXPECT_FALSE(*heard);
        mac->store().flushSaves();
        const ListStore onDisk(mac->store().fileURL(), true, false, mac->defaults, mac->clock,
                               ListStore::Access::readOnly);
        EXPECT_FALSE(onDisk.dirtyItems().contains(milk)) << "the pass's write landed";
    }
}

} // namespace
} // namespace synctest
