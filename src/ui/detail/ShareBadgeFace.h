#pragma once

#include <QString>

// What the people badge of a list's toolbar shows and says, from its four inputs.
struct ShareBadgeFace {
    enum class Count { shown, hiddenKeepingWidth, absent };

    QString symbol;    // "person.2.fill" or "person.badge.plus"
    QString countText; // "+3": the larger of the count and 1
    Count count = Count::absent;
    QString accessibilityText;

    bool operator==(const ShareBadgeFace&) const = default;

    static ShareBadgeFace make(int participantCount, bool isShared, bool countKnown,
                               bool canManage);
};
