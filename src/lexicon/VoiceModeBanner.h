#pragma once

#include "lexicon/VoiceMode.h"

#include <functional>

// The banner that shows the voice mode. This build has no voice capture, so the banner draws
// nothing, takes no space and never runs its action.
struct VoiceModeBanner {
    VoiceMode mode;
    std::function<void()> action;

    bool isShown() const { return false; }
};
