// Finding lists for requests, and the list index file. Spoken names are matched through the
// command line's tests.
#include "IntentsTestSupport.h"

#include "intents/ListDirectory.h"
#include "intents/ListEntityQuery.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

class ListEntities : public ProfileTest {
protected:
    QStringList names(const QList<ListEntity>& entities) {
        QStringList out;
        for (const ListEntity& entity : entities)
            out.append(entity.name);
        return out;
    }
    ListEntityQuery query() { return ListEntityQuery(SharedStore::source(), defaults); }
};

TEST_F(ListEntities, IdsComeBackInDisplayOrderOnceEachAndOnlyForListsThatExist) {
    Seed seed(openStore());
    const QString first = seed.list("First");
    seed.list("Second");
    const QString third = seed.list("Third");
    seed.store().setListPinned(third, true);
    seed.release();

    EXPECT_EQ(names(query().entities({first, third, first, QStringLiteral("GONE")})),
              QStringList({"Third", "First"}));
    EXPECT_EQ(names(query().suggestedEntities()), QStringList({"Third", "First", "Second"}));
    EXPECT_EQ(query().defaultResult(), (ListEntity{third, QStringLiteral("Third")}));
}

TEST_F(ListEntities, EachQueryReadsTheFileAfreshWithoutLockingIt) {
    EXPECT_TRUE(query().suggestedEntities().isEmpty()) << "no file, no lists";
    EXPECT_FALSE(query().defaultResult());
    EXPECT_FALSE(QFile::exists(storePath() + QStringLiteral(".lock")))
        << "a look-up must not lock the store";

    Seed seed(openStore());
    const QString id = seed.list("Groceries");
    EXPECT_EQ(names(query().suggestedEntities()), QStringList{"Groceries"});
    seed.rename(id, "Shopping");
    // The writing store still holds the file: the query reads it all the same.
    EXPECT_EQ(names(query().suggestedEntities()), QStringList{"Shopping"});
}

TEST_F(ListEntities, TheIndexHoldsExactlyTheCurrentListsAfterEveryChange) {
    Seed seed(openStore());
    ListStore& store = seed.store();
    auto refreshed = [&] {
        store.rebuildDerivedCacheIfNeeded();
        EXPECT_TRUE(ListEntityIndex::refresh(store.sortedListsCache()));
        return indexLines();
    };
    const QString groceries = seed.list("Groceries");
    const QString packing = seed.list("Packing");
    EXPECT_EQ(refreshed(), QStringList({groceries + " Groceries", packing + " Packing"}));
    seed.rename(groceries, "Shopping “weekly”");
    EXPECT_EQ(refreshed(), QStringList({groceries + " Shopping “weekly”", packing + " Packing"}));
    store.deleteList(groceries);
    EXPECT_EQ(refreshed(), QStringList({packing + " Packing"}));
    store.deleteList(packing);
    EXPECT_EQ(refreshed(), QStringList());

    const QString blocked = dir.filePath(QStringLiteral("no-such-folder/list-index.json"));
    EXPECT_FALSE(ListEntityIndex::refresh({}, blocked)) << "an index that cannot be written";
}

TEST_F(ListEntities, AnIndexThatWouldNotChangeIsNotWrittenAgain) {
    const QString index = ListEntityIndex::defaultPath();
    // A second name for the file as it is: a rewrite puts a new file under the index's name,
    // which leaves the old one with the second name alone.
    const QString seen = index + QStringLiteral(".seen");
    const auto markSeen = [&] {
        QFile::remove(seen);
        ASSERT_EQ(::link(QFile::encodeName(index).constData(), QFile::encodeName(seen).constData()),
                  0);
    };
    const auto rewritten = [&] {
        struct stat info {};
        return ::stat(QFile::encodeName(index).constData(), &info) == 0 && info.st_nlink == 1;
    };
    TBList groceries;
    groceries.id = QStringLiteral("GROCERIES");
    groceries.name = QStringLiteral("Groceries");
    ASSERT_TRUE(ListEntityIndex::refresh({groceries}, index, QStringLiteral("stamp 1")));
    markSeen();
    EXPECT_TRUE(ListEntityIndex::refresh({groceries}, index, QStringLiteral("stamp 1")));
    EXPECT_FALSE(rewritten()) << "the same index was written again";

    // Any difference is written: another name, another stamp, a file changed by hand.
    TBList renamed = groceries;
    renamed.name = QStringLiteral("Shopping");
    const struct {
        const char* what;
        QList<TBList> lists;
        QString stamp;
        std::function<void()> before;
    } cases[] = {
        {"another name", {renamed}, QStringLiteral("stamp 1"), [] {}},
        {"another stamp", {renamed}, QStringLiteral("stamp 2"), [] {}},
        {"a file changed by hand",
         {renamed},
         QStringLiteral("stamp 2"),
         [&] {
             QFile file(index);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             file.seek(file.size() - 3);
             file.write("x");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.before();
        markSeen();
        EXPECT_TRUE(ListEntityIndex::refresh(c.lists, index, c.stamp));
        EXPECT_TRUE(rewritten());
        EXPECT_EQ(ListEntityIndex::read(c.stamp, index).value_or(QList<ListEntity>()),
                  QList<ListEntity>({ListEntity{renamed.id, renamed.name}}));
    }
}

TEST_F(ListEntities, TheIndexAnswersOnlyWhileItWasWrittenFromTheStoreFileAsItIs) {
    Seed seed(openStore());
    seed.list("Groceries");
    seed.release();
    QStringList notes;
    const ListDirectory directory(
        {SharedStore::source(), {}, {}, [&](const QString& note) { notes.append(note); }},
        defaults);
    const QString index = ListEntityIndex::defaultPath();

    // Written from this very file, the index is taken as it is: the store is not read.
    TBList other;
    other.id = QStringLiteral("INDEXED");
    other.name = QStringLiteral("From the index");
    ASSERT_TRUE(ListEntityIndex::refresh({other}, index, ListEntityIndex::storeStamp(storePath())));
    EXPECT_EQ(names(directory.lists()), QStringList{"From the index"});

    // Behind the store, missing, unreadable or unstamped: the store is read and the index
    // written again from it.
    const struct {
        const char* what;
        std::function<void()> spoil;
    } cases[] = {
        {"behind the store", [&] { Seed(openStore()).list("Packing"); }},
        {"missing", [&] { QFile::remove(index); }},
        {"not JSON",
         [&] {
             QFile file(index);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write(QByteArray("{\"lists\":[],\"store\":\"") + '\0');
         }},
        {"unstamped", [&] { ListEntityIndex::refresh({other}, index, QString()); }},
        {"an id that is not one",
         [&] {
             TBList odd = other;
             odd.id = QStringLiteral("../x");
             ListEntityIndex::refresh({odd}, index, ListEntityIndex::storeStamp(storePath()));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.spoil();
        EXPECT_EQ(names(directory.lists()), QStringList({"Groceries", "Packing"}));
        EXPECT_EQ(indexLines(), listLines(true));
        EXPECT_TRUE(ListEntityIndex::read(ListEntityIndex::storeStamp(storePath())));
    }
    EXPECT_TRUE(notes.isEmpty());

    // A store file that does not read in full is said, and never stands behind an index.
    QFile damaged(storePath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("{\"version\":3,");
    damaged.close();
    EXPECT_TRUE(directory.lists().isEmpty());
    EXPECT_EQ(notes.size(), 1);
    EXPECT_FALSE(ListEntityIndex::read(ListEntityIndex::storeStamp(storePath())));
    EXPECT_TRUE(directory.lists().isEmpty());
    EXPECT_EQ(notes.size(), 2) << "said each time the file is read";
}

} // namespace
