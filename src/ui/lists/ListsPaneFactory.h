#pragma once

#include <QString>

#include <optional>

class ListStore;
class ListsPane;
class QWidget;
class VoiceController;

// The lists page as the window builds it: its screen model on the program's settings, clock,
// shared open-list requests and settings sheet, in the user's locale and time zone, owned by
// the page. `openList` is the list the window has open already (it stays open when the window
// rebuilds its content).
ListsPane* makeListsPane(ListStore& store, const std::optional<QString>& openList,
                         VoiceController* voice = nullptr, QWidget* parent = nullptr);
