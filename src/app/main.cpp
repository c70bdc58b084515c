#include "CloudSetup.h"
#include "ProgramCore.h"
#include "QuitOnSignal.h"
#include "cloud/CloudDevice.h"
#include "intents/CommandLine.h"
#include "intents/OpenListIntent.h"
#include "intents/RequestChannel.h"
#include "intents/RequestClient.h"
#include "model/ListNavigation.h"
#include "platform/AppPaths.h"
#include "platform/BundleInfo.h"
#include "store/StoreLocation.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTextStream>

#include <memory>

namespace {

// Runs until SIGTERM or SIGINT. Until there is a window, a request to open a list is noted on
// standard error and stays pending for the window to claim.
int runProgram(Defaults& defaults, const CloudSetup& cloud, const QString& serverName,
               int storeWaitMs, const std::optional<QString>& requestedListID) {
    if (RequestClient::programAnswers(serverName)) {
        // Another program started since the command line looked: the request goes to it.
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
        QTextStream(stderr) << "Tallybird is already running.\n";
        return CommandLine::ok;
    }
    ProgramCore core(defaults, cloud);
    QString error;
    if (!core.start(serverName, storeWaitMs, &error)) {
        QTextStream(stderr) << error << "\n";
        return CommandLine::failed;
    }
    QObject::connect(&ListNavigation::shared(), &ListNavigation::requestedListIDChanged, &core, [] {
        if (const auto id = ListNavigation::shared().requestedListID())
            QTextStream(stderr) << "Asked to open the list " << *id << ".\n";
    });
    if (requestedListID)
        OpenListIntent::perform(*requestedListID, defaults);
    QuitOnSignal::install();
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tallybird"));
    const QString version = BundleInfo::main().shortVersion.value_or(QStringLiteral("—"));
    QCoreApplication::setApplicationVersion(version);

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
    // Long enough for a crowd of requests to come through one after another.
    constexpr int storeWaitMs = 60'000;

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
            return runProgram(defaults, cloud, serverName, storeWaitMs, requestedListID);
        },
    };
    return CommandLine::execute(options, environment);
}
