// The contrast ratio of two colours as WCAG defines it, for tests of what the screens paint.
#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

namespace Contrast {

// The relative luminance of an opaque colour (sRGB, 0 for black to 1 for white).
inline double luminance(const QColor& colour) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) +
           0.0722 * linear(colour.blue());
}

// From 1 (the same) to 21 (black on white), whichever colour is lighter.
inline double ratio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace Contrast
