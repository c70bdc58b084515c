#include "sync/ListCloudMapping.h"
#include "store/ListStore.h"
#include "store/RecordField.h"

#include <gtest/gtest.h>

namespace {

using namespace cloud;
namespace Mapping = ListCloudMapping;

const Date now(700'000'000);

Record listRecord(const QString& zone = "TB-L1", const QString& owner = currentUserDefaultName) {
    return Record("TB_List", RecordID{"list", ZoneID{zone, owner}});
}

TEST(ListCloudMapping, ListRecordWithOnlyANameReadsWithDefaults) {
    Record record = listRecord();
    record.set("name", QString("Groceries"));
    const auto list = Mapping::list(record, now);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->id, "L1");
    EXPECT_EQ(list->name, "Groceries");
    EXPECT_FALSE(list->pinned);
    EXPECT_EQ(list->order, 0);
    EXPECT_EQ(list->icon, "checklist");
    EXPECT_EQ(list->colourID, "blue");
    EXPECT_EQ(list->kind, TBListKind::oneOff);
    EXPECT_EQ(list->createdAt, now);
    EXPECT_FALSE(list->dueDate || list->completedRetentionRaw || list->zoneOwnerName ||
                 list->sharePermission || list->hasShare);

    const auto shared = Mapping::list(listRecord("TB-L1", "ann"), now);
    EXPECT_EQ(shared->zoneOwnerName, "ann");
}

TEST(ListCloudMapping, FlagsAndKindReadOnlyTheirExactValues) {
    struct Case {
        FieldValue value;
        bool flag;
    };
    const Case flags[] = {{qint64(1), true},
                          {qint64(0), false},
                          {qint64(2), false},
                          {1.0, false},
                          {QString("1"), false}};
    for (const Case& c : flags) {
        Record list = listRecord();
        list.set("pinned", c.value);
        EXPECT_EQ(Mapping::list(list, now)->pinned, c.flag);
        Record item("TB_Item", RecordID{"I1", ZoneID{"TB-L1"}});
        item.set("done", c.value);
        item.set("pinned", c.value);
        EXPECT_EQ(Mapping::item(item)->done, c.flag);
        EXPECT_EQ(Mapping::item(item)->pinned, c.flag);
    }
    const std::pair<QString, TBListKind> kinds[] = {{"ongoing", TBListKind::ongoing},
                                                    {"Ongoing", TBListKind::oneOff},
                                                    {"oneOff", TBListKind::oneOff},
                                                    {"weekly", TBListKind::oneOff}};
    for (const auto& [text, kind] : kinds) {
        Record record = listRecord();
        record.set("kind", text);
        EXPECT_EQ(Mapping::list(record, now)->kind, kind) << text.toStdString();
    }
}

TEST(ListCloudMapping, RecordsOutsideTheLayoutReadAsNothing) {
    Record noPrefix = listRecord("L1");
    Record otherType("TB_Other", RecordID{"list", ZoneID{"TB-L1"}});
    Record filingElsewhere("TB_ListFiling", RecordID{"L1", ZoneID{"TB-L1"}});
    filingElsewhere.set("collection", QString("Home"));
    Record emptyFiling("TB_ListFiling", RecordID{"L1", ZoneID{"TBMeta"}});
    emptyFiling.set("collection", QString());
    Record tombWithoutPrefix("TB_Tombstone", RecordID{"I1", ZoneID{"TB-L1"}});
    for (const Record& record :
         {noPrefix, otherType, filingElsewhere, emptyFiling, tombWithoutPrefix}) {
        EXPECT_FALSE(Mapping::list(record, now));
        EXPECT_FALSE(Mapping::item(record));
        EXPECT_FALSE(Mapping::filing(record));
        EXPECT_FALSE(Mapping::tombstone(record));
    }
    Record blanks("TB_ListFiling", RecordID{"L1", ZoneID{"TBMeta"}});
    blanks.set("collection", QString("  "));
    EXPECT_EQ(Mapping::filing(blanks)->second, "  ");
    Record tomb("TB_Tombstone", RecordID{"tomb-I1", ZoneID{"TB-L1"}});
    EXPECT_EQ(Mapping::tombstone(tomb)->first, "I1");
    EXPECT_EQ(Mapping::tombstone(tomb)->second, Mapping::distantPast);
}

TEST(ListCloudMapping, WritingIntoABaseKeepsItsTagAndDropsAbsentFields) {
    Record base = listRecord();
    base.setChangeTag("t7");
    base.set("dueDate", Date(1));
    base.set("completedRetention", QString("50"));
    base.set("groupName", QString("Old"));
    TBList list;
    list.id = "L1";
    list.name = "";
    list.kind = TBListKind::ongoing;
    const Record written = Mapping::record(list, base);
    EXPECT_EQ(written.changeTag(), "t7");
    EXPECT_FALSE(written.contains("dueDate") || written.contains("completedRetention") ||
                 written.contains("groupName"));
    EXPECT_EQ(written.string("name"), "");
    EXPECT_EQ(written.string("kind"), "ongoing");
    EXPECT_EQ(Mapping::list(written, now), list);

    TBItem item{"I1", "L1", "", true, 3, false, Date(5), ""};
    Record itemBase("TB_Item", RecordID{"I1", ZoneID{"TB-L1"}});
    itemBase.set("notes", QString("old"));
    const Record itemWritten = Mapping::record(item, itemBase, std::nullopt);
    EXPECT_FALSE(itemWritten.contains("notes"));
    EXPECT_EQ(itemWritten.string("text"), "");
    EXPECT_EQ(Mapping::item(itemWritten), item);

    // A new item of someone else's list lies in their zone.
    EXPECT_EQ(Mapping::record(item, std::nullopt, QString("ann")).recordID().zoneID,
              (ZoneID{"TB-L1", "ann"}));
    EXPECT_EQ(Mapping::record(item, std::nullopt, std::nullopt).recordID().zoneID,
              (ZoneID{"TB-L1", currentUserDefaultName}));
    const Record filing = Mapping::record(QString("L1"), QString("Home"), std::nullopt);
    EXPECT_EQ(Mapping::filing(filing), (std::pair<QString, QString>("L1", "Home")));
}

// Two values of every synced field, differing in each.
TBList fullList(int variant) {
    TBList list;
    list.id = "L1";
    list.name = QString("name %1").arg(variant);
    list.pinned = variant == 1;
    list.order = variant;
    list.icon = QString("icon %1").arg(variant);
    list.colourID = QString("colour %1").arg(variant);
    list.kind = variant == 1 ? TBListKind::ongoing : TBListKind::oneOff;
    list.createdAt = Date(100 + variant);
    list.dueDate = Date(200 + variant);
    list.completedRetentionRaw = QString::number(variant);
    return list;
}

TBItem fullItem(int variant) {
    return TBItem{"I1",
                  "L1",
                  QString("text %1").arg(variant),
                  variant == 1,
                  double(variant),
                  variant == 1,
                  Date(300 + variant),
                  QString("notes %1").arg(variant)};
}

QSet<QString> fieldNames(const Record& record) {
    QSet<QString> names;
    for (const auto& field : record.fields())
        names.insert(field.first);
    return names;
}

// The change marks name exactly the fields a record carries, and each row of the field tables
// compares and copies its own member and no other.
TEST(RecordFields, MarksNameTheRecordFieldsAndEachRowTouchesOnlyItsMember) {
    const QSet<QString> listNames{"name",    "pinned",    "order",
                                  "icon",    "colour",    "kind",
                                  "dueDate", "createdAt", "completedRetention"};
    const QSet<QString> itemNames{"text", "done", "order", "pinned", "completedAt", "notes"};
    EXPECT_EQ(ListStore::allListFields(), listNames);
    EXPECT_EQ(ListStore::allItemFields(), itemNames);
    EXPECT_EQ(fieldNames(Mapping::record(fullList(1), std::nullopt)), listNames);
    EXPECT_EQ(fieldNames(Mapping::record(fullItem(1), std::nullopt, std::nullopt)), itemNames);
    EXPECT_EQ(Mapping::list(Mapping::record(fullList(1), std::nullopt), now), fullList(1));
    EXPECT_EQ(Mapping::item(Mapping::record(fullItem(1), std::nullopt, std::nullopt)), fullItem(1));

    const auto check = [](const auto& table, const auto& a, const auto& b) {
        for (const auto& copied : table) {
            SCOPED_TRACE(copied.name);
            auto to = a;
            copied.copy(to, b);
            for (const auto& field : table)
                EXPECT_EQ(field.same(to, b), &field == &copied) << field.name;
        }
    };
    check(RecordFields::list, fullList(1), fullList(2));
    check(RecordFields::item, fullItem(1), fullItem(2));
}

} // namespace
