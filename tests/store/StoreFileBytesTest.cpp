// Reading a store file while giving its bytes back, and the loads that need them again after.
#include "StoreTestSupport.h"

#include "store/StoreFileBytes.h"
#include "store/UnreadableCopies.h"

#include <QTemporaryFile>

namespace {

// A file of `bytes`, opened for reading.
std::unique_ptr<QTemporaryFile> fileOf(const QByteArray& bytes) {
    auto file = std::make_unique<QTemporaryFile>();
    if (!file->open() || file->write(bytes) != bytes.size() || !file->seek(0))
        return nullptr;
    return file;
}

// A store of `count` items in one list, each item's text long enough that the items alone
// take several release steps of the file.
Json largeStore(int count) {
    Json items = Json::array();
    for (int i = 0; i < count; ++i) {
        TBItem item;
        item.id = QString("ITEM-%1").arg(i, 6, 10, QChar('0'));
        item.listID = "L1";
        item.text = QString("Item %1 ").arg(i) + QString(200, QChar('x'));
        items.push_back(item.toJson());
    }
    return Json{{"lists", Json::array({Json{{"id", "L1"}, {"name", "One"}}})}, {"items", items}};
}

QByteArray dumped(const Json& document) {
    return QByteArray::fromStdString(document.dump());
}

} // namespace

TEST(StoreFileBytes, ReadsTheWholeFileAndGivesBackOnlyWholePagesBehind) {
    QByteArray content(3 * StoreFileBytes::releaseStep + 12345, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char('a' + i % 26);
    const auto file = fileOf(content);
    ASSERT_TRUE(file);
    std::optional<StoreFileBytes> bytes = StoreFileBytes::read(*file, 64);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->view(), content);
    EXPECT_EQ(bytes->capacity(), content.size() + 64);

    // Less than a step behind: nothing goes.
    bytes->releaseBefore(bytes->data() + StoreFileBytes::releaseStep / 2);
    EXPECT_EQ(bytes->releasedSize(), 0);

    const qsizetype position = 2 * StoreFileBytes::releaseStep + 100;
    bytes->releaseBefore(bytes->data() + position);
    EXPECT_GE(bytes->releasedSize(), StoreFileBytes::releaseStep);
    EXPECT_LE(bytes->releasedSize(), position);
    // What is given back reads as zeros; from the page of the position on, all is there.
    EXPECT_EQ(bytes->data()[0], '\0');
    const qsizetype kept = bytes->releasedSize();
    EXPECT_EQ(QByteArray(bytes->data() + kept, content.size() - kept), content.mid(kept));

    // A position outside the bytes, or behind what went, changes nothing.
    bytes->releaseBefore(bytes->data() + content.size() + 4096);
    bytes->releaseBefore(bytes->data());
    EXPECT_EQ(bytes->releasedSize(), kept);
}

TEST(StoreFileBytes, ReadsAnEmptyFileAndOneLongerThanItsSizeSaid) {
    const auto empty = fileOf(QByteArray());
    ASSERT_TRUE(empty);
    const std::optional<StoreFileBytes> none = StoreFileBytes::read(*empty, 64);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->size(), 0);
    EXPECT_EQ(none->capacity(), 64);

    // The system's own files say they are empty and are not: read on to their end.
    QFile said("/proc/version");
    ASSERT_TRUE(said.open(QIODevice::ReadOnly));
    ASSERT_EQ(said.size(), 0);
    const std::optional<StoreFileBytes> grown = StoreFileBytes::read(said, 64);
    ASSERT_TRUE(grown);
    QFile again("/proc/version");
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(grown->view(), again.readAll());
    EXPECT_GT(grown->size(), 0);
    EXPECT_EQ(grown->capacity(), grown->size() + 64);
}

TEST(StoreFileBytes, DecodingGivesTheBytesBackAndReadsWhatTheInPlaceReadingReads) {
    Json document = largeStore(20'000);
    document["version"] = 3;
    document["dirtyLists"] = Json::object();
    document["dirtyItems"] = Json{{"ITEM-000007", {"text"}}};
    Json archives = Json::object();
    for (int i = 0; i < 20'000; i += 3)
        archives[QString("I#ITEM-%1").arg(i, 6, 10, QChar('0')).toStdString()] = "AAEC/w==";
    document["archivedRecords"] = archives;
    const QByteArray text = dumped(document);
    const auto file = fileOf(text);
    ASSERT_TRUE(file);
    std::optional<StoreFileBytes> bytes = StoreFileBytes::read(*file, DiskV2::readingRoom);
    ASSERT_TRUE(bytes);

    const DiskV2 released = DiskV2::decode(*bytes, Date(0));
    EXPECT_GT(bytes->releasedSize(), text.size() / 2);
    const DiskV2 inPlace = DiskV2::decode(text, Date(0));
    EXPECT_EQ(released.items, inPlace.items);
    EXPECT_EQ(released.items.size(), 20'000);
    EXPECT_EQ(released.dirtyItems, inPlace.dirtyItems);
    EXPECT_EQ(released.archivedRecords, inPlace.archivedRecords);
    EXPECT_EQ(released.archivedRecords.size(), 6667);
}

// The loads that read the file a second time: bytes given back by the first reading must not
// show through in what they read.
TEST_F(StoreTest, LargeFilesThatNeedASecondReadingAreReadWhole) {
    Json firstLayout = largeStore(20'000);

    Json noFilings = largeStore(20'000);
    noFilings["lists"][0]["groupName"] = "Home";
    noFilings["version"] = 3;
    noFilings["dirtyLists"] = Json::object();
    noFilings["dirtyItems"] = Json::object();
    noFilings["archivedRecords"] = Json::object();

    struct Case {
        const char* what;
        QByteArray bytes;
        qsizetype items;
        bool copiedAside;
        QMap<QString, QString> filings;
    };
    const QByteArray cutShort = dumped(noFilings).chopped(1);
    const Case cases[] = {
        {"the first layout is upgraded", dumped(firstLayout), 20'000, true, {}},
        {"group names move off the list entries",
         dumped(noFilings),
         20'000,
         false,
         {{"L1", "Home"}}},
        {"a file cut short is refused", cutShort, 0, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_GT(c.bytes.size(), 8 * StoreFileBytes::releaseStep);
        for (const QString& copy : UnreadableCopies::copies(path()))
            QFile::remove(copy);
        writeFile(c.bytes);
        auto store = open();
        EXPECT_EQ(store->allItems().size(), c.items);
        if (c.items > 0) {
            EXPECT_EQ(store->allItems().last().text, "Item 19999 " + QString(200, QChar('x')));
        }
        EXPECT_EQ(store->filings(), c.filings);
        ASSERT_EQ(store->unreadableCopy().has_value(), c.copiedAside);
        if (c.copiedAside) {
            QFile copy(*store->unreadableCopy());
            ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
            EXPECT_EQ(copy.readAll(), c.bytes);
        }
        store.reset();
    }
}
