#pragma once

#include "CloudSetup.h"
#include "ProgramCore.h"
#include "ui/window/LaunchTask.h"

#include <QObject>
#include <QString>

#include <memory>

class CloudRefresher;
class MacUpdater;
class MainWindow;
class VoiceController;
class WindowChannelServer;

// The application object: it builds the program's long-lived objects in order (the store, the
// voice controller, the update checker, the sync coordinator), opens the one window, runs the
// launch task once the window is shown, and keeps the window in step with the cloud on every
// activation and every ten seconds. A later launch of the program reaches it through the window
// channel and brings the window to the front. Main thread only.
class TallybirdApp : public QObject {
    Q_OBJECT
public:
    TallybirdApp(Defaults& defaults, CloudSetup cloud, QObject* parent = nullptr);
    ~TallybirdApp() override;

    // Holds the store (waiting up to `storeWaitMs` for a short request to let it go), builds
    // the long-lived objects and listens on both sockets. False, with `error` set, when the
    // store cannot be held or a socket cannot be opened.
    bool start(const QString& serverName, int storeWaitMs, QString* error);

    // Applies the stored appearance and text scale, then shows the window; the launch task and
    // the cloud refresh start once it is shown. The application's theme is set already
    // (Theme::applyToApplication()).
    void showWindow();

    ProgramCore& core() { return core_; }
    MainWindow* window() const { return window_.get(); }
    const LaunchTask& launchTask() const { return launchTask_; }
    CloudRefresher* refresher() const { return refresher_; }

private:
    ProgramCore core_;
    LaunchTask launchTask_;
    VoiceController* voice_ = nullptr;
    MacUpdater* updater_ = nullptr;
    WindowChannelServer* channel_ = nullptr;
    CloudRefresher* refresher_ = nullptr;
    std::unique_ptr<MainWindow> window_;
};
