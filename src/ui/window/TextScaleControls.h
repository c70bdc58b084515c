#pragma once

#include "model/TextScale.h"

class Defaults;

#include <QList>
#include <QString>

// The "Smaller text" and "Bigger text" buttons: what they show, when they can be pressed and
// which scale a press stores. The window's toolbar and any screen that offers the buttons in
// its own toolbar follow the same rule.
namespace TextScaleControls {

enum class Direction { smaller, bigger };

// Where the buttons sit: the window's toolbar shows a tooltip on each; a screen's own toolbar
// does not.
enum class Form { window, screen };

struct Button {
    Direction direction;
    QString symbol;             // the symbol name of its image
    QString accessibilityLabel; // also its only text: the button shows the image
    QString toolTip;            // empty: none
    bool enabled = false;
};

// Smaller first, then bigger, as they are shown for the `current` scale.
QList<Button> buttons(TextScale current, Form form);

// The scale one step from `current`, held at the ends of the scale.
TextScale stepped(Direction direction, TextScale current);

// What a press does: stores the next scale in `defaults`, whose changed(TextScale::key) then
// tells the window to rebuild its content. A press on a disabled button stores nothing.
void press(Direction direction, Defaults& defaults);

} // namespace TextScaleControls
