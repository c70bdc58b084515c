#pragma once

#include "ui/theme/Theme.h"

// Sets the text scale for one test and puts back the standard one after it: the scale is the
// whole program's, and fonts take it when they are built.
struct TextScaleGuard {
    explicit TextScaleGuard(double factor) { Theme::setTextScaleFactor(factor); }
    ~TextScaleGuard() { Theme::setTextScaleFactor(1.0); }
    TextScaleGuard(const TextScaleGuard&) = delete;
    TextScaleGuard& operator=(const TextScaleGuard&) = delete;
};
