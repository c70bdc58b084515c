#pragma once

#include "DynamicColour.h"

#include <QList>
#include <QString>

// The named design colours every screen draws with, each with its light and dark value.
namespace Theme::Colour {

inline constexpr DynamicColour brand{0x0070EB, 0x004493};
inline constexpr DynamicColour onBrand{0xFFFFFF, 0xFFFFFF}; // plain white in both
inline constexpr DynamicColour primary{0x0058BC, 0xADC6FF};
inline constexpr DynamicColour onPrimary{0xFFFFFF, 0x001A41};
inline constexpr DynamicColour accent{0xC64F00, 0xC64F00};
inline constexpr DynamicColour onAccent{0xFFFFFF, 0xFFFFFF}; // plain white in both
inline constexpr DynamicColour accentBold{0xC64F00, 0xD75600};
inline constexpr DynamicColour background{0xFAF9FE, 0x121318};
inline constexpr DynamicColour card{0xFFFFFF, 0x1E1F24};
inline constexpr DynamicColour cardMuted{0xF4F3F8, 0x1A1B1F};
inline constexpr DynamicColour chip{0xE9E7ED, 0x2F3034};
inline constexpr DynamicColour onSurface{0x1A1B1F, 0xE3E2E7};
inline constexpr DynamicColour onSurfaceVariant{0x414755, 0xC1C6D7};
inline constexpr DynamicColour outlineVariant{0xC1C6D7, 0x414755};
inline constexpr DynamicColour error{0xBA1A1A, 0xFFB4AB};
inline constexpr DynamicColour outline{0x717786, 0x8B91A1};
inline constexpr DynamicColour sidebarSurface{0xEFEDF4, 0x1A1B21};
inline constexpr DynamicColour listsPageSurface{0xEFEDF4, 0x121318};
inline constexpr DynamicColour inputField{0xF4F3F8, 0x2F3034};

struct Named {
    QString name;
    DynamicColour colour;
};
// Every colour above with its name, in the order declared; for swatches and tests.
const QList<Named>& all();

} // namespace Theme::Colour
