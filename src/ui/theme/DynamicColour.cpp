// Turning a light/dark colour pair into the QColor of one appearance.
#include "DynamicColour.h"

#include "Theme.h"

QColor DynamicColour::in(bool isDark) const {
    const quint32 v = value(isDark);
    return QColor(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF));
}

QColor DynamicColour::resolved() const {
    return in(Theme::isDark());
}
