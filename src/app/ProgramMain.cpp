#include "ProgramMain.h"

#include "CloudSetup.h"
#include "QuitOnSignal.h"
#include "TallybirdApp.h"
#include "WindowChannel.h"
#include "cloud/CloudDevice.h"
#include "intents/CommandLine.h"
#include "intents/OpenListIntent.h"
#include "intents/RequestChannel.h"
#include "intents/RequestClient.h"
#include "platform/AppPaths.h"
#include "platform/BundleInfo.h"
#include "store/StoreLocation.h"
#include "ui/theme/Theme.h"
#include "ui/window/MainWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QMessageBox>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace ProgramMain {

namespace {

// Long enough for a crowd of requests to come through one after another.
constexpr int storeWaitMs = 60'000;
// Someone who starts the window hears why it cannot open well before that.
constexpr int windowStoreWaitMs = 10'000;
// How long quitting lets a sync pass under way go on before the program ends without it.
constexpr int quitGraceMs = 100;

QString noDisplayMessage() {
    return QStringLiteral(
        "Tallybird needs a display to open its window, and none was found. Without one, "
        "start it under a virtual X server: xvfb-run tallybird");
}

// A program already holds the store: the request goes to it and this launch ends. Absent when
// none answers.
std::optional<int> handOver(const QString& serverName,
                            const std::optional<QString>& requestedListID) {
    if (!RequestClient::programAnswers(serverName))
        return std::nullopt;
    if (requestedListID) {
        const IntentRequest open{IntentKind::openList, *requestedListID, {}, std::nullopt};
        const RequestClient::Result sent =
            RequestClient::send(serverName, open, QDeadlineTimer(storeWaitMs));
        if (sent.reach != RequestClient::Result::Reach::answered) {
            QTextStream(stderr) << (sent.reach == RequestClient::Result::Reach::busy
                                        ? RequestRoute::busyAnswer()
                                        : RequestRoute::lostAnswer())
                                << "\n";
            return CommandLine::failed;
        }
        if (sent.outcome.kind == IntentOutcome::Kind::failed) {
            QTextStream(stderr) << printableText(sent.outcome.text) << "\n";
            return CommandLine::failed;
        }
        return CommandLine::ok;
    }
    if (!WindowChannel::askToRaise(WindowChannel::name(serverName))) {
        QTextStream(stderr) << "Tallybird is running but did not bring its window forward.\n";
        return CommandLine::failed;
    }
    return CommandLine::ok;
}

// Runs until the window closes, the Quit command, SIGTERM or SIGINT.
int runWindow(Defaults& defaults, const CloudSetup& cloud, const QString& serverName,
              const std::optional<QString>& requestedListID, const Hooks& hooks) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QTextStream(stderr) << noDisplayMessage() << "\n";
        return CommandLine::failed;
    }
    if (const std::optional<int> handed = handOver(serverName, requestedListID))
        return *handed;
    // From before the store is held and the sockets listen, a signal quits cleanly.
    QuitOnSignal::install();
    auto program = std::make_unique<TallybirdApp>(defaults, cloud);
    QString error;
    if (!program->start(serverName, windowStoreWaitMs, &error)) {
        // Another launch may have won the store meanwhile; then it is the one to show.
        if (const std::optional<int> handed = handOver(serverName, requestedListID))
            return *handed;
        QTextStream(stderr) << error << "\n";
        // Started from a launcher there is no terminal to read the message: show it, unless
        // nobody can see a window either.
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QMessageBox::critical(nullptr, QStringLiteral("Tallybird"), error);
        return CommandLine::failed;
    }
    // A signal that came while the program started found no event loop to quit: it ends
    // here as it would from the loop.
    int code = 0;
    if (!QuitOnSignal::received()) {
        if (requestedListID)
            OpenListIntent::perform(*requestedListID, defaults);
        Theme::applyToApplication();
        program->showWindow();
        if (hooks.windowShown)
            hooks.windowShown(*program->window());
        if (!QuitOnSignal::received())
            code = QCoreApplication::exec();
    }
    // Once every request is answered and the last change saved, a sync pass under way is not
    // waited for: the cloud gets the rest next time.
    const bool finished = program->finishBackgroundWork(quitGraceMs);
    program.reset(); // the store is let go here
    if (!finished) {
        // A sync worker is still busy and would keep the process from ever ending.
        QTextStream(stderr) << "Tallybird quit during a sync; the rest is sent next time.\n";
        std::fflush(stderr);
        std::_Exit(code);
    }
    return code;
}

// The window needs a QApplication, which needs a display; every other request does with less,
// so that the command line works without one.
bool mayOpenWindow(const CommandLineOptions& options) {
    return options.error.isEmpty() && !options.help && !options.version &&
           (options.command.isEmpty() || options.command == QLatin1String("open"));
}

} // namespace

bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int run(int argc, char* argv[], const Hooks& hooks) {
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<QCoreApplication> app;
    if (mayOpenWindow(CommandLine::parse(rawArguments)) && displayAvailable())
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tallybird"));
    const QString version = BundleInfo::main().shortVersion.value_or(QStringLiteral("—"));
    QCoreApplication::setApplicationVersion(version);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tallybird"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tallybird"));

    const CommandLineOptions options = CommandLine::parse(QCoreApplication::arguments());
    if (options.error.isEmpty() && options.help) {
        QTextStream(stdout) << options.helpText;
        return CommandLine::ok;
    }
    if (options.error.isEmpty() && options.version) {
        QTextStream(stdout) << "tallybird " << version << "\n";
        return CommandLine::ok;
    }
    if (options.profile)
        AppPaths::setProfile(*options.profile);
    // The settings file is shared with every other Tallybird process of this profile.
    Defaults::setStandard(std::make_shared<FileDefaults>(
        QDir(AppPaths::configDir()).filePath(QStringLiteral("defaults.json"))));
    Defaults& defaults = Defaults::standard();

    // Every store of this process syncs through one container, this profile being the device;
    // both the command line's own store and the program's store use it.
    const CloudSetup cloud(options.cloud.value_or(cloud::CloudDevice::defaultContainerPath()));
    const IntentFrame::SyncStep sync = cloud.syncStep();
    const QString serverName = RequestChannel::serverName();

    TerminalConsole console;
    CommandLineEnvironment environment{
        console,
        defaults,
        RequestRoute::Settings{
            SharedStore::source(), serverName, sync, storeWaitMs, RequestRoute::Notice(),
            [&](const RequestRoute::Notice& notice) {
                cloud.catchUp(SharedStore::source(), defaults, serverName, storeWaitMs, notice);
            },
            QString()},
        [&](const std::optional<QString>& requestedListID) {
            return runWindow(defaults, cloud, serverName, requestedListID, hooks);
        },
    };
    return CommandLine::execute(options, environment);
}

} // namespace ProgramMain
