#include "ui/window/AppIcon.h"

#include "ui/theme/BrandMark.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>
#include <QPainterPath>

namespace AppIcon {

QImage render(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A tile with a small margin, so the icon sits with its neighbours in a launcher.
    const QRectF tile =
        QRectF(0, 0, side, side).adjusted(side * 0.06, side * 0.06, -side * 0.06, -side * 0.06);
    QPainterPath rounded;
    rounded.addRoundedRect(tile, tile.width() * 0.22, tile.width() * 0.22);
    painter.fillPath(rounded, Theme::Colour::brand.in(false));
    const double inset = tile.width() * 0.18;
    BrandMark::paint(painter, tile.adjusted(inset, inset, -inset, -inset), Qt::white);
    return image;
}

QIcon icon() {
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(render(side)));
    return icon;
}

} // namespace AppIcon
