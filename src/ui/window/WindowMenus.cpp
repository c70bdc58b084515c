#include "ui/window/WindowMenus.h"

namespace WindowMenus {

QList<Menu> menus(const State& state) {
    const QString ellipsis = QStringLiteral("\u2026");
    Menu program{
        programName(),
        {
            {Command::about, QStringLiteral("About Tallybird"), {}, true, false},
            {Command::checkForUpdates,
             QStringLiteral("Check for Updates") + ellipsis,
             {},
             state.canCheckForUpdates,
             false},
            {Command::settings, QStringLiteral("Settings") + ellipsis, QStringLiteral("Ctrl+,"),
             true, true},
            {Command::quit, QStringLiteral("Quit Tallybird"), QStringLiteral("Ctrl+Q"), true, true},
        }};
    Menu view{
        QStringLiteral("View"),
        {
            {Command::toggleSidebar,
             state.sidebarVisible ? QStringLiteral("Hide Sidebar") : QStringLiteral("Show Sidebar"),
             QStringLiteral("Ctrl+Alt+S"), true, false},
        }};
    return {program, view};
}

QString programName() {
    return QStringLiteral("Tallybird");
}

QString aboutTitle() {
    return QStringLiteral("About Tallybird");
}

} // namespace WindowMenus
