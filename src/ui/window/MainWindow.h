#pragma once

#include "ui/window/WindowMenus.h"

#include <QMainWindow>
#include <QMap>

class ListDetailModel;
class ListStore;
class UpdateChecker;
class QAction;
class QToolBar;
class StoreNoticeModel;
class VoiceController;
class WindowContent;
class WindowNavigation;
class WindowPlaceKeeper;
class WindowSheets;
struct UpdateCheckResult;

// The program's one window: the menus, the toolbar with the text-size buttons and the content
// (the lists beside the open list), and the sheets its screens ask for (WindowSheets). It opens
// where it was left, with its split where it was, fitted to the screens (WindowPlaceKeeper), else
// at its default size, and cannot be made smaller than its content's minimum. A new text scale
// rebuilds the content with every font at the new size; the open list stays open.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(ListStore& store, UpdateChecker& updater, VoiceController* voice = nullptr,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    WindowContent* content() const { return content_; }
    WindowNavigation& navigation() const { return *navigation_; }
    // The sheets the window shows for its screens; a sheet added later shows its controls.
    WindowSheets& sheets() const { return *sheets_; }
    QToolBar* toolbar() const { return toolbar_; }
    QAction* action(WindowMenus::Command command) const { return actions_.value(command); }
    // The notice above the content, for whoever else learns of trouble (a sync pass's owner).
    StoreNoticeModel& storeNotice() const { return *storeNotice_; }

    // Shows the window in front of the others, restoring it when it was minimised.
    void bringToFront();

signals:
    // Once, when the window has been painted for the first time.
    void firstFramePainted();

protected:
    bool event(QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void refreshCommands();
    void refreshTextScaleButtons();
    void rebuildContent();
    void run(WindowMenus::Command command);
    void showUpdateOutcome(const UpdateCheckResult& result);
    void showAbout();

    ListStore& store_;
    UpdateChecker& updater_;
    VoiceController* voice_;
    WindowNavigation* navigation_;
    WindowSheets* sheets_;
    ListDetailModel* listScreen_; // the open list's screen, kept over rebuilds of the content
    StoreNoticeModel* storeNotice_;
    WindowContent* content_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QMap<WindowMenus::Command, QAction*> actions_;
    QList<QAction*> textScaleActions_; // smaller, bigger
    WindowPlaceKeeper* place_;
    bool painted_ = false;
};
