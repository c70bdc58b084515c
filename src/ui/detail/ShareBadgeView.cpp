// The toolbar's people badge.
#include "ShareBadgeView.h"

#include "ui/components/Accessibility.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>

namespace {
constexpr int symbolWidth = 22;
constexpr int gap = 4;
constexpr int leading = 8;
constexpr int trailing = 4;
} // namespace

ShareBadgeView::ShareBadgeView(QWidget* parent) : QWidget(parent) {
    setFont(DesignFont::monospaced(12, QFont::Medium));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ShareBadgeView::setFace(const ShareBadgeFace& face) {
    face_ = face;
    Accessibility::apply(this, {face.accessibilityText, {}, {}, AccessibleTrait::staticText, {}});
    updateGeometry();
    update();
}

QSize ShareBadgeView::sizeHint() const {
    int width = leading + symbolWidth + trailing;
    if (face_.count != ShareBadgeFace::Count::absent)
        width += gap + QFontMetrics(font()).horizontalAdvance(face_.countText);
    return {width, 32};
}

void ShareBadgeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = Theme::Colour::onSurfaceVariant.resolved();
    Symbols::paint(painter, QRectF(leading, 0, symbolWidth, height()), face_.symbol, 15, ink);
    if (face_.count == ShareBadgeFace::Count::shown) {
        painter.setFont(font());
        painter.setPen(ink);
        painter.drawText(QRect(leading + symbolWidth + gap, 0, width(), height()),
                         Qt::AlignLeft | Qt::AlignVCenter, face_.countText);
    }
}
