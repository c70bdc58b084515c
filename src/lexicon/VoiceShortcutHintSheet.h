#pragma once

#include <functional>

// The sheet that would suggest voice shortcuts. This build has none to suggest, so the sheet
// dismisses itself with "not now" as soon as it is shown; "dismiss for good" is never called.
struct VoiceShortcutHintSheet {
    std::function<void()> onDismissForGood;
    std::function<void()> onNotNow;

    // Called by the presenting screen when the sheet appears.
    void shown() const {
        if (onNotNow) {
            onNotNow();
        }
    }
};
