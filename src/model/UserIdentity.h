#pragma once

#include "platform/JsonFwd.h"

#include <QString>

#include <map>
#include <set>

// The cloud user record names this device has seen, and the one last seen in each database
// scope ("private", "shared", "migrated").
struct UserIdentity {
    std::set<QString> knownRecordNames;
    std::map<QString, QString> byScope;

    bool operator==(const UserIdentity&) const = default;

    // One line for the technical details of the settings, e.g.
    // "private: _abc · shared: _def".
    QString report() const;

    // knownRecordNames is written sorted so the file does not change from run to run.
    Json toJson() const;
    static UserIdentity fromJson(const Json& element); // throws DecodeError
};
