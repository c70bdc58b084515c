#pragma once

#include <functional>

// The microphone button. This build has no voice capture, so the button draws nothing, takes no
// space and never runs its action.
struct VoiceMicButton {
    bool isListening = false;
    std::function<void()> action;

    bool isShown() const { return false; }
};
