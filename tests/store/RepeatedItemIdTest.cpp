// A store file that holds one item id in two places (damaged, or edited by hand) keeps every
// item in its own list, each under an id of its own from then on.
#include "StoreTestSupport.h"

namespace {

QStringList placed(const ListStore& store) {
    QStringList lines;
    for (const TBItem& item : store.allItems())
        lines.append(item.listID + " " + item.text);
    lines.sort();
    return lines;
}

TEST_F(StoreTest, ItemsSharingOneIdInTheFileAreEachKeptInTheirListUnderIdsOfTheirOwn) {
    const QByteArray lists = R"("lists":[{"id":"A","name":"a"},{"id":"B","name":"b"},
        {"id":"C","name":"c"}])";
    const QByteArray sync = R"("dirtyLists":{},"dirtyItems":{"D":["text"]},
        "archivedRecords":{"I#D":"AAEC"})";
    const auto item = [](const char* id, const char* list, const char* text) {
        return QByteArray(R"({"id":")") + id + R"(","listID":")" + list + R"(","text":")" + text +
               R"("})";
    };
    struct Case {
        const char* what;
        QByteArray document;
        QStringList placed;
    };
    const Case cases[] = {
        {"one id in two lists",
         "{\"version\":3," + lists + ",\"items\":[" + item("D", "A", "first") + "," +
             item("X", "B", "x") + "," + item("D", "B", "second") + "]," + sync + "}",
         {"A first", "B second", "B x"}},
        {"one id twice in one list and once more in a third",
         "{\"version\":3," + lists + ",\"items\":[" + item("D", "A", "first") + "," +
             item("D", "A", "second") + "," + item("D", "C", "third") + "]," + sync + "}",
         {"A first", "A second", "C third"}},
        {"the first layout",
         "{" + lists + ",\"items\":[" + item("D", "A", "first") + "," + item("D", "B", "second") +
             "]}",
         {"A first", "B second"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path());
        writeFile(c.document);
        QStringList ids;
        {
            auto store = open();
            EXPECT_EQ(placed(*store), c.placed);
            for (const TBItem& item : store->allItems()) {
                ids.append(item.id);
                // Each is found, and so edited and sent, as itself.
                EXPECT_EQ(store->findItem(item.id)->text, item.text);
                if (item.id != "D" && item.id != "X") {
                    EXPECT_EQ(store->dirtyItems().value(item.id), ListStore::allItemFields());
                }
            }
            EXPECT_EQ(ids.first(), "D"); // the first keeps its id
            EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), ids.size());
            store->setDone(ids.last(), true);
            EXPECT_FALSE(store->findItem("D")->done);
        }
        auto again = open(); // the new ids were written
        QStringList reread;
        for (const TBItem& item : again->allItems())
            reread.append(item.id);
        EXPECT_EQ(reread, ids);
    }
}

} // namespace
