#pragma once

class ListStore;
class WindowSheets;

// The sheets this build of the program has, registered with the window: one line each.
void addStandardSheets(WindowSheets& sheets, ListStore& store);
