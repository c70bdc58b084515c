// A token the container does not know (one of another container, or beyond what this one has
// seen, as when an older copy is put back): the changes are every zone, the container says the
// token expired, and the engine fetches every zone whole and tells its owner, zones or none.
#include "BackendFixture.h"

using namespace cloudtest;

namespace {

class TokenExpiryTest : public BackendTest {};

const ZoneID aListZone = zone(QStringLiteral("TB-L"));

TEST_P(TokenExpiryTest, TheContainerSaysWhichTokensItNoLongerKnows) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), aListZone, QStringLiteral("x"))});
    ASSERT_FALSE(send(mac.e()));
    const auto now = on("mac")->fetchDatabaseChanges("mac", DatabaseScope::privateScope, {});
    ASSERT_TRUE(now.ok());
    const QString current = now.value().token;
    QString beyond = current.section(QLatin1Char(':'), 0, -2) + QStringLiteral(":99999999");
    struct Case {
        const char* what;
        std::optional<QString> token;
        bool expired;
        size_t zones;
    };
    const Case cases[] = {
        {"no token: a first fetch", std::nullopt, false, 1},
        {"the current token", current, false, 0},
        {"a token of another container", QStringLiteral("d:another:1"), true, 1},
        {"a token beyond what this container has seen", beyond, true, 1},
        {"no token at all", QStringLiteral("garbage"), true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto changes =
            on("mac")->fetchDatabaseChanges("mac", DatabaseScope::privateScope, c.token);
        ASSERT_TRUE(changes.ok());
        EXPECT_EQ(changes.value().tokenExpired, c.expired);
        EXPECT_EQ(changes.value().modifications.size(), c.zones);
        EXPECT_TRUE(changes.value().deletions.empty());
    }
}

TEST_P(TokenExpiryTest, TheEngineTellsOfItEvenWithNoZoneAndFetchesEveryZoneWhole) {
    auto mac = device(QStringLiteral("mac"));
    queueSaves(mac.e(), mac.d(), {note(QStringLiteral("a"), aListZone, QStringLiteral("x"))});
    ASSERT_FALSE(send(mac.e()));
    ASSERT_FALSE(fetch(mac.e()));
    const StateSerialization synced = mac.e().state().serialization();

    struct Case {
        const char* what;
        bool emptyContainer; // the device's state meets a container made anew
        size_t records;      // fetched
    };
    const Case cases[] = {{"a container that holds the zone", false, 1},
                          {"a container made anew, empty", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The state as saved, with the database's token no longer one the container knows;
        // the zone's token is still a good one of this container.
        QByteArray data = synced.data();
        data.replace(mac.e().state().databaseToken()->toUtf8(), "d:another:1");
        auto state = StateSerialization::fromData(data);
        ASSERT_TRUE(state);
        std::unique_ptr<Backend> fresh;
        std::shared_ptr<Container> reaches = on("mac");
        if (c.emptyContainer) {
            fresh = std::make_unique<Backend>(GetParam());
            reaches = fresh->forDevice("mac");
        }
        RecordingDelegate delegate;
        SyncEngine again(
            {Database(reaches, "mac", DatabaseScope::privateScope), state, &delegate, false, 400});
        ASSERT_FALSE(fetch(again));
        const auto told = delegate.eventsOf<SyncEvents::FetchedDatabaseChanges>();
        ASSERT_EQ(told.size(), 1u);
        EXPECT_TRUE(told[0].tokenExpired);
        EXPECT_EQ(delegate.fetchedRecords().size(), c.records);

        // Once fetched again, the token is known and nothing more is told.
        delegate.events.clear();
        ASSERT_FALSE(fetch(again));
        EXPECT_TRUE(delegate.eventsOf<SyncEvents::FetchedDatabaseChanges>().empty());
    }
}

// A device whose state names tokens the database no longer knows (a server restarted after a
// crash), perhaps in a fetch a pass left under way: every zone comes whole once, each fetch
// within its deadline, one process after another, and then only what changed comes.
TEST_P(TokenExpiryTest, AfterAnExpiredTokenEveryZoneComesWholeOnceThenOnlyWhatChanged) {
    auto mac = device(QStringLiteral("mac"));
    std::vector<Record> made;
    for (int z = 0; z < 4; ++z)
        made.push_back(note(QStringLiteral("r%1").arg(z), zone(QStringLiteral("TB-%1").arg(z)),
                            QStringLiteral("x")));
    queueSaves(mac.e(), mac.d(), made);
    ASSERT_FALSE(send(mac.e()));
    auto laptop = device(QStringLiteral("laptop"));
    ASSERT_FALSE(fetch(laptop.e()));
    const StateSerialization synced = laptop.e().state().serialization();

    struct Case {
        const char* what;
        bool underWay;  // a fetch left under way, its zones still to fetch
        bool outOfTime; // every fetch is out of time once it has fetched a zone
    };
    const Case cases[] = {
        {"the database's token", false, false},
        {"a fetch left under way", true, false},
        {"a fetch left under way, each fetch out of time", true, true},
        {"the database's token, each fetch out of time", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SyncEngineState before(synced);
        before.setDatabaseToken(QStringLiteral("d:another:1"));
        if (c.underWay)
            before.setFetchUnderWay(SyncEngineState::FetchUnderWay{QStringLiteral("d:another:2"),
                                                                   {zone(QStringLiteral("TB-3"))}});
        std::optional<StateSerialization> saved = before.serialization();

        // Each fetch is the next process's, from the state the last one saved.
        size_t told = 0;
        size_t ended = 0;
        std::vector<QString> fetched;
        const auto pass = [&](bool outOfTime) {
            RecordingDelegate delegate;
            SyncEngine engine({Database(on("laptop"), "laptop", DatabaseScope::privateScope), saved,
                               &delegate, false, 400});
            if (outOfTime)
                engine.setFetchDeadline(QDeadlineTimer(0));
            const auto error = fetch(engine);
            saved = delegate.saved;
            for (const auto& event : delegate.eventsOf<SyncEvents::FetchedDatabaseChanges>())
                told += event.tokenExpired ? 1 : 0;
            for (const auto& event : delegate.eventsOf<SyncEvents::DidFetchChanges>())
                ended += event.endedWholeAfterExpiry ? 1 : 0;
            for (const Record& record : delegate.fetchedRecords())
                fetched.push_back(record.recordID().recordName);
            return error;
        };
        int fetches = 1;
        for (auto error = pass(c.outOfTime); error && fetches < 20; error = pass(c.outOfTime)) {
            ASSERT_TRUE(SyncEngine::isFetchCutShort(*error)) << error->message.toStdString();
            ++fetches;
        }
        EXPECT_EQ(fetches, c.outOfTime ? 4 : 1) << "a zone a fetch when out of time";
        std::sort(fetched.begin(), fetched.end());
        EXPECT_EQ(fetched, (std::vector<QString>{"r0", "r1", "r2", "r3"}));
        EXPECT_EQ(told, 1u);
        EXPECT_EQ(ended, 1u) << "the fetch that fetched the last zone tells it came whole";

        // Then only what changed comes, and nothing more is told.
        for (int round = 0; round < 2; ++round) {
            told = ended = 0;
            fetched.clear();
            ASSERT_FALSE(pass(false));
            EXPECT_TRUE(fetched.empty()) << fetched.size() << " records fetched again";
            EXPECT_EQ(told + ended, 0u);
        }
    }
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Backends, TokenExpiryTest, everyStorage, backendName);
