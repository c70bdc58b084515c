#pragma once

class ListStore;
class WindowNavigation;
class WindowSheets;

// The sheets this build of the program has, registered with the window: one line each. A list
// made in a sheet becomes the window's open list through `navigation`.
void addStandardSheets(WindowSheets& sheets, ListStore& store, WindowNavigation& navigation);
