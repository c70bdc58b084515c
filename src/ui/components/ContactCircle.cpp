// The contact circle.
#include "ContactCircle.h"

#include "Accessibility.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

ContactCircle::ContactCircle(const PersonDisplay::Resolved& display, double size, QWidget* parent)
    : QWidget(parent), size_(size) {
    setFixedSize(ContactCircle::sizeHint());
    setDisplay(display);
    Accessibility::hide(this);
}

void ContactCircle::setDisplay(const PersonDisplay::Resolved& display) {
    display_ = display;
    photo_ = decodedPhoto(display);
    update();
}

QSize ContactCircle::sizeHint() const {
    return {qCeil(size_), qCeil(size_)};
}

QImage ContactCircle::decodedPhoto(const PersonDisplay::Resolved& display) {
    if (!display.photo || display.photo->isEmpty())
        return {};
    return QImage::fromData(*display.photo);
}

void ContactCircle::paint(QPainter& painter, const QRectF& box,
                          const PersonDisplay::Resolved& display, const QImage& photo) {
    const double side = qMin(box.width(), box.height());
    const QRectF circle(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addEllipse(circle);
    painter.setClipPath(clip);
    if (!photo.isNull()) {
        // Scaled to fill the circle, the overflow cut off evenly on both sides.
        const QSizeF filled =
            QSizeF(photo.size()).scaled(circle.size(), Qt::KeepAspectRatioByExpanding);
        const QRectF target(circle.center() - QPointF(filled.width() / 2, filled.height() / 2),
                            filled);
        painter.drawImage(target, photo);
    } else {
        painter.fillRect(circle, Theme::Colour::primary.resolved());
        const QColor ink = Theme::Colour::onPrimary.resolved();
        if (display.initials) {
            QFont font = DesignFont::system(side * 0.4, QFont::DemiBold, FontScaling::fixed);
            painter.setFont(font);
            painter.setPen(ink);
            painter.drawText(circle, Qt::AlignCenter | Qt::TextSingleLine, *display.initials);
        } else {
            Symbols::paint(painter, circle, QStringLiteral("person.fill"), side * 0.45, ink);
        }
    }
    painter.restore();
}

void ContactCircle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), display_, photo_);
}
