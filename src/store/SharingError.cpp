#include "SharingError.h"
#include "platform/PlatformWording.h"

QString errorDescription(SharingError error) {
    switch (error) {
    case SharingError::unknownList:
        return QStringLiteral("That list no longer exists.");
    case SharingError::notTheOwner:
        return QStringLiteral(
            "Only the person who created a list can change who it is shared with.");
    case SharingError::notShared:
        return QStringLiteral("That list is not shared.");
    case SharingError::notAvailableHere:
        return PlatformWording::inviteElsewhere();
    }
    return QString();
}
