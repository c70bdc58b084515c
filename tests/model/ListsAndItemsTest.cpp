#include "model/ListColour.h"
#include "model/ListUrgency.h"
#include "model/TBItem.h"
#include "model/TBList.h"
#include "platform/Clock.h"
#include "platform/JsonRead.h"

#include <gtest/gtest.h>

namespace {

constexpr double day = 86400;

TEST(ListUrgencyTest, FollowsTheShareOfTimeLeft) {
    const struct {
        const char* label;
        std::optional<double> due;
        double created, now;
        ListUrgency expected;
    } cases[] = {
        {"no due date", std::nullopt, 0, 5, ListUrgency::none},
        {"at the due instant", 10 * day, 0, 10 * day, ListUrgency::overdue},
        {"after the due instant", 10 * day, 0, 11 * day, ListUrgency::overdue},
        {"exactly 0.15 left", 100, 0, 85, ListUrgency::soon},
        {"just under 0.15 left", 100, 0, 85.001, ListUrgency::tight},
        {"exactly 0.4 left", 100, 0, 60, ListUrgency::relaxed},
        {"just under 0.4 left", 100, 0, 60.001, ListUrgency::soon},
        {"made after due, 30 minutes left", 1800, 5000, 0, ListUrgency::tight},
        {"zero span, exactly an hour left", 3600, 3600, 0, ListUrgency::soon},
        {"zero span, just under an hour left", 3600, 3600, 0.5, ListUrgency::tight},
    };
    for (const auto& c : cases) {
        const std::optional<Date> due = c.due ? std::optional(Date(*c.due)) : std::nullopt;
        EXPECT_EQ(listUrgencyOf(due, Date(c.created), Date(c.now)), c.expected) << c.label;
    }
}

TEST(ListUrgencyTest, OngoingListsHaveNoneAndTheSharedClockIsUsed) {
    TBList list;
    list.dueDate = Date(day);
    EXPECT_EQ(list.urgency(Date(2 * day)), ListUrgency::overdue);
    list.kind = TBListKind::ongoing;
    EXPECT_EQ(list.urgency(Date(2 * day)), ListUrgency::none);

    list.kind = TBListKind::oneOff;
    Clock::setShared(std::make_shared<FixedClock>(Date(0.95 * day)));
    EXPECT_EQ(list.urgency(), ListUrgency::tight);
    Clock::setShared(nullptr);
}

TEST(ListJsonTest, MissingOrNullKeysTakeDefaultsAndOnlyPresentKeysAreWritten) {
    TBList expected;
    expected.id = "L";
    expected.name = "N";
    expected.createdAt = Date(42);
    for (const char* text :
         {R"({"id":"L","name":"N"})",
          R"({"id":"L","name":"N","pinned":null,"order":null,"zoneOwnerName":null,
              "sharePermission":null,"icon":null,"kind":null,"dueDate":null,"createdAt":null,
              "completedRetentionRaw":null})"})
        EXPECT_EQ(TBList::fromJson(Json::parse(text), Date(42)), expected) << text;
    EXPECT_EQ(expected.toJson().dump(),
              R"({"id":"L","name":"N","pinned":false,"order":0.0,"hasShare":false,)"
              R"("icon":"checklist","colourID":"blue","kind":"oneOff","createdAt":42.0})");
}

TEST(ListJsonTest, FullListRoundTripsWithKeysInFieldOrder) {
    const std::string text =
        R"({"id":"L2","name":"Trip “north”","pinned":true,"order":2.5,"zoneOwnerName":"_owner",)"
        R"("sharePermission":"readOnly","hasShare":true,"icon":"cart","colourID":"teal",)"
        R"("kind":"ongoing","dueDate":123.456789,"createdAt":-5.25,"completedRetentionRaw":"50"})";
    const TBList list = TBList::fromJson(Json::parse(text), Date(0));
    EXPECT_EQ(list.toJson().dump(), text);
    EXPECT_EQ(list.sharePermission, TBSharePermission::readOnly);
    EXPECT_EQ(list.kind, TBListKind::ongoing);
    EXPECT_EQ(list.dueDate, Date(123.456789));
}

// Each text is one bad key added to a valid element, or a required key left out or mistyped.
TEST(ListJsonTest, BadElementsFail) {
    for (const std::string extra :
         {R"("pinned":1)", R"("order":true)", R"("zoneOwnerName":3)",
          R"("sharePermission":"owner")", R"("hasShare":"false")", R"("icon":[])",
          R"("colourID":{})", R"("kind":"OneOff")", R"("dueDate":"2025-01-01T00:00:00Z")",
          R"("createdAt":false)", R"("completedRetentionRaw":50)"})
        EXPECT_THROW(
            TBList::fromJson(Json::parse(R"({"id":"L","name":"N",)" + extra + "}"), Date(0)),
            DecodeError)
            << extra;
    for (const char* text : {R"([])", R"({"name":"N"})", R"({"id":"L"})", R"({"id":1,"name":"N"})"})
        EXPECT_THROW(TBList::fromJson(Json::parse(text), Date(0)), DecodeError) << text;
    // An unknown retention text stays text; it is judged where it is read.
    EXPECT_EQ(TBList::fromJson(Json::parse(R"({"id":"L","name":"N","completedRetentionRaw":"x"})"),
                               Date(0))
                  .completedRetentionRaw,
              "x");
}

TEST(ItemJsonTest, MinimalAndFullElementsAndBadOnes) {
    const TBItem minimal =
        TBItem::fromJson(Json::parse(R"({"id":"I","listID":"L","text":"milk #dairy"})"));
    EXPECT_EQ(minimal, (TBItem{"I", "L", "milk #dairy", false, 0, false, std::nullopt, ""}));
    EXPECT_EQ(minimal.toJson().dump(),
              R"({"id":"I","listID":"L","text":"milk #dairy","done":false,"order":0.0,)"
              R"("pinned":false,"notes":""})");
    const TBItem full{"I2", "L", "eggs", true, -3, true, Date(99.5), "n1\tline"};
    EXPECT_EQ(full.toJson().dump(),
              R"({"id":"I2","listID":"L","text":"eggs","done":true,"order":-3.0,"pinned":true,)"
              R"("completedAt":99.5,"notes":"n1\tline"})");
    EXPECT_EQ(TBItem::fromJson(full.toJson()), full);

    for (const std::string extra : {R"("done":0)", R"("order":false)", R"("pinned":"yes")",
                                    R"("completedAt":"now")", R"("notes":[])"})
        EXPECT_THROW(
            TBItem::fromJson(Json::parse(R"({"id":"I","listID":"L","text":"t",)" + extra + "}")),
            DecodeError)
            << extra;
    for (const char* text :
         {R"("item")", R"({"listID":"L","text":"t"})", R"({"id":"I","text":"t"})",
          R"({"id":"I","listID":"L"})", R"({"id":"I","listID":"L","text":null})"})
        EXPECT_THROW(TBItem::fromJson(Json::parse(text)), DecodeError) << text;
}

TEST(ListEditRightTest, OnlyAnotherPersonsReadOnlyListIsViewOnly) {
    struct Case {
        const char* what;
        std::optional<QString> owner;
        std::optional<TBSharePermission> permission;
        bool viewOnly;
    };
    const Case cases[] = {
        {"another person's, read-only", "_them", TBSharePermission::readOnly, true},
        {"another person's, read-write", "_them", TBSharePermission::readWrite, false},
        {"another person's, no permission known", "_them", std::nullopt, false},
        {"the user's own, whatever it holds", std::nullopt, TBSharePermission::readOnly, false},
        {"the user's own", std::nullopt, std::nullopt, false},
    };
    for (const Case& c : cases) {
        TBList list;
        list.zoneOwnerName = c.owner;
        list.sharePermission = c.permission;
        EXPECT_EQ(list.isViewOnly(), c.viewOnly) << c.what;
    }
}

TEST(ListColourTest, UnknownIdsFallBackToBlue) {
    TBList list;
    for (const char* unknown : {"Teal", "", "teal ", "mauve"}) {
        list.colourID = unknown;
        EXPECT_EQ(list.colour(), ListColour::all().front()) << unknown;
        EXPECT_EQ(list.colour().name, "Blue") << unknown;
    }
    list.colourID = "pink";
    EXPECT_EQ(list.colour().name, "Pink");
}

} // namespace
