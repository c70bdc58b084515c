// The on/off row.
#include "SwitchRow.h"

#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>

namespace {
constexpr int trackWidth = 42;
constexpr int trackHeight = 24;
constexpr int gap = 12;
} // namespace

SwitchRow::SwitchRow(const QString& title, QWidget* parent) : PaintedButton(parent), title_(title) {
    setCheckable(true);
    setFont(DesignFont::system(17));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::toggled, this, &SwitchRow::updateAccessible);
    updateAccessible();
}

void SwitchRow::updateAccessible() {
    setAccessible({title_, {}, isChecked() ? QStringLiteral("On") : QStringLiteral("Off"), {}, {}});
}

void SwitchRow::checkStateSet() {
    updateAccessible();
    update();
}

QSize SwitchRow::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(title_) + gap + trackWidth, qMax(44, metrics.height() + 8)};
}

QSize SwitchRow::minimumSizeHint() const {
    return {trackWidth + gap, sizeHint().height()};
}

void SwitchRow::paintFace(QPainter& painter) {
    const QRectF track(width() - trackWidth, (height() - trackHeight) / 2.0, trackWidth,
                       trackHeight);
    painter.setPen(Theme::Colour::onSurface.resolved());
    painter.setFont(font());
    const QRectF text(0, 0, track.left() - gap, height());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(font()).elidedText(title_, Qt::ElideRight, int(text.width())));

    painter.setPen(Qt::NoPen);
    painter.setBrush(
        (isChecked() ? Theme::Colour::primary : Theme::Colour::outlineVariant).resolved());
    painter.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);
    const double knob = trackHeight - 4;
    const double x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}
