#pragma once

#include "DynamicColour.h"
#include "model/ListColour.h"
#include "model/ListUrgency.h"

#include <optional>

struct TBList;

// The colours a list is drawn in: its palette colour, the glyph colour on it, and the colour of
// its due-date urgency.
namespace ListPalette {

// A palette entry as a colour that follows the appearance.
DynamicColour colour(const ListColour& entry);
// A symbol drawn on any palette colour: white in light, 0x1A1B1F in dark.
inline constexpr DynamicColour glyph{0xFFFFFF, 0x1A1B1F};
// The palette colour of a list; blue when its colour id names no palette entry.
DynamicColour of(const TBList& list);
// Green for relaxed, orange for soon, red for tight and overdue; none for none.
std::optional<DynamicColour> urgency(ListUrgency urgency);

} // namespace ListPalette
