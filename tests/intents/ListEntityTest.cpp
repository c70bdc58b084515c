// Finding lists for requests, and the list index file. Spoken names are matched through the
// command line's tests.
#include "IntentsTestSupport.h"

#include "intents/ListEntityQuery.h"

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

} // namespace
