// The drop-down face.
#include "MenuField.h"

#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QPainter>

namespace {
constexpr double chevronSize = 13;
constexpr int chevronBox = 20;
} // namespace

MenuField::MenuField(QWidget* parent) : PaintedButton(parent) {
    setFont(DesignFont::system(17));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The value starts at the field's edge.
    setFocusRingOutside();
}

void MenuField::setValue(const QString& value, const QString& accessibleLabel) {
    value_ = value;
    setAccessible({accessibleLabel, {}, {}, {}, {}});
    updateGeometry();
    update();
}

QSize MenuField::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(value_) + 8 + chevronBox, qMax(36, metrics.height() + 8)};
}

QSize MenuField::minimumSizeHint() const {
    return {chevronBox * 3, sizeHint().height()};
}

void MenuField::paintFace(QPainter& painter) {
    const QRectF chevron(width() - chevronBox, 0, chevronBox, height());
    const QRectF text(0, 0, chevron.left() - 8, height());
    painter.setFont(font());
    painter.setPen(Theme::Colour::onSurface.resolved());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(font()).elidedText(value_, Qt::ElideRight, int(text.width())));
    Symbols::paint(painter, chevron, QStringLiteral("chevron.up.chevron.down"),
                   DesignFont::designSize(chevronSize, FontScaling::scaled),
                   Theme::Colour::onSurfaceVariant.resolved());
}
