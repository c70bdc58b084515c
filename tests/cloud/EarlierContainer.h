#pragma once

#include "cloud/PostgresConnection.h"
#include "cloud/PostgresSchema.h"
#include "support/PostgresTestServer.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace cloudtest {

// A container made by an earlier version (2 or 3), with people let in as that version did: a
// user row, and these rights for their role. Its administrator has not opened it since.
inline void makeEarlierContainer(testsupport::PostgresTestDatabase& db, int version,
                                 const QStringList& people) {
    {
        cloud::PostgresConnection connection(db.adminUri(), 10'000);
        connection.open();
        cloud::PostgresSchema::create(connection, version);
    }
    const char* const earlierRights[] = {
        "GRANT USAGE ON SCHEMA tallybird TO %1",
        "GRANT SELECT ON tallybird.meta, tallybird.users TO %1",
        "GRANT SELECT, INSERT ON tallybird.devices, tallybird.zones, tallybird.records, "
        "tallybird.deletions, tallybird.participants, tallybird.zone_removals TO %1",
        "GRANT UPDATE (user_name, offline) ON tallybird.devices TO %1",
        "GRANT UPDATE (type, tag, data, seq) ON tallybird.records TO %1",
        "GRANT UPDATE (type, seq) ON tallybird.deletions TO %1",
        "GRANT UPDATE (role, permission, acceptance, seq) ON tallybird.participants TO %1",
    };
    for (const QString& person : people) {
        db.run(QStringLiteral("CREATE ROLE %1 LOGIN").arg(person)); // roles are the server's
        ASSERT_EQ(
            db.run(QStringLiteral("INSERT INTO tallybird.users VALUES ('%1', NULL)").arg(person)),
            QString());
        for (const char* grant : earlierRights)
            ASSERT_EQ(db.run(QString::fromLatin1(grant).arg(person)), QString());
    }
}

} // namespace cloudtest
