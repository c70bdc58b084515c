// A gallery picture of the program's sounds: each one's waveform, to see its length, its
// attack and its decay at a glance.
#include "GalleryBoard.h"
#include "GalleryShot.h"
#include "PaintedSample.h"

#include "ui/sound/SoundEffects.h"
#include "ui/sound/SoundPlayback.h"
#include "ui/theme/ThemeColour.h"

#include <QFile>
#include <QtEndian>

namespace {

using namespace Theme;

QList<qint16> samplesOf(const QString& name) {
    QFile file(SoundPlayback::resourcePath(name));
    QList<qint16> samples;
    if (!file.open(QIODevice::ReadOnly))
        return samples;
    const QByteArray wav = file.readAll();
    for (int at = 44; at + 1 < wav.size(); at += 2)
        samples.append(qFromLittleEndian<qint16>(wav.constData() + at));
    return samples;
}

QWidget* waveforms() {
    auto* board = new GalleryBoard(Colour::background);
    for (const SoundOption& option : SoundEffects::options()) {
        const std::optional<QString> name = SoundPlayback::soundName(option);
        if (!name)
            continue;
        const QList<qint16> samples = samplesOf(*name);
        const double seconds = samples.size() / 44100.0;
        board->add(QStringLiteral("%1: %2, %3 s").arg(option.label, *name).arg(seconds, 0, 'f', 2),
                   new PaintedSample(QSize(560, 48), [samples](QPainter& p, const QRectF& r) {
                       p.fillRect(r, Colour::card.resolved());
                       // 1.2 seconds across the whole width for every sound, so lengths compare.
                       const double perPixel = 44100.0 * 1.2 / r.width();
                       p.setPen(Colour::primary.resolved());
                       for (int x = 0; x < int(r.width()); ++x) {
                           const int from = int(x * perPixel);
                           const int to = qMin(int((x + 1) * perPixel), int(samples.size()));
                           int peak = 0;
                           for (int i = from; i < to; ++i)
                               peak = qMax(peak, qAbs(int(samples.at(i))));
                           const double half = peak / 32768.0 * r.height() / 2;
                           p.drawLine(QPointF(r.left() + x, r.center().y() - half),
                                      QPointF(r.left() + x, r.center().y() + half));
                       }
                   }));
    }
    return board;
}

const GalleryShot::Add waveformShot({"sounds-waveforms-1.2-seconds-wide", 600, 0, waveforms});

} // namespace
