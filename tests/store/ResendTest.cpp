// A cloud that no longer holds what this device sent: the copies kept of that database's
// records go, and after a whole fetch everything of the user's own it did not bring back is
// marked in full and queued again; someone else's lists are theirs to send.
#include "StoreTestSupport.h"

#include "store/CloudLayout.h"

namespace {

class ResendTest : public StoreTest {
protected:
    // The user's list "Own" (filed under "Home", one item, one deleted item) and the list
    // "Theirs" of someone else (one item), every record with a server copy and no mark.
    std::unique_ptr<ListStore> synced() {
        auto store = openWithEngines();
        own = store->addList("Own").id;
        ownItem = store->addItem(own, "tea").value().id;
        deleted = store->addItem(own, "gone").value().id;
        store->deleteItem(deleted);
        store->setCollection(QString("Home"), own);
        TBList list;
        list.id = "T";
        list.name = "Theirs";
        list.zoneOwnerName = "_them";
        store->applyServerList(list, "theirs");
        TBItem item;
        item.id = "TI";
        item.listID = "T";
        item.text = "jam";
        store->applyServerItem(item, "their item");
        store->resetForAccount(); // no marks left
        for (const QString& key :
             {CloudLayout::listArchiveKey(own), CloudLayout::itemArchiveKey(ownItem),
              CloudLayout::filingArchiveKey(own), CloudLayout::listArchiveKey("T"),
              CloudLayout::itemArchiveKey("TI"), CloudLayout::waitingShareKey("X")})
            store->setArchive(key, key.toUtf8());
        factory->log.clear();
        return store;
    }

    QString own;
    QString ownItem;
    QString deleted;
};

TEST_F(ResendTest, TheCopiesOfTheDatabaseThatForgotGo) {
    struct Case {
        const char* what;
        EngineScope scope;
        QStringList kept;
    };
    const Case cases[] = {
        {"the private database: the user's lists, items and groups",
         EngineScope::privateDatabase,
         {"I#TI", "L#T", "S#X"}},
        {"the shared database: someone else's lists and items",
         EngineScope::sharedDatabase,
         {"F#OWN", "I#ITEM", "L#OWN", "S#X"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto store = synced();
        QStringList kept = c.kept;
        kept.replaceInStrings("OWN", own).replaceInStrings("ITEM", ownItem);
        kept.sort();
        store->serverCopiesLost(c.scope);
        QStringList keys = store->archivedRecords().keys();
        keys.sort();
        EXPECT_EQ(keys, kept);
        EXPECT_EQ(store->archivedRecord("S#X"), "S#X");
        store.reset();
        QFile::remove(path());
    }
}

TEST_F(ResendTest, WhatTheFetchDidNotBringBackIsSentInFull) {
    struct Case {
        const char* what;
        EngineScope scope;
        // Server copies the fetch brought back, by archive key (OWN, ITEM: the own list's).
        QStringList fetched;
        bool resent;
        QStringList queued; // record saves, as "zone name"
    };
    const Case cases[] = {
        {"nothing came back",
         EngineScope::privateDatabase,
         {},
         true,
         {"TB-OWN list", "TB-OWN ITEM", "TBMeta OWN", "TB-OWN tomb-DELETED"}},
        {"the list came back, not its item",
         EngineScope::privateDatabase,
         {"L#OWN", "F#OWN"},
         true,
         {"TB-OWN ITEM", "TB-OWN tomb-DELETED"}},
        {"the shared database: nothing is sent to someone else's zone",
         EngineScope::sharedDatabase,
         {},
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto store = synced();
        store->serverCopiesLost(c.scope);
        for (QString key : c.fetched)
            store->setArchive(key.replace("OWN", own), "fetched");
        factory->log.clear();
        EXPECT_EQ(store->resendWhatTheServerLacks(c.scope), c.resent);
        QStringList saves;
        for (const QString& line : factory->log) {
            const QStringList words = line.split(' ');
            if (words.value(1) == "saveRecord")
                saves.append(words.value(2) + " " + words.value(3));
        }
        QStringList queued = c.queued;
        queued.replaceInStrings("DELETED", deleted)
            .replaceInStrings("OWN", own)
            .replaceInStrings("ITEM", ownItem);
        EXPECT_EQ(saves, queued);
        const bool ownSent = c.resent && !c.fetched.contains("L#OWN");
        EXPECT_EQ(store->dirtyLists().value(own),
                  ownSent ? ListStore::allListFields() : FieldSet());
        EXPECT_EQ(store->dirtyItems().value(ownItem),
                  c.resent ? ListStore::allItemFields() : FieldSet());
        EXPECT_FALSE(store->dirtyLists().contains("T"));
        EXPECT_FALSE(store->dirtyItems().contains("TI"));
        EXPECT_EQ(store->dirtyTombstones().contains(deleted), c.resent);
        EXPECT_EQ(store->dirtyFilings().contains(own), ownSent);
        store.reset();
        QFile::remove(path());
    }
}

} // namespace
