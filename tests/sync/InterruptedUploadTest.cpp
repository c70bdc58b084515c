// A device whose store file was not written after the container confirmed its batches (the
// program killed, or the disk refusing the write): what the sending journal beside the file
// holds is taken in at the next start, so that what the container confirmed is not sent again.
// And the whole store is written once a pass, however many batches the pass sends.
#include "SyncTestSupport.h"

#include "store/CloudLayout.h"
#include "store/RecordField.h"
#include "store/SendingJournal.h"
#include "store/StoreFileSink.h"

#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <atomic>
#include <map>

namespace synctest {
namespace {

using namespace cloud;

// Counts the store file's whole writes, and refuses them when asked.
class CountingSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        ++writes;
        if (refuse) {
            *error = QStringLiteral("The disk refused the write.");
            return false;
        }
        return StoreFileSink::unsynced()->replace(path, content, error);
    }
    std::atomic<int> writes = 0;
    std::atomic<bool> refuse = false;
};

class InterruptedUploadTest : public SyncTest {
protected:
    // Items that never synced: with their list, five batches.
    QString fill(Device& mac) {
        const QString listID = mac.store().addList("Groceries").id;
        mac.store().batch([&] {
            for (int i = 0; i < items; ++i)
                mac.store().addItem(listID, QStringLiteral("Item %1").arg(i));
        });
        mac.store().flushSaves();
        return listID;
    }
    // The upload of the items, as a program killed before it wrote its store file leaves it:
    // the store file takes no write, and what the container confirmed is only in the sending
    // journal, whose path this gives.
    QString uploadWithoutStoreWrites(Device& mac) {
        const auto sink = std::make_shared<CountingSink>();
        sink->refuse = true;
        mac.store().setFileSink(sink);
        EXPECT_FALSE(mac.syncNow());
        return SendingJournal::pathBeside(mac.store().fileURL());
    }
    // The container's change tag of each record of the list's zone.
    std::map<QString, QString> tags(const QString& listID) {
        std::map<QString, QString> out;
        const auto changes =
            container->fetchZoneChanges("phone", DatabaseScope::privateScope,
                                        ZoneID{CloudLayout::listZoneName(listID)}, std::nullopt);
        EXPECT_TRUE(changes.ok());
        if (changes.ok()) {
            for (const Record& record : changes.value().modifications)
                out[record.recordID().recordName] = record.changeTag().value_or(QString());
        }
        return out;
    }

    static constexpr int items = 1'999;
    static constexpr int batch = 400;
};

TEST_F(InterruptedUploadTest, WhatTheContainerConfirmedIsTakenInFromTheJournalAtTheNextStart) {
    const struct {
        const char* what;
        bool cutLastAppend; // the kill cut the journal's last append short
        int waiting;        // items still to send once the journal is taken in
    } cases[] = {
        {"every answer appended", false, 0},
        // The last batch's answer is lost with it: its notes, appended before it went, tell
        // that it reached the container.
        {"the last append cut short", true, batch},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        container = Container::inMemory();
        auto phone = device("phone");
        auto mac = device("mac");
        const QString listID = fill(*mac);
        const QString journal = uploadWithoutStoreWrites(*mac);
        ASSERT_TRUE(QFile::exists(journal));
        if (row.cutLastAppend) {
            QFile file(journal);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.resize(file.size() - 20));
        }
        const std::map<QString, QString> sent = tags(listID);
        ASSERT_EQ(int(sent.size()), items + 1);

        mac->restart();
        EXPECT_EQ(mac->store().dirtyItems().size(), row.waiting);
        EXPECT_EQ(mac->pending().size(), row.waiting);
        ASSERT_FALSE(mac->syncNow());
        EXPECT_TRUE(mac->store().dirtyItems().isEmpty());
        // It goes once the store file holds it all, on the journal's own thread.
        for (int wait = 0; QFile::exists(journal) && wait < 60'000; ++wait)
            QThread::msleep(1);
        EXPECT_FALSE(QFile::exists(journal));
        // Nothing confirmed before the restart went again, and every item is there once.
        const std::map<QString, QString> now = tags(listID);
        int sentAgain = 0;
        for (const auto& [name, tag] : sent)
            sentAgain += now.at(name) != tag ? 1 : 0;
        EXPECT_EQ(sentAgain, 0);
        EXPECT_EQ(int(now.size()), items + 1);
        ASSERT_FALSE(phone->syncNow());
        EXPECT_EQ(contents(phone->store()), contents(mac->store()));
    }
}

// A window killed after the container confirmed a batch, its store file last written with an
// edit made while the batch was on its way: the journal's confirmation is of the record the
// batch sent, not of the edit, which stays marked and goes with the next pass.
TEST_F(InterruptedUploadTest, WhatTheJournalConfirmedNeverMarksALaterChangeAsSent) {
    auto phone = device("phone");
    auto mac = device("mac");
    const QString listID = fill(*mac);
    const QString ticked = mac->store().items(listID).first().id;
    const QString journal = uploadWithoutStoreWrites(*mac);
    ASSERT_TRUE(QFile::exists(journal));

    mac->restart([&](const QString& storeFile) {
        // The file as the edit's write left it: the edit, and nothing of the batch's answer.
        ListStore written(storeFile, true, false, mac->defaults, mac->clock);
        written.setDone(ticked, true);
        written.flushSaves();
        ASSERT_TRUE(written.lastSaveSucceeded());
    });
    EXPECT_TRUE(
        mac->store().dirtyItems().value(ticked).contains(RecordFields::name(ItemField::done)))
        << "the tick was marked as sent";
    // Sent without the copy it was built on, it meets the container's copy as a conflict, and
    // goes again merged with it.
    for (int pass = 0; pass < 3 && !mac->store().dirtyItems().isEmpty(); ++pass)
        ASSERT_FALSE(mac->syncNow());
    EXPECT_TRUE(mac->store().dirtyItems().isEmpty());
    ASSERT_FALSE(phone->syncNow());
    const TBItem* onPhone = item(phone->store(), ticked);
    ASSERT_NE(onPhone, nullptr);
    EXPECT_TRUE(onPhone->done);
    EXPECT_EQ(contents(phone->store()), contents(mac->store()));
}

// A journal an older program wrote names its notes without a digest of what was sent: it cannot
// tell whether the store still makes it, so nothing is taken as sent, and the next passes meet
// the container's copies and keep them.
TEST_F(InterruptedUploadTest, AJournalWithoutDigestsTakesNothingAsSentAndLosesNothing) {
    auto phone = device("phone");
    auto mac = device("mac");
    fill(*mac);
    const QString journal = uploadWithoutStoreWrites(*mac);

    mac->restart([&](const QString&) {
        QFile file(journal);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        // Each ["I#id",null,"digest"] of the notes as ["I#id",null].
        QString text = QString::fromUtf8(file.readAll());
        const qsizetype before = text.size();
        text.remove(QRegularExpression(R"(,"[0-9a-f]{16}"(?=\]))"));
        ASSERT_LT(text.size(), before);
        ASSERT_TRUE(file.resize(0));
        ASSERT_TRUE(file.write(text.toUtf8()) > 0);
    });
    EXPECT_EQ(mac->store().dirtyItems().size(), items);
    for (int pass = 0; pass < 3 && !mac->store().dirtyItems().isEmpty(); ++pass)
        ASSERT_FALSE(mac->syncNow());
    EXPECT_TRUE(mac->store().dirtyItems().isEmpty());
    ASSERT_FALSE(phone->syncNow());
    EXPECT_EQ(contents(phone->store()), contents(mac->store()));
}

TEST_F(InterruptedUploadTest, TheWholeStoreIsWrittenOnceAPassNotOnceABatch) {
    auto mac = device("mac");
    const QString listID = fill(*mac);
    const auto sink = std::make_shared<CountingSink>();
    mac->store().setFileSink(sink);
    ASSERT_FALSE(mac->syncNow());
    mac->store().flushSaves();
    EXPECT_EQ(sink->writes, 1) << "a first upload of five batches";

    // A change: its own write, and its pass's.
    sink->writes = 0;
    mac->store().setDone(mac->store().items(listID).first().id, true);
    mac->store().flushSaves();
    ASSERT_FALSE(mac->syncNow());
    mac->store().flushSaves();
    EXPECT_EQ(sink->writes, 2) << "a change and its pass";
    EXPECT_TRUE(mac->store().dirtyItems().isEmpty());
}

} // namespace
} // namespace synctest
