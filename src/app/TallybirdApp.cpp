#include "TallybirdApp.h"

#include "WindowChannel.h"
#include "cloud/WorkerPool.h"
#include "lexicon/VoiceController.h"
#include "model/ListNavigation.h"
#include "platform/Clock.h"
#include "platform/FeedUpdateBackEnd.h"
#include "platform/NetworkFeedFetcher.h"
#include "ui/theme/ThemeAppearance.h"
#include "ui/window/CloudRefresher.h"
#include "ui/window/MainWindow.h"
#include "ui/window/StoreNoticeModel.h"
#include "ui/window/UpdateChecker.h"
#include "ui/window/WindowContent.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThreadPool>
#include <QTimer>

#include <utility>

namespace {
constexpr int launchFallbackMs = 500;
} // namespace

TallybirdApp::TallybirdApp(Defaults& defaults, CloudSetup cloud, QObject* parent)
    : QObject(parent), core_(defaults, std::move(cloud)), launchTask_(core_) {}

TallybirdApp::~TallybirdApp() {
    if (!finishing_)
        finishBackgroundWork();
}

bool TallybirdApp::finishBackgroundWork(int timeoutMs) {
    finishing_ = true;
    if (window_)
        window_->hide();
    if (refresher_)
        refresher_->stop();
    core_.stopSyncCoordinator();
    core_.stopServing();
    // Qt's pool, where the store's own background work runs, and the cloud's pool, where the
    // sync passes run. Work goes from the first to the second (changes taken in start a send),
    // never back: both are idle once the second is found idle after the first.
    QThreadPool* const qtPool = QThreadPool::globalInstance();
    cloud::WorkerPool& cloudPool = cloud::WorkerPool::instance();
    const QDeadlineTimer deadline(timeoutMs);
    // Posted events only: the workers' hand-overs and completions, never a timer that could
    // start another pass.
    for (;;) {
        const bool qtBusy = qtPool->activeThreadCount() > 0;
        if (!qtBusy && !cloudPool.busy())
            return true;
        if (deadline.hasExpired())
            return false;
        QCoreApplication::sendPostedEvents();
        if (qtBusy)
            qtPool->waitForDone(5);
        else
            cloudPool.waitForDone(5);
    }
}

void TallybirdApp::finishAtOnce() {
    finishing_ = true;
    core_.stopServing();
    core_.keepUnsavedChanges();
}

bool TallybirdApp::start(const QString& serverName, int storeWaitMs, QString* error) {
    if (!core_.open(storeWaitMs, error))
        return false;
    voice_ = new VoiceController(this);
    // A build without an update feed can never check; the command stays greyed out.
    updater_ = new UpdateChecker(
        std::make_shared<FeedUpdateBackEnd>(UpdateConfiguration::ofThisBuild(),
                                            std::make_shared<NetworkFeedFetcher>()),
        this);

    channel_ = new WindowChannelServer(this);
    if (!channel_->listen(WindowChannel::name(serverName))) {
        *error = QStringLiteral("Cannot listen on “%1”: %2")
                     .arg(WindowChannel::name(serverName), channel_->errorString());
        return false;
    }
    return core_.listen(serverName, error);
}

void TallybirdApp::showWindow() {
    // The stored appearance is in force before anything is built, so no frame is ever painted
    // in the other one; from now on it follows the setting and the desktop.
    ThemeAppearance::shared().start();
    // Asked from outside to open a list: the window comes to the front to show it. Heard before
    // the lists page, which takes the request at once.
    connect(&ListNavigation::shared(), &ListNavigation::requestedListIDChanged, this, [this] {
        if (window_ && ListNavigation::shared().requestedListID())
            window_->bringToFront();
    });
    window_ = std::make_unique<MainWindow>(*core_.store(), *updater_, voice_);
    MainWindow* window = window_.get();
    connect(channel_, &WindowChannelServer::raiseRequested, window, &MainWindow::bringToFront);
    // However a pass was asked for, the window's notice tells when sync could not be done.
    connect(&core_, &ProgramCore::syncPassEnded, &window->storeNotice(),
            &StoreNoticeModel::syncEnded);

    refresher_ = new CloudRefresher(
        Clock::shared(), [this] { core_.syncNow(); }, this);
    connect(refresher_, &CloudRefresher::ticked, window,
            [window] { window->content()->refreshDatedTexts(); });

    window->show();
    refresher_->start();
    // The launch task runs once the window is up, after its first frame, so that starting the
    // store's sync never holds the window back; a window that is not painted at once (shown
    // minimised) gets it a little later all the same. Activations count from then on too.
    connect(window, &MainWindow::firstFramePainted, this,
            [this] { QTimer::singleShot(0, this, &TallybirdApp::launch); });
    QTimer::singleShot(launchFallbackMs, this, &TallybirdApp::launch);
}

void TallybirdApp::launch() {
    if (!launchTask_.run())
        return;
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, refresher_,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    refresher_->activated();
            });
    // An activation before now went unheard.
    if (QGuiApplication::applicationState() == Qt::ApplicationActive)
        refresher_->activated();
}
