#pragma once

// What a screen reader finds in the circles screens' card lists: the list view as a list whose
// children are its cards, each read by its label ("Household, 2 people"), with a press action
// where the card opens something and its one named action ("Delete Household", "Remove Ann"),
// the same action the swipe and the context menu offer.
namespace PeopleCardAccessibility {

// Registers the accessibility factory for PeopleCardList; repeated calls do nothing.
void install();

} // namespace PeopleCardAccessibility
