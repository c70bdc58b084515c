#include "model/ListColour.h"
#include "model/ListUrgency.h"
#include "model/TBItem.h"
#include "model/TBList.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double day = 86400;

struct UrgencyCase {
    const char* label;
    std::optional<double> due;
    double created;
    double now;
    ListUrgency expected;
};

TEST(ListUrgencyTest, FollowsTheShareOfTimeLeft) {
    const std::vector<UrgencyCase> cases = {
        {"no due date", std::nullopt, 0, 5, ListUrgency::none},
        {"6 of 10 days left", 10 * day, 0, 4 * day, ListUrgency::relaxed},
        {"3 of 10 days left", 10 * day, 0, 7 * day, ListUrgency::soon},
        {"1 of 10 days left", 10 * day, 0, 9 * day, ListUrgency::tight},
        {"at the due instant", 10 * day, 0, 10 * day, ListUrgency::overdue},
        {"after the due instant", 10 * day, 0, 11 * day, ListUrgency::overdue},
        {"exactly 0.15 left", 100, 0, 85, ListUrgency::soon},
        {"just under 0.15 left", 100, 0, 85.001, ListUrgency::tight},
        {"exactly 0.4 left", 100, 0, 60, ListUrgency::relaxed},
        {"just under 0.4 left", 100, 0, 60.001, ListUrgency::soon},
        {"made after due, 30 minutes left", 1800, 5000, 0, ListUrgency::tight},
        {"made after due, 2 hours left", 7200, 9000, 0, ListUrgency::soon},
        {"zero span, exactly an hour left", 3600, 3600, 0, ListUrgency::soon},
        {"zero span, just under an hour left", 3600, 3600, 0.5, ListUrgency::tight},
    };
    for (const UrgencyCase& c : cases) {
        const std::optional<Date> due = c.due ? std::optional(Date(*c.due)) : std::nullopt;
        EXPECT_EQ(listUrgencyOf(due, Date(c.created), Date(c.now)), c.expected) << c.label;
    }
}

TEST(ListUrgencyTest, OngoingListsHaveNoneAndTheSharedClockIsUsed) {
    TBList list;
    list.createdAt = Date(0);
    list.dueDate = Date(day);
    EXPECT_EQ(list.urgency(Date(2 * day)), ListUrgency::overdue);
    list.kind = TBListKind::ongoing;
    EXPECT_EQ(list.urgency(Date(2 * day)), ListUrgency::none);

    list.kind = TBListKind::oneOff;
    Clock::setShared(std::make_shared<FixedClock>(Date(0.95 * day)));
    EXPECT_EQ(list.urgency(), ListUrgency::tight);
    Clock::setShared(nullptr);
}

std::vector<std::string> keysOf(const Json& object) {
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it)
        keys.push_back(it.key());
    return keys;
}

TEST(ListJsonTest, MinimalElementTakesDefaultsAndWritesOnlyPresentKeys) {
    const TBList list = TBList::fromJson(Json::parse(R"({"id":"L1","name":"Food"})"), Date(42));
    TBList expected;
    expected.id = "L1";
    expected.name = "Food";
    expected.createdAt = Date(42);
    EXPECT_EQ(list, expected);
    EXPECT_EQ(keysOf(list.toJson()),
              (std::vector<std::string>{"id", "name", "pinned", "order", "hasShare", "icon",
                                        "colourID", "kind", "createdAt"}));
}

TEST(ListJsonTest, FullListRoundTripsWithKeysInFieldOrder) {
    TBList list;
    list.id = "L2";
    list.name = "Trip “north”";
    list.pinned = true;
    list.order = 2.5;
    list.zoneOwnerName = "_owner";
    list.sharePermission = TBSharePermission::readOnly;
    list.hasShare = true;
    list.icon = "cart";
    list.colourID = "teal";
    list.kind = TBListKind::ongoing;
    list.dueDate = Date(123.456789);
    list.createdAt = Date(-5.25);
    list.completedRetentionRaw = "50";

    const Json json = list.toJson();
    EXPECT_EQ(keysOf(json),
              (std::vector<std::string>{"id", "name", "pinned", "order", "zoneOwnerName",
                                        "sharePermission", "hasShare", "icon", "colourID", "kind",
                                        "dueDate", "createdAt", "completedRetentionRaw"}));
    EXPECT_EQ(json["sharePermission"], "readOnly");
    EXPECT_EQ(json["kind"], "ongoing");
    EXPECT_EQ(TBList::fromJson(Json::parse(json.dump()), Date(0)), list);

    TBList other = list;
    other.hasShare = false;
    EXPECT_NE(other, list);
}

TEST(ListJsonTest, NullReadsAsMissing) {
    const Json json = Json::parse(R"({"id":"L","name":"N","pinned":null,"order":null,
        "zoneOwnerName":null,"sharePermission":null,"icon":null,"kind":null,"dueDate":null,
        "createdAt":null,"completedRetentionRaw":null})");
    TBList expected;
    expected.id = "L";
    expected.name = "N";
    expected.createdAt = Date(7);
    EXPECT_EQ(TBList::fromJson(json, Date(7)), expected);
}

TEST(ListJsonTest, BadElementsFail) {
    const std::vector<const char*> bad = {
        R"([])",
        R"({"name":"N"})",
        R"({"id":"L"})",
        R"({"id":null,"name":"N"})",
        R"({"id":1,"name":"N"})",
        R"({"id":"L","name":"N","pinned":1})",
        R"({"id":"L","name":"N","order":true})",
        R"({"id":"L","name":"N","order":"1"})",
        R"({"id":"L","name":"N","zoneOwnerName":3})",
        R"({"id":"L","name":"N","sharePermission":"owner"})",
        R"({"id":"L","name":"N","sharePermission":0})",
        R"({"id":"L","name":"N","hasShare":"false"})",
        R"({"id":"L","name":"N","icon":[]})",
        R"({"id":"L","name":"N","colourID":{}})",
        R"({"id":"L","name":"N","kind":"weekly"})",
        R"({"id":"L","name":"N","kind":"OneOff"})",
        R"({"id":"L","name":"N","dueDate":"2025-01-01T00:00:00Z"})",
        R"({"id":"L","name":"N","createdAt":false})",
        R"({"id":"L","name":"N","completedRetentionRaw":50})",
    };
    for (const char* text : bad)
        EXPECT_THROW(TBList::fromJson(Json::parse(text), Date(0)), DecodeError) << text;
    // An unknown retention text stays text; it is judged where it is read.
    EXPECT_EQ(TBList::fromJson(Json::parse(R"({"id":"L","name":"N","completedRetentionRaw":"x"})"),
                               Date(0))
                  .completedRetentionRaw,
              "x");
}

TEST(ItemJsonTest, MinimalAndFullElements) {
    const TBItem minimal =
        TBItem::fromJson(Json::parse(R"({"id":"I","listID":"L","text":"milk #dairy"})"));
    EXPECT_EQ(minimal, (TBItem{"I", "L", "milk #dairy", false, 0, false, std::nullopt, ""}));
    EXPECT_EQ(minimal.toJson().dump(),
              R"({"id":"I","listID":"L","text":"milk #dairy","done":false,"order":0.0,)"
              R"("pinned":false,"notes":""})");

    const TBItem full{"I2", "L", "eggs", true, -3, true, Date(99.5), "n1\tline"};
    const Json json = full.toJson();
    EXPECT_EQ(keysOf(json), (std::vector<std::string>{"id", "listID", "text", "done", "order",
                                                      "pinned", "completedAt", "notes"}));
    EXPECT_EQ(TBItem::fromJson(Json::parse(json.dump())), full);
}

TEST(ItemJsonTest, BadElementsFail) {
    const std::vector<const char*> bad = {
        R"("item")",
        R"({"listID":"L","text":"t"})",
        R"({"id":"I","text":"t"})",
        R"({"id":"I","listID":"L"})",
        R"({"id":"I","listID":"L","text":null})",
        R"({"id":"I","listID":"L","text":"t","done":0})",
        R"({"id":"I","listID":"L","text":"t","order":false})",
        R"({"id":"I","listID":"L","text":"t","pinned":"yes"})",
        R"({"id":"I","listID":"L","text":"t","completedAt":"now"})",
        R"({"id":"I","listID":"L","text":"t","notes":[]})",
    };
    for (const char* text : bad)
        EXPECT_THROW(TBItem::fromJson(Json::parse(text)), DecodeError) << text;
}

TEST(ListColourTest, PaletteOrderAndFallback) {
    QStringList ids;
    for (const ListColour& colour : ListColour::all())
        ids.append(colour.id);
    EXPECT_EQ(ids,
              QStringList({"blue", "teal", "green", "orange", "red", "purple", "pink", "slate"}));
    EXPECT_EQ(ListColour::blue(), (ListColour{"blue", "Blue", 0x0058BC, 0x4C8DF6}));
    EXPECT_EQ(ListColour::find("slate"), (ListColour{"slate", "Slate", 0x414755, 0x8B91A1}));

    TBList list;
    for (const char* unknown : {"Teal", "", "teal ", "mauve"}) {
        list.colourID = unknown;
        EXPECT_EQ(list.colour(), ListColour::blue()) << unknown;
    }
    list.colourID = "pink";
    EXPECT_EQ(list.colour().name, "Pink");
}

} // namespace
