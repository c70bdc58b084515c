// The gallery program: renders every registered shot to PNG files in light and dark, at text
// scale 1.0 and at the largest step, offscreen. Usage: tallybird-screens FOLDER
#include "GalleryShot.h"

#include "model/TextScale.h"
#include "ui/theme/Theme.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

#include <cstdio>
#include <memory>

QList<GalleryShot>& GalleryShot::all() {
    static QList<GalleryShot> shots;
    return shots;
}

namespace {

// The offscreen platform reports that it ignores size hints of windows; nothing to act on.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    std::fputs(qPrintable(qFormatLogMessage(type, context, text) + QLatin1Char('\n')), stderr);
}

bool render(const GalleryShot& shot, const QString& path) {
    std::unique_ptr<QWidget> widget(shot.build());
    widget->setAttribute(Qt::WA_DontShowOnScreen);
    const int height = shot.height > 0               ? shot.height
                       : widget->hasHeightForWidth() ? widget->heightForWidth(shot.width)
                                                     : widget->sizeHint().height();
    widget->resize(shot.width, qMax(height, widget->minimumSizeHint().height()));
    widget->show();
    QCoreApplication::processEvents();
    if (shot.shown) {
        shot.shown(widget.get());
        QCoreApplication::processEvents();
    }
    return widget->grab().save(path);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreenNotes);
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString folder = arguments.size() > 1 ? arguments.at(1) : QStringLiteral("screens");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "tallybird-screens: cannot make %s\n", qPrintable(folder));
        return 1;
    }
    Theme::applyToApplication();

    const struct {
        const char* name;
        TextScale scale;
    } scales[] = {{"text100", TextScale::standard}, {"text150", TextScale::largest}};
    int written = 0;
    for (const GalleryShot& shot : GalleryShot::all()) {
        for (bool dark : {false, true}) {
            for (const auto& scale : scales) {
                Theme::setDark(dark);
                Theme::setTextScaleFactor(scale.scale.factor());
                const QString file = QStringLiteral("%1/%2-%3-%4.png")
                                         .arg(folder, shot.name, dark ? "dark" : "light",
                                              QString::fromLatin1(scale.name));
                if (!render(shot, file)) {
                    std::fprintf(stderr, "tallybird-screens: cannot write %s\n", qPrintable(file));
                    return 1;
                }
                ++written;
            }
        }
    }
    std::printf("%d pictures in %s\n", written, qPrintable(QDir(folder).absolutePath()));
    return 0;
}
