// Finding lists for requests, and the list index file.
#include "IntentsTestSupport.h"

#include "intents/ListEntityIndex.h"
#include "intents/ListEntityQuery.h"
#include "platform/JsonRead.h"

#include <QFile>

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

    // The index file as (id, name) lines.
    QStringList indexLines() {
        QFile file(ListEntityIndex::defaultPath());
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("no index")};
        QStringList lines;
        const Json document = JsonRead::parse(file.readAll());
        for (const Json& entry : document.at("lists"))
            lines.append(JsonRead::requiredString(entry, "id") + QStringLiteral(" ") +
                         JsonRead::requiredString(entry, "name"));
        return lines;
    }
};

TEST_F(ListEntities, IdsComeBackInDisplayOrderOnceEachAndOnlyForListsThatExist) {
    Seed seed(openStore());
    const QString first = seed.list("First");
    const QString second = seed.list("Second");
    const QString third = seed.list("Third");
    seed.store().setListPinned(third, true);
    seed.release();

    EXPECT_EQ(names(query().entities({first, third, first, QStringLiteral("GONE")})),
              QStringList({"Third", "First"}));
    EXPECT_EQ(names(query().suggestedEntities()), QStringList({"Third", "First", "Second"}));
    EXPECT_EQ(query().defaultResult(), (ListEntity{third, QStringLiteral("Third")}));
}

TEST_F(ListEntities, SpokenNamesMatchAsTheyAreSaid) {
    Seed seed(openStore());
    const QString work = seed.list("Work");
    const QString otherWork = seed.list("Work");
    const QString shopping = seed.list("Shopping");
    seed.release();

    struct Case {
        QString spoken;
        QStringList ids;
    } cases[] = {
        {"Work", {work}},                 // the exact name wins
        {"work", {work, otherWork}},      // folded: both, in display order
        {"my shopping list", {shopping}}, // filler words dropped
        {"garden", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spoken.toStdString());
        QStringList ids;
        for (const ListEntity& entity : query().entitiesMatching(c.spoken))
            ids.append(entity.id);
        EXPECT_EQ(ids, c.ids);
    }
}

TEST_F(ListEntities, NoStoreFileMeansNoLists) {
    EXPECT_TRUE(query().suggestedEntities().isEmpty());
    EXPECT_FALSE(query().defaultResult());
    EXPECT_FALSE(QFile::exists(storePath() + QStringLiteral(".lock")))
        << "a look-up must not lock the store";
}

TEST_F(ListEntities, EachQueryReadsTheFileAfresh) {
    Seed seed(openStore());
    TBList list = seed.store().addList(QStringLiteral("Groceries"));
    EXPECT_EQ(names(query().suggestedEntities()), QStringList{"Groceries"});
    list.name = QStringLiteral("Shopping");
    seed.store().updateList(list);
    // The writing store still holds the file: the query reads it all the same.
    EXPECT_EQ(names(query().suggestedEntities()), QStringList{"Shopping"});
}

TEST_F(ListEntities, TheIndexHoldsExactlyTheCurrentListsAfterEveryChange) {
    auto store = openStore();
    auto refresh = [&] {
        store->rebuildDerivedCacheIfNeeded();
        ASSERT_TRUE(ListEntityIndex::refresh(store->sortedListsCache()));
    };
    const QString groceries = store->addList(QStringLiteral("Groceries")).id;
    const QString packing = store->addList(QStringLiteral("Packing")).id;
    refresh();
    EXPECT_EQ(indexLines(), QStringList({groceries + " Groceries", packing + " Packing"}));

    store->rebuildDerivedCacheIfNeeded();
    TBList renamed = store->sortedListsCache().first();
    renamed.name = QStringLiteral("Shopping “weekly”");
    store->updateList(renamed);
    refresh();
    EXPECT_EQ(indexLines(), QStringList({groceries + " Shopping “weekly”", packing + " Packing"}));

    store->deleteList(groceries);
    refresh();
    EXPECT_EQ(indexLines(), QStringList({packing + " Packing"}));

    store->deleteList(packing);
    refresh();
    EXPECT_EQ(indexLines(), QStringList());
}

TEST_F(ListEntities, AnIndexThatCannotBeWrittenSaysSo) {
    const QString blocked = dir.filePath(QStringLiteral("no-such-folder/list-index.json"));
    EXPECT_FALSE(ListEntityIndex::refresh({}, blocked));
}

} // namespace
