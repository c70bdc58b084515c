// What the store leaves to its writer thread, and how that thread runs: it never takes the core
// of the thread that hands it a save, it encodes the items read at load itself, and the
// display order of a list's items is kept only for the lists asked for.
#include "StoreTestSupport.h"

#include "store/StoreWriter.h"
#include "support/HeldSink.h"

#include <QDir>

#include <sched.h>

namespace {

// The scheduling policy of each of this process's threads named `name`.
QList<int> policiesOfThreadsNamed(const QString& name) {
    QList<int> policies;
    const QDir tasks("/proc/self/task");
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + "/comm"));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != name.toUtf8())
            continue;
        policies.append(::sched_getscheduler(task.toInt()));
    }
    return policies;
}

// A store file of `count` items in one list, written without a store.
QByteArray fileOfItems(int count) {
    DiskV2 disk;
    TBList list;
    list.id = "L";
    list.name = "Many";
    disk.lists.append(list);
    for (int i = 0; i < count; ++i) {
        TBItem item;
        item.id = QString("I%1").arg(i);
        item.listID = "L";
        item.text = QString("Item %1").arg(i);
        item.order = i;
        disk.items.append(item);
    }
    return disk.encode();
}

class StoreWriterThreadTest : public StoreTest {};

TEST_F(StoreWriterThreadTest, TheWriterWaitsAtBatchPriorityAndWritesAsAnOrdinaryThread) {
    const QString writer = StoreWriter::threadName();
    auto store = open(false);
    const QString list = store->addList("L").id;
    store->flushSaves();
    EXPECT_EQ(policiesOfThreadsNamed(writer), QList<int>{SCHED_BATCH}) << "waiting";

    auto sink = std::make_shared<HeldSink>();
    store->setFileSink(sink);
    store->addItem(list, "a");
    sink->waitForWrite();
    EXPECT_EQ(policiesOfThreadsNamed(writer), QList<int>{SCHED_OTHER}) << "writing";
    sink->open();
    store->flushSaves();
    EXPECT_EQ(policiesOfThreadsNamed(writer), QList<int>{SCHED_BATCH}) << "waiting again";
}

TEST_F(StoreWriterThreadTest, EveryWritingStoreHasOneWriterThreadWaitingAtBatchPriority) {
    const QString writer = StoreWriter::threadName();
    struct Case {
        const char* what;
        QByteArray file; // none: no file
        ListStore::Access access;
        QList<int> policies; // of the writer threads while the store lives
    };
    const Case cases[] = {
        {"a new store", {}, ListStore::Access::readWrite, {SCHED_BATCH}},
        {"a store read from its file", fileOfItems(3), ListStore::Access::readWrite, {SCHED_BATCH}},
        {"a store whose file did not read",
         "not json",
         ListStore::Access::readWrite,
         {SCHED_BATCH}},
        {"a reading store", fileOfItems(3), ListStore::Access::readOnly, {}},
    };
    ASSERT_TRUE(policiesOfThreadsNamed(writer).isEmpty()) << "a writer outlived its store";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path());
        if (!c.file.isEmpty())
            writeFile(c.file);
        {
            auto store = open(false, c.access);
            // A store read from its file has its writer encode the items ahead: at work, it is
            // an ordinary thread until it has done.
            store->flushSaves();
            EXPECT_EQ(policiesOfThreadsNamed(writer), c.policies);
            if (store->canWrite()) {
                store->addList("Saved");
                store->flushSaves();
                EXPECT_EQ(policiesOfThreadsNamed(writer), c.policies) << "after a save";
            }
        }
        EXPECT_TRUE(policiesOfThreadsNamed(writer).isEmpty()) << "the writer ends with its store";
    }
}

TEST_F(StoreWriterThreadTest, TheItemsReadAreEncodedOnTheWriterThreadAndTheFirstSaveUsesThem) {
    constexpr int count = 500;
    struct Case {
        const char* what;
        bool editAtOnce; // the first edit comes before the writer could encode ahead
        std::function<void(ListStore&)> edit;
        QStringList texts; // the items' texts on disk afterwards, from the fourth on
    };
    const Case cases[] = {
        {"a tick, later",
         false,
         [](ListStore& store) { store.setDone("I3", true); },
         {"Item 3", "Item 4"}},
        {"a rename, at once",
         true,
         [](ListStore& store) { store.renameItem("I3", "Renamed"); },
         {"Renamed", "Item 4"}},
        {"a deletion, later",
         false,
         [](ListStore& store) { store.deleteItem("I3"); },
         {"Item 4", "Item 5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(fileOfItems(count));
        const quint64 hereBefore = DiskV2::itemsEncodedOnThisThread();
        const quint64 allBefore = DiskV2::itemsEncodedInAll();
        auto store = open(false);
        ASSERT_EQ(store->allItems().size(), count);
        EXPECT_EQ(DiskV2::itemsEncodedOnThisThread(), hereBefore) << "encoded on the UI thread";
        if (!c.editAtOnce) {
            store->flushSaves();
            EXPECT_EQ(DiskV2::itemsEncodedInAll() - allBefore, quint64(count))
                << "every item read is encoded once, ahead of any save";
            // Held by the writer, the items would be copied whole by the first edit.
            EXPECT_TRUE(store->allItems().isDetached()) << "the writer kept the items";
        }
        c.edit(*store);
        store->flushSaves();
        EXPECT_EQ(DiskV2::itemsEncodedOnThisThread(), hereBefore) << "encoded on the UI thread";
        // Only an item that changed after the writer encoded it is encoded again.
        EXPECT_LE(DiskV2::itemsEncodedInAll() - allBefore, quint64(count) + 1);
        EXPECT_GE(DiskV2::itemsEncodedInAll() - allBefore, quint64(count) - 1);
        store.reset();
        const DiskV2 onDisk = DiskV2::decode(fileBytes(), Date(0));
        QStringList texts;
        for (qsizetype i = 3; i < 5; ++i)
            texts.append(onDisk.items[i].text);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(onDisk.items[3].done, c.texts.first() == "Item 3");
    }
}

TEST_F(StoreWriterThreadTest, AChangeSoonAfterLoadingCopiesNoItem) {
    constexpr int count = 2000;
    struct Case {
        const char* what;
        bool writerIdleFirst;
    };
    const Case cases[] = {
        {"at once, while the writer encodes ahead", false},
        {"once the writer is idle", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(fileOfItems(count));
        auto store = open(false);
        ASSERT_EQ(store->allItems().size(), count);
        if (c.writerIdleFirst)
            store->flushSaves();
        // Changed in place: the items the writer was given to encode ahead came back first.
        const TBItem* before = store->allItems().constData();
        store->setDone("I7", true);
        EXPECT_EQ(store->allItems().constData(), before) << "every item was copied";
        store.reset();
        const DiskV2 onDisk = DiskV2::decode(fileBytes(), Date(0));
        ASSERT_EQ(onDisk.items.size(), count);
        EXPECT_TRUE(onDisk.items[7].done);
        EXPECT_FALSE(onDisk.items[8].done);
    }
}

TEST_F(StoreWriterThreadTest, OnlyTheListsAskedForKeepTheirItemsInDisplayOrder) {
    auto store = open(false);
    QStringList lists;
    QStringList firstItems;
    for (const char* name : {"A", "B", "C"}) {
        lists.append(store->addList(name).id);
        firstItems.append(store->addItem(lists.last(), QString(name) + "1")->id);
        store->addItem(lists.last(), QString(name) + "2");
    }
    const auto kept = [&] {
        QStringList names;
        for (qsizetype i = 0; i < lists.size(); ++i) {
            if (store->itemsKept(lists[i]))
                names.append(QString(QChar(char16_t(u'A' + i))));
        }
        return names;
    };
    const auto firstText = [&](int list) { return store->items(lists[list]).first().text; };
    struct Step {
        const char* what;
        std::function<void()> step;
        QStringList kept;
    };
    const Step steps[] = {
        {"nothing asked yet", [] {}, {}},
        {"the lists in order", [&] { store->rebuildDerivedCacheIfNeeded(); }, {}},
        {"one look at A", [&] { store->itemsOf(lists[0]); }, {}},
        {"A shown", [&] { EXPECT_EQ(firstText(0), "A1"); }, {"A"}},
        {"B shown", [&] { EXPECT_EQ(firstText(1), "B1"); }, {"A", "B"}},
        {"an item of A renamed", [&] { store->renameItem(firstItems[0], "A1 again"); }, {"B"}},
        {"A shown again", [&] { EXPECT_EQ(firstText(0), "A1 again"); }, {"A", "B"}},
        {"an item added to B", [&] { store->addItem(lists[1], "B3"); }, {"A"}},
        {"an empty list asked for", [&] { store->items(store->addList("D").id); }, {"A"}},
        {"C shown", [&] { EXPECT_EQ(firstText(2), "C1"); }, {"A", "C"}},
        {"list C deleted", [&] { store->deleteList(lists[2]); }, {"A"}},
    };
    for (const Step& step : steps) {
        step.step();
        EXPECT_EQ(kept(), step.kept) << step.what;
    }
}

} // namespace
