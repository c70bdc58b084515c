#pragma once

#include <QPalette>

// The appearance and text scale the screens are painted in now. Main thread only.
//
// Colours are resolved when painted (DynamicColour::resolved()), so setDark() only needs every
// widget repainted, which it does. Fonts are sized when a widget is built, so a new text scale
// shows in widgets built after setTextScaleFactor(): the window rebuilds its content for it.
namespace Theme {

bool isDark();
// Switches the appearance and repaints every widget; the application palette follows.
void setDark(bool dark);

// The factor of the current text scale (0.85 to 1.5); 1.0 until the window sets it.
double textScaleFactor();
void setTextScaleFactor(double factor);

// A palette from the design colours, for the few stock Qt widgets (scroll bars, menus, text
// selection) that paint from a palette.
QPalette palette(bool dark);

// Sets the style, the body font and the palette of the running QApplication; call once after
// creating it. Also registers the brand and symbol fonts.
void applyToApplication();

} // namespace Theme
