// Renders the program's icon to the PNG files the desktop's launcher shows, one per size, into
// the hicolor theme's layout: FOLDER/<side>x<side>/apps/tallybird.png.
// Usage: tallybird-icon FOLDER
#include "ui/window/AppIcon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: tallybird-icon FOLDER\n");
        return 2;
    }
    for (int side : {16, 24, 32, 48, 64, 128, 256, 512}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments.at(1)).arg(side);
        if (!QDir().mkpath(folder) ||
            !AppIcon::render(side).save(folder + QStringLiteral("/tallybird.png"))) {
            std::fprintf(stderr, "tallybird-icon: cannot write into %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
