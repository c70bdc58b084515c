// When a sync pass's caller hears that it ended: once what the pass took in is on disk, or as
// soon as the pass ended, with that write still under way (the window's requests, whose own
// change was on disk before their pass began).
#include "SyncTestSupport.h"

#include "support/HeldSink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace synctest {
namespace {

class PassAnswerTest : public SyncTest {};

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
        // is written at its end, and that write is held.
        auto sink = std::make_shared<HeldSink>();
        mac->store().setFileSink(sink);
        std::optional<std::optional<cloud::CloudError>> heard;
        QEventLoop loop;
        mac->sync().syncNow(
            [&](std::optional<cloud::CloudError> error) {
                heard = error;
                loop.quit();
            },
            {}, c.answer);
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
