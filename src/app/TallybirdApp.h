#pragma once

#include "CloudSetup.h"
#include "ProgramCore.h"
#include "ui/sound/SoundEffectPlayer.h"
#include "ui/window/LaunchTask.h"

#include <QObject>
#include <QString>

#include <memory>

class CloudRefresher;
class UpdateChecker;
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
    // Lets a sync pass that is under way finish first, unless finishBackgroundWork() was
    // called already.
    ~TallybirdApp() override;

    // Sync passes run on worker threads that hand each event to the main thread and wait for
    // it to be taken. Once the event loop has stopped nobody takes them, and quitting would
    // wait for those workers for ever, holding the store. This hides the window, stops what
    // starts new passes, answers every request taken (ProgramCore::stopServing()) and serves
    // the workers until they are done, for at most `timeoutMs`.
    // True when none is left; otherwise the process should end without waiting for them
    // (every change is in the store file already; the cloud gets the rest next time).
    bool finishBackgroundWork(int timeoutMs = 5'000);
    // For a process that must end at once, from wherever it is (AbruptExit): takes no more
    // requests, answers those taken, writes every change made so far or keeps it aside
    // (ProgramCore::keepUnsavedChanges()). Tears nothing down and waits for no sync pass.
    void finishAtOnce();

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
    void launch();

    // The window's sounds; Qt's sound objects go with this object, before the application's.
    SoundEffectPlayer::Installation sounds_;
    ProgramCore core_;
    LaunchTask launchTask_;
    VoiceController* voice_ = nullptr;
    UpdateChecker* updater_ = nullptr;
    WindowChannelServer* channel_ = nullptr;
    CloudRefresher* refresher_ = nullptr;
    std::unique_ptr<MainWindow> window_;
    bool finishing_ = false;
};
