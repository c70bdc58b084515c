// The cloud the account-change tests run on: a container file, where a device is signed into a
// person, or a PostgreSQL server, where each person connects as a role of their own; and the
// way a device of a person gets in, or meets another person.
#pragma once

#include "SyncTestSupport.h"

#include "support/PostgresTestServer.h"

#include <map>

namespace synctest {

class AccountChangeFixture : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ensureApplication();
        if (onServer())
            TALLYBIRD_REQUIRE_POSTGRES();
    }

    bool onServer() const { return GetParam(); }
    // An empty container file, or an empty container on the server, for each case.
    void freshCloud() {
        roles.clear();
        server.reset();
        file.reset();
        if (onServer()) {
            server = std::make_unique<testsupport::PostgresTestDatabase>();
            ASSERT_TRUE(server->ok()) << server->error().toStdString();
        } else {
            file = cloud::Container::openFile(dir.filePath(QString("cloud-%1.sqlite").arg(++made)))
                       .value();
        }
    }
    cloud::Container& admin() { return onServer() ? *server->admin() : *file; }

    // The way in of a device of `person`: on the file the device is signed into them, on the
    // server it connects as their role.
    std::shared_ptr<cloud::Container> reach(const QString& deviceID, const QString& person) {
        if (!onServer()) {
            file->createUser(person, std::nullopt); // refused when they are there already
            EXPECT_FALSE(file->signIn(deviceID, person));
            return file;
        }
        std::shared_ptr<cloud::Container>& role = roles[person];
        if (!role) {
            server->addPerson(person);
            role = cloud::Container::openServer(server->uri(person)).value();
        }
        return role;
    }
    std::unique_ptr<Device> deviceOf(const QString& id, const QString& person) {
        return std::make_unique<Device>(reach(id, person), id);
    }
    // Signs a running device into another person: on the file it notices at its next sync,
    // on the server it connects again as their role.
    void signInto(Device& device, const QString& person) {
        std::shared_ptr<cloud::Container> container = reach(device.id(), person);
        if (onServer())
            device.moveTo(container);
    }

    // The names of the records of one zone, and of the zones one person holds.
    QStringList recordNames(const QString& person, const QString& zone) {
        const auto records = admin().records(person, zone);
        EXPECT_TRUE(records.ok());
        QStringList names;
        for (const cloud::Record& record :
             records.ok() ? records.value() : std::vector<cloud::Record>{})
            names.append(record.recordID().recordName);
        return sorted(names);
    }
    QStringList zoneNames(const QString& person) {
        const auto zones = admin().zones();
        EXPECT_TRUE(zones.ok());
        QStringList names;
        for (const auto& zone :
             zones.ok() ? zones.value() : std::vector<cloud::Container::ZoneSummary>{})
            if (zone.zone.owner == person)
                names.append(zone.zone.name);
        return sorted(names);
    }

    static QStringList sorted(QStringList texts) {
        texts.sort();
        return texts;
    }
    static QStringList listIDs(const ListStore& store) {
        QStringList ids;
        for (const TBList& list : store.lists())
            ids.append(list.id);
        return sorted(ids);
    }
    static QStringList itemIDs(const ListStore& store) {
        QStringList ids;
        for (const TBItem& item : store.allItems())
            ids.append(item.id);
        return sorted(ids);
    }

    QTemporaryDir dir;
    int made = 0;
    std::shared_ptr<cloud::Container> file;
    std::unique_ptr<testsupport::PostgresTestDatabase> server;
    std::map<QString, std::shared_ptr<cloud::Container>> roles;
};

} // namespace synctest
