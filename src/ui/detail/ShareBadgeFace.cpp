// The people badge's symbol, count and spoken sentence.
#include "ShareBadgeFace.h"

#include <algorithm>

ShareBadgeFace ShareBadgeFace::make(int participantCount, bool isShared, bool countKnown,
                                    bool canManage) {
    ShareBadgeFace face;
    face.symbol = isShared ? QStringLiteral("person.2.fill") : QStringLiteral("person.badge.plus");
    face.countText = QStringLiteral("+%1").arg(std::max(participantCount, 1));
    const bool known = countKnown && participantCount >= 1;
    face.count = known ? Count::shown : canManage ? Count::hiddenKeepingWidth : Count::absent;
    const QString people =
        QStringLiteral("%1 %2")
            .arg(participantCount)
            .arg(participantCount == 1 ? QStringLiteral("person") : QStringLiteral("people"));
    if (known)
        face.accessibilityText = QStringLiteral("Shared with ") + people +
                                 (canManage ? QStringLiteral(". Manage sharing") : QString());
    else if (canManage)
        face.accessibilityText =
            isShared ? QStringLiteral("Shared. Manage sharing") : QStringLiteral("Share this list");
    else
        face.accessibilityText = QStringLiteral("Shared");
    return face;
}
