#pragma once

class ListStore;
class VoiceController;
class WindowNavigation;
class WindowSheets;

// The sheets this build of the program has, registered with the window: one line each. A list
// made in a sheet becomes the window's open list through `navigation`. `voice` may be null (no
// voice settings then).
void addStandardSheets(WindowSheets& sheets, ListStore& store, WindowNavigation& navigation,
                       VoiceController* voice = nullptr);
