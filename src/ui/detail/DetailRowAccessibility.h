#pragma once

// What a screen reader finds in a list's items: the items view as a list whose children are its
// rows, each with its spoken label and hint, a press action (an item opens, the completed header
// folds) and, on a list that may be changed, named actions for everything the item's tick, menu
// and swipe offer ("Tick", "Star", "Delete").
namespace DetailRowAccessibility {

// Registers the accessibility factory for the items view; repeated calls do nothing.
void install();

} // namespace DetailRowAccessibility
