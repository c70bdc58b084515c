#pragma once

#include <QString>

namespace cloud {

// The owner name that stands for "whoever is signed in" in the private database. The container
// replaces it with the real user; records fetched from the private database carry it back.
inline const QString currentUserDefaultName = QStringLiteral("~current-user");

// A record zone, named by its owner.
struct ZoneID {
    QString zoneName;
    QString ownerName = currentUserDefaultName;

    bool operator<(const ZoneID& o) const {
        return zoneName != o.zoneName ? zoneName < o.zoneName : ownerName < o.ownerName;
    }
    bool operator==(const ZoneID&) const = default;
};

// A zone as the database changes carry it.
struct Zone {
    ZoneID zoneID;
    bool operator==(const Zone&) const = default;
};

} // namespace cloud
