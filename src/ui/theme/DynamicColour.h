#pragma once

#include <QColor>
#include <QtGlobal>

// A design colour with one opaque 24-bit value (0xRRGGBB) for the light appearance and one for
// the dark. It is kept as the pair and turned into a QColor only when something is painted, so a
// switch of appearance shows on the next paint without rebuilding any widget.
struct DynamicColour {
    quint32 light = 0;
    quint32 dark = 0;

    constexpr quint32 value(bool isDark) const { return isDark ? dark : light; }
    // The opaque sRGB colour for an appearance.
    QColor in(bool isDark) const;
    // The colour for the appearance being painted now (Theme::isDark()).
    QColor resolved() const;

    constexpr bool operator==(const DynamicColour&) const = default;
};
