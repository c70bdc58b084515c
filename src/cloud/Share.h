#pragma once

#include "platform/PersonNameFormatter.h"

#include <QString>

#include <optional>
#include <vector>

namespace cloud {

enum class ParticipantRole { unknown, owner, privateUser, publicUser };
enum class ParticipantPermission { none, readOnly, readWrite };
enum class ParticipantAcceptanceStatus { unknown, pending, accepted, removed };

QString rawValue(ParticipantRole role);
QString rawValue(ParticipantPermission permission);
QString rawValue(ParticipantAcceptanceStatus status);
std::optional<ParticipantRole> participantRoleFromRaw(const QString& raw);
std::optional<ParticipantPermission> participantPermissionFromRaw(const QString& raw);
std::optional<ParticipantAcceptanceStatus> acceptanceStatusFromRaw(const QString& raw);

// A person as the container knows them: their user record name and, when they gave one, their
// name.
struct UserIdentity {
    QString userRecordName;
    std::optional<PersonNameComponents> nameComponents;
    bool operator==(const UserIdentity&) const = default;
};

struct ShareParticipant {
    UserIdentity userIdentity;
    ParticipantRole role = ParticipantRole::unknown;
    ParticipantPermission permission = ParticipantPermission::none;
    ParticipantAcceptanceStatus acceptanceStatus = ParticipantAcceptanceStatus::unknown;
    bool operator==(const ShareParticipant&) const = default;
};

// The sharing part of a zone-wide share record: who takes part, and which of them is the user
// who fetched it (filled in by the container on the way out).
struct Share {
    std::vector<ShareParticipant> participants;
    std::optional<QString> currentUserRecordName;

    const ShareParticipant* owner() const;
    const ShareParticipant* currentUserParticipant() const;
    const ShareParticipant* participant(const QString& userRecordName) const;

    bool operator==(const Share&) const = default;
};

} // namespace cloud
