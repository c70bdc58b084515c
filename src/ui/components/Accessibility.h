#pragma once

#include "AccessibleSpec.h"

class QWidget;

// The one mapping from an AccessibleSpec to Qt's accessibility: label to the accessible name,
// hint to the description, value to the value text, traits to role and state (selected,
// invisible for hidden), named actions to the action interface. Main thread only.
namespace Accessibility {

// Gives a widget its spec, replacing an earlier one. Text inputs keep Qt's own interface (it
// carries their text) and take only the label and hint.
void apply(QWidget* widget, const AccessibleSpec& spec);
// Shorthand: a decorative widget that is not announced.
void hide(QWidget* widget);
// The spec given to a widget, or none.
const AccessibleSpec* specOf(const QWidget* widget);

} // namespace Accessibility
