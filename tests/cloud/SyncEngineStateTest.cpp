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
    state.setFetchUnderWay(SyncEngineState::FetchUnderWay{
        QStringLiteral("d:2"), {ZoneID{QStringLiteral("Z"), QStringLiteral("bob")}}, true});

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
    ASSERT_TRUE(restored.fetchUnderWay());
    EXPECT_TRUE(restored.fetchUnderWay()->expired) << "the zones still to fetch come whole";
    EXPECT_EQ(restored.nextZonesToFetch(5), state.nextZonesToFetch(5));
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
        "{\"version\":1,\"zoneTokens\":[],\"pendingDatabaseChanges\":[],"
        "\"pendingRecordZoneChanges\":[],\"fetchUnderWay\":{\"token\":\"d:1\",\"zones\":[],"
        "\"expired\":1}}",
    };
    for (const char* input : inputs) {
        EXPECT_FALSE(StateSerialization::fromData(QByteArray(input))) << input;
    }
    const QByteArray good = SyncEngineState().serialization().data();
    ASSERT_TRUE(StateSerialization::fromData(good));
    EXPECT_FALSE(StateSerialization::fromData(good + '\0' + "junk"));
}

// A serialization is taken after every batch of a send: each one keeps saying what the state
// held when it was taken, in order, whatever the state does after, however long the changes
// since the last fold grow.
TEST(SyncEngineStateTest, EachSerializationKeepsThePendingChangesItWasTakenWith) {
    SyncEngineState state;
    std::vector<std::pair<StateSerialization, std::vector<PendingRecordZoneChange>>> taken;
    const auto take = [&] {
        taken.emplace_back(state.serialization(), state.pendingRecordZoneChanges());
    };
    std::vector<PendingRecordZoneChange> all;
    for (int i = 0; i < 3'000; ++i)
        all.push_back(PendingRecordZoneChange::saveRecord(rid(std::to_string(i).c_str())));
    state.add(all);
    take();
    // Sent in batches, one change renewed and one removed and added again on the way.
    for (size_t from = 0; from < 2'400; from += 400) {
        using Changes = std::vector<PendingRecordZoneChange>;
        state.remove(Changes(all.begin() + ptrdiff_t(from), all.begin() + ptrdiff_t(from + 400)));
        state.add(Changes{all[2'900], all[from]});
        state.remove(Changes{all[2'950]});
        state.add(Changes{all[2'950]});
        take();
    }
    state.resetForAccount(QStringLiteral("bob"));
    take();
    for (const auto& [serialization, pending] : taken) {
        const auto read = StateSerialization::fromData(serialization.data());
        ASSERT_TRUE(read);
        EXPECT_EQ(SyncEngineState(read).pendingRecordZoneChanges(), pending);
    }
}
