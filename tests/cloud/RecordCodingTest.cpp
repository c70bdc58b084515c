#include "cloud/RecordCoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace cloud;

namespace {

Record sample() {
    Record record(QStringLiteral("TB_Item"),
                  RecordID{QStringLiteral("item-1"), ZoneID{QStringLiteral("TB-L1")}});
    record.setChangeTag(QStringLiteral("t42"));
    record.set(QStringLiteral("text"), QStringLiteral("Milk “2%” 🥛"));
    record.set(QStringLiteral("done"), qint64(1));
    record.set(QStringLiteral("big"), std::numeric_limits<qint64>::max());
    record.set(QStringLiteral("order"), 3.0); // a whole double stays a double
    record.set(QStringLiteral("completedAt"), Date(765432.125));
    return record;
}

} // namespace

TEST(RecordTest, TypedReadsGiveOnlyTheirOwnKind) {
    const Record record = sample();
    EXPECT_EQ(record.integer(QStringLiteral("done")), 1);
    EXPECT_FALSE(record.doubleValue(QStringLiteral("done")));
    EXPECT_FALSE(record.string(QStringLiteral("done")));
    EXPECT_EQ(record.doubleValue(QStringLiteral("order")), 3.0);
    EXPECT_FALSE(record.integer(QStringLiteral("order")));
    EXPECT_FALSE(record.doubleValue(QStringLiteral("completedAt")));
    EXPECT_EQ(record.date(QStringLiteral("completedAt")), Date(765432.125));
    EXPECT_FALSE(record.string(QStringLiteral("missing")));
}

TEST(RecordTest, SetReplacesInPlaceAndRemoveDrops) {
    Record record = sample();
    record.set(QStringLiteral("text"), qint64(7));
    EXPECT_EQ(record.fields().front().first, QStringLiteral("text"));
    EXPECT_FALSE(record.string(QStringLiteral("text")));
    record.remove(QStringLiteral("text"));
    record.remove(QStringLiteral("never"));
    EXPECT_FALSE(record.contains(QStringLiteral("text")));
    EXPECT_EQ(record.fields().size(), 4u);
}

TEST(RecordCodingTest, RoundTripKeepsEveryFieldKindAndTheTag) {
    const Record record = sample();
    auto decoded = RecordCoding::decode(RecordCoding::encode(record));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, record);
    EXPECT_EQ(decoded->doubleValue(QStringLiteral("order")), 3.0);
}

TEST(RecordCodingTest, NonFiniteDoublesSurvive) {
    Record record(QStringLiteral("T"), RecordID{QStringLiteral("r"), ZoneID{QStringLiteral("z")}});
    record.set(QStringLiteral("nan"), std::numeric_limits<double>::quiet_NaN());
    record.set(QStringLiteral("inf"), -std::numeric_limits<double>::infinity());
    auto decoded = RecordCoding::decode(RecordCoding::encode(record));
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(std::isnan(*decoded->doubleValue(QStringLiteral("nan"))));
    EXPECT_EQ(decoded->doubleValue(QStringLiteral("inf")),
              -std::numeric_limits<double>::infinity());
}

TEST(RecordCodingTest, ShareParticipantsAndCurrentUserRoundTrip) {
    Record share = Record::zoneWideShare(ZoneID{QStringLiteral("TB-L1"), QStringLiteral("ann")});
    ASSERT_TRUE(share.isShare());
    PersonNameComponents names;
    names.givenName = QStringLiteral("Ann");
    names.familyName = QStringLiteral("Lee");
    share.share()->participants = {
        {UserIdentity{QStringLiteral("ann"), names}, ParticipantRole::owner,
         ParticipantPermission::readWrite, ParticipantAcceptanceStatus::accepted},
        {UserIdentity{QStringLiteral("bob"), std::nullopt}, ParticipantRole::privateUser,
         ParticipantPermission::readOnly, ParticipantAcceptanceStatus::pending}};
    share.share()->currentUserRecordName = QStringLiteral("bob");

    auto decoded = RecordCoding::decode(RecordCoding::encode(share));
    ASSERT_TRUE(decoded && decoded->share());
    EXPECT_EQ(*decoded, share);
    EXPECT_EQ(decoded->share()->owner()->userIdentity.nameComponents->givenName,
              QStringLiteral("Ann"));
    EXPECT_EQ(decoded->share()->currentUserParticipant()->permission,
              ParticipantPermission::readOnly);
}

TEST(RecordCodingTest, BadInputIsNoRecord) {
    const char* inputs[] = {
        "",
        "not json",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{",
        "[]",
        "null",
        "{}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\"}",
        "{\"type\":1,\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{}}",
        "{\"type\":\"\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{}}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":[]}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"changeTag\":5,\"fields\":{"
        "}}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{\"a\":1}}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{\"a\":{\"int\":"
        "1.5}}}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{\"a\":{\"int\":"
        "true}}}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{\"a\":{\"int\":"
        "18446744073709551615}}}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{\"a\":{\"text\":"
        "1}}}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{\"a\":{\"date\":"
        "\"x\"}}}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{\"a\":{\"text\":"
        "\"x\",\"int\":1}}}",
        "{\"type\":\"T\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{},\"share\":{"
        "\"participants\":[]}}",
        "{\"type\":\"~share\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{},"
        "\"share\":{\"participants\":[{\"user\":\"a\",\"role\":\"boss\",\"permission\":\"none\","
        "\"acceptance\":\"unknown\"}]}}",
        "{\"type\":\"~share\",\"name\":\"r\",\"zone\":\"z\",\"owner\":\"o\",\"fields\":{},"
        "\"share\":{\"participants\":{}}}",
    };
    for (const char* input : inputs)
        EXPECT_FALSE(RecordCoding::decode(QByteArray(input))) << input;
    // A good archive with a raw NUL and more after it is no record either.
    const QByteArray good = RecordCoding::encode(sample());
    ASSERT_TRUE(RecordCoding::decode(good));
    EXPECT_FALSE(RecordCoding::decode(good + '\0' + "{}"));
}

TEST(RecordCodingTest, TruncationsOfAGoodArchiveNeverCrash) {
    const QByteArray good = RecordCoding::encode(sample());
    for (qsizetype length = 0; length < good.size(); ++length)
        EXPECT_FALSE(RecordCoding::decode(good.left(length))) << length;
}
