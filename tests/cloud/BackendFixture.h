#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace cloudtest {

// Runs each test on every storage: in memory, a SQLite file and a PostgreSQL server.
class BackendTest : public ::testing::TestWithParam<Storage> {
protected:
    void SetUp() override {
        ensureApplication();
        if (GetParam() == Storage::postgres)
            TALLYBIRD_REQUIRE_POSTGRES();
        backend = std::make_unique<Backend>(GetParam());
        ASSERT_TRUE(backend->container);
        c = backend->container;
    }
    bool onServer() const { return GetParam() == Storage::postgres; }
    // The container as a device reaches it (see Backend::forDevice).
    std::shared_ptr<Container> on(const QString& deviceID) { return backend->forDevice(deviceID); }

    struct Device {
        std::unique_ptr<RecordingDelegate> delegate;
        std::unique_ptr<SyncEngine> engine;
        RecordingDelegate& d() { return *delegate; }
        SyncEngine& e() { return *engine; }
    };

    Device device(const QString& id, DatabaseScope scope = DatabaseScope::privateScope,
                  int batchSize = 400, std::optional<StateSerialization> state = std::nullopt) {
        Device made{std::make_unique<RecordingDelegate>(), nullptr};
        made.engine = std::make_unique<SyncEngine>(SyncEngine::Configuration{
            Database(on(id), id, scope), std::move(state), made.delegate.get(), false, batchSize});
        return made;
    }

    // Users ann and bob, with ann's device owning zone "TB-1" holding one record.
    void shareSetUp(ParticipantPermission permission) {
        ASSERT_FALSE(c->createUser(QStringLiteral("ann"), std::nullopt));
        ASSERT_FALSE(c->createUser(QStringLiteral("bob"), std::nullopt));
        ASSERT_FALSE(c->signIn(QStringLiteral("annLaptop"), QStringLiteral("ann")));
        ASSERT_FALSE(c->signIn(QStringLiteral("bobLaptop"), QStringLiteral("bob")));
        ann = device(QStringLiteral("annLaptop"));
        queueSaves(
            ann.e(), ann.d(),
            {note(QStringLiteral("r1"), zone(QStringLiteral("TB-1")), QStringLiteral("hello"))});
        ASSERT_FALSE(send(ann.e()));
        ASSERT_FALSE(c->shareZone(QStringLiteral("ann"), QStringLiteral("TB-1"),
                                  QStringLiteral("bob"), permission));
        ASSERT_FALSE(
            c->acceptShare(QStringLiteral("ann"), QStringLiteral("TB-1"), QStringLiteral("bob")));
        bob = device(QStringLiteral("bobLaptop"), DatabaseScope::sharedScope);
    }

    std::unique_ptr<Backend> backend;
    std::shared_ptr<Container> c;
    Device ann;
    Device bob;
};

// The storages every contract test runs on.
inline const auto everyStorage =
    ::testing::Values(Storage::memory, Storage::sqlite, Storage::postgres);

inline std::string backendName(const ::testing::TestParamInfo<Storage>& info) {
    switch (info.param) {
    case Storage::memory:
        return "memory";
    case Storage::sqlite:
        return "sqlite";
    case Storage::postgres:
        break;
    }
    return "postgres";
}

} // namespace cloudtest
