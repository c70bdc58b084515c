// Devices whose cloud container was made anew, or put back from an older copy, between two
// syncs: the container no longer knows their zones, so each sends again what it holds and the
// container lacks, and every device ends with every list and item once.
#include "SyncTestSupport.h"

#include <QFile>

namespace synctest {
namespace {

using namespace cloud;

class ContainerResetTest : public SyncTest {
protected:
    void SetUp() override {
        SyncTest::SetUp();
        container = open();
    }

    QString path() const { return dir.filePath("container.sqlite"); }
    std::shared_ptr<Container> open() const {
        auto opened = Container::openFile(path());
        EXPECT_TRUE(opened.ok());
        return opened.ok() ? opened.value() : nullptr;
    }
    // The container file and what SQLite keeps beside it, gone; the devices are quitting.
    void removeFile() {
        container.reset();
        for (const char* end : {"", "-wal", "-shm"})
            QFile::remove(path() + end);
    }
    void copyFileTo(const QString& to) const {
        QFile::remove(to);
        ASSERT_TRUE(QFile::copy(path(), to));
    }
    void putBack(const QString& copy) {
        removeFile();
        ASSERT_TRUE(QFile::copy(copy, path()));
    }

    // Each list and item once, and nothing else.
    static void expectOnce(ListStore& store, const QStringList& lists, const QStringList& items) {
        QStringList listIDs;
        for (const TBList& list : store.lists())
            listIDs.append(list.id);
        QStringList itemIDs;
        for (const TBItem& item : store.allItems())
            itemIDs.append(item.id);
        listIDs.sort();
        itemIDs.sort();
        QStringList expectedLists = lists;
        QStringList expectedItems = items;
        expectedLists.sort();
        expectedItems.sort();
        EXPECT_EQ(listIDs, expectedLists);
        EXPECT_EQ(itemIDs, expectedItems);
    }

    QTemporaryDir dir;
};

TEST_F(ContainerResetTest, AContainerMadeAnewGetsBackWhatEachDeviceHolds) {
    struct Case {
        const char* what;
        bool secondFirst;    // the second device syncs before the first one's next change
        bool secondIsNew;    // the second device comes only after the container is made anew
        bool restartBetween; // each device quits and starts again before its next sync
    };
    const Case cases[] = {
        {"the first device changes something, then the second syncs", false, false, false},
        {"the second device syncs first", true, false, false},
        {"a device seen for the first time after it", false, true, false},
        {"both devices started again on the new container", false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!container)
            container = open();
        auto mac = device("mac");
        const QString listID = mac->store().addList("Weekend shop").id;
        QStringList items{mac->store().addItem(listID, "bread").value().id,
                          mac->store().addItem(listID, "milk").value().id};
        ASSERT_FALSE(mac->syncNow());
        std::unique_ptr<Device> other;
        if (!c.secondIsNew) {
            other = device("other");
            ASSERT_FALSE(other->syncNow());
            expectOnce(other->store(), {listID}, items);
        }

        removeFile();
        container = open();
        mac->moveTo(container);
        if (other)
            other->moveTo(container);
        else
            other = device("other");
        if (c.restartBetween) {
            mac->restart();
            other->restart();
        }

        if (c.secondFirst) {
            ASSERT_FALSE(other->syncNow());
        }
        items.append(mac->store().addItem(listID, "eggs").value().id);
        ASSERT_FALSE(mac->syncNow());
        ASSERT_FALSE(other->syncNow());
        ASSERT_FALSE(mac->syncNow());
        expectOnce(other->store(), {listID}, items);
        expectOnce(mac->store(), {listID}, items);
        EXPECT_EQ(contents(other->store()), contents(mac->store()));
        const auto records = container->records(Container::defaultUserName, "TB-" + listID);
        ASSERT_TRUE(records.ok());
        EXPECT_EQ(records.value().size(), size_t(1 + items.size())); // the list and its items
        EXPECT_TRUE(mac->store().dirtyItems().isEmpty());
        EXPECT_TRUE(mac->store().dirtyLists().isEmpty());

        mac.reset();
        other.reset();
        removeFile();
    }
}

TEST_F(ContainerResetTest, AnotherContainerInItsPlaceGetsBothDevicesListsOnce) {
    auto mac = device("mac");
    const QString ours = mac->store().addList("Ours").id;
    const QString ourItem = mac->store().addItem(ours, "tea").value().id;
    const QString filed = mac->store().addList("Filed").id;
    mac->store().setCollection(QString("Home"), filed);
    ASSERT_FALSE(mac->syncNow());

    // A container of another identity, where a device of the same user already keeps a list.
    const QString elsewhere = dir.filePath("elsewhere.sqlite");
    auto other = Container::openFile(elsewhere).value();
    auto phone = std::make_unique<Device>(other, "phone");
    const QString theirs = phone->store().addList("Theirs").id;
    const QString theirItem = phone->store().addItem(theirs, "jam").value().id;
    ASSERT_FALSE(phone->syncNow());
    phone.reset();
    other.reset();
    removeFile();
    ASSERT_TRUE(QFile::rename(elsewhere, path()));
    for (const char* end : {"-wal", "-shm"})
        QFile::rename(elsewhere + end, path() + end);
    container = open();

    mac->moveTo(container);
    ASSERT_FALSE(mac->syncNow());
    expectOnce(mac->store(), {ours, filed, theirs}, {ourItem, theirItem});
    EXPECT_EQ(mac->store().filings().value(filed), "Home");
    phone = device("phone");
    ASSERT_FALSE(phone->syncNow());
    expectOnce(phone->store(), {ours, filed, theirs}, {ourItem, theirItem});
    EXPECT_EQ(contents(phone->store()), contents(mac->store()));
}

// A request's fetch from a container made anew runs out of time before its last list; the next
// process goes on with it, and once it has every list, sends what the container still lacks.
TEST_F(ContainerResetTest, AFetchFromAContainerMadeAnewCutShortStillSendsWhatItLacksOnceEnded) {
    auto mac = device("mac");
    const QStringList lists{mac->store().addList("Home").id, mac->store().addList("Work").id};
    ASSERT_FALSE(mac->syncNow());
    auto other = device("other");
    ASSERT_FALSE(other->syncNow());
    // Only the mac has this one: the other device cannot bring it back.
    const QString later = mac->store().addList("Later").id;
    const QString item = mac->store().addItem(later, "tea").value().id;
    ASSERT_FALSE(mac->syncNow());

    removeFile();
    container = open();
    other->moveTo(container);
    ASSERT_FALSE(other->syncNow()); // sends its two lists again
    mac->moveTo(container);
    mac->store().startEnginesIfAllowed();
    mac->sync().engine(EngineScope::privateDatabase)->engine().setFetchDeadline(QDeadlineTimer(0));
    const auto error = mac->syncNow();
    ASSERT_TRUE(error && SyncEngine::isFetchCutShort(*error)) << "the fetch outlasted its bound";

    mac->restart();
    ASSERT_FALSE(mac->syncNow());
    const auto records = container->records(Container::defaultUserName, "TB-" + later);
    ASSERT_TRUE(records.ok());
    EXPECT_EQ(records.value().size(), 2u) << "the list and its item, sent again";
    auto fresh = device("fresh");
    ASSERT_FALSE(fresh->syncNow());
    expectOnce(fresh->store(), lists + QStringList{later}, {item});
}

TEST_F(ContainerResetTest, AnOlderCopyPutBackGetsWhatCameAfterIt) {
    auto mac = device("mac");
    auto other = device("other");
    const QString first = mac->store().addList("First").id;
    const QString early = mac->store().addItem(first, "early").value().id;
    ASSERT_FALSE(mac->syncNow());
    const QString copy = dir.filePath("copy.sqlite");
    container->records(Container::defaultUserName, "TB-" + first); // settles the file
    mac->store().flushSaves();
    copyFileTo(copy);

    const QString second = mac->store().addList("Second").id;
    const QString late = mac->store().addItem(first, "late").value().id;
    mac->store().deleteItem(early);
    ASSERT_FALSE(mac->syncNow());
    ASSERT_FALSE(other->syncNow());
    expectOnce(other->store(), {first, second}, {late});

    putBack(copy);
    container = open();
    mac->moveTo(container);
    other->moveTo(container);
    ASSERT_FALSE(other->syncNow());
    ASSERT_FALSE(mac->syncNow());
    ASSERT_FALSE(other->syncNow());
    expectOnce(other->store(), {first, second}, {late});
    expectOnce(mac->store(), {first, second}, {late});
    auto fresh = device("fresh");
    ASSERT_FALSE(fresh->syncNow());
    expectOnce(fresh->store(), {first, second}, {late});
}

} // namespace
} // namespace synctest
