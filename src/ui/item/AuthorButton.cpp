// A note author's badge.
#include "AuthorButton.h"

#include "ui/components/ContactCircle.h"
#include "ui/theme/PlatformChrome.h"

#include <QPainter>

namespace {
constexpr double diameter = 28;
} // namespace

AuthorButton::AuthorButton(const PersonDisplay::Resolved& display, const QString& accessibleLabel,
                           QWidget* parent)
    : PaintedButton(parent), display_(display), photo_(ContactCircle::decodedPhoto(display)) {
    setFixedSize(AuthorButton::sizeHint());
    setAccessible({accessibleLabel, {}, {}, {}, {}});
}

QSize AuthorButton::sizeHint() const {
    return {PlatformChrome::hitSide, PlatformChrome::hitSide};
}

void AuthorButton::paintFace(QPainter& painter) {
    const QRectF box((width() - diameter) / 2, (height() - diameter) / 2, diameter, diameter);
    ContactCircle::paint(painter, box, display_, photo_);
}

QPainterPath AuthorButton::focusShape() const {
    QPainterPath path;
    path.addEllipse(QRectF(rect()).adjusted(5, 5, -5, -5));
    return path;
}
