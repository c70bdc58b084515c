// The store file's reader keeps the rules of the program's JSON readers: an item reads exactly
// as TBItem::fromJson reads it, an archived record is exactly the Base64 the strict decoder
// takes, and a document that is not JSON (a raw NUL byte, trailing bytes) is no store.
#include "StoreTestSupport.h"

#include "platform/Base64.h"

#include <QDir>

#include <random>

namespace {

// A store document of the current layout holding `items` (JSON elements, comma separated) and
// one archived record.
QByteArray document(const QByteArray& items, const QByteArray& archive = "AAEC") {
    return R"({"version":3,"lists":[],"items":[)" + items +
           R"(],"dirtyLists":{},"dirtyItems":{"I":["text"]},"archivedRecords":{"I#I":")" + archive +
           R"("}})";
}

std::optional<DiskV2> read(const QByteArray& bytes) {
    try {
        return DiskV2::decode(bytes, Date(0));
    } catch (const DecodeError&) {
        return std::nullopt;
    }
}

std::optional<TBItem> readByTheItemsOwnRules(const QByteArray& element) {
    try {
        return TBItem::fromJson(JsonRead::parse(element));
    } catch (const DecodeError&) {
        return std::nullopt;
    }
}

} // namespace

TEST(StoreFileReading, ItemsReadExactlyAsTheItemsOwnReaderReadsThem) {
    const char* const base = R"("id":"I","listID":"L","text":"t")";
    struct Case {
        const char* what;
        QByteArray element;
    };
    const Case cases[] = {
        {"every field", R"({"id":"I","listID":"L","text":"Milk #dairy","done":true,"order":2.5,)"
                        R"("pinned":true,"completedAt":800000000.25,"notes":"a\tb"})"},
        {"only what is required", QByteArray("{") + base + "}"},
        {"keys in another order", R"({"text":"t","notes":"n","listID":"L","id":"I"})"},
        {"no id", R"({"listID":"L","text":"t"})"},
        {"a null id", R"({"id":null,"listID":"L","text":"t"})"},
        {"a number for an id", R"({"id":1,"listID":"L","text":"t"})"},
        {"a null text", R"({"id":"I","listID":"L","text":null})"},
        {"null for the defaults", QByteArray("{") + base +
                                      R"(,"done":null,"order":null,"pinned":null,)"
                                      R"("completedAt":null,"notes":null})"},
        {"a text for done", QByteArray("{") + base + R"(,"done":"true"})"},
        {"a number for done", QByteArray("{") + base + R"(,"done":1})"},
        {"a Boolean for order", QByteArray("{") + base + R"(,"order":true})"},
        {"a whole number for order", QByteArray("{") + base + R"(,"order":7})"},
        {"a large number for order", QByteArray("{") + base + R"(,"order":-1.5e300})"},
        {"a text for completedAt", QByteArray("{") + base + R"(,"completedAt":"now"})"},
        {"a number for notes", QByteArray("{") + base + R"(,"notes":3})"},
        {"a key it does not know", QByteArray("{") + base + R"(,"colour":{"a":[1,2]}})"},
        {"the last of equal keys", R"({"id":"I","listID":"L","text":"a","text":"b"})"},
        {"a later null undoes a value", QByteArray("{") + base + R"(,"done":true,"done":null})"},
        {"a later null loses a required key", QByteArray("{") + base + R"(,"id":null})"},
        {"escapes", R"({"id":"I","listID":"L","text":"\"q\" \\ \/ \n \u00e9 \ud83c\udf4e"})"},
        {"an escaped key", R"({"\u0069d":"I","listID":"L","text":"t"})"},
        {"a lone surrogate", R"({"id":"I","listID":"L","text":"\ud800"})"},
        {"an escaped NUL", R"({"id":"I","listID":"L","text":"a\u0000b"})"},
        {"a text for an item", R"("item")"},
        {"an array for an item", R"(["I","L","t"])"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<TBItem> expected = readByTheItemsOwnRules(c.element);
        const std::optional<DiskV2> disk = read(document(c.element));
        ASSERT_EQ(disk.has_value(), expected.has_value());
        if (expected) {
            ASSERT_EQ(disk->items.size(), 1);
            EXPECT_EQ(disk->items[0], *expected);
        }
    }
}

TEST(StoreFileReading, ArchivedRecordsAreExactlyTheBase64TheStrictDecoderTakes) {
    // Texts near the rule's edges: padding, the unused bits of the last symbol, stray bytes.
    QList<QByteArray> texts = {"",         "AA==",  "AB==", "AAA=", "AAB=",  "AAAA",
                               "A===",     "====",  "AA=A", "A=AA", "AA",    "AAA",
                               "AA==AA==", "AA== ", "-_AA", "+/AA", "\\/AA", "AA\\u003d\\u003d"};
    // And many more, made at random from a small alphabet that holds every kind of byte.
    std::mt19937 random(7);
    const QByteArray alphabet = "AQgw+/=-_ .~Zz09";
    for (int n = 0; n < 3000; ++n) {
        QByteArray text;
        const int size = int(random() % 13);
        for (int i = 0; i < size; ++i)
            text += alphabet[int(random() % alphabet.size())];
        texts.append(text);
    }
    for (const QByteArray& text : texts) {
        SCOPED_TRACE(text.toStdString());
        // What a JSON reader hands the decoder: the string with its escapes undone.
        const QByteArray unescaped =
            QByteArray::fromStdString(JsonRead::parse("\"" + text + "\"").get<std::string>());
        const std::optional<DiskV2> disk = read(document("", text));
        ASSERT_EQ(disk.has_value(), Base64::decode(unescaped).has_value());
        if (disk) {
            EXPECT_EQ(disk->archivedRecords.value("I#I"), unescaped) << "kept as its text";
        }
    }
}

TEST(StoreFileReading, WhatIsNotOneJsonDocumentIsNoStore) {
    const QByteArray good = document(R"({"id":"I","listID":"L","text":"t"})");
    ASSERT_TRUE(read(good));
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    QByteArray nulInText = good;
    nulInText.replace("\"t\"", QByteArray("\"t\0u\"", 5));
    QByteArray nulBetweenTokens = good;
    nulBetweenTokens.replace(",\"lists\"", QByteArray(", \0\"lists\"", 10));
    const Case cases[] = {
        {"a raw NUL in a text", nulInText},
        {"a raw NUL between values", nulBetweenTokens},
        {"a raw NUL inside a value that is skipped",
         QByteArray(good).replace("{\"version\":3",
                                  QByteArray("{\"x\":[1 \0 ],\"version\":3", 23))},
        {"a raw NUL after the document", good + QByteArray("\0", 1)},
        {"bytes after the document", good + " {}"},
        {"a second document", good + good},
        {"cut short", good.left(good.size() - 1)},
        {"an array", "[" + good + "]"},
        {"not UTF-8", QByteArray(good).replace("\"t\"", "\"\xff\"")},
        {"a control character in a text", QByteArray(good).replace("\"t\"", "\"\t\"")},
        {"a missing comma", QByteArray(good).replace(",\"lists\"", " \"lists\"")},
        {"a version that is no whole number", QByteArray(good).replace("3,", "3.5,")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(read(c.bytes));
    }
    // Whitespace around the document and a version written as a float are fine.
    EXPECT_TRUE(read(" \n" + good + "\n"));
    EXPECT_TRUE(read(QByteArray(good).replace("3,", "3e0,")));
}

TEST(StoreFileReading, TheLastOfEqualKeysCountsAndNullIsAbsent) {
    const QByteArray twice = R"({"version":3,"lists":[],"items":[],"dirtyLists":{},)"
                             R"("dirtyItems":{"A":["text"],"A":["done"]},"archivedRecords":{},)"
                             R"("filings":{"L":"Home"},"filings":{"L":"Work"},)"
                             R"("lastKnownUserRecordName":"_a","lastKnownUserRecordName":null})";
    const std::optional<DiskV2> disk = read(twice);
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->dirtyItems.value("A"), FieldSet{"done"});
    EXPECT_EQ(disk->filings, (QMap<QString, QString>{{"L", "Work"}}));
    EXPECT_FALSE(disk->lastKnownUserRecordName);
    EXPECT_FALSE(read(QByteArray(twice).replace(R"("items":[])", R"("items":null)")))
        << "a required key that is null is missing";
}

// Every case of the JSON test suite, as the value of a key the reader does not know and so
// skips: a document that is JSON is read, one that is not is no store, wherever the fault is.
TEST(StoreFileReading, TheJsonTestSuiteIsReadAsTheStandardSays) {
    const QDir suite(QStringLiteral(JSON_TEST_SUITE));
    // The cases are part of the checkout: a clone anywhere runs them, and nothing beside it is
    // read.
    const QString checkout = QDir(QStringLiteral(TALLYBIRD_SOURCE_DIR)).canonicalPath();
    ASSERT_FALSE(checkout.isEmpty());
    EXPECT_TRUE(suite.canonicalPath().startsWith(checkout + '/'))
        << JSON_TEST_SUITE << " lies outside the checkout " << checkout.toStdString();
    EXPECT_EQ(suite.entryList({"y_*.json"}, QDir::Files).size(), 95);
    EXPECT_EQ(suite.entryList({"n_*.json"}, QDir::Files).size(), 188);
    const QStringList cases = suite.entryList({"y_*.json", "n_*.json"}, QDir::Files);
    ASSERT_FALSE(cases.isEmpty()) << "the suite is missing at " << JSON_TEST_SUITE;
    for (const QString& name : cases) {
        SCOPED_TRACE(name.toStdString());
        QFile file(suite.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray value = file.readAll();
        const bool json = name.startsWith("y_");
        EXPECT_EQ(read(R"({"unknown":)" + value + "," + document("").mid(1)).has_value(), json)
            << "before the known keys";
        EXPECT_EQ(read(document("").chopped(1) + R"(,"unknown":)" + value + "}").has_value(), json)
            << "after them";
        EXPECT_EQ(
            read(document(R"({"id":"I","listID":"L","text":"t","x":)" + value + "}")).has_value(),
            json)
            << "in an item";
    }
}

TEST(StoreFileReading, ArchivedRecordsWrittenAsKeptReadBackTheSame) {
    struct Case {
        const char* what;
        QString key;
        QByteArray text;
    };
    const Case cases[] = {
        {"an item's record", "I#ITEM-1", "eyJhIjoxfQ=="},
        {"no record data", "L#LIST", ""},
        {"a quote and a backslash in the key", "I#a\"b\\c", "AAEC"},
        {"a key that looks like a member", "I#\":\"AAAA", "AA=="},
        {"a control character in the key", "I#a\tb", "AAA="},
        {"a key beyond ASCII", QString::fromUtf8("F#Küche 🍎"), "AAAA"},
    };
    ArchivedRecords records;
    for (const Case& c : cases)
        records.insert(c.key, c.text);
    DiskV2 disk;
    disk.archivedRecords = records;
    const std::optional<DiskV2> back = read(disk.encode());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->archivedRecords, records);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(records.value(c.key), c.text);
        EXPECT_EQ(back->archivedRecords.value(c.key), c.text);
    }
    // A record replaced or removed is written so.
    records.insert(cases[0].key, "AQID");
    records.remove(cases[1].key);
    disk.archivedRecords = records;
    const Json written = JsonRead::parse(disk.encode())["archivedRecords"];
    EXPECT_EQ(written.size(), std::size(cases) - 1);
    EXPECT_EQ(written["I#ITEM-1"], "AQID");
    EXPECT_FALSE(written.contains("L#LIST"));
}
