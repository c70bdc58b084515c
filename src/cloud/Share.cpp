#include "Share.h"

#include <array>
#include <utility>

namespace cloud {

namespace {

template <typename E, std::size_t N>
std::optional<E> fromRaw(const std::array<std::pair<E, const char*>, N>& table,
                         const QString& raw) {
    for (const auto& [value, name] : table) {
        if (raw == QLatin1String(name))
            return value;
    }
    return std::nullopt;
}

template <typename E, std::size_t N>
QString toRaw(const std::array<std::pair<E, const char*>, N>& table, E value) {
    for (const auto& [candidate, name] : table) {
        if (candidate == value)
            return QString::fromLatin1(name);
    }
    return {};
}

constexpr std::array<std::pair<ParticipantRole, const char*>, 4> roles{{
    {ParticipantRole::unknown, "unknown"},
    {ParticipantRole::owner, "owner"},
    {ParticipantRole::privateUser, "privateUser"},
    {ParticipantRole::publicUser, "publicUser"},
}};
constexpr std::array<std::pair<ParticipantPermission, const char*>, 3> permissions{{
    {ParticipantPermission::none, "none"},
    {ParticipantPermission::readOnly, "readOnly"},
    {ParticipantPermission::readWrite, "readWrite"},
}};
constexpr std::array<std::pair<ParticipantAcceptanceStatus, const char*>, 4> statuses{{
    {ParticipantAcceptanceStatus::unknown, "unknown"},
    {ParticipantAcceptanceStatus::pending, "pending"},
    {ParticipantAcceptanceStatus::accepted, "accepted"},
    {ParticipantAcceptanceStatus::removed, "removed"},
}};

} // namespace

QString rawValue(ParticipantRole role) {
    return toRaw(roles, role);
}
QString rawValue(ParticipantPermission permission) {
    return toRaw(permissions, permission);
}
QString rawValue(ParticipantAcceptanceStatus status) {
    return toRaw(statuses, status);
}

std::optional<ParticipantRole> participantRoleFromRaw(const QString& raw) {
    return fromRaw(roles, raw);
}
std::optional<ParticipantPermission> participantPermissionFromRaw(const QString& raw) {
    return fromRaw(permissions, raw);
}
std::optional<ParticipantAcceptanceStatus> acceptanceStatusFromRaw(const QString& raw) {
    return fromRaw(statuses, raw);
}

const ShareParticipant* Share::owner() const {
    for (const auto& p : participants) {
        if (p.role == ParticipantRole::owner)
            return &p;
    }
    return nullptr;
}

const ShareParticipant* Share::currentUserParticipant() const {
    return currentUserRecordName ? participant(*currentUserRecordName) : nullptr;
}

const ShareParticipant* Share::participant(const QString& userRecordName) const {
    for (const auto& p : participants) {
        if (p.userIdentity.userRecordName == userRecordName)
            return &p;
    }
    return nullptr;
}

} // namespace cloud
