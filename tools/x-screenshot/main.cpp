// Saves a picture of the whole screen of the X server named by DISPLAY (an Xvfb one, in
// scripts/try-window) as a PNG file. Usage: tallybird-x-screenshot FILE.png
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: tallybird-x-screenshot FILE.png\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(arguments.at(1))) {
        std::fprintf(stderr, "tallybird-x-screenshot: cannot save %s\n",
                     qPrintable(arguments.at(1)));
        return 1;
    }
    return 0;
}
