#pragma once

#include <QList>
#include <QString>

// The window's menu bar: the menus, their commands in order, each command's title, shortcut
// and whether it can be chosen now. The program menu follows the usual order of a desktop
// program: About, then the update check, then settings, then quitting. There is no command that
// opens a second window.
namespace WindowMenus {

enum class Command { about, checkForUpdates, settings, quit, toggleSidebar };

struct Entry {
    Command command;
    QString title;    // shown as it is: no mnemonic marks
    QString shortcut; // in portable key-sequence text ("Ctrl+,"); empty: none
    bool enabled = true;
    bool separatorBefore = false;
};

struct Menu {
    QString title;
    QList<Entry> entries;
};

// What the commands depend on.
struct State {
    bool canCheckForUpdates = false;
    bool sidebarVisible = true;
};

QList<Menu> menus(const State& state);

// The program's name: the program menu's title, and the window's name for a screen reader.
QString programName();

// The title of "About Tallybird" (the menu item and the About box).
QString aboutTitle();

} // namespace WindowMenus
