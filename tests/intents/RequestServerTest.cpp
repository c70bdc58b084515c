// The program's listening side, driven over a real local socket.
#include "IntentsTestSupport.h"

#include "intents/IntentDispatch.h"
#include "intents/RequestCodec.h"
#include "intents/RequestServer.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

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
                IntentDispatch::perform(request, IntentFrame(*store, defaults), answer);
            });
        ASSERT_TRUE(server->listen(name())) << server->errorString().toStdString();
    }
    void TearDown() override {
        server.reset();
        store.reset();
        ProfileTest::TearDown();
    }
    QString name() const { return dir.filePath("test.sock"); }

    // Sends raw bytes and returns the first line that comes back (empty when none does).
    QByteArray exchange(const QByteArray& bytes) {
        QLocalSocket socket;
        socket.connectToServer(name());
        socket.write(bytes);
        QByteArray received;
        const QDeadlineTimer deadline(5'000);
        while (!received.contains('\n') && !deadline.hasExpired() &&
               socket.state() != QLocalSocket::UnconnectedState) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            received += socket.readAll();
        }
        received += socket.readAll();
        return received.left(received.indexOf('\n'));
    }
    std::optional<IntentOutcome> ask(const IntentRequest& request) {
        return RequestCodec::decodeOutcome(exchange(RequestCodec::encode(request) + '\n'));
    }
    IntentRequest adding(const QString& item) const {
        return {IntentKind::addItem, groceries, item, std::nullopt};
    }

    std::unique_ptr<ListStore> store;
    std::unique_ptr<RequestServer> server;
    QString groceries;
    int handled = 0;
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
        RequestCodec::encode(IntentOutcome::failed(RequestServer::refusal()));
    const QByteArray messages[] = {
        "hello\n", "{\"request\":\"add\",\"list\":\"" + groceries.toUtf8() + "\",\"text\":1}\n",
        "{\"request\":\"add\",\"list\":\"" + groceries.toUtf8() +
            "\",\"text\":\"x\",\"as\":\"root\"}\n",
        QByteArray(RequestCodec::maxMessageBytes + 10, 'x'), // never ends its line
    };
    for (const QByteArray& message : messages) {
        SCOPED_TRACE(message.left(60).toStdString());
        EXPECT_EQ(exchange(message), refusal);
    }
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(reasons.size(), 4);
    EXPECT_TRUE(store->items(groceries).isEmpty());
}

TEST_F(RequestServerTest, OnlyTheFirstLineOfAConnectionIsARequest) {
    const QByteArray line = RequestCodec::encode(adding("eggs")) + '\n';
    EXPECT_EQ(RequestCodec::decodeOutcome(exchange(line + line)),
              IntentOutcome::reply("Added eggs to Groceries."));
    QCoreApplication::processEvents();
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(store->items(groceries).size(), 1);
}

} // namespace
