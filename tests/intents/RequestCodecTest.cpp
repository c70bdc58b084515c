// The socket's messages: only the known shapes get through.
#include "IntentsTestSupport.h"

#include "intents/RequestCodec.h"

namespace {

TEST(RequestCodec, EveryRequestAndOutcomeSurvivesTheTrip) {
    const IntentRequest requests[] = {
        {IntentKind::addItem, "A-1", "eggs “free range”", std::nullopt},
        {IntentKind::completeItem, "A-1", "  oat milk ", "I-2"},
        {IntentKind::completeItem, "A-1", QString(), std::nullopt},
        {IntentKind::createList, {}, "Packing\nlist", std::nullopt},
        {IntentKind::openList, "A-1", {}, std::nullopt},
        {IntentKind::readList, "A-1", {}, std::nullopt},
    };
    for (const IntentRequest& request : requests) {
        const QByteArray wire = RequestCodec::encode(request);
        SCOPED_TRACE(wire.toStdString());
        EXPECT_FALSE(wire.contains('\n')) << "one message is one line";
        EXPECT_EQ(RequestCodec::decodeRequest(wire), request);
    }
    const IntentOutcome outcomes[] = {
        IntentOutcome::reply("Added eggs to Groceries."),
        IntentOutcome::reply(QString()),
        IntentOutcome::failed("The change could not be saved to “x”."),
        IntentOutcome::failed("The change could not be saved to “x”.", ExitCode::notSaved),
        IntentOutcome::failed("Tallybird was too busy.", ExitCode::unreachable),
        IntentOutcome::notDone("Team is view only, so I can't add to it.", ExitCode::refused),
        IntentOutcome::notDone("I couldn't find milk on Groceries.", ExitCode::notFound),
        IntentOutcome::confirm("Four things left on G. Shall I read them?", "a, b, c and d."),
        IntentOutcome::choose("Which one?", {{"I-1", "Oat milk"}, {"I-2", "oat milk"}}),
    };
    for (const IntentOutcome& outcome : outcomes) {
        const QByteArray wire = RequestCodec::encode(outcome);
        SCOPED_TRACE(wire.toStdString());
        EXPECT_EQ(RequestCodec::decodeOutcome(wire), outcome);
    }
}

TEST(RequestCodec, AnythingButAKnownRequestIsRefused) {
    const QByteArray longText = R"({"request":"add","list":"A","text":")" +
                                QByteArray(RequestCodec::maxTextLength + 1, 'x') + "\"}";
    const QByteArray deep = QByteArray(50, '[') + QByteArray(50, ']');
    const QByteArray huge = R"({"request":"read","list":"A","pad":")" +
                            QByteArray(RequestCodec::maxMessageBytes, 'x') + "\"}";
    const QByteArray refused[] = {
        "",
        "not json",
        R"(["add"])",
        R"("add")",
        "{}",
        longText,
        deep,
        huge,
        R"({"request":"delete","list":"A"})",
        R"({"request":"add","list":"A"})",                           // no text
        R"({"request":"add","text":"eggs"})",                        // no list
        R"({"request":"add","list":"A","text":5})",                  // text not a string
        R"({"request":"add","list":true,"text":"x"})",               // id not a string
        R"({"request":"add","list":"A B","text":"x"})",              // blank in an id
        R"({"request":"add","list":"../x","text":"x"})",             // path in an id
        R"({"request":"add","list":"","text":"x"})",                 // empty id
        R"({"request":"add","list":"A","text":"x","item":"I"})",     // item only for tick
        R"({"request":"read","list":"A","text":"x"})",               // read takes no text
        R"({"request":"start","list":"A","text":"x"})",              // start takes no list
        R"({"request":"open","list":"A","extra":1})",                // unknown key
        R"({"request":"tick","list":"A","text":"x","item":null})",   // item not a string
        R"({"request":"add","list":"A","text":"x")",                 // cut short
        R"({"request":"add","list":"A","text":"\ud800"})",           // broken text
        QByteArray(R"({"request":"read","list":"A"})") + '\0' + "x", // a raw NUL byte
    };
    for (const QByteArray& message : refused) {
        SCOPED_TRACE(message.left(80).toStdString());
        EXPECT_FALSE(RequestCodec::decodeRequest(message));
    }
    EXPECT_FALSE(RequestCodec::isValidId(QString(RequestCodec::maxIdLength + 1, u'A')));
    EXPECT_TRUE(RequestCodec::isValidId("3966B90C-4F24-464D-97C1-11B78B96AA77"));
}

TEST(RequestCodec, ARequestTextIsCountedInCharactersAsPeopleSeeThem) {
    // Each of these is one character on screen and four UTF-16 units.
    const QString thumb = QString::fromUtf16(u"\U0001F44D\U0001F3FD");
    const auto adding = [](const QString& text) {
        return IntentRequest{IntentKind::addItem, "A", text, std::nullopt};
    };
    const IntentRequest longest = adding(thumb.repeated(RequestCodec::maxTextLength));
    EXPECT_TRUE(RequestCodec::fits(longest));
    EXPECT_EQ(RequestCodec::decodeRequest(RequestCodec::encode(longest)), longest);

    const IntentRequest tooLong = adding(QString(RequestCodec::maxTextLength + 1, u'x'));
    EXPECT_FALSE(RequestCodec::fits(tooLong));
    EXPECT_FALSE(RequestCodec::decodeRequest(RequestCodec::encode(tooLong)));
    // A text within the limit that no message could carry.
    const QString heavy = QStringLiteral("e") + QString(30, QChar(0x0301));
    EXPECT_FALSE(RequestCodec::fits(adding(heavy.repeated(RequestCodec::maxTextLength))));
}

TEST(RequestCodec, AnAnswerOfAnUnknownShapeIsRefused) {
    const QByteArray refused[] = {
        R"({"outcome":"reply"})",
        R"({"outcome":"done","text":"x"})",
        R"({"outcome":"reply","text":"x","choices":[]})",
        R"({"outcome":"confirm","text":"x"})",
        R"({"outcome":"choose","text":"x","choices":[]})",
        R"({"outcome":"choose","text":"x","choices":[{"id":"a b","text":"y"}]})",
        R"({"outcome":"choose","text":"x","choices":["y"]})",
        R"({"outcome":"reply","text":true})",
        // Only the codes a request can end with, as numbers, on a reply or a failure.
        R"({"outcome":"reply","text":"x","exit":2})",
        R"({"outcome":"failed","text":"x","exit":3})",
        R"({"outcome":"reply","text":"x","exit":99})",
        R"({"outcome":"reply","text":"x","exit":-4})",
        R"({"outcome":"reply","text":"x","exit":"4"})",
        R"({"outcome":"reply","text":"x","exit":4.5})",
        R"({"outcome":"reply","text":"x","exit":true})",
        R"({"outcome":"confirm","text":"x","followUp":"y","exit":4})",
    };
    for (const QByteArray& message : refused) {
        SCOPED_TRACE(message.toStdString());
        EXPECT_FALSE(RequestCodec::decodeOutcome(message));
    }
}

} // namespace
