#pragma once

#include "AccessibleSpec.h"

#include <QAccessible>
#include <QList>

class QWidget;

// The one mapping from an AccessibleSpec to Qt's accessibility: label to the accessible name,
// hint to the description, value to the value text, traits to role and state (selected,
// invisible for hidden, checkable and checked for a toggle), named actions to the action
// interface. Main thread only.
//
// The desktop's accessibility bus (AT-SPI) has no value text for an element that is not a range,
// and Qt hands the value on nowhere, so a spec's value is also said in the description, ahead of
// the hint: a screen reader there speaks the name, the role, then "value. hint".
namespace Accessibility {

// Gives a widget its spec, replacing an earlier one. Text inputs keep Qt's own interface (it
// carries their text) and take only the label and hint.
void apply(QWidget* widget, const AccessibleSpec& spec);
// Shorthand: a decorative widget that is not announced.
void hide(QWidget* widget);
// The spec given to a widget, or none.
const AccessibleSpec* specOf(const QWidget* widget);

// A container given a spec is found with exactly these widgets as its children, in this order,
// each with the container as its parent: the widgets between (a scroll area's viewport, the
// strip inside it) are passed over. Children without a spec of their own keep Qt's parent.
void setChildren(QWidget* container, const QList<QWidget*>& children);

// What a spec says, for elements that are no widget (a control painted inside a row).
QAccessible::Role roleOf(const AccessibleSpec& spec);
QAccessible::State stateOf(const AccessibleSpec& spec);
QString descriptionOf(const AccessibleSpec& spec); // the value and the hint, as said above

} // namespace Accessibility
