#include "ChangeSets.h"

namespace cloud {

QString rawValue(ZoneDeletionReason reason) {
    switch (reason) {
    case ZoneDeletionReason::deleted:
        return QStringLiteral("deleted");
    case ZoneDeletionReason::left:
        return QStringLiteral("left");
    case ZoneDeletionReason::accessRevoked:
        return QStringLiteral("accessRevoked");
    }
    return {};
}

std::optional<ZoneDeletionReason> zoneDeletionReasonFromRaw(const QString& raw) {
    for (auto reason : {ZoneDeletionReason::deleted, ZoneDeletionReason::left,
                        ZoneDeletionReason::accessRevoked}) {
        if (rawValue(reason) == raw)
            return reason;
    }
    return std::nullopt;
}

} // namespace cloud
