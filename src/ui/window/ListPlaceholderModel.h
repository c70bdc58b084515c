#pragma once

#include <QString>

#include <functional>

// The detail column while no list is open: it says so, points to the lists on the left and
// offers a new list, inline and with the round add button in the corner. It keeps no state and
// changes nothing itself: every action goes back to whoever shows it. (Voice is not available
// on this build, so the voice button of the other corner is left out.)
struct ListPlaceholderModel {
    std::function<void()> onNewList;

    static QString title() { return QStringLiteral("No list open"); }
    static QString message() {
        return QStringLiteral("Choose a list on the left, or start a new one.");
    }
    static QString symbol() { return QStringLiteral("sidebar.left"); }
    static QString actionTitle() { return QStringLiteral("New list"); }
    static QString addButtonLabel() { return QStringLiteral("New list"); }
    // The window shows no list name while nothing is open.
    static QString windowTitle() { return QString(); }
};
