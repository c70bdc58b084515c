#pragma once

#include <QString>

#include <optional>

class ListStore;
class QDialog;
class QWidget;
class WindowNavigation;

// Makes the list editor for the window's sheets: a new list when `listID` is none, else the
// list of that id as the store holds it now. None when that list is gone or may not be edited
// here (another person's list shared read-only). A list made in the editor becomes the
// window's open list through `navigation`, when one is given.
QDialog* makeListEditorSheet(ListStore& store, WindowNavigation* navigation,
                             const std::optional<QString>& listID, QWidget* parent);
