// The socket's messages: only the known shapes get through.
#include "IntentsTestSupport.h"

#include "intents/RequestCodec.h"

namespace {

TEST(RequestCodec, EveryRequestSurvivesTheTrip) {
    const IntentRequest requests[] = {
        {IntentKind::addItem, QStringLiteral("A-1"), QStringLiteral("eggs “free range”"),
         std::nullopt},
        {IntentKind::completeItem, QStringLiteral("A-1"), QStringLiteral("  oat milk "),
         QStringLiteral("I-2")},
        {IntentKind::completeItem, QStringLiteral("A-1"), QString(), std::nullopt},
        {IntentKind::createList, {}, QStringLiteral("Packing\nlist"), std::nullopt},
        {IntentKind::openList, QStringLiteral("A-1"), {}, std::nullopt},
        {IntentKind::readList, QStringLiteral("A-1"), {}, std::nullopt},
    };
    for (const IntentRequest& request : requests) {
        const QByteArray wire = RequestCodec::encode(request);
        SCOPED_TRACE(wire.toStdString());
        EXPECT_FALSE(wire.contains('\n')) << "one message is one line";
        EXPECT_EQ(RequestCodec::decodeRequest(wire), request);
    }
}

TEST(RequestCodec, AnythingButAKnownRequestIsRefused) {
    const QByteArray longText = "{\"request\":\"add\",\"list\":\"A\",\"text\":\"" +
                                QByteArray(RequestCodec::maxTextLength + 1, 'x') + "\"}";
    const QByteArray deep = QByteArray(50, '[') + QByteArray(50, ']');
    const QByteArray huge = "{\"request\":\"read\",\"list\":\"A\",\"pad\":\"" +
                            QByteArray(RequestCodec::maxMessageBytes, 'x') + "\"}";
    const QByteArray refused[] = {
        "",
        "not json",
        "[\"add\"]",
        "\"add\"",
        "{}",
        "{\"request\":\"delete\",\"list\":\"A\"}",
        "{\"request\":\"add\",\"list\":\"A\"}",                               // no text
        "{\"request\":\"add\",\"text\":\"eggs\"}",                            // no list
        "{\"request\":\"add\",\"list\":\"A\",\"text\":5}",                    // text not a string
        "{\"request\":\"add\",\"list\":true,\"text\":\"x\"}",                 // id not a string
        "{\"request\":\"add\",\"list\":\"A B\",\"text\":\"x\"}",              // blank in an id
        "{\"request\":\"add\",\"list\":\"../x\",\"text\":\"x\"}",             // path in an id
        "{\"request\":\"add\",\"list\":\"\",\"text\":\"x\"}",                 // empty id
        "{\"request\":\"add\",\"list\":\"A\",\"text\":\"x\",\"item\":\"I\"}", // item only for tick
        "{\"request\":\"read\",\"list\":\"A\",\"text\":\"x\"}",               // read takes no text
        "{\"request\":\"start\",\"list\":\"A\",\"text\":\"x\"}",              // start takes no list
        "{\"request\":\"open\",\"list\":\"A\",\"extra\":1}",                  // unknown key
        "{\"request\":\"tick\",\"list\":\"A\",\"text\":\"x\",\"item\":null}",
        "{\"request\":\"add\",\"list\":\"A\",\"text\":\"x\"",        // cut short
        "{\"request\":\"add\",\"list\":\"A\",\"text\":\"\\ud800\"}", // broken text
        longText,
        deep,
        huge,
    };
    for (const QByteArray& message : refused) {
        SCOPED_TRACE(message.left(80).toStdString());
        EXPECT_FALSE(RequestCodec::decodeRequest(message));
    }
    EXPECT_FALSE(RequestCodec::isValidId(QString(RequestCodec::maxIdLength + 1, u'A')));
    EXPECT_TRUE(RequestCodec::isValidId(QStringLiteral("3966B90C-4F24-464D-97C1-11B78B96AA77")));
}

TEST(RequestCodec, EveryOutcomeSurvivesTheTrip) {
    const IntentOutcome outcomes[] = {
        IntentOutcome::reply(QStringLiteral("Added eggs to Groceries.")),
        IntentOutcome::reply(QString()),
        IntentOutcome::failed(QStringLiteral("The change could not be saved to “x”.")),
        IntentOutcome::confirm(QStringLiteral("Four things left on G. Shall I read them?"),
                               QStringLiteral("a, b, c and d.")),
        IntentOutcome::choose(QStringLiteral("Which one?"),
                              {{QStringLiteral("I-1"), QStringLiteral("Oat milk")},
                               {QStringLiteral("I-2"), QStringLiteral("oat milk")}}),
    };
    for (const IntentOutcome& outcome : outcomes) {
        const QByteArray wire = RequestCodec::encode(outcome);
        SCOPED_TRACE(wire.toStdString());
        EXPECT_EQ(RequestCodec::decodeOutcome(wire), outcome);
    }
}

TEST(RequestCodec, AnAnswerOfAnUnknownShapeIsRefused) {
    const QByteArray refused[] = {
        "{\"outcome\":\"reply\"}",
        "{\"outcome\":\"done\",\"text\":\"x\"}",
        "{\"outcome\":\"reply\",\"text\":\"x\",\"choices\":[]}",
        "{\"outcome\":\"confirm\",\"text\":\"x\"}",
        "{\"outcome\":\"choose\",\"text\":\"x\",\"choices\":[]}",
        "{\"outcome\":\"choose\",\"text\":\"x\",\"choices\":[{\"id\":\"a b\",\"text\":\"y\"}]}",
        "{\"outcome\":\"choose\",\"text\":\"x\",\"choices\":[\"y\"]}",
        "{\"outcome\":\"reply\",\"text\":true}",
    };
    for (const QByteArray& message : refused) {
        SCOPED_TRACE(message.toStdString());
        EXPECT_FALSE(RequestCodec::decodeOutcome(message));
    }
}

} // namespace
