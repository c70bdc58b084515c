// The program's listening side, driven over a real local socket.
#include "IntentsTestSupport.h"

#include "intents/IntentDispatch.h"
#include "intents/RequestCodec.h"
#include "intents/RequestServer.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

#include <memory>
#include <vector>

namespace {

class RequestServerTest : public ProfileTest {
protected:
    void SetUp() override {
        ProfileTest::SetUp();
        store = openStore();
        groceries = store->addList("Groceries").id;
        server = std::make_unique<RequestServer>(
            [this](const IntentRequest& request, OutcomeHandler answer) {
                ++handled;
                // A held request answers only when the test lets it go.
                if (holdNext) {
                    holdNext = false;
                    held = [this, request, answer] {
                        IntentDispatch::perform(request, IntentFrame(*store, defaults), answer);
                    };
                    return;
                }
                IntentDispatch::perform(request, IntentFrame(*store, defaults), answer);
            },
            [this] {
                return QList<ListEntity>{{groceries, QStringLiteral("Groceries")}};
            },
            nullptr, requestTimeoutMs);
        ASSERT_TRUE(server->listen(name())) << server->errorString().toStdString();
    }
    void TearDown() override {
        server.reset();
        store.reset();
        ProfileTest::TearDown();
    }
    QString name() const { return dir.filePath("test.sock"); }

    static constexpr int requestTimeoutMs = 1'000;

    // Sends raw bytes and returns the lines that come back until the server closes.
    QList<QByteArray> exchange(const QByteArray& bytes) {
        QLocalSocket socket;
        socket.connectToServer(name());
        socket.write(bytes);
        QByteArray received;
        const QDeadlineTimer deadline(5'000);
        while (!deadline.hasExpired() && socket.state() != QLocalSocket::UnconnectedState) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            received += socket.readAll();
        }
        received += socket.readAll();
        QList<QByteArray> lines = received.split('\n');
        lines.removeLast(); // after the last line break
        return lines;
    }
    std::optional<IntentOutcome> ask(const IntentRequest& request) {
        const QList<QByteArray> lines = exchange(RequestCodec::encode(request) + '\n');
        if (lines.size() != 2 || !RequestCodec::isTaken(lines.first()))
            return std::nullopt;
        return RequestCodec::decodeOutcome(lines.last());
    }
    IntentRequest adding(const QString& item) const {
        return {IntentKind::addItem, groceries, item, std::nullopt};
    }
    QStringList itemsNow() {
        QStringList texts;
        for (const TBItem& item : store->items(groceries))
            texts.append(item.text);
        return texts;
    }

    std::unique_ptr<ListStore> store;
    std::unique_ptr<RequestServer> server;
    QString groceries;
    int handled = 0;
    bool holdNext = false;
    std::function<void()> held;
};

TEST_F(RequestServerTest, AReplyLongerThanAnyRequestTextStillGetsBack) {
    // The reply repeats the item and adds the list's name, so it can be longer than the
    // longest text a request may carry; the change was made and must be reported as made.
    const QString item(RequestCodec::maxTextLength, u'x');
    EXPECT_EQ(ask(adding(item)), IntentOutcome::reply("Added " + item + " to Groceries."));
    EXPECT_EQ(store->items(groceries).size(), 1);
}

TEST_F(RequestServerTest, UntrustedMessagesAreRefusedBeforeAnyChange) {
    QStringList reasons;
    QObject::connect(server.get(), &RequestServer::refused,
                     [&](const QString& why) { reasons.append(why); });
    const QByteArray refusal =
        RequestCodec::encode(IntentOutcome::failed(RequestServer::refusal(), ExitCode::refused));
    const QByteArray messages[] = {
        "hello\n", "{\"request\":\"add\",\"list\":\"" + groceries.toUtf8() + "\",\"text\":1}\n",
        "{\"request\":\"add\",\"list\":\"" + groceries.toUtf8() +
            "\",\"text\":\"x\",\"as\":\"root\"}\n",
        QByteArray(RequestCodec::maxMessageBytes + 10, 'x'), // never ends its line
    };
    for (const QByteArray& message : messages) {
        SCOPED_TRACE(message.left(60).toStdString());
        // Refused at once: never said to be taken.
        EXPECT_EQ(exchange(message), QList<QByteArray>{refusal});
    }
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(reasons.size(), 4);
    EXPECT_TRUE(store->items(groceries).isEmpty());
}

TEST_F(RequestServerTest, OnlyTheFirstLineOfAConnectionIsARequest) {
    const QByteArray line = RequestCodec::encode(adding("eggs")) + '\n';
    const QList<QByteArray> lines = exchange(line + line);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(RequestCodec::decodeOutcome(lines.last()),
              IntentOutcome::reply("Added eggs to Groceries."));
    QCoreApplication::processEvents();
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(store->items(groceries).size(), 1);
}

TEST_F(RequestServerTest, TheListsAreAskedForWithoutARequest) {
    const QList<QByteArray> lines = exchange(RequestCodec::listsQuery() + '\n');
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(RequestCodec::decodeLists(lines.first()),
              (QList<ListEntity>{{groceries, QStringLiteral("Groceries")}}));
    EXPECT_EQ(handled, 0);
}

TEST_F(RequestServerTest, ManyRequestsAtOnceAreAllServedAndAnsweredInTheOrderTheyArrived) {
    // Connections that hold a place without finishing their request: silent ones, and ones
    // that trickle a byte now and then.
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int k = 0; k < 120; ++k) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(name());
        if (k % 6 == 0)
            idle.back()->write("{");
    }
    // The first request's answer is held back (as while it syncs); all the others are sent
    // after it, on connections of their own.
    holdNext = true;
    const int count = 60;
    std::vector<std::unique_ptr<QLocalSocket>> senders;
    for (int k = 0; k < count; ++k) {
        senders.push_back(std::make_unique<QLocalSocket>());
        senders.back()->connectToServer(name());
        ASSERT_TRUE(senders.back()->waitForConnected(2'000)) << k;
        senders.back()->write(RequestCodec::encode(adding(QString::number(k))) + '\n');
        senders.back()->flush();
        // Wait until it is taken, so the order of arrival is the order of sending.
        const QDeadlineTimer taken(5'000);
        while (handled <= k && !taken.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (k % 10 == 0)
            idle[size_t(k)]->write("\"");
    }
    EXPECT_EQ(handled, count) << "every request was taken, whatever the idle ones do";

    // Every later request is done, but none is answered before the first one.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    for (const auto& sender : senders) {
        const QByteArray waiting = sender->readAll();
        EXPECT_EQ(waiting, RequestCodec::taken() + '\n');
    }
    ASSERT_TRUE(held);
    held();

    QStringList expected;
    for (int k = 0; k < count; ++k)
        expected.append(QString::number(k));
    QStringList answers;
    const QDeadlineTimer deadline(10'000);
    for (const auto& sender : senders) {
        while (sender->state() != QLocalSocket::UnconnectedState && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const QList<QByteArray> lines = sender->readAll().split('\n');
        const std::optional<IntentOutcome> outcome =
            lines.size() > 1 ? RequestCodec::decodeOutcome(lines[lines.size() - 2]) : std::nullopt;
        answers.append(outcome ? outcome->text : QStringLiteral("no answer"));
    }
    QStringList replies;
    for (const QString& item : expected)
        replies.append("Added " + item + " to Groceries.");
    EXPECT_EQ(answers, replies);
    // The held request was made last, after the ones behind it.
    EXPECT_EQ(itemsNow().size(), count);
}

TEST_F(RequestServerTest, AConnectionThatNeverFinishesItsRequestIsClosedInTime) {
    QLocalSocket slow;
    slow.connectToServer(name());
    ASSERT_TRUE(slow.waitForConnected(2'000));
    slow.write("{\"request\":");
    slow.flush();
    const QDeadlineTimer deadline(requestTimeoutMs + 5'000);
    while (slow.state() != QLocalSocket::UnconnectedState && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(slow.state(), QLocalSocket::UnconnectedState);
    EXPECT_TRUE(slow.readAll().isEmpty()) << "never taken, never answered";
    EXPECT_EQ(handled, 0);
}

TEST_F(RequestServerTest, OnceItStopsTakingItStillAnswersWhatItTookAndNothingElse) {
    // One taken and held; one still arriving when the server stops.
    holdNext = true;
    QLocalSocket taken;
    taken.connectToServer(name());
    taken.write(RequestCodec::encode(adding("eggs")) + '\n');
    QLocalSocket arriving;
    arriving.connectToServer(name());
    arriving.write("{\"request\":");
    const QDeadlineTimer deadline(5'000);
    while (!held && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(held);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    server->stopTaking();
    EXPECT_FALSE(QFile::exists(name())) << "nobody new can connect";
    EXPECT_EQ(server->unanswered(), 1);
    held();
    // Answered as soon as its change is on disk, without the event loop.
    store->flushSaves();
    EXPECT_EQ(server->unanswered(), 0);
    server->flushAnswers(1'000);
    for (QLocalSocket* socket : {&taken, &arriving}) {
        while (socket->state() != QLocalSocket::UnconnectedState && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const QList<QByteArray> lines = taken.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(RequestCodec::isTaken(lines[0]));
    EXPECT_EQ(RequestCodec::decodeOutcome(lines[1]),
              IntentOutcome::reply("Added eggs to Groceries."));
    EXPECT_TRUE(arriving.readAll().isEmpty()) << "never taken: its sender may send it again";
    EXPECT_EQ(handled, 1);
}

} // namespace
