#include "cloud/SyncEngineState.h"

#include <gtest/gtest.h>

using namespace cloud;

namespace {

RecordID rid(const char* name) {
    return RecordID{QString::fromLatin1(name), ZoneID{QStringLiteral("Z")}};
}

} // namespace

TEST(SyncEngineStateTest, PendingChangesKeepFirstOrderWithoutDuplicates) {
    SyncEngineState state;
    state.add({PendingRecordZoneChange::saveRecord(rid("a")),
               PendingRecordZoneChange::saveRecord(rid("b")),
               PendingRecordZoneChange::saveRecord(rid("a")),
               PendingRecordZoneChange::deleteRecord(rid("a"))});
    state.add({PendingDatabaseChange::saveZone(ZoneID{QStringLiteral("Z")}),
               PendingDatabaseChange::saveZone(ZoneID{QStringLiteral("Z")})});
    const std::vector<PendingRecordZoneChange> expected{
        PendingRecordZoneChange::saveRecord(rid("a")),
        PendingRecordZoneChange::saveRecord(rid("b")),
        PendingRecordZoneChange::deleteRecord(rid("a"))};
    EXPECT_EQ(state.pendingRecordZoneChanges(), expected);
    EXPECT_EQ(state.pendingDatabaseChanges().size(), 1u);

    state.remove({PendingRecordZoneChange::saveRecord(rid("a"))});
    EXPECT_EQ(state.pendingRecordZoneChanges().front(),
              PendingRecordZoneChange::saveRecord(rid("b")));
}

TEST(SyncEngineStateTest, AChangeRenewedWhileSendingStaysPending) {
    SyncEngineState state;
    const auto change = PendingRecordZoneChange::saveRecord(rid("a"));
    state.add({change});
    const auto version = state.versionedRecordZoneChanges().front().second;
    state.add({change}); // edited again while the first version was on its way
    state.removeIfUnchanged(change, version);
    EXPECT_EQ(state.pendingRecordZoneChanges().size(), 1u);
    state.removeIfUnchanged(change, state.versionedRecordZoneChanges().front().second);
    EXPECT_TRUE(state.pendingRecordZoneChanges().empty());
}

TEST(SyncEngineStateTest, SerializationRestoresAccountTokensAndChanges) {
    SyncEngineState state;
    state.setAccount(QStringLiteral("ann"));
    state.setDatabaseToken(QStringLiteral("d:1"));
    state.setZoneToken(ZoneID{QStringLiteral("Z"), QStringLiteral("bob")}, QStringLiteral("z:9"));
    state.add({PendingDatabaseChange::deleteZone(ZoneID{QStringLiteral("Old")})});
    state.add({PendingRecordZoneChange::deleteRecord(rid("x")),
               PendingRecordZoneChange::saveRecord(rid("y"))});

    auto data = state.serialization().data();
    auto parsed = StateSerialization::fromData(data);
    ASSERT_TRUE(parsed);
    SyncEngineState restored(parsed);
    EXPECT_EQ(restored.account(), QStringLiteral("ann"));
    EXPECT_EQ(restored.databaseToken(), QStringLiteral("d:1"));
    EXPECT_EQ(restored.zoneToken(ZoneID{QStringLiteral("Z"), QStringLiteral("bob")}),
              QStringLiteral("z:9"));
    EXPECT_EQ(restored.pendingDatabaseChanges(), state.pendingDatabaseChanges());
    EXPECT_EQ(restored.pendingRecordZoneChanges(), state.pendingRecordZoneChanges());
    EXPECT_EQ(restored.serialization().data(), data);
}

TEST(SyncEngineStateTest, CorruptSerializationsAreRefused) {
    const char* inputs[] = {
        "",
        "{",
        "[]",
        "{\"version\":2,\"zoneTokens\":[],\"pendingDatabaseChanges\":[],"
        "\"pendingRecordZoneChanges\":[]}",
        "{\"version\":true,\"zoneTokens\":[],\"pendingDatabaseChanges\":[],"
        "\"pendingRecordZoneChanges\":[]}",
        "{\"version\":1,\"zoneTokens\":[],\"pendingDatabaseChanges\":[]}",
        "{\"version\":1,\"account\":5,\"zoneTokens\":[],\"pendingDatabaseChanges\":[],"
        "\"pendingRecordZoneChanges\":[]}",
        "{\"version\":1,\"zoneTokens\":[{\"zone\":\"Z\"}],\"pendingDatabaseChanges\":[],"
        "\"pendingRecordZoneChanges\":[]}",
        "{\"version\":1,\"zoneTokens\":[],\"pendingDatabaseChanges\":[{\"change\":\"renameZone\","
        "\"zone\":\"Z\",\"owner\":\"o\"}],\"pendingRecordZoneChanges\":[]}",
        "{\"version\":1,\"zoneTokens\":[],\"pendingDatabaseChanges\":[],"
        "\"pendingRecordZoneChanges\":[{\"change\":\"saveRecord\",\"zone\":\"Z\",\"owner\":\"o\"}]"
        "}",
    };
    for (const char* input : inputs) {
        EXPECT_FALSE(StateSerialization::fromData(QByteArray(input))) << input;
    }
    const QByteArray good = SyncEngineState().serialization().data();
    ASSERT_TRUE(StateSerialization::fromData(good));
    EXPECT_FALSE(StateSerialization::fromData(good + '\0' + "junk"));
}
