// Taking back one operation's change after its save failed: only that change goes, without a
// trace when the cloud never saw it and as a deletion or a change to send when a sync sent it;
// a later change of the same thing stands. And a failed save is not the last word while a later
// save holding the same change is still to be written.
#include "StoreTestSupport.h"

#include "store/CloudLayout.h"
#include "store/StoreFileSink.h"
#include "support/TestApplication.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace {

class WithdrawTest : public StoreTest {
protected:
    void SetUp() override {
        store = openWithEngines();
        list = store->addList("Food").id;
        // The window's own change, made before the request's and not sent either.
        window = *store->addItem(list, "bread");
        factory->log.clear();
    }

    // What a sync that sent the record leaves: the archive, and no marks of what it sent.
    void sent(const TBItem& item) { store->confirmItemSaved(item, "record"); }

    QStringList itemsOnDisk() const {
        QStringList texts;
        const Json file = fileJson();
        for (const Json& item : file["items"])
            texts.append(QString::fromStdString(item["text"].get<std::string>()));
        return texts;
    }

    std::unique_ptr<ListStore> store;
    QString list;
    TBItem window;
};

TEST_F(WithdrawTest, AnAddedItemGoesWithoutATraceUnlessASyncSentIt) {
    struct Row {
        const char* what;
        bool sentMeanwhile;
        QStringList engine; // what the engines were given by taking it back
    };
    const Row rows[] = {
        {"never sent", false, {}},
        {"sent meanwhile",
         true,
         {"private saveRecord TB-%1 tomb-%2", "private deleteRecord TB-%1 %2"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBItem added = *store->addItem(list, "butter");
        if (row.sentMeanwhile)
            sent(added);
        factory->log.clear();
        QList<StoreChange> changes;
        QObject context;
        QObject::connect(store.get(), &ListStore::storeChanged, &context,
                         [&](const StoreChange& change) { changes.append(change); });

        store->withdrawItem(added.id);
        EXPECT_EQ(store->findItem(added.id), nullptr);
        EXPECT_FALSE(store->dirtyItems().contains(added.id));
        EXPECT_EQ(store->tombstones().contains(added.id), row.sentMeanwhile);
        EXPECT_EQ(store->pendingItemDeletions().contains(added.id), row.sentMeanwhile);
        QStringList engine;
        for (const QString& line : row.engine)
            engine.append(line.arg(list, added.id));
        EXPECT_EQ(factory->log, engine);
        ASSERT_EQ(changes.size(), 1);
        EXPECT_EQ(changes[0].items.value(list).removed, QSet<QString>{added.id});
        // The window's change stays, marked, and the file follows.
        EXPECT_EQ(store->dirtyItems().value(window.id), ListStore::allItemFields());
        EXPECT_EQ(itemsOnDisk(), QStringList{"bread"});
    }
    // Gone meanwhile: nothing to take back.
    const TBItem deleted = *store->addItem(list, "jam");
    store->deleteItem(deleted.id);
    factory->log.clear();
    store->withdrawItem(deleted.id);
    EXPECT_TRUE(factory->log.isEmpty());
}

TEST_F(WithdrawTest, AStartedListGoesWithWhatWasPutInItUnlessASyncSentAnyOfIt) {
    struct Row {
        const char* what;
        std::function<void(ListStore&, const TBList&, const TBItem&)> meanwhile;
        bool sentMeanwhile;
    };
    const Row rows[] = {
        {"never sent", [](ListStore&, const TBList&, const TBItem&) {}, false},
        {"its list record sent",
         [](ListStore& s, const TBList& l, const TBItem&) { s.confirmListSaved(l, "record"); },
         true},
        {"an item in it sent",
         [](ListStore& s, const TBList&, const TBItem& i) { s.confirmItemSaved(i, "record"); },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBList started = store->addList("Party");
        // Filled and filed in a group by the window before the save failed.
        const TBItem inIt = *store->addItem(started.id, "cake");
        store->setCollection(QString("Home"), started.id);
        row.meanwhile(*store, started, inIt);
        factory->log.clear();

        store->withdrawList(started.id);
        EXPECT_EQ(store->findList(started.id), nullptr);
        EXPECT_EQ(store->findItem(inIt.id), nullptr);
        EXPECT_FALSE(store->dirtyLists().contains(started.id));
        EXPECT_FALSE(store->dirtyItems().contains(inIt.id));
        EXPECT_FALSE(store->filings().contains(started.id));
        EXPECT_EQ(store->pendingZoneDeletions().contains(started.id), row.sentMeanwhile);
        EXPECT_EQ(
            factory->log.contains("private deleteZone TB-" + started.id + " __defaultOwner__"),
            row.sentMeanwhile);
        if (!row.sentMeanwhile) {
            EXPECT_FALSE(store->dirtyFilings().contains(started.id)) << "a filing never sent";
            EXPECT_TRUE(factory->log.isEmpty()) << factory->log.join('\n').toStdString();
        }
        EXPECT_NE(store->findList(list), nullptr) << "another list went too";
        EXPECT_EQ(itemsOnDisk(), QStringList{"bread"});
    }
}

TEST_F(WithdrawTest, ATickIsUndoneWithTheMarksItHadUnlessItChangedAgain) {
    const FieldSet tickFields{"done", "completedAt"};
    struct Row {
        const char* what;
        FieldSet marksBefore;
        std::function<void(ListStore&, const TBItem& ticked)> meanwhile;
        bool done;      // after taking it back
        FieldSet marks; // after taking it back
        bool queued;    // the record is queued to be sent again
    };
    const auto nothing = [](ListStore&, const TBItem&) {};
    const Row rows[] = {
        {"nothing marked before", {}, nothing, false, {}, false},
        {"its text marked before", {"text"}, nothing, false, {"text"}, false},
        {"its tick marked before", tickFields, nothing, false, tickFields, false},
        {"the tick sent meanwhile",
         {},
         [](ListStore& s, const TBItem& ticked) { s.confirmItemSaved(ticked, "record"); },
         false,
         tickFields,
         true},
        {"unticked meanwhile",
         {},
         [](ListStore& s, const TBItem& ticked) { s.setDone(ticked.id, false); },
         false,
         tickFields,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const TBItem added = *store->addItem(list, row.what);
        store->confirmItemSaved(added, "record");
        if (!row.marksBefore.isEmpty())
            store->markItemDirty(added, row.marksBefore);
        const TBItem before = *store->findItem(added.id);
        const FieldSet marksBefore = store->dirtyItems().value(added.id);
        ASSERT_EQ(marksBefore, row.marksBefore);
        clock.advance(60);
        store->setDone(added.id, true);
        row.meanwhile(*store, *store->findItem(added.id));
        const TBItem ticked = *store->findItem(added.id);
        factory->log.clear();

        store->withdrawDone(before, marksBefore);
        const TBItem& now = *store->findItem(added.id);
        EXPECT_EQ(now.done, row.done);
        EXPECT_EQ(now.completedAt, row.done ? ticked.completedAt : before.completedAt);
        EXPECT_EQ(store->dirtyItems().value(added.id), row.marks);
        EXPECT_EQ(factory->log.contains("private saveRecord TB-" + list + " " + added.id),
                  row.queued);
        flushStores();
        ListStore reader(path(), false, false, defaults, clock, ListStore::Access::readOnly);
        EXPECT_EQ(reader.findItem(added.id)->done, row.done);
    }
}

// Holds every write until the test lets one through, then writes it or fails it as told.
class ScriptedSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        std::unique_lock lock(mutex_);
        ++arrived_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !outcomes_.empty(); });
        const bool ok = outcomes_.front();
        outcomes_.pop_front();
        if (!ok) {
            *error = "No space left on device";
            return false;
        }
        return StoreFileSink::unsynced()->replace(path, content, error);
    }
    void waitForArrivals(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return arrived_ >= count; });
    }
    void letThrough(std::initializer_list<bool> outcomes) {
        const std::lock_guard lock(mutex_);
        outcomes_.insert(outcomes_.end(), outcomes);
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int arrived_ = 0;
    std::deque<bool> outcomes_;
};

TEST_F(StoreTest, AFailedSaveIsNotTheAnswerWhileALaterSaveHoldsTheSameChange) {
    testsupport::ensureApplication();
    struct Row {
        const char* what;
        std::initializer_list<bool> writes; // the first save's, then the one behind it
        QStringList heard;
    };
    const Row rows[] = {
        {"the later save is written", {false, true}, {"a saved", "b saved"}},
        {"the later save fails too", {false, false}, {"a failed", "b failed"}},
        {"the first save is written", {true, false}, {"a saved", "b failed"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto store = open(false);
        const QString list = store->addList("L").id;
        store->flushSaves();
        auto sink = std::make_shared<ScriptedSink>();
        store->setFileSink(sink);

        QStringList heard;
        store->addItem(list, "a");
        store->whenSaved([&](bool saved) { heard.append(saved ? "a saved" : "a failed"); });
        sink->waitForArrivals(1); // the first save is being written
        store->addItem(list, "b");
        store->whenSaved([&](bool saved) { heard.append(saved ? "b saved" : "b failed"); });
        sink->letThrough(row.writes);
        store->flushSaves();
        heard.sort(); // waiters of one save may hear in any order
        EXPECT_EQ(heard, row.heard);
    }
}

} // namespace
