#pragma once

#include "ui/theme/DynamicColour.h"

class QWidget;

// Pictures of the keyboard focus. Only a control of the active window has the focus, and a
// window has one focused control at a time.
namespace KeyboardFocus {

// Gives `control` the focus as Tab does, making its window the active one first. The control's
// window must be shown.
void give(QWidget* control);

// Makes `window` (a sheet just shown) the active window, as the window manager does when the
// program presents it, and leaves the focus where the window puts it as it becomes active.
void opened(QWidget* window);

// A picture of `content` with the focus on `control` (the content itself when none), taken in a
// window of its own on the `ground` colour, for boards that show many focused controls side by
// side. The content goes with the window once the picture is taken.
QWidget* picture(QWidget* content, DynamicColour ground, QWidget* control = nullptr);

} // namespace KeyboardFocus
