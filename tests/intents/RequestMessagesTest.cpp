// What a request says on standard error about its sync: what sync leaves alone in one sentence,
// not line by line, and a client library that cannot be loaded as what it is.
#include "ProcessTestSupport.h"

#include "cloud/Container.h"
#include "sync/ListCloudMapping.h"

#include <QProcessEnvironment>

namespace {

using namespace cloud;
namespace Mapping = ListCloudMapping;

class RequestMessages : public ProcessTest {
protected:
    QString cloudFor(const QString& profile) const override {
        return cloud.isEmpty() ? ProcessTest::cloudFor(profile) : cloud;
    }

    QString cloud; // the container's location, when not the test's file
};

// Two lists in the cloud whose items go by the same ids, as no device of this program makes
// them: a device takes in the items of one list and leaves the others alone.
TEST_F(RequestMessages, WhatSyncLeavesAloneIsOneSentenceOfARequest) {
    auto container = Container::openFile(cloudFile());
    ASSERT_TRUE(container.ok()) << container.error().message.toStdString();
    const QString device = QStringLiteral("elsewhere");
    std::vector<ZoneID> zones;
    std::vector<Record> records;
    for (const QString& listID : {QStringLiteral("LIST-A"), QStringLiteral("LIST-B")}) {
        zones.push_back(ZoneID{CloudLayout::listZoneName(listID), currentUserDefaultName});
        TBList list;
        list.id = listID;
        list.name = QStringLiteral("List ") + listID.back();
        records.push_back(Mapping::record(list, std::nullopt));
        for (int n = 1; n <= 22; ++n) {
            const QString itemID = QStringLiteral("ITEM-%1").arg(n);
            records.push_back(Mapping::record(
                TBItem{itemID, listID, itemID.toLower(), false, 0, false, std::nullopt, ""},
                std::nullopt, std::nullopt));
        }
    }
    ASSERT_TRUE(
        container.value()->modifyZones(device, DatabaseScope::privateScope, zones, {}).ok());
    const auto saved =
        container.value()->modifyRecords(device, DatabaseScope::privateScope, records, {});
    ASSERT_TRUE(saved.ok() && saved.value().failedRecordSaves.empty());

    // A fresh device's first request.
    const Typed lists = run({"lists"});
    EXPECT_EQ(lists.code, 0) << lists.err.toStdString();
    EXPECT_EQ(lists.out, "LIST-A\tList A\nLIST-B\tList B\n");
    EXPECT_EQ(lists.err.toStdString(), "Sync left 22 records from the cloud alone, as they name "
                                       "lists or items that this device keeps elsewhere.\n");
    // Nothing new since: nothing more to say.
    const Typed again = run({"add", "--list", "List A", "tea"});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_EQ(again.err, QString());
}

TEST_F(RequestMessages, AClientLibraryThatCannotBeLoadedIsSaidAsThatLibrary) {
    const QString missing = dir.filePath(QStringLiteral("nowhere/libpq.so.5"));
    qputenv("TALLYBIRD_LIBPQ", QFile::encodeName(missing));
    cloud = QStringLiteral("postgresql://ann@127.0.0.1:1/lists");
    const Typed lists = run({"lists"});
    qunsetenv("TALLYBIRD_LIBPQ");
    EXPECT_EQ(lists.code, 0);
    EXPECT_TRUE(lists.err.contains(
        QStringLiteral("The PostgreSQL client library (%1) could not be loaded: ").arg(missing)))
        << lists.err.toStdString();
    EXPECT_FALSE(lists.err.contains(QLatin1String("not valid"))) << lists.err.toStdString();
}

} // namespace
