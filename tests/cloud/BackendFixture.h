#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace cloudtest {

// Runs each test once on the in-memory container and once on a SQLite file.
class BackendTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ensureApplication();
        backend = std::make_unique<Backend>(GetParam());
        ASSERT_TRUE(backend->container);
        c = backend->container;
    }

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
            Database(c, id, scope), std::move(state), made.delegate.get(), false, batchSize});
        return made;
    }

    // Users ann and bob, with ann's device owning zone "TB-1" holding one record.
    void shareSetUp(ParticipantPermission permission) {
        ASSERT_FALSE(c->createUser(QStringLiteral("ann"), std::nullopt));
        ASSERT_FALSE(c->createUser(QStringLiteral("bob"), std::nullopt));
        ASSERT_FALSE(c->signIn(QStringLiteral("annMac"), QStringLiteral("ann")));
        ASSERT_FALSE(c->signIn(QStringLiteral("bobMac"), QStringLiteral("bob")));
        ann = device(QStringLiteral("annMac"));
        queueSaves(
            ann.e(), ann.d(),
            {note(QStringLiteral("r1"), zone(QStringLiteral("TB-1")), QStringLiteral("hello"))});
        ASSERT_FALSE(send(ann.e()));
        ASSERT_FALSE(c->shareZone(QStringLiteral("ann"), QStringLiteral("TB-1"),
                                  QStringLiteral("bob"), permission));
        ASSERT_FALSE(
            c->acceptShare(QStringLiteral("ann"), QStringLiteral("TB-1"), QStringLiteral("bob")));
        bob = device(QStringLiteral("bobMac"), DatabaseScope::sharedScope);
    }

    std::unique_ptr<Backend> backend;
    std::shared_ptr<Container> c;
    Device ann;
    Device bob;
};

inline std::string backendName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "sqlite" : "memory";
}

} // namespace cloudtest
