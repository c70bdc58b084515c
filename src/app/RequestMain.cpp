#include "RequestMain.h"

#include "RequestHeap.h"
#include "WindowLaunch.h"
#include "cloud/CloudDevice.h"
#include "intents/CommandLine.h"
#include "intents/RequestChannel.h"
#include "platform/AppPaths.h"
#include "platform/BundleInfo.h"
#include "store/StoreLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

namespace RequestMain {

namespace {

// Long enough for a crowd of requests to come through one after another.
constexpr int storeWaitMs = 60'000;

// The window program: beside this one in a build, in the library folder once installed.
QString windowProgram() {
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const QDir folder = QFileInfo(self).absoluteDir();
    const QString beside = folder.filePath(QStringLiteral("tallybird-window"));
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(folder.filePath(QStringLiteral(TALLYBIRD_WINDOW_FROM_BINDIR)));
}

// Replaces this process with the window program, given these arguments after the program's
// name; returns only when that failed.
int becomeWindow(const char* programName, const QStringList& arguments) {
    const QByteArray program = QFile::encodeName(windowProgram());
    std::vector<QByteArray> encoded{QByteArray(programName)};
    for (const QString& argument : arguments)
        encoded.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(program.constData(), argv.data());
    const int error = errno;
    QTextStream(stderr) << "Tallybird could not start its window program "
                        << QFile::decodeName(program) << ": " << std::strerror(error) << "\n";
    return CommandLine::failed;
}

// How long a request to show a list waits for the window it starts to show it: the window
// itself waits up to ten seconds for the store.
constexpr int windowShowsMs = 30'000;

// Starts the window program on its own to show a list, and returns once it does (or could
// not): the request's caller is not kept waiting while the window stays open.
int launchWindow(const char* programName, const QStringList& arguments) {
    const QString program = windowProgram();
    const WindowLaunch::Outcome launched =
        WindowLaunch::start(program, QByteArray(programName), arguments, windowShowsMs);
    switch (launched.kind) {
    case WindowLaunch::Outcome::Kind::shown:
        return CommandLine::ok;
    case WindowLaunch::Outcome::Kind::ended:
        // It said why on the standard error it shared, or handed the list to a window that
        // started meanwhile and ended with that one's answer.
        if (launched.exitCode >= 0)
            return launched.exitCode;
        QTextStream(stderr) << "Tallybird's window ended before it showed the list.\n";
        return CommandLine::failed;
    case WindowLaunch::Outcome::Kind::notStarted:
        QTextStream(stderr) << "Tallybird could not start its window program " << program << ": "
                            << launched.error << "\n";
        return CommandLine::failed;
    case WindowLaunch::Outcome::Kind::timedOut:
        break;
    }
    QTextStream(stderr) << "Tallybird's window did not show the list within "
                        << windowShowsMs / 1000 << " seconds, and was asked to close.\n";
    return CommandLine::failed;
}

// Sync says in the program's log each record it leaves alone, one line each ("Sync: Record …
// is not taken: …"): a fresh device's first pass can leave dozens. A request's log is its
// user's terminal, so while it lasts those lines are held back and counted, and the request
// says how many in one sentence. Anything else logged goes on as before.
class HeldSyncLines {
public:
    HeldSyncLines() { previous_ = qInstallMessageHandler(&take); }
    ~HeldSyncLines() { release(); }
    HeldSyncLines(const HeldSyncLines&) = delete;
    HeldSyncLines& operator=(const HeldSyncLines&) = delete;

    // How many lines were held: records that name what this device keeps elsewhere, and
    // records that do not decode.
    struct Held {
        int elsewhere = 0;
        int undecodable = 0;
        int total() const { return elsewhere + undecodable; }
    };

    // Lets the log have every line again (the window keeps its own); returns how many were
    // held. Only the first call counts.
    Held release() {
        if (released_)
            return {};
        released_ = true;
        qInstallMessageHandler(previous_);
        return {elsewhere_.exchange(0), undecodable_.exchange(0)};
    }

    // The one sentence a request says of them.
    static QString sentence(Held held) {
        const bool one = held.total() == 1;
        const QString why =
            held.undecodable == 0
                ? (one ? QStringLiteral("it names a list or item that this device keeps elsewhere")
                       : QStringLiteral(
                             "they name lists or items that this device keeps elsewhere"))
            : held.elsewhere == 0
                ? (one ? QStringLiteral("it does not decode")
                       : QStringLiteral("they do not decode"))
                : QStringLiteral("they name lists or items that this device keeps elsewhere or "
                                 "do not decode");
        if (one)
            return QStringLiteral("Sync left one record from the cloud alone, as %1.").arg(why);
        return QStringLiteral("Sync left %1 records from the cloud alone, as %2.")
            .arg(held.total())
            .arg(why);
    }

private:
    static void take(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && text.startsWith(QLatin1String("Sync: "))) {
            ++(text.contains(QLatin1String("does not decode")) ? undecodable_ : elsewhere_);
            return;
        }
        if (previous_)
            previous_(type, context, text);
    }

    // A message handler is a plain function: what it needs is the process's.
    static inline QtMessageHandler previous_ = nullptr;
    static inline std::atomic<int> elsewhere_ = 0;
    static inline std::atomic<int> undecodable_ = 0;
    bool released_ = false;
};

// A launch with nothing to do but open the window goes there before anything else is done.
bool onlyOpensWindow(const CommandLineOptions& options) {
    return options.error.isEmpty() && !options.help && !options.version &&
           options.command.isEmpty() && displayAvailable();
}

} // namespace

bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString noDisplayMessage() {
    return QStringLiteral(
        "Tallybird needs a display to open its window, and none was found. Without one, "
        "start it under a virtual X server: xvfb-run tallybird");
}

int execute(const RunProgram& runProgram) {
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
    // --cloud, else the cloud setting (a file or a postgresql:// URI), else the shared file.
    const QString cloudSetting =
        defaults.string(QStringLiteral("cloudContainer")).value_or(QString());
    const CloudSetup cloud(options.cloud.value_or(
        cloudSetting.isEmpty() ? cloud::CloudDevice::defaultContainerPath() : cloudSetting));
    // Without a socket, requests still reach the store; only a running program cannot be
    // asked, and the window cannot open.
    const RequestChannel::Place channel = RequestChannel::place();
    if (!channel.error.isEmpty())
        QTextStream(stderr) << channel.error << "\n";
    const QString& serverName = channel.serverName;

    TerminalConsole console;
    HeldSyncLines syncLines;
    const auto sayHeld = [&] {
        if (const HeldSyncLines::Held held = syncLines.release(); held.total() > 0)
            console.note(HeldSyncLines::sentence(held));
    };
    CommandLineEnvironment environment{
        console,
        defaults,
        RequestRoute::Settings{SharedStore::source(), serverName, cloud.syncStep(), storeWaitMs,
                               RequestRoute::Notice(), cloud.catchUp(defaults), QString()},
        [&](const std::optional<QString>& requestedListID) {
            sayHeld();
            return runProgram(defaults, cloud, serverName, requestedListID);
        },
    };
    const int code = CommandLine::execute(options, environment);
    sayHeld();
    return code;
}

int run(int argc, char* argv[]) {
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLineOptions options = CommandLine::parse(rawArguments);
    if (onlyOpensWindow(options))
        return becomeWindow(argv[0], rawArguments.mid(1));

    RequestHeap::prepare();
    QCoreApplication app(argc, argv);
    return execute([&](Defaults&, const CloudSetup&, const QString&,
                       const std::optional<QString>& requestedListID) {
        if (!displayAvailable()) {
            QTextStream(stderr) << noDisplayMessage() << "\n";
            return int(CommandLine::failed);
        }
        // The list is settled here, by asking when need be: the window opens it by its id.
        QStringList arguments;
        if (options.profile)
            arguments << QStringLiteral("--profile") << *options.profile;
        if (options.cloud)
            arguments << QStringLiteral("--cloud") << *options.cloud;
        if (!requestedListID)
            return becomeWindow(argv[0], arguments);
        arguments << QStringLiteral("open") << QStringLiteral("--list-id") << *requestedListID;
        return launchWindow(argv[0], arguments);
    });
}

} // namespace RequestMain
