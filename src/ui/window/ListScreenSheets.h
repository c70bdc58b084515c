#pragma once

#include "ui/detail/ListDetailModel.h"

#include <QObject>
#include <QSet>

class QWidget;
class WindowSheets;

// Shows the sheets the list screen asks for through its state (the list editor, the tag order,
// its message alert) with the window's WindowSheets, and tells the screen when each has closed.
// The screen offers only the sheets the window has. An opened item is no sheet: the window's
// detail column shows its editor (WindowContent). Main thread only.
class ListScreenSheets : public QObject {
    Q_OBJECT
public:
    // `host` is the widget whose window shows the sheets.
    ListScreenSheets(ListDetailModel& screen, WindowSheets& sheets, QWidget* host,
                     QObject* parent = nullptr);

private:
    void follow();
    void ask(ListDetailModel::Sheet sheet, bool wanted);
    void askForMessage();

    ListDetailModel& screen_;
    WindowSheets& sheets_;
    QWidget* host_;
    QSet<ListDetailModel::Sheet> asked_; // handed to the window and not closed yet
    bool askedForMessage_ = false;
};
