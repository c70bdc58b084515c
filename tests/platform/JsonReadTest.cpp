#include "platform/JsonRead.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

Json object(const char* text) {
    return JsonRead::parse(QByteArray(text));
}

TEST(JsonRead, NeverCoercesBetweenBooleansNumbersAndTexts) {
    struct Case {
        const char* document;
        std::function<void(const Json&)> read;
    };
    const Case failing[] = {
        {R"({"a": 1})", [](const Json& o) { JsonRead::boolean(o, "a", false); }},
        {R"({"a": true})", [](const Json& o) { JsonRead::number(o, "a", 0); }},
        {R"({"a": "1"})", [](const Json& o) { JsonRead::number(o, "a", 0); }},
        {R"({"a": 1})", [](const Json& o) { JsonRead::string(o, "a", {}); }},
        {R"({"a": null})", [](const Json& o) { JsonRead::requiredString(o, "a"); }},
        {R"({})", [](const Json& o) { JsonRead::requiredNumber(o, "a"); }},
        {R"({"a": ["x", 1]})", [](const Json& o) { JsonRead::stringArray(o, "a", {}); }},
        {R"({"a": "x"})", [](const Json& o) { JsonRead::optionalDate(o, "a"); }},
        {R"([1])", [](const Json& o) { JsonRead::optionalString(o, "a"); }},
    };
    for (const Case& c : failing) {
        const Json o = object(c.document);
        EXPECT_THROW(c.read(o), DecodeError) << c.document;
    }
}

TEST(JsonRead, MissingOrNullTakesTheFallback) {
    const Json o = object(R"({"n": null, "b": false, "d": 12.5, "i": 3, "s": "x"})");
    EXPECT_TRUE(JsonRead::boolean(o, "n", true));
    EXPECT_TRUE(JsonRead::boolean(o, "missing", true));
    EXPECT_FALSE(JsonRead::boolean(o, "b", true));
    EXPECT_EQ(JsonRead::number(o, "d", 0), 12.5);
    EXPECT_EQ(JsonRead::number(o, "i", 0), 3.0);
    EXPECT_FALSE(JsonRead::optionalString(o, "n"));
    EXPECT_EQ(JsonRead::optionalString(o, "s"), QStringLiteral("x"));
    EXPECT_EQ(JsonRead::optionalDate(o, "d"), Date(12.5));
}

TEST(JsonRead, RejectsMalformedDocuments) {
    EXPECT_THROW(JsonRead::parse(QByteArray("{\"a\": ")), DecodeError);
    EXPECT_THROW(JsonRead::parse(QByteArray("")), DecodeError);
    EXPECT_THROW(JsonRead::parse(QByteArray("\xff\xfe")), DecodeError);
}

TEST(JsonRead, ARawNulByteIsNeverJson) {
    // The parser stops at a NUL and would take what came before it for the whole document.
    const QByteArray nul(1, '\0');
    const QByteArray documents[] = {
        "{\"a\":1}" + nul + "{\"b\":2}",
        "{\"a\":1}" + nul,
        "[1," + nul + "2]",
        "{\"a\":\"x" + nul + "y\"}",
        nul,
    };
    for (const QByteArray& document : documents) {
        EXPECT_TRUE(JsonRead::hasRawNul(document));
        EXPECT_THROW(JsonRead::parse(document), DecodeError) << document.size();
    }
    // Escaped, a NUL is an ordinary character of a text.
    EXPECT_EQ(JsonRead::requiredString(object(R"({"a":"x\u0000y"})"), "a"),
              QString::fromUtf16(u"x\u0000y", 3));
}

TEST(JsonRead, TextsRoundTripAsUtf8) {
    const QString text = QString::fromUtf16(u"caf\u00E9 \U0001F34E \u201Cq\u201D");
    Json o = Json::object();
    o["t"] = JsonRead::toUtf8(text);
    const Json back = JsonRead::parse(QByteArray::fromStdString(o.dump()));
    EXPECT_EQ(JsonRead::requiredString(back, "t"), text);
}

// Arrays and objects `depth` levels deep, innermost empty.
std::string nested(int depth, char open = '[', char close = ']') {
    return std::string(size_t(depth), open) + std::string(size_t(depth), close);
}

TEST(JsonRead, ADocumentNestedDeeperThanTheProgramReadsIsRefused) {
    const int limit = JsonRead::maxDepth;
    struct Case {
        const char* what;
        std::string text;
        bool tooDeep;
    };
    const Case cases[] = {
        {"arrays as deep as the limit", nested(limit), false},
        {"one level more", nested(limit + 1), true},
        {"objects and arrays mixed, one level more",
         "{\"a\":" + nested(limit - 1) + ", \"b\": {\"c\": " + nested(limit) + "}}", true},
        {"brackets in a string count for nothing",
         "[\"" + std::string(size_t(limit) * 2, '[') + "\"]", false},
        {"an escaped quote does not end the string",
         "[\"\\\"" + std::string(size_t(limit) * 2, '{') + "\"]", false},
        {"an escaped backslash does", "[\"\\\\\"" + nested(limit) + "]", true},
        {"a hundred thousand levels", nested(100'000), true},
        {"a hundred thousand levels, left open", std::string(100'000, '['), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(JsonRead::nestsDeeperThan(c.text), c.tooDeep);
        if (c.tooDeep) {
            EXPECT_THROW(JsonRead::parse(QByteArray::fromStdString(c.text)), DecodeError);
        }
    }
    // Within the limit a document reads, and copies, as any other.
    const Json deep = JsonRead::parse(QByteArray::fromStdString(nested(limit)));
    EXPECT_EQ(Json(deep), deep);
}

} // namespace
