#pragma once

// What a screen reader finds on the lists page: the list view as a list whose children are its
// rows, each with the row's spoken label and hint, its state (open group, open list), a press
// action (open the list, fold the group) and named actions for everything its menu and swipe
// buttons offer ("Rename…", "Pin", "Delete", "Edit group", "Ungroup lists").
namespace PageRowAccessibility {

// Registers the accessibility factory for the lists page's list view; repeated calls do
// nothing.
void install();

} // namespace PageRowAccessibility
