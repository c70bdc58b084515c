// A request the program's store could not save is answered as failed and is not made: the
// window's store no longer holds it, the window's own unsaved changes stay, and trying again
// once the disk takes writes again makes it exactly once. A store from a newer Tallybird refuses
// every request that would change it, in the same words the window shows.
#include "IntentsTestSupport.h"

#include "intents/RequestCodec.h"
#include "intents/RequestServer.h"
#include "store/StoreFileSink.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

#include <atomic>
#include <functional>

namespace {

// Writes as the program does until told to fail as a full disk does.
class BreakableSink final : public StoreFileSink {
public:
    bool replace(const QString& path, const Content& content, QString* error) override {
        if (broken.load()) {
            *error = QStringLiteral("No space left on device");
            return false;
        }
        return StoreFileSink::unsynced()->replace(path, content, error);
    }
    std::atomic<bool> broken{false};
};

// The window's side: its store, and its socket answering requests on it.
class FailedRequestTest : public ProfileTest {
protected:
    void SetUp() override {
        ProfileTest::SetUp();
        store = openStore();
        store->setFileSink(sink);
        groceries = store->addList("Groceries").id;
        store->addItem(groceries, "milk");
        store->flushSaves();
        server = std::make_unique<RequestServer>(
            [this](const IntentRequest& request, OutcomeHandler answer) {
                IntentDispatch::perform(request, IntentFrame(*store, defaults), answer);
            },
            [] { return QList<ListEntity>{}; });
        ASSERT_TRUE(server->listen(dir.filePath("test.sock")));
    }
    void TearDown() override {
        server.reset();
        store.reset();
        ProfileTest::TearDown();
    }

    std::optional<IntentOutcome> ask(const IntentRequest& request) {
        QLocalSocket socket;
        socket.connectToServer(dir.filePath("test.sock"));
        socket.write(RequestCodec::encode(request) + '\n');
        QByteArray received;
        const QDeadlineTimer deadline(10'000);
        while (!deadline.hasExpired() && socket.state() != QLocalSocket::UnconnectedState) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            received += socket.readAll();
        }
        received += socket.readAll();
        const QList<QByteArray> lines = received.split('\n');
        if (lines.size() != 3 || !RequestCodec::isTaken(lines[0]))
            return std::nullopt;
        return RequestCodec::decodeOutcome(lines[1]);
    }

    // The lists and items of a store, ticked items marked "✓", with how many of each are
    // marked to be sent.
    static QStringList contents(ListStore& of) {
        QStringList lines;
        for (const TBList& list : of.lists()) {
            QStringList items;
            for (const TBItem& item : of.items(list.id))
                items.append(item.done ? item.text + " ✓" : item.text);
            lines.append(list.name + ": " + items.join(", "));
        }
        lines.append(QString("marked: %1 lists, %2 items")
                         .arg(of.dirtyLists().size())
                         .arg(of.dirtyItems().size()));
        return lines;
    }
    QStringList onDisk() {
        store->flushSaves();
        return contents(*readStore());
    }
    // Only milk, not ticked.
    void startAgain() {
        for (const TBList& list : store->lists()) {
            if (list.id != groceries)
                store->deleteList(list.id);
        }
        for (const TBItem& item : store->items(groceries)) {
            if (item.text == "milk")
                store->setDone(item.id, false);
            else
                store->deleteItem(item.id);
        }
    }

    std::shared_ptr<BreakableSink> sink = std::make_shared<BreakableSink>();
    std::unique_ptr<ListStore> store;
    std::unique_ptr<RequestServer> server;
    QString groceries;
};

TEST_F(FailedRequestTest, ARequestWhoseSaveFailedIsNotMadeAndTryingAgainMakesItOnce) {
    struct Row {
        const char* what;
        std::function<IntentRequest(const QString& groceries)> request;
        QString reply;
        QStringList made; // the store's lists once the request is made
    };
    const Row rows[] = {
        {"add an item",
         [](const QString& list) {
             return IntentRequest{IntentKind::addItem, list, "butter", std::nullopt};
         },
         "Added butter to Groceries.",
         {"Groceries: milk, bread, butter", "marked: 1 lists, 3 items"}},
        {"tick an item off",
         [](const QString& list) {
             return IntentRequest{IntentKind::completeItem, list, "milk", std::nullopt};
         },
         "Ticked off milk.",
         {"Groceries: milk ✓, bread", "marked: 1 lists, 2 items"}},
        {"start a list",
         [](const QString&) {
             return IntentRequest{IntentKind::createList, QString(), "Party", std::nullopt};
         },
         "Started Party.",
         {"Groceries: milk, bread", "Party: ", "marked: 2 lists, 2 items"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        sink->broken = true;
        // The window's own change, made while saving fails: it stays, to be saved later.
        store->addItem(groceries, "bread");
        const QStringList before = contents(*store);

        const std::optional<IntentOutcome> failed = ask(row.request(groceries));
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->kind, IntentOutcome::Kind::failed);
        EXPECT_EQ(failed->exit, ExitCode::notSaved);
        EXPECT_EQ(failed->text, "The change could not be saved to “" + storePath() +
                                    "”. No space left on device.");
        EXPECT_EQ(contents(*store), before) << "the failed request is still in the store";

        sink->broken = false;
        EXPECT_EQ(ask(row.request(groceries)), IntentOutcome::reply(row.reply));
        EXPECT_EQ(contents(*store), row.made);
        EXPECT_EQ(onDisk(), row.made) << "written twice, or not at all";
        startAgain();
    }
}

TEST_F(FailedRequestTest, AStoreFromANewerVersionRefusesEveryChangeInTheWindowsWords) {
    server.reset();
    store.reset();
    QFile file(storePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray newer = R"({"version":4,"lists":[{"id":"L","name":"Food"}],)"
                             R"("items":[{"id":"I","listID":"L","text":"milk"}],)"
                             R"("dirtyLists":{},"dirtyItems":{},"archivedRecords":{},"more":1})";
    file.write(newer);
    file.close();
    store = openStore();
    const QString why = ListStore::newerVersionText(storePath());
    ASSERT_EQ(store->editRefusal(), why);
    const IntentFrame frame(*store, defaults);
    const IntentRequest changes[] = {
        {IntentKind::addItem, "L", "bread", std::nullopt},
        {IntentKind::completeItem, "L", "milk", std::nullopt},
        {IntentKind::createList, QString(), "Party", std::nullopt},
    };
    for (const IntentRequest& request : changes) {
        SCOPED_TRACE(IntentKinds::title(request.kind).toStdString());
        EXPECT_EQ(performAndWait(request, frame), IntentOutcome::failed(why, ExitCode::refused));
    }
    EXPECT_FALSE(voiceFlag()) << "a refused request counted as run";
    // Reading is what it is for.
    const std::optional<IntentOutcome> read =
        performAndWait({IntentKind::readList, "L", QString(), std::nullopt}, frame);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->kind, IntentOutcome::Kind::reply);
    EXPECT_TRUE(read->text.contains("milk")) << read->text.toStdString();
    store.reset();
    EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), newer);
}

} // namespace
