// A store file from a newer Tallybird is shown and never changed: whatever shape it has, no
// edit, sync, pruning or upgrade touches it, and the file stays byte for byte; files of this
// version and older ones are written as before.
#include "StoreTestSupport.h"

#include "support/TestApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>

#include <functional>

namespace {

// A newer layout: fields this version does not know, at the top and inside the elements, a
// tombstone old enough to be pruned at start and a list that still carries a group's name.
const QByteArray newerWithUnknownFields =
    R"({"version":4,"lists":[{"id":"L","name":"Food","tint":"teal","groupName":"Home"}],)"
    R"("items":[{"id":"I","listID":"L","text":"milk","quantity":2}],"dirtyLists":{},)"
    R"("dirtyItems":{"I":["text"]},"archivedRecords":{},)"
    R"("tombstones":{"T":{"listID":"L","deletedAt":1}},"reminders":[{"at":5}]})";

TEST(DeclaredVersion, IsTheTopLevelNumberAsFarAsTheDocumentReads) {
    struct Row {
        const char* what;
        QByteArray bytes;
        std::optional<double> version;
    };
    const Row rows[] = {
        {"a whole document", newerWithUnknownFields, 4},
        {"after values of every kind", R"({"a":[1,{"b":"}"}],"c":null,"version":5,"d":true})", 5},
        {"cut short after the version", R"({"version":6,"lists":[{"id":)", 6},
        {"the last of equal keys", R"({"version":4,"version":9})", 9},
        {"a later version that is no number", R"({"version":4,"version":"9"})", std::nullopt},
        {"a version as text", R"({"version":"4"})", std::nullopt},
        {"a version inside an element", R"({"lists":[{"version":4}]})", std::nullopt},
        {"a version after bytes that are not JSON", R"({"lists":[} "version":4})", std::nullopt},
        {"an array", R"([{"version":4}])", std::nullopt},
        {"nothing", "", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(DiskV2::declaredVersion(row.bytes), row.version);
    }
}

class NewerStoreTest : public StoreTest {
protected:
    void SetUp() override { testsupport::ensureApplication(); }

    QStringList filesInFolder() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

// Every edit a user or a request can make, on the lists, items, groups and people of the file.
const std::pair<const char*, std::function<void(ListStore&)>> edits[] = {
    {"add a list", [](ListStore& s) { s.addList("New"); }},
    {"add an item", [](ListStore& s) { s.addItem("L", "bread"); }},
    {"tick an item", [](ListStore& s) { s.setDone("I", true); }},
    {"rename an item", [](ListStore& s) { s.renameItem("I", "oat milk"); }},
    {"star an item", [](ListStore& s) { s.setItemPinned("I", true); }},
    {"write a note", [](ListStore& s) { s.addNote("two", "I", "_me", "Me"); }},
    {"delete an item", [](ListStore& s) { s.deleteItem("I"); }},
    {"paste items", [](ListStore& s) { s.add(Markdown::parse("- [ ] eggs"), "L"); }},
    {"drag items", [](ListStore& s) { s.moveItems("L", {"I"}, {0}, 1); }},
    {"rename a list",
     [](ListStore& s) {
         TBList list = s.lists().value(0);
         list.name = "Shop";
         s.updateList(list);
     }},
    {"pin a list", [](ListStore& s) { s.setListPinned("L", true); }},
    {"group a list", [](ListStore& s) { s.setCollection(QString("Home"), "L"); }},
    {"drag a list", [](ListStore& s) { s.movePageRows({0}, 1); }},
    {"delete a list", [](ListStore& s) { s.deleteList("L"); }},
    {"add a circle", [](ListStore& s) { s.addCircle("Family"); }},
    {"name a person",
     [](ListStore& s) {
         s.setAlias(PersonAlias{"_p", "Pat", {}, {}, {}});
     }},
};

TEST_F(NewerStoreTest, ANewerFileIsShownNeverWrittenAndRefusesEveryEdit) {
    struct Row {
        const char* what;
        QByteArray bytes;
        qsizetype lists; // what this version can show of it
        qsizetype items;
        qsizetype tombstones;
    };
    const Row rows[] = {
        {"a newer layout with fields unknown here", newerWithUnknownFields, 1, 1, 1},
        {"a newer layout whose lists this version cannot read",
         R"({"version":5,"lists":{"L":{"name":"Food"}},"items":[],"dirtyLists":{},)"
         R"("dirtyItems":{},"archivedRecords":{}})",
         0, 0, 0},
        {"a newer document holding only lists and items",
         R"({"version":4,"lists":[{"id":"L","name":"Food"}],"items":[]})", 1, 0, 0},
        {"a newer version written as a fraction",
         QByteArray(newerWithUnknownFields).replace("\"version\":4", "\"version\":4.5"), 1, 1, 0},
        {"a newer document cut short", R"({"version":4,"lists":[{"id":"L","na)", 0, 0, 0},
    };
    for (const ListStore::Access access :
         {ListStore::Access::readWrite, ListStore::Access::readOnly}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.what) +
                         (access == ListStore::Access::readOnly ? ", reading" : ", writing"));
            writeFile(row.bytes);
            auto store = open(true, access);
            store->setEngineFactory(factory);
            QSignalSpy changes(store.get(), &ListStore::storeChanged);
            QSignalSpy refused(store.get(), &ListStore::editRefused);
            store->start();

            const QString why = ListStore::newerVersionText(path());
            EXPECT_EQ(store->editRefusal(), why);
            EXPECT_FALSE(store->canWrite());
            EXPECT_FALSE(store->lockHeldElsewhere()) << "nothing to wait for";
            if (access == ListStore::Access::readWrite) {
                EXPECT_EQ(store->lockError(), why) << "a request fails with it";
            }
            EXPECT_EQ(store->lists().size(), row.lists);
            EXPECT_EQ(store->allItems().size(), row.items);
            const QList<TBList> lists = store->lists();
            const QList<TBItem> items = store->allItems();

            for (const auto& [edit, make] : edits) {
                SCOPED_TRACE(edit);
                const int before = refused.count();
                make(*store);
                EXPECT_EQ(refused.count(), before + 1) << "refused without a word";
                EXPECT_EQ(refused.last().value(0).toString(), why);
            }
            EXPECT_EQ(changes.count(), 0) << "a refused edit was announced";
            store->setSyncEnabled(false);
            store->setSyncEnabled(true);
            store->whenSaved([](bool saved) { EXPECT_FALSE(saved); });
            store->persist();
            store->flushSaves();
            QCoreApplication::processEvents();

            EXPECT_EQ(store->lists(), lists);
            EXPECT_EQ(store->allItems(), items);
            EXPECT_TRUE(store->dirtyFilings().isEmpty()) << "the old group field was migrated";
            EXPECT_EQ(store->tombstones().size(), row.tombstones) << "pruned";
            EXPECT_EQ(store->privateEngine(), nullptr) << "it syncs";
            EXPECT_TRUE(factory->log.isEmpty()) << factory->log.join('\n').toStdString();
            EXPECT_EQ(fileBytes(), row.bytes);
            // No copy, no temporary file, and no lock kept from a newer program.
            EXPECT_EQ(filesInFolder(), QStringList{"store.json"});
        }
    }
}

TEST_F(NewerStoreTest, TheWindowHearsThatTheFileIsOnlyShown) {
    writeFile(newerWithUnknownFields);
    auto store = open();
    QSignalSpy lock(store.get(), &ListStore::lockFailed);
    QCoreApplication::processEvents();
    ASSERT_EQ(lock.count(), 1);
    EXPECT_EQ(lock.first().value(0).toString(), ListStore::newerVersionText(path()));
    // The lock is let go: a newer program may take the file meanwhile.
    EXPECT_EQ(open()->lockError(), ListStore::newerVersionText(path()));
}

TEST_F(NewerStoreTest, FilesOfThisVersionAndOlderOnesAreStillWritten) {
    for (const char* version : {"3", "2", "0", "3.0", "-4"}) {
        SCOPED_TRACE(version);
        writeFile(QByteArray(R"({"version":)") + version +
                  R"(,"lists":[{"id":"L","name":"Food"}],"items":[],"dirtyLists":{},)"
                  R"("dirtyItems":{},"archivedRecords":{},"filings":{}})");
        auto store = open();
        EXPECT_FALSE(store->editRefusal());
        EXPECT_TRUE(store->addItem("L", "bread"));
        EXPECT_EQ(fileJson()["version"], 3);
        EXPECT_EQ(fileJson()["items"].size(), 1u);
    }
}

} // namespace
