#include "platform/AppPaths.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tallybird"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALLYBIRD_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tallybird keeps lists: shopping, packing, anything."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption profile(
        QStringLiteral("profile"),
        QStringLiteral("Keep the store, settings and caches in <dir> instead of the XDG folders."),
        QStringLiteral("dir"));
    parser.addOption(profile);
    parser.process(app);

    if (parser.isSet(profile)) {
        AppPaths::setProfile(parser.value(profile));
    }
    // Until the window exists, starting the program shows what it accepts.
    QTextStream(stdout) << parser.helpText();
    return 0;
}
