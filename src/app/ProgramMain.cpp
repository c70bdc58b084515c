#include "ProgramMain.h"

#include "AbruptExit.h"
#include "CloudSetup.h"
#include "QuitOnSignal.h"
#include "RequestMain.h"
#include "TallybirdApp.h"
#include "WindowChannel.h"
#include "WindowLaunch.h"
#include "intents/CommandLine.h"
#include "intents/OpenListIntent.h"
#include "intents/RequestClient.h"
#include "ui/theme/Theme.h"
#include "ui/window/MainWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTextStream>
#include <QTimer>

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
            return CommandLine::unreachable;
        }
        if (sent.outcome.kind == IntentOutcome::Kind::failed) {
            QTextStream(stderr) << printableText(sent.outcome.text) << "\n";
            return sent.outcome.exit == CommandLine::ok ? CommandLine::failed : sent.outcome.exit;
        }
        return CommandLine::ok;
    }
    if (!WindowChannel::askToRaise(WindowChannel::name(serverName))) {
        QTextStream(stderr) << "Tallybird is running but did not bring its window forward.\n";
        return CommandLine::failed;
    }
    return CommandLine::ok;
}

// Runs until the window closes, the Quit command, SIGTERM, SIGINT or SIGHUP, or the display
// goes away.
int runWindow(Defaults& defaults, const CloudSetup& cloud, const QString& serverName,
              const std::optional<QString>& requestedListID, const Hooks& hooks) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QTextStream(stderr) << RequestMain::noDisplayMessage() << "\n";
        return CommandLine::failed;
    }
    // The window takes its requests on the socket: without one (its reason was said on
    // standard error) it does not start, and nothing has been taken yet.
    if (serverName.isEmpty())
        return CommandLine::failed;
    if (const std::optional<int> handed = handOver(serverName, requestedListID))
        return *handed;
    // From before the store is held and the sockets listen, a signal quits cleanly.
    QuitOnSignal::install();
    auto program = std::make_unique<TallybirdApp>(defaults, cloud);
    // Qt ends the process with exit() when the display goes away; from now on that ends it
    // cleanly instead, at once, with every change saved and without tearing anything down.
    AbruptExit::arm([&program] {
        QTextStream(stderr) << "Tallybird lost its display and has ended.\n";
        if (program)
            program->finishAtOnce();
    });
    QString error;
    if (!program->start(serverName, windowStoreWaitMs, &error)) {
        // Nothing that failed to start is kept: the store, and with it its lock, is let go
        // before anything is said.
        AbruptExit::disarm();
        program.reset();
        // Another launch may have won the store meanwhile; then it is the one to show.
        if (const std::optional<int> handed = handOver(serverName, requestedListID))
            return *handed;
        QTextStream(stderr) << error << "\n";
        // Started from a launcher there is no terminal to read the message: show it, unless
        // nobody can see a window either, a signal already asked the program to end, or a
        // request that started it waits to say it.
        if (QGuiApplication::platformName() != QLatin1String("offscreen") &&
            !QuitOnSignal::received() && !WindowLaunch::awaited())
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
        if (hooks.programShown)
            hooks.programShown(*program);
        // A request that started the window to show a list ends once the list is open, in
        // the event loop's first turn.
        QTimer::singleShot(0, program.get(), [] { WindowLaunch::shown(); });
        if (!QuitOnSignal::received())
            code = QCoreApplication::exec();
    }
    // Once every request is answered and the last change saved, a sync pass under way is not
    // waited for: the cloud gets the rest next time.
    const bool finished = program->finishBackgroundWork(quitGraceMs);
    // Nothing beneath an event loop runs from here on; the guard must not run the last words
    // of a program being torn down.
    AbruptExit::disarm();
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

int run(int argc, char* argv[], const Hooks& hooks) {
    // Taken before anything could start a program that would inherit it.
    WindowLaunch::awaited();
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<QCoreApplication> app;
    if (mayOpenWindow(CommandLine::parse(rawArguments)) && RequestMain::displayAvailable())
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tallybird"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tallybird"));
    return RequestMain::execute([&](Defaults& defaults, const CloudSetup& cloud,
                                    const QString& serverName,
                                    const std::optional<QString>& requestedListID) {
        return runWindow(defaults, cloud, serverName, requestedListID, hooks);
    });
}

} // namespace ProgramMain
